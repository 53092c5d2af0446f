#pragma once

#include <QObject>
#include <memory>

class FixedAdapterSource;
class ScriptedDialogs;
class SimulatorThread;
class MonitorWindow;
class UnitSession;
struct Timing;

// The monitor window against a simulated unit on its own loopback address per test.
class MonitorWindowTest : public QObject {
    Q_OBJECT
public:
    MonitorWindowTest();
    ~MonitorWindowTest() override;

private slots:
    void init();
    void cleanup();

    void linksAndShowsTheUnit();
    void statusIsPolledEvery31Ticks();
    void controlsPutTheirRequestOnTheWire_data();
    void controlsPutTheirRequestOnTheWire();
    void relayAfterArmingCarriesItsLastParameters();
    void sliderReleaseSendsTheVolume();
    void pollTurnComesBeforeAQueuedRequest();
    void refreshRunsTheLinkCheckOnce();
    void unitAnsweringForAnotherAddressNeverLinks();
    void connectTimeoutIsShownAndCleared();
    void nothingIsSentDuringATransfer();
    void staticIpEntry();
    void secondaryWindows_data();
    void secondaryWindows();
    void noSecondaryWindowWhileBusy();
    void firstActivationFailureShowsOneBox();
    void linkStateFollowsTheExchanges();
    void addressWithoutUnitShowsNoStaleIdentity();
    void unitTextIsNeverMarkup();
    void lostLinkAsksWhoAnswersFirst_data();
    void lostLinkAsksWhoAnswersFirst();
    void offSubnetAddressIsExplained_data();
    void offSubnetAddressIsExplained();
    void refusedDeviceInformationIsNamed();

private:
    // A window whose poll timer only ticks when the test says so.
    MonitorWindow &createWindow(bool onTheUnitsSubnet = true);
    MonitorWindow &createWindow(const Timing &timing, bool onTheUnitsSubnet);
    void showWindow();
    void tick(int count = 1);
    void linkUp();
    QList<QByteArray> takeFrames();
    QStringList logLines() const;

    QString unitAddress_;
    std::unique_ptr<SimulatorThread> simulator_;
    std::unique_ptr<ScriptedDialogs> dialogs_;
    std::unique_ptr<FixedAdapterSource> adapters_;
    std::unique_ptr<UnitSession> session_;
    std::unique_ptr<MonitorWindow> form_;
};
