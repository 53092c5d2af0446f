#include "UnitScan.h"

#include <QSet>

#include "DeviceLink.h"
#include "SingleByteText.h"
#include "UnitTexts.h"

#include <QNetworkInterface>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

namespace {
constexpr int WidestScanPrefix = 16;
constexpr int DefaultCapPrefix = 22;
// The device-information fields reach to this byte: a shorter answer is not a whole one.
constexpr int WholeDeviceInformation = 199;

QByteArray deviceInformationRequest()
{
    QByteArray frame(reinterpret_cast<const char *>(FrameMagic.data()), int(FrameMagic.size()));
    frame.append(char(codeOf(Command::DeviceInformation)));
    frame.append(2, '\0');
    return frame;
}
} // namespace

UnitScan::UnitScan(QObject *parent) : QObject(parent) {}

UnitScan::~UnitScan()
{
    for (QTcpSocket *socket : inFlight_.keys()) {
        socket->disconnect(this);
        socket->abort();
        delete socket;
    }
}

void UnitScan::start(const QList<QHostAddress> &hosts, int jobs, int timeoutMs)
{
    if (running_)
        cancel();
    hosts_ = hosts;
    next_ = 0;
    done_ = 0;
    jobs_ = std::max(1, jobs);
    timeoutMs_ = std::max(1, timeoutMs);
    sightings_.clear();
    unlisted_ = 0;
    running_ = true;
    emit progress(0, int(hosts_.size()));
    if (hosts_.isEmpty()) {
        // Told after start() returns, as for any other scan.
        QTimer::singleShot(0, this, &UnitScan::finish);
        return;
    }
    for (int i = 0; i < jobs_ && next_ < hosts_.size(); ++i)
        launchNext();
}

void UnitScan::cancel()
{
    if (!running_)
        return;
    next_ = int(hosts_.size());
    for (QTcpSocket *socket : inFlight_.keys()) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    inFlight_.clear();
    finish();
}

QList<UnitSighting> UnitScan::sightings() const
{
    QList<UnitSighting> sorted = sightings_;
    std::sort(sorted.begin(), sorted.end(), [](const UnitSighting &a, const UnitSighting &b) {
        return QHostAddress(a.address).toIPv4Address() < QHostAddress(b.address).toIPv4Address();
    });
    return sorted;
}

void UnitScan::launchNext()
{
    auto *socket = new QTcpSocket(this);
    Probe probe{hosts_[next_++], {}, new QTimer(socket)};
    probe.budget->setSingleShot(true);
    connect(probe.budget, &QTimer::timeout, this, [this, socket] { conclude(socket); });
    connect(socket, &QTcpSocket::connected, this, [this, socket] { onConnected(socket); });
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] { conclude(socket); });
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] { conclude(socket); });
    inFlight_.insert(socket, probe);
    probe.budget->start(timeoutMs_);
    socket->connectToHost(probe.host, DevicePort);
}

void UnitScan::onConnected(QTcpSocket *socket)
{
    socket->write(deviceInformationRequest());
}

void UnitScan::onReadyRead(QTcpSocket *socket)
{
    auto it = inFlight_.find(socket);
    if (it == inFlight_.end())
        return;
    // Reads stop at the tool's answer buffer, however much the unit sends.
    it->answer.append(socket->read(DeviceLink::AnswerSize - it->answer.size()));
    if (it->answer.size() >= WholeDeviceInformation)
        conclude(socket);
}

void UnitScan::conclude(QTcpSocket *socket)
{
    const auto it = inFlight_.find(socket);
    if (it == inFlight_.end())
        return; // a socket tells of its end more than once
    const Probe probe = *it;
    inFlight_.erase(it);
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();

    UnitSighting sighting;
    if (decodeSighting(probe.host, probe.answer, sighting)) {
        sightings_.append(sighting);
        emit sighted(sighting);
    } else {
        ++unlisted_;
    }
    emit progress(++done_, int(hosts_.size()));
    if (!running_)
        return; // a slot above cancelled the scan
    if (next_ < hosts_.size())
        launchNext();
    else if (inFlight_.isEmpty())
        finish();
}

void UnitScan::finish()
{
    if (!running_)
        return;
    running_ = false;
    emit finished();
}

