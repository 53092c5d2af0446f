#include "FileCommands.h"

#include "RequestTexts.h"
#include "UnitTexts.h"

#include <CLI/CLI.hpp>
#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <memory>

namespace {

QString text(const std::string &value)
{
    return QString::fromLocal8Bit(value.c_str());
}

int exitFor(const CtlSession &session, const TransferResult &result, const QString &name)
{
    const QString file = UnitTexts::visibleText(name);
    switch (result.outcome) {
    case TransferOutcome::Done:
        printLine(stdout, QStringLiteral("done"));
        return CtlDone;
    case TransferOutcome::FileError:
        printLine(stderr, "zorctl: " + file + ": " + result.error);
        return CtlUsage;
    case TransferOutcome::Refused:
        if (result.announcement.verdict() == AnswerVerdict::Refused)
            printLine(stderr, "zorctl: the unit refused " + file);
        else
            printLine(stderr, NotConfirmedPrefix + file + ": " + RequestTexts::failure(result.announcement));
        return CtlNoUsableAnswer;
    case TransferOutcome::TimedOut:
        printLine(stderr, "zorctl: " + file + ": " + result.error);
        return CtlNoUsableAnswer;
    case TransferOutcome::Failed:
        break;
    }
    if (result.announcement.outcome == ExchangeOutcome::NoConnection)
        return session.exitFor(result.announcement);
    printLine(stderr, "zorctl: " + file + ": " + result.error);
    return CtlNoUsableAnswer;
}

int exitForDelete(const CtlSession &session, const ExchangeResult &result, const QString &name)
{
    const int status = session.exitFor(result);
    if (status == CtlDone)
        printLine(stdout, QStringLiteral("done"));
    else
        printLine(stderr, "zorctl: " + name + " was not deleted");
    return status;
}

int putOnSd(const CtlOptions &options, const QString &path)
{
    if (!QFile::exists(path)) {
        printLine(stderr, "zorctl: no file " + path);
        return CtlUsage;
    }
    CtlSession session(options);
    return exitFor(session, session.transfer.WriteFileToSd(path), path);
}

int getFromSd(const CtlOptions &options, const QString &name, const QString &outFile)
{
    CtlSession session(options);
    const TransferResult result = session.transfer.ReadSdFile(name.toLatin1());
    if (result.ok()) {
        // Written beside the old file and renamed over it, so a failure keeps the old one.
        QSaveFile file(outFile);
        if (!file.open(QIODevice::WriteOnly)
            || file.write(reinterpret_cast<const char *>(session.transfer.ReceiveBuffer.get()), result.bytes) != result.bytes
            || !file.commit()) {
            printLine(stderr, "zorctl: " + outFile + ": " + file.errorString());
            return CtlUsage;
        }
    }
    return exitFor(session, result, name);
}

int putInFlash(const CtlOptions &options, const QString &name, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > qint64(FileTransfer::BufferSize)) {
        printLine(stderr, "zorctl: " + path + ": " + (file.isOpen() ? QStringLiteral("larger than 10 MiB") : file.errorString()));
        return CtlUsage;
    }
    CtlSession session(options);
    const QByteArray bytes = file.readAll();
    std::copy(bytes.cbegin(), bytes.cend(), reinterpret_cast<char *>(session.transfer.TransferBuffer.get()));
    const TransferResult result = session.transfer.WriteBufferToFlash(name, std::uint32_t(bytes.size()));
    return exitFor(session, result, name);
}

} // namespace

void addFileCommands(CLI::App &app, const CtlOptions &options, int &exitCode)
{
    auto sdPut = std::make_shared<std::string>();
    app.add_subcommand("sd-put", "Copy a PC file onto the unit's SD card")
        ->callback([&, sdPut] { exitCode = putOnSd(options, text(*sdPut)); })
        ->add_option("file", *sdPut, "The PC file")
        ->required();

    auto sdGet = std::make_shared<std::vector<std::string>>();
    app.add_subcommand("sd-get", "Copy a file from the unit's SD card to the PC")
        ->callback([&, sdGet] { exitCode = getFromSd(options, text((*sdGet)[0]), text((*sdGet)[1])); })
        ->add_option("arguments", *sdGet, "NAME OUTFILE")
        ->required()
        ->expected(2);

    auto flashPut = std::make_shared<std::vector<std::string>>();
    app.add_subcommand("flash-put", "Write a PC file into the unit's flash file system under NAME")
        ->callback([&, flashPut] { exitCode = putInFlash(options, text((*flashPut)[0]), text((*flashPut)[1])); })
        ->add_option("arguments", *flashPut, "NAME FILE, e.g. /local/locate.cfg locate.txt")
        ->required()
        ->expected(2);

    auto flashRm = std::make_shared<std::string>();
    app.add_subcommand("flash-rm", "Delete a file of the unit's flash file system")
        ->callback([&, flashRm] {
            CtlSession session(options);
            const ExchangeResult result = session.transfer.DeleteFlashFile(text(*flashRm));
            // The unit refuses to delete a file it does not hold: the file is not there either way.
            if (result.verdict() == AnswerVerdict::Refused) {
                printLine(stderr, "zorctl: note: the unit refused to delete " + text(*flashRm) + "; it may not have held it");
                printLine(stdout, QStringLiteral("done"));
                exitCode = CtlDone;
                return;
            }
            exitCode = exitForDelete(session, result, text(*flashRm));
        })
        ->add_option("name", *flashRm, "e.g. /local/sta_ip.cfg")
        ->required();

    auto clipRm = std::make_shared<std::string>();
    app.add_subcommand("clip-rm", "Delete an audio clip from the unit's SD card")
        ->callback([&, clipRm] {
            CtlSession session(options);
            exitCode = exitForDelete(session, session.transfer.DeleteSdClip(text(*clipRm).toLatin1()), text(*clipRm));
        })
        ->add_option("name", *clipRm, "The clip's file name on the SD card")
        ->required();
}
