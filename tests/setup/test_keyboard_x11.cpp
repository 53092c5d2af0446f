// The monitor and setup windows without a mouse, on a real X server: Tab reaches every
// control in the order the window shows them, and Space or Enter runs what it reaches.
#include "FixedAdapterSource.h"
#include "MonitorWindow.h"
#include "SetupRig.h"
#include "SetupWindow.h"

#include <QApplication>
#include <QDialog>
#include <QKeySequence>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

// Answers every box as a user going ahead would, and notes its caption.
class AnsweringDialogs : public Dialogs {
public:
    QStringList seen;
    int messageBox(const QString &, const QString &caption, int flags) override
    {
        seen << caption;
        return flags == YesNoQuestion || flags == YesNoWarning ? Yes : Ok;
    }
    QString openFile(const QString &, const QString &) override
    {
        seen << QStringLiteral("open file");
        return {};
    }
    QString chooseFolder(const QString &, const QString &) override { return {}; }
};

// Stands in for the setup window or the audio editor: closes itself once shown.
class StandIn : public QDialog {
public:
    int opened = 0;

protected:
    void showEvent(QShowEvent *event) override
    {
        ++opened;
        QDialog::showEvent(event);
        QTimer::singleShot(0, this, &QDialog::accept);
    }
};

// The monitor window linked to a simulated unit of its own; its poll timer ticks when told.
struct MonitorRig {
    SimulatorThread sim;
    FixedAdapterSource adapters;
    std::unique_ptr<UnitSession> session;
    ScriptedDialogs dialogs; // the keyboard paths of the monitor show no box
    std::unique_ptr<MonitorWindow> window;
    StandIn setup, editor;

    MonitorRig()
    {
        static int host = 0;
        const QString address = QStringLiteral("127.0.21.%1").arg(++host);
        if (!sim.start(QHostAddress(address)))
            qFatal("simulator: %s", qPrintable(sim.errorString()));
        adapters.adapterRecords = {{"wlan-test", "127.0.21.100"}};
        adapters.wifiRecords = {{"wlan-test", true}};
        Timing manualTicks;
        manualTicks.pollTickMs = 24 * 3600 * 1000;
        session = std::make_unique<UnitSession>(adapters, manualTicks);
        session->link.deviceAddress = address;
        session->linkCheck.subnetPrefix = "127.0.21.";
        window = std::make_unique<MonitorWindow>(*session, dialogs);
        window->setSecondaryWindows(&setup, &editor);
    }

    // Shows the window, lets its first activation queue the device information and sends it.
    bool linkUp()
    {
        window->show();
        window->activateWindow(); // bare X activates no window of itself
        if (!QTest::qWaitForWindowActive(window.get()) || !QTest::qWaitFor([this] { return session->link.pending.code == 33; }))
            return false;
        window->onPollTick();
        sim.unit().clearReceivedFrames();
        return session->status.linked;
    }
};

// Requests on the command channel from their code on: short ones whole, announcements by name.
QStringList requests(SimulatedUnit &unit)
{
    QStringList described;
    for (const QByteArray &frame : unit.receivedFrames()) {
        if (!isRequestFrame(frame))
            continue;
        described << (frame.size() <= 16 ? QString::fromLatin1(frame.mid(4).toHex(' '))
                                         : QStringLiteral("%1 %2").arg(std::uint8_t(frame[4])).arg(
                                               QString::fromLatin1(frame.mid(17, std::uint8_t(frame[16])))));
    }
    return described;
}

// Tabs from the window's first control on, until the focus comes back; the names in order.
QStringList tabChain(QWidget &window)
{
    QStringList chain;
    QWidget *first = QApplication::focusWidget();
    for (QWidget *focus = first; focus && chain.size() < 60;) {
        chain << focus->objectName();
        QTest::keyClick(focus, Qt::Key_Tab);
        focus = QApplication::focusWidget();
        if (focus == first || !window.isAncestorOf(focus))
            break;
    }
    return chain;
}

bool tabTo(const QString &target)
{
    for (int i = 0; i < 60; ++i) {
        QWidget *focus = QApplication::focusWidget();
        if (focus && focus->objectName() == target)
            return true;
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    return false;
}

void press(const QString &keys)
{
    for (const QString &key : keys.split(' ', Qt::SkipEmptyParts))
        QTest::keyClick(QApplication::focusWidget(), QKeySequence::fromString(key)[0].key());
}

} // namespace

class KeyboardX11Test : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void tabFollowsTheLayout_data();
    void tabFollowsTheLayout();
    void everyActionByKeyboard_data();
    void everyActionByKeyboard();
};

void KeyboardX11Test::initTestCase()
{
    if (QGuiApplication::platformName() == "offscreen")
        QSKIP("needs a real X server: run under xvfb-run");
}

void KeyboardX11Test::tabFollowsTheLayout_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QStringList>("chain");
    QTest::newRow("monitor") << "monitor"
                             << QStringList{"Image1", "Image2", "Image3", "Edit2", "SpeedButton5", "Image5",
                                            "SpeedButton4", "SpeedButton2", "TrackBar1"};
    // An unrecognised model shows both Modbus groups. A radio group is one stop; its arrows choose.
    QTest::newRow("setup") << "setup"
                           << QStringList{"Edit1", "RadioButton1", "Edit2", "Image2", "Edit3", "RadioButton3", "Edit4",
                                          "Image3", "CheckBox1", "Image10", "Edit5", "Image6", "RadioButton6", "Image4",
                                          "Edit7", "Edit12", "Image9", "Edit11", "ComboBox1", "ComboBox2", "ComboBox3",
                                          "ComboBox4", "Image11", "Image7", "Image1", "Image8"};
}

