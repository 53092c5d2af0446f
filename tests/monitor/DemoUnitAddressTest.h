#pragma once

#include <QObject>

class DemoUnitAddressTest : public QObject {
    Q_OBJECT
private slots:
    void loopbackAddressesAreTaken_data();
    void loopbackAddressesAreTaken();
    void everythingElseIsRefused_data();
    void everythingElseIsRefused();
};
