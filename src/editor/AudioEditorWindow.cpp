#include "AudioEditorWindow.h"

#include "ClipPlayer.h"
#include "ClipText.h"
#include "Dialogs.h"
#include "InputRowLayout.h"
#include "ScratchFolder.h"
#include "StatusGauge.h"
#include "UnitSession.h"
#include "UnitTexts.h"
#include "WheelGuard.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QTableWidget>
#include <QToolButton>

#include <algorithm>

namespace {
const QSize designedSize(1208, 602);
// Room left on the screen for a window manager's frame and title bar.
const QSize frameAllowance(8, 32);
constexpr int statusTextWidth = 800;
constexpr int wheelNotch = 120;
} // namespace

AudioEditorWindow::AudioEditorWindow(UnitSession &session, Dialogs &dialogs, ClipPlayer &player, QWidget *parent)
    : QDialog(parent)
    , session_(session)
    , player_(player)
    , presenter_(*this, dialogs)
    , store_(dialogs, QDir::currentPath())
    , device_(store_, session.transfer)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("ZOR Audio Editor"));
    setModal(true);
    // A scratch folder left by an earlier run goes at start; only the tool's own is ever removed.
    ScratchFolder::removeIfMarked(ScratchFolder::pathIn(QDir::currentPath()));
    installWheelGuard();
    device_.onStep = [this](const ConfigurationStep &step) { presenter_.showStep(step); };
    player_.onFailed = [this](const QString &path) { presenter_.playFailed(path); };
}

AudioEditorWindow::~AudioEditorWindow()
{
    player_.onFailed = nullptr;
    if (session_.transfer.sdGauge == gauge_)
        session_.transfer.sdGauge = nullptr;
}

// ---- activation ---------------------------------------------------------------------

void AudioEditorWindow::setVisible(bool visible)
{
    if (visible) {
        if (!grid_)
            createControls();
        fitToScreen();
    }
    QDialog::setVisible(visible);
}

void AudioEditorWindow::fitToScreen()
{
    const QRect available = screen()->availableGeometry();
    setFixedSize(designedSize.boundedTo(available.size() - frameAllowance));
    move(available.center() - rect().center());
    statusText_->setFixedWidth(std::min(statusTextWidth, width() * 2 / 3));
}

void AudioEditorWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    session_.transfer.sdGauge = gauge_;
    if (!store_.isInitialised()) {
        ScratchFolder::create(store_.directories().tempDir);
        showOutcome(store_.openEditor());
        showActiveDir();
    }
    showVolumePosition(session_.status.volume);
    deviceJobRadio_->setEnabled(session_.status.statusValid);
    writeDeviceButton_->setEnabled(session_.status.statusValid);
    setJobControls(device_.job());
}

void AudioEditorWindow::hideEvent(QHideEvent *event)
{
    if (session_.transfer.sdGauge == gauge_)
        session_.transfer.sdGauge = nullptr;
    QDialog::hideEvent(event);
}

