#pragma once

#include "MonitorPresenter.h"
#include "MonitorView.h"

#include <QWidget>

#include <functional>

class ClickableImage;
class Dialogs;
class IndicatorShape;
class LinkStateIndicator;
class LogViewer;
class QMenuBar;
class QDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSlider;
class QTimer;
class QToolButton;
class StatusPanels;
class UnitSession;
class UnitsWindow;

// The monitor window: the unit's live state and its controls. The poll timer drives the
// session's poll loop; the presenter words whatever the link reports.
class MonitorWindow : public QWidget, public MonitorView {
    Q_OBJECT
public:
    MonitorWindow(UnitSession &session, Dialogs &dialogs, QWidget *parent = nullptr);

    // The setup and audio editor windows, opened modally from the window's images.
    void setSecondaryWindows(QDialog *setupWindow, QDialog *audioEditorWindow);
    // Asked before the window closes, which ends the program; false keeps it open.
    void setCloseGuard(std::function<bool()> guard) { closeGuard_ = std::move(guard); }
    // Adds the menu's "Commissioning report…", which runs `make` with polling paused.
    void setReportAction(std::function<void()> make);
    // What the Units window offers to scan; the PC's own subnets unless set.
    void setScanSubnets(const QStringList &subnets);

    // MonitorView
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
    void showRelayAndInputs(std::uint8_t relayBits, std::uint8_t inputBits) override;
    void showVolume(std::uint8_t volume) override;
    void showArmed(bool armed) override;
    void enableForModel(std::uint8_t modelCode) override;
    void showNoDevice() override;
    void showLinked(bool linked) override;
    void setUnitPanelsEnabled(bool enabled) override;
    void repaintNow() override;

signals:
    // The volume slider moved; the audio editor mirrors it on its own slider.
    void volumePositionChanged(int position);

public slots:
    void onFirstActivation();
    void onPollTick();
    void onVolumeSendDelay();
    void onVolumeSliderMoved(int position);
    // The audio editor's volume slider: mirrored here, sent after its release.
    void setVolumePosition(int position);
    void sendVolumeSoon();
    void onRelayClicked();
    void onDisarmClicked();
    void onArmClicked();
    void onStaticIpClicked();
    void onSetupClicked();
    void onRefreshClicked();
    void onLocatorClicked();
    void onAudioEditorClicked();
    void onLogClicked();
    void onUnitsClicked();
    // A unit picked in the Units window: taken as if typed and applied with "Static IP".
    void useUnitAddress(const QString &address);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createMenu();
    QWidget *createStatusBlock();
    QWidget *createInputBlock();
    QWidget *createRelayBlock();
    QWidget *createArmBlock();
    QWidget *createVolumeBlock();
    void setVolumeLabel(int volume);
    void queueArming(std::uint8_t armed);
    // Runs a secondary window modally with polling off; true when it was opened.
    bool runModal(QDialog *window, const QString &name);
    // The slider's mouse button or arrow key went down or up.
    void volumeGrabbed();
    void volumeReleased();
    void setTabOrder();
    void resumeAfterSecondaryWindow();

    UnitSession &session_;
    Dialogs &dialogs_;
    MonitorPresenter presenter_;
    bool firstActivationDone_ = false;
    bool firstActivationQueued_ = false;
    QDialog *setupWindow_ = nullptr;
    QDialog *audioEditorWindow_ = nullptr;
    std::function<bool()> closeGuard_;
    LogViewer *logViewer_ = nullptr;     // made when first asked for
    UnitsWindow *unitsWindow_ = nullptr; // the same
    QStringList scanSubnets_;
    bool scanSubnetsSet_ = false;

    QColor relayOnColor_;
    QColor inputActiveColor_;
    QColor offFillColor_;
    QColor offOutlineColor_;

    QGroupBox *statusGroup_ = nullptr;
    QLabel *modelLabel_ = nullptr;
    QLabel *locationLabel_ = nullptr;
    QLabel *rssiLabel_ = nullptr;
    QLabel *addressCaption_ = nullptr;
    QLineEdit *addressEdit_ = nullptr;
    QToolButton *staticIpButton_ = nullptr;
    ClickableImage *setupImage_ = nullptr;
    ClickableImage *refreshImage_ = nullptr;
    ClickableImage *locatorImage_ = nullptr;
    QGroupBox *inputGroup_ = nullptr;
    QLabel *inputCaption_ = nullptr;
    ClickableImage *audioEditorImage_ = nullptr;
    QFrame *relayPanel_ = nullptr;
    QLabel *relayCaption_ = nullptr;
    QToolButton *relayButton_ = nullptr;
    IndicatorShape *relayShape_ = nullptr;
    QFrame *volumePanel_ = nullptr;
    QLabel *volumeLabel_ = nullptr;
    QSlider *volumeSlider_ = nullptr;
    QFrame *armPanel_ = nullptr;
    QToolButton *disarmButton_ = nullptr; // shown while armed
    QToolButton *armButton_ = nullptr;    // shown while disarmed
    StatusPanels *modeBar_ = nullptr;     // device mode, SD
    StatusPanels *channelBar_ = nullptr;  // status line, firmware
    StatusPanels *addressBar_ = nullptr;  // MAC, address
    LinkStateIndicator *linkState_ = nullptr;
    QPlainTextEdit *logList_ = nullptr;
    QMenuBar *menuBar_ = nullptr;
    QTimer *pollTimer_ = nullptr;
    QTimer *volumeSendTimer_ = nullptr;
    std::uint8_t volumeToSend_ = 0; // the slider's position at its release

    // Input labels and indicators in DI1..DI6 order.
    QLabel *inputLabels_[6] = {};
    IndicatorShape *inputShapes_[6] = {};
};
