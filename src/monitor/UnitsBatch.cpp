#include "UnitsBatch.h"

#include "ChannelTestLog.h"
#include "DeviceLink.h"
#include "Dialogs.h"
#include "FirmwareUpdate.h"
#include "SetupRunner.h"
#include "UnitTexts.h"

#include <QDir>
#include <QFile>
#include <QProcess>

using namespace BatchCommands;

namespace {

const QString Caption = QStringLiteral("Units");
constexpr int DiffDiffers = 5;

// The scan words a model as the monitor does: one it does not know by the unknown model's text.
bool recognisedModel(const QString &model)
{
    DeviceStatus unknown;
    unknown.modelCode = 0;
    return model != UnitTexts::modelName(unknown);
}

} // namespace

UnitsBatch::UnitsBatch(Dialogs &dialogs, QObject *parent) : QObject(parent), dialogs_(dialogs)
{
    connect(&run_, &BatchRun::changed, this, &UnitsBatch::onChanged);
    connect(&run_, &BatchRun::finished, this, &UnitsBatch::onFinished);
}

void UnitsBatch::start(const QList<BatchJob> &jobs, const QList<QStringList> &addresses)
{
    jobAddresses_ = addresses;
    for (const QStringList &some : addresses)
        for (const QString &address : some)
            setResult(address, stateText({}));
    run_.start(jobs);
}

void UnitsBatch::startEach(Action action, const QString &value, const QList<UnitSighting> &units)
{
    QList<BatchJob> jobs;
    QList<QStringList> addresses;
    for (int i = 0; i < units.size(); ++i) {
        jobs << unitJob(action, value, units[i], i + 1);
        addresses << QStringList{units[i].address};
    }
    start(jobs, addresses);
}

void UnitsBatch::setResult(const QString &address, const QString &text, int percent)
{
    results_[address] = text;
    percents_[address] = percent;
    emit resultChanged(address);
}

void UnitsBatch::onChanged(int job)
{
    const BatchJobState &state = run_.states()[std::size_t(job)];
    QString text = stateText(state);
    if (!profile_.isEmpty() && state.state == BatchJobState::Done)
        text = state.exitCode == DiffDiffers ? QStringLiteral("differs") : QStringLiteral("done (unchanged)");
    for (const QString &address : jobAddresses_.value(job))
        setResult(address, text, state.state == BatchJobState::Running ? state.percent : -1);
}

void UnitsBatch::onFinished()
{
    if (!profile_.isEmpty() && !run_.wasCancelled()) {
        confirmProfile();
        return;
    }
    profile_.clear();
    emit finished();
}

QString UnitsBatch::checkOnce(const QStringList &arguments)
{
    QProcess process;
    process.start(run_.program, arguments);
    // Sends nothing, reads only the PC's files: no unit can hold it up.
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit)
        return "cannot run " + QDir::toNativeSeparators(run_.program) + ": " + process.errorString();
    if (process.exitCode() == 0)
        return {};
    const ChildRunEnd end = childRunEnd(true, process.exitCode(), QString::fromLocal8Bit(process.readAllStandardError()).split(u'\n'));
    return end.message;
}

void UnitsBatch::refuse(const QString &text)
{
    dialogs_.messageBox(text, Caption, Dialogs::Error);
}

void UnitsBatch::writeProject(const QList<UnitSighting> &units)
{
    const QString folder = dialogs_.chooseFolder(QStringLiteral("Project folder"), QString());
    if (folder.isEmpty())
        return;
    // One check for all: a project that cannot go to one unit cannot go to any.
    if (const QString error = checkOnce(projectCheckArguments(folder)); !error.isEmpty())
        return refuse("The project in " + QDir::toNativeSeparators(folder) + " cannot be written: " + error);
    startEach(Action::WriteProject, folder, units);
}

void UnitsBatch::applyProfile(const QList<UnitSighting> &units)
{
    const QString file = dialogs_.openFile(QStringLiteral("*.json"), QStringLiteral("Profile or backup|*.json"));
    if (file.isEmpty())
        return;
    profile_ = file;
    compared_ = units;
    startEach(Action::DiffProfile, file, units);
}

