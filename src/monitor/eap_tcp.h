#pragma once

#include "DeviceLink.h"
#include "DeviceStatus.h"
#include "Discovery.h"
#include "FileTransfer.h"
#include "MonitorView.h"
#include "PollLoop.h"
#include "Timing.h"

#include <QTimer>
#include <QWidget>

class AdapterSource;
class ClickableImage;
class Dialogs;
class IndicatorShape;
class QDialog;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSlider;
class QToolButton;
class StatusPanels;

// The monitor window: the unit's live state, its controls and the poll loop.
class TForm1 : public QWidget, public MonitorView {
    Q_OBJECT
public:
    TForm1(AdapterSource &adapters, Dialogs &dialogs, const Timing &timing = Timing{}, QWidget *parent = nullptr);

    // The setup and audio editor windows, opened modally from the window's images.
    void setSecondaryWindows(QDialog *setupWindow, QDialog *audioEditorWindow);

    DeviceLink &link() { return link_; }
    DeviceStatus &status() { return status_; }
    Discovery &discovery() { return discovery_; }
    FileTransfer &transfer() { return transfer_; }
    bool pollingEnabled() const { return poll_.pollingEnabled; }
    const QString &workingFolder() const { return workingFolder_; }

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
    void showRelayAndInputs(std::uint8_t relayBits, std::uint8_t inputBits) override;
    void showVolume(std::uint8_t volume) override;
    void showArmed(bool armed) override;
    void enableForModel(std::uint8_t modelCode) override;
    void showNoDevice() override;
    void repaintNow() override;

signals:
    // The volume slider moved; the audio editor mirrors it on its own slider.
    void volumePositionChanged(int position);

public slots:
    void FormActivate();
    void Timer3Timer();
    void Timer1Timer();
    void TrackBar1Change(int position);
    void SpeedButton4Click();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton5Click();
    void Image1Click();
    void Image2Click();
    void Image3Click();
    void Image5Click();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    QWidget *createStatusBlock();
    QWidget *createInputBlock();
    QWidget *createRelayBlock();
    QWidget *createArmBlock();
    QWidget *createVolumeBlock();
    void setVolumeLabel(int volume);
    void queueArming(std::uint8_t armed);
    // Runs a secondary window modally with polling off; true when it was opened.
    bool runModal(QDialog *window);
    void resumeAfterSecondaryWindow();

    Timing timing_;
    DeviceStatus status_;
    DeviceLink link_;
    FileTransfer transfer_;
    Discovery discovery_;
    PollLoop poll_;
    Dialogs &dialogs_;
    QString workingFolder_;
    bool firstActivationDone_ = false;
    bool firstActivationQueued_ = false;
    QDialog *setupWindow_ = nullptr;
    QDialog *audioEditorWindow_ = nullptr;

    QColor relayOnColor_;
    QColor inputActiveColor_;
    QColor offFillColor_;
    QColor offOutlineColor_;

    QGroupBox *GroupBox3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label12 = nullptr;
    QLabel *Label6 = nullptr;
    QLineEdit *Edit2 = nullptr;
    QToolButton *SpeedButton5 = nullptr;
    ClickableImage *Image1 = nullptr;
    ClickableImage *Image2 = nullptr;
    ClickableImage *Image3 = nullptr;
    QGroupBox *GroupBox1 = nullptr;
    QLabel *Label14 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label21 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label13 = nullptr;
    QLabel *Label15 = nullptr;
    QLabel *Label16 = nullptr;
    IndicatorShape *Shape6 = nullptr;
    IndicatorShape *Shape2 = nullptr;
    IndicatorShape *Shape3 = nullptr;
    IndicatorShape *Shape4 = nullptr;
    IndicatorShape *Shape5 = nullptr;
    IndicatorShape *Shape7 = nullptr;
    ClickableImage *Image5 = nullptr;
    QFrame *Panel1 = nullptr;
    QLabel *Label8 = nullptr;
    QToolButton *SpeedButton4 = nullptr;
    IndicatorShape *Shape1 = nullptr;
    QFrame *Panel2 = nullptr;
    QLabel *Label2 = nullptr;
    QSlider *TrackBar1 = nullptr;
    QFrame *Panel3 = nullptr;
    QToolButton *SpeedButton1 = nullptr;
    QToolButton *SpeedButton2 = nullptr;
    StatusPanels *StatusBar3 = nullptr;
    StatusPanels *StatusBar2 = nullptr;
    StatusPanels *StatusBar1 = nullptr;
    QPlainTextEdit *Memo1 = nullptr;
    QTimer *Timer3 = nullptr;
    QTimer *Timer1 = nullptr;

    // Input labels and indicators in DI1..DI6 order.
    QLabel *inputLabels_[6] = {};
    IndicatorShape *inputShapes_[6] = {};
};
