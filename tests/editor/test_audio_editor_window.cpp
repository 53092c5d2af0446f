// The audio editor window offscreen, with scripted dialogs and a simulated unit.
#include "AudioEditorWindow.h"
#include "InputRowLayout.h"
#include "LinkDoubles.h"
#include "RecordingClipPlayer.h"
#include "SimulatorThread.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

namespace {
// A window in a working folder of its own, its unit simulated on a loopback address.
struct WindowRig : LinkDoubles {
    QTemporaryDir folder;
    RecordingClipPlayer player;
    SimulatorThread sim;
    std::unique_ptr<AudioEditorWindow> window;

    explicit WindowRig(std::uint8_t model = ModelZor06)
    {
        static int next = 200;
        const QHostAddress address(QStringLiteral("127.0.5.%1").arg(next++));
        link.deviceAddress = address.toString();
        timing.sdWritePauseMs = timing.readPauseMs = 20;
        timing.jobSwitchPauseMs = 0;
        if (!sim.start(address, {.model = model}))
            qFatal("simulator: %s", qPrintable(sim.errorString()));
        link.requestDeviceInformation();
        QDir::setCurrent(folder.path());
        open();
    }
    void open()
    {
        window = std::make_unique<AudioEditorWindow>(session, dialogs, player);
        window->show();
    }
    template <typename T> T *control(const char *name) const
    {
        T *found = window->findChild<T *>(QString::fromLatin1(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    void click(const char *name) { control<QAbstractButton>(name)->click(); }
    QString sourceClip(const QString &name)
    {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(2000, 'M')) != 2000)
            qFatal("cannot write a clip");
        return file.fileName();
    }
    void addClip(int n, const QString &source)
    {
        dialogs.expectOpenFile(source);
        auto *grid = control<QTableWidget>("StringGrid1");
        emit grid->cellDoubleClicked(n - 1, 1);
    }
    QString statusText() const { return window->findChild<QStatusBar *>("StatusBar1")->findChild<QLabel *>()->text(); }
};
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
        QCOMPARE(rig.window->size(), QSize(1208, 602));
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
        rig.click("SpeedButton3");
        rig.click("SpeedButton8");
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
