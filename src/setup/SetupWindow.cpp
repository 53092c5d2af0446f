#include "SetupWindow.h"

#include "FlashGauge.h"
#include "LocationPlan.h"
#include "ModbusRtuPlan.h"
#include "ModbusTcpPlan.h"
#include "SingleByteText.h"
#include "StaticAddressPlan.h"
#include "UnitCommandPlans.h"
#include "UnitSession.h"
#include "UnitTexts.h"
#include "WebKeyPlan.h"
#include "WifiCredentialsPlans.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QShowEvent>
#include <QTimer>

SetupWindow::SetupWindow(UnitSession &session, Dialogs &dialogs, QWidget *parent)
    : QDialog(parent)
    , session_(session)
    , runner_(session.transfer, dialogs,
              {.monitor = [this](const QString &line) { emit monitorLogLine(line); },
               .setup = [this](const QString &line) { rtuLog_->appendPlainText(line); },
               .status = [this](const QString &text) { emit statusLine(text); }})
{
    buildLayout();
    session_.transfer.flashGauge = gauge_;
    connect(sdCheckTimer_, &QTimer::timeout, this, &SetupWindow::writeModbusRtu);
    setStaticAddressEnabled(false);
}

SetupWindow::~SetupWindow()
{
    if (session_.transfer.flashGauge == gauge_)
        session_.transfer.flashGauge = nullptr;
}

void SetupWindow::showEvent(QShowEvent *event)
{
    // Once per opening: coming back from a message box or another program keeps what was typed.
    if (!event->spontaneous())
        readBack();
    QDialog::showEvent(event);
}

bool SetupWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Wheel && qobject_cast<QComboBox *>(watched))
        return true;
    return QDialog::eventFilter(watched, event);
}

void SetupWindow::readBack()
{
    const DeviceStatus &status = session_.status;
    apSsidEdit_->setText(UnitTexts::visibleText(fromSingleByte(status.apSsid)));
    if (status.apKeyType != 0) {
        apWpaRadio_->setChecked(true);
    } else {
        apOpenRadio_->setChecked(true);
        apKeyEdit_->clear();
    }
    stationSsidEdit_->setText(UnitTexts::visibleText(fromSingleByte(status.stationSsid)));
    switch (status.stationKeyType) {
    case 0:
        stationOpenRadio_->setChecked(true);
        stationKeyEdit_->clear();
        break;
    case 1:
        stationWepRadio_->setChecked(true);
        break;
    default:
        stationWpaRadio_->setChecked(true);
        break;
    }
    locationEdit_->setText(UnitTexts::visibleText(fromSingleByte(status.location)));
    modbusPortEdit_->setText(QString::number(status.modbusPort));
    idleTimeoutEdit_->setText(QString::number(status.modbusIdleTimeout));
    (status.wifiMode != 0 ? apModeRadio_ : stationModeRadio_)->setChecked(true);
    setStaticAddressEnabled(status.staticIpUsed);
    if (status.staticIpUsed) {
        staticIpEdit_->setText(dottedAddress(status.staticIp));
        maskEdit_->setText(dottedAddress(status.subnetMask));
        gatewayEdit_->setText(dottedAddress(status.gateway));
    } else {
        staticIpEdit_->clear();
        gatewayEdit_->clear();
    }
    gauge_->setValue(0);
    if (status.modelCode == ModelZor06) {
        modbusTcpGroup_->show();
        modbusRtuGroup_->hide();
    } else if (status.modelCode == ModelZor04Rtu) {
        modbusRtuGroup_->show();
        modbusTcpGroup_->hide();
        showSdIndicator();
    }
    placeModbusGroups();
}

void SetupWindow::setStaticAddressEnabled(bool on)
{
    for (QWidget *control : {static_cast<QWidget *>(staticIpLabels_[0]), static_cast<QWidget *>(staticIpLabels_[1]),
                             static_cast<QWidget *>(staticIpLabels_[2]), static_cast<QWidget *>(staticIpEdit_),
                             static_cast<QWidget *>(maskEdit_), static_cast<QWidget *>(gatewayEdit_)})
        control->setEnabled(on);
    staticIpCheck_->setChecked(on);
}

