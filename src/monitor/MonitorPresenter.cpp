#include "MonitorPresenter.h"

#include "Dialogs.h"
#include "ErrorReport.h"
#include "MonitorView.h"
#include "SingleByteText.h"
#include "SubnetTexts.h"
#include "UnitSession.h"
#include "UnitTexts.h"

namespace {
const QColor StaleColor(128, 128, 128);
const QColor FailureColor(255, 0, 0);
} // namespace

MonitorPresenter::MonitorPresenter(MonitorView &view, UnitSession &session, Dialogs &dialogs)
    : view_(view), session_(session), dialogs_(dialogs)
{
    session_.link.events = this;
    session_.linkCheck.events = this;
    session_.poll.aboutToSend = [this](PollLoop::Action action, std::uint8_t code) { pollSending(action, code); };
}

MonitorPresenter::~MonitorPresenter()
{
    if (session_.link.events == this)
        session_.link.events = nullptr;
    if (session_.linkCheck.events == this)
        session_.linkCheck.events = nullptr;
    session_.poll.aboutToSend = nullptr;
}

void MonitorPresenter::exchanged(const ExchangeResult &result)
{
    if (result.outcome == ExchangeOutcome::Busy || result.outcome == ExchangeOutcome::LinkCheckFailed)
        return; // nothing was sent; a failed check has spoken for itself
    // Once the unit is reached an old time-out no longer holds.
    if (result.outcome != ExchangeOutcome::NoConnection && view_.statusLine() == UnitTexts::ConnectTimeout)
        view_.setStatusLine(QString());
    if (result.outcome == ExchangeOutcome::SocketError) {
        showLinked();
        reportError(dialogs_, result.error);
        return;
    }
    const QString text = UnitTexts::statusLine(result, session_.status);
    if (!text.isEmpty())
        view_.setStatusLine(text);
    switch (result.decoded) {
    case Decoded::DeviceLinked:
    case Decoded::DeviceOtherAddress:
        showDeviceInformation(result);
        break;
    case Decoded::FirmwareMatch:
    case Decoded::FirmwareMismatch:
        dialogs_.messageBox(text, text, result.decoded == Decoded::FirmwareMatch ? Dialogs::Plain : Dialogs::Error);
        break;
    case Decoded::RelaySet:
        showRelayAndInputs();
        break;
    case Decoded::StatusAnswer:
        showStatusAnswer(result);
        break;
    case Decoded::DeviceRequeued:
        if (!session_.status.linked) {
            // The unit answers but will not say what it is: say so rather than show nothing.
            view_.setModelText(QStringLiteral("Device information refused"));
            view_.setModelColor(FailureColor);
            modelShown_ = false;
        }
        break;
    default:
        break;
    }
    showLinked();
}

void MonitorPresenter::showLinked()
{
    const bool linked = session_.status.linked;
    view_.showLinked(linked);
    view_.setUnitPanelsEnabled(linked);
    if (!linked && modelShown_)
        view_.setModelColor(StaleColor);
}

void MonitorPresenter::showLinkState()
{
    view_.showLinkState(linkState_.state(), linkState_.text());
}

void MonitorPresenter::clearUnitDisplay()
{
    view_.showNoDevice();
    view_.setMacText(QString());
    view_.setFirmwareText(QString());
    view_.setDeviceModeText(QString());
    view_.setSdText(QString());
    modelShown_ = false;
    shownMac_.clear();
}

void MonitorPresenter::showRssi()
{
    view_.setRssiText(UnitTexts::rssi(session_.status));
}

void MonitorPresenter::showStatusAnswer(const ExchangeResult &result)
{
    if (result.rssiReported)
        showRssi();
    view_.showVolume(session_.status.volume);
    showArmState();
    showRelayAndInputs();
}

