#include "UnitJson.h"

#include "SingleByteText.h"
#include "UnitTexts.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace {

constexpr int InputCount = 6;

QString onOff(bool on)
{
    return on ? QStringLiteral("ON") : QStringLiteral("OFF");
}

// "3.05" from whole and hundredths, as the unit reports its SD sizes.
double gigabytes(const std::array<std::uint8_t, 2> &size)
{
    return size[0] + std::min<int>(size[1], 99) / 100.0;
}

QString location(const DeviceStatus &status)
{
    return fromSingleByte(status.location);
}

// "V01.20": the monitor's firmware text without its "FW: " label.
QString firmwareVersion(const DeviceStatus &status)
{
    return UnitTexts::firmware(status).mid(4);
}

QByteArray compact(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace

QStringList inputNames(const DeviceStatus &status)
{
    QStringList names;
    for (int i = 0; i < InputCount; ++i) {
        if (status.inputMask & (1u << i))
            names << QStringLiteral("DI%1").arg(i + 1);
    }
    return names;
}

QByteArray stateJson(const DeviceStatus &status)
{
    QJsonObject inputs;
    for (int i = 0; i < InputCount; ++i) {
        if (status.inputMask & (1u << i))
            inputs[QStringLiteral("DI%1").arg(i + 1)] = onOff(status.inputBits & (1u << i));
    }
    QJsonObject sd{{"present", status.sdPresent}};
    sd["free_gb"] = status.sdPresent ? QJsonValue(gigabytes(status.sdFree)) : QJsonValue();
    sd["total_gb"] = status.sdPresent ? QJsonValue(gigabytes(status.sdTotal)) : QJsonValue();
    return compact({
        {"inputs", inputs},
        {"relay", onOff(status.relayBits & 1)},
        {"armed", onOff(status.armed != 0)},
        {"volume", status.volume},
        {"rssi", status.rssi != 0 ? QJsonValue(status.rssi) : QJsonValue()}, // 0: none reported yet
        {"sd", sd},
        {"location", location(status)},
        {"firmware", firmwareVersion(status)},
        {"model", UnitTexts::modelName(status)},
        {"mac", UnitTexts::mac(status)},
    });
}

QList<RetainedMessage> discoveryConfigs(const DeviceStatus &status, const TopicLayout &topics)
{
    const QString id = macId(status);
    const QString model = UnitTexts::modelName(status);
    const QString place = location(status);
    const QJsonObject device{
        {"identifiers", QJsonArray{"zorwifi_" + id}},
        {"connections", QJsonArray{QJsonArray{"mac", UnitTexts::mac(status).toLower()}}},
        {"name", place.isEmpty() ? model + u' ' + UnitTexts::mac(status) : place},
        {"model", model},
        {"sw_version", firmwareVersion(status)},
    };
    const QJsonArray availability{QJsonObject{{"topic", topics.bridgeAvailability()}},
                                  QJsonObject{{"topic", topics.availability(id)}}};

    QList<RetainedMessage> configs;
    auto add = [&](const QString &component, const QString &object, const QString &name, QJsonObject config) {
        config["name"] = name;
        config["unique_id"] = QStringLiteral("zorwifi_%1_%2").arg(id, object);
        config["object_id"] = QStringLiteral("zorwifi_%1_%2").arg(id, object);
        config["device"] = device;
        config["availability"] = availability;
        config["availability_mode"] = "all"; // the bridge and the unit must both be up
        config["state_topic"] = topics.state(id);
        configs.append({topics.discovery(component, id, object), compact(config)});
    };
    auto onOffEntity = [](const QString &key) {
        return QJsonObject{{"value_template", "{{ value_json." + key + " }}"}, {"payload_on", "ON"}, {"payload_off", "OFF"}};
    };

    for (const QString &input : inputNames(status))
        add("binary_sensor", input.toLower(), input, onOffEntity("inputs." + input));
    QJsonObject relay = onOffEntity("relay");
    relay["command_topic"] = topics.command(id, "relay");
    add("switch", "relay", "Relay", relay);
    QJsonObject arming = onOffEntity("armed");
    arming["command_topic"] = topics.command(id, "arming");
    add("switch", "arming", "Armed", arming);
    add("number", "volume", "Volume",
        {{"command_topic", topics.command(id, "volume")},
         {"command_template", "{{ value | int }}"},
         {"value_template", "{{ value_json.volume }}"},
         {"min", 0}, {"max", 10}, {"step", 1}, {"mode", "slider"}});
    add("button", "locate", "Locate", {{"command_topic", topics.command(id, "locate")}, {"payload_press", "PRESS"}});
    add("sensor", "rssi", "RSSI",
        {{"value_template", "{{ value_json.rssi }}"}, {"unit_of_measurement", "dBm"},
         {"device_class", "signal_strength"}, {"state_class", "measurement"}, {"entity_category", "diagnostic"}});
    add("sensor", "sd_free", "SD free",
        {{"value_template", "{{ value_json.sd.free_gb }}"}, {"unit_of_measurement", "GB"},
         {"device_class", "data_size"}, {"state_class", "measurement"}, {"entity_category", "diagnostic"}});
    return configs;
}
