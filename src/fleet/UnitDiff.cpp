#include "UnitDiff.h"

#include "AlarmTable.h"
#include "AudioListFile.h"
#include "DeviceLink.h"
#include "Protocol.h"
#include "SingleByteText.h"

namespace {

QString partName(BackupPart part)
{
    switch (part) {
    case BackupPart::AccessPoint:
        return QStringLiteral("the access point");
    case BackupPart::Station:
        return QStringLiteral("the station network");
    case BackupPart::StaticAddress:
        return QStringLiteral("the static address");
    case BackupPart::Location:
        return QStringLiteral("location");
    case BackupPart::ModbusTcp:
        return QStringLiteral("the Modbus TCP settings");
    case BackupPart::ModbusRtu:
        return QStringLiteral("the Modbus RTU settings (RTU.CFG)");
    case BackupPart::Alarm:
        return QStringLiteral("alarm");
    case BackupPart::WifiMode:
        break;
    }
    return QStringLiteral("the Wi-Fi mode");
}

// What a restore writes for a key type; the unit may report another number for the same kind.
QString keyKind(int keyType, bool station)
{
    return keyType == 0 ? QStringLiteral("open") : station && keyType == 1 ? QStringLiteral("WEP") : QStringLiteral("WPA/WPA2");
}

class Comparer {
public:
    Comparer(GroupComparison &group, bool showKeys) : group_(group), showKeys_(showKeys) {}

    bool differs = false;

    void text(const QString &field, const QString &unit, const QString &file)
    {
        if (unit != file)
            add({field, unit, file});
    }
    void bytes(const QString &field, const QByteArray &unit, const QByteArray &file)
    {
        text(field, fromSingleByte(unit), fromSingleByte(file));
    }
    void key(const QString &field, const QByteArray &unit, const QByteArray &file)
    {
        if (unit == file)
            return;
        if (showKeys_)
            bytes(field, unit, file);
        else
            add({field, masked(unit), masked(file), true});
    }
    void add(const FieldChange &change)
    {
        group_.changes.append(change);
        differs = true;
    }

private:
    static QString masked(const QByteArray &key) { return QStringLiteral("**** (%1)").arg(key.size()); }

    GroupComparison &group_;
    const bool showKeys_;
};

const QString Absent = QStringLiteral("(none)");

QString entryText(const AlarmEntry &entry)
{
    QStringList clips;
    for (int i = 0; i < std::min<int>(entry.clipCount, clipsPerEntry); ++i)
        clips << QString::number(entry.clips[i]);
    return (clips.isEmpty() ? QStringLiteral("no clips") : "clips " + clips.join(", "))
           + QStringLiteral("; repeat %1; output %2").arg(entry.repeatCount).arg(entry.alarmOutput ? "on" : "off");
}

void compareTables(Comparer &c, const std::optional<QByteArray> &unitBytes, const QByteArray &fileBytes)
{
    if (!unitBytes) {
        c.add({alarmTableFileName, Absent, QStringLiteral("%1 bytes").arg(fileBytes.size()), true});
        return;
    }
    AlarmTable unit, file;
    // More than the image holds is compared byte by byte.
    if (!unit.replaceLeadingBytes(*unitBytes, {}).isEmpty() || !file.replaceLeadingBytes(fileBytes, {}).isEmpty()) {
        if (*unitBytes != fileBytes)
            c.add({alarmTableFileName, QStringLiteral("%1 bytes").arg(unitBytes->size()),
                   QStringLiteral("%1 bytes").arg(fileBytes.size()), true});
        return;
    }
    if (unit.hasMagic() != file.hasMagic())
        c.text(QStringLiteral("table"), unit.hasMagic() ? "alarm table" : "no alarm table",
               file.hasMagic() ? "alarm table" : "no alarm table");
    c.text(QStringLiteral("alarmMode"), QString::number(unit.mode()), QString::number(file.mode()));
    for (int k = 0; k < alarmEntryCount; ++k)
        if (unit.entry(k) != file.entry(k))
            c.text(QStringLiteral("input %1").arg(k), entryText(unit.entry(k)), entryText(file.entry(k)));
}

void compareLists(Comparer &c, const std::optional<QByteArray> &unitBytes, const QByteArray &fileBytes)
{
    const AudioListRead file = parseAudioListBytes(fileBytes, audioListFileName);
    const AudioListRead unit = unitBytes ? parseAudioListBytes(*unitBytes, audioListFileName) : AudioListRead{};
    if (!unitBytes || !unit.error.isEmpty() || !file.error.isEmpty()) {
        if (unitBytes != fileBytes)
            c.add({audioListFileName, unitBytes ? QStringLiteral("%1 bytes").arg(unitBytes->size()) : Absent,
                   QStringLiteral("%1 bytes").arg(fileBytes.size()), true});
        return;
    }
    for (int n = 1; n < AudioList::slotCount; ++n)
        c.text(QStringLiteral("list %1").arg(n), unit.list.slot(n).sourcePath, file.list.slot(n).sourcePath);
}

QString clipText(const BackupClip &clip)
{
    return QStringLiteral("%1 bytes, sum %2").arg(clip.size).arg(clip.sum);
}

void compareClips(Comparer &c, const UnitBackup &unit, const UnitBackup &profile)
{
    for (const BackupClip &wanted : profile.clips) {
        if (!wanted.saved)
            continue; // a restore cannot send it
        const auto have = std::find_if(unit.clips.begin(), unit.clips.end(),
                                       [&](const BackupClip &clip) { return clip.number == wanted.number && clip.saved; });
        const QString field = QStringLiteral("clip %1").arg(wanted.number);
        if (have == unit.clips.end())
            c.add({field, Absent, clipText(wanted), true});
        else if (have->size != wanted.size || have->sum != wanted.sum)
            c.add({field, clipText(*have), clipText(wanted), true});
    }
}

void comparePart(Comparer &c, BackupPart part, const UnitBackup &unit, const UnitBackup &file)
{
    switch (part) {
    case BackupPart::AccessPoint:
        c.bytes("apSsid", unit.apSsid, file.apSsid);
        c.text("apKeyType", keyKind(unit.apKeyType, false), keyKind(file.apKeyType, false));
        if (file.apKeyType != 0)
            c.key("apKey", unit.apKey, file.apKey);
        return;
    case BackupPart::Station:
        c.bytes("stationSsid", unit.stationSsid, file.stationSsid);
        c.text("stationKeyType", keyKind(unit.stationKeyType, true), keyKind(file.stationKeyType, true));
        if (file.stationKeyType != 0)
            c.key("stationKey", unit.stationKey, file.stationKey);
        return;
    case BackupPart::StaticAddress:
        c.text("staticIpUsed", unit.staticIpUsed ? "yes" : "no", file.staticIpUsed ? "yes" : "no");
        if (file.staticIpUsed) {
            c.text("staticIp", dottedAddress(unit.staticIp), dottedAddress(file.staticIp));
            c.text("subnetMask", dottedAddress(unit.subnetMask), dottedAddress(file.subnetMask));
            c.text("gateway", dottedAddress(unit.gateway), dottedAddress(file.gateway));
        }
        return;
    case BackupPart::Location:
        c.bytes("location", unit.location, file.location);
        return;
    case BackupPart::ModbusTcp:
        c.text("modbusPort", QString::number(unit.modbusPort), QString::number(file.modbusPort));
        c.text("modbusIdleTimeout", QString::number(unit.modbusIdleTimeout), QString::number(file.modbusIdleTimeout));
        return;
    case BackupPart::ModbusRtu: {
        static const QStringList names{"rtuDeviceId", "rtuBaudRate", "rtuParity", "rtuDataBits", "rtuStopBits"};
        const QStringList wanted = fromSingleByte(*file.file("RTU.CFG")).split(u',');
        const std::optional<QByteArray> record = unit.file("RTU.CFG");
        const QStringList have = record ? fromSingleByte(*record).split(u',') : QStringList();
        if (have.size() != names.size()) {
            if (record != file.file("RTU.CFG"))
                c.add({"RTU.CFG", record ? "\"" + fromSingleByte(*record) + "\"" : Absent,
                       "\"" + fromSingleByte(*file.file("RTU.CFG")) + "\"", true});
            return;
        }
        for (int i = 0; i < names.size(); ++i)
            c.text(names[i], have[i], wanted.value(i));
        return;
    }
    case BackupPart::Alarm:
        compareTables(c, unit.file(alarmTableFileName), *file.file(alarmTableFileName));
        compareLists(c, unit.file(audioListFileName), *file.file(audioListFileName));
        if (file.withClips)
            compareClips(c, unit, file);
        return;
    case BackupPart::WifiMode:
        c.text("wifiMode", wifiModeName(unit.accessPointMode), wifiModeName(file.accessPointMode));
        return;
    }
}

} // namespace