bool AudioEditorWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == volumeSlider_ && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
        emit volumeReleased();
    if (watched == grid_ && event->type() == QEvent::KeyPress) {
        // Enter or F2 on a row adds a clip there, as a double click does.
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_F2) {
                onAddClipKey();
                return true;
            }
        }
    }
    if (watched == scrollBox_->viewport() && event->type() == QEvent::MouseButtonPress)
        scrollBox_->setFocus();
    auto *widget = qobject_cast<QWidget *>(watched);
    const bool inScrollBox = widget && (widget == scrollBox_->viewport() || scrollBox_->viewport()->isAncestorOf(widget));
    if (inScrollBox && event->type() == QEvent::Wheel) {
        // One notch moves one row, the way the wheel turns; finer wheels add up to it.
        QScrollBar *bar = scrollBox_->verticalScrollBar();
        wheelRemainder_ += static_cast<QWheelEvent *>(event)->angleDelta().y();
        const int notches = wheelRemainder_ / wheelNotch;
        wheelRemainder_ -= notches * wheelNotch;
        bar->setValue(bar->value() - notches * bar->singleStep());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// ---- jobs ---------------------------------------------------------------------------

void AudioEditorWindow::onProjectJobSelected()
{
    deviceJobRadio_->setEnabled(false);
    switchJob(EditorJob::Project);
    deviceJobRadio_->setEnabled(session_.status.statusValid);
}

void AudioEditorWindow::onDeviceJobSelected()
{
    projectJobRadio_->setEnabled(false);
    switchJob(EditorJob::Device);
    projectJobRadio_->setEnabled(true);
}

void AudioEditorWindow::switchJob(EditorJob job)
{
    gauge_->setValue(0);
    if (job == EditorJob::Device && !session_.status.statusValid) {
        projectJobRadio_->setChecked(true); // its toggle switches back
        return;
    }
    if (job == EditorJob::Project) {
        setJobControls(job);
        playSourceRadio_->setChecked(true);
        const EditorOutcome opened = device_.enterProjectJob();
        showOutcome(opened);
        presenter_.showProjectOpened(opened, store_.directories().activeDir);
    } else {
        enterDeviceJob();
    }
    showActiveDir();
}

void AudioEditorWindow::enterDeviceJob()
{
    if (store_.isInitialised() && store_.isModified() && presenter_.askSaveBeforeLeaving())
        showOutcome(store_.saveProject(rows_.rows(), alarmMode()));
    setJobControls(EditorJob::Device);
    playDeviceRadio_->setChecked(true);
    log_->clear();
    presenter_.startReading();
    const EditorOutcome read = device_.enterDeviceJob();
    showOutcome(read);
    presenter_.showReadEnd(read);
}

void AudioEditorWindow::setJobControls(EditorJob job)
{
    const bool device = job == EditorJob::Device;
    playProjectRadio_->setEnabled(!device);
    playDeviceRadio_->setEnabled(device);
    readDeviceButton_->setEnabled(device);
    loadProjectButton_->setEnabled(!device);
    saveProjectButton_->setEnabled(!device);
    channelTestButton_->setEnabled(device);
    stopTestButton_->setEnabled(device);
}

void AudioEditorWindow::onWriteDeviceClicked()
{
    presenter_.showWriteSummary(device_.writeDevice(rows_.rows(), alarmMode()));
}

void AudioEditorWindow::onReadDeviceClicked()
{
    presenter_.startReading();
    const EditorOutcome read = device_.readDevice();
    showOutcome(read);
    presenter_.showReadEnd(read);
}

// ---- project ------------------------------------------------------------------------

void AudioEditorWindow::onLoadProjectClicked()
{
    if (!mayLeave())
        return;
    const EditorOutcome opened = store_.chooseProjectDir();
    showOutcome(opened);
    presenter_.showProjectOpened(opened, store_.directories().activeDir);
    showActiveDir();
}

void AudioEditorWindow::onSaveProjectClicked()
{
    const EditorOutcome saved = store_.saveProject(rows_.rows(), alarmMode());
    showOutcome(saved);
    presenter_.showSaved(saved, store_.directories().activeDir);
}

void AudioEditorWindow::onGridDoubleClicked(int tableRow, int column)
{
    if (column == 1)
        showOutcome(store_.addAudio(tableRow + 1));
}

void AudioEditorWindow::onDeleteAudioClicked()
{
    const int clipNumber = currentClipNumber();
    if (clipNumber == 0)
        return;
    showOutcome(store_.deleteAudio(clipNumber));
    if (device_.job() == EditorJob::Device)
        device_.deleteClipOnUnit(clipNumber);
}

void AudioEditorWindow::onModeChosen()
{
    store_.markEdited(); // the selector is quiet while a table is shown
    applyInputLayout(alarmMode());
}

void AudioEditorWindow::onAddClipKey()
{
    if (const int clipNumber = currentClipNumber())
        showOutcome(store_.addAudio(clipNumber));
}

// ---- leaving ------------------------------------------------------------------------

bool AudioEditorWindow::mayLeave()
{
    // The device job holds the unit's configuration, not a project; it is not saved here.
    if (!grid_ || device_.job() != EditorJob::Project || !store_.isModified())
        return true;
    switch (presenter_.askSaveBeforeClosing()) {
    case Dialogs::Yes: {
        const EditorOutcome saved = store_.saveProject(rows_.rows(), alarmMode());
        showOutcome(saved);
        presenter_.showSaved(saved, store_.directories().activeDir);
        return saved.ok(); // a failed save keeps the window, and the changes, open
    }
    case Dialogs::No:
        return true;
    default:
        return false;
    }
}

void AudioEditorWindow::reject()
{
    // Escape and the window's close button both end here.
    if (mayLeave())
        QDialog::reject();
}

// ---- showing the models -------------------------------------------------------------

void AudioEditorWindow::showOutcome(const EditorOutcome &outcome)
{
    presenter_.showOutcome(outcome);
    if (!outcome.applied)
        return;
    showAudioList();
    rebuildClipSelectors();
    applyTable(*outcome.applied);
}

void AudioEditorWindow::showAudioList()
{
    for (int n = 1; n <= maxClipNumber; ++n)
        grid_->item(n - 1, 1)->setText(UnitTexts::visibleText(store_.audioList().slot(n).shortName));
}

void AudioEditorWindow::rebuildClipSelectors()
{
    rows_.setSelectorItems(store_.audioList().selectorItems());
}

void AudioEditorWindow::applyTable(const AppliedTable &applied)
{
    showMode(applied.mode);
    applyInputLayout(applied.mode);
    rows_.showRows(applied.rows);
}

void AudioEditorWindow::showMode(int mode)
{
    // A table made elsewhere may carry a mode the selector does not offer: it shows, and
    // is saved again, as loaded.
    const QSignalBlocker quiet(modeSelector_);
    while (modeSelector_->count() > offeredModes)
        modeSelector_->removeItem(offeredModes);
    if (mode >= offeredModes)
        modeSelector_->addItem(QString::number(mode));
    modeSelector_->setCurrentText(QString::number(mode));
}

void AudioEditorWindow::applyInputLayout(int mode)
{
    const InputLayout layout = ::applyInputLayout(mode, session_.status.modelCode);
    firstGroup_->setTitle(layout.firstGroupCaption);
    binaryGroup_->setVisible(layout.binaryGroupVisible);
    rows_.applyLayout(layout);
    testInputSelector_->clear();
    testInputSelector_->addItems(layout.testInputs);
}

void AudioEditorWindow::showActiveDir()
{
    activeDirLabel_->setText(store_.directories().activeDir);
}

int AudioEditorWindow::alarmMode() const
{
    return modeSelector_->currentText().toInt();
}

int AudioEditorWindow::currentClipNumber() const
{
    const int row = grid_->currentRow();
    return row < 0 ? 0 : row + 1;
}

void AudioEditorWindow::showStatusText(const QString &text)
{
    statusText_->setText(text);
}

void AudioEditorWindow::endProgress(bool complete)
{
    gauge_->finishProgress(complete);
}

void AudioEditorWindow::appendLog(const QStringList &lines)
{
    for (const QString &line : lines)
        log_->appendPlainText(line);
}
