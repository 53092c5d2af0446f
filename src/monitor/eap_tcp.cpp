#include "eap_tcp.h"

#include "ClickableImage.h"
#include "Commands.h"
#include "Dialogs.h"
#include "IndicatorShape.h"
#include "MonitorDisplay.h"
#include "MonitorIcons.h"
#include "ScratchFolder.h"
#include "StatusPanels.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QSlider>
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

TForm1::TForm1(AdapterSource &adapters, Dialogs &dialogs, const Timing &timing, QWidget *parent)
    : QWidget(parent)
    , timing_(timing)
    , link_(status_, *this, dialogs, timing_)
    , transfer_(link_)
    , discovery_(link_, adapters)
    , poll_(link_, discovery_)
    , dialogs_(dialogs)
    , workingFolder_(QDir::currentPath())
{
    link_.linkCheck = [this] { return discovery_.CheckLink(); };

    setObjectName(QStringLiteral("Form1"));
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
    resetDisplay(status_, *this);
    ScratchFolder::removeIfMarked(ScratchFolder::pathIn(workingFolder_));
    Timer3->start();
}

void TForm1::setSecondaryWindows(QDialog *setupWindow, QDialog *audioEditorWindow)
{
    setupWindow_ = setupWindow;
    audioEditorWindow_ = audioEditorWindow;
}

// ---- layout -------------------------------------------------------------------------

void TForm1::createControls()
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

    StatusBar3 = new StatusPanels(QStringLiteral("StatusBar3"), 1, 1, this);
    StatusBar2 = new StatusPanels(QStringLiteral("StatusBar2"), 3, 2, this);
    StatusBar1 = new StatusPanels(QStringLiteral("StatusBar1"), 3, 2, this);
    auto *bars = new QVBoxLayout;
    bars->setSpacing(1);
    for (StatusPanels *bar : {StatusBar3, StatusBar2, StatusBar1})
        bars->addWidget(bar);
    root->addLayout(bars);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setMaximumBlockCount(LogLineLimit);
    Memo1->hide();

    Timer3 = new QTimer(this);
    Timer3->setObjectName(QStringLiteral("Timer3"));
    Timer3->setInterval(timing_.pollTickMs);
    connect(Timer3, &QTimer::timeout, this, &TForm1::Timer3Timer);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(timing_.volumeSendDelayMs);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &TForm1::Timer1Timer);
}

QWidget *TForm1::createStatusBlock()
{
    GroupBox3 = new QGroupBox(QStringLiteral("Status"), this);
    GroupBox3->setObjectName(QStringLiteral("GroupBox3"));

    Label4 = namedLabel(QStringLiteral("Label4"), QString(), GroupBox3);
    Label4->setFont(boldFont(font(), 6));
    setTextColor(Label4, Qt::red);
    Label5 = namedLabel(QStringLiteral("Label5"), QString(), GroupBox3);
    Label5->setFont(boldFont(font(), 2));
    for (QLabel *label : {Label4, Label5}) {
        label->setMinimumWidth(1);
        label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    }
    Label12 = namedLabel(QStringLiteral("Label12"), RssiCaption, GroupBox3);

    Image1 = new ClickableImage(QStringLiteral("Image1"), QStringLiteral("Setup"), MonitorIcons::setup(ImageSize), GroupBox3);
    Image2 = new ClickableImage(QStringLiteral("Image2"), QStringLiteral("Refresh"), MonitorIcons::refresh(ImageSize), GroupBox3);
    Image3 = new ClickableImage(QStringLiteral("Image3"), QStringLiteral("Find me"), MonitorIcons::locator(ImageSize), GroupBox3);
    connect(Image1, &ClickableImage::clicked, this, &TForm1::Image1Click);
    connect(Image2, &ClickableImage::clicked, this, &TForm1::Image2Click);
    connect(Image3, &ClickableImage::clicked, this, &TForm1::Image3Click);

    Label6 = namedLabel(QStringLiteral("Label6"), QStringLiteral("Device  IP:"), GroupBox3);
    Edit2 = new QLineEdit(GroupBox3);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    SpeedButton5 = namedButton(QStringLiteral("SpeedButton5"), QStringLiteral("Static IP"), GroupBox3);
    connect(SpeedButton5, &QToolButton::clicked, this, &TForm1::SpeedButton5Click);

    auto *images = new QHBoxLayout;
    images->setSpacing(10);
    images->addWidget(Label12, 1);
    for (ClickableImage *image : {Image1, Image2, Image3})
        images->addWidget(image);

    auto *address = new QHBoxLayout;
    address->addWidget(Label6);
    address->addWidget(Edit2, 1);
    address->addWidget(SpeedButton5);

    auto *layout = new QVBoxLayout(GroupBox3);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->setSpacing(6);
    layout->addWidget(Label4);
    layout->addWidget(Label5);
    layout->addLayout(images);
    layout->addLayout(address);
    return GroupBox3;
}