bool partHoldsNothing(BackupPart part, const UnitBackup &profile)
{
    return part == BackupPart::ModbusRtu && !profile.file("RTU.CFG");
}

QString partLeftOut(BackupPart part, const UnitBackup &profile)
{
    switch (part) {
    case BackupPart::AccessPoint:
        if (profile.apSsid.isEmpty())
            return QStringLiteral("the access point (the unit reported no SSID for it)");
        break;
    case BackupPart::Station:
        if (profile.stationSsid.isEmpty())
            return QStringLiteral("the station network (the unit reported no SSID for it)");
        break;
    case BackupPart::Location:
        if (profile.location.isEmpty())
            return QStringLiteral("location (the unit had none; the setup rules cannot clear one)");
        break;
    case BackupPart::Alarm:
        if (!profile.file(alarmTableFileName) || !profile.file(audioListFileName))
            return QStringLiteral("alarm (the backup holds no plist.cfg and m3fn.txt)");
        break;
    default:
        break;
    }
    return {};
}

QString partNotOnModel(BackupPart part, int modelCode)
{
    const int model = part == BackupPart::ModbusTcp ? ModelZor06 : part == BackupPart::ModbusRtu ? ModelZor04Rtu : 0;
    if (model == 0 || model == modelCode)
        return {};
    if (modelCode != ModelZor06 && modelCode != ModelZor04Rtu)
        return partName(part) + ": the unit's model was not recognised";
    return partName(part) + ": a " + (modelCode == ModelZor06 ? "ZOR-06-WF" : "ZOR-04-RTU-WF") + " has none";
}

UnitComparison compareUnit(const UnitBackup &unit, const UnitBackup &profile, bool showKeys)
{
    UnitComparison result;
    for (const QString &group : BackupGroups) {
        GroupComparison compared{group, {}};
        bool held = false;
        for (const BackupPart part : partsOf(group)) {
            if (!profile.holds(part))
                continue;
            held = true;
            if (partHoldsNothing(part, profile))
                continue;
            if (const QString why = partNotOnModel(part, unit.modelCode); !why.isEmpty()) {
                result.leftOut << why;
                continue;
            }
            if (const QString why = partLeftOut(part, profile); !why.isEmpty()) {
                result.leftOut << why;
                continue;
            }
            Comparer comparer(compared, showKeys);
            comparePart(comparer, part, unit, profile);
            if (comparer.differs)
                result.differingParts |= unsigned(part);
        }
        if (held)
            result.groups.append(compared);
    }
    return result;
}
