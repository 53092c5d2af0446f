#pragma once

#include "SetupRunner.h"

#include <QDialog>
#include <initializer_list>
#include <utility>

class ClickableImage;
class Dialogs;
class FlashGauge;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QTimer;
class UnitSession;

// The setup window: the unit's network, identity and Modbus settings, one group at a time,
// and the commands on the unit as a whole. Opened modally by the monitor window, which
// suspends polling around it and resumes it afterwards.
class SetupWindow : public QDialog {
    Q_OBJECT
public:
    SetupWindow(UnitSession &session, Dialogs &dialogs, QWidget *parent = nullptr);
    ~SetupWindow() override;

signals:
    // A line for the monitor window's log.
    void monitorLogLine(const QString &line);
    // The result of an apply that has no completion box, for the monitor window's status line.
    void statusLine(const QString &text);

public slots:
    // Shows the settings of the latest status; runs each time the window is opened.
    void readBack();
    void setStaticAddressEnabled(bool on);
    void applyAccessPoint();
    void applyStation();
    void applyStaticAddress();
    void applyWebKey();
    void applyLocation();
    void applyModbusTcp();
    // The RTU apply in two halves: fresh device information is asked for, and
    // Timer1 decides on the SD card once it has had time to come.
    void requestModbusRtu();
    void writeModbusRtu();
    void applyWifiMode();
    void resetToDefaults();
    void updateFirmware();
    void rebootUnit();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildLayout();
    QGroupBox *createAccessPointGroup();
    QGroupBox *createStationGroup();
    QFrame *createStaticAddressPanel(QWidget *parent);
    QGroupBox *createLocationGroup();
    QGroupBox *createWifiModeGroup();
    QGroupBox *createWebGroup();
    QGroupBox *createModbusTcpGroup();
    QGroupBox *createModbusRtuGroup();
    void createBottomRow();
    QLineEdit *addEdit(QWidget *parent, const QString &name, const QString &labelName,
                       const QString &label, int y);
    QComboBox *addComboBox(QWidget *parent, const QString &name, const QString &labelName, const QString &label,
                           const QStringList &items, const QString &initial, int y);
    ClickableImage *addApplyImage(QWidget *parent, const QString &name, const QString &hint, const QPoint &at);
    void placeModbusGroups();
    void showSdIndicator();
    bool running() const;
    // Runs the result's plan, or shows its error and puts the focus on the input at fault.
    void apply(const SetupResult &result, std::initializer_list<std::pair<SetupInput, QWidget *>> inputs);
    void run(const SetupPlan &plan);

    UnitSession &session_;
    SetupRunner runner_;

    QLineEdit *apSsidEdit_ = nullptr;
    QRadioButton *apOpenRadio_ = nullptr;
    QRadioButton *apWpaRadio_ = nullptr;
    QLineEdit *apKeyEdit_ = nullptr;
    QLineEdit *stationSsidEdit_ = nullptr;
    QRadioButton *stationOpenRadio_ = nullptr;
    QRadioButton *stationWepRadio_ = nullptr;
    QRadioButton *stationWpaRadio_ = nullptr;
    QLineEdit *stationKeyEdit_ = nullptr;
    QCheckBox *staticIpCheck_ = nullptr;
    QLabel *staticIpLabels_[3] = {};
    QLineEdit *staticIpEdit_ = nullptr;
    QLineEdit *maskEdit_ = nullptr;
    QLineEdit *gatewayEdit_ = nullptr;
    QLineEdit *webKeyEdit_ = nullptr;
    QLineEdit *locationEdit_ = nullptr;
    QGroupBox *modbusTcpGroup_ = nullptr;
    QLineEdit *modbusPortEdit_ = nullptr;
    QLineEdit *idleTimeoutEdit_ = nullptr;
    QGroupBox *modbusRtuGroup_ = nullptr;
    QLineEdit *deviceIdEdit_ = nullptr;
    QComboBox *baudRateBox_ = nullptr;
    QComboBox *parityBox_ = nullptr;
    QComboBox *dataBitsBox_ = nullptr;
    QComboBox *stopBitsBox_ = nullptr;
    QLabel *sdIndicator_ = nullptr;
    QRadioButton *apModeRadio_ = nullptr;
    QRadioButton *stationModeRadio_ = nullptr;
    FlashGauge *gauge_ = nullptr;
    QPlainTextEdit *rtuLog_ = nullptr;
    QTimer *sdCheckTimer_ = nullptr;
    bool running_ = false;
};
