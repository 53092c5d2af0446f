#include "MonitorWindow.h"

#include "ClickableImage.h"
#include "WheelGuard.h"
#include "Dialogs.h"
#include "IndicatorShape.h"
#include "LinkLog.h"
#include "MonitorIcons.h"
#include "UnitSession.h"
#include "StatusPanels.h"

#include <QApplication>
#include <QDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

namespace {

const QString RssiCaption = QStringLiteral("RSSI:");
const QString RelayOffCaption = QStringLiteral("Relay Off");
constexpr std::uint8_t RelayOutput = 1;
constexpr int ImageSize = 26;
constexpr int LogLineLimit = 5000; // the hidden log is never read back; keep a long run bounded

void setTextColor(QLabel *label, const QColor &color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

QFont boldFont(const QFont &base, int pointSizeIncrease)
{
    QFont font = base;
    font.setBold(true);
    font.setPointSize(base.pointSize() + pointSizeIncrease);
    return font;
}

QLabel *namedLabel(const QString &name, const QString &caption, QWidget *parent)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

QToolButton *namedButton(const QString &name, const QString &caption, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    return button;
}

QFrame *namedPanel(const QString &name, QWidget *parent)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(name);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Plain);
    return panel;
}

} // namespace

MonitorWindow::MonitorWindow(UnitSession &session, Dialogs &dialogs, QWidget *parent)
    : QWidget(parent)
    , session_(session)
    , dialogs_(dialogs)
    , presenter_(*this, session, dialogs)
{
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

// ---- layout -------------------------------------------------------------------------

void MonitorWindow::createControls()
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(6, 4, 6, 4);
    root->setSpacing(10);
    root->addWidget(createStatusBlock());
    root->addWidget(createInputBlock());
    auto *outputs = new QHBoxLayout;
    outputs->setSpacing(6);
    outputs->addWidget(createRelayBlock(), 1);
    outputs->addWidget(createArmBlock());
    root->addLayout(outputs);
    root->addWidget(createVolumeBlock());
    root->addStretch(1);

    modeBar_ = new StatusPanels(QStringLiteral("StatusBar3"), 1, 1, this);
    channelBar_ = new StatusPanels(QStringLiteral("StatusBar2"), 3, 2, this);
    addressBar_ = new StatusPanels(QStringLiteral("StatusBar1"), 3, 2, this);
    auto *bars = new QVBoxLayout;
    bars->setSpacing(1);
    for (StatusPanels *bar : {modeBar_, channelBar_, addressBar_})
        bars->addWidget(bar);
    root->addLayout(bars);

    logList_ = new QPlainTextEdit(this);
    logList_->setObjectName(QStringLiteral("Memo1"));
    logList_->setReadOnly(true);
    logList_->setMaximumBlockCount(LogLineLimit);
    logList_->hide();

    pollTimer_ = new QTimer(this);
    pollTimer_->setObjectName(QStringLiteral("Timer3"));
    pollTimer_->setInterval(session_.timing.pollTickMs);
    connect(pollTimer_, &QTimer::timeout, this, &MonitorWindow::onPollTick);

    volumeSendTimer_ = new QTimer(this);
    volumeSendTimer_->setObjectName(QStringLiteral("Timer1"));
    volumeSendTimer_->setInterval(session_.timing.volumeSendDelayMs);
    volumeSendTimer_->setSingleShot(true);
    connect(volumeSendTimer_, &QTimer::timeout, this, &MonitorWindow::onVolumeSendDelay);
}

