#include "MonitorWindowTest.h"
#include "MonitorWindowControls.h"

#include "FixedAdapterSource.h"
#include "IndicatorShape.h"
#include "LinkStateIndicator.h"
#include "ScriptedDialogs.h"
#include "SimulatorThread.h"
#include "StatusPanels.h"
#include "MonitorWindow.h"
#include "UnitSession.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <functional>

namespace {

// Each test gets a unit of its own, so frames and state never leak between tests.
QString nextUnitAddress()
{
    static int host = 0;
    return QStringLiteral("127.0.3.%1").arg(++host);
}

// Stands in for the setup or audio editor window: notes what it saw and closes itself.
class SelfClosingDialog : public QDialog {
public:
    explicit SelfClosingDialog(const UnitSession &session)
        : session_(session)
    {
    }
    int opened = 0;
    bool pollingWhileOpen = true;
    std::function<QString()> probe; // what else to note while open
    QString probed;

protected:
    void showEvent(QShowEvent *event) override
    {
        ++opened;
        pollingWhileOpen = session_.poll.pollingEnabled;
        if (probe)
            probed = probe();
        QDialog::showEvent(event);
        QTimer::singleShot(0, this, &QDialog::accept);
    }

private:
    const UnitSession &session_;
};

} // namespace

MonitorWindowTest::MonitorWindowTest() = default;
MonitorWindowTest::~MonitorWindowTest() = default;

void MonitorWindowTest::init()
{
    unitAddress_ = nextUnitAddress();
    simulator_ = std::make_unique<SimulatorThread>();
    QVERIFY2(simulator_->start(QHostAddress(unitAddress_)), qPrintable(simulator_->errorString()));
    simulator_->unit().updateState([](UnitState &state) { state.settings.location = "Hall 3"; });
    dialogs_ = std::make_unique<ScriptedDialogs>();
}

void MonitorWindowTest::cleanup()
{
    form_.reset();
    session_.reset();
    adapters_.reset();
    simulator_.reset();
    dialogs_.reset();
}

MonitorWindow &MonitorWindowTest::createWindow(bool onTheUnitsSubnet)
{
    Timing manualTicks;
    manualTicks.pollTickMs = 24 * 3600 * 1000;
    return createWindow(manualTicks, onTheUnitsSubnet);
}

MonitorWindow &MonitorWindowTest::createWindow(const Timing &timing, bool onTheUnitsSubnet)
{
    const QString prefix = unitAddress_.left(unitAddress_.lastIndexOf('.') + 1);
    adapters_ = std::make_unique<FixedAdapterSource>();
    if (onTheUnitsSubnet) {
        adapters_->adapterRecords = {{"wlan-test", prefix + "100"}};
        adapters_->wifiRecords = {{"wlan-test", true}};
    }
    session_ = std::make_unique<UnitSession>(*adapters_, timing);
    session_->link.deviceAddress = unitAddress_;
    session_->linkCheck.subnetPrefix = prefix;
    form_ = std::make_unique<MonitorWindow>(*session_, *dialogs_);
    return *form_;
}

void MonitorWindowTest::showWindow()
{
    form_->show();
    // The first activation follows the first show through the message loop.
    QTRY_COMPARE(control<QLineEdit>(*form_, "Edit2")->text(), unitAddress_);
}

void MonitorWindowTest::tick(int count)
{
    for (int i = 0; i < count; ++i)
        form_->onPollTick();
}

void MonitorWindowTest::linkUp()
{
    showWindow();
    tick();
    QVERIFY(session_->status.linked);
    simulator_->unit().clearReceivedFrames();
}

QList<QByteArray> MonitorWindowTest::takeFrames()
{
    const QList<QByteArray> frames = simulator_->unit().receivedFrames();
    simulator_->unit().clearReceivedFrames();
    return frames;
}

QStringList MonitorWindowTest::logLines() const
{
    return form_->findChild<QPlainTextEdit *>("Memo1")->toPlainText().split('\n', Qt::SkipEmptyParts);
}

// ---- tests ----------------------------------------------------------------------------

