#include "SimulatedUnit.h"

#include <QMutexLocker>

SimulatedUnit::SimulatedUnit(const QHostAddress &address, std::uint8_t model, const QString &storageFolder)
    : m_address(address)
    , m_files(storageFolder)
    , m_state(switchedOnUnit(ipv4Octets(address), model, m_files))
{
}

UnitState SimulatedUnit::state() const
{
    QMutexLocker lock(&m_mutex);
    return m_state;
}

void SimulatedUnit::updateState(const std::function<void(UnitState &)> &change)
{
    QMutexLocker lock(&m_mutex);
    change(m_state);
}

void SimulatedUnit::restart()
{
    QMutexLocker lock(&m_mutex);
    restartUnit(m_state, m_files);
}

std::optional<QByteArray> SimulatedUnit::file(FileArea area, const QString &name) const
{
    QMutexLocker lock(&m_mutex);
    return m_files.read(area, name);
}

bool SimulatedUnit::setFile(FileArea area, const QString &name, const QByteArray &content)
{
    QMutexLocker lock(&m_mutex);
    return m_files.write(area, name, content);
}

bool SimulatedUnit::removeFile(FileArea area, const QString &name)
{
    QMutexLocker lock(&m_mutex);
    return m_files.remove(area, name);
}

QStringList SimulatedUnit::fileNames(FileArea area) const
{
    QMutexLocker lock(&m_mutex);
    return m_files.names(area);
}

UnitFaults SimulatedUnit::faults() const
{
    QMutexLocker lock(&m_mutex);
    return m_faults;
}

void SimulatedUnit::setFaults(const UnitFaults &faults)
{
    {
        QMutexLocker lock(&m_mutex);
        m_faults = faults;
    }
    emit faultsChanged();
}

QList<QByteArray> SimulatedUnit::receivedFrames() const
{
    QMutexLocker lock(&m_mutex);
    return m_frames;
}

void SimulatedUnit::clearReceivedFrames()
{
    QMutexLocker lock(&m_mutex);
    m_frames.clear();
}

QList<ReceivedData> SimulatedUnit::receivedData() const
{
    QMutexLocker lock(&m_mutex);
    return m_data;
}

void SimulatedUnit::clearReceivedData()
{
    QMutexLocker lock(&m_mutex);
    m_data.clear();
}

CommandOutcome SimulatedUnit::handleFrame(const QByteArray &frame)
{
    QMutexLocker lock(&m_mutex);
    m_frames.append(frame);
    if (m_frames.size() > KeptFrames)
        m_frames.remove(0, m_frames.size() - KeptFrames);
    return handleRequest(frame, m_state, m_files, m_faults);
}

void SimulatedUnit::finishUpload(const DataPhase &phase, const QByteArray &bytes)
{
    QMutexLocker lock(&m_mutex);
    // A cut-off upload is not stored: a half file would pass for the whole one.
    const bool complete = bytes.size() == qsizetype(phase.length);
    const bool stored = complete && m_files.write(phase.area, phase.name, bytes);
    m_data.append({phase.area, phase.name, phase.length, phase.announcedSum, bytes, stored});
    // A long-running simulator keeps only the latest uploads.
    qsizetype first = m_data.size() - 1;
    qsizetype kept = m_data.last().bytes.size();
    while (first > 0 && m_data.size() - first < KeptUploads && kept + m_data[first - 1].bytes.size() <= KeptUploadBytes)
        kept += m_data[--first].bytes.size();
    m_data.remove(0, first);
}
