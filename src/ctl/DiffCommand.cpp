// profile and diff: a unit's desired state in a file, and how the unit differs from it.
#include "DiffCommands.h"

#include "BackupCommands.h"
#include "EditorFiles.h"
#include "UnitRead.h"
#include "UnitTexts.h"

#include <CLI/CLI.hpp>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <memory>

namespace {

struct ProfileOptions {
    std::string file, from;
    std::vector<std::string> only;
};

struct DiffOptions {
    std::string file;
    bool showKeys = false;
};

QString localPath(const std::string &path)
{
    return QString::fromLocal8Bit(path.c_str());
}

int makeProfile(const CtlOptions &options, const ProfileOptions &given)
{
    const QString file = localPath(given.file), from = localPath(given.from);
    QString error;
    std::optional<UnitBackup> profile = loadBackup(from, error);
    if (!profile)
        return failWith(error, CtlUsage);
    unsigned kept = 0;
    for (const std::string &group : given.only)
        for (const BackupPart part : partsOf(QString::fromStdString(group)))
            kept |= unsigned(part);
    profile->profile = true;
    profile->parts &= given.only.empty() ? AllBackupParts : kept;
    if (profile->parts == 0)
        return failWith(from + " holds none of the groups given", CtlUsage);
    profile->files.removeIf([&](const auto &file) {
        return !profile->holds(file.first == "RTU.CFG" ? BackupPart::ModbusRtu : BackupPart::Alarm);
    });
    // The clips stay where they are; the profile names them from its own folder.
    const QString clips = QFileInfo(from).absoluteDir().filePath(profile->clipFolder);
    profile->clipFolder = QFileInfo(file).absoluteDir().relativeFilePath(clips);
    if (const QString refused = restoreRefusal(*profile, from); !refused.isEmpty())
        return failWith(from + ": " + refused, CtlUsage);
    if (const QString failed = writeFileAtomically(file, QJsonDocument(backupJson(*profile)).toJson()); !failed.isEmpty())
        return failWith(failed, CtlNoUsableAnswer);
    QJsonArray groups;
    for (const QString &group : BackupGroups)
        for (const BackupPart part : partsOf(group))
            if (profile->holds(part) && !groups.contains(group))
                groups.append(group);
    if (options.json)
        printJson({{"file", QFileInfo(file).absoluteFilePath()}, {"groups", groups}});
    else
        printLine(stdout, QStringLiteral("done"));
    return CtlDone;
}

QString shown(const QString &value, bool literal)
{
    return literal ? value : "\"" + UnitTexts::visibleText(value) + "\"";
}

int diff(const CtlOptions &options, const DiffOptions &given)
{
    const QString file = localPath(given.file);
    QString error;
    const std::optional<UnitBackup> profile = loadBackup(file, error);
    if (!profile)
        return failWith(error, CtlUsage);
    if (const QString refused = restoreRefusal(*profile, file); !refused.isEmpty())
        return failWith(file + ": " + refused, CtlUsage);

    CtlSession session(options);
    const UnitRead unit = readUnitToCompare(session.link, session.transfer, *profile);
    if (unit.fault.failed())
        return CtlSession::exitFor(unit.fault);
    const UnitComparison comparison = compareUnit(unit.backup, *profile, given.showKeys);
    for (const QString &why : comparison.leftOut)
        printLine(stderr, "zorctl: not compared: " + why);
    if (options.json) {
        QJsonArray groups;
        for (const GroupComparison &group : comparison.groups) {
            QJsonArray changes;
            for (const FieldChange &change : group.changes)
                changes.append(QJsonObject{{"field", change.field}, {"unit", change.unit}, {"file", change.file}});
            groups.append(QJsonObject{{"group", group.group}, {"differs", group.differs()}, {"changes", changes}});
        }
        printJson({{"differs", comparison.differs()}, {"groups", groups},
                   {"notCompared", QJsonArray::fromStringList(comparison.leftOut)}});
    } else {
        for (const GroupComparison &group : comparison.groups) {
            if (!group.differs())
                continue;
            printLine(stdout, group.group + ":");
            for (const FieldChange &change : group.changes)
                printLine(stdout, "  " + change.field + ": " + shown(change.unit, change.literal) + " -> "
                                      + shown(change.file, change.literal));
        }
    }
    return comparison.differs() ? CtlDiffers : CtlDone;
}

bool groupDiffers(const UnitComparison &comparison, const QString &group)
{
    for (const BackupPart part : partsOf(group))
        if (comparison.partDiffers(part))
            return true;
    return false;
}

// One line or member per group asked for that the file holds.
void printGroups(const CtlOptions &options, const QStringList &groups, const UnitComparison &comparison,
                 const std::function<QString(const QString &)> &state, QJsonObject json)
{
    QJsonArray states;
    for (const GroupComparison &compared : comparison.groups) {
        if (!groups.contains(compared.group))
            continue;
        if (options.json)
            states.append(QJsonObject{{"group", compared.group}, {"state", state(compared.group)}});
        else
            printLine(stdout, compared.group + ": " + state(compared.group));
    }
    if (options.json) {
        json["groups"] = states;
        printJson(json);
    }
}

} // namespace

int reportCheck(const CtlOptions &options, const QStringList &groups, const UnitComparison &comparison,
                const QStringList &skipped)
{
    bool any = false;
    for (const QString &why : skipped)
        printLine(stderr, "zorctl: would not restore: " + why);
    printGroups(options, groups, comparison, [&](const QString &group) {
        const bool differs = groupDiffers(comparison, group);
        any = any || differs;
        return differs ? QStringLiteral("would change") : QStringLiteral("unchanged");
    }, {{"skipped", QJsonArray::fromStringList(skipped)}});
    return any ? CtlDiffers : CtlDone;
}

int reportChanges(const CtlOptions &options, const QStringList &groups, const UnitComparison &comparison,
                  const QStringList &restored, const QStringList &skipped, const QString &message)
{
    printGroups(options, groups, comparison, [&](const QString &group) {
        return restored.contains(group) ? QStringLiteral("changed") : QStringLiteral("unchanged");
    }, {{"restored", QJsonArray::fromStringList(restored)}, {"skipped", QJsonArray::fromStringList(skipped)}, {"message", message}});
    if (!restored.isEmpty())
        printLine(stderr, "zorctl: " + message);
    return CtlDone;
}

void addDiffCommands(CLI::App &app, const CtlOptions &options, int &exitCode)
{
    auto profile = std::make_shared<ProfileOptions>();
    CLI::App *make = app.add_subcommand("profile", "Write a profile: a backup without identity, of the groups chosen");
    make->add_option("file", profile->file, "The profile file to write")->required();
    make->add_option("--from", profile->from, "A backup or profile to take the settings from")->required();
    make->add_option("--only", profile->only, "Keep only these groups: network, location, modbus, alarm, wifi-mode")
        ->check(CLI::IsMember({"network", "location", "modbus", "alarm", "wifi-mode"}));
    make->callback([&, profile] { exitCode = makeProfile(options, *profile); });

    auto given = std::make_shared<DiffOptions>();
    CLI::App *compare = app.add_subcommand("diff", "Show each field where the unit differs from a profile or backup; "
                                                   "exit 5 when something differs. Sends no write");
    compare->add_option("file", given->file, "A profile or a backup")->required();
    compare->add_flag("--show-keys", given->showKeys, "Show Wi-Fi keys instead of their length");
    compare->callback([&, given] { exitCode = diff(options, *given); });
}