void MonitorPresenter::showDeviceInformation(const ExchangeResult &result)
{
    const DeviceStatus &status = session_.status;
    if (result.decoded == Decoded::DeviceLinked) {
        // Units in access-point mode share one address: the one answering now may be another.
        const QString mac = UnitTexts::mac(status);
        if (!shownMac_.isEmpty() && mac != shownMac_) {
            view_.appendLog("Another unit answers at " + session_.link.deviceAddress + ": MAC " + mac + ", was " + shownMac_);
            clearUnitDisplay();
        }
        shownMac_ = mac;
    }
    view_.setModelColor(QColor(0, 0, 128));
    modelShown_ = true;
    if (status.modelRecognised)
        view_.enableForModel(status.modelCode);
    view_.setModelText(UnitTexts::modelName(status));
    view_.appendLog("DEV_ID => " + UnitTexts::hex2(status.modelCode));
    if (result.decoded != Decoded::DeviceLinked)
        return; // another unit answered

    view_.setMacText("Dev MAC: " + UnitTexts::mac(status));
    view_.setLocationColor(QColor(64, 132, 118));
    view_.setLocationText("Locate: " + UnitTexts::visibleText(fromSingleByte(status.location)));
    view_.setSdText(UnitTexts::sd(status));
    view_.setFirmwareText(UnitTexts::firmware(status));
    if (result.rssiReported)
        showRssi();
    view_.setDeviceModeText("Device Mode: " + QString::number(status.deviceMode));
    view_.showVolume(status.volume);
    view_.appendLog("ARMED :" + QString::number(status.armed));
    showRelayAndInputs();
    showArmState();
}

void MonitorPresenter::showRelayAndInputs()
{
    DeviceStatus &status = session_.status;
    status.maskToModel();
    view_.showRelayAndInputs(status.relayBits, status.inputBits);
}

void MonitorPresenter::showArmState()
{
    if (session_.status.statusValid)
        view_.showArmed(session_.status.armed != 0);
}

void MonitorPresenter::showNoDevice()
{
    // Whatever unit answers next, nothing of the last one may stand beside it.
    clearUnitDisplay();
    session_.status.clearLiveState();
    showRelayAndInputs();
    showLinked();
    linkState_.reset();
    showLinkState();
}

void MonitorPresenter::pollTicked(const PollLoop::Tick &tick)
{
    if (linkState_.follow(tick, session_.status.linked))
        showLinkState();
}

void MonitorPresenter::secondaryWindowOpened(const QString &window)
{
    linkState_.pause(window);
    showLinkState();
}

void MonitorPresenter::secondaryWindowClosed()
{
    linkState_.resume();
    showLinkState();
}

void MonitorPresenter::transferNote(const TransferNote &note)
{
    const UnitTexts::NoteText text = UnitTexts::transferNote(note);
    for (const QString &line : text.logLines)
        view_.appendLog(line);
    if (!text.statusLine.isEmpty())
        view_.setStatusLine(text.statusLine);
}

void MonitorPresenter::keepPainted()
{
    view_.repaintNow();
}

void MonitorPresenter::linkChecked(int matchCount)
{
    if (matchCount == 1) {
        view_.appendLog("Local IP:" + session_.linkCheck.localAddress);
        view_.setAddressText("IP: " + session_.link.deviceAddress);
        return;
    }
    if (matchCount == 0)
        showNoDevice();
    view_.setModelText(matchCount == 0 ? QStringLiteral("Device not found!!") : QStringLiteral("Same multiple IP found!!"));
    view_.setModelColor(FailureColor);
    modelShown_ = false;
    view_.setLocationText(QString());
    showLinked();
    linkState_.linkCheckFailed(matchCount);
    showLinkState();
}

void MonitorPresenter::explainFailedCheck()
{
    if (session_.linkCheck.matchCount != 0)
        return; // several adapters: the model label has said so
    dialogs_.messageBox(SubnetTexts::notOnWifiSubnet(session_.link.deviceAddress, session_.linkCheck.connectedWifiAddresses()),
                        QStringLiteral("Device not found"), Dialogs::Warning);
}

void MonitorPresenter::adapterQueryFailed(const QString &error)
{
    dialogs_.messageBox("Adapters: " + error, QStringLiteral("Error"), Dialogs::Error);
}

void MonitorPresenter::adapterSourceChanged(const QString &sourceName)
{
    view_.appendLog("Adapter source: " + sourceName);
}

void MonitorPresenter::pollSending(PollLoop::Action action, std::uint8_t code)
{
    if (action == PollLoop::Action::SentQueued)
        view_.appendLog("GBL => " + QString::number(code));
    else if (action == PollLoop::Action::AskedForDevice)
        view_.appendLog(QStringLiteral("Re-Get Device.."));
}

void MonitorPresenter::addressEntered(const QString &entry, const QString &error)
{
    view_.appendLog("Remote_ip Len => " + QString::number(entry.size()));
    if (!error.isEmpty()) {
        reportError(dialogs_, error);
        return;
    }
    view_.appendLog("cc3200_default_IP => " + session_.linkCheck.subnetPrefix);
    view_.setStatusLine("Change IP => " + session_.link.deviceAddress);
}
