// The monitor window when the link fails or the address is wrong, and what it shows of the unit.
#include "MonitorWindowTest.h"
#include "MonitorWindowControls.h"

#include "FixedAdapterSource.h"
#include "IndicatorShape.h"
#include "LinkStateIndicator.h"
#include "ScriptedDialogs.h"
#include "SimulatorThread.h"
#include "StatusPanels.h"
#include "MonitorWindow.h"
#include "UnitSession.h"
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

void MonitorWindowTest::unitAnsweringForAnotherAddressNeverLinks()
{
    UnitFaults faults;
    faults.otherAddress = QHostAddress("127.0.3.250");
    simulator_->setFaults(faults);
    MonitorWindow &form = createWindow();
    showWindow();
    tick();
    QCOMPARE(control<QLabel>(form, "Label4")->text(), "ZOR-06-WF");
    QVERIFY(!session_->status.linked);
    takeFrames();

    for (int turn = 1; turn <= 3; ++turn) {
        tick(31);
        QCOMPARE(takeFrames(), QList<QByteArray>{frame("5a3577a5210000")});
        QCOMPARE(logLines().filter("Re-Get Device..").size(), turn);
        QVERIFY(!session_->status.linked);
    }
    QCOMPARE(linkState(form), "Answering, not linked");
}

void MonitorWindowTest::connectTimeoutIsShownAndCleared()
{
    MonitorWindow &form = createWindow();
    linkUp();
    UnitFaults refusing;
    refusing.refuseConnections = true;
    simulator_->setFaults(refusing);
    QTest::mouseClick(form.findChild<QWidget *>("Image3"), Qt::LeftButton);
    tick();
    QCOMPARE(form.statusLine(), "Connect Timeout");
    QCOMPARE(session_->link.expectedCode, 0);

    simulator_->setFaults(UnitFaults{});
    tick(31); // the unit identifies itself again first
    QCOMPARE(form.statusLine(), "Get Device Linked!!");
    QTest::mouseClick(form.findChild<QWidget *>("Image3"), Qt::LeftButton);
    tick();
    QCOMPARE(form.statusLine(), "Set Locator done!");
}

void MonitorWindowTest::staticIpEntry()
{
    MonitorWindow &form = createWindow();
    linkUp();
    auto *entry = control<QLineEdit>(form, "Edit2");

    entry->setText("127.0.x.5");
    dialogs_->expectMessageBox("Part 3 of the address '127.0.x.5', 'x', is not a valid integer value",
                               QCoreApplication::applicationName(), Dialogs::Error);
    form.onStaticIpClicked();
    QVERIFY(dialogs_->pending().isEmpty());
    QCOMPARE(session_->link.deviceAddress, unitAddress_);
    QVERIFY(session_->status.statusValid);

    entry->setText(unitAddress_);
    QTest::mouseClick(form.findChild<QWidget *>("SpeedButton5"), Qt::LeftButton);
    QCOMPARE(form.statusLine(), "Change IP => " + unitAddress_);
    QVERIFY(!session_->status.statusValid);
    QCOMPARE(control<QLabel>(form, "Label4")->text(), "");
    QVERIFY(!form.findChild<QWidget *>("SpeedButton4")->isEnabled());
    QCOMPARE(session_->link.pending.code, 33);
    tick();
    QVERIFY(session_->status.statusValid);
    QCOMPARE(control<QLabel>(form, "Label4")->text(), "ZOR-06-WF");
}

void MonitorWindowTest::linkStateFollowsTheExchanges()
{
    MonitorWindow &form = createWindow();
    QCOMPARE(linkState(form), "No connection");
    linkUp();
    QCOMPARE(linkState(form), "Linked, answering");
    const QColor answering = control<LinkStateIndicator>(form, "LinkState")->color();

    const auto locate = [&](const UnitFaults &faults) {
        simulator_->setFaults(faults);
        QTest::mouseClick(form.findChild<QWidget *>("Image3"), Qt::LeftButton);
        tick();
    };
    UnitFaults silent;
    silent.noAnswer = true;
    locate(silent);
    const QString silence = linkState(form);
    QVERIFY2(QRegularExpression("^No answer since \\d\\d:\\d\\d:\\d\\d$").match(silence).hasMatch(), qPrintable(silence));
    QTest::qWait(1100); // into another second
    locate(silent); // the silence began at the first unanswered request
    QCOMPARE(linkState(form), silence);

    UnitFaults refusing;
    refusing.refuseConnections = true;
    locate(refusing);
    QCOMPARE(linkState(form), "No connection: refused");
    simulator_->setFaults(UnitFaults{});
    tick(31);
    QCOMPARE(linkState(form), "Linked, answering");
    QCOMPARE(control<LinkStateIndicator>(form, "LinkState")->color(), answering);

    adapters_->wifiRecords.clear();
    session_->poll.tickCount = PollLoop::PollTurnTick;
    tick();
    QCOMPARE(linkState(form), "No connection: no Wi-Fi adapter on the unit's subnet");
    QVERIFY(control<LinkStateIndicator>(form, "LinkState")->color() != answering);
}

