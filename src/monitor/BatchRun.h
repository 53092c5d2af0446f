#pragma once

#include "ZorctlChild.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QProcess;

// One child zorctl run of a batch.
struct BatchJob {
    QStringList arguments;
    // Exit statuses that count as done: a diff that finds changes exits 5.
    QList<int> doneCodes{0};
};

struct BatchJobState {
    enum State { Waiting, Running, Done, Failed, NotStarted };
    State state = Waiting;
    int percent = -1;  // while running, from the child's progress lines; -1 before the first
    QString message;   // done: "done" or "done (note)"; failed: the reason
    int exitCode = -1;
    QByteArray output; // the child's stdout
};

// The zorctl installed beside the running program.
QString zorctlBesideProgram();

// Runs a batch of zorctl processes, `jobs` at a time, in the order given. Each has links of
// its own, so the monitor's unit is never touched and a silent unit holds up only its own job.
class BatchRun : public QObject {
    Q_OBJECT
public:
    explicit BatchRun(QObject *parent = nullptr);
    ~BatchRun() override;

    QString program; // the zorctl to start
    int jobs = DefaultFleetJobs;

    // A running batch is not replaced.
    bool start(const QList<BatchJob> &batch);
    // Nothing new starts; running jobs finish their files.
    void cancel();
    bool isRunning() const { return active_; }
    bool wasCancelled() const { return cancelled_; }

    const std::vector<BatchJobState> &states() const { return states_; }

signals:
    void changed(int job);
    void finished();

private:
    void launchNext();
    void onOutput(int job);
    void onEnded(int job, bool normalExit, int exitCode);
    void finishIfDone();

    QList<BatchJob> batch_;
    std::vector<BatchJobState> states_;
    std::vector<std::unique_ptr<QProcess>> processes_;
    std::vector<QByteArray> stderr_;
    int next_ = 0;
    int running_ = 0;
    bool active_ = false;
    bool cancelled_ = false;
};
