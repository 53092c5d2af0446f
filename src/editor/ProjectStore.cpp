#include "ProjectStore.h"

#include "AudioListFile.h"
#include "Dialogs.h"
#include "EditorFiles.h"
#include "ProjectPointerFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

EditorOutcome failure(const QString &error)
{
    EditorOutcome outcome;
    outcome.error = error;
    return outcome;
}

QString clipNumberError(int clipNumber)
{
    if (clipNumber >= 1 && clipNumber <= maxClipNumber)
        return {};
    return QStringLiteral("Clip number %1 is not between 1 and %2.").arg(clipNumber).arg(maxClipNumber);
}

QString listTooLarge()
{
    return QStringLiteral("The source paths of the clips make the audio list larger than %1 bytes; "
                          "use a file with a shorter path.")
        .arg(audioListImageCapacity);
}

} // namespace

ProjectStore::ProjectStore(Dialogs &dialogs, const QString &currentDir)
    : dialogs_(dialogs)
    , dirs_(EditorDirectories::startingIn(currentDir))
{
}

AppliedTable ProjectStore::applyAlarmTable(QStringList &log) const
{
    return table_.applyAlarmTable(list_.selectorItems(), log);
}

EditorOutcome ProjectStore::openEditor()
{
    EditorOutcome outcome;
    if (initialised_)
        return outcome;
    outcome.log.append(dirs_.activeDir);
    if (QDir().mkpath(dirs_.activeDir))
        outcome.log.append(QStringLiteral("Work DIR Exists!"));
    list_.clearAll();

    const QString pointerPath = dirs_.projectPointerPath();
    outcome.log.append(QStringLiteral("PRJ.CFG : ") + pointerPath);
    if (QFileInfo::exists(pointerPath)) {
        // Only the first line counts; a file without one keeps the default project.
        const QString named = parseProjectPointer(readFileUpTo(pointerPath, projectPointerReadLimit).bytes);
        if (!named.isEmpty()) {
            dirs_.activeDir = named;
            outcome.log.append(QStringLiteral("Get PRJ.CFG : ") + named);
        }
    }
    dirs_.projectDir = dirs_.activeDir;
    outcome.append(loadProject());

    if (QDir().mkpath(dirs_.tempDir))
        outcome.log.append(QStringLiteral("Temp DIR Exists!"));
    initialised_ = true;
    return outcome;
}

EditorOutcome ProjectStore::resetProject()
{
    table_.reset();
    list_.clearAll();
    EditorOutcome outcome;
    outcome.applied = applyAlarmTable(outcome.log);
    return outcome;
}

EditorOutcome ProjectStore::loadProject()
{
    const QString listPath = activePath(audioListFileName);
    const QString tablePath = activePath(alarmTableFileName);
    if (!QFileInfo::exists(listPath) || !QFileInfo::exists(tablePath))
        return resetProject();

    // Both files are checked before either is taken, so a refused project never mixes
    // with the one open before.
    const FileRead listFile = readFileUpTo(listPath, audioListImageCapacity);
    const FileRead tableFile = readFileUpTo(tablePath, alarmTableSize);
    const AudioListRead listRead = parseAudioListBytes(listFile.bytes, listPath);
    AlarmTable table = table_;
    QString error = listFile.error.isEmpty() ? listRead.error : listFile.error;
    if (error.isEmpty())
        error = tableFile.error.isEmpty() ? table.replaceLeadingBytes(tableFile.bytes, tablePath) : tableFile.error;
    if (!error.isEmpty()) {
        EditorOutcome outcome = resetProject();
        outcome.error = error;
        return outcome;
    }

    EditorOutcome outcome;
    list_ = listRead.list;
    listImage_ = listFile.bytes;
    outcome.log.append(QStringLiteral("m3fn_fname Len: %1").arg(listFile.bytes.size()));
    table_ = table;
    outcome.log.append(QStringLiteral("plist_fname Len: %1").arg(tableFile.bytes.size()));
    outcome.applied = applyAlarmTable(outcome.log);
    return outcome;
}

EditorOutcome ProjectStore::saveProject(const InputRows &rows, int alarmMode)
{
    EditorOutcome outcome = saveAlarmTableFile(rows, alarmMode);
    if (outcome.ok())
        outcome.append(saveAudioList());
    return outcome;
}

EditorOutcome ProjectStore::saveAlarmTableFile(const InputRows &rows, int alarmMode)
{
    EditorOutcome outcome;
    outcome.log = table_.buildAlarmTable(rows, alarmMode);
    const QString path = activePath(alarmTableFileName);
    outcome.error = writeFileAtomically(path, table_.image());
    outcome.log.append(QStringLiteral("plist fname: ") + path);
    return outcome;
}

EditorOutcome ProjectStore::saveAudioList()
{
    const QString path = activePath(audioListFileName);
    // Whatever is saved must be readable again.
    if (!fitsAudioListImage(list_))
        return failure(listTooLarge());
    EditorOutcome outcome = failure(writeFileAtomically(path, audioListBytes(list_)));
    outcome.log.append(QStringLiteral("M3FN fname: ") + path);
    return outcome;
}

