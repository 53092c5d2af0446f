// The monitor's "Commissioning report…" as the tool wires it, against a simulated unit.
#include "ChannelTestLog.h"
#include "LinkDoubles.h"
#include "RecordingClipPlayer.h"
#include "SimulatorThread.h"
#include "ToolWindows.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(UnitFaults)

class ReportWindowTest : public QObject {
    Q_OBJECT
private slots:
    void reportFromTheMenu_data()
    {
        QTest::addColumn<QString>("name"); // of the file chosen; empty: cancelled
        QTest::addColumn<UnitFaults>("faults");
        QTest::addColumn<QByteArray>("opening"); // of the file written; empty: none written
        QTest::addColumn<QString>("box");        // ~ stands for the file, @ for the unit's address
        UnitFaults refusing;
        refusing.refuseConnections = true;
        QTest::newRow("PDF") << "unit.pdf" << UnitFaults{} << QByteArray("%PDF-") << "";
        QTest::newRow("HTML") << "unit.html" << UnitFaults{} << QByteArray("<!DOCTYPE html>") << "";
        QTest::newRow("cancelled") << "" << UnitFaults{} << QByteArray() << "";
        QTest::newRow("not a report's extension") << "unit.txt" << UnitFaults{} << QByteArray()
                                                  << "A report is written as .pdf or .html; nothing was written to ~.";
        QTest::newRow("unit refusing connections")
            << "unit.pdf" << refusing << QByteArray()
            << "No report was written for the unit at @ (did not answer: no connection to @).";
    }
    void reportFromTheMenu()
    {
        QFETCH(QString, name);
        QFETCH(UnitFaults, faults);
        QFETCH(QByteArray, opening);
        QFETCH(QString, box);
        static int next = 2;
        const QString address = "127.42.2." + QString::number(next++);
        SimulatorThread sim;
        QVERIFY(sim.start(QHostAddress(address), {ModelZor06, {}, 0, faults}));
        sim.unit().updateState([](UnitState &s) { s.settings.location = "Hall <A>"; });
        LinkDoubles doubles;
        doubles.link.deviceAddress = address;
        RecordingClipPlayer player;
        ToolWindows windows(doubles.session, doubles.dialogs, player);
        ChannelTestLog::instance().record({address, "DI2", 2, QDateTime::currentDateTime(), "refused"});

        QTemporaryDir dir;
        const QString path = name.isEmpty() ? QString() : dir.filePath(name);
        bool pollingDuringReport = true;
        windows.report.chooseFile = [&] {
            pollingDuringReport = doubles.session.poll.pollingEnabled;
            return path;
        };
        if (!box.isEmpty())
            doubles.dialogs.expectMessageBox(box.replace("~", QDir::toNativeSeparators(path)).replace("@", address),
                                             "Commissioning report", Dialogs::Error);
        const qsizetype framesBefore = sim.unit().receivedFrames().size();
        auto *action = windows.monitor.findChild<QAction *>("ReportAction");
        QVERIFY(action);
        QCOMPARE(action->text(), "Commissioning report…");
        action->trigger();

        QVERIFY(!pollingDuringReport);
        QVERIFY(doubles.session.poll.pollingEnabled);
        QVERIFY(doubles.dialogs.pending().isEmpty());
        QFile written(path);
        if (opening.isEmpty()) {
            QVERIFY(path.isEmpty() || !written.exists());
            if (faults.refuseConnections == false)
                QCOMPARE(sim.unit().receivedFrames().size(), framesBefore); // nothing asked of the unit
            return;
        }
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QByteArray bytes = written.readAll();
        QVERIFY(bytes.startsWith(opening));
        if (name.endsWith(".html")) {
            QVERIFY(bytes.contains("Location</th><td>Hall &lt;A&gt;</td>"));
            QVERIFY(bytes.contains("<td>DI2</td><td>2</td><td>refused</td>"));
        }
        QCOMPARE(windows.monitor.statusLine(), "Commissioning report written: " + QDir::toNativeSeparators(path));
    }
};

QTEST_MAIN(ReportWindowTest)
#include "test_report_window.moc"
