// The audio editor's controls and how they are laid out.
#include "AudioEditorWindow.h"

#include "ClipText.h"
#include "InputRowLayout.h"
#include "KeyboardButton.h"
#include "StatusGauge.h"
#include "UnitSession.h"

#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
constexpr int gridRowHeight = 22;
constexpr int initialVolume = 4;

// Header row in the menu colour with black text, clip rows white with blue text; text
// centred and 2 pixels below the cell's top.
class GridCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        painter->save();
        painter->fillRect(option.rect, option.state & QStyle::State_Selected ? option.palette.highlight() : QBrush(Qt::white));
        painter->setPen(option.state & QStyle::State_Selected ? option.palette.highlightedText().color() : QColor(Qt::blue));
        painter->drawText(option.rect.adjusted(0, 2, 0, 0), Qt::AlignHCenter | Qt::AlignTop, index.data().toString());
        painter->restore();
    }
};

QToolButton *namedButton(const QString &name, const QString &caption, const QString &hint, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(name);
    button->setText(caption);
    button->setToolTip(hint);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    makeKeyboardButton(button);
    return button;
}

QRadioButton *namedRadio(const QString &name, const QString &caption, QWidget *parent)
{
    auto *radio = new QRadioButton(caption, parent);
    radio->setObjectName(name);
    return radio;
}
} // namespace

void AudioEditorWindow::createControls()
{
    // Where the window is smaller than its content needs, the content scrolls; the status
    // bar stays in sight.
    auto *content = new QWidget;
    auto *columns = new QHBoxLayout(content);
    columns->setContentsMargins(6, 6, 6, 0);
    auto *left = new QVBoxLayout;
    left->addWidget(createJobBlock());
    left->addWidget(createAudioBlock(), 1);
    columns->addLayout(left);
    columns->addWidget(createAlarmBlock(), 1);
    auto *area = new QScrollArea(this);
    area->setObjectName(QStringLiteral("EditorArea"));
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus); // a frame around the controls, not a stop of its own
    area->setWidgetResizable(true);
    area->setWidget(content);

    log_ = new QPlainTextEdit(this);
    log_->setObjectName(QStringLiteral("Memo1"));
    log_->setReadOnly(true);
    log_->setVisible(false);
    // Diagnostic, kept out of sight as it always was.
    auto *workFolderCheck = namedButton(QStringLiteral("SpeedButton10"), QString(), QString(), this);
    workFolderCheck->setVisible(false);
    connect(workFolderCheck, &QToolButton::clicked, this, &AudioEditorWindow::onWorkFolderCheckClicked);

    statusBar_ = new QStatusBar(this);
    statusBar_->setObjectName(QStringLiteral("StatusBar1"));
    statusBar_->setSizeGripEnabled(false);
    statusText_ = new QLabel(statusBar_);
    gauge_ = new StatusGauge(statusBar_);
    statusBar_->addWidget(statusText_);
    statusBar_->addWidget(gauge_, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(area, 1);
    layout->addWidget(statusBar_);
    showVolumePosition(session_.status.volume);
    rows_.onEdited = [this] { store_.markEdited(); };
    setTabOrderByLayout();
}