QWidget *TForm1::createInputBlock()
{
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    Label14 = namedLabel(QStringLiteral("Label14"), QStringLiteral("DI Input"), GroupBox1);
    Label14->setFont(boldFont(font(), 0));
    Image5 = new ClickableImage(QStringLiteral("Image5"), QStringLiteral("Audio Configuration"),
                                MonitorIcons::audioConfiguration(ImageSize), GroupBox1);
    connect(Image5, &ClickableImage::clicked, this, &TForm1::Image5Click);

    const QString labelNames[6] = {QStringLiteral("Label1"), QStringLiteral("Label21"), QStringLiteral("Label7"),
                                   QStringLiteral("Label13"), QStringLiteral("Label15"), QStringLiteral("Label16")};
    const QString shapeNames[6] = {QStringLiteral("Shape6"), QStringLiteral("Shape2"), QStringLiteral("Shape3"),
                                   QStringLiteral("Shape4"), QStringLiteral("Shape5"), QStringLiteral("Shape7")};
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(3);
    for (int k = 0; k < 6; ++k) {
        inputLabels_[k] = namedLabel(labelNames[k], QStringLiteral("DI") + QString::number(k + 1), GroupBox1);
        inputLabels_[k]->setAlignment(Qt::AlignCenter);
        inputShapes_[k] = new IndicatorShape(shapeNames[k], GroupBox1);
        inputShapes_[k]->setToolTip(QStringLiteral("DI0"));
        inputShapes_[k]->setFixedSize(38, 14);
        grid->addWidget(inputLabels_[k], 0, k, Qt::AlignHCenter);
        grid->addWidget(inputShapes_[k], 1, k, Qt::AlignHCenter);
    }
    Label1 = inputLabels_[0];
    Label21 = inputLabels_[1];
    Label7 = inputLabels_[2];
    Label13 = inputLabels_[3];
    Label15 = inputLabels_[4];
    Label16 = inputLabels_[5];
    Shape6 = inputShapes_[0];
    Shape2 = inputShapes_[1];
    Shape3 = inputShapes_[2];
    Shape4 = inputShapes_[3];
    Shape5 = inputShapes_[4];
    Shape7 = inputShapes_[5];

    auto *title = new QHBoxLayout;
    title->addWidget(Label14, 1);
    title->addWidget(Image5);
    auto *layout = new QVBoxLayout(GroupBox1);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->setSpacing(4);
    layout->addLayout(title);
    layout->addLayout(grid);
    return GroupBox1;
}

QWidget *TForm1::createRelayBlock()
{
    Panel1 = namedPanel(QStringLiteral("Panel1"), this);
    Label8 = namedLabel(QStringLiteral("Label8"), QStringLiteral("Relay Output"), Panel1);
    Label8->setFont(boldFont(font(), 0));
    Shape1 = new IndicatorShape(QStringLiteral("Shape1"), Panel1);
    Shape1->setFixedSize(96, 14);
    SpeedButton4 = namedButton(QStringLiteral("SpeedButton4"), RelayOffCaption, Panel1);
    SpeedButton4->setFixedWidth(96);
    connect(SpeedButton4, &QToolButton::clicked, this, &TForm1::SpeedButton4Click);

    auto *output = new QVBoxLayout;
    output->setSpacing(3);
    output->addWidget(Shape1, 0, Qt::AlignHCenter);
    output->addWidget(SpeedButton4, 0, Qt::AlignHCenter);
    auto *layout = new QHBoxLayout(Panel1);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->addWidget(Label8, 1);
    layout->addLayout(output);
    return Panel1;
}

QWidget *TForm1::createArmBlock()
{
    Panel3 = namedPanel(QStringLiteral("Panel3"), this);
    SpeedButton1 = namedButton(QStringLiteral("SpeedButton1"), QStringLiteral("Armed"), Panel3);
    SpeedButton1->setIcon(MonitorIcons::armed(24));
    SpeedButton1->setToolTip(QStringLiteral("Disarm"));
    SpeedButton2 = namedButton(QStringLiteral("SpeedButton2"), QStringLiteral("Disarmed"), Panel3);
    SpeedButton2->setIcon(MonitorIcons::disarmed(24));
    SpeedButton2->setToolTip(QStringLiteral("Arm"));
    auto *layout = new QHBoxLayout(Panel3);
    layout->setContentsMargins(6, 4, 6, 4);
    for (QToolButton *button : {SpeedButton1, SpeedButton2}) {
        button->setIconSize(QSize(24, 24));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        button->setAutoRaise(true);
        button->setFixedWidth(72);
        layout->addWidget(button);
    }
    SpeedButton1->hide();
    connect(SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm1::SpeedButton2Click);
    return Panel3;
}

