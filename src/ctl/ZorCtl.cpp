#include "ZorCtl.h"

#include "CtlView.h"
#include "DeviceLink.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <optional>

namespace {
const char *const Usage =
    "usage: zorctl [--address IP] [--json] info | status | relay on|off | volume 0..10 | arm | disarm | locate\n";

struct CtlRequest {
    QString address = QString(DefaultSubnetPrefix) + "1";
    bool json = false;
    QString command;
    int value = 0; // relay state or volume
};

void printLine(FILE *stream, const QString &line)
{
    std::fprintf(stream, "%s\n", line.toLocal8Bit().constData());
}

std::optional<CtlRequest> parse(const QStringList &arguments)
{
    CtlRequest request;
    QStringList words;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments[i];
        if (a == "--json")
            request.json = true;
        else if (a == "--address" && i + 1 < arguments.size())
            request.address = arguments[++i];
        else if (a.startsWith("--address="))
            request.address = a.mid(10);
        else if (a.startsWith('-'))
            return std::nullopt;
        else
            words << a;
    }
    if (words.isEmpty())
        return std::nullopt;
    request.command = words.takeFirst();
    static const QStringList plain{"info", "status", "arm", "disarm", "locate"};
    if (plain.contains(request.command))
        return words.isEmpty() ? std::optional(request) : std::nullopt;
    if (words.size() != 1)
        return std::nullopt;
    bool ok = false;
    if (request.command == "relay" && (words[0] == "on" || words[0] == "off")) {
        request.value = words[0] == "on" ? 1 : 0;
        return request;
    }
    if (request.command == "volume") {
        request.value = words[0].toInt(&ok);
        if (ok && request.value >= 0 && request.value <= 10)
            return request;
    }
    return std::nullopt;
}

class Session {
public:
    explicit Session(const CtlRequest &request) : request_(request), link_(status_, view_, dialogs_, timing_)
    {
        link_.deviceAddress = request.address;
    }

    int run()
    {
        // Every command reads the unit first: the masks come from its model, and volume and
        // arming requests keep the unit's current arming or volume.
        if (const int failed = exchange([this] { link_.requestDeviceInformation(); }))
            return failed;
        if (!status_.linked) {
            printLine(stderr, "zorctl: the unit at " + request_.address + " answers as " + link_.reportedAddress());
            return CtlNoUsableAnswer;
        }
        const QString &c = request_.command;
        if (c == "info") {
            print(infoObject());
            return CtlDone;
        }
        int failed = CtlDone;
        if (c == "status")
            failed = exchange([this] { link_.pollStatus(); });
        else if (c == "relay")
            failed = sendQueued([this] { link_.queueRelay(1, std::uint8_t(request_.value)); });
        else if (c == "volume")
            failed = sendQueued([this] { link_.queueVolumeArming(std::uint8_t(request_.value), status_.armed, false); });
        else if (c == "arm" || c == "disarm")
            failed = sendQueued([this, c] { link_.queueVolumeArming(status_.volume, c == "arm" ? 1 : 0, true); });
        else if (c == "locate")
            failed = sendQueued([this] { link_.queueLocator(); });
        if (failed)
            return failed;
        if (c == "status")
            print(statusObject());
        else
            printLine(stdout, view_.statusLine().isEmpty() ? QStringLiteral("done") : view_.statusLine());
        return CtlDone;
    }

private:
    template <typename Send>
    int exchange(Send send)
    {
        view_.setStatusLine(QString());
        link_.answerLength = 0;
        send();
        if (view_.statusLine() == ConnectTimeoutText) {
            printLine(stderr, "zorctl: no connection to " + request_.address + " (" + ConnectTimeoutText + ")");
            return CtlNoConnection;
        }
        if (link_.answerLength == 0) {
            printLine(stderr, "zorctl: no answer from " + request_.address);
            return CtlNoUsableAnswer;
        }
        if (view_.statusLine() == InvalidHeaderText) {
            printLine(stderr, "zorctl: " + QString(InvalidHeaderText));
            return CtlNoUsableAnswer;
        }
        if (link_.answer[5] != AckStatus) {
            printLine(stderr, QStringLiteral("zorctl: the unit refused request %1 (status %2)")
                                  .arg(link_.request[4]).arg(link_.answer[5]));
            return CtlNoUsableAnswer;
        }
        return CtlDone;
    }

    // The monitor window's way: fill the slot, then send it as the poll timer does.
    template <typename Queue>
    int sendQueued(Queue queue)
    {
        return exchange([this, queue] {
            queue();
            link_.sendPending();
        });
    }

    QJsonObject statusObject() const
    {
        QJsonObject o{{"relay", status_.relayBits},
                      {"inputs", status_.inputBits},
                      {"volume", status_.volume},
                      {"armed", status_.armed}};
        if (status_.rssi != 0)
            o["rssi"] = status_.rssi;
        return o;
    }

    QJsonObject infoObject() const
    {
        QJsonObject o = statusObject();
        o["model"] = view_.model;
        o["modelCode"] = status_.modelCode;
        o["address"] = link_.reportedAddress();
        o["mac"] = view_.mac.section(' ', -1);
        o["firmware"] = view_.firmware;
        o["sd"] = view_.sd;
        o["sdPresent"] = status_.sdPresent;
        o["location"] = QString::fromLatin1(status_.location);
        o["apSsid"] = QString::fromLatin1(status_.apSsid);
        o["apKeyType"] = status_.apKeyType;
        o["stationSsid"] = QString::fromLatin1(status_.stationSsid);
        o["stationKeyType"] = status_.stationKeyType;
        o["wifiMode"] = status_.wifiMode;
        o["modbusPort"] = status_.modbusPort;
        o["modbusIdleTimeout"] = status_.modbusIdleTimeout;
        o["staticIpUsed"] = status_.staticIpUsed;
        o["staticIp"] = dottedAddress(status_.staticIp);
        o["subnetMask"] = dottedAddress(status_.subnetMask);
        o["gateway"] = dottedAddress(status_.gateway);
        o["deviceMode"] = status_.deviceMode;
        return o;
    }

    void print(const QJsonObject &o) const
    {
        if (request_.json) {
            printLine(stdout, QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
            return;
        }
        for (auto it = o.begin(); it != o.end(); ++it)
            printLine(stdout, it.key() + ": " + it.value().toVariant().toString());
    }

    CtlRequest request_;
    DeviceStatus status_;
    CtlView view_;
    CtlDialogs dialogs_;
    Timing timing_;
    DeviceLink link_;
};
} // namespace

int runZorCtl(const QStringList &arguments)
{
    if (arguments.contains("--help") || arguments.contains("-h")) {
        std::fputs(Usage, stdout);
        return CtlDone;
    }
    const auto request = parse(arguments);
    if (!request) {
        std::fputs(Usage, stderr);
        return CtlUsage;
    }
    try {
        return Session(*request).run();
    } catch (const std::exception &e) {
        printLine(stderr, QString("zorctl: ") + e.what());
        return CtlNoUsableAnswer;
    }
}
