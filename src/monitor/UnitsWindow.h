#pragma once

#include "UnitScan.h"
#include "UnitsBatch.h"

#include <QDialog>
#include <functional>

class Dialogs;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;

// The units on the PC's networks: a scan of the typed subnets into a table, without holding
// up the window. "Use" hands a row's address to the monitor window's address entry; the
// selected rows get batch work, each unit in a zorctl process of its own.
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
    UnitsBatch &batch() { return batch_; }

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
    static constexpr int NoteColumn = 8;
    static constexpr int ResultColumn = 9;

    void buildLayout(const QStringList &defaultSubnets);
    void setQtPrompts();
    void connectBatch();
    void showSightings();
    void showResult(const QString &address);
    void onProgress(int done, int total);
    void onFinished();
    void onBatchFinished();
    void updateButtons();
    QList<UnitSighting> selectedUnits() const;
    QList<int> selectedRows() const;
    // Runs one of the batch's actions on the selected units.
    void onSelection(void (UnitsBatch::*action)(const QList<UnitSighting> &));

    Dialogs &dialogs_;
    UnitScan scan_;
    UnitsBatch batch_;
    bool cancelled_ = false;
    QLineEdit *subnetEdit_ = nullptr;
    QPushButton *scanButton_ = nullptr;
    QPushButton *cancelButton_ = nullptr;
    QProgressBar *progress_ = nullptr;
    QLabel *summary_ = nullptr;
    QTableWidget *table_ = nullptr;
    QPushButton *useButton_ = nullptr;
    QPushButton *exportButton_ = nullptr;
    QList<QPushButton *> actionButtons_;
};
