#include "BatchRun.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

QString zorctlBesideProgram()
{
#ifdef Q_OS_WIN
    const QString name = QStringLiteral("zorctl.exe");
#else
    const QString name = QStringLiteral("zorctl");
#endif
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

BatchRun::BatchRun(QObject *parent) : QObject(parent), program(zorctlBesideProgram()) {}

BatchRun::~BatchRun()
{
    // A child stopped mid-file would leave its unit with half a clip or image; each one ends by its own time-outs.
    for (auto &process : processes_)
        if (process && process->state() != QProcess::NotRunning) {
            process->disconnect(this);
            process->waitForFinished(-1);
        }
}

bool BatchRun::start(const QList<BatchJob> &batch)
{
    if (active_)
        return false;
    batch_ = batch;
    states_.assign(std::size_t(batch.size()), BatchJobState{});
    processes_.clear();
    processes_.resize(std::size_t(batch.size()));
    stderr_.assign(std::size_t(batch.size()), QByteArray());
    next_ = 0;
    running_ = 0;
    cancelled_ = false;
    active_ = true;
    launchNext();
    finishIfDone();
    return true;
}

void BatchRun::cancel()
{
    if (!active_)
        return;
    cancelled_ = true;
    for (int job = next_; job < int(states_.size()); ++job) {
        states_[std::size_t(job)].state = BatchJobState::NotStarted;
        emit changed(job);
    }
    next_ = int(states_.size());
    finishIfDone();
}

void BatchRun::launchNext()
{
    while (running_ < jobs && next_ < int(batch_.size())) {
        const int job = next_++;
        auto process = std::make_unique<QProcess>();
        QProcess *started = process.get();
        processes_[std::size_t(job)] = std::move(process);
        connect(started, &QProcess::readyReadStandardError, this, [this, job] { onOutput(job); });
        connect(started, &QProcess::finished, this, [this, job](int exitCode, QProcess::ExitStatus status) {
            onEnded(job, status == QProcess::NormalExit, exitCode);
        });
        connect(started, &QProcess::errorOccurred, this, [this, job, started](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart)
                return; // finished() follows
            BatchJobState &state = states_[std::size_t(job)];
            state.state = BatchJobState::Failed;
            state.message = "cannot start zorctl: " + started->errorString();
            --running_;
            emit changed(job);
            launchNext();
            finishIfDone();
        });
        ++running_;
        states_[std::size_t(job)].state = BatchJobState::Running;
        emit changed(job);
        started->start(program, batch_[job].arguments);
    }
}

void BatchRun::onOutput(int job)
{
    QByteArray &buffer = stderr_[std::size_t(job)];
    buffer += processes_[std::size_t(job)]->readAllStandardError();
    // Only the last whole progress line counts; the rest stays for the reason.
    const qsizetype end = buffer.lastIndexOf('\n');
    if (end < 0)
        return;
    const QStringList lines = QString::fromLocal8Bit(buffer.left(end)).split(u'\n');
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const int percent = progressPercent(it->trimmed());
        if (percent >= 0) {
            if (states_[std::size_t(job)].percent != percent) {
                states_[std::size_t(job)].percent = percent;
                emit changed(job);
            }
            break;
        }
    }
}

void BatchRun::onEnded(int job, bool normalExit, int exitCode)
{
    QProcess &process = *processes_[std::size_t(job)];
    const QByteArray err = stderr_[std::size_t(job)] + process.readAllStandardError();
    BatchJobState &state = states_[std::size_t(job)];
    state.output = process.readAllStandardOutput();
    state.exitCode = normalExit ? exitCode : -1;
    const ChildRunEnd end = childRunEnd(normalExit, exitCode, QString::fromLocal8Bit(err).split(u'\n'), batch_[job].doneCodes);
    state.state = end.ok ? BatchJobState::Done : BatchJobState::Failed;
    state.message = end.message;
    processes_[std::size_t(job)].release()->deleteLater(); // this is its own signal
    stderr_[std::size_t(job)].clear();
    --running_;
    emit changed(job);
    launchNext();
    finishIfDone();
}

void BatchRun::finishIfDone()
{
    if (!active_ || running_ > 0 || next_ < int(batch_.size()))
        return;
    active_ = false;
    emit finished();
}
