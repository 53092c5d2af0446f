// The setup window's controls, named and placed as laid out.
#include "SetupWindow.h"

#include "ClickableImage.h"
#include "FlashGauge.h"
#include "SetupIcons.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTimer>

namespace {

constexpr int ApplyImageSize = 24;
constexpr QSize WideImageSize(178, 29);
constexpr int EditX = 92;
constexpr int EditWidth = 200;
constexpr int RowHeight = 21;
constexpr int ModbusTcpTop = 116;
constexpr int ModbusRtuTop = 194;

template <typename Widget>
Widget *named(Widget *widget, const QString &name)
{
    widget->setObjectName(name);
    return widget;
}

QLabel *addLabel(QWidget *parent, const QString &name, const QString &text, const QPoint &at)
{
    auto *label = named(new QLabel(text, parent), name);
    label->setGeometry(QRect(at, QSize(EditX - 12, RowHeight)));
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

QGroupBox *addGroup(QWidget *parent, const QString &name, const QString &caption, const QRect &geometry)
{
    auto *group = named(new QGroupBox(caption, parent), name);
    group->setGeometry(geometry);
    return group;
}

// Bold captions, plain contents.
void boldCaption(QGroupBox *group)
{
    QFont plain = group->font();
    plain.setBold(false); // set explicitly, or the children would inherit the caption's weight
    QFont bold = plain;
    bold.setBold(true);
    group->setFont(bold);
    for (QWidget *child : group->findChildren<QWidget *>())
        child->setFont(plain);
}

} // namespace

void SetupWindow::buildLayout()
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("ZOR.Setup"));
    setModal(true);
    setFixedSize(705, 433);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    for (QGroupBox *group : {createAccessPointGroup(), createStationGroup(), createLocationGroup(),
                             createWifiModeGroup(), createWebGroup(), createModbusTcpGroup(), createModbusRtuGroup()})
        boldCaption(group);
    createBottomRow();

    gauge_ = new FlashGauge(this);
    gauge_->setGeometry(0, height() - gauge_->height(), width(), gauge_->height());

    rtuLog_ = named(new QPlainTextEdit(this), QStringLiteral("Memo1"));
    rtuLog_->setVisible(false);

    sdCheckTimer_ = named(new QTimer(this), QStringLiteral("Timer1"));
    sdCheckTimer_->setSingleShot(true);
}

QLineEdit *SetupWindow::addEdit(QWidget *parent, const QString &name, const QString &labelName, const QString &label,
                                int y)
{
    addLabel(parent, labelName, label, QPoint(10, y));
    auto *edit = named(new QLineEdit(parent), name);
    edit->setGeometry(EditX, y, EditWidth, RowHeight);
    return edit;
}

QComboBox *SetupWindow::addComboBox(QWidget *parent, const QString &name, const QString &labelName,
                                    const QString &label, const QStringList &items, const QString &initial, int y)
{
    addLabel(parent, labelName, label, QPoint(10, y));
    auto *box = named(new QComboBox(parent), name);
    box->setEditable(true);
    box->addItems(items);
    box->setCurrentText(initial);
    box->setGeometry(EditX, y, 110, RowHeight);
    // A turn of the wheel over the window must not change a setting.
    box->setFocusPolicy(Qt::StrongFocus);
    box->installEventFilter(this);
    return box;
}

ClickableImage *SetupWindow::addApplyImage(QWidget *parent, const QString &name, const QString &hint, const QPoint &at)
{
    auto *image = new ClickableImage(name, hint, SetupIcons::apply(ApplyImageSize), parent);
    image->move(at);
    return image;
}

QGroupBox *SetupWindow::createAccessPointGroup()
{
    QGroupBox *group = addGroup(this, QStringLiteral("GroupBox1"), QStringLiteral("AP "), QRect(8, 4, 340, 100));
    apSsidEdit_ = addEdit(group, QStringLiteral("Edit1"), QStringLiteral("Label1"), QStringLiteral("SSID Name:"), 20);
    apSsidEdit_->setText(QStringLiteral("ZOR-06-WF-XXXXXX"));
    apOpenRadio_ = named(new QRadioButton(QStringLiteral("Open"), group), QStringLiteral("RadioButton1"));
    apOpenRadio_->setGeometry(EditX, 45, 70, RowHeight);
    apOpenRadio_->setChecked(true);
    apWpaRadio_ = named(new QRadioButton(QStringLiteral("WPA/WPA2"), group), QStringLiteral("RadioButton2"));
    apWpaRadio_->setGeometry(EditX + 70, 45, 100, RowHeight);
    apKeyEdit_ = addEdit(group, QStringLiteral("Edit2"), QStringLiteral("Label2"), QStringLiteral("SSID Key:"), 70);
    connect(addApplyImage(group, QStringLiteral("Image2"), QStringLiteral("Apply AP settings"), QPoint(305, 68)), &ClickableImage::clicked, this,
            &SetupWindow::applyAccessPoint);
    return group;
}

