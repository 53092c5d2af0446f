#include "ProjectStore.h"

#include "AudioListFile.h"
#include "Dialogs.h"
#include "EditorFiles.h"
#include "Mp3Check.h"
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
    modified_ = false;
    tableDamage_.clear();
    EditorOutcome outcome;
    outcome.applied = applyAlarmTable(outcome.log);
    return outcome;
}

struct ProjectStore::ProjectFiles {
    bool present = false; // both files are there
    AudioList list;
    QByteArray listImage;
    AlarmTable table;
    qsizetype tableLength = 0;
    QString error;       // why the project cannot be taken
    QString tableDamage; // why its table must not be sent
};

ProjectStore::ProjectFiles ProjectStore::readProjectFiles(const QString &dir) const
{
    // A short table's missing bytes read as a fresh table's, never as the project's before.
    ProjectFiles files;
    const QString listPath = dir + audioListFileName;
    const QString tablePath = dir + alarmTableFileName;
    const bool hasList = QFileInfo::exists(listPath);
    const bool hasTable = QFileInfo::exists(tablePath);
    files.present = hasList && hasTable;
    // A file is checked even without its partner: the empty project shown then must not be
    // saved over a file that could not be read.
    if (hasList) {
        const FileRead file = readFileUpTo(listPath, audioListImageCapacity);
        const AudioListRead read = parseAudioListBytes(file.bytes, listPath);
        files.error = file.error.isEmpty() ? read.error : file.error;
        files.list = read.list;
        files.listImage = file.bytes;
    }
    if (hasTable && files.error.isEmpty()) {
        const FileRead file = readFileUpTo(tablePath, alarmTableSize);
        files.error = file.error.isEmpty() ? files.table.replaceLeadingBytes(file.bytes, tablePath) : file.error;
        files.tableLength = file.bytes.size();
        if (files.tableLength < alarmTableSize)
            files.tableDamage = QStringLiteral("%1 has %2 bytes, but an alarm table has %3: the table is damaged. "
                                               "What could be read of it is shown; it is not written to the unit "
                                               "until the project is saved again.")
                                    .arg(tablePath)
                                    .arg(files.tableLength)
                                    .arg(alarmTableSize);
    }
    return files;
}

EditorOutcome ProjectStore::takeProject(const ProjectFiles &files)
{
    if (!files.present)
        return resetProject();
    EditorOutcome outcome;
    list_ = files.list;
    listImage_ = files.listImage;
    outcome.log.append(QStringLiteral("m3fn_fname Len: %1").arg(listImage_.size()));
    table_ = files.table;
    outcome.log.append(QStringLiteral("plist_fname Len: %1").arg(files.tableLength));
    outcome.applied = applyAlarmTable(outcome.log);
    modified_ = false;
    tableDamage_ = files.tableDamage;
    outcome.warning = files.tableDamage;
    return outcome;
}

EditorOutcome ProjectStore::loadProject()
{
    // Both files are checked before either is taken, so a refused project never mixes
    // with the one open before.
    const ProjectFiles files = readProjectFiles(dirs_.activeDir);
    if (!files.error.isEmpty()) {
        EditorOutcome outcome = resetProject();
        refusedDir_ = dirs_.activeDir;
        refusal_ = files.error;
        outcome.error = files.error;
        return outcome;
    }
    refusedDir_.clear();
    return takeProject(files);
}

QString ProjectStore::writeRefusal() const
{
    if (refusedDir_.isEmpty() || refusedDir_ != dirs_.activeDir)
        return {};
    return QStringLiteral("The project in %1 could not be opened, so nothing is saved into that folder or sent "
                          "from it until a project is opened with \"Load Project\". %2")
        .arg(refusedDir_, refusal_);
}

