#include "UnitWorker.h"

#include "MqttTopics.h"

UnitWorker::UnitWorker(const QString &address, int intervalMs, const Timing &timing)
    : address_(address)
    , intervalMs_(intervalMs)
    , timing_(timing)
    , link_(status_, timing_)
    , poll_(link_)
    , timer_(this)
{
    link_.deviceAddress = address;
    timer_.setSingleShot(true); // restarted after each poll: a slow one never stacks another
    connect(&timer_, &QTimer::timeout, this, &UnitWorker::onPollDue);
}

void UnitWorker::start(int firstDelayMs)
{
    timer_.start(firstDelayMs);
}

void UnitWorker::stop()
{
    stopped_ = true;
    timer_.stop();
    commands_.clear();
    pollDue_ = false;
}

void UnitWorker::run(const UnitCommand &command)
{
    if (stopped_)
        return;
    if (commands_.size() >= MaxQueuedCommands) {
        emit commandDone({address_, macId(status_), command.thing(), QStringLiteral("busy"),
                          QStringLiteral("too many commands waiting for this unit")});
        return;
    }
    commands_.push_back(command);
    work();
}

void UnitWorker::onPollDue()
{
    pollDue_ = true;
    work();
}

void UnitWorker::work()
{
    // Called again from inside an exchange's wait: the outer call takes what was added.
    if (working_)
        return;
    working_ = true;
    while (!commands_.empty() || pollDue_) {
        if (!commands_.empty()) {
            const UnitCommand command = commands_.front();
            commands_.pop_front();
            execute(command);
        } else {
            pollDue_ = false;
            pollOnce();
        }
    }
    working_ = false;
}

void UnitWorker::pollOnce()
{
    // A request the unit refused and the dispatcher queued again goes first, as the poll timer sends it.
    follow(link_.pending.code != 0 ? poll_.sendQueued() : poll_.pollTurn());
    emit reported(snapshot());
    if (!stopped_)
        timer_.start(intervalMs_);
}

void UnitWorker::execute(const UnitCommand &command)
{
    if (linkState_.state() != LinkState::Answering) {
        emit commandDone({address_, macId(status_), command.thing(), QStringLiteral("offline"), linkState_.text()});
        return;
    }
    // As the monitor's buttons and zorctl: volume keeps the arming, arming keeps the volume.
    std::uint8_t volume = status_.volume;
    std::uint8_t armed = status_.armed;
    switch (command.kind) {
    case UnitCommand::Kind::Relay:
        link_.queueRelay(1, command.value);
        break;
    case UnitCommand::Kind::Arming:
        armed = command.value;
        link_.queueVolumeArming(volume, armed, true);
        break;
    case UnitCommand::Kind::Volume:
        volume = command.value;
        link_.queueVolumeArming(volume, armed, false);
        break;
    case UnitCommand::Kind::Locate:
        link_.queueLocator();
        break;
    }
    const PollLoop::Tick tick = poll_.sendQueued();
    follow(tick);
    const CommandReport report = outcome(command, tick.exchange);
    if (report.result == QLatin1String("done") && tick.exchange.command == Command::VolumeArming) {
        status_.volume = volume; // the acknowledgement carries no state; the next poll confirms it
        status_.armed = armed;
    }
    emit commandDone(report);
    emit reported(snapshot());
}

void UnitWorker::follow(const PollLoop::Tick &tick)
{
    linkState_.follow(tick, status_.linked);
    if (tick.exchange.decoded == Decoded::DeviceLinked)
        identified_ = true;
}

UnitReport UnitWorker::snapshot() const
{
    return {address_, status_, identified_, linkState_.state() == LinkState::Answering, linkState_.text()};
}

CommandReport UnitWorker::outcome(const UnitCommand &command, const ExchangeResult &result) const
{
    CommandReport report{address_, macId(status_), command.thing(), QStringLiteral("done"), {}};
    if (!result.failed())
        return report;
    switch (result.verdict()) {
    case AnswerVerdict::Refused:
        report.result = QStringLiteral("refused");
        report.detail = QStringLiteral("status %1").arg(result.status);
        break;
    case AnswerVerdict::Unreached:
        report.result = QStringLiteral("no connection");
        report.detail = linkState_.text();
        break;
    case AnswerVerdict::NotConfirmed:
    case AnswerVerdict::Acknowledged:
        report.result = QStringLiteral("not confirmed");
        report.detail = QStringLiteral("no answer to the request");
        break;
    }
    return report;
}
