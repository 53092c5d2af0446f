#include "ZorCtl.h"

#include "DeviceLink.h"
#include "LinkEvents.h"
#include "UnitTexts.h"

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

// The monitor window's texts, as a terminal shows them: on stderr.
class TerminalEvents : public LinkEvents {
public:
    explicit TerminalEvents(const DeviceStatus &status) : status_(status) {}
    void exchanged(const ExchangeResult &result) override
    {
        const QString text = UnitTexts::statusLine(result, status_);
        if (!text.isEmpty())
            printLine(stderr, text);
    }
    void transferNote(const TransferNote &note) override
    {
        const UnitTexts::NoteText text = UnitTexts::transferNote(note);
        for (const QString &line : text.logLines)
            printLine(stderr, line);
        if (!text.statusLine.isEmpty())
            printLine(stderr, text.statusLine);
    }

private:
    const DeviceStatus &status_;
};

class Session {
public:
    explicit Session(const CtlRequest &request) : request_(request), events_(status_), link_(status_, timing_)
    {
        link_.deviceAddress = request.address;
        link_.events = &events_;
    }

    int run()
    {
        // Every command reads the unit first: the masks come from its model, and volume and
        // arming requests keep the unit's current arming or volume.
        const ExchangeResult information = link_.requestDeviceInformation();
        if (const int failed = exitFor(information))
            return failed;
        if (information.decoded == Decoded::DeviceOtherAddress) {
            printLine(stderr, "zorctl: the unit at " + request_.address + " answers as "
                                  + dottedAddress(status_.reportedAddress));
            return CtlNoUsableAnswer;
        }
        const QString &c = request_.command;
        if (c == "info") {
            print(infoObject());
            return CtlDone;
        }
        ExchangeResult result;
        if (c == "status")
            result = link_.pollStatus();
        else if (c == "relay")
            result = sendQueued([this] { link_.queueRelay(1, std::uint8_t(request_.value)); });
        else if (c == "volume")
            result = sendQueued([this] { link_.queueVolumeArming(std::uint8_t(request_.value), status_.armed, false); });
        else if (c == "arm" || c == "disarm")
            result = sendQueued([this, c] { link_.queueVolumeArming(status_.volume, c == "arm" ? 1 : 0, true); });
        else if (c == "locate")
            result = sendQueued([this] { link_.queueLocator(); });
        if (const int failed = exitFor(result))
            return failed;
        if (c == "status") {
            print(statusObject());
        } else {
            const QString text = UnitTexts::statusLine(result, status_);
            printLine(stdout, text.isEmpty() ? QStringLiteral("done") : text);
        }
        return CtlDone;
    }

private:
    int exitFor(const ExchangeResult &result) const
    {
        switch (result.outcome) {
        case ExchangeOutcome::NoConnection:
            printLine(stderr, "zorctl: no connection to " + request_.address);
            return CtlNoConnection;
        case ExchangeOutcome::NoAnswer:
            printLine(stderr, "zorctl: no answer from " + request_.address);
            return CtlNoUsableAnswer;
        case ExchangeOutcome::SocketError:
            printLine(stderr, "zorctl: " + result.error);
            return CtlNoUsableAnswer;
        case ExchangeOutcome::Busy:
        case ExchangeOutcome::LinkCheckFailed:
            return CtlNoUsableAnswer; // not reached: zorctl runs one request at a time without a link check
        case ExchangeOutcome::Sent:
            return CtlDone;
        case ExchangeOutcome::Answered:
            break;
        }
        if (result.decoded == Decoded::InvalidHeader)
            return CtlNoUsableAnswer; // its text is already on stderr
        if (result.status != AckStatus) {
            printLine(stderr, QStringLiteral("zorctl: the unit refused request %1 (status %2)")
                                  .arg(codeOf(result.command)).arg(result.status));
            return CtlNoUsableAnswer;
        }
        return CtlDone;
    }

    // The monitor window's way: fill the slot, then send it as the poll timer does.
    template <typename Queue>
    ExchangeResult sendQueued(Queue queue)
    {
        queue();
        return link_.sendPending();
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
        o["model"] = UnitTexts::modelName(status_);
        o["modelCode"] = status_.modelCode;
        o["address"] = dottedAddress(status_.reportedAddress);
        o["mac"] = UnitTexts::mac(status_);
        o["firmware"] = UnitTexts::firmware(status_);
        o["sd"] = UnitTexts::sd(status_);
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
    TerminalEvents events_;
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
    return Session(*request).run();
}
