#include "UnitsWindowTest.h"

#include "FixedAdapterSource.h"
#include "MonitorWindow.h"
#include "ScriptedDialogs.h"
#include "SimulatorThread.h"
#include "UnitSession.h"
#include "UnitSightingsCsv.h"
#include "UnitsWindow.h"

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList column(QTableWidget *table, int index)
{
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row)
        texts << table->item(row, index)->text();
    return texts;
}

} // namespace

void UnitsWindowTest::csvFields_data()
{
    QTest::addColumn<QString>("location");
    QTest::addColumn<int>("rssi");
    QTest::addColumn<QString>("line");

    const QString head = "127.0.10.2,ZOR-06-WF,02:5A:77:00:0A:02,";
    const QString tail = ",FW: V01.20,SD Free:3.05/(7.45)GB,";
    QTest::newRow("plain") << "Hall 3" << -60 << head + "Hall 3" + tail + "-60,ap";
    QTest::newRow("no RSSI") << "Hall 3" << 0 << head + "Hall 3" + tail + ",ap";
    QTest::newRow("comma") << "Hall 3, east" << -60 << head + "\"Hall 3, east\"" + tail + "-60,ap";
    QTest::newRow("quote") << "the \"old\" hall" << -60 << head + "\"the \"\"old\"\" hall\"" + tail + "-60,ap";
    QTest::newRow("line break") << "Hall\n3" << -60 << head + "\"Hall\n3\"" + tail + "-60,ap";
    QTest::newRow("formula") << "=HYPERLINK(\"x\")" << -60 << head + "\"'=HYPERLINK(\"\"x\"\")\"" + tail + "-60,ap";
    QTest::newRow("leading minus") << "-1 floor" << -60 << head + "'-1 floor" + tail + "-60,ap";
}

void UnitsWindowTest::csvFields()
{
    QFETCH(QString, location);
    QFETCH(int, rssi);
    QFETCH(QString, line);
    const UnitSighting unit{"127.0.10.2", "ZOR-06-WF", "02:5A:77:00:0A:02", location, "FW: V01.20",
                            "SD Free:3.05/(7.45)GB", rssi, "ap"};
    QCOMPARE(sightingsCsv({unit}), "address,model,mac,location,firmware,sd,rssi,wifiMode\n" + line + "\n");
}

void UnitsWindowTest::subnetEntryIsChecked_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("summary");

    QTest::newRow("empty") << "  " << "Give one or more subnets, e.g. 192.168.1.0/24.";
    // One wrong subnet stops them all, also the good one before it.
    QTest::newRow("too wide") << "127.0.11.0/30, 127.0.0.0/8" << "\"127.0.0.0/8\" is wider than /16";
}

void UnitsWindowTest::subnetEntryIsChecked()
{
    QFETCH(QString, entry);
    ScriptedDialogs dialogs;
    UnitsWindow window(dialogs, {});
    window.findChild<QLineEdit *>("SubnetEdit")->setText(entry);
    QTest::mouseClick(window.findChild<QPushButton *>("ScanButton"), Qt::LeftButton);
    QTEST(window.findChild<QLabel *>("ScanSummary")->text(), "summary");
    QVERIFY(!window.scan().isRunning());
}

