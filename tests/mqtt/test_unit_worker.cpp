// The bridge's unit workers against simulated units, each in a thread of its own as the bridge runs them.
#include "SimulatorThread.h"
#include "UnitWorker.h"

#include <QTest>
#include <QThread>
#include <memory>

namespace {

constexpr int IntervalMs = 500;

// A worker in its own thread, and what it reported, as the bridge's thread receives it.
struct RunningWorker {
    explicit RunningWorker(const QString &address, QObject *receiver)
        : worker(new UnitWorker(address, IntervalMs))
    {
        worker->moveToThread(&thread);
        QObject::connect(&thread, &QThread::finished, worker, &QObject::deleteLater);
        QObject::connect(worker, &UnitWorker::reported, receiver, [this](const UnitReport &r) { reports << r; });
        QObject::connect(worker, &UnitWorker::commandDone, receiver, [this](const CommandReport &r) { commands << r; });
        thread.start();
        QMetaObject::invokeMethod(worker, [w = worker] { w->start(0); }, Qt::QueuedConnection);
    }
    ~RunningWorker()
    {
        thread.quit();
        thread.wait();
    }
    void run(const UnitCommand &command)
    {
        QMetaObject::invokeMethod(worker, [w = worker, command] { w->run(command); }, Qt::QueuedConnection);
    }
    bool online() const { return !reports.isEmpty() && reports.last().online; }

    QThread thread;
    UnitWorker *worker;
    QList<UnitReport> reports;
    QList<CommandReport> commands;
};

QList<QByteArray> framesWithCode(SimulatorThread &sim, std::uint8_t code)
{
    QList<QByteArray> frames;
    for (const QByteArray &frame : sim.unit().receivedFrames()) {
        if (frame.size() > 4 && std::uint8_t(frame[4]) == code)
            frames << frame;
    }
    return frames;
}

} // namespace

class UnitWorkerTest : public QObject {
    Q_OBJECT

private slots:
    void silentUnitHoldsUpOnlyItself();
};

void UnitWorkerTest::silentUnitHoldsUpOnlyItself()
{
    SimulatorThread answering, silent;
    QVERIFY(answering.start(QHostAddress("127.44.2.1")));
    QVERIFY(silent.start(QHostAddress("127.44.2.2")));
    RunningWorker first("127.44.2.1", this), second("127.44.2.2", this);
    QTRY_VERIFY_WITH_TIMEOUT(first.online() && second.online(), 5000);
    QVERIFY(second.reports.last().identified);

    UnitFaults faults;
    faults.noAnswer = true;
    silent.setFaults(faults);
    QTRY_VERIFY_WITH_TIMEOUT(!second.online(), 5000);
    QVERIFY(second.reports.last().linkText.startsWith("No answer since"));

    // While the silent unit's requests wait out their answer time, the other is polled on time.
    const qsizetype before = first.reports.size();
    QTest::qWait(5 * IntervalMs);
    QVERIFY2(first.reports.size() - before >= 4, qPrintable(QString::number(first.reports.size() - before)));
    QVERIFY(first.online());

    // A command for the silent unit is answered at once, and nothing goes out for it.
    second.run({UnitCommand::Kind::Relay, 1});
    first.run({UnitCommand::Kind::Relay, 1});
    QTRY_COMPARE_WITH_TIMEOUT(second.commands.size(), 1, 5000);
    QCOMPARE(second.commands.first().result, QString("offline"));
    QTRY_COMPARE_WITH_TIMEOUT(first.commands.size(), 1, 5000);
    QCOMPARE(first.commands.first().result, QString("done"));
    QCOMPARE(framesWithCode(silent, 208), QList<QByteArray>{});
    QCOMPARE(framesWithCode(answering, 208).size(), 1);
    QVERIFY(answering.unit().state().relayBits & 1);
}

QTEST_GUILESS_MAIN(UnitWorkerTest)
#include "test_unit_worker.moc"
