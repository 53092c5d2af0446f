// Nothing edited in the audio editor is lost, and nothing damaged leaves it: the save question
// on every way out, the damaged table, clips that are not MP3.
#include "AudioListFile.h"
#include "EditorWindowRig.h"
#include "MonitorWindow.h"
#include "ToneWav.h"

#include <QComboBox>
#include <QLineEdit>

const char *const windowRigSubnet = "127.0.12.";

namespace {
const QString question = QStringLiteral("Save project before leave?");
const QString caption = QStringLiteral("Project Save");
} // namespace

class EditorLeavingTest : public QObject {
    Q_OBJECT
private slots:
    void closingAsksForAChangedProject_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("closing"); // "button", "Escape", "Load Project" or "program"
        QTest::addColumn<int>("answer");      // 0: no question
        QTest::addColumn<bool>("stays");
        QTest::addColumn<bool>("saved"); // work/plist.cfg written
        const int yes = Dialogs::Yes, no = Dialogs::No, cancel = Dialogs::Cancel;
        QTest::newRow("unchanged") << "" << "button" << 0 << false << false;
        QTest::newRow("clip added, Cancel") << "clip" << "button" << cancel << true << false;
        QTest::newRow("clip added, No") << "clip" << "button" << no << false << false;
        QTest::newRow("clip added, Yes") << "clip" << "button" << yes << false << true;
        QTest::newRow("row edited, Escape, Yes") << "row" << "Escape" << yes << false << true;
        QTest::newRow("mode chosen, Escape, Cancel") << "mode" << "Escape" << cancel << true << false;
        QTest::newRow("clip deleted, No") << "delete" << "button" << no << false << false;
        QTest::newRow("saved after a change") << "clip, save" << "button" << 0 << false << true;
        QTest::newRow("Yes, but the save fails") << "clip, unwritable" << "button" << yes << true << false;
        QTest::newRow("device job") << "device job, clip" << "button" << 0 << false << false;
        QTest::newRow("Load Project, Cancel") << "clip" << "Load Project" << cancel << true << false;
        QTest::newRow("Load Project, Yes") << "row" << "Load Project" << yes << true << true;
        QTest::newRow("program, unchanged") << "" << "program" << 0 << false << false;
        QTest::newRow("program, Cancel") << "clip" << "program" << cancel << true << false;
        QTest::newRow("program, Yes") << "row" << "program" << yes << false << true;
    }
    void closingAsksForAChangedProject()
    {
        QFETCH(QString, change);
        QFETCH(QString, closing);
        QFETCH(int, answer);
        QFETCH(bool, stays);
        QFETCH(bool, saved);
        WindowRig rig;
        const QString table = rig.folder.filePath("work/plist.cfg");
        if (change.startsWith("device job"))
            rig.enterDeviceJob(false);
        if (change.contains("clip") || change == "delete")
            rig.addClip(1, rig.sourceClip("a.mp3"));
        if (change == "delete") {
            rig.click("SpeedButton9");
            rig.click("SpeedButton6"); // row 1 is current
        }
        if (change == "row")
            rig.control<QLineEdit>("Edit2")->setText("3");
        if (change == "mode")
            rig.control<QComboBox>("ComboBox1")->setCurrentIndex(5);
        if (change.endsWith("save"))
            rig.click("SpeedButton9");
        if (change.endsWith("unwritable"))
            QVERIFY(QDir().mkpath(table + "/in the way"));
        if (change == "delete")
            QVERIFY(QFile::remove(table)); // saved before the delete: only a new save writes it again

        if (closing == "program") {
            // The editor was left earlier; its project is still held, and still not saved.
            if (answer)
                rig.dialogs.expectMessageBox(question, caption, Dialogs::YesNoCancelWarning, Dialogs::No);
            QVERIFY(rig.window->close());
        }
        if (answer)
            rig.dialogs.expectMessageBox(question, caption, Dialogs::YesNoCancelWarning, answer);
        if (change.endsWith("unwritable"))
            rig.dialogs.expectMessageBox("Could not write " + QDir::toNativeSeparators(table) + ": Filename refers to a directory",
                                         QCoreApplication::applicationName(), Dialogs::Error);
        if (closing == "Load Project") {
            if (answer != Dialogs::Cancel)
                rig.dialogs.expectChooseFolder({}); // cancelled: the editor stays where it is
            rig.click("SpeedButton7");
            QVERIFY(rig.window->isVisible());
        } else if (closing == "program") {
            MonitorWindow monitor(rig.session, rig.dialogs);
            monitor.setCloseGuard([&rig] { return rig.window->mayLeave(); });
            QCOMPARE(monitor.close(), !stays);
        } else {
            if (closing == "button")
                QCOMPARE(rig.window->close(), !stays);
            else
                QTest::keyClick(rig.window.get(), Qt::Key_Escape);
            QCOMPARE(rig.window->isVisible(), stays);
        }
        QVERIFY2(rig.dialogs.pending().isEmpty(), qPrintable(rig.dialogs.pending().join('\n')));
        QCOMPARE(QFileInfo(table).isFile(), saved);
    }

    // A table file shorter than a table opens with a warning and goes nowhere until saved.
    void damagedTableIsShownButNotWritten()
    {
        WindowRig rig;
        const QString table = rig.folder.filePath("work/plist.cfg");
        writeFile(table, "5A3577A");
        writeFile(rig.folder.filePath("work/m3fn.txt"), audioListBytes(AudioList{}));
        const QString damage = QDir::toNativeSeparators(table)
            + " has 7 bytes, but an alarm table has 512: the table is damaged. What could be read of it is shown; "
              "it is not written to the unit until the project is saved again.";
        rig.dialogs.expectMessageBox(damage, QCoreApplication::applicationName(), Dialogs::Warning);
        rig.open();
        QCOMPARE(rig.statusText(), damage);

        const qsizetype framesBefore = rig.sim.unit().receivedFrames().size();
        rig.dialogs.expectMessageBox(damage, QCoreApplication::applicationName(), Dialogs::Error);
        rig.click("SpeedButton1");
        QCOMPARE(rig.sim.unit().receivedFrames().size(), framesBefore);
        QVERIFY(rig.window->close()); // opened as it is on disk: nothing to save

        rig.window->show();
        rig.click("SpeedButton9");
        QCOMPARE(readFile(table).size(), 512);
        rig.click("SpeedButton1");
        QCOMPARE(rig.statusText(), "Write complete! 2 files written");
        QCOMPARE(rig.sim.unit().file(FileArea::Sd, "plist.cfg").value_or("").size(), 512);
    }

    void addDialogRefusesWhatIsNotMp3()
    {
        WindowRig rig;
        const QString wav = rig.folder.filePath("gas.wav");
        writeFile(wav, toneWav());
        const QString refusal = wav + " is not an MP3 file: it is a WAV file. The unit plays MP3 clips only.";
        rig.dialogs.expectOpenFile(wav); // typed over the dialog's *.mp3 filter
        rig.dialogs.expectMessageBox(refusal, QCoreApplication::applicationName(), Dialogs::Error);
        emit rig.control<QTableWidget>("StringGrid1")->cellDoubleClicked(2, 1);
        QCOMPARE(rig.statusText(), refusal);
        QCOMPARE(rig.control<QTableWidget>("StringGrid1")->item(2, 1)->text(), "");
        QVERIFY(!QFile::exists(rig.folder.filePath("work/003.mp3")));
        QVERIFY(rig.window->close()); // nothing changed
    }
};

QTEST_MAIN(EditorLeavingTest)
#include "test_editor_leaving.moc"
