#include "RecordingMonitorView.h"

#include <algorithm>

namespace {

QString callName(const QString &call)
{
    return call.left(call.indexOf(u'('));
}

} // namespace

int RecordingMonitorView::count(const QString &name) const
{
    return int(std::count_if(calls.cbegin(), calls.cend(),
                             [&](const QString &call) { return callName(call) == name; }));
}

int RecordingMonitorView::indexOf(const QString &name) const
{
    for (int i = 0; i < calls.size(); ++i) {
        if (callName(calls[i]) == name)
            return i;
    }
    return -1;
}

void RecordingMonitorView::record(const QString &name, const QString &arguments)
{
    calls.append(name + u'(' + arguments + u')');
}

QString RecordingMonitorView::statusLine() const
{
    return status;
}

void RecordingMonitorView::setStatusLine(const QString &text)
{
    record("setStatusLine", text);
    status = text;
    statusHistory.append(text);
}

void RecordingMonitorView::setModelText(const QString &text)
{
    record("setModelText", text);
    modelText = text;
}

void RecordingMonitorView::setModelColor(const QColor &color)
{
    record("setModelColor", color.name());
    modelColor = color;
}

void RecordingMonitorView::setLocationText(const QString &text)
{
    record("setLocationText", text);
    locationText = text;
}

void RecordingMonitorView::setLocationColor(const QColor &color)
{
    record("setLocationColor", color.name());
    locationColor = color;
}

void RecordingMonitorView::setRssiText(const QString &text)
{
    record("setRssiText", text);
    rssiText = text;
}

void RecordingMonitorView::setMacText(const QString &text)
{
    record("setMacText", text);
    macText = text;
}

void RecordingMonitorView::setAddressText(const QString &text)
{
    record("setAddressText", text);
    addressText = text;
}

void RecordingMonitorView::setFirmwareText(const QString &text)
{
    record("setFirmwareText", text);
    firmwareText = text;
}

void RecordingMonitorView::setDeviceModeText(const QString &text)
{
    record("setDeviceModeText", text);
    deviceModeText = text;
}

void RecordingMonitorView::setSdText(const QString &text)
{
    record("setSdText", text);
    sdText = text;
}

void RecordingMonitorView::appendLog(const QString &line)
{
    record("appendLog", line);
    log.append(line);
}

void RecordingMonitorView::showLinkState(LinkState, const QString &text)
{
    record("showLinkState", text);
    linkStateText = text;
}

void RecordingMonitorView::showRelayAndInputs(std::uint8_t relay, std::uint8_t inputs)
{
    record("showRelayAndInputs", QString("%1,%2").arg(relay).arg(inputs));
    relayBits = relay;
    inputBits = inputs;
}

void RecordingMonitorView::showVolume(std::uint8_t value)
{
    record("showVolume", QString::number(value));
    volume = value;
}

void RecordingMonitorView::showArmed(bool isArmed)
{
    record("showArmed", isArmed ? "true" : "false");
    armed = isArmed;
}

void RecordingMonitorView::enableForModel(std::uint8_t modelCode)
{
    record("enableForModel", QString::number(modelCode));
    enabledModel = modelCode;
}

void RecordingMonitorView::showNoDevice()
{
    record("showNoDevice");
    enabledModel = 0;
}

void RecordingMonitorView::showLinked(bool linked)
{
    record("showLinked", linked ? "true" : "false");
    linkedShown = linked;
}

void RecordingMonitorView::setUnitPanelsEnabled(bool enabled)
{
    record("setUnitPanelsEnabled", enabled ? "true" : "false");
}

void RecordingMonitorView::repaintNow()
{
    record("repaintNow");
}
