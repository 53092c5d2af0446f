#include "UnitBackup.h"

#include "DeviceLink.h"
#include "EditorFiles.h"
#include "SingleByteText.h"
#include "UnitTexts.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

const QString FormatName = QStringLiteral("zorwifi unit backup");
constexpr qint64 BackupFileLimit = 64 * 1048576;

QString addressText(const std::array<std::uint8_t, 4> &octets)
{
    return dottedAddress(octets);
}

// Reads the JSON of a backup; the first fault found ends the reading.
class BackupReader {
public:
    QString error;

    bool ok() const { return error.isEmpty(); }
    void fail(const QString &why)
    {
        if (error.isEmpty())
            error = why;
    }
    QJsonObject object(const QJsonObject &from, const QString &key)
    {
        if (!from.value(key).isObject())
            fail("\"" + key + "\" is missing or not an object");
        return from.value(key).toObject();
    }
    QString text(const QJsonObject &from, const QString &key)
    {
        if (!from.value(key).isString())
            fail("\"" + key + "\" is missing or not a text");
        return from.value(key).toString();
    }
    // Unit texts are single bytes: a character outside the code page cannot have come from the unit.
    QByteArray bytes(const QJsonObject &from, const QString &key)
    {
        const QString value = text(from, key);
        const QByteArray single = toSingleByte(value);
        if (fromSingleByte(single) != value)
            fail("\"" + key + "\" holds characters the unit cannot store");
        return single;
    }
    int number(const QJsonObject &from, const QString &key, int lowest, int highest)
    {
        const QJsonValue value = from.value(key);
        const double n = value.toDouble(-1);
        if (!value.isDouble() || n != int(n) || n < lowest || n > highest)
            fail(QStringLiteral("\"%1\" is not a whole number from %2 to %3").arg(key).arg(lowest).arg(highest));
        return int(n);
    }
    bool flag(const QJsonObject &from, const QString &key)
    {
        if (!from.value(key).isBool())
            fail("\"" + key + "\" is missing or not true/false");
        return from.value(key).toBool();
    }
    std::array<std::uint8_t, 4> address(const QJsonObject &from, const QString &key)
    {
        const QStringList parts = text(from, key).split(u'.');
        std::array<std::uint8_t, 4> octets{};
        bool good = parts.size() == 4;
        for (int i = 0; good && i < 4; ++i) {
            const int value = parts[i].toInt(&good);
            good = good && value >= 0 && value <= 255 && parts[i] == QString::number(value);
            octets[i] = std::uint8_t(value);
        }
        if (!good)
            fail("\"" + key + "\" is not a dotted address");
        return octets;
    }
    std::optional<QByteArray> content(const QJsonObject &files, const QString &name)
    {
        const QJsonValue value = files.value(name);
        if (value.isNull())
            return std::nullopt; // absent on the unit
        const auto decoded = QByteArray::fromBase64Encoding(value.toString().toLatin1(),
                                                            QByteArray::AbortOnBase64DecodingErrors);
        if (!value.isString() || !decoded)
            fail("\"" + name + "\" is neither base64 nor null");
        return *decoded;
    }
};

} // namespace

std::optional<QByteArray> UnitBackup::file(const QString &name) const
{
    for (const auto &[fileName, content] : files)
        if (fileName == name)
            return content;
    return std::nullopt;
}

UnitBackup backupOf(const DeviceStatus &status, const QString &address)
{
    UnitBackup b;
    b.model = UnitTexts::modelName(status);
    b.modelCode = status.modelCode;
    b.mac = UnitTexts::mac(status);
    b.firmware = UnitTexts::firmware(status);
    b.address = address;
    b.apSsid = status.apSsid;
    b.apKeyType = status.apKeyType;
    b.apKey = status.apKeyType != 0 ? status.apKey : QByteArray();
    b.stationSsid = status.stationSsid;
    b.stationKeyType = status.stationKeyType;
    b.stationKey = status.stationKeyType != 0 ? status.stationKey : QByteArray();
    b.location = status.location;
    b.modbusPort = status.modbusPort;
    b.modbusIdleTimeout = status.modbusIdleTimeout;
    b.staticIpUsed = status.staticIpUsed;
    b.staticIp = status.staticIp;
    b.subnetMask = status.subnetMask;
    b.gateway = status.gateway;
    b.accessPointMode = status.wifiMode != 0;
    return b;
}

QString groupOf(BackupPart part)
{
    switch (part) {
    case BackupPart::AccessPoint:
    case BackupPart::Station:
    case BackupPart::StaticAddress:
        return QStringLiteral("network");
    case BackupPart::Location:
        return QStringLiteral("location");
    case BackupPart::ModbusTcp:
    case BackupPart::ModbusRtu:
        return QStringLiteral("modbus");
    case BackupPart::Alarm:
        return QStringLiteral("alarm");
    case BackupPart::WifiMode:
        break;
    }
    return QStringLiteral("wifi-mode");
}

