// The setup window on a real X server, with real message boxes that close: what the user
// typed survives the boxes and leaving the window, and every box shows its whole caption.
#include "QtDialogs.h"
#include "SetupRig.h"
#include "SetupWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

using Fill = std::function<void(SetupWindow &)>;
Q_DECLARE_METATYPE(Fill)

namespace {
constexpr int X11Hosts = 200;

template <typename T = QWidget>
T *child(QWidget &window, const QString &name)
{
    T *found = window.findChild<T *>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

void type(SetupWindow &window, const char *name, const QString &text) { child<QLineEdit>(window, name)->setText(text); }
void choose(SetupWindow &window, const char *name) { child<QRadioButton>(window, name)->setChecked(true); }

// "Edit2=text", "RadioButton2=on", "CheckBox1=on": what the window shows now.
QStringList shown(SetupWindow &window, const QStringList &expected)
{
    QStringList now;
    for (const QString &entry : expected) {
        const QString name = entry.section('=', 0, 0);
        QWidget *control = child(window, name);
        if (auto *edit = qobject_cast<QLineEdit *>(control))
            now << name + "=" + edit->text();
        else if (auto *button = qobject_cast<QAbstractButton *>(control))
            now << name + "=" + (button->isChecked() ? "on" : "off");
        else if (auto *box = qobject_cast<QComboBox *>(control))
            now << name + "=" + box->currentText();
    }
    return now;
}

// Closes each real message box as a user would once it is on screen: Yes, else OK.
class BoxCloser : public QObject {
public:
    BoxCloser()
    {
        connect(&timer_, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || box->property("closing").toBool())
                return;
            box->setProperty("closing", true);
            captions << box->windowTitle();
            widths << box->width();
            QAbstractButton *button = box->button(QMessageBox::Yes) ? box->button(QMessageBox::Yes)
                                                                    : box->button(QMessageBox::Ok);
            QTest::mouseClick(button, Qt::LeftButton);
        });
        timer_.start(50);
    }
    QStringList captions;
    QList<int> widths;

private:
    QTimer timer_;
};
} // namespace

class SetupWindowX11Test : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void typedValuesSurvive_data();
    void typedValuesSurvive();
    void boxShowsWholeCaption_data();
    void boxShowsWholeCaption();
};

void SetupWindowX11Test::initTestCase()
{
    if (QGuiApplication::platformName() == "offscreen")
        QSKIP("needs a real X server: run under xvfb-run");
}

void SetupWindowX11Test::typedValuesSurvive_data()
{
    QTest::addColumn<Fill>("fill");
    QTest::addColumn<QString>("image");
    QTest::addColumn<QStringList>("captions"); // of the boxes shown
    QTest::addColumn<QStringList>("typed");    // still shown after the boxes and after coming back
    QTest::addColumn<QString>("focus");        // the field at fault

    const QStringList done{"Confirm", "Information"};
    const QStringList error{"Error found!"};
    const Fill apWpa = [](SetupWindow &w) {
        type(w, "Edit1", "Hall");
        choose(w, "RadioButton2");
        type(w, "Edit2", "short");
    };
    const QStringList apTyped{"Edit1=Hall", "RadioButton2=on", "Edit2=short"};
    QTest::newRow("AP: short key") << apWpa << "Image2" << error << apTyped << "Edit2";
    QTest::newRow("AP: written") << Fill([apWpa](SetupWindow &w) { apWpa(w), type(w, "Edit2", "secret99"); })
                                 << "Image2" << done << QStringList{"Edit1=Hall", "RadioButton2=on", "Edit2=secret99"}
                                 << QString();
    const Fill station = [](SetupWindow &w) {
        type(w, "Edit3", "");
        choose(w, "RadioButton4");
        type(w, "Edit4", "wepkey12");
    };
    QTest::newRow("station: empty SSID") << station << "Image3" << error
                                         << QStringList{"Edit3=", "RadioButton4=on", "Edit4=wepkey12"} << "Edit3";
    const Fill address = [](SetupWindow &w) {
        QTest::mouseClick(child(w, "CheckBox1"), Qt::LeftButton);
        type(w, "Edit8", "192.168.1.10");
        type(w, "Edit9", "255.255.255.0");
        type(w, "Edit10", "192.168.1.");
    };
    const QStringList addressTyped{"CheckBox1=on", "Edit8=192.168.1.10", "Edit9=255.255.255.0", "Edit10=192.168.1."};
    QTest::newRow("static address: bad gateway") << address << "Image10" << error << addressTyped << "Edit10";
    QTest::newRow("static address: written")
        << Fill([address](SetupWindow &w) { address(w), type(w, "Edit10", "192.168.1.1"); }) << "Image10" << done
        << QStringList{"CheckBox1=on", "Edit8=192.168.1.10", "Edit9=255.255.255.0", "Edit10=192.168.1.1"} << QString();
    QTest::newRow("location: too long") << Fill([](SetupWindow &w) { type(w, "Edit5", QString(32, 'L')); }) << "Image6"
                                        << error << QStringList{"Edit5=" + QString(32, 'L')} << "Edit5";
    QTest::newRow("location: written") << Fill([](SetupWindow &w) { type(w, "Edit5", "Hall"); }) << "Image6" << done
                                       << QStringList{"Edit5=Hall"} << QString();
    const Fill modbus = [](SetupWindow &w) {
        type(w, "Edit7", "80");
        type(w, "Edit12", "45");
    };
    QTest::newRow("Modbus TCP: reserved port") << modbus << "Image9" << QStringList{"Modbus port input Error"}
                                               << QStringList{"Edit7=80", "Edit12=45"} << "Edit7";
    QTest::newRow("Modbus TCP: timeout") << Fill([modbus](SetupWindow &w) { modbus(w), type(w, "Edit7", "1502"), type(w, "Edit12", "0"); })
                                         << "Image9" << QStringList{"Modbus Idle Timeout input Error"}
                                         << QStringList{"Edit7=1502", "Edit12=0"} << "Edit12";
    QTest::newRow("Modbus RTU: device ID") << Fill([](SetupWindow &w) { type(w, "Edit11", "248"); }) << "Image11"
                                           << QStringList{"Modbus RTU Device ID Error"} << QStringList{"Edit11=248"}
                                           << "Edit11";
    QTest::newRow("Wi-Fi mode: written") << Fill([](SetupWindow &w) { choose(w, "RadioButton6"); }) << "Image4" << done
                                         << QStringList{"RadioButton6=on"} << QString();
}