QWidget *MonitorWindow::createStatusBlock()
{
    statusGroup_ = new QGroupBox(QStringLiteral("Status"), this);
    statusGroup_->setObjectName(QStringLiteral("GroupBox3"));

    modelLabel_ = namedLabel(QStringLiteral("Label4"), QString(), statusGroup_);
    modelLabel_->setFont(boldFont(font(), 6));
    setTextColor(modelLabel_, Qt::red);
    locationLabel_ = namedLabel(QStringLiteral("Label5"), QString(), statusGroup_);
    locationLabel_->setFont(boldFont(font(), 2));
    for (QLabel *label : {modelLabel_, locationLabel_}) {
        label->setMinimumWidth(1);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    rssiLabel_ = namedLabel(QStringLiteral("Label12"), RssiCaption, statusGroup_);

    setupImage_ = new ClickableImage(QStringLiteral("Image1"), QStringLiteral("Setup"), MonitorIcons::setup(ImageSize), statusGroup_);
    refreshImage_ = new ClickableImage(QStringLiteral("Image2"), QStringLiteral("Refresh"), MonitorIcons::refresh(ImageSize), statusGroup_);
    locatorImage_ = new ClickableImage(QStringLiteral("Image3"), QStringLiteral("Find me"), MonitorIcons::locator(ImageSize), statusGroup_);
    connect(setupImage_, &ClickableImage::clicked, this, &MonitorWindow::onSetupClicked);
    connect(refreshImage_, &ClickableImage::clicked, this, &MonitorWindow::onRefreshClicked);
    connect(locatorImage_, &ClickableImage::clicked, this, &MonitorWindow::onLocatorClicked);

    addressCaption_ = namedLabel(QStringLiteral("Label6"), QStringLiteral("Device  IP:"), statusGroup_);
    addressEdit_ = new QLineEdit(statusGroup_);
    addressEdit_->setObjectName(QStringLiteral("Edit2"));
    staticIpButton_ = namedButton(QStringLiteral("SpeedButton5"), QStringLiteral("Static IP"), statusGroup_);
    connect(staticIpButton_, &QToolButton::clicked, this, &MonitorWindow::onStaticIpClicked);

    auto *images = new QHBoxLayout;
    images->setSpacing(10);
    images->addWidget(rssiLabel_, 1);
    for (ClickableImage *image : {setupImage_, refreshImage_, locatorImage_})
        images->addWidget(image);

    auto *address = new QHBoxLayout;
    address->addWidget(addressCaption_);
    address->addWidget(addressEdit_, 1);
    address->addWidget(staticIpButton_);

    auto *layout = new QVBoxLayout(statusGroup_);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->setSpacing(6);
    layout->addWidget(modelLabel_);
    layout->addWidget(locationLabel_);
    layout->addLayout(images);
    layout->addLayout(address);
    return statusGroup_;
}

QWidget *MonitorWindow::createInputBlock()
{
    inputGroup_ = new QGroupBox(this);
    inputGroup_->setObjectName(QStringLiteral("GroupBox1"));
    inputCaption_ = namedLabel(QStringLiteral("Label14"), QStringLiteral("DI Input"), inputGroup_);
    inputCaption_->setFont(boldFont(font(), 0));
    audioEditorImage_ = new ClickableImage(QStringLiteral("Image5"), QStringLiteral("Audio Configuration"),
                                MonitorIcons::audioConfiguration(ImageSize), inputGroup_);
    connect(audioEditorImage_, &ClickableImage::clicked, this, &MonitorWindow::onAudioEditorClicked);

    const QString labelNames[6] = {QStringLiteral("Label1"), QStringLiteral("Label21"), QStringLiteral("Label7"),
                                   QStringLiteral("Label13"), QStringLiteral("Label15"), QStringLiteral("Label16")};
    const QString shapeNames[6] = {QStringLiteral("Shape6"), QStringLiteral("Shape2"), QStringLiteral("Shape3"),
                                   QStringLiteral("Shape4"), QStringLiteral("Shape5"), QStringLiteral("Shape7")};
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(3);
    for (int k = 0; k < 6; ++k) {
        inputLabels_[k] = namedLabel(labelNames[k], QStringLiteral("DI") + QString::number(k + 1), inputGroup_);
        inputLabels_[k]->setAlignment(Qt::AlignCenter);
        inputShapes_[k] = new IndicatorShape(shapeNames[k], inputGroup_);
        inputShapes_[k]->setToolTip(QStringLiteral("DI0"));
        inputShapes_[k]->setFixedSize(38, 14);
        grid->addWidget(inputLabels_[k], 0, k, Qt::AlignHCenter);
        grid->addWidget(inputShapes_[k], 1, k, Qt::AlignHCenter);
    }

    auto *title = new QHBoxLayout;
    title->addWidget(inputCaption_, 1);
    title->addWidget(audioEditorImage_);
    auto *layout = new QVBoxLayout(inputGroup_);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->setSpacing(4);
    layout->addLayout(title);
    layout->addLayout(grid);
    return inputGroup_;
}

QWidget *MonitorWindow::createRelayBlock()
{
    relayPanel_ = namedPanel(QStringLiteral("Panel1"), this);
    relayCaption_ = namedLabel(QStringLiteral("Label8"), QStringLiteral("Relay Output"), relayPanel_);
    relayCaption_->setFont(boldFont(font(), 0));
    relayShape_ = new IndicatorShape(QStringLiteral("Shape1"), relayPanel_);
    relayShape_->setFixedSize(96, 14);
    relayButton_ = namedButton(QStringLiteral("SpeedButton4"), RelayOffCaption, relayPanel_);
    relayButton_->setFixedWidth(96);
    connect(relayButton_, &QToolButton::clicked, this, &MonitorWindow::onRelayClicked);

    auto *output = new QVBoxLayout;
    output->setSpacing(3);
    output->addWidget(relayShape_, 0, Qt::AlignHCenter);
    output->addWidget(relayButton_, 0, Qt::AlignHCenter);
    auto *layout = new QHBoxLayout(relayPanel_);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->addWidget(relayCaption_, 1);
    layout->addLayout(output);
    return relayPanel_;
}

QWidget *MonitorWindow::createArmBlock()
{
    armPanel_ = namedPanel(QStringLiteral("Panel3"), this);
    disarmButton_ = namedButton(QStringLiteral("SpeedButton1"), QStringLiteral("Armed"), armPanel_);
    disarmButton_->setIcon(MonitorIcons::armed(24));
    disarmButton_->setToolTip(QStringLiteral("Disarm"));
    armButton_ = namedButton(QStringLiteral("SpeedButton2"), QStringLiteral("Disarmed"), armPanel_);
    armButton_->setIcon(MonitorIcons::disarmed(24));
    armButton_->setToolTip(QStringLiteral("Arm"));
    auto *layout = new QHBoxLayout(armPanel_);
    layout->setContentsMargins(6, 4, 6, 4);
    for (QToolButton *button : {disarmButton_, armButton_}) {
        button->setIconSize(QSize(24, 24));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setFixedWidth(72);
        layout->addWidget(button);
    }
    disarmButton_->hide();
    connect(disarmButton_, &QToolButton::clicked, this, &MonitorWindow::onDisarmClicked);
    connect(armButton_, &QToolButton::clicked, this, &MonitorWindow::onArmClicked);
    return armPanel_;
}

QWidget *MonitorWindow::createVolumeBlock()
{
    volumePanel_ = namedPanel(QStringLiteral("Panel2"), this);
    volumeLabel_ = namedLabel(QStringLiteral("Label2"), QString(), volumePanel_);
    volumeLabel_->setFont(boldFont(font(), 0));
    volumeLabel_->setMinimumWidth(volumeLabel_->fontMetrics().horizontalAdvance(QStringLiteral("Volume: 10 ")));
    volumeSlider_ = new QSlider(Qt::Horizontal, volumePanel_);
    volumeSlider_->setObjectName(QStringLiteral("TrackBar1"));
    volumeSlider_->setRange(0, 10);
    volumeSlider_->setPageStep(1);
    volumeSlider_->setTickInterval(1);
    volumeSlider_->setTickPosition(QSlider::TicksBelow);
    volumeSlider_->setValue(5);
    setVolumeLabel(volumeSlider_->value());
    volumeSlider_->installEventFilter(this);
    connect(volumeSlider_, &QSlider::valueChanged, this, &MonitorWindow::onVolumeSliderMoved);

    auto *layout = new QHBoxLayout(volumePanel_);
    layout->setContentsMargins(10, 6, 10, 6);
    layout->addWidget(volumeLabel_);
    layout->addWidget(volumeSlider_, 1);
    return volumePanel_;
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
    if (watched == volumeSlider_ && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        // No status answer may move the slider under the user's hand.
        if (event->type() == QEvent::MouseButtonPress) {
            session_.poll.pollingEnabled = false;
        } else {
            volumeSendTimer_->start();
            session_.poll.pollingEnabled = true;
        }
    }
    return QWidget::eventFilter(watched, event);
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
    session_.poll.tick();
}

void MonitorWindow::onVolumeSendDelay()
{
    volumeSendTimer_->stop();
    const auto position = static_cast<std::uint8_t>(volumeSlider_->value());
    session_.link.queueVolumeArming(position, session_.status.armed, false);
    session_.status.volume = position;
}

// ---- controls -----------------------------------------------------------------------

void MonitorWindow::setVolumePosition(int position)
{
    volumeSlider_->setValue(position);
}

void MonitorWindow::sendVolumeSoon()
{
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
    onRefreshClicked();
}

void MonitorWindow::onRefreshClicked()
{
    session_.link.queueDeviceInformation(); // runs the link check first
}

void MonitorWindow::onLocatorClicked()
{
    session_.link.queueLocator();
}

void MonitorWindow::onSetupClicked()
{
    if (runModal(setupWindow_))
        resumeAfterSecondaryWindow();
}

void MonitorWindow::onAudioEditorClicked()
{
    if (!runModal(audioEditorWindow_))
        return;
    const bool resumed = session_.status.statusValid;
    resumeAfterSecondaryWindow();
    if (resumed)
        setStatusLine(QString());
}

bool MonitorWindow::runModal(QDialog *window)
{
    if (!window || session_.link.busy)
        return false;
    session_.poll.pollingEnabled = false;
    window->exec();
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

// ---- MonitorView --------------------------------------------------------------------

QString MonitorWindow::statusLine() const
{
    return channelBar_->panelText(0);
}

void MonitorWindow::setStatusLine(const QString &text)
{
    channelBar_->setPanelText(0, text);
}

void MonitorWindow::setModelText(const QString &text)
{
    modelLabel_->setText(text);
}

void MonitorWindow::setModelColor(const QColor &color)
{
    setTextColor(modelLabel_, color);
}

void MonitorWindow::setLocationText(const QString &text)
{
    locationLabel_->setText(text);
}

void MonitorWindow::setLocationColor(const QColor &color)
{
    setTextColor(locationLabel_, color);
}

void MonitorWindow::setRssiText(const QString &text)
{
    rssiLabel_->setText(text);
}

void MonitorWindow::setMacText(const QString &text)
{
    addressBar_->setPanelText(0, text);
}

void MonitorWindow::setAddressText(const QString &text)
{
    addressBar_->setPanelText(1, text);
}

void MonitorWindow::setFirmwareText(const QString &text)
{
    channelBar_->setPanelText(1, text);
}

void MonitorWindow::setDeviceModeText(const QString &text)
{
    modeBar_->setPanelText(0, text);
}

void MonitorWindow::setSdText(const QString &text)
{
    modeBar_->setPanelText(1, text);
}

void MonitorWindow::appendLog(const QString &line)
{
    qCInfo(zorLink).noquote() << line; // the hidden list is never shown: QT_LOGGING_RULES shows it
    logList_->appendPlainText(line);
}

void MonitorWindow::showRelayAndInputs(std::uint8_t relayBits, std::uint8_t inputBits)
{
    const bool relayOn = relayBits & 1;
    relayShape_->setColors(relayOn ? relayOnColor_ : offFillColor_, relayOn ? relayOnColor_ : offOutlineColor_);
    relayButton_->setText(relayOn ? QStringLiteral("Relay On") : RelayOffCaption);
    for (int k = 0; k < 6; ++k) {
        const bool active = inputBits & (1u << k);
        inputShapes_[k]->setColors(active ? inputActiveColor_ : offFillColor_, active ? inputActiveColor_ : offOutlineColor_);
    }
}

void MonitorWindow::setVolumeLabel(int volume)
{
    volumeLabel_->setText(QStringLiteral("Volume: ") + QString::number(volume));
}

void MonitorWindow::showVolume(std::uint8_t volume)
{
    volumeSlider_->setValue(volume); // runs the change handler when the position moves
    setVolumeLabel(volume);
}

void MonitorWindow::showArmed(bool armed)
{
    disarmButton_->setVisible(armed);
    armButton_->setVisible(!armed);
}

void MonitorWindow::enableForModel(std::uint8_t modelCode)
{
    if (modelCode != ModelZor06 && modelCode != ModelZor04Rtu)
        return;
    const bool sixInputs = modelCode == ModelZor06;
    for (int k = 0; k < 6; ++k)
        inputLabels_[k]->setEnabled(k < 4 || sixInputs);
    inputShapes_[4]->setEnabled(sixInputs);
    inputShapes_[5]->setEnabled(sixInputs);
    for (QWidget *control : std::initializer_list<QWidget *>{relayButton_, setupImage_, refreshImage_, locatorImage_, armButton_})
        control->setEnabled(true);
}

void MonitorWindow::showNoDevice()
{
    for (QWidget *control : inputLabels_)
        control->setEnabled(false);
    for (QWidget *control : std::initializer_list<QWidget *>{relayButton_, setupImage_, locatorImage_})
        control->setEnabled(false);
    rssiLabel_->setText(RssiCaption);
    setTextColor(rssiLabel_, QColor(255, 64, 129));
    modelLabel_->clear();
    locationLabel_->clear();
}

void MonitorWindow::repaintNow()
{
    repaint();
}
