// The monitor window's displays, as its presenter fills them.
#include "MonitorWindow.h"

#include "ClickableImage.h"
#include "IndicatorShape.h"
#include "LinkLog.h"
#include "LinkStateIndicator.h"
#include "MonitorWidgets.h"
#include "StatusPanels.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QSlider>
#include <QToolButton>

using namespace MonitorWidgets;

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

void MonitorWindow::showLinkState(LinkState state, const QString &text)
{
    linkState_->showState(state, text);
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

void MonitorWindow::showLinked(bool linked)
{
    for (QWidget *control : std::initializer_list<QWidget *>{locationLabel_, rssiLabel_, volumeLabel_, volumeSlider_,
                                                             armButton_, disarmButton_})
        control->setEnabled(linked);
    if (!linked) {
        relayButton_->setEnabled(false);
        locatorImage_->setEnabled(false);
    }
}

void MonitorWindow::setUnitPanelsEnabled(bool enabled)
{
    addressBar_->setPanelEnabled(0, enabled);
    channelBar_->setPanelEnabled(1, enabled);
    modeBar_->setPanelEnabled(0, enabled);
    modeBar_->setPanelEnabled(1, enabled);
}

void MonitorWindow::repaintNow()
{
    repaint();
}
