// The audio editor window offscreen, with scripted dialogs and a simulated unit.
#include "AudioListFile.h"
#include "ChannelTestLog.h"
#include "EditorWindowRig.h"
#include "InputRowLayout.h"
#include "NoDialogs.h"
#include "ProjectPointerFile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

const char *const windowRigSubnet = "127.0.5."; // from .200 up; the other editor tests stay below

namespace {
// A table as the tool writes it, with another mode byte.
QByteArray tableWithMode(int mode)
{
    AlarmTable table;
    QByteArray image = table.image();
    image[AlarmTableOffset::mode] = char(mode);
    return image;
}

// A run at a scale factor that did not take effect proves nothing (Wine drops QT_SCALE_FACTOR).
bool scaleMissing(const QWidget *window)
{
    const QByteArray wanted = qgetenv("ZOR_EXPECTED_SCALE");
    return !wanted.isEmpty() && !qFuzzyCompare(window->devicePixelRatioF(), wanted.toDouble());
}
#define SKIP_WITHOUT_THE_SCALE(window)                                                                                 \
    if (scaleMissing(window))                                                                                          \
    QSKIP("the scale factor did not take effect: Wine drops QT_SCALE_FACTOR")

QWheelEvent wheelTurn(QWidget *over, int delta)
{
    return QWheelEvent(QPointF(2, 2), over->mapToGlobal(QPointF(2, 2)), {}, {0, delta}, Qt::NoButton, Qt::NoModifier,
                       Qt::NoScrollPhase, false);
}
} // namespace

