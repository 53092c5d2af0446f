#include "ProjectCommands.h"

#include "AudioListFile.h"
#include "ClipText.h"
#include "ConfigurationStepText.h"
#include "DeviceConfiguration.h"
#include "EditorFiles.h"
#include "Mp3Check.h"
#include "NoDialogs.h"
#include "ProgressLine.h"
#include "ProjectStore.h"
#include "RequestTexts.h"
#include "UnitTexts.h"

#include <CLI/CLI.hpp>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <memory>

namespace {

// Lines of project files and of the unit's list may hold control characters: a terminal
// sees them as escapes.
void note(const QString &text)
{
    printLine(stderr, "zorctl: " + UnitTexts::visibleText(text));
}

int fail(const QString &text)
{
    note(text);
    return CtlNoUsableAnswer;
}

// One project folder, opened as the window opens it, saved as the window saves it.
class CtlProject {
public:
    explicit CtlProject(const std::string &folder)
        : store_(dialogs_, QDir::currentPath())
    {
        EditorDirectories &dirs = store_.directories();
        dirs.projectDir = dirs.activeDir = withTrailingSeparator(QDir::toNativeSeparators(QDir(QString::fromStdString(folder)).absolutePath()));
    }

    ProjectStore &store() { return store_; }
    QString folder() const { return store_.directories().activeDir; }
    AppliedTable &shown() { return shown_; }

