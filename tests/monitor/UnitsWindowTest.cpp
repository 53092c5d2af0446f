#include "UnitsWindowTest.h"

#include "BatchCommands.h"
#include "FixedAdapterSource.h"
#include "MonitorWindow.h"
#include "ScriptedDialogs.h"
#include "SimulatorThread.h"
#include "UnitSession.h"
#include "UnitSightingsCsv.h"
#include "UnitsWindow.h"
#include "ZorctlChild.h"

#include <QAction>
#include <QElapsedTimer>
#include <QDir>
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

void UnitsWindowTest::batchCommandLines_data()
{
    using BatchCommands::Action;
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QStringList>("arguments");

    const QString mac = "02:5A:77:00:0A:02";
    const QStringList at{"--address", "127.0.10.2"};
    const QStringList gauge = QStringList{"--progress-lines"} + at;
    QTest::newRow("write project") << int(Action::WriteProject) << "/p" << mac << gauge + QStringList{"project", "write", "/p"};
    QTest::newRow("diff") << int(Action::DiffProfile) << "/p.json" << mac << at + QStringList{"diff", "/p.json"};
    QTest::newRow("apply") << int(Action::ApplyProfile) << "/p.json" << mac
                           << gauge + QStringList{"restore", "/p.json", "--changed-only"};
    QTest::newRow("location: plain") << int(Action::SetLocation) << "Hall" << mac << at + QStringList{"set", "location", "Hall"};
    QTest::newRow("location: fields") << int(Action::SetLocation) << "{n}/{mac}/{address}/{x}" << mac
                                      << at + QStringList{"set", "location", "3/" + mac + "/127.0.10.2/{x}"};
    // A value put in for a field is not read again as one.
    QTest::newRow("location: field in the MAC") << int(Action::SetLocation) << "{mac}" << "{address}"
                                                << at + QStringList{"set", "location", "{address}"};
    QTest::newRow("back up") << int(Action::BackUp) << "/b" << mac << gauge + QStringList{"backup", "/b/025A77000A02.json"};
    // Only the MAC's hex digits make the file name: no unit names a path.
    QTest::newRow("back up: odd MAC") << int(Action::BackUp) << "/b" << "../../x:1F" << gauge + QStringList{"backup", "/b/1F.json"};
    QTest::newRow("back up: no MAC") << int(Action::BackUp) << "/b" << "" << gauge + QStringList{"backup", "/b/127.0.10.2.json"};
    QTest::newRow("firmware") << int(Action::UpdateFirmware) << "/f.bin" << mac << gauge + QStringList{"firmware", "/f.bin"};
    QTest::newRow("restart") << int(Action::Restart) << "" << mac << at + QStringList{"reboot"};
    QTest::newRow("report") << int(Action::UnitReport) << "/r" << mac << at + QStringList{"report", "/r/025A77000A02.pdf"};
}

void UnitsWindowTest::batchCommandLines()
{
    QFETCH(int, action);
    QFETCH(QString, value);
    QFETCH(QString, mac);
    const UnitSighting unit{"127.0.10.2", "ZOR-06-WF", mac, "Hall", "FW: V01.20", "", 0, "ap"};
    QTEST(BatchCommands::unitArguments(BatchCommands::Action(action), value, unit, 3), "arguments");
}