void MonitorWindowTest::addressWithoutUnitShowsNoStaleIdentity()
{
    MonitorWindow &form = createWindow();
    linkUp();
    QVERIFY(!panel(form, "StatusBar1", 0).isEmpty());
    const QString nobody = unitAddress_.left(unitAddress_.lastIndexOf('.') + 1) + "251";
    control<QLineEdit>(form, "Edit2")->setText(nobody);
    QTest::mouseClick(form.findChild<QWidget *>("SpeedButton5"), Qt::LeftButton);
    tick();

    QCOMPARE(form.statusLine(), "Connect Timeout");
    QCOMPARE(panel(form, "StatusBar1", 1), "IP: " + nobody);
    const QStringList identity = {panel(form, "StatusBar1", 0), panel(form, "StatusBar2", 1),
                                  panel(form, "StatusBar3", 0), panel(form, "StatusBar3", 1)};
    QCOMPARE(identity, QStringList(4, QString()));
    QCOMPARE(linkState(form), "No connection: refused");
}

void MonitorWindowTest::unitTextIsNeverMarkup()
{
    simulator_->unit().updateState([](UnitState &state) { state.settings.location = "<i>Hall</i>"; });
    MonitorWindow &form = createWindow();
    linkUp();
    auto *location = control<QLabel>(form, "Label5");
    QCOMPARE(location->text(), "Locate: <i>Hall</i>");
    // Shown as markup, it would be only as wide as "Locate: Hall".
    QVERIFY(location->sizeHint().width() >= location->fontMetrics().horizontalAdvance(location->text()));
}

void MonitorWindowTest::lostLinkAsksWhoAnswersFirst_data()
{
    QTest::addColumn<bool>("adapterLeaves"); // the link check fails, instead of the connection being refused
    QTest::addColumn<bool>("anotherUnit");   // answers on the same address once the link is back
    QTest::addColumn<QString>("lostState");
    QTest::addColumn<QString>("lostModel");
    QTest::addColumn<int>("anotherUnitLines");

    const QString refused = "No connection: refused";
    QTest::newRow("refused, the same unit back") << false << false << refused << "ZOR-06-WF" << 0;
    QTest::newRow("refused, another unit") << false << true << refused << "ZOR-06-WF" << 1;
    // A failed check has reset the display already: nothing of the last unit is left to compare.
    QTest::newRow("adapter left, another unit") << true << true << "No connection: no Wi-Fi adapter on the unit's subnet"
                                                << "Device not found!!" << 0;
}