    bool exists() const
    {
        return QFileInfo::exists(folder() + alarmTableFileName) && QFileInfo::exists(folder() + audioListFileName);
    }
    bool holdsProjectFile() const
    {
        return QFileInfo::exists(folder() + alarmTableFileName) || QFileInfo::exists(folder() + audioListFileName);
    }
    // Empty when opened; else why not.
    QString open()
    {
        if (!exists())
            return folder() + " holds no project; start one with \"zorctl project new\"";
        const EditorOutcome opened = store_.loadProject();
        if (!opened.warning.isEmpty())
            note(opened.warning);
        return take(opened);
    }
    QString create()
    {
        if (!QDir().mkpath(folder()))
            return "cannot create " + folder();
        return take(store_.resetProject());
    }
    QString take(const EditorOutcome &outcome)
    {
        if (outcome.applied)
            shown_ = *outcome.applied;
        return outcome.error;
    }
    QString save()
    {
        // The table keeps no clip after an empty place; say which ones a save leaves out.
        for (int k = 0; k < inputRowCount; ++k) {
            QStringList dropped;
            for (int clip : clipsAfterGap(shown_.rows[k]))
                dropped << clipText(clip);
            if (!dropped.isEmpty())
                note(QStringLiteral("entry %1: %2 %3 not kept, as no clip plays after an empty place")
                         .arg(k)
                         .arg(dropped.join(", "), dropped.size() == 1 ? "is" : "are"));
        }
        return store_.saveProject(shown_.rows, shown_.mode).error;
    }

private:
    NoDialogs dialogs_;
    ProjectStore store_;
    AppliedTable shown_;
};

// Opens the project, changes it, saves it as the window's "Save Project" does.
int changeProject(const std::string &folder, const std::function<QString(CtlProject &)> &change)
{
    CtlProject project(folder);
    QString error = project.open();
    if (error.isEmpty())
        error = change(project);
    if (error.isEmpty())
        error = project.save();
    return error.isEmpty() ? CtlDone : fail(error);
}

QJsonObject projectObject(CtlProject &project)
{
    const AlarmTable &table = project.store().alarmTable();
    QJsonArray entries;
    for (int k = 0; k < inputRowCount; ++k) {
        const AlarmEntry entry = table.entry(k);
        QJsonArray clips;
        for (quint8 clip : entry.clips)
            if (clip)
                clips.append(clip);
        entries.append(QJsonObject{{"entry", k}, {"clips", clips}, {"clipCount", entry.clipCount},
                                   {"repeat", entry.repeatCount}, {"alarm", entry.alarmOutput == 1}});
    }
    QJsonArray list;
    const AudioList &audio = project.store().audioList();
    for (int n = 1; n <= maxClipNumber; ++n)
        if (audio.isPresent(n))
            list.append(QJsonObject{{"number", n}, {"name", audio.slot(n).shortName}, {"source", audio.slot(n).sourcePath}});
    QJsonObject shown{{"mode", table.mode()}, {"entries", entries}, {"clips", list}};
    if (!project.store().tableDamage().isEmpty())
        shown["damaged"] = project.store().tableDamage();
    return shown;
}

void printProject(const QJsonObject &project, bool json)
{
    if (json) {
        printJson(project);
        return;
    }
    printLine(stdout, QStringLiteral("mode: %1").arg(project["mode"].toInt()));
    for (const QJsonValue value : project["entries"].toArray()) {
        const QJsonObject entry = value.toObject();
        QStringList clips;
        for (const QJsonValue clip : entry["clips"].toArray())
            clips << clipText(clip.toInt());
        printLine(stdout, QStringLiteral("entry %1: clips %2 count %3 repeat %4 alarm %5")
                              .arg(entry["entry"].toInt())
                              .arg(clips.isEmpty() ? QStringLiteral("none") : clips.join(','))
                              .arg(entry["clipCount"].toInt())
                              .arg(entry["repeat"].toInt())
                              .arg(entry["alarm"].toBool() ? "on" : "off"));
    }
    for (const QJsonValue value : project["clips"].toArray()) {
        const QJsonObject clip = value.toObject();
        printLine(stdout, QStringLiteral("clip %1: %2 (%3)").arg(clipText(clip["number"].toInt()),
                                                                  UnitTexts::visibleText(clip["name"].toString()),
                                                                  UnitTexts::visibleText(clip["source"].toString())));
    }
}

void printStep(const ConfigurationStep &step)
{
    const StepText text = configurationStepText(step);
    if (!text.status.isEmpty())
        printLine(stderr, UnitTexts::visibleText(text.status));
    if (!text.error.isEmpty())
        note(text.error);
}

// With `check`, the project is checked as a write checks it, and nothing is sent: 0 when it would go, else 2.
int writeProject(const CtlOptions &options, const std::string &folder, bool check)
{
    CtlProject project(folder);
    if (const QString error = project.open(); !error.isEmpty()) {
        note(error);
        return check ? CtlUsage : CtlNoUsableAnswer;
    }
    if (!project.store().tableDamage().isEmpty())
        return CtlUsage; // named when it opened
    CtlSession session(options);
    DeviceConfiguration device(project.store(), session.transfer);
    if (check) {
        device.onStep = printStep;
        const DeviceWriteResult result = device.checkWrite(project.shown().rows, project.shown().mode);
        if (!result.error.isEmpty())
            note(result.error);
        return result.error.isEmpty() && result.missing.isEmpty() ? int(CtlDone) : int(CtlUsage);
    }
    // Files started less one are done: the table, the list, then each clip.
    ProgressLine progress(QStringLiteral("files"));
    int files = 2, started = 0;
    for (int n = 1; n <= maxClipNumber; ++n)
        files += project.store().audioList().isPresent(n) ? 1 : 0;
    device.onStep = [&](const ConfigurationStep &step) {
        progress.clear();
        printStep(step);
        if (step.kind == ConfigurationStep::WritingFile || step.kind == ConfigurationStep::SendingClip)
            progress.show(started++, files);
    };
    const DeviceWriteResult result = device.writeDevice(project.shown().rows, project.shown().mode);
    progress.clear();
    if (!result.error.isEmpty())
        return fail(result.error);
    if (!result.missing.isEmpty())
        return CtlNoUsableAnswer; // named by its step
    if (result.unitUnreachable()) {
        printLine(stderr, "zorctl: no connection to " + session.address());
        return CtlNoConnection;
    }
    if (!result.stoppedAt.isEmpty()) {
        printLine(stderr, NotConfirmedPrefix + result.stoppedAt + ": " + RequestTexts::failure(result.stoppedBy));
        return CtlNoUsableAnswer;
    }
    if (!result.refused.isEmpty())
        return fail("the unit did not take " + result.refused.join(", "));
    if (const int failed = session.exitFor(result.configurationWritten))
        return failed;
    printLine(stdout, "done");
    return CtlDone;
}

int readProject(const CtlOptions &options, const std::string &folder)
{
    CtlProject project(folder);
    CtlSession session(options);
    DeviceConfiguration device(project.store(), session.transfer);
    device.onStep = printStep;
    // Both files arrive before either is written: a failed read leaves the folder as it was.
    const DeviceFileRead list = device.readDeviceFile(audioListFileName, audioListImageCapacity);
    if (!list.ok())
        return list.transfer.ok() ? int(CtlNoUsableAnswer) : session.exitFor(list.transfer);
    const DeviceFileRead table = device.readDeviceFile(alarmTableFileName, alarmTableSize);
    if (!table.ok())
        return table.transfer.ok() ? int(CtlNoUsableAnswer) : session.exitFor(table.transfer);
    // What cannot be opened as a project is not stored as one.
    if (const AudioListRead read = parseAudioListBytes(list.bytes, "the unit's " + audioListFileName); !read.error.isEmpty())
        return fail(read.error);
    if (table.bytes.size() < alarmTableSize)
        note(QStringLiteral("the unit's %1 has %2 bytes, fewer than the %3 of a whole table; "
                            "the bytes after them read as a fresh table's")
                 .arg(alarmTableFileName)
                 .arg(table.bytes.size())
                 .arg(alarmTableSize));
    if (!QDir().mkpath(project.folder()))
        return fail("cannot create " + project.folder());
    if (const QString error = replaceFilesTogether({{project.folder() + alarmTableFileName, table.bytes},
                                                    {project.folder() + audioListFileName, list.bytes}});
        !error.isEmpty())
        return fail(error);
    printLine(stdout, "done");
    return CtlDone;
}

QString clipsToRow(const std::vector<int> &clips, CtlProject &project, InputRow &row)
{
    if (clips.size() > std::size_t(clipsPerEntry))
        return QStringLiteral("an input plays at most %1 clips").arg(clipsPerEntry);
    row.clipTexts.fill(clipText(0));
    for (std::size_t i = 0; i < clips.size(); ++i) {
        // The window offers only the clips of the list.
        if (clips[i] != 0 && !project.store().audioList().isPresent(clips[i]))
            return QStringLiteral("clip %1 is not in the project").arg(clips[i]);
        row.clipTexts[i] = clipText(clips[i]);
    }
    return {};
}

} // namespace

