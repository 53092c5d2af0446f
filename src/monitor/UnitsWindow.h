#pragma once

#include "UnitScan.h"

#include <QDialog>
#include <functional>

class Dialogs;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

// The units on the PC's networks: a scan of the typed subnets into a table, without holding
// up the window. "Use" hands a row's address to the monitor window's address entry.
class UnitsWindow : public QDialog {
    Q_OBJECT
public:
    UnitsWindow(Dialogs &dialogs, const QStringList &defaultSubnets, QWidget *parent = nullptr);

    int jobs = UnitScan::DefaultJobs;
    int timeoutMs = UnitScan::DefaultTimeoutMs;
    // Asks where to export; an empty result means cancelled. Tests replace it.
    std::function<QString()> chooseExportPath;
    // The PC's connected Wi-Fi adapters: a unit on none of their subnets is marked, as the
    // link check will not pass for it. Unset marks nothing.
    std::function<QStringList()> wifiAddresses;

    const UnitScan &scan() const { return scan_; }

signals:
    void useAddress(const QString &address);

public slots:
    void startScan();
    void cancelScan();
    void useSelected();
    void exportCsv();

protected:
    void done(int result) override;

private:
    void showSightings();
    void onProgress(int done, int total);
    void onFinished();
    void updateButtons();

    Dialogs &dialogs_;
    UnitScan scan_;
    bool cancelled_ = false;
    QLineEdit *subnetEdit_;
    QPushButton *scanButton_;
    QPushButton *cancelButton_;
    QProgressBar *progress_;
    QLabel *summary_;
    QTableWidget *table_;
    QPushButton *useButton_;
    QPushButton *exportButton_;
};
