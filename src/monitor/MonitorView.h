#pragma once

#include "LinkStateTracker.h"

#include <QColor>
#include <QString>
#include <cstdint>

// The monitor window's displays as its presenter fills them.
// The monitor window implements it; tests use a recording double.
class MonitorView {
public:
    virtual ~MonitorView() = default;

    // Status line: first panel of the second status bar.
    virtual QString statusLine() const = 0;
    virtual void setStatusLine(const QString &text) = 0;

    virtual void setModelText(const QString &text) = 0;
    virtual void setModelColor(const QColor &color) = 0;
    virtual void setLocationText(const QString &text) = 0;
    virtual void setLocationColor(const QColor &color) = 0;
    virtual void setRssiText(const QString &text) = 0;
    virtual void setMacText(const QString &text) = 0;        // StatusBar1 panel 0
    virtual void setAddressText(const QString &text) = 0;    // StatusBar1 panel 1
    virtual void setFirmwareText(const QString &text) = 0;   // StatusBar2 panel 1
    virtual void setDeviceModeText(const QString &text) = 0; // StatusBar3 panel 0
    virtual void setSdText(const QString &text) = 0;         // StatusBar3 panel 1
    virtual void appendLog(const QString &line) = 0;
    // The small link-state indicator beside the status bars.
    virtual void showLinkState(LinkState state, const QString &text) = 0;

    // Bits arrive already masked by the model's relay and input masks.
    virtual void showRelayAndInputs(std::uint8_t relayBits, std::uint8_t inputBits) = 0;
    // Moves the volume slider (which runs its change handler) and the "Volume: " label.
    virtual void showVolume(std::uint8_t volume) = 0;
    // The disarm button when armed, else the arm button.
    virtual void showArmed(bool armed) = 0;
    virtual void enableForModel(std::uint8_t modelCode) = 0;
    // The widget side of the no-device state: controls disabled, RSSI label reset, labels emptied.
    virtual void showNoDevice() = 0;
    // Not linked: what the last unit reported is greyed and nothing that sends can be used.
    // Linked: the greyed texts and the arm and volume controls come back; the relay and
    // "Find me" come back with the model (enableForModel).
    virtual void showLinked(bool linked) = 0;
    // The MAC, firmware, device-mode and SD panels, greyed while they tell of a lost unit.
    virtual void setUnitPanelsEnabled(bool enabled) = 0;
    // Repaints the monitor window during long transfers.
    virtual void repaintNow() = 0;
};
