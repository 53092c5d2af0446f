#include "MonitorWindow.h"

#include "ClickableImage.h"
#include "WheelGuard.h"
#include "Dialogs.h"
#include "LinkLogCapture.h"
#include "LogViewer.h"
#include "UnitSession.h"
#include "UnitsWindow.h"
#include "StatusPanels.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QSlider>
#include <QTimer>

namespace {
constexpr std::uint8_t RelayOutput = 1;

bool movesSlider(const QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return !key->isAutoRepeat();
    default:
        return false;
    }
}
} // namespace

MonitorWindow::MonitorWindow(UnitSession &session, Dialogs &dialogs, QWidget *parent)
    : QWidget(parent)
    , session_(session)
    , dialogs_(dialogs)
    , presenter_(*this, session, dialogs)
{
    LinkLogCapture::instance(); // the log viewer shows the lines since start
    setObjectName(QStringLiteral("Form1"));
    installWheelGuard(); // the wheel must not move the volume slider
    setWindowTitle(QStringLiteral("ZOR WiFi V1.20(20200213)"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setFixedSize(362, 455);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    relayOnColor_ = QColor(255, 128, 0);
    inputActiveColor_ = QColor(255, 0, 128);
    offFillColor_ = QApplication::palette("QMenu").color(QPalette::Window);
    offOutlineColor_ = palette().color(QPalette::Midlight);

    createControls();
    presenter_.showNoDevice();
    pollTimer_->start();
}

void MonitorWindow::setSecondaryWindows(QDialog *setupWindow, QDialog *audioEditorWindow)
{
    setupWindow_ = setupWindow;
    audioEditorWindow_ = audioEditorWindow;
}

void MonitorWindow::setScanSubnets(const QStringList &subnets)
{
    scanSubnets_ = subnets;
    scanSubnetsSet_ = true;
}

// ---- window events ------------------------------------------------------------------

void MonitorWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (firstActivationQueued_)
        return;
    firstActivationQueued_ = true;
    if (const QScreen *display = screen())
        move(display->availableGeometry().center() - rect().center());
    // Activation need not happen (no window manager, offscreen): the first show stands in for it,
    // once the window is up and the message loop runs.
    QMetaObject::invokeMethod(this, &MonitorWindow::onFirstActivation, Qt::QueuedConnection);
}

void MonitorWindow::closeEvent(QCloseEvent *event)
{
    if (closeGuard_ && !closeGuard_()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void MonitorWindow::onFirstActivation()
{
    if (firstActivationDone_)
        return;
    firstActivationDone_ = true;
    session_.link.expectedCode = 0;
    addressBar_->setPanelText(1, QString());
    addressEdit_->setText(session_.link.deviceAddress);
    // The request is queued only after the link check passed, which also shows the address.
    if (!session_.link.queueDeviceInformation())
        dialogs_.messageBox(QStringLiteral("Please check device whether in AP mode!"), QStringLiteral("Device not found"),
                            Dialogs::Warning);
    showVolume(session_.status.volume);
}

bool MonitorWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != volumeSlider_)
        return QWidget::eventFilter(watched, event);
    const QEvent::Type type = event->type();
    if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease)
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton)
        type == QEvent::MouseButtonPress ? volumeGrabbed() : volumeReleased();
    // The keyboard is a hand on the slider too: its change is sent once the key is up.
    if ((type == QEvent::KeyPress || type == QEvent::KeyRelease) && movesSlider(static_cast<QKeyEvent *>(event)))
        type == QEvent::KeyPress ? volumeGrabbed() : volumeReleased();
    return QWidget::eventFilter(watched, event);
}

void MonitorWindow::volumeGrabbed()
{
    // No status answer may move the slider under the user's hand.
    session_.poll.pollingEnabled = false;
}

void MonitorWindow::volumeReleased()
{
    sendVolumeSoon();
    session_.poll.pollingEnabled = true;
}

// ---- timers -------------------------------------------------------------------------

void MonitorWindow::onPollTick()
{
    // Stopped while the tick runs: its exchanges keep the message loop running and must not
    // re-enter here. Restarted however the tick ends, also when an error escapes it.
    pollTimer_->stop();
    struct Restart {
        QTimer *timer;
        ~Restart() { timer->start(); }
    } restart{pollTimer_};
    presenter_.pollTicked(session_.poll.tick());
}

