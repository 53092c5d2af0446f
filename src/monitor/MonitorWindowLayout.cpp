// The monitor window's controls and how they are laid out.
#include "MonitorWindow.h"

#include "ClickableImage.h"
#include "IndicatorShape.h"
#include "LinkStateIndicator.h"
#include "MonitorIcons.h"
#include "MonitorWidgets.h"
#include "StatusPanels.h"
#include "UnitSession.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSlider>
#include <QTimer>
#include <QToolButton>

using namespace MonitorWidgets;

namespace {
constexpr int ImageSize = 26;
constexpr int LogLineLimit = 5000; // the hidden log is never read back; keep a long run bounded
} // namespace

void MonitorWindow::createControls()
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(6, 4, 6, 4);
    createMenu();
    root->setMenuBar(menuBar_);
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
    linkState_ = new LinkStateIndicator(this);
    bars->addWidget(linkState_);
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

    setTabOrder();

    volumeSendTimer_ = new QTimer(this);
    volumeSendTimer_->setObjectName(QStringLiteral("Timer1"));
    volumeSendTimer_->setInterval(session_.timing.volumeSendDelayMs);
    volumeSendTimer_->setSingleShot(true);
    connect(volumeSendTimer_, &QTimer::timeout, this, &MonitorWindow::onVolumeSendDelay);
}

void MonitorWindow::setTabOrder()
{
    // Top to bottom, left to right, as the window shows them.
    QWidget *const order[] = {setupImage_, refreshImage_, locatorImage_, addressEdit_, staticIpButton_,
                              audioEditorImage_, relayButton_, disarmButton_, armButton_, volumeSlider_};
    for (std::size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void MonitorWindow::createMenu()
{
    // Beyond the unit's own controls, so it sits above them and moves none of them.
    menuBar_ = new QMenuBar(this);
    menuBar_->setObjectName(QStringLiteral("MenuBar"));
    QAction *units = menuBar_->addAction(QStringLiteral("Units…"));
    units->setObjectName(QStringLiteral("UnitsAction"));
    connect(units, &QAction::triggered, this, &MonitorWindow::onUnitsClicked);
    QAction *log = menuBar_->addAction(QStringLiteral("Log…"));
    log->setObjectName(QStringLiteral("LogAction"));
    connect(log, &QAction::triggered, this, &MonitorWindow::onLogClicked);
}

void MonitorWindow::setReportAction(std::function<void()> make)
{
    QAction *report = menuBar_->addAction(QStringLiteral("Commissioning report…"));
    report->setObjectName(QStringLiteral("ReportAction"));
    connect(report, &QAction::triggered, this, [this, make = std::move(make)] {
        if (session_.link.busy)
            return;
        // The report reads the unit itself: the poll loop keeps out of its exchanges, as for the modal windows.
        const bool polling = session_.poll.pollingEnabled;
        session_.poll.pollingEnabled = false;
        make();
        session_.poll.pollingEnabled = polling;
    });
}

QWidget *MonitorWindow::createStatusBlock()
{
    statusGroup_ = new QGroupBox(QStringLiteral("Status"), this);
    statusGroup_->setObjectName(QStringLiteral("GroupBox3"));

    modelLabel_ = namedLabel(QStringLiteral("Label4"), QString(), statusGroup_);
    modelLabel_->setFont(boldFont(font(), 6));
    setTextColor(modelLabel_, Qt::red);
    locationLabel_ = namedLabel(QStringLiteral("Label5"), QString(), statusGroup_);
    locationLabel_->setTextFormat(Qt::PlainText); // the unit's text, never markup
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
    addressEdit_->setAccessibleName(QStringLiteral("Device IP"));
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
    volumeSlider_->setAccessibleName(QStringLiteral("Volume"));
    setVolumeLabel(volumeSlider_->value());
    volumeSlider_->installEventFilter(this);
    connect(volumeSlider_, &QSlider::valueChanged, this, &MonitorWindow::onVolumeSliderMoved);

    auto *layout = new QHBoxLayout(volumePanel_);
    layout->setContentsMargins(10, 6, 10, 6);
    layout->addWidget(volumeLabel_);
    layout->addWidget(volumeSlider_, 1);
    return volumePanel_;
}