QWidget *TForm1::createVolumeBlock()
{
    Panel2 = namedPanel(QStringLiteral("Panel2"), this);
    Label2 = namedLabel(QStringLiteral("Label2"), QString(), Panel2);
    Label2->setFont(boldFont(font(), 0));
    Label2->setMinimumWidth(Label2->fontMetrics().horizontalAdvance(QStringLiteral("Volume: 10 ")));
    TrackBar1 = new QSlider(Qt::Horizontal, Panel2);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setRange(0, 10);
    TrackBar1->setPageStep(1);
    TrackBar1->setTickInterval(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setValue(5);
    setVolumeLabel(TrackBar1->value());
    TrackBar1->installEventFilter(this);
    connect(TrackBar1, &QSlider::valueChanged, this, &TForm1::TrackBar1Change);

    auto *layout = new QHBoxLayout(Panel2);
    layout->setContentsMargins(10, 6, 10, 6);
    layout->addWidget(Label2);
    layout->addWidget(TrackBar1, 1);
    return Panel2;
}

// ---- window events ------------------------------------------------------------------

void TForm1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (firstActivationQueued_)
        return;
    firstActivationQueued_ = true;
    if (const QScreen *display = screen())
        move(display->availableGeometry().center() - rect().center());
    // Activation need not happen (no window manager, offscreen): the first show stands in for it,
    // once the window is up and the message loop runs.
    QMetaObject::invokeMethod(this, &TForm1::FormActivate, Qt::QueuedConnection);
}