class AudioEditorWindowTest : public QObject {
    Q_OBJECT
private slots:
    void controlsByNameCaptionAndHint_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("hint");
        QTest::newRow("write") << "SpeedButton1" << "Write Device" << "Write config to Device";
        QTest::newRow("read") << "SpeedButton2" << "Read Device" << "Read back Device config";
        QTest::newRow("load") << "SpeedButton7" << "Load Project" << "Load project config";
        QTest::newRow("save") << "SpeedButton9" << "Save Project" << "Save project config";
        QTest::newRow("play") << "SpeedButton4" << "" << "Play Audio";
        QTest::newRow("stop") << "SpeedButton5" << "" << "Stop Audio";
        QTest::newRow("delete") << "SpeedButton6" << "" << "Delete audio file list";
        QTest::newRow("test") << "SpeedButton3" << "Channel test" << "Test the trigger Input after write setting to Device";
        QTest::newRow("stop test") << "SpeedButton8" << "" << "Stop Test";
        QTest::newRow("edit project") << "RadioButton5" << "Edit Project" << "";
        QTest::newRow("edit device") << "RadioButton4" << "Edit Device" << "";
        QTest::newRow("play source") << "RadioButton1" << "Play Source" << "";
        QTest::newRow("play project") << "RadioButton2" << "Play Project" << "";
        QTest::newRow("play device") << "RadioButton3" << "Play Device" << "";
    }
    void controlsByNameCaptionAndHint()
    {
        QFETCH(QString, name);
        WindowRig rig;
        auto *button = rig.window->findChild<QAbstractButton *>(name);
        QVERIFY(button);
        QTEST(button->text(), "caption");
        QTEST(button->toolTip(), "hint");
        QCOMPARE(rig.window->windowTitle(), "ZOR Audio Editor");
    }

    // Run also under xvfb-run at 1366x768 with QT_SCALE_FACTOR 1.25 and 2 (see CMakeLists).
    void fitsTheScreenWithEveryControlReachable_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"SpeedButton3", "SpeedButton8", "ComboBox74", "SpeedButton1", "SpeedButton9",
                                 "SpeedButton6", "RadioButton3", "CheckBox12"})
            QTest::newRow(name) << name;
    }
    void fitsTheScreenWithEveryControlReachable()
    {
        QFETCH(QString, name);
        WindowRig rig;
        SKIP_WITHOUT_THE_SCALE(rig.window.get());
        const QRect available = rig.window->screen()->availableGeometry();
        if (available.width() >= 1216 && available.height() >= 634)
            QCOMPARE(rig.window->size(), QSize(1208, 602));
        QVERIFY(available.contains(rig.window->geometry()));
        const QRect inside = rig.window->rect();
        QVERIFY(inside.contains(QRect(rig.statusLabel()->mapTo(rig.window.get(), QPoint()), rig.statusLabel()->size())));
        auto *control = rig.control<QWidget>(qPrintable(name));
        rig.control<QScrollArea>("EditorArea")->ensureWidgetVisible(control, 0, 0);
        QVERIFY(inside.contains(QRect(control->mapTo(rig.window.get(), QPoint()), control->size())));
    }

    void rowsShareColumnsAndShowWholeCaptions_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("mode");
        QTest::newRow("six inputs, binary codes") << int(ModelZor06) << 5;
        QTest::newRow("six inputs, digital inputs") << int(ModelZor06) << 0;
        QTest::newRow("four inputs, binary codes") << int(ModelZor04Rtu) << 4;
    }
    void rowsShareColumnsAndShowWholeCaptions()
    {
        QFETCH(int, model);
        QFETCH(int, mode);
        WindowRig rig{std::uint8_t(model)};
        SKIP_WITHOUT_THE_SCALE(rig.window.get());
        rig.control<QComboBox>("ComboBox1")->setCurrentIndex(mode);
        QApplication::processEvents();
        auto *firstGroup = rig.control<QWidget>("GroupBox1");
        QList<QLabel *> header;
        for (QLabel *label : firstGroup->findChildren<QLabel *>())
            if (QStringList{"#1", "#2", "#3", "#4", "Repeat", "Alarm Output"}.contains(label->text()))
                header << label;
        QCOMPARE(header.size(), 6);
        const InputRowControls &first = inputRowControls[0];
        // The header stands over the first row's controls.
        auto *firstSelector = rig.control<QWidget>(first.clipSelectors[0]);
        QCOMPARE(header[0]->mapTo(firstGroup, QPoint()).x(), firstSelector->mapTo(firstGroup, QPoint()).x());
        QCOMPARE(header[0]->width(), firstSelector->width());
        for (const InputRowControls &row : inputRowControls) {
            auto *repeat = rig.control<QWidget>(row.repeatEdit);
            if (!repeat->isVisibleTo(rig.window.get()))
                continue;
            auto *panel = repeat->parentWidget();
            auto column = [&rig](const char *name) {
                const QRect at = rig.control<QWidget>(name)->geometry();
                return std::pair(at.x(), at.width());
            };
            for (int i = 0; i < clipsPerEntry; ++i)
                QCOMPARE(column(row.clipSelectors[i]), column(first.clipSelectors[i]));
            QCOMPARE(column(row.repeatEdit), column(first.repeatEdit));
            QCOMPARE(column(row.alarmCheckBox), column(first.alarmCheckBox));
            auto *caption = panel->findChild<QLabel *>();
            QVERIFY2(caption->fontMetrics().horizontalAdvance(caption->text()) <= caption->contentsRect().width(),
                     qPrintable(caption->text()));
        }
    }

    void wheelOverTheRowsScrollsTheBox_data()
    {
        QTest::addColumn<QString>("over");
        for (const char *name : {"ComboBox45", "Edit11", "CheckBox11", "Panel12", "ComboBox41"})
            QTest::newRow(name) << name;
    }
    void wheelOverTheRowsScrollsTheBox()
    {
        QFETCH(QString, over);
        WindowRig rig;
        SKIP_WITHOUT_THE_SCALE(rig.window.get());
        rig.control<QComboBox>("ComboBox1")->setCurrentIndex(4);
        QApplication::processEvents();
        QScrollBar *bar = rig.control<QScrollArea>("ScrollBox1")->verticalScrollBar();
        auto *widget = rig.control<QWidget>(qPrintable(over));
        auto *selector = rig.control<QComboBox>("ComboBox45");
        selector->addItem("001");
        selector->setCurrentIndex(0);
        const int rowHeight = rig.control<QWidget>("Panel12")->height();
        QWheelEvent down = wheelTurn(widget, -120);
        QApplication::sendEvent(widget, &down);
        QVERIFY(qAbs(bar->value() - rowHeight) <= rowHeight / 2);
        QWheelEvent up = wheelTurn(widget, 120);
        QApplication::sendEvent(widget, &up);
        QCOMPARE(bar->value(), 0);
        QCOMPARE(selector->currentIndex(), 0);
        QCOMPARE(rig.control<QCheckBox>("CheckBox11")->isChecked(), false);
    }

    void reclickingTheChosenJobChangesNothing_data()
    {
        QTest::addColumn<bool>("deviceJob");
        QTest::newRow("Edit Project") << false;
        QTest::newRow("Edit Device") << true;
    }
    void reclickingTheChosenJobChangesNothing()
    {
        QFETCH(bool, deviceJob);
        WindowRig rig;
        if (deviceJob)
            rig.enterDeviceJob(false);
        rig.control<QLineEdit>("Edit2")->setText("7");
        rig.click(deviceJob ? "RadioButton4" : "RadioButton5"); // no box, no reload
        QCOMPARE(rig.control<QLineEdit>("Edit2")->text(), "7");
        QVERIFY(!QFile::exists(rig.folder.filePath("temp/plist.cfg")));
        QVERIFY(!QFile::exists(rig.folder.filePath("work/plist.cfg")));
    }

    void modeAboveSevenShowsAndIsKept_data()
    {
        QTest::addColumn<bool>("fromUnit");
        QTest::newRow("project on disk") << false;
        QTest::newRow("read from the unit") << true;
    }
    void modeAboveSevenShowsAndIsKept()
    {
        QFETCH(bool, fromUnit);
        WindowRig rig;
        const QByteArray list = audioListBytes(AudioList{});
        if (fromUnit) {
            rig.sim.unit().setFile(FileArea::Sd, "plist.cfg", tableWithMode(9));
            rig.sim.unit().setFile(FileArea::Sd, "m3fn.txt", list);
            rig.enterDeviceJob(false);
        } else {
            writeFile(rig.folder.filePath("work/plist.cfg"), tableWithMode(9));
            writeFile(rig.folder.filePath("work/m3fn.txt"), list);
            rig.open();
        }
        QCOMPARE(rig.control<QComboBox>("ComboBox1")->currentText(), "9");
        rig.click(fromUnit ? "SpeedButton1" : "SpeedButton9");
        const QByteArray saved = fromUnit ? rig.sim.unit().file(FileArea::Sd, "plist.cfg").value_or("")
                                          : readFile(rig.folder.filePath("work/plist.cfg"));
        QCOMPARE(saved.size(), 512);
        QCOMPARE(int(saved[AlarmTableOffset::mode]), 9);
    }

    void listTextShowsItsControlCharacters_data() { modeAboveSevenShowsAndIsKept_data(); }
    void listTextShowsItsControlCharacters()
    {
        QFETCH(bool, fromUnit);
        WindowRig rig;
        QByteArray list = "\xEF\xBB\xBF" "C:\\clips\\\x1b]0;owned\x07" "a.mp3\r\n";
        for (int line = 2; line <= 64; ++line)
            list += "\r\n";
        if (fromUnit) {
            rig.sim.unit().setFile(FileArea::Sd, "plist.cfg", tableWithMode(0));
            rig.sim.unit().setFile(FileArea::Sd, "m3fn.txt", list);
            rig.enterDeviceJob(false);
        } else {
            writeFile(rig.folder.filePath("work/plist.cfg"), tableWithMode(0));
            writeFile(rig.folder.filePath("work/m3fn.txt"), list);
            rig.open();
        }
        QCOMPARE(rig.control<QTableWidget>("StringGrid1")->item(0, 1)->text(), "\\x1b]0;owned\\x07a");
    }

    void refusedProjectIsNeitherOpenedNorWritten_data()
    {
        QTest::addColumn<bool>("atStart"); // named by "PRJ.cfg", else chosen with "Load Project"
        QTest::newRow("Load Project") << false;
        QTest::newRow("named by PRJ.cfg") << true;
    }
    void refusedProjectIsNeitherOpenedNorWritten()
    {
        QFETCH(bool, atStart);
        WindowRig rig;
        const QString refused = QDir::toNativeSeparators(rig.folder.filePath("refused") + "/");
        writeFile(refused + "plist.cfg", QByteArray(600, '\x01'));
        writeFile(refused + "m3fn.txt", audioListBytes(AudioList{}));
        const QString pointer = rig.folder.filePath("PRJ.cfg");
        if (atStart)
            writeFile(pointer, projectPointerBytes(refused));
        const QByteArray pointerBefore = readFile(pointer);
        // The texts are the project store's own.
        NoDialogs quiet;
        ProjectStore probe(quiet, rig.folder.path());
        const QString caption = QCoreApplication::applicationName();
        if (atStart) {
            rig.dialogs.expectMessageBox(probe.openEditor().error, caption, Dialogs::Error);
            rig.open();
            rig.dialogs.expectMessageBox(probe.saveProject({}, 0).error, caption, Dialogs::Error);
        } else {
            probe.openEditor();
            rig.dialogs.expectChooseFolder(refused);
            rig.dialogs.expectMessageBox(probe.openProjectFolder(refused).error, caption, Dialogs::Error);
            rig.click("SpeedButton7");
            QCOMPARE(rig.control<QLabel>("Label115")->text(), rig.workDir());
        }
        rig.click("SpeedButton9");
        QCOMPARE(readFile(refused + "plist.cfg"), QByteArray(600, '\x01'));
        QCOMPARE(readFile(refused + "m3fn.txt"), audioListBytes(AudioList{}));
        QCOMPARE(readFile(pointer), pointerBefore);
    }

    void actionsLeaveAStatusText_data()
    {
        QTest::addColumn<QStringList>("clicks");
        QTest::addColumn<QString>("status"); // ~ stands for the working folder
        QTest::newRow("Save Project") << QStringList{"SpeedButton9"} << "Project saved: ~work/";
        QTest::newRow("Load Project") << QStringList{"SpeedButton7"} << "Project opened: ~other/";
        QTest::newRow("Read Device") << QStringList{"SpeedButton1", "RadioButton4", "SpeedButton2"} << "Read complete";
        QTest::newRow("Channel test") << QStringList{"RadioButton4", "SpeedButton3"} << "Test Loop playing: DI1";
        QTest::newRow("Stop Test") << QStringList{"RadioButton4", "SpeedButton8"} << "Stop Test Loop playing";
    }
    void actionsLeaveAStatusText()
    {
        QFETCH(QStringList, clicks);
        QFETCH(QString, status);
        WindowRig rig;
        rig.addClip(1, rig.sourceClip("a.mp3"));
        rig.click("SpeedButton4"); // a file of this project in status panel 0
        for (const QString &name : clicks) {
            if (name == "SpeedButton7") {
                // The clip added made the project one that is not saved.
                rig.dialogs.expectMessageBox("Save project before leave?", "Project Save", Dialogs::YesNoCancelWarning,
                                             Dialogs::No);
                rig.dialogs.expectChooseFolder(rig.folder.filePath("other"));
            }
            if (name == "RadioButton4")
                rig.enterDeviceJob(true);
            else
                rig.click(qPrintable(name));
        }
        QCOMPARE(rig.statusText(), QDir::toNativeSeparators(status.replace("~", rig.folder.path() + "/")));
    }

    void playbackTroublesShowOneBox_data()
    {
        QTest::addColumn<bool>("audioOutput");
        QTest::addColumn<QString>("box"); // after the clip's path
        QTest::newRow("no audio output") << false << "";
        QTest::newRow("file the PC cannot play") << true << " could not be played.";
    }
    void playbackTroublesShowOneBox()
    {
        QFETCH(bool, audioOutput);
        QFETCH(QString, box);
        WindowRig rig;
        const QString source = rig.sourceClip("tone.mp3");
        rig.addClip(1, source);
        rig.player.audioOutput = audioOutput;
        const QString text = audioOutput ? "Play Error! : " + source + box
                                         : "Play Error! : this PC has no audio output device to play " + source;
        rig.dialogs.expectMessageBox(text, QCoreApplication::applicationName(), Dialogs::Error);
        rig.click("SpeedButton4"); // row 1 is current from the start
        if (audioOutput)
            rig.player.onFailed(rig.player.played.value(0));
        QCOMPARE(rig.dialogs.shownBoxes.size(), 1);
    }

    void writeToASilentUnitShowsOneBoxAndAnEmptyGauge()
    {
        WindowRig rig;
        rig.addClip(1, rig.sourceClip("a.mp3"));
        UnitFaults silent;
        silent.noAnswer = true;
        rig.sim.setFaults(silent);
        rig.dialogs.expectMessageBox("File Write Error! : plist.cfg: no answer from the unit. The write stopped there.",
                                     QCoreApplication::applicationName(), Dialogs::Error);
        rig.click("SpeedButton1");
        QCOMPARE(rig.dialogs.shownBoxes.size(), 1);
        QCOMPARE(rig.statusText(), "Write Error! : 0 files written; stopped at plist.cfg, nothing after it was sent");
        auto *gauge = rig.control<QProgressBar>("CGauge1");
        QCOMPARE(gauge->value(), gauge->minimum());
    }

    void projectBuiltThroughTheControlsIsSavedAndReopened()
    {
        WindowRig rig;
        rig.addClip(2, rig.sourceClip("door bell.mp3"));
        QCOMPARE(rig.control<QTableWidget>("StringGrid1")->item(1, 1)->text(), "door bell");
        rig.control<QComboBox>("ComboBox1")->setCurrentIndex(2);
        rig.control<QComboBox>("ComboBox6")->setCurrentText("002"); // row 0, #2: after a gap, dropped
        rig.control<QComboBox>("ComboBox13")->setCurrentText("002");
        rig.control<QLineEdit>("Edit3")->setText("300");
        rig.control<QCheckBox>("CheckBox3")->setChecked(true);
        rig.click("SpeedButton9");
        QVERIFY(rig.dialogs.shownBoxes.isEmpty());

        rig.open();
        QCOMPARE(rig.control<QComboBox>("ComboBox1")->currentText(), "2");
        QCOMPARE(rig.control<QComboBox>("ComboBox13")->currentText(), "002");
        QCOMPARE(rig.control<QComboBox>("ComboBox6")->currentText(), "None");
        QCOMPARE(rig.control<QLineEdit>("Edit3")->text(), "44");
        QVERIFY(rig.control<QCheckBox>("CheckBox3")->isChecked());
        QCOMPARE(rig.control<QLabel>("Label115")->text(), QDir::toNativeSeparators(rig.folder.path() + "/work/"));
    }

    void jobsSwitchAgainstTheUnit()
    {
        WindowRig rig;
        rig.addClip(1, rig.sourceClip("a.mp3"));
        rig.control<QComboBox>("ComboBox9")->setCurrentText("001");
        rig.click("SpeedButton1");
        QCOMPARE(rig.statusText(), "Write complete! 3 files written");
        auto *gauge = rig.control<QProgressBar>("CGauge1");
        QCOMPARE(gauge->value(), gauge->maximum());
        const QByteArray projectTable = rig.sim.unit().file(FileArea::Sd, "plist.cfg").value_or("");

        rig.dialogs.expectMessageBox("Save project before leave?", "Project Save", Dialogs::YesNoWarning, Dialogs::No);
        rig.click("RadioButton4");
        QCOMPARE(rig.control<QLabel>("Label115")->text(), QDir::toNativeSeparators(rig.folder.path() + "/temp/"));
        QVERIFY(rig.control<QRadioButton>("RadioButton3")->isChecked());
        for (const char *name : {"SpeedButton2", "SpeedButton3", "SpeedButton8"})
            QVERIFY2(rig.control<QToolButton>(name)->isEnabled(), name);
        for (const char *name : {"SpeedButton7", "SpeedButton9"})
            QVERIFY2(!rig.control<QToolButton>(name)->isEnabled(), name);
        QCOMPARE(rig.control<QComboBox>("ComboBox9")->currentText(), "001");
        QVERIFY(!QFile::exists(rig.folder.filePath("work/plist.cfg"))); // No: nothing saved

        rig.control<QTableWidget>("StringGrid1")->setCurrentCell(0, 1);
        rig.click("SpeedButton4");
        QCOMPARE(rig.statusText(), "Play Device: 001");
        rig.control<QComboBox>("ComboBox74")->setCurrentText("DI5");
        const qsizetype testsBefore = ChannelTestLog::instance().tests().size();
        rig.click("SpeedButton3");
        rig.click("SpeedButton8");
        // The commissioning report lists the test; stopping it is no test of its own.
        QCOMPARE(ChannelTestLog::instance().tests().size(), testsBefore + 1);
        const ChannelTest logged = ChannelTestLog::instance().tests().constLast();
        QCOMPARE((QStringList{logged.address, logged.input, QString::number(logged.code), logged.result}),
                 (QStringList{rig.link.deviceAddress, "DI5", "16", "acknowledged"}));
        QCOMPARE(rig.statusText(), "Stop Test Loop playing");
        QList<QByteArray> sent;
        for (const QByteArray &frame : rig.sim.unit().receivedFrames().mid(rig.sim.unit().receivedFrames().size() - 3))
            sent << frame.mid(4, 4);
        QCOMPARE(sent, (QList<QByteArray>{QByteArray("\xE0\x01", 2), QByteArray("\x70\xFA\x01\x10", 4),
                                          QByteArray("\x70\xFA\x00\x00", 4)}));

        rig.click("RadioButton5");
        QCOMPARE(rig.control<QLabel>("Label115")->text(), QDir::toNativeSeparators(rig.folder.path() + "/work/"));
        QVERIFY(!rig.control<QToolButton>("SpeedButton3")->isEnabled());
        QCOMPARE(rig.sim.unit().file(FileArea::Sd, "plist.cfg").value_or(""), projectTable);
    }

    void deviceJobNeedsAValidStatus()
    {
        WindowRig rig;
        rig.status.statusValid = false;
        rig.window->hide();
        rig.window->show();
        QVERIFY(!rig.control<QRadioButton>("RadioButton4")->isEnabled());
        QVERIFY(!rig.control<QToolButton>("SpeedButton1")->isEnabled());
    }

    void playAndStopFollowTheChoice_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("played"); // file name played on the PC
        QTest::addColumn<int>("stops");
        QTest::addColumn<QString>("status");
        QTest::newRow("source") << "RadioButton1" << "tone.mp3" << 1 << "Play Source: ";
        QTest::newRow("project copy") << "RadioButton2" << "003.mp3" << 1 << "Device Stop playing";
    }
    void playAndStopFollowTheChoice()
    {
        QFETCH(QString, choice);
        QFETCH(QString, played);
        QFETCH(int, stops);
        QFETCH(QString, status);
        WindowRig rig;
        rig.addClip(3, rig.sourceClip("tone.mp3"));
        rig.control<QRadioButton>(qPrintable(choice))->setChecked(true);
        rig.control<QTableWidget>("StringGrid1")->setCurrentCell(2, 0);
        rig.click("SpeedButton4");
        QCOMPARE(rig.player.played.size(), 1);
        QCOMPARE(QFileInfo(rig.player.played[0]).fileName(), played);
        rig.click("SpeedButton5");
        QCOMPARE(rig.player.stops, stops);
        QVERIFY(rig.statusText().startsWith(status));
    }

    void rowsPerModeAndModel_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("visibleRows");
        QTest::addColumn<QString>("firstTestInput");
        QTest::addColumn<QString>("lastTestInput");
        QTest::newRow("six inputs, mode 0") << int(ModelZor06) << 0 << 6 << "DI1" << "DI6";
        QTest::newRow("four inputs, mode 3") << int(ModelZor04Rtu) << 3 << 4 << "DI1" << "DI4";
        QTest::newRow("six inputs, mode 5") << int(ModelZor06) << 5 << 32 << "bI1" << "DI6";
        QTest::newRow("four inputs, mode 7") << int(ModelZor04Rtu) << 7 << 15 << "bI1" << "bI15";
    }
    void rowsPerModeAndModel()
    {
        QFETCH(int, model);
        QFETCH(int, mode);
        WindowRig rig{std::uint8_t(model)};
        rig.control<QComboBox>("ComboBox1")->setCurrentIndex(mode);
        int visible = 0;
        for (const InputRowControls &row : inputRowControls)
            visible += rig.control<QWidget>(row.repeatEdit)->isVisibleTo(rig.window.get());
        QTEST(visible, "visibleRows");
        auto *tests = rig.control<QComboBox>("ComboBox74");
        QTEST(tests->itemText(0), "firstTestInput");
        QTEST(tests->itemText(tests->count() - 1), "lastTestInput");
    }

    void wheelLeavesComboBoxesAndSliders()
    {
        WindowRig rig;
        for (const char *name : {"ComboBox1", "TrackBar1"}) {
            auto *widget = rig.control<QWidget>(name);
            const QVariant before = widget->property(qobject_cast<QComboBox *>(widget) ? "currentIndex" : "value");
            QWheelEvent wheel(QPointF(5, 5), widget->mapToGlobal(QPointF(5, 5)), {}, {0, -120}, Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(widget, &wheel);
            QCOMPARE(widget->property(qobject_cast<QComboBox *>(widget) ? "currentIndex" : "value"), before);
        }
    }
};

QTEST_MAIN(AudioEditorWindowTest)
#include "test_audio_editor_window.moc"