void addProjectCommands(CLI::App &app, const CtlOptions &options, int &exitCode)
{
    auto *project = app.add_subcommand("project", "Build an alarm project on the PC, write it to the unit, read it back");
    project->require_subcommand(1);
    auto folder = std::make_shared<std::string>();
    auto addFolder = [folder](CLI::App *command) { command->add_option("DIR", *folder, "Project folder")->required(); };

    auto *create = project->add_subcommand("new", "Start an empty project in DIR");
    addFolder(create);
    auto force = std::make_shared<bool>(false);
    create->add_flag("--force", *force, "Start anew over a project that is there");
    create->callback([&exitCode, folder, force] {
        CtlProject project(*folder);
        if (project.holdsProjectFile() && !*force) {
            note(project.folder() + " already holds a project; give --force to start it anew");
            exitCode = CtlUsage;
            return;
        }
        QString error = project.create();
        if (error.isEmpty())
            error = project.save();
        exitCode = error.isEmpty() ? CtlDone : fail(error);
    });

    auto clipNumber = std::make_shared<int>(0);
    auto clipFile = std::make_shared<std::string>();
    auto *addClip = project->add_subcommand("add-clip", "Copy FILE into the project as clip N (DIR/NNN.mp3)");
    addFolder(addClip);
    addClip->add_option("N", *clipNumber, "Clip number")->required()->check(CLI::Range(1, maxClipNumber));
    addClip->add_option("FILE", *clipFile, "MP3 file")->required()->check(CLI::ExistingFile);
    addClip->callback([&exitCode, folder, clipNumber, clipFile] {
        const QString source = QFileInfo(QString::fromStdString(*clipFile)).absoluteFilePath();
        const FileRead head = readFileUpTo(source, mp3ProbeSize);
        const QString refused = head.error.isEmpty() ? notMp3Reason(head.bytes, QDir::toNativeSeparators(source)) : head.error;
        if (!refused.isEmpty()) {
            note(refused);
            exitCode = CtlUsage;
            return;
        }
        exitCode = changeProject(*folder, [&](CtlProject &p) {
            if (QFileInfo(source).size() > maxClipFileSize)
                return QStringLiteral("Error!! : File Size > then Buffer 10MB");
            return p.take(p.store().addAudioFile(*clipNumber, QDir::toNativeSeparators(source)));
        });
    });

    auto *removeClip = project->add_subcommand("remove-clip", "Remove clip N and every use of it in the table");
    addFolder(removeClip);
    removeClip->add_option("N", *clipNumber, "Clip number")->required()->check(CLI::Range(1, maxClipNumber));
    removeClip->callback([&exitCode, folder, clipNumber] {
        exitCode = changeProject(*folder, [&](CtlProject &p) { return p.take(p.store().deleteAudio(*clipNumber)); });
    });

    auto mode = std::make_shared<int>(0);
    auto *setMode = project->add_subcommand("mode", "Set the alarm mode");
    addFolder(setMode);
    setMode->add_option("MODE", *mode, "0 to 7")->required()->check(CLI::Range(0, 7));
    setMode->callback([&exitCode, folder, mode] {
        exitCode = changeProject(*folder, [&](CtlProject &p) {
            p.shown().mode = *mode;
            return QString();
        });
    });

    auto entry = std::make_shared<int>(0);
    auto clips = std::make_shared<std::vector<int>>();
    auto repeat = std::make_shared<int>(0);
    auto alarm = std::make_shared<std::string>();
    auto *input = project->add_subcommand("input", "Set what input row ENTRY plays");
    addFolder(input);
    input->add_option("ENTRY", *entry, "0 to 31, as the window's 32 rows")->required()->check(CLI::Range(0, inputRowCount - 1));
    auto *clipsOption = input->add_option("--clips", *clips, "Up to four clip numbers in play order, 0 for none")
                            ->delimiter(',')->check(CLI::Range(0, maxClipNumber));
    auto *repeatOption = input->add_option("--repeat", *repeat, "Times the clips play")->check(CLI::Range(1, 255));
    input->add_option("--alarm", *alarm, "Alarm output")->check(CLI::IsMember({"on", "off"}));
    input->callback([&exitCode, folder, entry, clips, repeat, alarm, clipsOption, repeatOption] {
        exitCode = changeProject(*folder, [&](CtlProject &p) {
            InputRow &row = p.shown().rows[*entry];
            if (clipsOption->count() > 0)
                if (const QString error = clipsToRow(*clips, p, row); !error.isEmpty())
                    return error;
            if (repeatOption->count() > 0)
                row.repeatText = QString::number(*repeat);
            if (!alarm->empty())
                row.alarmOutput = *alarm == "on";
            return QString();
        });
    });

    auto *show = project->add_subcommand("show", "Print the mode, the 32 entries and the clip list");
    addFolder(show);
    show->callback([&exitCode, &options, folder] {
        CtlProject project(*folder);
        if (const QString error = project.open(); !error.isEmpty()) {
            exitCode = fail(error);
            return;
        }
        printProject(projectObject(project), options.json);
        exitCode = CtlDone;
    });

    auto *write = project->add_subcommand("write", "Write the project to the unit: table, list, clips, then \"written\"");
    addFolder(write);
    auto checkOnly = std::make_shared<bool>(false);
    write->add_flag("--check", *checkOnly, "Check DIR as a write would and send nothing: exit 0 when it would be written");
    write->callback([&exitCode, &options, folder, checkOnly] { exitCode = writeProject(options, *folder, *checkOnly); });

    auto *read = project->add_subcommand("read", "Read the unit's plist.cfg and m3fn.txt into DIR");
    addFolder(read);
    read->callback([&exitCode, &options, folder] { exitCode = readProject(options, *folder); });
}
