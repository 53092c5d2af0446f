// The setup window offscreen, on a simulated unit, with scripted dialogs.
#include "SetupRig.h"
#include "ProgressGauge.h"
#include "SetupWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <functional>

using Fill = std::function<void(SetupWindow &)>;
Q_DECLARE_METATYPE(Fill)

namespace {
constexpr int WindowHosts = 100;

template <typename T = QWidget>
T *child(SetupWindow &window, const char *name)
{
    T *found = window.findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

void type(SetupWindow &window, const char *name, const QString &text) { child<QLineEdit>(window, name)->setText(text); }
void click(SetupWindow &window, const char *name) { QTest::mouseClick(child(window, name), Qt::LeftButton); }

// Answers Yes and OK to every box and offers one file; remembers the captions.
struct AnsweringDialogs : Dialogs {
    QString file;
    QStringList captions;
    int messageBox(const QString &, const QString &caption, int) override { return captions << caption, Yes; }
    QString openFile(const QString &, const QString &) override { return file; }
    QString chooseFolder(const QString &, const QString &) override { return {}; }
};
} // namespace

class SetupWindowTest : public QObject {
    Q_OBJECT
private slots:
    void layoutAsGiven();
    void readBack_data();
    void readBack();
    void staticAddressToggle();
    void wheelLeavesComboBoxes();
    void applies_data();
    void applies();
    void gauge_data();
    void gauge();
    void clicksDuringARunAreIgnored();
    void modbusRtuWithoutLinkWritesNothing();
};

void SetupWindowTest::layoutAsGiven()
{
    SetupRig rig({}, WindowHosts);
    SetupWindow window(rig.session, rig.dialogs);
    QCOMPARE(window.windowTitle(), "ZOR.Setup");
    QCOMPARE(window.size(), QSize(705, 433));
    QVERIFY(!child(window, "GroupBox4")->isEnabled());
    QVERIFY(child(window, "Image5")->isHidden());
    QCOMPARE(child<QLineEdit>(window, "Edit1")->text(), "ZOR-06-WF-XXXXXX");
    QCOMPARE(child<QLineEdit>(window, "Edit3")->text(), "kRVHUB");
    QVERIFY(child<QRadioButton>(window, "RadioButton1")->isChecked());
    QVERIFY(child<QRadioButton>(window, "RadioButton5")->isChecked());
    QVERIFY(child<QRadioButton>(window, "RadioButton7")->isChecked());
    QCOMPARE(child(window, "CheckBox1")->toolTip(), "Static IP, only Station mode");
    QCOMPARE(child(window, "Image8")->toolTip(), "Reboot");
    QCOMPARE(child<QComboBox>(window, "ComboBox1")->count(), 11);
    QCOMPARE(child<QComboBox>(window, "ComboBox2")->currentText(), "None");
    QCOMPARE(child<QProgressBar>(window, "CGauge1")->height(), 9);
    QVERIFY(child(window, "Memo1")->isHidden());
    QVERIFY(!child<QTimer>(window, "Timer1")->isActive());
    QCOMPARE(rig.session.transfer.flashGauge, dynamic_cast<ProgressGauge *>(child(window, "CGauge1")));
}

void SetupWindowTest::readBack_data()
{
    QTest::addColumn<int>("model");
    QTest::addColumn<bool>("sdPresent");
    QTest::addColumn<bool>("tcpShown");
    QTest::addColumn<bool>("rtuShown");
    QTest::addColumn<QString>("sdIndicator");
    QTest::addColumn<int>("rtuTop"); // where "Modbus RTU" stands
    QTest::newRow("ZOR-06-WF") << int(ModelZor06) << true << true << false << "   " << 194;
    QTest::newRow("ZOR-04-RTU-WF without SD: no gap above RTU")
        << int(ModelZor04Rtu) << false << false << true << "SD not exists!!" << 116;
    QTest::newRow("ZOR-04-RTU-WF with SD") << int(ModelZor04Rtu) << true << false << true << "     " << 116;
    QTest::newRow("not recognised: both") << 0 << false << true << true << "   " << 194;
}

void SetupWindowTest::readBack()
{
    QFETCH(int, model);
    QFETCH(bool, sdPresent);
    QFETCH(bool, tcpShown);
    QFETCH(bool, rtuShown);
    QFETCH(QString, sdIndicator);
    QFETCH(int, rtuTop);

    SetupRig rig({}, WindowHosts);
    SetupWindow window(rig.session, rig.dialogs);
    type(window, "Edit2", "typed ap key");
    type(window, "Edit4", "typed station key");
    type(window, "Edit9", "255.0.0.0");
    DeviceStatus &s = rig.status;
    s.modelCode = std::uint8_t(model);
    s.sdPresent = sdPresent;
    s.apSsid = "Unit AP";
    s.apKeyType = 0;
    s.stationSsid = "Office";
    s.stationKeyType = 1;
    s.location = "Pump room";
    s.modbusPort = 1502;
    s.modbusIdleTimeout = 30;
    s.wifiMode = 2;
    window.show();
    window.readBack();

    QCOMPARE(child<QLineEdit>(window, "Edit1")->text(), "Unit AP");
    QVERIFY(child<QRadioButton>(window, "RadioButton1")->isChecked());
    QCOMPARE(child<QLineEdit>(window, "Edit2")->text(), ""); // open type clears the key
    QCOMPARE(child<QLineEdit>(window, "Edit3")->text(), "Office");
    QVERIFY(child<QRadioButton>(window, "RadioButton4")->isChecked());
    QCOMPARE(child<QLineEdit>(window, "Edit4")->text(), "typed station key");
    QCOMPARE(child<QLineEdit>(window, "Edit5")->text(), "Pump room");
    QCOMPARE(child<QLineEdit>(window, "Edit7")->text(), "1502");
    QCOMPARE(child<QLineEdit>(window, "Edit12")->text(), "30");
    QVERIFY(child<QRadioButton>(window, "RadioButton6")->isChecked());
    QVERIFY(!child<QCheckBox>(window, "CheckBox1")->isChecked());
    QCOMPARE(child<QLineEdit>(window, "Edit9")->text(), "255.0.0.0"); // the mask stays without a static address
    QCOMPARE(child(window, "GroupBox6")->isVisible(), tcpShown);
    QCOMPARE(child(window, "GroupBox7")->isVisible(), rtuShown);
    QCOMPARE(child<QLabel>(window, "Label18")->text(), sdIndicator);
    QCOMPARE(child(window, "GroupBox7")->y(), rtuTop);

    s.staticIpUsed = true;
    s.staticIp = {192, 168, 1, 10};
    s.subnetMask = {255, 255, 255, 0};
    s.gateway = {192, 168, 1, 1};
    window.readBack();
    QVERIFY(child<QCheckBox>(window, "CheckBox1")->isChecked());
    QCOMPARE(child<QLineEdit>(window, "Edit8")->text(), "192.168.1.10");
    QCOMPARE(child<QLineEdit>(window, "Edit9")->text(), "255.255.255.0");
    QCOMPARE(child<QLineEdit>(window, "Edit10")->text(), "192.168.1.1");
}

void SetupWindowTest::staticAddressToggle()
{
    SetupRig rig({}, WindowHosts);
    SetupWindow window(rig.session, rig.dialogs);
    window.show();
    const char *const fields[] = {"Label10", "Label11", "Label12", "Edit8", "Edit9", "Edit10"};
    for (const char *name : fields)
        QVERIFY2(!child(window, name)->isEnabled(), name);
    click(window, "CheckBox1");
    for (const char *name : fields)
        QVERIFY2(child(window, name)->isEnabled(), name);
    click(window, "CheckBox1");
    for (const char *name : fields)
        QVERIFY2(!child(window, name)->isEnabled(), name);
}

void SetupWindowTest::wheelLeavesComboBoxes()
{
    SetupRig rig({}, WindowHosts);
    SetupWindow window(rig.session, rig.dialogs);
    window.show();
    auto *box = child<QComboBox>(window, "ComboBox1");
    const QPointF at = QPointF(box->rect().center());
    QWheelEvent wheel(at, box->mapToGlobal(at), {}, {0, -120}, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(box, &wheel);
    QCOMPARE(box->currentText(), "115200");
}

void SetupWindowTest::applies_data()
{
    QTest::addColumn<Fill>("fill");
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("confirmation"); // empty: none
    QTest::addColumn<QString>("completion");   // empty: none
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QStringList>("monitorLog");

    const QString reboot = ",\n    . Manual Reboot to take effect!";
    QTest::newRow("AP") << Fill([](SetupWindow &w) {
        type(w, "Edit1", "Hall");
        child<QRadioButton>(w, "RadioButton2")->setChecked(true);
        type(w, "Edit2", "secret99");
    }) << "Image2" << "Modify AP SSID, execute?\n    . SSID: Hall\n    . Type: [2] WPA/WPA2\n    . KEY: secret99"
       << "AP SSID write complete" + reboot << QStringList{"95/60 /local/ap_key.cfg", "95/60 /local/ap_ssid.cfg"}
       << QStringList{"4", "8", "AP_KEY =secret99", "AP_SSID =Hall"};
    QTest::newRow("station") << Fill([](SetupWindow &w) {
        type(w, "Edit3", "Net");
        child<QRadioButton>(w, "RadioButton3")->setChecked(true);
    }) << "Image3" << "Modify STA SSID, execute?\n    . SSID: Net\n    . Type: [0] OPEN\n    . KEY: "
       << "STA SSID write complete" + reboot
       << QStringList{"93/40 /local/sta_key.cfg", "95/60 /local/sta_keyT.cfg", "95/60 /local/sta_ssid.cfg"}
       << QStringList{"3", "STA_KTYPE =0", "STA_SSID =Net"};
    QTest::newRow("static address") << Fill([](SetupWindow &w) {
        click(w, "CheckBox1");
        type(w, "Edit8", "192.168.1.10");
        type(w, "Edit10", "192.168.1.1");
    }) << "Image10" << "Modify Station Static IP, Mask, Gateway, execute?\n    . IP: 192.168.1.10\n    . Mask: 255.255.255.0\n    . Gateway: 192.168.1.1"
       << "Station Static IP write complete" + reboot << QStringList{"95/60 /local/sta_ip.cfg"} << QStringList{};
    QTest::newRow("location") << Fill([](SetupWindow &w) { type(w, "Edit5", "Hall"); }) << "Image6"
                              << "Modify Location string, execute?\n    . Location: Hall.\n"
                              << "Location string write complete" + reboot << QStringList{"95/60 /local/locate.cfg"}
                              << QStringList{"4", "Location =Hall"};
    QTest::newRow("Modbus TCP") << Fill([](SetupWindow &w) {
        type(w, "Edit7", "502");
        type(w, "Edit12", "30");
    }) << "Image9" << "Modify Modbus Port & Idle Timeout, execute?\n    . Port: 502, Idle Timeout: 30."
       << "Modify Modbus Port, Timeout write complete" + reboot << QStringList{"95/60 /local/mbport.cfg", "dc"}
       << QStringList{"Modbus Port =502, Idle Timeout: 30"};
    QTest::newRow("Modbus RTU") << Fill([](SetupWindow &w) { child<QComboBox>(w, "ComboBox2")->setCurrentText("Even"); })
                                << "Image11" << QString() << QString() << QStringList{"90/32 RTU.CFG"} << QStringList{};
    QTest::newRow("Wi-Fi mode") << Fill([](SetupWindow &w) { child<QRadioButton>(w, "RadioButton6")->setChecked(true); })
                                << "Image4" << "Modify Wi-Fi Mode, execute?\n    . Wi-Fi Mode: AP Mode.\n    . Device will Reboot immediately!"
                                << "Wi-Fi Mode write complete,\n    . Reboot complete." << QStringList{"30 02"}
                                << QStringList{};
    QTest::newRow("reset") << Fill() << "Image7" << "Reset to default setting, execute?\n    . Device will Reboot immediately!"
                           << "Reset default complete,\n    . Reboot complete." << QStringList{"5e 01"} << QStringList{};
    QTest::newRow("reboot") << Fill() << "Image8" << "Reboot device, execute?" << "Reboot complete."
                            << QStringList{"2d"} << QStringList{};
}

void SetupWindowTest::applies()
{
    QFETCH(Fill, fill);
    QFETCH(QString, image);
    QFETCH(QString, confirmation);
    QFETCH(QString, completion);
    QFETCH(QStringList, frames);
    QFETCH(QStringList, monitorLog);

    SetupRig rig({}, WindowHosts);
    rig.status.sdPresent = true;
    rig.unit().setFile(FileArea::Flash, "/local/sta_key.cfg", "old key!"); // a unit refuses to delete what it lacks
    SetupWindow window(rig.session, rig.dialogs);
    QStringList logged;
    connect(&window, &SetupWindow::monitorLogLine, [&logged](const QString &line) { logged << line; });
    QStringList statusLines;
    connect(&window, &SetupWindow::statusLine, [&statusLines](const QString &text) { statusLines << text; });
    window.show();
    if (fill)
        fill(window);
    if (!confirmation.isEmpty())
        rig.dialogs.expectMessageBox(confirmation, "Confirm", Dialogs::YesNoQuestion, Dialogs::Yes);
    if (!completion.isEmpty())
        rig.dialogs.expectMessageBox(completion, "Information", Dialogs::Information);
    click(window, image.toLatin1().constData());

    QTRY_COMPARE(rig.frames(), frames);
    QCOMPARE(logged, monitorLog);
    if (image == "Image11") {
        QCOMPARE(child<QPlainTextEdit>(window, "Memo1")->toPlainText().split('\n').last(), "RTU String =1,115200,E,8,1      ");
        QTRY_COMPARE(rig.unit().file(FileArea::Sd, "RTU.CFG").value_or(""), QByteArray("1,115200,E,8,1"));
    }
    // Only the RTU apply, which has no completion box, tells its result on the status line.
    QCOMPARE(statusLines, image == "Image11" ? QStringList{"Modbus RTU (RTU.CFG) write complete"} : QStringList{});
}

void SetupWindowTest::gauge_data()
{
    QTest::addColumn<QString>("image");
    QTest::addColumn<bool>("refusing");
    QTest::addColumn<bool>("full"); // else empty
    QTest::newRow("firmware under one chunk reads full") << "Image1" << false << true;
    QTest::newRow("RTU.CFG on this window's gauge") << "Image11" << false << true;
    QTest::newRow("refused RTU.CFG leaves no full bar") << "Image11" << true << false;
    QTest::newRow("refused flash file leaves no full bar") << "Image6" << true << false;
}

void SetupWindowTest::gauge()
{
    QFETCH(QString, image);
    QFETCH(bool, refusing);
    QFETCH(bool, full);

    UnitFaults faults;
    faults.negativeStatus = refusing;
    SetupRig rig(SimulatorOptions{.faults = faults}, WindowHosts);
    rig.status.sdPresent = true;
    rig.status.modelRecognised = true;
    QTemporaryFile firmware;
    QVERIFY(firmware.open());
    firmware.write(QByteArray(500, 'F'));
    firmware.flush();
    AnsweringDialogs dialogs;
    dialogs.file = firmware.fileName();
    SetupWindow window(rig.session, dialogs);
    window.show();
    type(window, "Edit5", "Hall");
    auto *bar = child<QProgressBar>(window, "CGauge1");
    QSignalSpy moved(bar, &QProgressBar::valueChanged);
    QSignalSpy status(&window, &SetupWindow::statusLine);
    if (image == "Image1") // the check's verdict comes through the monitor window
        rig.dialogs.expectMessageBox("F/W update Complete! Reboot to take effect",
                                     "F/W update Complete! Reboot to take effect", Dialogs::Plain);
    click(window, image.toLatin1().constData());
    QTRY_VERIFY(!child<QTimer>(window, "Timer1")->isActive()); // the RTU write runs at its tick
    QTRY_COMPARE(bar->value(), full ? bar->maximum() : 0);
    QCOMPARE(moved.isEmpty(), !full); // a refused announcement sends nothing
    if (image == "Image11") // no box tells the RTU apply's result
        QCOMPARE(status.value(0).value(0).toString(), refusing ? "Modbus RTU (RTU.CFG) not written: RTU.CFG: refused by the unit"
                                                               : "Modbus RTU (RTU.CFG) write complete");
}

void SetupWindowTest::clicksDuringARunAreIgnored()
{
    SetupRig rig({}, WindowHosts);
    rig.status.sdPresent = true;
    AnsweringDialogs dialogs;
    SetupWindow window(rig.session, dialogs);
    window.show();
    type(window, "Edit5", "Hall");
    // A click that reaches the window while the location is written, as one does during a wait.
    connect(&window, &SetupWindow::monitorLogLine, [&window](const QString &line) {
        if (line.startsWith("Location ="))
            for (const char *image : {"Image8", "Image2", "Image11"})
                click(window, image);
    });
    click(window, "Image6");
    QCOMPARE(dialogs.captions, QStringList({"Confirm", "Information"}));
    QVERIFY(!child<QTimer>(window, "Timer1")->isActive());
    QTest::qWait(50);
    QCOMPARE(rig.frames(), QStringList{"95/60 /local/locate.cfg"});
}

void SetupWindowTest::modbusRtuWithoutLinkWritesNothing()
{
    SetupRig rig({}, WindowHosts);
    rig.status.sdPresent = true;
    rig.link.linkCheck = [] { return false; };
    AnsweringDialogs dialogs;
    SetupWindow window(rig.session, dialogs);
    window.show();
    click(window, "Image11");
    QVERIFY(!child<QTimer>(window, "Timer1")->isActive());
    QTest::qWait(rig.timing.sdCheckDelayMs + 100);
    QVERIFY(rig.unit().receivedFrames().isEmpty());
    QVERIFY(dialogs.captions.isEmpty());
}

QTEST_MAIN(SetupWindowTest)
#include "test_setup_window.moc"
