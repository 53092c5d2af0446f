#include "SimulatorThread.h"

#include "UnitSimulator.h"

#include <QMetaObject>

SimulatorThread::SimulatorThread()
{
    m_thread.setObjectName(QStringLiteral("UnitSimulator"));
}

SimulatorThread::~SimulatorThread()
{
    stop();
}

bool SimulatorThread::start(const QHostAddress &address, const SimulatorOptions &options)
{
    stop();
    m_unit = std::make_unique<SimulatedUnit>(address, options.model, options.storageFolder);
    m_unit->setFaults(options.faults);
    m_simulator = new UnitSimulator(*m_unit);
    m_simulator->moveToThread(&m_thread);
    m_thread.start();

    bool started = false;
    QMetaObject::invokeMethod(
        m_simulator,
        [this, &started, interval = options.liveIntervalMs] {
            started = m_simulator->start();
            m_error = m_simulator->errorString();
            m_simulator->setLiveInterval(interval);
        },
        Qt::BlockingQueuedConnection);
    if (!started)
        stop();
    return started;
}

void SimulatorThread::stop()
{
    if (!m_simulator)
        return;
    // Deleted in its own thread, as its sockets and timers require; the thread runs its deferred deletions on finishing.
    QMetaObject::invokeMethod(
        m_simulator,
        [simulator = m_simulator] {
            simulator->stop();
            simulator->deleteLater();
        },
        Qt::BlockingQueuedConnection);
    m_simulator = nullptr;
    m_thread.quit();
    m_thread.wait();
}

bool SimulatorThread::isRunning() const
{
    return m_simulator != nullptr;
}

QString SimulatorThread::errorString() const
{
    return m_error;
}

SimulatedUnit &SimulatorThread::unit()
{
    return *m_unit;
}

void SimulatorThread::setFaults(const UnitFaults &faults)
{
    m_unit->setFaults(faults);
    if (m_simulator) // queued after the faultsChanged call, so that has run when this returns
        QMetaObject::invokeMethod(m_simulator, [] {}, Qt::BlockingQueuedConnection);
}