void MonitorWindowTest::linksAndShowsTheUnit()
{
    // The real pauses and the real 100 ms poll timer.
    MonitorWindow &form = createWindow(Timing{}, true);
    QCOMPARE(form.windowTitle(), "ZOR WiFi V1.20(20200213)");
    QCOMPARE(form.size(), QSize(362, 455));
    form.show();

    QTRY_VERIFY_WITH_TIMEOUT(session_->status.linked, 5000);
    QCOMPARE(simulator_->unit().receivedFrames().value(0), frame("5a3577a521000000" "00"));
    QCOMPARE(control<QLabel>(form, "Label4")->text(), "ZOR-06-WF");
    QCOMPARE(control<QLabel>(form, "Label5")->text(), "Locate: Hall 3");
    QCOMPARE(control<QLabel>(form, "Label5")->textFormat(), Qt::PlainText); // a unit's "<h1>" stays text
    QCOMPARE(control<QLabel>(form, "Label12")->text(), "RSSI: -60dBm");
    QCOMPARE(control<QLabel>(form, "Label2")->text(), "Volume: 4");
    QCOMPARE(panel(form, "StatusBar1", 0), "Dev MAC: 02:5A:77:00:03:" + QString::number(unitAddress_.section('.', 3).toInt(), 16).toUpper().rightJustified(2, '0'));
    QCOMPARE(panel(form, "StatusBar1", 1), "IP: " + unitAddress_);
    QCOMPARE(panel(form, "StatusBar2", 0), "Get Device Linked!!");
    QCOMPARE(panel(form, "StatusBar2", 1), "FW: V01.20");
    QCOMPARE(panel(form, "StatusBar3", 0), "Device Mode: 0");
    QCOMPARE(panel(form, "StatusBar3", 1), "SD Free:3.05/(7.45)GB");
    for (const char *name : {"SpeedButton4", "Image1", "Image2", "Image3", "SpeedButton2", "Label16"})
        QVERIFY2(form.findChild<QWidget *>(name)->isEnabled(), name);

    // The live display follows the unit on the next status poll, about three seconds on.
    simulator_->unit().updateState([](UnitState &state) { state.rssi = -71; state.inputBits = 0x05; });
    QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(form, "Label12")->text(), QString("RSSI: -71dBm"), 6000);
    QCOMPARE(control<IndicatorShape>(form, "Shape6")->brushColor(), QColor(255, 0, 128));
    QCOMPARE(control<IndicatorShape>(form, "Shape2")->brushColor(), control<IndicatorShape>(form, "Shape7")->brushColor());
    QCOMPARE(control<IndicatorShape>(form, "Shape3")->penColor(), QColor(255, 0, 128));
}

void MonitorWindowTest::statusIsPolledEvery31Ticks()
{
    createWindow();
    linkUp();
    for (int turn = 0; turn < 2; ++turn) {
        tick(30);
        QCOMPARE(takeFrames(), QList<QByteArray>{});
        tick();
        QCOMPARE(takeFrames(), QList<QByteArray>{frame("5a3577a5d8")});
    }
}

void MonitorWindowTest::controlsPutTheirRequestOnTheWire_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<bool>("unitArmed");
    QTest::addColumn<int>("sliderPosition");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<QString>("logLine");

    QTest::newRow("relay on") << "SpeedButton4" << false << 4 << frame("5a3577a5d001010000") << "Loop:1,Val:1";
    QTest::newRow("arm at 4") << "SpeedButton2" << false << 4 << frame("5a3577a540300401" "01") << "";
    QTest::newRow("disarm at 7") << "SpeedButton1" << true << 7 << frame("5a3577a540180700" "01") << "";
    QTest::newRow("find me") << "Image3" << false << 4 << frame("5a3577a51d00000000") << "";
    QTest::newRow("refresh") << "Image2" << false << 4 << frame("5a3577a521000000" "00") << "";
}

void MonitorWindowTest::controlsPutTheirRequestOnTheWire()
{
    QFETCH(QString, control);
    QFETCH(bool, unitArmed);
    QFETCH(int, sliderPosition);
    QFETCH(QByteArray, expected);
    QFETCH(QString, logLine);

    simulator_->unit().updateState([unitArmed](UnitState &state) { state.armed = unitArmed ? 1 : 0; });
    MonitorWindow &form = createWindow();
    linkUp();
    form.findChild<QSlider *>("TrackBar1")->setValue(sliderPosition);
    QWidget *clicked = form.findChild<QWidget *>(control);
    QVERIFY(clicked->isVisible());
    QTest::mouseClick(clicked, Qt::LeftButton);
    tick();

    QCOMPARE(takeFrames(), QList<QByteArray>{expected});
    if (!logLine.isEmpty())
        QCOMPARE(logLines().filter("Loop:"), QStringList{logLine});
}

