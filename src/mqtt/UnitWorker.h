#pragma once

#include "DeviceLink.h"
#include "DeviceStatus.h"
#include "LinkStateTracker.h"
#include "PollLoop.h"
#include "Timing.h"
#include "UnitCommand.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>

// What one poll or command left: the unit's decoded state and whether it answers.
struct UnitReport {
    QString address;
    DeviceStatus status;
    bool identified = false; // device information came at least once: the MAC is known
    bool online = false;     // the monitor's "Linked, answering"
    QString linkText;        // the monitor's link-state text
};

// How a command ended.
struct CommandReport {
    QString address;
    QString macId;
    QString thing;
    QString result; // "done", "offline", "refused", "not confirmed", "no connection", "busy"
    QString detail;
};

// One unit, polled from a thread of its own: the link's waits run this thread's event loop, so a
// silent unit holds up only itself. Commands go through the same thread and never overlap a poll.
class UnitWorker : public QObject {
    Q_OBJECT

public:
    static constexpr std::size_t MaxQueuedCommands = 8;

    UnitWorker(const QString &address, int intervalMs, const Timing &timing = Timing{});

public slots:
    // Polls after the first delay, then every interval.
    void start(int firstDelayMs);
    // Nothing more is polled or sent; what waits is dropped.
    void stop();
    void run(const UnitCommand &command);

signals:
    void reported(const UnitReport &report);
    void commandDone(const CommandReport &report);

private:
    void onPollDue();
    void work();
    void pollOnce();
    void execute(const UnitCommand &command);
    void follow(const PollLoop::Tick &tick);
    UnitReport snapshot() const;
    CommandReport outcome(const UnitCommand &command, const ExchangeResult &result) const;

    const QString address_;
    const int intervalMs_;
    Timing timing_;
    DeviceStatus status_;
    DeviceLink link_;
    PollLoop poll_;
    LinkStateTracker linkState_;
    bool identified_ = false;
    QTimer timer_;
    std::deque<UnitCommand> commands_;
    bool pollDue_ = false;
    bool working_ = false;
    bool stopped_ = false;
};