void UnitsWindowTest::scanListsTheUnitsWithoutHoldingUpTheWindow()
{
    SimulatorThread six, four, silent;
    SimulatorOptions fourInputs;
    fourInputs.model = ModelZor04Rtu;
    SimulatorOptions mute;
    mute.faults.noAnswer = true;
    QVERIFY(six.start(QHostAddress("127.0.10.20")));
    QVERIFY(four.start(QHostAddress("127.0.10.3"), fourInputs));
    QVERIFY(silent.start(QHostAddress("127.0.10.9"), mute));
    six.unit().updateState([](UnitState &state) { state.settings.location = "Hall 3"; });

    // The monitor window opens the Units window and takes the address it is given.
    FixedAdapterSource adapters({{"wlan-test", "127.0.10.100"}}, {{"wlan-test", true}});
    UnitSession session(adapters);
    session.link.deviceAddress = "127.0.10.1";
    session.linkCheck.subnetPrefix = "127.0.10.";
    ScriptedDialogs dialogs;
    MonitorWindow monitor(session, dialogs);
    monitor.setScanSubnets({"127.0.10.0/24"});
    monitor.findChild<QAction *>("UnitsAction")->trigger();
    auto *window = monitor.findChild<UnitsWindow *>();
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->findChild<QLineEdit *>("SubnetEdit")->text(), "127.0.10.0/24");
    window->timeoutMs = 1500; // the silent unit's budget: a scan held inside the click would take that long

    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(window->findChild<QPushButton *>("ScanButton"), Qt::LeftButton);
    QVERIFY2(clock.elapsed() < 1000, "the scan runs behind the window, not inside the click");
    QVERIFY(window->scan().isRunning());
    QVERIFY(window->findChild<QPushButton *>("CancelButton")->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!window->scan().isRunning(), 5000);

    auto *progress = window->findChild<QProgressBar *>("ScanProgress");
    QCOMPARE(progress->maximum(), 254);
    QCOMPARE(progress->value(), 254);
    QCOMPARE(window->findChild<QLabel *>("ScanSummary")->text(), "2 units found; 252 other hosts did not answer as a unit.");
    auto *table = window->findChild<QTableWidget *>("UnitTable");
    QCOMPARE(column(table, 0), (QStringList{"127.0.10.3", "127.0.10.20"}));
    QCOMPARE(column(table, 1), (QStringList{"ZOR-04-RTU-WF", "ZOR-06-WF"}));
    QCOMPARE(table->item(1, 3)->text(), "Hall 3");
    QCOMPARE(table->item(1, 6)->text(), "-60 dBm");

    QTemporaryDir folder;
    window->chooseExportPath = [&] { return folder.filePath("units.csv"); };
    QTest::mouseClick(window->findChild<QPushButton *>("ExportButton"), Qt::LeftButton);
    QFile csv(folder.filePath("units.csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines[2].startsWith("127.0.10.20,ZOR-06-WF,"));

    // "Use" goes the way of "Static IP": the entry, the address, the reset display, a device-information request.
    QVERIFY(!window->findChild<QPushButton *>("UseButton")->isEnabled());
    table->selectRow(1);
    QTest::mouseClick(window->findChild<QPushButton *>("UseButton"), Qt::LeftButton);
    QCOMPARE(monitor.findChild<QLineEdit *>("Edit2")->text(), "127.0.10.20");
    QCOMPARE(session.link.deviceAddress, "127.0.10.20");
    QCOMPARE(monitor.statusLine(), "Change IP => 127.0.10.20");
    QCOMPARE(session.link.pending.code, 33);
    monitor.onPollTick();
    QVERIFY(session.status.linked);
}

void UnitsWindowTest::cancelAndCloseEndTheScan()
{
    SimulatorThread silent;
    SimulatorOptions mute;
    mute.faults.noAnswer = true;
    QVERIFY(silent.start(QHostAddress("127.0.11.1"), mute));
    ScriptedDialogs dialogs;
    UnitsWindow window(dialogs, {"127.0.11.0/24"});
    window.jobs = 1; // the silent first host holds the scan
    window.show();

    QTest::mouseClick(window.findChild<QPushButton *>("ScanButton"), Qt::LeftButton);
    QTest::mouseClick(window.findChild<QPushButton *>("CancelButton"), Qt::LeftButton);
    QVERIFY(!window.scan().isRunning());
    QCOMPARE(window.findChild<QLabel *>("ScanSummary")->text(), "Cancelled after 0 of 254 hosts: 0 units found.");
    QVERIFY(window.findChild<QPushButton *>("ScanButton")->isEnabled());

    QTest::mouseClick(window.findChild<QPushButton *>("ScanButton"), Qt::LeftButton);
    QVERIFY(window.scan().isRunning());
    window.close();
    QVERIFY(!window.scan().isRunning());
}

void UnitsWindowTest::rowsOffTheWifiSubnetAreMarked()
{
    SimulatorThread near, far;
    QVERIFY(near.start(QHostAddress("127.0.12.2")));
    QVERIFY(far.start(QHostAddress("127.0.13.2")));
    ScriptedDialogs dialogs;
    UnitsWindow window(dialogs, {"127.0.12.0/30 127.0.13.0/30"});
    window.wifiAddresses = [] { return QStringList{"127.0.12.100"}; };
    auto *progress = window.findChild<QProgressBar *>("ScanProgress");
    QVERIFY(!progress->isTextVisible()); // no "0 / 1" before anything was asked

    QTest::mouseClick(window.findChild<QPushButton *>("ScanButton"), Qt::LeftButton);
    QVERIFY(progress->isTextVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!window.scan().isRunning(), 5000);
    QCOMPARE(progress->text(), "4 / 4");
    auto *table = window.findChild<QTableWidget *>("UnitTable");
    QCOMPARE(column(table, 0), (QStringList{"127.0.12.2", "127.0.13.2"}));
    QCOMPARE(column(table, 8), (QStringList{"", "not on the Wi-Fi subnet (Wi-Fi: 127.0.12.100)"}));
    QCOMPARE(table->item(1, 1)->toolTip(), table->item(1, 8)->text());
    QVERIFY(table->item(0, 1)->toolTip().isEmpty());
}

QTEST_MAIN(UnitsWindowTest)