QList<BackupPart> partsOf(const QString &group)
{
    QList<BackupPart> parts;
    for (unsigned bit = 1; bit <= AllBackupParts; bit <<= 1)
        if (groupOf(BackupPart(bit)) == group)
            parts << BackupPart(bit);
    return parts;
}

QJsonObject backupJson(const UnitBackup &b)
{
    QJsonObject files;
    for (const auto &[name, content] : b.files)
        files[name] = content ? QJsonValue(QString::fromLatin1(content->toBase64())) : QJsonValue();
    QJsonObject settings;
    const auto put = [&](BackupPart part, std::initializer_list<std::pair<const char *, QJsonValue>> values) {
        if (b.holds(part))
            for (const auto &[key, value] : values)
                settings[QLatin1String(key)] = value;
    };
    put(BackupPart::AccessPoint, {{"apSsid", fromSingleByte(b.apSsid)}, {"apKeyType", b.apKeyType}, {"apKey", fromSingleByte(b.apKey)}});
    put(BackupPart::Station, {{"stationSsid", fromSingleByte(b.stationSsid)},
                              {"stationKeyType", b.stationKeyType},
                              {"stationKey", fromSingleByte(b.stationKey)}});
    put(BackupPart::Location, {{"location", fromSingleByte(b.location)}});
    put(BackupPart::ModbusTcp, {{"modbusPort", b.modbusPort}, {"modbusIdleTimeout", b.modbusIdleTimeout}});
    put(BackupPart::StaticAddress, {{"staticIpUsed", b.staticIpUsed},
                                    {"staticIp", addressText(b.staticIp)},
                                    {"subnetMask", addressText(b.subnetMask)},
                                    {"gateway", addressText(b.gateway)}});
    put(BackupPart::WifiMode, {{"wifiMode", wifiModeName(b.accessPointMode)}});
    QJsonObject backup{{"format", FormatName}, {"version", BackupFormatVersion}, {"settings", settings}, {"files", files}};
    if (!b.profile)
        backup["identity"] = QJsonObject{{"model", b.model}, {"modelCode", b.modelCode}, {"mac", b.mac},
                                         {"firmware", b.firmware}, {"address", b.address}};
    if (b.withClips && b.holds(BackupPart::Alarm)) {
        QJsonArray clips;
        for (const BackupClip &clip : b.clips) {
            QJsonObject o{{"number", clip.number}, {"saved", clip.saved}};
            if (clip.saved) {
                o["size"] = clip.size;
                o["sum"] = qint64(clip.sum);
            }
            clips.append(o);
        }
        backup["clips"] = QJsonObject{{"folder", b.clipFolder}, {"files", clips}};
    }
    return backup;
}

namespace {

struct PartKeys {
    BackupPart part;
    QStringList settings, files;
};

const QList<PartKeys> KeysOfParts{
    {BackupPart::AccessPoint, {"apSsid", "apKeyType", "apKey"}, {}},
    {BackupPart::Station, {"stationSsid", "stationKeyType", "stationKey"}, {}},
    {BackupPart::StaticAddress, {"staticIpUsed", "staticIp", "subnetMask", "gateway"}, {}},
    {BackupPart::Location, {"location"}, {}},
    {BackupPart::ModbusTcp, {"modbusPort", "modbusIdleTimeout"}, {}},
    {BackupPart::ModbusRtu, {}, {"RTU.CFG"}},
    {BackupPart::Alarm, {}, {"plist.cfg", "m3fn.txt"}},
    {BackupPart::WifiMode, {"wifiMode"}, {}},
};

// A profile holds the parts it names any key of; a backup holds them all.
unsigned partsNamed(const QJsonObject &settings, const QJsonObject &files)
{
    unsigned parts = 0;
    for (const PartKeys &keys : KeysOfParts)
        for (const QString &key : keys.settings + keys.files)
            if ((keys.files.contains(key) ? files : settings).contains(key))
                parts |= unsigned(keys.part);
    return parts;
}

} // namespace

