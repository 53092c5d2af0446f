#pragma once

#include <QObject>

// The Units window: its scan of loopback subnets, the CSV export, "Use", and what its batch asks of zorctl.
class UnitsWindowTest : public QObject {
    Q_OBJECT

private slots:
    void csvFields_data();
    void csvFields();
    void subnetEntryIsChecked_data();
    void subnetEntryIsChecked();
    void scanListsTheUnitsWithoutHoldingUpTheWindow();
    void cancelAndCloseEndTheScan();
    void rowsOffTheWifiSubnetAreMarked();
    void batchCommandLines_data();
    void batchCommandLines();
    void childRunEnds_data();
    void childRunEnds();
    void firmwareIsCheckedAndConfirmedOnce_data();
    void firmwareIsCheckedAndConfirmedOnce();
};