void SetupWindow::showSdIndicator()
{
    const bool present = session_.status.sdPresent;
    sdIndicator_->setText(sdIndicatorText(present));
    QPalette colors = sdIndicator_->palette();
    colors.setColor(QPalette::WindowText, present ? palette().color(QPalette::WindowText) : QColor(Qt::red));
    sdIndicator_->setPalette(colors);
}

bool SetupWindow::running() const
{
    return running_ || sdCheckTimer_->isActive();
}

void SetupWindow::apply(const SetupResult &result, std::initializer_list<std::pair<SetupInput, QWidget *>> inputs)
{
    // Clicks that reach the window during a run are not a second apply.
    if (running())
        return;
    const QScopedValueRollback<bool> running(running_, true);
    runner_.apply(result);
    for (const auto &[input, widget] : inputs)
        if (result.error && input == result.faultyInput)
            widget->setFocus(Qt::OtherFocusReason);
}

void SetupWindow::run(const SetupPlan &plan)
{
    if (running())
        return;
    const QScopedValueRollback<bool> running(running_, true);
    runner_.run(plan);
}

void SetupWindow::applyAccessPoint()
{
    apply(planAccessPoint({apSsidEdit_->text(), apOpenRadio_->isChecked() ? KeyType::Open : KeyType::Wpa,
                           apKeyEdit_->text()}),
          {{SetupInput::Ssid, apSsidEdit_}, {SetupInput::Key, apKeyEdit_}});
}

void SetupWindow::applyStation()
{
    const KeyType type = stationOpenRadio_->isChecked() ? KeyType::Open
                         : stationWepRadio_->isChecked() ? KeyType::Wep
                                                         : KeyType::Wpa;
    apply(planStation({stationSsidEdit_->text(), type, stationKeyEdit_->text()}),
          {{SetupInput::Ssid, stationSsidEdit_}, {SetupInput::Key, stationKeyEdit_}});
}

void SetupWindow::applyStaticAddress()
{
    apply(planStaticAddress({staticIpCheck_->isChecked(), staticIpEdit_->text(), maskEdit_->text(), gatewayEdit_->text()}),
          {{SetupInput::Ip, staticIpEdit_}, {SetupInput::Mask, maskEdit_}, {SetupInput::Gateway, gatewayEdit_}});
}

void SetupWindow::applyWebKey()
{
    apply(planWebKey(webKeyEdit_->text()), {{SetupInput::Text, webKeyEdit_}});
}

void SetupWindow::applyLocation()
{
    apply(planLocation(locationEdit_->text()), {{SetupInput::Text, locationEdit_}});
}

void SetupWindow::applyModbusTcp()
{
    apply(planModbusTcp(modbusPortEdit_->text(), idleTimeoutEdit_->text()),
          {{SetupInput::Port, modbusPortEdit_}, {SetupInput::Timeout, idleTimeoutEdit_}});
}

void SetupWindow::requestModbusRtu()
{
    if (running())
        return;
    // A failed link check has reported in the monitor window: Timer1 is not armed, nothing is written.
    if (!session_.link.queueDeviceInformation())
        return;
    sdCheckTimer_->start(session_.timing.sdCheckDelayMs);
}

void SetupWindow::writeModbusRtu()
{
    showSdIndicator();
    if (!session_.status.sdPresent)
        return;
    apply(planModbusRtu({deviceIdEdit_->text(), baudRateBox_->currentText(), parityBox_->currentText(),
                         dataBitsBox_->currentText(), stopBitsBox_->currentText()}),
          {{SetupInput::DeviceId, deviceIdEdit_}, {SetupInput::BaudRate, baudRateBox_}, {SetupInput::Parity, parityBox_},
           {SetupInput::DataBits, dataBitsBox_}, {SetupInput::StopBits, stopBitsBox_}});
}

void SetupWindow::applyWifiMode()
{
    run(planWifiMode(apModeRadio_->isChecked()));
}

void SetupWindow::resetToDefaults()
{
    run(planResetToDefaults());
}

void SetupWindow::updateFirmware()
{
    run(planFirmwareUpdate());
}

void SetupWindow::rebootUnit()
{
    run(planReboot());
}