bool decodeSighting(const QHostAddress &host, const QByteArray &answer, UnitSighting &sighting)
{
    if (answer.size() < WholeDeviceInformation)
        return false;
    const std::uint8_t echo = std::uint8_t(answer[4]);
    if (echo != codeOf(Command::DeviceInformation) || std::uint8_t(answer[5]) != AckStatus)
        return false; // refused, or the answer to something else: neither is a unit to list

    // The monitor window's own decoding, on a link of its own that sends nothing.
    DeviceStatus status;
    const Timing timing;
    DeviceLink link(status, timing);
    link.deviceAddress = host.toString();
    link.expectedCode = codeOf(Command::DeviceInformation);
    const auto length = std::min<qsizetype>(answer.size(), DeviceLink::AnswerSize);
    std::copy_n(reinterpret_cast<const std::uint8_t *>(answer.constData()), length, link.answer.begin());
    if (link.DispatchAnswer(std::uint32_t(length)).decoded != Decoded::DeviceLinked)
        return false; // wrong magic, or a unit that reports another address and would never link

    sighting.address = host.toString();
    sighting.model = UnitTexts::modelName(status);
    sighting.mac = UnitTexts::mac(status);
    sighting.location = fromSingleByte(status.location);
    sighting.firmware = UnitTexts::firmware(status);
    sighting.sd = UnitTexts::sd(status);
    sighting.rssi = status.rssi;
    sighting.wifiMode = wifiModeName(status);
    return true;
}

QList<QHostAddress> scanHosts(const QString &cidr, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QList<QHostAddress>{};
    };
    if (!cidr.contains(u'/'))
        return fail(QStringLiteral("\"%1\" is not a subnet: give it as ADDRESS/PREFIX, e.g. 127.0.0.0/24").arg(cidr));
    const auto [network, prefix] = QHostAddress::parseSubnet(cidr);
    if (network.protocol() != QAbstractSocket::IPv4Protocol || prefix < 0)
        return fail(QStringLiteral("\"%1\" is not an IPv4 subnet").arg(cidr));
    if (prefix < WidestScanPrefix)
        return fail(QStringLiteral("\"%1\" is wider than /%2").arg(cidr).arg(WidestScanPrefix));

    const quint32 size = quint32(1) << (32 - prefix);
    const quint32 base = network.toIPv4Address() & ~(size - 1);
    // A /31 or /32 has no network or broadcast address to skip.
    const quint32 first = size > 2 ? base + 1 : base;
    const quint32 last = size > 2 ? base + size - 2 : base + size - 1;
    QList<QHostAddress> hosts;
    hosts.reserve(int(last - first + 1));
    for (quint32 a = first; a <= last; ++a)
        hosts.append(QHostAddress(a));
    if (error)
        error->clear();
    return hosts;
}

QList<QHostAddress> scanHosts(const QStringList &subnets, QString *error)
{
    QList<QHostAddress> hosts;
    QSet<quint32> seen;
    for (const QString &subnet : subnets) {
        QString why;
        const QList<QHostAddress> some = scanHosts(subnet, &why);
        if (!why.isEmpty()) {
            if (error)
                *error = why;
            return {};
        }
        for (const QHostAddress &host : some)
            if (!seen.contains(host.toIPv4Address())) {
                seen.insert(host.toIPv4Address());
                hosts << host;
            }
    }
    return hosts;
}

QString cappedSubnet(const QHostAddress &address, int prefixLength)
{
    const int prefix = std::clamp(prefixLength, DefaultCapPrefix, 32);
    const quint32 mask = prefix == 0 ? 0 : ~quint32(0) << (32 - prefix);
    return QHostAddress(address.toIPv4Address() & mask).toString() + "/" + QString::number(prefix);
}

QStringList defaultScanSubnets()
{
    QStringList subnets;
    for (const QNetworkInterface &interface : QNetworkInterface::allInterfaces()) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : interface.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol || entry.prefixLength() < 0)
                continue;
            const QString subnet = cappedSubnet(entry.ip(), entry.prefixLength());
            if (!subnets.contains(subnet))
                subnets << subnet;
        }
    }
    return subnets;
}
