// Batch work from the Units window on a real X server, against simulated units: each row's
// state, a failing unit among good ones, Cancel, closing while units run, the CSV of results.
#include "ScriptedDialogs.h"
#include "SimulatorThread.h"
#include "UnitsWindow.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include <vector>

namespace {

constexpr int ResultColumn = 9;

QStringList column(QTableWidget *table, int index)
{
    QStringList texts;
    for (int row = 0; row < table->rowCount(); ++row)
        texts << table->item(row, index)->text();
    return texts;
}

bool zorctl(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(ZORCTL_PATH), arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Simulated units on 127.41.<subnet>.2 and on, scanned into a shown window.
struct Rig {
    Rig(int subnet, int count)
        : prefix(QStringLiteral("127.41.%1.").arg(subnet))
    {
        for (int i = 0; i < count; ++i) {
            units.push_back(std::make_unique<SimulatorThread>());
            if (!units.back()->start(QHostAddress(prefix + QString::number(i + 2))))
                qFatal("no simulated unit: %s", qPrintable(units.back()->errorString()));
        }
        window = std::make_unique<UnitsWindow>(dialogs, QStringList{prefix + "0/29"});
        window->batch().run().program = QStringLiteral(ZORCTL_PATH);
        window->resize(1100, 360);
        window->show();
    }
    bool scanned()
    {
        QTest::mouseClick(button("ScanButton"), Qt::LeftButton);
        const bool listed = QTest::qWaitFor([this] { return !window->scan().isRunning(); }, 5000)
                         && table()->rowCount() == int(units.size());
        for (auto &unit : units)
            unit->unit().clearReceivedFrames(); // what follows is the batch's
        return listed;
    }
    QPushButton *button(const char *name) { return window->findChild<QPushButton *>(name); }
    QTableWidget *table() { return window->findChild<QTableWidget *>("UnitTable"); }
    // All rows, as a user selects them: Ctrl+A in the table.
    void selectAll()
    {
        table()->setFocus();
        QTest::keyClick(table(), Qt::Key_A, Qt::ControlModifier);
    }
    bool batchEnds(int ms = 30000)
    {
        return QTest::qWaitFor([this] { return !window->batch().isRunning(); }, ms);
    }

    QString prefix;
    std::vector<std::unique_ptr<SimulatorThread>> units;
    ScriptedDialogs dialogs;
    std::unique_ptr<UnitsWindow> window;
};

} // namespace

class UnitsBatchX11Test : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void projectGoesToGoodUnitsAndAFailingOneSaysWhy();
    void profileShowsEachUnitsChangesBeforeWriting();
    void reportsPerUnitOrForTheSite_data();
    void reportsPerUnitOrForTheSite();
    void cancelStartsNoFurtherUnit();
    void closingWhileUnitsRunAsksFirst();
};

void UnitsBatchX11Test::initTestCase()
{
    if (QGuiApplication::platformName() == "offscreen")
        QSKIP("needs a real X server: run under xvfb-run");
}