void UnitsWindowTest::childRunEnds_data()
{
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stderrText");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("lastPercent"); // of the last progress line; -1 when none counts

    QTest::newRow("done") << 0 << "progress 0 4\nprogress 4 4\n" << true << "done" << 100;
    QTest::newRow("done with a note") << 0 << "zorctl: the unit kept 002.mp3\nprogress 1 2\n" << true
                                      << "done (the unit kept 002.mp3)" << 50;
    // The reason is the last line that is not a progress line.
    QTest::newRow("failed") << 3 << "Connect Timeout\nprogress 1 4\n" << false << "Connect Timeout" << 25;
    QTest::newRow("failed silently") << 1 << "" << false << "exit status 1" << -1;
    QTest::newRow("not confirmed") << 1 << "zorctl: not confirmed: /local/locate.cfg: no answer\n" << false
                                   << "not confirmed: /local/locate.cfg: no answer" << -1;
    // Garbled or impossible lines never reach a gauge.
    QTest::newRow("past the end") << 1 << "progress 5 4\n" << false << "progress 5 4" << -1;
    QTest::newRow("no total") << 1 << "progress 3 0\n" << false << "progress 3 0" << -1;
    QTest::newRow("cut short") << 1 << "progress 3\n" << false << "progress 3" << -1;
    QTest::newRow("negative") << 1 << "progress -1 4\n" << false << "progress -1 4" << -1;
}

void UnitsWindowTest::childRunEnds()
{
    QFETCH(int, exitCode);
    QFETCH(QString, stderrText);
    const QStringList lines = stderrText.split('\n');
    const ChildRunEnd end = childRunEnd(true, exitCode, lines);
    QTEST(end.ok, "ok");
    QTEST(end.message, "message");
    int percent = -1;
    for (const QString &line : lines)
        if (progressPercent(line) >= 0)
            percent = progressPercent(line);
    QTEST(percent, "lastPercent");
}

void UnitsWindowTest::firmwareIsCheckedAndConfirmedOnce_data()
{
    QTest::addColumn<qsizetype>("size");
    QTest::addColumn<QString>("secondModel");
    QTest::addColumn<QString>("box"); // after the image's path
    QTest::addColumn<int>("flags");

    QTest::newRow("empty") << qsizetype(0) << "ZOR-06-WF" << " is empty: nothing was sent." << int(Dialogs::Error);
    QTest::newRow("too large") << qsizetype(2 * 1048576 + 1) << "ZOR-06-WF"
                               << " has 2097153 bytes, more than the 2097152 a unit takes: nothing was sent." << int(Dialogs::Error);
    QTest::newRow("two units") << qsizetype(3) << "ZOR-04-RTU-WF"
                               << "\n    . Size: 3 bytes\n    . Sum: 00000006\n    . Units: 2" << int(Dialogs::YesNoQuestion);
    QTest::newRow("one of an unknown model") << qsizetype(3) << "Unknow Device??"
                                             << "\n    . Size: 3 bytes\n    . Sum: 00000006\n    . Units: 2"
                                                "\n    . 1 of a model not recognised: sent unconfirmed"
                                             << int(Dialogs::YesNoQuestion);
}

void UnitsWindowTest::firmwareIsCheckedAndConfirmedOnce()
{
    QFETCH(qsizetype, size);
    QFETCH(QString, secondModel);
    QFETCH(QString, box);
    QFETCH(int, flags);
    QTemporaryDir folder;
    const QString image = folder.filePath("fw.bin");
    QFile file(image);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(QByteArray(size, '\2')), size);
    file.close();
    const QString shown = QDir::toNativeSeparators(image);

    ScriptedDialogs dialogs;
    UnitsBatch batch(dialogs);
    batch.run().program = folder.filePath("no-zorctl"); // nothing may start
    dialogs.expectOpenFile(image);
    if (flags == Dialogs::Error)
        dialogs.expectMessageBox("The F/W image " + shown + box, "Units", flags);
    else
        dialogs.expectMessageBox("Send this F/W image, execute?\n    . File: " + shown + box, "Confirm", flags, Dialogs::No);
    batch.updateFirmware({{"127.0.10.2", "ZOR-06-WF", "", "", "", "", 0, "ap"}, {"127.0.10.3", secondModel, "", "", "", "", 0, "ap"}});
    QVERIFY(dialogs.pending().isEmpty());
    QVERIFY(!batch.isRunning());
    QVERIFY(batch.results().isEmpty());
}

QTEST_MAIN(UnitsWindowTest)
