#pragma once

#include "Dialogs.h"
#include "MonitorView.h"

#include <QString>

// The monitor window as a terminal sees it: texts are kept for the result and echoed to stderr.
class CtlView : public MonitorView {
public:
    QString statusLine() const override { return statusLine_; }
    void setStatusLine(const QString &text) override;
    void setModelText(const QString &text) override { model = text; }
    void setModelColor(const QColor &) override {}
    void setLocationText(const QString &) override {}
    void setLocationColor(const QColor &) override {}
    void setRssiText(const QString &) override {}
    void setMacText(const QString &text) override { mac = text; }
    void setAddressText(const QString &) override {}
    void setFirmwareText(const QString &text) override { firmware = text; }
    void setDeviceModeText(const QString &) override {}
    void setSdText(const QString &text) override { sd = text; }
    void appendLog(const QString &line) override;
    void showRelayAndInputs(std::uint8_t, std::uint8_t) override {}
    void showVolume(std::uint8_t) override {}
    void showArmed(bool) override {}
    void enableForModel(std::uint8_t) override {}
    void showNoDevice() override {}
    void repaintNow() override {}

    QString model;
    QString mac;
    QString firmware;
    QString sd;

private:
    QString statusLine_;
};

// No one is there to answer a box: its text goes to stderr.
class CtlDialogs : public Dialogs {
public:
    int messageBox(const QString &text, const QString &caption, int flags) override;
    QString openFile(const QString &, const QString &) override { return {}; }
    QString chooseFolder(const QString &, const QString &) override { return {}; }
};