void AudioEditorWindow::setTabOrderByLayout()
{
    QList<QWidget *> chain{projectJobRadio_, deviceJobRadio_, writeDeviceButton_, readDeviceButton_, volumeSlider_,
                           loadProjectButton_, saveProjectButton_, grid_, playButton_, stopButton_, deleteButton_,
                           playSourceRadio_, playProjectRadio_, playDeviceRadio_, modeSelector_, testInputSelector_,
                           channelTestButton_, stopTestButton_};
    chain += rows_.focusChain();
    for (qsizetype i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

QWidget *AudioEditorWindow::createJobBlock()
{
    auto *block = new QWidget(this);
    auto *jobGroup = new QGroupBox(QStringLiteral("(1)Select Job"), block);
    projectJobRadio_ = namedRadio(QStringLiteral("RadioButton5"), QStringLiteral("Edit Project"), jobGroup);
    deviceJobRadio_ = namedRadio(QStringLiteral("RadioButton4"), QStringLiteral("Edit Device"), jobGroup);
    projectJobRadio_->setChecked(true);
    // Only a change of job switches: a click on the job already chosen keeps the rows.
    connect(projectJobRadio_, &QRadioButton::toggled, this, [this](bool chosen) {
        if (chosen)
            onProjectJobSelected();
    });
    connect(deviceJobRadio_, &QRadioButton::toggled, this, [this](bool chosen) {
        if (chosen)
            onDeviceJobSelected();
    });
    auto *jobLayout = new QHBoxLayout(jobGroup);
    jobLayout->addWidget(projectJobRadio_);
    jobLayout->addWidget(deviceJobRadio_);

    writeDeviceButton_ = namedButton(QStringLiteral("SpeedButton1"), QStringLiteral("Write Device"),
                                     QStringLiteral("Write config to Device"), block);
    writeDeviceButton_->setIcon(style()->standardIcon(QStyle::SP_ArrowUp));
    readDeviceButton_ = namedButton(QStringLiteral("SpeedButton2"), QStringLiteral("Read Device"),
                                    QStringLiteral("Read back Device config"), block);
    readDeviceButton_->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    connect(writeDeviceButton_, &QToolButton::clicked, this, &AudioEditorWindow::onWriteDeviceClicked);
    connect(readDeviceButton_, &QToolButton::clicked, this, &AudioEditorWindow::onReadDeviceClicked);

    auto *volumeCaption = new QLabel(QStringLiteral("Volume"), block);
    volumeSlider_ = new QSlider(Qt::Horizontal, block);
    volumeSlider_->setObjectName(QStringLiteral("TrackBar1"));
    volumeSlider_->setToolTip(QStringLiteral("Set Output Volume"));
    volumeSlider_->setRange(0, 10);
    volumeSlider_->setPageStep(1);
    volumeSlider_->setTickInterval(1);
    volumeSlider_->setTickPosition(QSlider::TicksBothSides);
    volumeSlider_->setValue(initialVolume);
    volumeSlider_->installEventFilter(this);
    volumeLabel_ = new QLabel(QString::number(initialVolume), block);
    volumeLabel_->setObjectName(QStringLiteral("Label112"));
    volumeLabel_->setToolTip(QStringLiteral("Set Output Volume"));
    connect(volumeSlider_, &QSlider::valueChanged, this, &AudioEditorWindow::onVolumeMoved);

    auto *projectPanel = new QWidget(block);
    activeDirLabel_ = new QLabel(projectPanel);
    activeDirLabel_->setObjectName(QStringLiteral("Label115"));
    loadProjectButton_ = namedButton(QStringLiteral("SpeedButton7"), QStringLiteral("Load Project"),
                                     QStringLiteral("Load project config"), projectPanel);
    loadProjectButton_->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    saveProjectButton_ = namedButton(QStringLiteral("SpeedButton9"), QStringLiteral("Save Project"),
                                     QStringLiteral("Save project config"), projectPanel);
    saveProjectButton_->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    connect(loadProjectButton_, &QToolButton::clicked, this, &AudioEditorWindow::onLoadProjectClicked);
    connect(saveProjectButton_, &QToolButton::clicked, this, &AudioEditorWindow::onSaveProjectClicked);
    auto *projectLayout = new QGridLayout(projectPanel);
    projectLayout->setContentsMargins(0, 0, 0, 0);
    projectLayout->addWidget(new QLabel(QStringLiteral("Project Dir:"), projectPanel), 0, 0);
    projectLayout->addWidget(activeDirLabel_, 0, 1, 1, 3);
    projectLayout->addWidget(loadProjectButton_, 1, 0, 1, 2);
    projectLayout->addWidget(saveProjectButton_, 1, 2, 1, 2);
    projectLayout->setColumnStretch(3, 1);

    auto *layout = new QGridLayout(block);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(jobGroup, 0, 0, 1, 2);
    layout->addWidget(writeDeviceButton_, 0, 2);
    layout->addWidget(readDeviceButton_, 0, 3);
    layout->addWidget(volumeCaption, 1, 0);
    layout->addWidget(volumeSlider_, 1, 1, 1, 2);
    layout->addWidget(volumeLabel_, 1, 3);
    layout->addWidget(projectPanel, 2, 0, 1, 4);
    return block;
}

QWidget *AudioEditorWindow::createAudioBlock()
{
    auto *group = new QGroupBox(QStringLiteral("(2)Add Audio"), this);
    // Qt's header stands for the fixed row 0; table row i is clip i + 1.
    grid_ = new QTableWidget(maxClipNumber, 2, group);
    grid_->setObjectName(QStringLiteral("StringGrid1"));
    grid_->setHorizontalHeaderLabels({QStringLiteral("File No."), QStringLiteral("Real File Name")});
    grid_->horizontalHeader()->setStyleSheet(QStringLiteral("QHeaderView::section { background: palette(window); color: black; }"));
    grid_->verticalHeader()->setVisible(false);
    grid_->verticalHeader()->setDefaultSectionSize(gridRowHeight);
    grid_->setColumnWidth(0, 60);
    grid_->setColumnWidth(1, 374);
    grid_->setFixedWidth(60 + 374 + 22);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setItemDelegate(new GridCellDelegate(grid_));
    grid_->setTabKeyNavigation(false); // Tab leaves the grid; the arrows walk its rows
    grid_->installEventFilter(this);   // Enter and F2 add a clip
    for (int row = 0; row < maxClipNumber; ++row) {
        grid_->setItem(row, 0, new QTableWidgetItem(clipText(row + 1)));
        grid_->setItem(row, 1, new QTableWidgetItem);
    }
    grid_->setCurrentCell(0, 1); // "Play Audio" and "Delete audio file list" act at once
    connect(grid_, &QTableWidget::cellDoubleClicked, this, &AudioEditorWindow::onGridDoubleClicked);

    playButton_ = namedButton(QStringLiteral("SpeedButton4"), QString(), QStringLiteral("Play Audio"), group);
    playButton_->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    stopButton_ = namedButton(QStringLiteral("SpeedButton5"), QString(), QStringLiteral("Stop Audio"), group);
    stopButton_->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    deleteButton_ = namedButton(QStringLiteral("SpeedButton6"), QString(), QStringLiteral("Delete audio file list"), group);
    deleteButton_->setIcon(style()->standardIcon(QStyle::SP_TrashIcon));
    connect(playButton_, &QToolButton::clicked, this, &AudioEditorWindow::onPlayClicked);
    connect(stopButton_, &QToolButton::clicked, this, &AudioEditorWindow::onStopClicked);
    connect(deleteButton_, &QToolButton::clicked, this, &AudioEditorWindow::onDeleteAudioClicked);
    playSourceRadio_ = namedRadio(QStringLiteral("RadioButton1"), QStringLiteral("Play Source"), group);
    playProjectRadio_ = namedRadio(QStringLiteral("RadioButton2"), QStringLiteral("Play Project"), group);
    playDeviceRadio_ = namedRadio(QStringLiteral("RadioButton3"), QStringLiteral("Play Device"), group);
    playSourceRadio_->setChecked(true);

    auto *buttons = new QHBoxLayout;
    for (QWidget *widget : std::initializer_list<QWidget *>{playButton_, stopButton_, deleteButton_, playSourceRadio_,
                                                             playProjectRadio_, playDeviceRadio_})
        buttons->addWidget(widget);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(group);
    layout->addWidget(grid_, 1);
    layout->addLayout(buttons);
    return group;
}

QWidget *AudioEditorWindow::createAlarmBlock()
{
    auto *group = new QGroupBox(QStringLiteral("(3)Alarm Config"), this);
    modeSelector_ = new QComboBox(group);
    modeSelector_->setObjectName(QStringLiteral("ComboBox1"));
    modeSelector_->setToolTip(QStringLiteral("Select Alarm Mode"));
    for (int mode = 0; mode < offeredModes; ++mode)
        modeSelector_->addItem(QString::number(mode));
    connect(modeSelector_, &QComboBox::currentIndexChanged, this, &AudioEditorWindow::onModeChosen);

    firstGroup_ = new QGroupBox(group);
    firstGroup_->setObjectName(QStringLiteral("GroupBox1"));
    auto *firstLayout = new QVBoxLayout(firstGroup_);
    firstLayout->setSpacing(0);
    firstLayout->addWidget(rows_.createHeader(firstGroup_));
    binaryGroup_ = new QGroupBox(QStringLiteral("Mode 4-7, Binary Input(bI7~bI31) && DI6"), group);
    binaryGroup_->setObjectName(QStringLiteral("GroupBox2"));
    scrollBox_ = new QScrollArea(binaryGroup_);
    scrollBox_->setObjectName(QStringLiteral("ScrollBox1"));
    scrollBox_->setWidgetResizable(true);
    scrollBox_->viewport()->installEventFilter(this);
    scrollBox_->setFocusPolicy(Qt::ClickFocus); // Tab goes to its rows, which scroll into sight
    auto *scrolled = new QWidget;
    auto *scrolledLayout = new QVBoxLayout(scrolled);
    scrolledLayout->setSpacing(0);
    scrolledLayout->setContentsMargins(0, 0, 0, 0); // rows line up with the first group's
    auto *binaryLayout = new QVBoxLayout(binaryGroup_);
    binaryLayout->setSpacing(0);
    binaryLayout->addWidget(rows_.createHeader(binaryGroup_, scrollBox_->frameWidth()));
    binaryLayout->addWidget(scrollBox_);

    const InputLayout binaryCaptions = ::applyInputLayout(4, sixInputModelCode);
    for (int row = 0; row < inputRowCount; ++row) {
        const bool first = row < firstGroupRowCount;
        QWidget *panel = rows_.createRow(row, first ? static_cast<QWidget *>(firstGroup_) : scrolled);
        (first ? firstLayout : scrolledLayout)->addWidget(panel);
        if (!first)
            rows_.setCaption(row, binaryCaptions.rowCaptions[row]); // fixed in this group
    }
    scrolledLayout->addStretch(1);
    scrollBox_->setWidget(scrolled);
    // The rows scroll up and down only: the box is as wide as a row and its scroll bar.
    scrollBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollBox_->setMinimumWidth(scrolled->minimumSizeHint().width() + scrollBox_->verticalScrollBar()->sizeHint().width()
                                + 2 * scrollBox_->frameWidth());
    scrollBox_->verticalScrollBar()->setSingleStep(scrolled->layout()->itemAt(0)->sizeHint().height());
    // Every part of the box scrolls it: a turn over a row's control must not be lost.
    scrolled->installEventFilter(this);
    for (QWidget *part : scrolled->findChildren<QWidget *>())
        part->installEventFilter(this);

    testInputSelector_ = new QComboBox(group);
    testInputSelector_->setObjectName(QStringLiteral("ComboBox74"));
    testInputSelector_->setToolTip(QStringLiteral("Select the Input to test"));
    channelTestButton_ = namedButton(QStringLiteral("SpeedButton3"), QStringLiteral("Channel test"),
                                     QStringLiteral("Test the trigger Input after write setting to Device"), group);
    channelTestButton_->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    stopTestButton_ = namedButton(QStringLiteral("SpeedButton8"), QString(), QStringLiteral("Stop Test"), group);
    stopTestButton_->setIcon(style()->standardIcon(QStyle::SP_MediaStop));
    channelTestButton_->setEnabled(false);
    stopTestButton_->setEnabled(false);
    connect(channelTestButton_, &QToolButton::clicked, this, &AudioEditorWindow::onChannelTestClicked);
    connect(stopTestButton_, &QToolButton::clicked, this, &AudioEditorWindow::onStopTestClicked);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Alarm Mode"), group));
    top->addWidget(modeSelector_);
    top->addStretch(1);
    top->addWidget(testInputSelector_);
    top->addWidget(channelTestButton_);
    top->addWidget(stopTestButton_);
    auto *layout = new QVBoxLayout(group);
    layout->addLayout(top);
    layout->addWidget(firstGroup_);
    layout->addWidget(binaryGroup_, 1);
    layout->addStretch(0); // takes the room while the binary group is hidden
    applyInputLayout(0);
    return group;
}