void KeyboardX11Test::tabFollowsTheLayout()
{
    QFETCH(QString, window);
    QFETCH(QStringList, chain);
    if (window == "monitor") {
        MonitorRig rig;
        QVERIFY(rig.linkUp());
        rig.window->findChild<QWidget *>(chain.first())->setFocus(Qt::TabFocusReason);
        QCOMPARE(tabChain(*rig.window), chain);
    } else {
        SetupRig rig({}, 220);
        AnsweringDialogs dialogs;
        SetupWindow setup(rig.session, dialogs);
        setup.show();
        QVERIFY(QTest::qWaitForWindowActive(&setup));
        QCOMPARE(tabChain(setup).join(" "), chain.join(" "));
    }
}

void KeyboardX11Test::everyActionByKeyboard_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("target"); // reached with Tab
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("boxes");    // captions of the boxes shown
    QTest::addColumn<QString>("request");      // the first request on the wire, if any
    QTest::addColumn<QString>("opened");       // the window opened, if any

    const QStringList none;
    const QStringList done{"Confirm", "Information"};
    QTest::newRow("monitor: setup, Enter") << "monitor" << "Image1" << "Return" << none << "" << "setup";
    QTest::newRow("monitor: refresh, Space") << "monitor" << "Image2" << "Space" << none << "21 00 00 00 00" << "";
    QTest::newRow("monitor: find me, Enter") << "monitor" << "Image3" << "Return" << none << "1d 00 00 00 00" << "";
    QTest::newRow("monitor: static IP, Space") << "monitor" << "SpeedButton5" << "Space" << none << "21 00 00 00 00" << "";
    QTest::newRow("monitor: audio editor, Space") << "monitor" << "Image5" << "Space" << none << "" << "editor";
    QTest::newRow("monitor: relay, Space") << "monitor" << "SpeedButton4" << "Space" << none << "d0 01 01 00 00" << "";
    QTest::newRow("monitor: arm, Space") << "monitor" << "SpeedButton2" << "Space" << none << "40 30 04 01 01" << "";
    QTest::newRow("monitor: volume 4 to 7") << "monitor" << "TrackBar1" << "Right Right Right" << none << "40 18 07 00 00" << "";
    QTest::newRow("monitor: volume, End") << "monitor" << "TrackBar1" << "End" << none << "40 00 0a 00 00" << "";

    QTest::newRow("setup: AP, Enter") << "setup" << "Image2" << "Return" << done << "93 /local/ap_key.cfg" << "";
    QTest::newRow("setup: station, Space") << "setup" << "Image3" << "Space" << done << "93 /local/sta_key.cfg" << "";
    QTest::newRow("setup: static IP, Enter") << "setup" << "Image10" << "Return" << done << "93 /local/sta_ip.cfg" << "";
    QTest::newRow("setup: location, Space") << "setup" << "Image6" << "Space" << done << "95 /local/locate.cfg" << "";
    QTest::newRow("setup: Wi-Fi mode, Enter") << "setup" << "Image4" << "Return" << done << "30 00" << "";
    QTest::newRow("setup: Modbus TCP, Space") << "setup" << "Image9" << "Space" << done << "95 /local/mbport.cfg" << "";
    QTest::newRow("setup: reset, Enter") << "setup" << "Image7" << "Return" << done << "5e 01" << "";
    QTest::newRow("setup: firmware, Space") << "setup" << "Image1" << "Space" << QStringList{"Confirm", "open file"} << "" << "";
    QTest::newRow("setup: reboot, Enter") << "setup" << "Image8" << "Return" << done << "2d" << "";
}

void KeyboardX11Test::everyActionByKeyboard()
{
    QFETCH(QString, window);
    QFETCH(QString, target);
    QFETCH(QString, keys);
    QFETCH(QStringList, boxes);
    QFETCH(QString, request);
    QFETCH(QString, opened);

    if (window == "monitor") {
        MonitorRig rig;
        QVERIFY(rig.linkUp());
        rig.window->findChild<QWidget *>("Image1")->setFocus(Qt::TabFocusReason);
        QVERIFY2(tabTo(target), qPrintable(target));
        press(keys);
        const StandIn &standIn = opened == "setup" ? rig.setup : rig.editor;
        if (!opened.isEmpty()) {
            QCOMPARE(standIn.opened, 1);
        } else {
            QTRY_VERIFY(rig.session->link.pending.code != 0); // the volume after its release delay
            rig.window->onPollTick();
            QCOMPARE(requests(rig.sim.unit()).value(0), request);
        }
        QCOMPARE(rig.setup.opened + rig.editor.opened, opened.isEmpty() ? 0 : 1);
        return;
    }

    SetupRig rig({}, 230);
    rig.status.apSsid = "Unit AP";
    rig.status.stationSsid = "Unit net";
    rig.status.location = "Hall 3";
    rig.status.modbusPort = 1502;
    rig.status.modbusIdleTimeout = 30;
    rig.status.modelCode = ModelZor06;
    AnsweringDialogs dialogs;
    SetupWindow setup(rig.session, dialogs);
    setup.show();
    QVERIFY(QTest::qWaitForWindowActive(&setup));
    QVERIFY2(tabTo(target), qPrintable(target));
    press(keys);
    QTRY_COMPARE(dialogs.seen, boxes);
    QTRY_COMPARE(requests(rig.unit()).value(0), request); // a send-only request may still be on its way
}

QTEST_MAIN(KeyboardX11Test)
#include "test_keyboard_x11.moc"