QGroupBox *SetupWindow::createStationGroup()
{
    QGroupBox *group = addGroup(this, QStringLiteral("GroupBox2"), QStringLiteral("Station"), QRect(8, 108, 340, 194));
    stationSsidEdit_ = addEdit(group, QStringLiteral("Edit3"), QStringLiteral("Label3"), QStringLiteral("SSID Name:"), 20);
    stationSsidEdit_->setText(QStringLiteral("kRVHUB"));
    stationOpenRadio_ = named(new QRadioButton(QStringLiteral("Open"), group), QStringLiteral("RadioButton3"));
    stationOpenRadio_->setGeometry(EditX, 45, 60, RowHeight);
    stationWepRadio_ = named(new QRadioButton(QStringLiteral("WEP"), group), QStringLiteral("RadioButton4"));
    stationWepRadio_->setGeometry(EditX + 60, 45, 60, RowHeight);
    stationWpaRadio_ = named(new QRadioButton(QStringLiteral("WPA/WPA2"), group), QStringLiteral("RadioButton5"));
    stationWpaRadio_->setGeometry(EditX + 120, 45, 100, RowHeight);
    stationWpaRadio_->setChecked(true);
    stationKeyEdit_ = addEdit(group, QStringLiteral("Edit4"), QStringLiteral("Label4"), QStringLiteral("SSID Key:"), 70);
    connect(addApplyImage(group, QStringLiteral("Image3"), QStringLiteral("Apply station settings"), QPoint(305, 68)), &ClickableImage::clicked, this,
            &SetupWindow::applyStation);

    staticIpCheck_ = named(new QCheckBox(QStringLiteral("Static IP"), group), QStringLiteral("CheckBox1"));
    staticIpCheck_->setToolTip(QStringLiteral("Static IP, only Station mode"));
    staticIpCheck_->setGeometry(10, 97, 100, RowHeight);
    connect(staticIpCheck_, &QCheckBox::clicked, this, &SetupWindow::setStaticAddressEnabled);
    createStaticAddressPanel(group);
    return group;
}

QFrame *SetupWindow::createStaticAddressPanel(QWidget *parent)
{
    auto *panel = named(new QFrame(parent), QStringLiteral("Panel1"));
    panel->setGeometry(6, 120, 328, 68);
    panel->setFrameShape(QFrame::StyledPanel);
    QPalette grey = panel->palette();
    grey.setColor(QPalette::Window, QColor(224, 224, 224));
    panel->setPalette(grey);
    panel->setAutoFillBackground(true);
    staticIpEdit_ = addEdit(panel, QStringLiteral("Edit8"), QStringLiteral("Label10"), QStringLiteral("IP:"), 2);
    maskEdit_ = addEdit(panel, QStringLiteral("Edit9"), QStringLiteral("Label11"), QStringLiteral("Net mask:"), 24);
    maskEdit_->setText(QStringLiteral("255.255.255.0"));
    gatewayEdit_ = addEdit(panel, QStringLiteral("Edit10"), QStringLiteral("Label12"), QStringLiteral("Gate way:"), 46);
    int i = 0;
    for (const char *name : {"Label10", "Label11", "Label12"})
        staticIpLabels_[i++] = panel->findChild<QLabel *>(QLatin1String(name));
    connect(addApplyImage(panel, QStringLiteral("Image10"), QStringLiteral("Apply static IP"), QPoint(298, 22)), &ClickableImage::clicked, this,
            &SetupWindow::applyStaticAddress);
    return panel;
}

QGroupBox *SetupWindow::createLocationGroup()
{
    QGroupBox *group = addGroup(this, QStringLiteral("GroupBox3"), QStringLiteral("Location"), QRect(8, 306, 340, 52));
    locationEdit_ = addEdit(group, QStringLiteral("Edit5"), QStringLiteral("Label5"), QStringLiteral("String:"), 20);
    connect(addApplyImage(group, QStringLiteral("Image6"), QStringLiteral("Apply location"), QPoint(305, 18)), &ClickableImage::clicked, this,
            &SetupWindow::applyLocation);
    return group;
}

QGroupBox *SetupWindow::createWifiModeGroup()
{
    QGroupBox *group = addGroup(this, QStringLiteral("GroupBox5"), QStringLiteral("WiFi Mode "), QRect(356, 4, 341, 52));
    apModeRadio_ = named(new QRadioButton(QStringLiteral("AP "), group), QStringLiteral("RadioButton6"));
    apModeRadio_->setGeometry(EditX, 20, 60, RowHeight);
    stationModeRadio_ = named(new QRadioButton(QStringLiteral("Station"), group), QStringLiteral("RadioButton7"));
    stationModeRadio_->setGeometry(EditX + 70, 20, 80, RowHeight);
    stationModeRadio_->setChecked(true);
    connect(addApplyImage(group, QStringLiteral("Image4"), QStringLiteral("Apply Wi-Fi mode"), QPoint(306, 18)), &ClickableImage::clicked, this,
            &SetupWindow::applyWifiMode);
    return group;
}

