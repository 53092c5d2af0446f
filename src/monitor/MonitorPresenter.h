#pragma once

#include "LinkCheck.h"
#include "LinkEvents.h"
#include "LinkStateTracker.h"
#include "PollLoop.h"

class Dialogs;
class MonitorView;
class UnitSession;

// Turns what the link, the link check and the poll loop report into the monitor window's
// texts, colours, log lines and boxes. It hears every exchange, whichever window started it,
// and reports socket failures of the command channel through the default error report.
class MonitorPresenter : public LinkEvents, public LinkCheckEvents {
public:
    MonitorPresenter(MonitorView &view, UnitSession &session, Dialogs &dialogs);
    ~MonitorPresenter() override;

    // LinkEvents
    void exchanged(const ExchangeResult &result) override;
    void transferNote(const TransferNote &note) override;
    void keepPainted() override;
    // LinkCheckEvents
    void linkChecked(int matchCount) override;
    void adapterQueryFailed(const QString &error) override;
    void adapterSourceChanged(const QString &sourceName) override;

    // The log line of what the poll loop is about to send.
    void pollSending(PollLoop::Action action, std::uint8_t code);
    // What a poll tick did: the link-state indicator follows it.
    void pollTicked(const PollLoop::Tick &tick);
    // The relay and inputs as the model has them; the arm buttons while the status is valid.
    void showRelayAndInputs();
    void showArmState();
    // Controls off, bits cleared, status no longer valid, no panel of the last unit left.
    void showNoDevice();
    // A typed unit address: the log lines around it, and its error when it is not one.
    void addressEntered(const QString &entry, const QString &error);
    // After a link check failed for a typed address: why, when no Wi-Fi adapter is on its subnet.
    void explainFailedCheck();
    // Polling stops while the setup window or the audio editor is open; the link state says so.
    void secondaryWindowOpened(const QString &window);
    void secondaryWindowClosed();

private:
    void showDeviceInformation(const ExchangeResult &result);
    // Greys what a lost unit left, or brings it back once linked.
    void showLinked();
    void showLinkState();
    void clearUnitDisplay();
    void showStatusAnswer(const ExchangeResult &result);
    void showRssi();

    MonitorView &view_;
    UnitSession &session_;
    Dialogs &dialogs_;
    LinkStateTracker linkState_;
    bool modelShown_ = false; // the model label holds a unit's model, not a failure text
    QString shownMac_;        // of the unit shown, empty after a no-device state
};
