// backup: device information, the SD configuration files and optionally the clips, to one file.
#include "BackupCommands.h"

#include "AudioListFile.h"
#include "ClipText.h"
#include "EditorFiles.h"
#include "UnitRead.h"

#include <CLI/CLI.hpp>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <memory>

namespace {

struct BackupOptions {
    std::string file;
    std::string clipFolder;
};

int readFailed(UnitFault fault)
{
    fault.text += QStringLiteral("; no backup written");
    return CtlSession::exitFor(fault);
}

// Reads the clips the list names into `folder`: CtlDone, or the failure already told.
int backUpClips(CtlSession &session, UnitBackup &backup, const QString &folder)
{
    if (!QDir().mkpath(folder))
        return failWith("cannot create " + folder, CtlNoUsableAnswer);
    QStringList missing;
    const UnitFault fault = readClips(
        session.link, session.transfer, backup,
        [&](int number, const QByteArray &bytes) { return writeFileAtomically(QDir(folder).filePath(clipFileName(number)), bytes); },
        missing);
    for (const QString &name : missing)
        printLine(stderr, "zorctl: the unit would not send clip " + name + "; it is recorded as missing");
    return fault.failed() ? readFailed(fault) : CtlDone;
}

int backUp(const CtlOptions &options, const BackupOptions &given)
{
    const QString file = QString::fromLocal8Bit(given.file.c_str());
    CtlSession session(options);
    UnitRead read = readUnit(session.link, session.transfer);
    if (read.fault.failed())
        return readFailed(read.fault);
    UnitBackup &backup = read.backup;
    if (!given.clipFolder.empty()) {
        const QString folder = QDir(QString::fromLocal8Bit(given.clipFolder.c_str())).absolutePath();
        if (const int failed = backUpClips(session, backup, folder))
            return failed;
        backup.clipFolder = QFileInfo(file).absoluteDir().relativeFilePath(folder);
    }
    const QJsonObject json = backupJson(backup);
    if (const QString error = writeFileAtomically(file, QJsonDocument(json).toJson()); !error.isEmpty())
        return failWith(error, CtlNoUsableAnswer);

    QJsonArray missing;
    for (const BackupClip &clip : backup.clips)
        if (!clip.saved)
            missing.append(clip.number);
    if (options.json)
        printJson({{"file", QFileInfo(file).absoluteFilePath()}, {"identity", json["identity"]}, {"missingClips", missing}});
    else
        printLine(stdout, QStringLiteral("done"));
    return CtlDone;
}

} // namespace

int failWith(const QString &text, int exitCode)
{
    printLine(stderr, "zorctl: " + text);
    return exitCode;
}

void addRestoreCommand(CLI::App &app, const CtlOptions &options, int &exitCode);

void addBackupCommands(CLI::App &app, const CtlOptions &options, int &exitCode)
{
    auto given = std::make_shared<BackupOptions>();
    CLI::App *backup = app.add_subcommand("backup", "Save the unit's settings and SD configuration files in FILE (JSON)");
    backup->add_option("file", given->file, "The backup file to write")->required();
    backup->add_option("--with-clips", given->clipFolder, "Also read every clip the list names into DIR");
    backup->callback([&, given] { exitCode = backUp(options, *given); });
    addRestoreCommand(app, options, exitCode);
}