EditorOutcome ProjectStore::loadAudioListImage()
{
    const QString path = activePath(audioListFileName);
    AudioListRead read;
    FileRead file;
    if (QFileInfo::exists(path)) {
        file = readFileUpTo(path, audioListImageCapacity);
        if (!file.error.isEmpty())
            return failure(file.error);
        read = parseAudioListBytes(file.bytes, path);
        if (!read.error.isEmpty())
            return failure(read.error);
    }
    list_ = read.list;
    listImage_ = file.bytes;
    EditorOutcome outcome;
    outcome.log.append(QStringLiteral("m3fn_fname Len: %1").arg(listImage_.size()));
    return outcome;
}

EditorOutcome ProjectStore::chooseProjectDir()
{
    EditorOutcome outcome;
    QString start = dirs_.activeDir;
    if (QDir().mkpath(start)) {
        outcome.log.append(QStringLiteral("Work DIR Exists => ") + start);
    } else {
        outcome.log.append(QStringLiteral("Work_DIR Not Exists => ") + start);
        start = dirs_.defaultProjectDir();
        outcome.log.append(QStringLiteral("Assign Work_DIR => ") + start);
    }
    const QString selected = dialogs_.chooseFolder(QStringLiteral("Select Project Folder"), start);
    if (selected.isEmpty())
        return outcome;
    outcome.log.append(QStringLiteral("Select DIR => ") + selected);

    const QString chosen = withTrailingSeparator(QDir::toNativeSeparators(selected));
    outcome.log.append(chosen);
    const QString pointerPath = dirs_.projectPointerPath();
    outcome.log.append(QStringLiteral("Currentdir => ") + dirs_.baseDir);
    outcome.log.append(QStringLiteral("Select Filenamepath => ") + pointerPath);
    outcome.error = writeFileAtomically(pointerPath, projectPointerBytes(chosen));

    dirs_.activeDir = chosen;
    dirs_.projectDir = chosen;
    outcome.append(loadProject());
    return outcome;
}

PickedAudio ProjectStore::pickAudioFile()
{
    PickedAudio picked;
    const QString path = dialogs_.openFile(QStringLiteral("mp3"), QStringLiteral("MP3 File (*.mp3)"));
    if (path.isEmpty())
        return picked;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        picked.error = QStringLiteral("Could not read %1: %2").arg(path, file.errorString());
        return picked;
    }
    picked.log.append(QStringLiteral("Open FileLength => %1").arg(file.size()));
    if (file.size() > maxClipFileSize)
        picked.error = QStringLiteral("File Size > then Buffer 10MB");
    else
        picked.path = path;
    return picked;
}

EditorOutcome ProjectStore::copyClipFile(const QString &sourcePath, const QString &localPath) const
{
    // Read whole and replaced atomically: the source may be the local copy itself, and
    // a failed copy keeps the clip that was there.
    const FileRead source = readFileUpTo(sourcePath, maxClipFileSize);
    if (!source.error.isEmpty())
        return failure(source.error);
    if (source.bytes.size() > maxClipFileSize)
        return failure(QStringLiteral("File Size > then Buffer 10MB"));
    return failure(writeFileAtomically(localPath, source.bytes));
}

EditorOutcome ProjectStore::addAudio(int clipNumber)
{
    if (const QString error = clipNumberError(clipNumber); !error.isEmpty())
        return failure(error);
    const PickedAudio picked = pickAudioFile();
    EditorOutcome outcome;
    outcome.log = picked.log;
    if (picked.path.isEmpty()) {
        if (!picked.error.isEmpty())
            outcome.error = QStringLiteral("Error!! : ") + picked.error;
        return outcome;
    }
    outcome.append(addAudioFile(clipNumber, picked.path));
    return outcome;
}

EditorOutcome ProjectStore::addAudioFile(int clipNumber, const QString &path)
{
    if (const QString error = clipNumberError(clipNumber); !error.isEmpty())
        return failure(error);
    EditorOutcome outcome;
    outcome.log.append(QStringLiteral("Full FN: ") + path);

    AudioList changed = list_;
    changed.setSource(clipNumber, path);
    if (!fitsAudioListImage(changed)) {
        outcome.error = listTooLarge();
        return outcome;
    }
    const QString localPath = activePath(clipFileName(clipNumber));
    outcome.log.append(QStringLiteral("Local String=> ") + localPath);
    outcome.log.append(QStringLiteral("Source String=> ") + path);
    outcome.append(copyClipFile(path, localPath));
    if (!outcome.ok())
        return outcome;

    list_ = changed;
    outcome.log.append(QStringLiteral("Short_FN: ") + list_.slot(clipNumber).shortName);
    outcome.applied = applyAlarmTable(outcome.log);
    outcome.append(saveAudioList());
    return outcome;
}

EditorOutcome ProjectStore::deleteAudio(int clipNumber)
{
    if (const QString error = clipNumberError(clipNumber); !error.isEmpty())
        return failure(error);
    EditorOutcome outcome;
    outcome.log.append(QStringLiteral("Sting Cell: ") + clipText(clipNumber));
    QFile local(activePath(clipFileName(clipNumber)));
    if (local.exists() && !local.remove())
        outcome.error = QStringLiteral("Could not delete %1: %2").arg(local.fileName(), local.errorString());

    list_.clear(clipNumber);
    table_.clearClipReferences(clipNumber);
    outcome.applied = applyAlarmTable(outcome.log);
    outcome.append(saveAudioList());
    return outcome;
}

EditorOutcome ProjectStore::reapplyAlarmTable() const
{
    EditorOutcome outcome;
    outcome.applied = applyAlarmTable(outcome.log);
    return outcome;
}
