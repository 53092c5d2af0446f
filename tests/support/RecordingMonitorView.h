#pragma once

#include "MonitorView.h"

#include <QColor>
#include <QStringList>
#include <cstdint>

// Records every call into the monitor window, in order, and keeps what it would show.
class RecordingMonitorView : public MonitorView {
public:
    // Every call as "name(arguments)", e.g. "setModelText(Device not found!!)".
    QStringList calls;

    QString status;              // the status line as last set
    QStringList statusHistory;   // every status line set, in order
    QStringList log;
    QString modelText;
    QColor modelColor;
    QString locationText;
    QColor locationColor;
    QString rssiText;
    QString macText;
    QString addressText;
    QString firmwareText;
    QString deviceModeText;
    QString sdText;
    QString linkStateText;
    std::uint8_t relayBits = 0;
    std::uint8_t inputBits = 0;
    std::uint8_t volume = 0;
    bool armed = false;
    std::uint8_t enabledModel = 0; // 0 = not enabled since the last no-device state
    bool linkedShown = false;

    // How many times the named call was made.
    int count(const QString &callName) const;
    // Position of the first call with that name, -1 when there was none.
    int indexOf(const QString &callName) const;

    QString statusLine() const override;
    void setStatusLine(const QString &text) override;
    void setModelText(const QString &text) override;
    void setModelColor(const QColor &color) override;
    void setLocationText(const QString &text) override;
    void setLocationColor(const QColor &color) override;
    void setRssiText(const QString &text) override;
    void setMacText(const QString &text) override;
    void setAddressText(const QString &text) override;
    void setFirmwareText(const QString &text) override;
    void setDeviceModeText(const QString &text) override;
    void setSdText(const QString &text) override;
    void appendLog(const QString &line) override;
    void showLinkState(LinkState state, const QString &text) override;
    void showRelayAndInputs(std::uint8_t relay, std::uint8_t inputs) override;
    void showVolume(std::uint8_t value) override;
    void showArmed(bool isArmed) override;
    void enableForModel(std::uint8_t modelCode) override;
    void showNoDevice() override;
    void showLinked(bool linked) override;
    void setUnitPanelsEnabled(bool enabled) override;
    void repaintNow() override;

private:
    void record(const QString &name, const QString &arguments = {});
};