void UnitsBatchX11Test::projectGoesToGoodUnitsAndAFailingOneSaysWhy()
{
    QTemporaryDir dir;
    const QString project = dir.filePath("project");
    const QString clip = dir.filePath("clip.mp3");
    QFile file(clip);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("ID3\x04\0\0\0\0\0\0", 10) + QByteArray(40000, 'c'));
    file.close();
    QVERIFY(zorctl({"project", "new", project}));
    QVERIFY(zorctl({"project", "add-clip", project, "1", clip}));
    QVERIFY(zorctl({"project", "input", project, "0", "--clips", "1"}));

    Rig rig(1, 4);
    QVERIFY(rig.scanned());
    UnitFaults refusing;
    refusing.refuseConnections = true;
    rig.units[2]->setFaults(refusing); // 127.41.1.4 went away after the scan
    rig.selectAll();
    QVERIFY(rig.button("WriteProjectButton")->isEnabled());
    QVERIFY(!rig.button("UseButton")->isEnabled()); // "Use" takes one unit

    // A folder that holds no project is refused once, before any unit is touched.
    rig.dialogs.expectChooseFolder(dir.filePath("nothing"));
    rig.dialogs.expectMessageBox("The project in " + QDir::toNativeSeparators(dir.filePath("nothing"))
                                     + " cannot be written: " + QDir::toNativeSeparators(dir.filePath("nothing"))
                                     + QDir::separator() + " holds no project; start one with \"zorctl project new\"",
                                 "Units", Dialogs::Error);
    QTest::mouseClick(rig.button("WriteProjectButton"), Qt::LeftButton);
    QVERIFY(!rig.window->batch().isRunning());
    QVERIFY(rig.units[0]->unit().receivedData().isEmpty());

    // Each running row's gauge follows its zorctl's progress lines.
    int gaugeTop = -1;
    connect(&rig.window->batch(), &UnitsBatch::resultChanged, this, [&] {
        if (auto *gauge = rig.table()->findChild<QProgressBar *>("ResultGauge"))
            gaugeTop = std::max(gaugeTop, gauge->value());
    });
    rig.dialogs.expectChooseFolder(project);
    QTest::mouseClick(rig.button("WriteProjectButton"), Qt::LeftButton);
    QVERIFY(rig.window->batch().isRunning());
    QVERIFY(!rig.button("ScanButton")->isEnabled());
    QVERIFY(rig.button("CancelButton")->isEnabled());
    QVERIFY(rig.batchEnds());

    const QStringList results = column(rig.table(), ResultColumn);
    QCOMPARE(results[0], "done");
    QCOMPARE(results[1], "done");
    QVERIFY2(results[2].startsWith("failed: ") && results[2].contains("127.41.1.4"), qPrintable(results[2]));
    QCOMPARE(results[3], "done");
    for (int good : {0, 1, 3}) {
        QVERIFY(rig.units[good]->unit().file(FileArea::Sd, "plist.cfg").has_value());
        QCOMPARE(rig.units[good]->unit().file(FileArea::Sd, "001.mp3")->size(), 40010);
    }
    QVERIFY2(gaugeTop >= 50, qPrintable(QString::number(gaugeTop))); // table and list of three files done
    QVERIFY(!rig.table()->findChild<QProgressBar *>("ResultGauge")); // gone with the run
    QCOMPARE(rig.window->findChild<QLabel *>("ScanSummary")->text(), "Batch finished: 3 done, 1 failed, 0 not started. Scan again to see what changed.");

    // The export: the scan's columns, then each unit's result.
    rig.window->chooseExportPath = [&] { return dir.filePath("units.csv"); };
    QTest::mouseClick(rig.button("ExportButton"), Qt::LeftButton);
    QFile csv(dir.filePath("units.csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly | QIODevice::Text));
    const QStringList lines = QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 5);
    QCOMPARE(lines[0], "address,model,mac,location,firmware,sd,rssi,wifiMode,result");
    QVERIFY(lines[1].startsWith("127.41.1.2,ZOR-06-WF,") && lines[1].endsWith(",done"));
    QVERIFY(lines[3].contains(",failed: "));
}

void UnitsBatchX11Test::profileShowsEachUnitsChangesBeforeWriting()
{
    Rig rig(4, 3);
    for (int i = 0; i < 3; ++i)
        rig.units[i]->unit().updateState([i](UnitState &state) { state.settings.location = i == 1 ? "Elsewhere" : "Lobby"; });
    QTemporaryDir dir;
    const QString profile = dir.filePath("lobby.json");
    QVERIFY(zorctl({"--address", "127.41.4.2", "backup", profile}));
    QVERIFY(rig.scanned());
    UnitFaults refusing;
    refusing.refuseConnections = true;
    rig.units[2]->setFaults(refusing);
    QString shown;
    rig.window->batch().prompts.confirmChanges = [&](const QString &changes) {
        shown = changes;
        return true;
    };
    rig.dialogs.expectOpenFile(profile);
    rig.selectAll();
    QTest::mouseClick(rig.button("ApplyProfileButton"), Qt::LeftButton);
    QVERIFY(rig.batchEnds()); // the comparison, the question, then the writes

    const QStringList results = column(rig.table(), ResultColumn);
    QCOMPARE(results[0], "done (unchanged)");
    QCOMPARE(results[1], "done (reboot the unit for the restored settings to take effect)"); // a note of its own
    QVERIFY2(results[2].startsWith("failed: "), qPrintable(results[2]));
    QVERIFY2(shown.contains("127.41.4.2 (02:5A:77:29:04:02): no change"), qPrintable(shown));
    QVERIFY2(shown.contains("\"Elsewhere\" -> \"Lobby\""), qPrintable(shown));
    QVERIFY2(shown.contains("127.41.4.4 (02:5A:77:29:04:04): failed: "), qPrintable(shown));
    QCOMPARE(rig.units[1]->unit().file(FileArea::Flash, "/local/locate.cfg"), "Lobby");
    QVERIFY(rig.units[0]->unit().receivedData().isEmpty()); // the same unit gets no write
}

void UnitsBatchX11Test::reportsPerUnitOrForTheSite_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("results");
    QTest::newRow("one per unit") << int(UnitsBatch::ReportKind::PerUnit)
                                  << QStringList{"025A77290502.pdf", "025A77290503.pdf"} << QStringList{"done", "done"};
    // One zorctl makes the site's report: every row shares its end.
    QTest::newRow("one for the site") << int(UnitsBatch::ReportKind::Site) << QStringList{"site.pdf"}
                                      << QStringList{"done", "done"};
}

