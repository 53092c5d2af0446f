#pragma once

#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class QTcpSocket;
class QTimer;

// One unit that gave a valid device-information answer, in the tool's own wording.
struct UnitSighting {
    QString address;
    QString model;
    QString mac;
    QString location;
    QString firmware;
    QString sd;
    int rssi = 0; // dBm; 0 when the unit reported none
    QString wifiMode; // "ap" or "station"
};

// Asks many hosts at once for their device information, without blocking the event loop.
class UnitScan : public QObject {
    Q_OBJECT

public:
    static constexpr int DefaultJobs = 64;
    static constexpr int DefaultTimeoutMs = 1000;

    explicit UnitScan(QObject *parent = nullptr);
    ~UnitScan() override;

    // timeoutMs bounds connect and answer together, per host. A running scan is cancelled first.
    void start(const QList<QHostAddress> &hosts, int jobs = DefaultJobs, int timeoutMs = DefaultTimeoutMs);
    // Drops the hosts not asked yet and those in flight; finished() follows.
    void cancel();
    bool isRunning() const { return running_; }

    QList<UnitSighting> sightings() const; // sorted by address
    int unlisted() const { return unlisted_; } // refused, silent, or answered something else

signals:
    void progress(int done, int total);
    void sighted(const UnitSighting &sighting);
    void finished();

private:
    struct Probe {
        QHostAddress host;
        QByteArray answer;
        QTimer *budget = nullptr;
    };

    void launchNext();
    void onConnected(QTcpSocket *socket);
    void onReadyRead(QTcpSocket *socket);
    // Ends a probe: listed when its answer holds a valid device information.
    void conclude(QTcpSocket *socket);
    void finish();

    QList<QHostAddress> hosts_;
    int next_ = 0;
    int done_ = 0;
    int jobs_ = DefaultJobs;
    int timeoutMs_ = DefaultTimeoutMs;
    bool running_ = false;
    QHash<QTcpSocket *, Probe> inFlight_;
    QList<UnitSighting> sightings_;
    int unlisted_ = 0;
};

// A device-information answer from `host` as a sighting; false when it is none.
bool decodeSighting(const QHostAddress &host, const QByteArray &answer, UnitSighting &sighting);

// The host addresses of an IPv4 subnet "a.b.c.d/n", without its network and broadcast
// addresses (a /31 or /32 keeps both or its one). Empty with `error` for a malformed
// subnet or one wider than /16.
QList<QHostAddress> scanHosts(const QString &cidr, QString *error);
// Every host of the subnets once, in their order: overlapping subnets ask a host once. Empty
// with `error` as soon as one subnet is wrong, so nothing is asked.
QList<QHostAddress> scanHosts(const QStringList &subnets, QString *error);
// The subnet to scan around an interface address: its own, narrowed to the /22 around it.
QString cappedSubnet(const QHostAddress &address, int prefixLength);
// The PC's up IPv4 interfaces other than loopback, each capped as above.
QStringList defaultScanSubnets();