void MonitorWindowTest::relayAfterArmingCarriesItsLastParameters()
{
    MonitorWindow &form = createWindow();
    linkUp();
    QTest::mouseClick(form.findChild<QWidget *>("SpeedButton2"), Qt::LeftButton);
    tick();
    QVERIFY(form.findChild<QWidget *>("SpeedButton1")->isVisible());
    QVERIFY(!form.findChild<QWidget *>("SpeedButton2")->isVisible());
    QTest::mouseClick(form.findChild<QWidget *>("SpeedButton4"), Qt::LeftButton);
    tick();
    const QList<QByteArray> frames = takeFrames();
    QCOMPARE(frames.size(), 2);
    QCOMPARE(frames.at(1), frame("5a3577a5d001010101"));

    // The answer switches the display; the next click turns the relay off again.
    QCOMPARE(control<QToolButton>(form, "SpeedButton4")->text(), "Relay On");
    QCOMPARE(control<IndicatorShape>(form, "Shape1")->brushColor(), QColor(255, 128, 0));
    QTest::mouseClick(form.findChild<QWidget *>("SpeedButton4"), Qt::LeftButton);
    tick();
    QCOMPARE(takeFrames(), QList<QByteArray>{frame("5a3577a5d001000101")});
    QCOMPARE(logLines().filter("Loop:"), (QStringList{"Loop:1,Val:1", "Loop:1,Val:0"}));
    QCOMPARE(control<QToolButton>(form, "SpeedButton4")->text(), "Relay Off");
}

void MonitorWindowTest::sliderReleaseSendsTheVolume()
{
    MonitorWindow &form = createWindow();
    linkUp();
    auto *slider = control<QSlider>(form, "TrackBar1");
    QTest::mousePress(slider, Qt::LeftButton);
    QVERIFY(!session_->poll.pollingEnabled);
    tick(31); // a poll turn while the slider is held polls nothing
    QCOMPARE(takeFrames(), QList<QByteArray>{});

    slider->setValue(0);
    QCOMPARE(control<QLabel>(form, "Label2")->text(), "Volume: 0");
    QCOMPARE(session_->link.pending.code, 0); // nothing leaves before the release
    QTest::mouseRelease(slider, Qt::LeftButton);
    QVERIFY(session_->poll.pollingEnabled);
    QTRY_COMPARE(session_->link.pending.code, 64); // 200 ms later
    tick();
    QCOMPARE(takeFrames(), QList<QByteArray>{frame("5a3577a540e0000000")});
    QCOMPARE(session_->status.volume, 0);
}

void MonitorWindowTest::pollTurnComesBeforeAQueuedRequest()
{
    MonitorWindow &form = createWindow();
    linkUp();
    tick(30);
    QTest::mouseClick(form.findChild<QWidget *>("SpeedButton4"), Qt::LeftButton);
    QCOMPARE(session_->link.expectedCode, 208);
    tick(); // the poll turn drops the "overdue" answer instead of polling
    QCOMPARE(takeFrames(), QList<QByteArray>{});
    QCOMPARE(session_->link.expectedCode, 0);
    tick();
    QCOMPARE(takeFrames(), QList<QByteArray>{frame("5a3577a5d001010000")});
}

void MonitorWindowTest::refreshRunsTheLinkCheckOnce()
{
    MonitorWindow &form = createWindow();
    linkUp();
    const int checksBefore = logLines().filter("Local IP:").size();
    QTest::mouseClick(form.findChild<QWidget *>("Image2"), Qt::LeftButton);
    QCOMPARE(logLines().filter("Local IP:").size(), checksBefore + 1);
    QCOMPARE(session_->link.pending.code, 33);
}

void MonitorWindowTest::nothingIsSentDuringATransfer()
{
    MonitorWindow &form = createWindow();
    linkUp();
    session_->link.transferActive = true;
    QTest::mouseClick(form.findChild<QWidget *>("Image3"), Qt::LeftButton);
    tick(40);
    QCOMPARE(takeFrames(), QList<QByteArray>{});
    QCOMPARE(session_->link.pending.code, 29);

    session_->link.transferActive = false;
    tick();
    QCOMPARE(takeFrames(), QList<QByteArray>{frame("5a3577a51d00000000")});
}