void UnitsBatchX11Test::reportsPerUnitOrForTheSite()
{
    QFETCH(int, kind);
    QFETCH(QStringList, files);
    static int subnet = 5;
    Rig rig(subnet++, 2);
    QVERIFY(rig.scanned());
    QTemporaryDir dir;
    rig.window->batch().prompts.reportKind = [kind] { return UnitsBatch::ReportKind(kind); };
    rig.window->batch().prompts.siteReportFile = [&] { return dir.filePath("site.pdf"); };
    if (UnitsBatch::ReportKind(kind) == UnitsBatch::ReportKind::PerUnit)
        rig.dialogs.expectChooseFolder(dir.path());
    rig.selectAll();
    QTest::mouseClick(rig.button("ReportButton"), Qt::LeftButton);
    QVERIFY(rig.batchEnds(60000));
    QTEST(column(rig.table(), ResultColumn), "results");
    QStringList written = QDir(dir.path()).entryList(QDir::Files, QDir::Name);
    QCOMPARE(written, files);
    for (const QString &name : written) {
        QFile report(dir.filePath(name));
        QVERIFY(report.open(QIODevice::ReadOnly));
        QVERIFY(report.read(5) == "%PDF-");
    }
}

void UnitsBatchX11Test::cancelStartsNoFurtherUnit()
{
    Rig rig(2, 3);
    QVERIFY(rig.scanned());
    UnitFaults silent;
    silent.noAnswer = true;
    rig.units[0]->setFaults(silent); // holds the one running job for its answer time
    rig.window->batch().run().jobs = 1;
    rig.window->batch().prompts.locationPattern = [] { return QStringLiteral("Hall {n} {address}"); };
    rig.selectAll();
    QTest::mouseClick(rig.button("SetLocationButton"), Qt::LeftButton);
    QTRY_COMPARE(column(rig.table(), ResultColumn), (QStringList{"running", "waiting", "waiting"}));
    QTest::mouseClick(rig.button("CancelButton"), Qt::LeftButton);
    QCOMPARE(column(rig.table(), ResultColumn),
             (QStringList{"running", "not started (cancelled)", "not started (cancelled)"}));
    QVERIFY(rig.batchEnds());
    QVERIFY2(column(rig.table(), ResultColumn)[0].startsWith("failed: "), qPrintable(column(rig.table(), ResultColumn)[0]));
    for (int waiting : {1, 2}) {
        QVERIFY(rig.units[waiting]->unit().receivedData().isEmpty());
        QVERIFY(!rig.units[waiting]->unit().file(FileArea::Flash, "/local/locate.cfg").has_value());
    }

    // Without Cancel, each unit gets its own place and address.
    rig.units[0]->setFaults({});
    QTest::mouseClick(rig.button("SetLocationButton"), Qt::LeftButton);
    QVERIFY(rig.batchEnds());
    QCOMPARE(column(rig.table(), ResultColumn), (QStringList{"done", "done", "done"}));
    QCOMPARE(rig.units[2]->unit().file(FileArea::Flash, "/local/locate.cfg"), "Hall 3 127.41.2.4");
}

void UnitsBatchX11Test::closingWhileUnitsRunAsksFirst()
{
    Rig rig(3, 2);
    QVERIFY(rig.scanned());
    UnitFaults silent;
    silent.noAnswer = true;
    rig.units[0]->setFaults(silent);
    rig.window->batch().run().jobs = 1;
    rig.dialogs.expectMessageBox("Restart 2 units, execute?", "Confirm", Dialogs::YesNoQuestion, Dialogs::Yes);
    rig.selectAll();
    QTest::mouseClick(rig.button("RestartButton"), Qt::LeftButton);
    QVERIFY(rig.window->batch().isRunning());

    const QString question = "Units are still running. Close the window and start no further unit?\n"
                             "Running units finish what they are writing.";
    rig.dialogs.expectMessageBox(question, "Units", Dialogs::YesNoQuestion, Dialogs::No);
    rig.window->close();
    QVERIFY(rig.window->isVisible());
    rig.dialogs.expectMessageBox(question, "Units", Dialogs::YesNoQuestion, Dialogs::Yes);
    QTest::keyClick(rig.window.get(), Qt::Key_Escape);
    QVERIFY(!rig.window->isVisible());
    QVERIFY(rig.batchEnds()); // the running unit finishes behind the closed window
    QCOMPARE(column(rig.table(), ResultColumn)[1], "not started (cancelled)");
    QVERIFY(rig.units[1]->unit().receivedFrames().isEmpty());
}

QTEST_MAIN(UnitsBatchX11Test)
#include "test_units_batch_x11.moc"
