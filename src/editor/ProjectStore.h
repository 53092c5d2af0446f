#pragma once

#include "AlarmTable.h"
#include "AudioList.h"
#include "EditorDirectories.h"
#include "EditorOutcome.h"

#include <QByteArray>
#include <QString>

class Dialogs;

// A clip larger than this cannot be sent to the unit.
inline constexpr qint64 maxClipFileSize = 10 * 1024 * 1024;

struct PickedAudio {
    QString path;  // empty: nothing picked
    QString error; // why a picked file was refused; empty when cancelled or taken
    QStringList log;
};

// The editor's project on the PC: the clip list, the alarm table and the folders, with
// the operations that read and write them in the active folder. Widget-free: rows go in
// as values and the rows to show come back in each outcome.
class ProjectStore {
public:
    ProjectStore(Dialogs &dialogs, const QString &currentDir);

    EditorDirectories &directories() { return dirs_; }
    const EditorDirectories &directories() const { return dirs_; }
    AudioList &audioList() { return list_; }
    const AudioList &audioList() const { return list_; }
    AlarmTable &alarmTable() { return table_; }
    const AlarmTable &alarmTable() const { return table_; }
    // The raw bytes of the active "m3fn.txt" as last loaded, for sending to the unit.
    const QByteArray &audioListImage() const { return listImage_; }
    bool isInitialised() const { return initialised_; }
    // Whether the clips or the rows changed since the project was last loaded or saved.
    bool isModified() const { return modified_; }
    // The window calls this for every change the user makes to the rows or the mode.
    void markEdited() { modified_ = true; }
    // Why the table held now must not go to the unit: it came from a "plist.cfg" that is
    // not a whole table. Empty when it may; saving a table, or taking a whole one, clears it.
    const QString &tableDamage() const { return tableDamage_; }
    void takeWholeTable() { tableDamage_.clear(); }

    // First activation only: the project named by "PRJ.cfg" (or the default one) is
    // opened and the folders are made. Later calls do nothing.
    EditorOutcome openEditor();

    EditorOutcome resetProject();
    // Opens the project in activeDir; without both files it is an empty project. A file
    // that is there but cannot be taken (unreadable, too large, not UTF-8) refuses the
    // project: it opens empty, says why, and nothing is written into that folder until
    // another project was opened. A table shorter than a whole one opens with a warning
    // and is damaged (tableDamage).
    EditorOutcome loadProject();
    // Both files are built and checked before either replaces its old one; a failure
    // leaves both as they were.
    EditorOutcome saveProject(const InputRows &rows, int alarmMode);
    // "Load Project": asks for a folder and opens it with openProjectFolder.
    // Cancelling changes nothing.
    EditorOutcome chooseProjectDir();
    // Checks the folder's project first: a refused one is not opened, and the folders,
    // "PRJ.cfg" and the project held stay as they were. Otherwise the folder is
    // remembered in "PRJ.cfg" and becomes the project.
    EditorOutcome openProjectFolder(const QString &folder);
    // Why nothing may be saved into activeDir or sent from it; empty when allowed.
    QString writeRefusal() const;

    PickedAudio pickAudioFile();
    // Asks for a file and makes it clip n, copied into activeDir as "NNN.mp3".
    EditorOutcome addAudio(int clipNumber);
    // Makes the file clip n without asking. Only an MP3 file is taken.
    EditorOutcome addAudioFile(int clipNumber, const QString &path);
    // Removes clip n here: its local file, its slot and every use in the table.
    EditorOutcome deleteAudio(int clipNumber);

    EditorOutcome saveAudioList();
    // Reads the active "m3fn.txt" into the list and the list image; a missing file is
    // an empty list.
    EditorOutcome loadAudioListImage();
    // The rows to show for the table held now.
    EditorOutcome reapplyAlarmTable() const;

private:
    struct ProjectFiles;
    ProjectFiles readProjectFiles(const QString &dir) const;
    EditorOutcome takeProject(const ProjectFiles &files);

    QString activePath(const QString &fileName) const { return dirs_.activeDir + fileName; }
    AppliedTable applyAlarmTable(QStringList &log) const;
    EditorOutcome copyClipFile(const QString &sourcePath, const QString &localPath) const;

    Dialogs &dialogs_;
    EditorDirectories dirs_;
    AudioList list_;
    AlarmTable table_;
    QByteArray listImage_;
    bool initialised_ = false;
    bool modified_ = false;
    QString tableDamage_;
    // The folder whose project was refused, and why; its files are never written.
    QString refusedDir_;
    QString refusal_;
};