void SetupWindowX11Test::typedValuesSurvive()
{
    QFETCH(Fill, fill);
    QFETCH(QString, image);
    QFETCH(QStringList, captions);
    QFETCH(QStringList, typed);
    QFETCH(QString, focus);

    SetupRig rig({}, X11Hosts);
    // The unit reports other settings than those typed: open networks, no static address.
    rig.status.apSsid = "Unit AP";
    rig.status.stationSsid = "Unit net";
    rig.status.stationKeyType = 0;
    rig.status.location = "Unit room";
    rig.status.modbusPort = 502;
    rig.status.modbusIdleTimeout = 30;
    rig.status.sdPresent = true;
    QtDialogs dialogs;
    SetupWindow window(rig.session, dialogs);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    fill(window);

    BoxCloser closer;
    QTest::mouseClick(child(window, image), Qt::LeftButton);
    QTRY_COMPARE(closer.captions, captions);
    // A window manager gives the window back its activation once the box is gone; bare X does not.
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(shown(window, typed), typed);
    if (!focus.isEmpty())
        QCOMPARE(QApplication::focusWidget(), child(window, focus));

    // Another window takes the activation and gives it back; the modal window lets only its own through.
    QWidget elsewhere(&window, Qt::Window);
    elsewhere.setWindowTitle("elsewhere");
    elsewhere.show();
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(shown(window, typed), typed);
}

void SetupWindowX11Test::boxShowsWholeCaption_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("flags");
    QTest::newRow("Information") << "Information" << int(Dialogs::Information);
    QTest::newRow("Modbus port input Error") << "Modbus port input Error" << int(Dialogs::Plain);
    QTest::newRow("firmware verdict") << "F/W update Complete! Reboot to take effect" << int(Dialogs::Plain);
    QTest::newRow("confirmation") << "Confirm" << int(Dialogs::YesNoQuestion);
}

void SetupWindowX11Test::boxShowsWholeCaption()
{
    QFETCH(QString, caption);
    QFETCH(int, flags);
    BoxCloser closer;
    QtDialogs().messageBox("OK", caption, flags);
    QCOMPARE(closer.captions, QStringList{caption});
    QFont title = QApplication::font();
    title.setBold(true);
    QVERIFY2(closer.widths.constFirst() >= QFontMetrics(title).horizontalAdvance(caption) + 100,
             qPrintable(QString::number(closer.widths.constFirst())));
}

QTEST_MAIN(SetupWindowX11Test)
#include "test_setup_window_x11.moc"