std::optional<UnitBackup> readBackup(const QByteArray &bytes, QString &error)
{
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (!document.isObject()) {
        error = "not a backup: " + (parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                                                : QStringLiteral("no JSON object"));
        return std::nullopt;
    }
    const QJsonObject root = document.object();
    if (root.value("format").toString() != FormatName) {
        error = QStringLiteral("not a zorwifi unit backup");
        return std::nullopt;
    }
    if (root.value("version") != QJsonValue(BackupFormatVersion)) {
        error = "backup format version " + root.value("version").toVariant().toString()
                + " is not one this zorctl reads (it reads " + QString::number(BackupFormatVersion) + ")";
        return std::nullopt;
    }

    BackupReader r;
    UnitBackup b;
    b.profile = !root.contains("identity");
    if (!b.profile) {
        const QJsonObject identity = r.object(root, "identity");
        b.model = r.text(identity, "model");
        b.mac = r.text(identity, "mac");
        b.firmware = r.text(identity, "firmware");
        b.address = r.text(identity, "address");
        b.modelCode = r.number(identity, "modelCode", 0, 255);
    }
    const auto optionalObject = [&](const QString &key) {
        return b.profile && !root.contains(key) ? QJsonObject() : r.object(root, key);
    };
    const QJsonObject s = optionalObject("settings");
    const QJsonObject files = optionalObject("files");
    if (b.profile) {
        b.parts = partsNamed(s, files);
        if (b.parts == 0)
            r.fail(QStringLiteral("the profile holds no settings or files"));
    }

    if (b.holds(BackupPart::AccessPoint)) {
        b.apSsid = r.bytes(s, "apSsid");
        b.apKeyType = r.number(s, "apKeyType", 0, 255);
        b.apKey = r.bytes(s, "apKey");
    }
    if (b.holds(BackupPart::Station)) {
        b.stationSsid = r.bytes(s, "stationSsid");
        b.stationKeyType = r.number(s, "stationKeyType", 0, 255);
        b.stationKey = r.bytes(s, "stationKey");
    }
    if (b.holds(BackupPart::Location))
        b.location = r.bytes(s, "location");
    if (b.holds(BackupPart::ModbusTcp)) {
        b.modbusPort = r.number(s, "modbusPort", 0, 65535);
        b.modbusIdleTimeout = r.number(s, "modbusIdleTimeout", 0, 65535);
    }
    if (b.holds(BackupPart::StaticAddress)) {
        b.staticIpUsed = r.flag(s, "staticIpUsed");
        b.staticIp = r.address(s, "staticIp");
        b.subnetMask = r.address(s, "subnetMask");
        b.gateway = r.address(s, "gateway");
    }
    if (b.holds(BackupPart::WifiMode)) {
        const QString mode = r.text(s, "wifiMode");
        if (mode != "ap" && mode != "station")
            r.fail(QStringLiteral("\"wifiMode\" is neither ap nor station"));
        b.accessPointMode = mode == "ap";
    }

    for (const QString &name : BackupSdFiles) {
        const BackupPart part = name == "RTU.CFG" ? BackupPart::ModbusRtu : BackupPart::Alarm;
        if (!b.holds(part))
            continue;
        if (!files.contains(name))
            r.fail("\"" + name + "\" is missing from the files");
        b.files.append({name, r.content(files, name)});
    }

    if (root.contains("clips")) {
        if (!b.holds(BackupPart::Alarm))
            r.fail(QStringLiteral("clips are given without plist.cfg and m3fn.txt"));
        const QJsonObject clips = r.object(root, "clips");
        b.withClips = true;
        b.clipFolder = r.text(clips, "folder");
        if (!clips.value("files").isArray())
            r.fail(QStringLiteral("\"files\" of the clips is not a list"));
        for (const QJsonValue value : clips.value("files").toArray()) {
            const QJsonObject o = value.toObject();
            BackupClip clip{r.number(o, "number", 1, 64), r.flag(o, "saved")};
            if (clip.saved) {
                clip.size = r.number(o, "size", 0, 10 * 1048576);
                clip.sum = quint32(o.value("sum").toInteger(-1));
                if (o.value("sum").toInteger(-1) < 0 || o.value("sum").toInteger(-1) > 0xFFFFFFFFLL)
                    r.fail(QStringLiteral("a clip's \"sum\" is not a 32-bit number"));
            }
            b.clips.append(clip);
        }
    }
    if (!r.ok()) {
        error = (b.profile ? "damaged profile: " : "damaged backup: ") + r.error;
        return std::nullopt;
    }
    return b;
}

std::optional<UnitBackup> loadBackup(const QString &path, QString &error)
{
    const FileRead read = readFileUpTo(path, BackupFileLimit);
    error = read.error;
    if (error.isEmpty() && read.bytes.size() > BackupFileLimit)
        error = path + " is too large to be a backup";
    if (!error.isEmpty())
        return std::nullopt;
    std::optional<UnitBackup> backup = readBackup(read.bytes, error);
    if (!backup)
        error = path + ": " + error;
    return backup;
}