void MonitorWindow::onVolumeSendDelay()
{
    volumeSendTimer_->stop();
    if (!session_.status.linked)
        return; // never to an address whose unit has not identified itself
    // The position the user let go at: a status answer in the meantime may have moved the slider.
    session_.link.queueVolumeArming(volumeToSend_, session_.status.armed, false);
    session_.status.volume = volumeToSend_;
}

// ---- controls -----------------------------------------------------------------------

void MonitorWindow::setVolumePosition(int position)
{
    volumeSlider_->setValue(position);
}

void MonitorWindow::sendVolumeSoon()
{
    volumeToSend_ = static_cast<std::uint8_t>(volumeSlider_->value());
    volumeSendTimer_->start();
}

void MonitorWindow::onVolumeSliderMoved(int position)
{
    setVolumeLabel(position);
    emit volumePositionChanged(position);
    session_.status.volume = static_cast<std::uint8_t>(position);
}

void MonitorWindow::onRelayClicked()
{
    if (!session_.status.linked)
        return;
    const std::uint8_t newState = (session_.status.relayBits & 1) ? 0 : 1;
    session_.link.queueRelay(RelayOutput, newState);
    appendLog(QStringLiteral("Loop:") + QString::number(RelayOutput) + QStringLiteral(",Val:") + QString::number(newState));
}

void MonitorWindow::onDisarmClicked()
{
    queueArming(0);
}

void MonitorWindow::onArmClicked()
{
    queueArming(1);
}

void MonitorWindow::queueArming(std::uint8_t armed)
{
    if (!session_.status.linked)
        return;
    session_.status.armed = armed;
    presenter_.showArmState();
    const auto position = static_cast<std::uint8_t>(volumeSlider_->value());
    session_.link.queueVolumeArming(position, armed, true);
    session_.status.volume = position;
}

void MonitorWindow::onStaticIpClicked()
{
    // An entry that is no address is reported, and nothing else happens.
    const QString entry = addressEdit_->text();
    const QString error = session_.linkCheck.ApplyStaticIp(entry);
    presenter_.addressEntered(entry, error);
    if (!error.isEmpty())
        return;
    session_.linkCheck.CheckLink();
    presenter_.showNoDevice();
    // The Refresh action; nothing is sent when the check fails, and the user is told why.
    if (!session_.link.queueDeviceInformation())
        presenter_.explainFailedCheck();
}

void MonitorWindow::onRefreshClicked()
{
    session_.link.queueDeviceInformation(); // runs the link check first
}

void MonitorWindow::onLocatorClicked()
{
    if (session_.status.linked)
        session_.link.queueLocator();
}

void MonitorWindow::onSetupClicked()
{
    if (runModal(setupWindow_, QStringLiteral("setup window")))
        resumeAfterSecondaryWindow();
}

void MonitorWindow::onAudioEditorClicked()
{
    if (!runModal(audioEditorWindow_, QStringLiteral("audio editor")))
        return;
    const bool resumed = session_.status.statusValid;
    resumeAfterSecondaryWindow();
    if (resumed)
        setStatusLine(QString());
}

void MonitorWindow::onLogClicked()
{
    if (!logViewer_)
        logViewer_ = new LogViewer(LinkLogCapture::instance(), dialogs_, this);
    logViewer_->show();
    logViewer_->raise();
    logViewer_->activateWindow();
}

void MonitorWindow::onUnitsClicked()
{
    if (!unitsWindow_) {
        unitsWindow_ = new UnitsWindow(dialogs_, scanSubnetsSet_ ? scanSubnets_ : defaultScanSubnets(), this);
        unitsWindow_->wifiAddresses = [this] { return session_.linkCheck.connectedWifiAddresses(); };
        connect(unitsWindow_, &UnitsWindow::useAddress, this, &MonitorWindow::useUnitAddress);
    }
    unitsWindow_->show();
    unitsWindow_->raise();
    unitsWindow_->activateWindow();
}

void MonitorWindow::useUnitAddress(const QString &address)
{
    addressEdit_->setText(address);
    onStaticIpClicked();
}

bool MonitorWindow::runModal(QDialog *window, const QString &name)
{
    if (!window || session_.link.busy)
        return false;
    session_.poll.pollingEnabled = false;
    presenter_.secondaryWindowOpened(name);
    window->exec();
    presenter_.secondaryWindowClosed();
    return true;
}

void MonitorWindow::resumeAfterSecondaryWindow()
{
    // Without a valid status polling stays off until the volume slider is next released.
    if (!session_.status.statusValid)
        return;
    session_.link.queueDeviceInformation();
    session_.poll.pollingEnabled = true;
}