void UnitsBatch::confirmProfile()
{
    const QString file = profile_;
    profile_.clear();
    QStringList changes;
    QList<UnitSighting> differing;
    QList<int> places;
    for (int job = 0; job < compared_.size(); ++job) {
        const BatchJobState &state = run_.states()[std::size_t(job)];
        const UnitSighting &unit = compared_[job];
        QString shown = unit.address + (unit.mac.isEmpty() ? QString() : " (" + unit.mac + ")") + ": ";
        if (state.state != BatchJobState::Done) {
            shown += "failed: " + state.message;
        } else if (state.exitCode == DiffDiffers) {
            shown += "\n" + QString::fromUtf8(state.output).trimmed();
            differing << unit;
            places << job + 1;
        } else {
            shown += QStringLiteral("no change");
        }
        changes << shown;
    }
    if (differing.isEmpty() || !prompts.confirmChanges || !prompts.confirmChanges(changes.join("\n\n"))) {
        for (const UnitSighting &unit : differing)
            setResult(unit.address, QStringLiteral("differs (not applied)"));
        emit finished();
        return;
    }
    QList<BatchJob> jobs;
    QList<QStringList> addresses;
    for (int i = 0; i < differing.size(); ++i) {
        jobs << unitJob(Action::ApplyProfile, file, differing[i], places[i]);
        addresses << QStringList{differing[i].address};
    }
    start(jobs, addresses);
}

void UnitsBatch::setLocation(const QList<UnitSighting> &units)
{
    const QString pattern = prompts.locationPattern ? prompts.locationPattern() : QString();
    if (!pattern.isEmpty())
        startEach(Action::SetLocation, pattern, units);
}

void UnitsBatch::backUp(const QList<UnitSighting> &units)
{
    const QString folder = dialogs_.chooseFolder(QStringLiteral("Back up to folder"), QString());
    if (!folder.isEmpty())
        startEach(Action::BackUp, folder, units);
}

void UnitsBatch::updateFirmware(const QList<UnitSighting> &units)
{
    const QString path = dialogs_.openFile(QStringLiteral("*.bin"), QStringLiteral("bin|*.bin"));
    if (path.isEmpty())
        return;
    const QString shownPath = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse("Cannot open " + shownPath + ": " + file.errorString());
    if (const auto refusal = firmwareSizeRefusal(file.size()))
        return refuse(firmwareRefusalText(shownPath, *refusal, file.size()));
    const QByteArray image = file.readAll();
    if (image.size() != file.size())
        return refuse("Cannot read " + shownPath + ": " + file.errorString());
    SetupMessage check = firmwareConfirmation(shownPath, image.size(),
                                              byteSum(reinterpret_cast<const std::uint8_t *>(image.constData()), std::size_t(image.size())));
    check.text += QStringLiteral("\n    . Units: %1").arg(units.size());
    // Where the image goes follows each unit's model; one the tool does not know cannot confirm it.
    qsizetype unknown = 0;
    for (const UnitSighting &unit : units)
        unknown += recognisedModel(unit.model) ? 0 : 1;
    if (unknown > 0)
        check.text += QStringLiteral("\n    . %1 of a model not recognised: sent unconfirmed").arg(unknown);
    if (dialogs_.messageBox(check.text, check.caption, check.flags) == Dialogs::Yes)
        startEach(Action::UpdateFirmware, path, units);
}

void UnitsBatch::restart(const QList<UnitSighting> &units)
{
    const QString question = units.size() == 1 ? QStringLiteral("Restart 1 unit, execute?")
                                               : QStringLiteral("Restart %1 units, execute?").arg(units.size());
    if (dialogs_.messageBox(question, QStringLiteral("Confirm"), Dialogs::YesNoQuestion) == Dialogs::Yes)
        startEach(Action::Restart, QString(), units);
}

void UnitsBatch::report(const QList<UnitSighting> &units)
{
    const ReportKind kind = prompts.reportKind ? prompts.reportKind() : ReportKind::Cancelled;
    QString target;
    if (kind == ReportKind::PerUnit)
        target = dialogs_.chooseFolder(QStringLiteral("Commissioning reports"), QString());
    else if (kind == ReportKind::Site && prompts.siteReportFile)
        target = prompts.siteReportFile();
    if (target.isEmpty())
        return;
    // The children list the channel tests run in this program, as the monitor's own report does.
    channelTests_ = std::make_unique<QTemporaryDir>();
    const QString tests = channelTests_->filePath(QStringLiteral("channel-tests.json"));
    if (const QString error = ChannelTestLog::instance().save(tests); !error.isEmpty())
        return refuse("Cannot keep the channel tests for the reports: " + error);
    QList<BatchJob> jobs;
    QList<QStringList> addresses;
    if (kind == ReportKind::PerUnit) {
        for (int i = 0; i < units.size(); ++i) {
            jobs << unitJob(Action::UnitReport, target, units[i], i + 1);
            addresses << QStringList{units[i].address};
        }
    } else {
        jobs << siteReportJob(units, target);
        addresses << QStringList();
        for (const UnitSighting &unit : units)
            addresses.back() << unit.address;
    }
    for (BatchJob &job : jobs)
        job.arguments << QStringLiteral("--channel-tests") << tests;
    start(jobs, addresses);
}

void UnitsBatch::cancel()
{
    run_.cancel(); // a cancelled comparison applies nothing
}
