#include "UnitCommands.h"

#include "SingleByteText.h"
#include "UnitTexts.h"

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>

namespace {
QJsonObject statusObject(const DeviceStatus &status)
{
    QJsonObject o{{"relay", status.relayBits}, {"inputs", status.inputBits}, {"volume", status.volume},
                  {"armed", status.armed}};
    if (status.rssi != 0)
        o["rssi"] = status.rssi;
    return o;
}

QJsonObject infoObject(const DeviceStatus &status)
{
    QJsonObject o = statusObject(status);
    o["model"] = UnitTexts::modelName(status);
    o["modelCode"] = status.modelCode;
    o["address"] = dottedAddress(status.reportedAddress);
    o["mac"] = UnitTexts::mac(status);
    o["firmware"] = UnitTexts::firmware(status);
    o["sd"] = UnitTexts::sd(status);
    o["sdPresent"] = status.sdPresent;
    o["location"] = fromSingleByte(status.location);
    o["apSsid"] = fromSingleByte(status.apSsid);
    o["apKeyType"] = status.apKeyType;
    o["stationSsid"] = fromSingleByte(status.stationSsid);
    o["stationKeyType"] = status.stationKeyType;
    o["wifiMode"] = wifiModeName(status);
    o["modbusPort"] = status.modbusPort;
    o["modbusIdleTimeout"] = status.modbusIdleTimeout;
    o["staticIpUsed"] = status.staticIpUsed;
    o["staticIp"] = dottedAddress(status.staticIp);
    o["subnetMask"] = dottedAddress(status.subnetMask);
    o["gateway"] = dottedAddress(status.gateway);
    o["deviceMode"] = status.deviceMode;
    return o;
}

// Every command reads the unit first: the masks come from its model, and volume and arming
// requests keep the unit's current arming or volume. Queued requests go out as the poll timer sends them.
int runQueued(const CtlOptions &options, const std::function<void(CtlSession &)> &queue)
{
    CtlSession session(options);
    if (const int failed = session.readDeviceInformation())
        return failed;
    queue(session);
    const ExchangeResult result = session.link.sendPending();
    if (const int failed = session.exitFor(result))
        return failed;
    const QString text = UnitTexts::statusLine(result, session.status);
    printLine(stdout, text.isEmpty() ? QStringLiteral("done") : text);
    return CtlDone;
}
} // namespace

void addUnitCommands(CLI::App &app, const CtlOptions &options, int &exitCode)
{
    app.add_subcommand("info", "Read the unit's device information")->callback([&] {
        CtlSession session(options);
        exitCode = session.readDeviceInformation();
        if (exitCode == CtlDone)
            session.print(infoObject(session.status));
    });
    app.add_subcommand("status", "Read device information, then poll the unit's live state")->callback([&] {
        CtlSession session(options);
        exitCode = session.readDeviceInformation();
        if (exitCode == CtlDone)
            exitCode = session.exitFor(session.link.pollStatus());
        if (exitCode == CtlDone)
            session.print(statusObject(session.status));
    });

    auto relayState = std::make_shared<std::string>();
    auto *relay = app.add_subcommand("relay", "Switch the relay output");
    relay->add_option("state", *relayState, "on or off")->required()->check(CLI::IsMember({"on", "off"}));
    relay->callback([&, relayState] {
        exitCode = runQueued(options, [&](CtlSession &s) { s.link.queueRelay(1, *relayState == "on" ? 1 : 0); });
    });

    auto volumeValue = std::make_shared<int>(0);
    auto *volume = app.add_subcommand("volume", "Set the volume, keeping the arming");
    volume->add_option("level", *volumeValue, "0 to 10")->required()->check(CLI::Range(0, 10));
    volume->callback([&, volumeValue] {
        exitCode = runQueued(options, [&](CtlSession &s) {
            s.link.queueVolumeArming(std::uint8_t(*volumeValue), s.status.armed, false);
        });
    });

    app.add_subcommand("arm", "Arm the unit, keeping the volume")->callback([&] {
        exitCode = runQueued(options, [](CtlSession &s) { s.link.queueVolumeArming(s.status.volume, 1, true); });
    });
    app.add_subcommand("disarm", "Disarm the unit, keeping the volume")->callback([&] {
        exitCode = runQueued(options, [](CtlSession &s) { s.link.queueVolumeArming(s.status.volume, 0, true); });
    });
    app.add_subcommand("locate", "Have the unit make itself noticed")->callback([&] {
        exitCode = runQueued(options, [](CtlSession &s) { s.link.queueLocator(); });
    });
}