void MonitorWindowTest::secondaryWindows_data()
{
    QTest::addColumn<QString>("image");
    QTest::addColumn<bool>("linked");
    QTest::addColumn<bool>("pollingAfter");
    QTest::addColumn<int>("queuedAfter");
    QTest::addColumn<QString>("statusLineAfter");
    QTest::addColumn<QString>("linkStateWhileOpen");

    const QString setupOpen = "Polling paused while the setup window is open";
    const QString editorOpen = "Polling paused while the audio editor is open";
    QTest::newRow("setup, linked") << "Image1" << true << true << 33 << "Get Device Linked!!" << setupOpen;
    QTest::newRow("audio editor, linked") << "Image5" << true << true << 33 << "" << editorOpen;
    // A unit answering for another address enables the controls but gives no valid status.
    QTest::newRow("setup, no valid status") << "Image1" << false << false << 0 << "Get Device Linked!!" << setupOpen;
    QTest::newRow("audio editor, no valid status") << "Image5" << false << false << 0 << "Get Device Linked!!" << editorOpen;
}

void MonitorWindowTest::secondaryWindows()
{
    QFETCH(QString, image);
    QFETCH(bool, linked);

    MonitorWindow &form = createWindow();
    SelfClosingDialog setup(*session_);
    SelfClosingDialog audioEditor(*session_);
    form.setSecondaryWindows(&setup, &audioEditor);
    setup.probe = audioEditor.probe = [&form] { return linkState(form); };
    if (!linked) {
        UnitFaults answeringForAnother;
        answeringForAnother.otherAddress = QHostAddress("127.0.3.250");
        simulator_->setFaults(answeringForAnother);
    }
    showWindow();
    tick();
    QCOMPARE(session_->status.statusValid, linked);

    QTest::mouseClick(form.findChild<QWidget *>(image), Qt::LeftButton);
    SelfClosingDialog &opened = image == "Image1" ? setup : audioEditor;
    QCOMPARE(opened.opened, 1);
    QCOMPARE(setup.opened + audioEditor.opened, 1);
    QVERIFY(!opened.pollingWhileOpen);
    QTEST(opened.probed, "linkStateWhileOpen");
    QCOMPARE(linkState(form), linked ? "Linked, answering" : "Answering, not linked");
    QTEST(session_->poll.pollingEnabled, "pollingAfter");
    QTEST(int(session_->link.pending.code), "queuedAfter");
    QTEST(form.statusLine(), "statusLineAfter");

    // Releasing the slider resumes polling in any case.
    auto *slider = control<QSlider>(form, "TrackBar1");
    QTest::mousePress(slider, Qt::LeftButton);
    QTest::mouseRelease(slider, Qt::LeftButton);
    QVERIFY(session_->poll.pollingEnabled);
}

void MonitorWindowTest::noSecondaryWindowWhileBusy()
{
    MonitorWindow &form = createWindow();
    SelfClosingDialog setup(*session_);
    SelfClosingDialog audioEditor(*session_);
    form.setSecondaryWindows(&setup, &audioEditor);
    linkUp();
    session_->link.busy = true;
    QTest::mouseClick(form.findChild<QWidget *>("Image1"), Qt::LeftButton);
    QTest::mouseClick(form.findChild<QWidget *>("Image5"), Qt::LeftButton);
    session_->link.busy = false;
    QCOMPARE(setup.opened + audioEditor.opened, 0);
    QVERIFY(session_->poll.pollingEnabled);
    QCOMPARE(session_->link.pending.code, 0);
}

void MonitorWindowTest::firstActivationFailureShowsOneBox()
{
    dialogs_->expectMessageBox("Please check device whether in AP mode!", "Device not found", Dialogs::Warning);
    MonitorWindow &form = createWindow(false);
    form.show();
    QTRY_VERIFY(dialogs_->pending().isEmpty());
    QCOMPARE(control<QLabel>(form, "Label2")->text(), "Volume: 4");

    for (int turn = 0; turn < 3; ++turn) {
        control<QLabel>(form, "Label4")->clear();
        tick(31);
        QCOMPARE(control<QLabel>(form, "Label4")->text(), "Device not found!!");
    }
    QCOMPARE(dialogs_->shownBoxes.size(), 1);
    QCOMPARE(takeFrames(), QList<QByteArray>{});
}

QTEST_MAIN(MonitorWindowTest)
