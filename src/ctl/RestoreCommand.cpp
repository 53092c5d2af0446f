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
#include "UnitBackup.h"
#include "UnitCommandPlans.h"
#include "UnitTexts.h"
#include "WifiCredentialsPlans.h"

#include <CLI/CLI.hpp>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <memory>

namespace {

const QStringList RestoreGroups{"network", "location", "modbus", "alarm", "wifi-mode"};
// The unit reports at most this many key bytes, though it takes keys of up to 16.
constexpr qsizetype ReportedKeyBytes = 14;
constexpr qint64 BackupFileLimit = 64 * 1048576;

struct RestoreOptions {
    std::string file;
    std::vector<std::string> only;
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

// One group's plan, or the part of a group that only one model has.
struct GroupPlan {
    QString group;
    SetupPlan plan; // "alarm" has no plan of the setup window's
    std::uint8_t model = 0; // the model that has this part; 0: every model
    QString part{};         // its name, for a unit of another model
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

bool take(RestoreWork &work, const QString &group, const SetupResult &result, std::uint8_t model = 0,
          const QString &part = {})
{
    if (result.error) {
        work.error = group + ": " + result.error->text.trimmed();
        return false;
    }
    work.plans.append({group, result.plan, model, part});
    return true;
}

bool planNetwork(const UnitBackup &b, RestoreWork &work)
{
    // A key that fills the reported field may have been cut: writing it would lock the unit out.
    for (const auto &[keyType, key, which] : {std::tuple{b.apKeyType, b.apKey, "access-point"},
                                              std::tuple{b.stationKeyType, b.stationKey, "station"}})
        if (keyType != 0 && key.size() >= ReportedKeyBytes) {
            work.error = QStringLiteral("network: the %1 key fills the %2 bytes the unit reports and may be cut "
                                        "short; set it with zorctl set and restore the other groups with --only")
                             .arg(which)
                             .arg(ReportedKeyBytes);
            return false;
        }
    // The setup rules cannot write an empty SSID: a network the unit did not have stays as it is.
    if (b.apSsid.isEmpty())
        work.skipped << QStringLiteral("the access point (the unit reported no SSID for it)");
    else if (!take(work, "network", planAccessPoint(credentials(b.apSsid, b.apKeyType, b.apKey, false))))
        return false;
    if (b.stationSsid.isEmpty())
        work.skipped << QStringLiteral("the station network (the unit reported no SSID for it)");
    else if (!take(work, "network", planStation(credentials(b.stationSsid, b.stationKeyType, b.stationKey, true))))
        return false;
    const StaticAddressInput address{b.staticIpUsed, addressText(b.staticIp), addressText(b.subnetMask),
                                     addressText(b.gateway)};
    return take(work, "network", planStaticAddress(address));
}

bool planModbus(const UnitBackup &b, RestoreWork &work)
{
    if (!take(work, "modbus", planModbusTcp(QString::number(b.modbusPort), QString::number(b.modbusIdleTimeout)),
              ModelZor06, QStringLiteral("the Modbus TCP settings")))
        return false;
    const std::optional<QByteArray> record = b.file("RTU.CFG");
    if (!record)
        return true;
    const QStringList fields = fromSingleByte(*record).split(u',');
    if (fields.size() != 5) {
        work.error = QStringLiteral("modbus: the backup's RTU.CFG is not five comma-separated fields");
        return false;
    }
    work.rtuRecord = true;
    return take(work, "modbus", planModbusRtu({fields[0], fields[1], fields[2], fields[3], fields[4]}), ModelZor04Rtu,
                QStringLiteral("the Modbus RTU settings (RTU.CFG)"));
}

bool planAlarm(const UnitBackup &b, const QString &backupFile, RestoreWork &work)
{
    const std::optional<QByteArray> table = b.file("plist.cfg"), list = b.file("m3fn.txt");
    if (!table || !list) {
        work.skipped << QStringLiteral("alarm (the backup holds no plist.cfg and m3fn.txt)");
        return true;
    }
    work.plans.append({QStringLiteral("alarm"), SetupPlan{}});
    work.alarmTable = *table;
    work.audioList = *list;
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

RestoreWork planRestore(const UnitBackup &b, const QString &backupFile, const QStringList &groups)
{
    RestoreWork work;
    for (const QString &group : RestoreGroups) {
        if (!groups.contains(group))
            continue;
        bool ok = true;
        if (group == "network")
            ok = planNetwork(b, work);
        else if (group == "location" && b.location.isEmpty())
            work.skipped << QStringLiteral("location (the unit had none; the setup rules cannot clear one)");
        else if (group == "location")
            ok = take(work, group, planLocation(fromSingleByte(b.location)));
        else if (group == "modbus")
            ok = planModbus(b, work);
        else if (group == "alarm")
            ok = planAlarm(b, backupFile, work);
        else
            work.plans.append({group, planWifiMode(b.accessPointMode)});
        if (!ok)
            break;
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
        const GroupPlan &plan = work.plans[i];
        if (plan.model == 0 || plan.model == target.modelCode)
            continue;
        work.skipped.prepend(plan.part + (target.modelRecognised ? ": a " + UnitTexts::modelName(target) + " has none"
                                                          : QStringLiteral(": the unit's model was not recognised")));
        if (plan.model == ModelZor04Rtu)
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
    const FileRead read = readFileUpTo(file, BackupFileLimit);
    if (!read.error.isEmpty())
        return failWith(read.error, CtlUsage);
    if (read.bytes.size() > BackupFileLimit)
        return failWith(file + " is too large to be a backup", CtlUsage);
    QString error;
    const std::optional<UnitBackup> backup = readBackup(read.bytes, error);
    if (!backup)
        return failWith(file + ": " + error + "; nothing was sent", CtlUsage);

    QStringList groups;
    for (const std::string &group : given.only)
        groups << QString::fromStdString(group);
    if (groups.isEmpty())
        groups = QStringList{"network", "location", "modbus", "alarm"}; // the Wi-Fi mode restarts the unit: asked for alone
    RestoreWork work = planRestore(*backup, file, groups);
    if (!work.error.isEmpty())
        return failWith(work.error + "; nothing was sent", CtlUsage);

    CtlSession session(options);
    if (const int failed = session.readDeviceInformation())
        return failed;
    leaveOutOtherModels(work, *backup, session.status);
    if (work.rtuRecord && !session.status.sdPresent)
        return failWith(QStringLiteral("the unit reports no SD card, so RTU.CFG cannot be restored; nothing was sent"),
                        CtlNoUsableAnswer);

    RestoreDialogs dialogs;
    auto toStderr = [](const QString &line) { printLine(stderr, line); };
    SetupRunner runner(session.transfer, dialogs, {.monitor = toStderr, .setup = {}});
    QStringList restored;
    for (const GroupPlan &entry : work.plans) {
        const QString &group = entry.group;
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

    const QString reboot = QStringLiteral("reboot the unit for the restored settings to take effect");
    for (const QString &skip : work.skipped)
        printLine(stderr, "zorctl: not restored: " + skip);
    if (options.json)
        printJson({{"restored", QJsonArray::fromStringList(restored)}, {"skipped", QJsonArray::fromStringList(work.skipped)},
                   {"message", reboot}});
    else
        printLine(stdout, "done: " + reboot);
    return CtlDone;
}

} // namespace

void addRestoreCommand(CLI::App &app, const CtlOptions &options, int &exitCode)
{
    auto given = std::make_shared<RestoreOptions>();
    CLI::App *restoreCommand = app.add_subcommand("restore", "Write a backup's settings and files back to the unit");
    restoreCommand->add_option("file", given->file, "A file written by zorctl backup")->required();
    restoreCommand
        ->add_option("--only", given->only,
                     "Restore only these groups: network, location, modbus, alarm; wifi-mode (restarts the unit) "
                     "only when named")
        ->check(CLI::IsMember({"network", "location", "modbus", "alarm", "wifi-mode"}));
    restoreCommand->callback([&, given] { exitCode = restore(options, *given); });
}