EditorOutcome ProjectStore::saveProject(const InputRows &rows, int alarmMode)
{
    if (const QString refusal = writeRefusal(); !refusal.isEmpty())
        return failure(refusal);
    if (!fitsAudioListImage(list_))
        return failure(listTooLarge());
    EditorOutcome outcome;
    outcome.log = table_.buildAlarmTable(rows, alarmMode);
    const QString tablePath = activePath(alarmTableFileName);
    const QString listPath = activePath(audioListFileName);
    outcome.error = replaceFilesTogether({{tablePath, table_.image()}, {listPath, audioListBytes(list_)}});
    if (outcome.ok()) {
        modified_ = false;
        tableDamage_.clear();
    }
    outcome.log.append(QStringLiteral("plist fname: ") + tablePath);
    outcome.log.append(QStringLiteral("M3FN fname: ") + listPath);
    return outcome;
}

EditorOutcome ProjectStore::saveAudioList()
{
    if (const QString refusal = writeRefusal(); !refusal.isEmpty())
        return failure(refusal);
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
    // This is what Write Device sends: a refused project sends nothing.
    if (const QString refusal = writeRefusal(); !refusal.isEmpty())
        return failure(refusal);
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
    outcome.append(openProjectFolder(selected));
    return outcome;
}

EditorOutcome ProjectStore::openProjectFolder(const QString &folder)
{
    const QString chosen = withTrailingSeparator(QDir::toNativeSeparators(folder));
    EditorOutcome outcome;
    outcome.log.append(chosen);
    const ProjectFiles files = readProjectFiles(chosen);
    if (!files.error.isEmpty()) {
        outcome.error = files.error + QStringLiteral(" The editor stays on %1.").arg(dirs_.activeDir);
        return outcome;
    }

    const QString pointerPath = dirs_.projectPointerPath();
    outcome.log.append(QStringLiteral("Currentdir => ") + dirs_.baseDir);
    outcome.log.append(QStringLiteral("Select Filenamepath => ") + pointerPath);
    outcome.error = writeFileAtomically(pointerPath, projectPointerBytes(chosen));

    dirs_.activeDir = chosen;
    dirs_.projectDir = chosen;
    refusedDir_.clear();
    outcome.append(takeProject(files));
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
    // The unit would store anything else and never play it.
    if (const QString notMp3 = notMp3Reason(source.bytes, sourcePath); !notMp3.isEmpty())
        return failure(notMp3);
    return failure(writeFileAtomically(localPath, source.bytes));
}

EditorOutcome ProjectStore::addAudio(int clipNumber)
{
    if (const QString error = clipNumberError(clipNumber); !error.isEmpty())
        return failure(error);
    if (const QString refusal = writeRefusal(); !refusal.isEmpty())
        return failure(refusal);
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
    if (const QString refusal = writeRefusal(); !refusal.isEmpty())
        return failure(refusal);
    // A CR or LF would split the path into two lines of "m3fn.txt" and shift the clips after it.
    if (holdsControlCharacter(path))
        return failure(QStringLiteral("The path of the file holds a control character (such as CR or LF), which a "
                                      "line of m3fn.txt cannot carry. Rename the file or its folder."));
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
    modified_ = true;
    outcome.log.append(QStringLiteral("Short_FN: ") + list_.slot(clipNumber).shortName);
    outcome.applied = applyAlarmTable(outcome.log);
    outcome.append(saveAudioList());
    return outcome;
}

EditorOutcome ProjectStore::deleteAudio(int clipNumber)
{
    if (const QString error = clipNumberError(clipNumber); !error.isEmpty())
        return failure(error);
    if (const QString refusal = writeRefusal(); !refusal.isEmpty())
        return failure(refusal);
    EditorOutcome outcome;
    outcome.log.append(QStringLiteral("Sting Cell: ") + clipText(clipNumber));
    QFile local(activePath(clipFileName(clipNumber)));
    if (local.exists() && !local.remove())
        outcome.error = QStringLiteral("Could not delete %1: %2").arg(local.fileName(), local.errorString());

    list_.clear(clipNumber);
    table_.clearClipReferences(clipNumber);
    modified_ = true;
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