void MonitorWindowTest::lostLinkAsksWhoAnswersFirst()
{
    QFETCH(bool, adapterLeaves);
    QFETCH(bool, anotherUnit);

    MonitorWindow &form = createWindow();
    linkUp();
    const QString firstMac = panel(form, "StatusBar1", 0);
    UnitFaults refusing;
    refusing.refuseConnections = true;
    if (adapterLeaves)
        adapters_->wifiRecords = {{"wlan-test", false}};
    else
        simulator_->setFaults(refusing);
    tick(31);
    QTEST(linkState(form), "lostState");
    QVERIFY(!session_->status.linked);
    QTEST(control<QLabel>(form, "Label4")->text(), "lostModel");
    if (!adapterLeaves)
        QCOMPARE(control<QLabel>(form, "Label4")->palette().color(QPalette::Active, QPalette::WindowText), QColor(128, 128, 128));
    const char *senders[] = {"Label5", "Label12", "Label2", "TrackBar1", "SpeedButton2", "SpeedButton4", "Image3"};
    for (const char *name : senders)
        QVERIFY2(!control<QWidget>(form, name)->isEnabled(), name);
    // Nothing goes to an address whose unit has not identified itself, whatever reaches the handlers.
    form.onArmClicked();
    form.onRelayClicked();
    form.onLocatorClicked();
    form.sendVolumeSoon();
    form.onVolumeSendDelay();
    QCOMPARE(session_->link.pending.code, 0);

    if (anotherUnit)
        simulator_->unit().updateState([](UnitState &state) {
            state.model = ModelZor04Rtu;
            state.mac[5] ^= 0xFF;
            state.settings.location = "Hall 9";
            state.rssi = 0; // reports none: the last unit's must not stay
        });
    adapters_->wifiRecords = {{"wlan-test", true}};
    simulator_->setFaults(UnitFaults{});
    takeFrames();
    tick(31);
    QCOMPARE(takeFrames(), QList<QByteArray>{frame("5a3577a5210000")}); // who answers, before any status poll
    QVERIFY(session_->status.linked);
    QCOMPARE(control<QLabel>(form, "Label4")->text(), anotherUnit ? "ZOR-04-RTU-WF" : "ZOR-06-WF");
    QCOMPARE(control<QLabel>(form, "Label5")->text(), anotherUnit ? "Locate: Hall 9" : "Locate: Hall 3");
    QCOMPARE(control<QLabel>(form, "Label12")->text(), anotherUnit ? "RSSI:" : "RSSI: -60dBm");
    QCOMPARE(control<QLabel>(form, "Label16")->isEnabled(), !anotherUnit);
    QCOMPARE(panel(form, "StatusBar1", 0) != firstMac, anotherUnit);
    QTEST(int(logLines().filter("Another unit answers at " + unitAddress_).size()), "anotherUnitLines");
    for (const char *name : senders)
        QVERIFY2(control<QWidget>(form, name)->isEnabled(), name);
    QCOMPARE(linkState(form), "Linked, answering");
    tick(31);
    QCOMPARE(takeFrames(), QList<QByteArray>{frame("5a3577a5d8")});
}

void MonitorWindowTest::offSubnetAddressIsExplained_data()
{
    QTest::addColumn<QStringList>("wifi"); // addresses of connected Wi-Fi adapters
    QTest::addColumn<QString>("text");

    const QString rule = "The tool reaches a unit only through a connected Wi-Fi adapter on the unit's subnet (127.0.9.x).";
    QTest::newRow("one adapter elsewhere") << QStringList{"127.0.3.100"}
                                           << "127.0.9.7 is not on the subnet of this PC's Wi-Fi adapter (127.0.3.100). " + rule
                                                  + " Join the unit's network over Wi-Fi first.";
    QTest::newRow("two adapters elsewhere") << QStringList{"127.0.3.100", "127.0.5.8"}
                                            << "127.0.9.7 is not on the subnet of any of this PC's Wi-Fi adapters "
                                               "(127.0.3.100, 127.0.5.8). " + rule + " Join the unit's network over Wi-Fi first.";
    QTest::newRow("no Wi-Fi") << QStringList{} << "No Wi-Fi adapter of this PC is connected, so 127.0.9.7 cannot be reached. " + rule;
}

void MonitorWindowTest::offSubnetAddressIsExplained()
{
    QFETCH(QStringList, wifi);
    QFETCH(QString, text);
    MonitorWindow &form = createWindow();
    linkUp();
    adapters_->adapterRecords.clear();
    adapters_->wifiRecords.clear();
    for (const QString &address : wifi) {
        const QString name = "wlan-" + address;
        adapters_->adapterRecords.append({name, address});
        adapters_->wifiRecords.append({name, true});
    }
    dialogs_->expectMessageBox(text, "Device not found", Dialogs::Warning);
    control<QLineEdit>(form, "Edit2")->setText("127.0.9.7");
    QTest::mouseClick(form.findChild<QWidget *>("SpeedButton5"), Qt::LeftButton);
    QVERIFY(dialogs_->pending().isEmpty());
    QCOMPARE(control<QLabel>(form, "Label4")->text(), "Device not found!!");
    QCOMPARE(linkState(form), "No connection: no Wi-Fi adapter on the unit's subnet");
    QCOMPARE(session_->link.pending.code, 0);
}

void MonitorWindowTest::refusedDeviceInformationIsNamed()
{
    UnitFaults refusing;
    refusing.negativeStatus = true;
    simulator_->setFaults(refusing);
    MonitorWindow &form = createWindow();
    showWindow();
    tick();
    QCOMPARE(control<QLabel>(form, "Label4")->text(), "Device information refused");
    QCOMPARE(linkState(form), "Answering, not linked");
    QVERIFY(!session_->status.linked);
}