QGroupBox *SetupWindow::createWebGroup()
{
    QGroupBox *group = addGroup(this, QStringLiteral("GroupBox4"), QStringLiteral("WEB"), QRect(356, 60, 341, 52));
    webKeyEdit_ = addEdit(group, QStringLiteral("Edit6"), QStringLiteral("Label6"), QStringLiteral("Login Key:"), 20);
    ClickableImage *image = addApplyImage(group, QStringLiteral("Image5"), QStringLiteral("Apply web key"), QPoint(306, 18));
    connect(image, &ClickableImage::clicked, this, &SetupWindow::applyWebKey);
    // As laid out: the web key cannot be reached from the window.
    image->setVisible(false);
    image->setEnabled(false);
    group->setEnabled(false);
    return group;
}

QGroupBox *SetupWindow::createModbusTcpGroup()
{
    modbusTcpGroup_ = addGroup(this, QStringLiteral("GroupBox6"), QStringLiteral("Modbus TCP"), QRect(356, ModbusTcpTop, 341, 74));
    modbusPortEdit_ = addEdit(modbusTcpGroup_, QStringLiteral("Edit7"), QStringLiteral("Label7"), QStringLiteral("Port:"), 20);
    idleTimeoutEdit_ = addEdit(modbusTcpGroup_, QStringLiteral("Edit12"), QStringLiteral("Label8"),
                               QStringLiteral("Idle Timeout:"), 45);
    connect(addApplyImage(modbusTcpGroup_, QStringLiteral("Image9"), QStringLiteral("Apply Modbus TCP settings"), QPoint(306, 43)), &ClickableImage::clicked, this,
            &SetupWindow::applyModbusTcp);
    return modbusTcpGroup_;
}

QGroupBox *SetupWindow::createModbusRtuGroup()
{
    modbusRtuGroup_ = addGroup(this, QStringLiteral("GroupBox7"), QStringLiteral("Modbus RTU"), QRect(356, ModbusRtuTop, 341, 164));
    deviceIdEdit_ = addEdit(modbusRtuGroup_, QStringLiteral("Edit11"), QStringLiteral("Label13"),
                            QStringLiteral("Device ID:"), 20);
    deviceIdEdit_->setText(QStringLiteral("1"));
    deviceIdEdit_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), deviceIdEdit_));
    deviceIdEdit_->setFixedWidth(110);
    baudRateBox_ = addComboBox(modbusRtuGroup_, QStringLiteral("ComboBox1"), QStringLiteral("Label14"),
                               QStringLiteral("BaudRate:"),
                               {"300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "38400", "57600", "115200"},
                               QStringLiteral("115200"), 46);
    parityBox_ = addComboBox(modbusRtuGroup_, QStringLiteral("ComboBox2"), QStringLiteral("Label15"),
                             QStringLiteral("Parity:"), {"None", "Even", "Odd"}, QStringLiteral("None"), 72);
    dataBitsBox_ = addComboBox(modbusRtuGroup_, QStringLiteral("ComboBox3"), QStringLiteral("Label16"),
                               QStringLiteral("Data bit:"), {"8", "7"}, QStringLiteral("8"), 98);
    stopBitsBox_ = addComboBox(modbusRtuGroup_, QStringLiteral("ComboBox4"), QStringLiteral("Label17"),
                               QStringLiteral("Stop bit:"), {"1", "2"}, QStringLiteral("1"), 124);
    sdIndicator_ = addLabel(modbusRtuGroup_, QStringLiteral("Label18"), QStringLiteral("   "), QPoint(215, 20));
    sdIndicator_->setFixedWidth(110);
    connect(addApplyImage(modbusRtuGroup_, QStringLiteral("Image11"), QStringLiteral("Apply Modbus RTU settings"), QPoint(306, 122)), &ClickableImage::clicked, this,
            &SetupWindow::requestModbusRtu);
    return modbusRtuGroup_;
}

void SetupWindow::createBottomRow()
{
    struct Wide {
        const char *name, *caption, *hint;
        QColor color;
        void (SetupWindow::*handler)();
    };
    const Wide images[] = {
        {"Image7", "Reset Default", "Reset Default", QColor(196, 120, 30), &SetupWindow::resetToDefaults},
        {"Image1", "F/W Update", "F/W Update", QColor(38, 98, 160), &SetupWindow::updateFirmware},
        {"Image8", "Reboot", "Reboot", QColor(170, 40, 40), &SetupWindow::rebootUnit},
    };
    int x = 62;
    for (const Wide &wide : images) {
        auto *image = new ClickableImage(QLatin1String(wide.name), QLatin1String(wide.hint),
                                         SetupIcons::wideButton(QLatin1String(wide.caption), wide.color, WideImageSize),
                                         this);
        image->move(x, 372);
        connect(image, &ClickableImage::clicked, this, wide.handler);
        x += WideImageSize.width() + 12;
    }
}

void SetupWindow::placeModbusGroups()
{
    // A hidden "Modbus TCP" group leaves no gap: "Modbus RTU" takes its place.
    modbusRtuGroup_->move(modbusRtuGroup_->x(), modbusTcpGroup_->isHidden() ? ModbusTcpTop : ModbusRtuTop);
}