void TForm1::FormActivate()
{
    if (firstActivationDone_)
        return;
    firstActivationDone_ = true;
    link_.expectedCode = 0;
    StatusBar1->setPanelText(1, QString());
    Edit2->setText(link_.deviceAddress);
    // The request is queued only after the link check passed, which also shows the address.
    if (!link_.queueDeviceInformation())
        dialogs_.messageBox(QStringLiteral("Please check device whether in AP mode!"), QStringLiteral("Device not found"),
                            Dialogs::Warning);
    showVolume(status_.volume);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == TrackBar1 && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        // No status answer may move the slider under the user's hand.
        if (event->type() == QEvent::MouseButtonPress) {
            poll_.pollingEnabled = false;
        } else {
            Timer1->start();
            poll_.pollingEnabled = true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- timers -------------------------------------------------------------------------

void TForm1::Timer3Timer()
{
    // Stopped while the tick runs: its exchanges keep the message loop running and must not
    // re-enter here. Restarted however the tick ends, also when an error escapes it.
    Timer3->stop();
    struct Restart {
        QTimer *timer;
        ~Restart() { timer->start(); }
    } restart{Timer3};
    poll_.tick();
}

void TForm1::Timer1Timer()
{
    Timer1->stop();
    const auto position = static_cast<std::uint8_t>(TrackBar1->value());
    link_.queueVolumeArming(position, status_.armed, false);
    status_.volume = position;
}

// ---- controls -----------------------------------------------------------------------

void TForm1::TrackBar1Change(int position)
{
    setVolumeLabel(position);
    emit volumePositionChanged(position);
    status_.volume = static_cast<std::uint8_t>(position);
}

void TForm1::SpeedButton4Click()
{
    const std::uint8_t newState = (status_.relayBits & 1) ? 0 : 1;
    link_.queueRelay(RelayOutput, newState);
    appendLog(QStringLiteral("Loop:") + QString::number(RelayOutput) + QStringLiteral(",Val:") + QString::number(newState));
}

void TForm1::SpeedButton1Click()
{
    queueArming(0);
}

void TForm1::SpeedButton2Click()
{
    queueArming(1);
}

void TForm1::queueArming(std::uint8_t armed)
{
    status_.armed = armed;
    refreshArmButtons(status_, *this);
    const auto position = static_cast<std::uint8_t>(TrackBar1->value());
    link_.queueVolumeArming(position, armed, true);
    status_.volume = position;
}

void TForm1::SpeedButton5Click()
{
    // An entry that does not convert throws; the error report shows it and nothing else happens.
    discovery_.ApplyStaticIp(Edit2->text());
    resetDisplay(status_, *this);
    Image2Click();
}

void TForm1::Image2Click()
{
    link_.queueDeviceInformation(); // runs the link check first
}

void TForm1::Image3Click()
{
    link_.queueLocator();
}

void TForm1::Image1Click()
{
    if (runModal(setupWindow_))
        resumeAfterSecondaryWindow();
}

void TForm1::Image5Click()
{
    if (!runModal(audioEditorWindow_))
        return;
    const bool resumed = status_.statusValid;
    resumeAfterSecondaryWindow();
    if (resumed)
        setStatusLine(QString());
}

bool TForm1::runModal(QDialog *window)
{
    if (!window || link_.busy)
        return false;
    poll_.pollingEnabled = false;
    window->exec();
    return true;
}

void TForm1::resumeAfterSecondaryWindow()
{
    // Without a valid status polling stays off until the volume slider is next released.
    if (!status_.statusValid)
        return;
    link_.queueDeviceInformation();
    poll_.pollingEnabled = true;
}

// ---- MonitorView --------------------------------------------------------------------

QString TForm1::statusLine() const
{
    return StatusBar2->panelText(0);
}

void TForm1::setStatusLine(const QString &text)
{
    StatusBar2->setPanelText(0, text);
}

void TForm1::setModelText(const QString &text)
{
    Label4->setText(text);
}

void TForm1::setModelColor(const QColor &color)
{
    setTextColor(Label4, color);
}

void TForm1::setLocationText(const QString &text)
{
    Label5->setText(text);
}

void TForm1::setLocationColor(const QColor &color)
{
    setTextColor(Label5, color);
}

void TForm1::setRssiText(const QString &text)
{
    Label12->setText(text);
}

void TForm1::setMacText(const QString &text)
{
    StatusBar1->setPanelText(0, text);
}

void TForm1::setAddressText(const QString &text)
{
    StatusBar1->setPanelText(1, text);
}

void TForm1::setFirmwareText(const QString &text)
{
    StatusBar2->setPanelText(1, text);
}

void TForm1::setDeviceModeText(const QString &text)
{
    StatusBar3->setPanelText(0, text);
}

void TForm1::setSdText(const QString &text)
{
    StatusBar3->setPanelText(1, text);
}

void TForm1::appendLog(const QString &line)
{
    Memo1->appendPlainText(line);
}

void TForm1::showRelayAndInputs(std::uint8_t relayBits, std::uint8_t inputBits)
{
    const bool relayOn = relayBits & 1;
    Shape1->setColors(relayOn ? relayOnColor_ : offFillColor_, relayOn ? relayOnColor_ : offOutlineColor_);
    SpeedButton4->setText(relayOn ? QStringLiteral("Relay On") : RelayOffCaption);
    for (int k = 0; k < 6; ++k) {
        const bool active = inputBits & (1u << k);
        inputShapes_[k]->setColors(active ? inputActiveColor_ : offFillColor_, active ? inputActiveColor_ : offOutlineColor_);
    }
}

void TForm1::setVolumeLabel(int volume)
{
    Label2->setText(QStringLiteral("Volume: ") + QString::number(volume));
}

void TForm1::showVolume(std::uint8_t volume)
{
    TrackBar1->setValue(volume); // runs the change handler when the position moves
    setVolumeLabel(volume);
}

void TForm1::showArmed(bool armed)
{
    SpeedButton1->setVisible(armed);
    SpeedButton2->setVisible(!armed);
}

void TForm1::enableForModel(std::uint8_t modelCode)
{
    if (modelCode != ModelZor06 && modelCode != ModelZor04Rtu)
        return;
    const bool sixInputs = modelCode == ModelZor06;
    for (int k = 0; k < 6; ++k)
        inputLabels_[k]->setEnabled(k < 4 || sixInputs);
    inputShapes_[4]->setEnabled(sixInputs);
    inputShapes_[5]->setEnabled(sixInputs);
    for (QWidget *control : std::initializer_list<QWidget *>{SpeedButton4, Image1, Image2, Image3, SpeedButton2})
        control->setEnabled(true);
}

void TForm1::showNoDevice()
{
    for (QWidget *control : inputLabels_)
        control->setEnabled(false);
    for (QWidget *control : std::initializer_list<QWidget *>{SpeedButton4, Image1, Image3})
        control->setEnabled(false);
    Label12->setText(RssiCaption);
    setTextColor(Label12, QColor(255, 64, 129));
    Label4->clear();
    Label5->clear();
}

void TForm1::repaintNow()
{
    repaint();
}
