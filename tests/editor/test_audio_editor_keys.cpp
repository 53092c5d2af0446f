// The audio editor from the keyboard alone, on a real X server: every main action has keys.
#include "AudioListFile.h"
#include "EditorWindowRig.h"

#include <QApplication>
#include <QComboBox>
#include <QRadioButton>

#include <functional>

const char *const windowRigSubnet = "127.0.13.";

namespace {
// Sets up what the keys will need (dialog answers, a clip); then, after the keys, says
// what is wrong, or nothing.
using Prepare = std::function<void(WindowRig &)>;
using Outcome = std::function<QString(WindowRig &)>;

QString expect(bool holds, const QString &otherwise)
{
    return holds ? QString() : otherwise;
}

QTableWidget *grid(WindowRig &rig)
{
    return rig.control<QTableWidget>("StringGrid1");
}

void focus(WindowRig &rig, const QString &name)
{
    QWidget *control = rig.control<QWidget>(qPrintable(name));
    control->setFocus(Qt::TabFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), control);
}
} // namespace

Q_DECLARE_METATYPE(Prepare)
Q_DECLARE_METATYPE(Outcome)

class AudioEditorKeysTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() == "offscreen")
            QSKIP("needs a real X server: run under xvfb-run");
    }

    void mainActionsHaveKeys_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<Prepare>("prepare");
        QTest::addColumn<Outcome>("outcome");

        const Prepare addDialog = [](WindowRig &rig) {
            grid(rig)->setCurrentCell(4, 0);
            rig.dialogs.expectOpenFile(rig.sourceClip("door bell.mp3"));
        };
        const Outcome clip5Added = [](WindowRig &rig) {
            return expect(grid(rig)->item(4, 1)->text() == "door bell", "clip 5 not added");
        };
        const Prepare nothing = [](WindowRig &) {};
        QTest::newRow("Enter on a grid row adds a clip") << "StringGrid1" << QList<int>{Qt::Key_Return} << addDialog << clip5Added;
        QTest::newRow("F2 on a grid row adds a clip") << "StringGrid1" << QList<int>{Qt::Key_F2} << addDialog << clip5Added;
        QTest::newRow("Down walks the grid") << "StringGrid1" << QList<int>{Qt::Key_Down, Qt::Key_Down} << nothing
                                             << Outcome([](WindowRig &rig) {
                                                    return expect(grid(rig)->currentRow() == 2, "row not moved");
                                                });
        QTest::newRow("Tab leaves the grid") << "StringGrid1" << QList<int>{Qt::Key_Tab} << nothing
                                             << Outcome([](WindowRig &) {
                                                    return expect(QApplication::focusWidget()->objectName() == "SpeedButton4",
                                                                  "focus on " + QApplication::focusWidget()->objectName());
                                                });
        const Prepare clip1 = [](WindowRig &rig) { rig.addClip(1, rig.sourceClip("a.mp3")); grid(rig)->setCurrentCell(0, 1); };
        QTest::newRow("Enter on Play Audio") << "SpeedButton4" << QList<int>{Qt::Key_Return} << clip1
                                             << Outcome([](WindowRig &rig) {
                                                    return expect(rig.player.played.size() == 1, "nothing played");
                                                });
        QTest::newRow("Space on Stop Audio") << "SpeedButton5" << QList<int>{Qt::Key_Space} << clip1
                                             << Outcome([](WindowRig &rig) {
                                                    return expect(rig.player.stops == 1, "not stopped");
                                                });
        QTest::newRow("Enter on Delete") << "SpeedButton6" << QList<int>{Qt::Key_Enter} << clip1
                                         << Outcome([](WindowRig &rig) {
                                                return expect(grid(rig)->item(0, 1)->text().isEmpty(), "clip 1 kept");
                                            });
        QTest::newRow("Space on Save Project") << "SpeedButton9" << QList<int>{Qt::Key_Space} << nothing
                                               << Outcome([](WindowRig &rig) {
                                                      return expect(QFile::exists(rig.folder.filePath("work/plist.cfg")), "not saved");
                                                  });
        QTest::newRow("Enter on Load Project") << "SpeedButton7" << QList<int>{Qt::Key_Return}
                                               << Prepare([](WindowRig &rig) { rig.dialogs.expectChooseFolder(rig.folder.filePath("other")); })
                                               << Outcome([](WindowRig &rig) {
                                                      return expect(rig.control<QLabel>("Label115")->text().endsWith(
                                                                        QDir::toNativeSeparators("/other/")),
                                                                    "not opened");
                                                  });
        QTest::newRow("Enter on Write Device") << "SpeedButton1" << QList<int>{Qt::Key_Return} << nothing
                                               << Outcome([](WindowRig &rig) {
                                                      return expect(rig.statusText() == "Write complete! 2 files written",
                                                                    rig.statusText());
                                                  });
        QTest::newRow("arrow to Edit Device, Enter on Read Device")
            << "RadioButton5" << QList<int>{Qt::Key_Right, Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Return}
            << Prepare([](WindowRig &rig) {
                   rig.sim.unit().setFile(FileArea::Sd, "plist.cfg", AlarmTable().image());
                   rig.sim.unit().setFile(FileArea::Sd, "m3fn.txt", audioListBytes(AudioList{}));
               })
            << Outcome([](WindowRig &rig) {
                   return expect(rig.control<QRadioButton>("RadioButton4")->isChecked() && rig.statusText() == "Read complete",
                                 rig.statusText());
               });
        QTest::newRow("Down on the mode") << "ComboBox1" << QList<int>{Qt::Key_Down} << nothing
                                          << Outcome([](WindowRig &rig) {
                                                 return expect(rig.control<QComboBox>("ComboBox1")->currentText() == "1", "mode kept");
                                             });
        QTest::newRow("Right on the volume") << "TrackBar1" << QList<int>{Qt::Key_Right} << nothing
                                             << Outcome([](WindowRig &rig) {
                                                    return expect(rig.control<QLabel>("Label112")->text() == "5", "volume kept");
                                                });
        QTest::newRow("Escape closes, asking first")
            << "StringGrid1" << QList<int>{Qt::Key_Escape}
            << Prepare([clip1](WindowRig &rig) {
                   clip1(rig);
                   rig.dialogs.expectMessageBox("Save project before leave?", "Project Save", Dialogs::YesNoCancelWarning,
                                                Dialogs::Yes);
               })
            << Outcome([](WindowRig &rig) {
                   return expect(!rig.window->isVisible() && QFile::exists(rig.folder.filePath("work/plist.cfg")),
                                 "not saved and closed");
               });
    }
    void mainActionsHaveKeys()
    {
        QFETCH(QString, focus);
        QFETCH(QList<int>, keys);
        QFETCH(Prepare, prepare);
        QFETCH(Outcome, outcome);
        WindowRig rig;
        rig.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
        prepare(rig);
        ::focus(rig, focus);
        for (int key : keys)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        const QString wrong = outcome(rig);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        QVERIFY2(rig.dialogs.pending().isEmpty(), qPrintable(rig.dialogs.pending().join('\n')));
    }

    // Tab walks the window as it is laid out, and reaches every row's controls.
    void tabFollowsTheLayout()
    {
        WindowRig rig;
        rig.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(rig.window.get()));
        focus(rig, "RadioButton5");
        QStringList walked{"RadioButton5"};
        for (int i = 0; i < 21; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            walked << QApplication::focusWidget()->objectName();
        }
        // A radio group is one stop (the arrows choose within it); Read Device and the test
        // buttons are off in the project job.
        const QStringList expected{"RadioButton5", "SpeedButton1", "TrackBar1", "SpeedButton7",
                                   "SpeedButton9", "StringGrid1", "SpeedButton4", "SpeedButton5", "SpeedButton6",
                                   "RadioButton1", "ComboBox1", "ComboBox74", "ComboBox9", "ComboBox6",
                                   "ComboBox7", "ComboBox8", "Edit2", "CheckBox2", "ComboBox13", "ComboBox10",
                                   "ComboBox11", "ComboBox12"};
        QCOMPARE(walked, expected);
    }
};

QTEST_MAIN(AudioEditorKeysTest)
#include "test_audio_editor_keys.moc"
