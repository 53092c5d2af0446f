// restore: a backup's settings and files back onto a unit, each group through the setup
// window's own rules, files and pauses. Everything is checked before anything is sent.
#include "BackupCommands.h"

#include "ClipText.h"
#include "Dialogs.h"
#include "EditorFiles.h"
#include "LocationPlan.h"
#include "ModbusRtuPlan.h"
#include "ModbusTcpPlan.h"
#include "SetupCommands.h"
#include "SetupRunner.h"
#include "SingleByteText.h"
#include "StaticAddressPlan.h"
#include "DiffCommands.h"
#include "UnitDiff.h"
#include "UnitCommandPlans.h"
#include "UnitTexts.h"
#include "WifiCredentialsPlans.h"

#include <CLI/CLI.hpp>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <memory>

namespace {

// The unit reports at most this many key bytes, though it takes keys of up to 16.
constexpr qsizetype ReportedKeyBytes = 14;

struct RestoreOptions {
    std::string file;
    std::vector<std::string> only;
    bool changedOnly = false;
    bool check = false; // compare only
};

// Confirmations are taken; every box's text goes to stderr, stdout keeps the result.
class RestoreDialogs : public Dialogs {
public:
    int messageBox(const QString &text, const QString &, int flags) override
    {
        if (flags == YesNoQuestion)
            return Yes;
        printLine(stderr, text);
        return Ok;
    }
    QString openFile(const QString &, const QString &) override { return {}; }
    QString chooseFolder(const QString &, const QString &) override { return {}; }
};

struct Clip {
    int number;
    QString path;
};

// One part's plan.
struct GroupPlan {
    BackupPart part;
    SetupPlan plan; // the alarm has no plan of the setup window's
    QString group() const { return groupOf(part); }
};

// What a restore will do, fully checked.
struct RestoreWork {
    QList<GroupPlan> plans; // in running order
    QByteArray alarmTable, audioList;
    QList<Clip> clips;
    bool rtuRecord = false;
    QStringList skipped;
    QString error; // refused: nothing is sent
};

WifiCredentials credentials(const QByteArray &ssid, int keyType, const QByteArray &key, bool station)
{
    const KeyType type = keyType == 0 ? KeyType::Open : station && keyType == 1 ? KeyType::Wep : KeyType::Wpa;
    return {fromSingleByte(ssid), type, fromSingleByte(key)};
}

QString addressText(const std::array<std::uint8_t, 4> &octets)
{
    return dottedAddress(octets);
}

bool take(RestoreWork &work, BackupPart part, const SetupResult &result)
{
    if (result.error) {
        work.error = groupOf(part) + ": " + result.error->text.trimmed();
        return false;
    }
    work.plans.append({part, result.plan});
    return true;
}

// A key that fills the reported field may have been cut: writing it would lock the unit out.
bool keyCut(int keyType, const QByteArray &key, const char *which, RestoreWork &work)
{
    if (keyType == 0 || key.size() < ReportedKeyBytes)
        return false;
    work.error = QStringLiteral("network: the %1 key fills the %2 bytes the unit reports and may be cut "
                                "short; set it with zorctl set and restore the other groups with --only")
                     .arg(which)
                     .arg(ReportedKeyBytes);
    return true;
}

bool planModbusRtuRecord(const UnitBackup &b, RestoreWork &work)
{
    const QStringList fields = fromSingleByte(*b.file("RTU.CFG")).split(u',');
    if (fields.size() != 5) {
        work.error = QStringLiteral("modbus: the backup's RTU.CFG is not five comma-separated fields");
        return false;
    }
    work.rtuRecord = true;
    return take(work, BackupPart::ModbusRtu, planModbusRtu({fields[0], fields[1], fields[2], fields[3], fields[4]}));
}

bool planAlarm(const UnitBackup &b, const QString &backupFile, RestoreWork &work)
{
    work.plans.append({BackupPart::Alarm, SetupPlan{}});
    work.alarmTable = *b.file("plist.cfg");
    work.audioList = *b.file("m3fn.txt");
    const QDir folder(QFileInfo(backupFile).absoluteDir().filePath(b.clipFolder));
    for (const BackupClip &clip : b.clips) {
        if (!clip.saved)
            continue;
        const QString path = folder.filePath(clipFileName(clip.number));
        const FileRead read = readFileUpTo(path, clip.size);
        const auto *data = reinterpret_cast<const std::uint8_t *>(read.bytes.constData());
        if (!read.error.isEmpty() || read.bytes.size() != clip.size
            || quint32(byteSum(data, std::size_t(read.bytes.size()))) != clip.sum) {
            work.error = "alarm: " + path + " is not the clip the backup saved";
            return false;
        }
        work.clips.append({clip.number, path});
    }
    return true;
}

bool planPart(const UnitBackup &b, BackupPart part, const QString &backupFile, RestoreWork &work)
{
    switch (part) {
    case BackupPart::AccessPoint:
        return !keyCut(b.apKeyType, b.apKey, "access-point", work)
               && take(work, part, planAccessPoint(credentials(b.apSsid, b.apKeyType, b.apKey, false)));
    case BackupPart::Station:
        return !keyCut(b.stationKeyType, b.stationKey, "station", work)
               && take(work, part, planStation(credentials(b.stationSsid, b.stationKeyType, b.stationKey, true)));
    case BackupPart::StaticAddress:
        return take(work, part, planStaticAddress({b.staticIpUsed, addressText(b.staticIp), addressText(b.subnetMask),
                                                   addressText(b.gateway)}));
    case BackupPart::Location:
        return take(work, part, planLocation(fromSingleByte(b.location)));
    case BackupPart::ModbusTcp:
        return take(work, part, planModbusTcp(QString::number(b.modbusPort), QString::number(b.modbusIdleTimeout)));
    case BackupPart::ModbusRtu:
        return planModbusRtuRecord(b, work);
    case BackupPart::Alarm:
        return planAlarm(b, backupFile, work);
    case BackupPart::WifiMode:
        break;
    }
    work.plans.append({part, planWifiMode(b.accessPointMode)});
    return true;
}

RestoreWork planRestore(const UnitBackup &b, const QString &backupFile, const QStringList &groups)
{
    RestoreWork work;
    for (const QString &group : BackupGroups) {
        if (!groups.contains(group))
            continue;
        for (const BackupPart part : partsOf(group)) {
            if (!b.holds(part) || partHoldsNothing(part, b))
                continue;
            if (const QString why = partLeftOut(part, b); !why.isEmpty())
                work.skipped << why;
            else if (!planPart(b, part, backupFile, work))
                return work;
        }
    }
    return work;
}

// Drops the parts the target's model does not have and names them; says so when the target is another unit.
void leaveOutOtherModels(RestoreWork &work, const UnitBackup &backup, const DeviceStatus &target)
{
    const QString mac = UnitTexts::mac(target);
    if (!backup.mac.isEmpty() && backup.mac != mac)
        printLine(stderr, "zorctl: note: the backup is of " + backup.model + " " + backup.mac + "; writing it onto "
                              + UnitTexts::modelName(target) + " " + mac);
    for (qsizetype i = work.plans.size() - 1; i >= 0; --i) {
        const QString why = partNotOnModel(work.plans[i].part, target.modelRecognised ? target.modelCode : 0);
        if (why.isEmpty())
            continue;
        work.skipped.prepend(why);
        if (work.plans[i].part == BackupPart::ModbusRtu)
            work.rtuRecord = false;
        work.plans.removeAt(i);
    }
}

// The audio editor's write order: table, list, each clip, then "configuration written".
int writeAlarm(CtlSession &session, const RestoreWork &work)
{
    FileTransfer &transfer = session.transfer;
    for (const auto &[name, bytes] : {std::pair{QStringLiteral("plist.cfg"), work.alarmTable},
                                      std::pair{QStringLiteral("m3fn.txt"), work.audioList}}) {
        std::copy_n(bytes.constData(), bytes.size(), reinterpret_cast<char *>(transfer.TransferBuffer.get()));
        const TransferResult written = transfer.WriteBufferToSd(name.toLatin1(), std::uint32_t(bytes.size()));
        if (!written.ok())
            return failWith("alarm: the unit did not take " + name + " (" + written.error + ")",
                            written.announcement.verdict() == AnswerVerdict::Unreached ? CtlNoConnection : CtlNoUsableAnswer);
    }
    for (const Clip &clip : work.clips) {
        const TransferResult written = transfer.WriteFileToSd(clip.path);
        if (!written.ok())
            return failWith("alarm: the unit did not take " + clipFileName(clip.number) + " (" + transfer.lastTransferError + ")",
                            written.announcement.verdict() == AnswerVerdict::Unreached ? CtlNoConnection : CtlNoUsableAnswer);
    }
    const ExchangeResult written = session.link.configurationWritten();
    return session.exitFor(written);
}

int restore(const CtlOptions &options, const RestoreOptions &given)
{
    const QString file = QString::fromLocal8Bit(given.file.c_str());
    QString error;
    const std::optional<UnitBackup> backup = loadBackup(file, error);
    if (!backup)
        return failWith(error + "; nothing was sent", CtlUsage);

    QStringList groups;
    for (const std::string &group : given.only)
        groups << QString::fromStdString(group);
    if (groups.isEmpty())
        groups = QStringList{"network", "location", "modbus", "alarm"}; // the Wi-Fi mode restarts the unit: asked for alone
    RestoreWork work = planRestore(*backup, file, groups);
    if (!work.error.isEmpty())
        return failWith(work.error + "; nothing was sent", CtlUsage);

    CtlSession session(options);
    const bool compared = given.changedOnly || given.check;
    std::optional<UnitComparison> comparison;
    if (compared) {
        const UnitRead unit = readUnitToCompare(session.link, session.transfer, *backup);
        if (unit.fault.failed())
            return CtlSession::exitFor(unit.fault);
        comparison = compareUnit(unit.backup, *backup, false);
    } else if (const int failed = session.readDeviceInformation()) {
        return failed;
    }
    leaveOutOtherModels(work, *backup, session.status);
    if (compared) {
        work.plans.removeIf([&](const GroupPlan &plan) { return !comparison->partDiffers(plan.part); });
        if (comparison->partDiffers(BackupPart::WifiMode) && !groups.contains("wifi-mode"))
            work.skipped << QStringLiteral("the Wi-Fi mode differs; it restarts the unit, so it is restored only with --only wifi-mode");
    }
    if (work.rtuRecord && !session.status.sdPresent)
        return failWith(QStringLiteral("the unit reports no SD card, so RTU.CFG cannot be restored; nothing was sent"),
                        CtlNoUsableAnswer);
    if (given.check)
        return reportCheck(options, groups, *comparison, work.skipped);

    RestoreDialogs dialogs;
    auto toStderr = [](const QString &line) { printLine(stderr, line); };
    SetupRunner runner(session.transfer, dialogs, {.monitor = toStderr, .setup = {}});
    QStringList restored;
    for (const GroupPlan &entry : work.plans) {
        const QString group = entry.group();
        // One group after another, spaced as the setup window spaces its own file writes.
        if (!restored.isEmpty())
            session.link.pause(session.timing.configFilePauseMs);
        const int failed = group == "alarm" ? writeAlarm(session, work) : exitForSetupRun(runner.run(entry.plan));
        if (failed)
            return failWith(group + " was not restored" + (restored.isEmpty() ? QString() : "; restored before it: " + restored.join(", ")),
                            failed);
        if (!restored.contains(group))
            restored << group;
    }

    for (const QString &skip : work.skipped)
        printLine(stderr, "zorctl: not restored: " + skip);
    const QString reboot = restored.isEmpty() ? QStringLiteral("nothing needed restoring")
                                              : QStringLiteral("reboot the unit for the restored settings to take effect");
    if (compared)
        return reportChanges(options, groups, *comparison, restored, work.skipped, reboot);
    if (options.json)
        printJson({{"restored", QJsonArray::fromStringList(restored)}, {"skipped", QJsonArray::fromStringList(work.skipped)},
                   {"message", reboot}});
    else
        printLine(stdout, "done: " + reboot);
    return CtlDone;
}

} // namespace

QString restoreRefusal(const UnitBackup &backup, const QString &file)
{
    return planRestore(backup, file, BackupGroups).error;
}

void addRestoreCommand(CLI::App &app, const CtlOptions &options, int &exitCode)
{
    auto given = std::make_shared<RestoreOptions>();
    CLI::App *restoreCommand = app.add_subcommand("restore", "Write a backup's settings and files back to the unit");
    restoreCommand->add_option("file", given->file, "A backup or a profile")->required();
    restoreCommand
        ->add_option("--only", given->only,
                     "Restore only these groups: network, location, modbus, alarm; wifi-mode (restarts the unit) "
                     "only when named")
        ->check(CLI::IsMember({"network", "location", "modbus", "alarm", "wifi-mode"}));
    auto *changedOnly = restoreCommand->add_flag("--changed-only", given->changedOnly,
                                                 "Read the unit first and write only the groups that differ");
    restoreCommand->add_flag("--check", given->check, "Read the unit and say which groups would change; send nothing")
        ->excludes(changedOnly);
    restoreCommand->callback([&, given] { exitCode = restore(options, *given); });
}
