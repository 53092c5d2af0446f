#include "UnitProbe.h"

#include "DeviceLink.h"

#include <QElapsedTimer>
#include <algorithm>

namespace {

// Fits one exchange's connect and answer waits into what is left of the budget, never longer
// than the link's own waits.
void fitWaits(Timing &timing, const Timing &full, qint64 remainingMs)
{
    const qint64 fullAnswerMs = qint64(full.answerWaits) * full.waitSliceMs;
    const qint64 answerMs = std::min(fullAnswerMs, remainingMs / 2);
    timing.answerWaits = int(std::max<qint64>(1, answerMs / full.waitSliceMs));
    timing.connectTimeoutMs = int(std::clamp<qint64>(remainingMs - answerMs, 1, full.connectTimeoutMs));
}

} // namespace

ProbeReport probeUnit(const QString &address, int budgetMs)
{
    QElapsedTimer clock;
    clock.start();
    const Timing full;
    Timing timing = full;
    ProbeReport report;
    DeviceLink link(report.status, timing);
    link.deviceAddress = address;

    fitWaits(timing, full, budgetMs);
    const ExchangeResult information = link.requestDeviceInformation();
    if (information.acknowledged() && information.decoded == Decoded::DeviceLinked) {
        fitWaits(timing, full, budgetMs - clock.elapsed());
        const ExchangeResult status = link.pollStatus();
        report.success = status.acknowledged() && status.decoded == Decoded::StatusAnswer;
    }
    report.seconds = double(clock.nsecsElapsed()) / 1e9;
    return report;
}
