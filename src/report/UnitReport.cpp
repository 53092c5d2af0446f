#include "UnitReport.h"

#include "AlarmTable.h"
#include "AudioListFile.h"
#include "ClipText.h"
#include "DeviceLink.h"
#include "InputRowLayout.h"
#include "SingleByteText.h"
#include "UnitTexts.h"
#include "WifiCredentialsPlans.h"

#include <QSysInfo>

namespace {

const QString NotSet = QStringLiteral("(not set)");

QString shown(const QString &text)
{
    return text.isEmpty() ? NotSet : UnitTexts::visibleText(text);
}

QString unitText(const QByteArray &bytes)
{
    return shown(fromSingleByte(bytes));
}

ReportSection unitSection(const UnitReport &r)
{
    const DeviceStatus &s = r.status;
    return {QStringLiteral("Unit"),
            {{"Model", UnitTexts::modelName(s)},
             {"MAC", UnitTexts::mac(s)},
             {"Firmware", UnitTexts::firmware(s)},
             {"Address", r.address},
             {"Location", unitText(s.location)},
             {"Signal", s.rssi != 0 ? QString::number(s.rssi) + " dBm" : QStringLiteral("not reported")},
             {"SD card", UnitTexts::sd(s)}}};
}

ReportSection networkSection(const DeviceStatus &s)
{
    ReportSection section{QStringLiteral("Network"),
                          {{"Wi-Fi mode", s.wifiMode != 0 ? "access point" : "station"},
                           {"Access point SSID", unitText(s.apSsid)},
                           {"Access point key type", keyTypeName(s.apKeyType, true)},
                           {"Station SSID", unitText(s.stationSsid)},
                           {"Station key type", keyTypeName(s.stationKeyType, false)}}};
    if (s.staticIpUsed) {
        section.fields.append({"Static address", dottedAddress(s.staticIp)});
        section.fields.append({"Subnet mask", dottedAddress(s.subnetMask)});
        section.fields.append({"Gateway", dottedAddress(s.gateway)});
    } else {
        section.fields.append({QStringLiteral("Static address"), QStringLiteral("not used")});
    }
    section.notes << QStringLiteral("Keys are not part of this report.");
    return section;
}

QString parityName(const QString &letter)
{
    if (letter == "N")
        return QStringLiteral("None");
    if (letter == "E")
        return QStringLiteral("Even");
    if (letter == "O")
        return QStringLiteral("Odd");
    return shown(letter);
}

ReportSection modbusSection(const UnitReport &r)
{
    ReportSection section{QStringLiteral("Modbus"),
                          {{"Modbus TCP port", QString::number(r.status.modbusPort)},
                           {"Modbus TCP idle timeout", QString::number(r.status.modbusIdleTimeout) + " s"}}};
    if (!r.rtuConfig) {
        section.fields.append({QStringLiteral("Modbus RTU"), QStringLiteral("not set: no RTU.CFG on the SD card")});
        return section;
    }
    const QStringList fields = fromSingleByte(*r.rtuConfig).split(u',');
    if (fields.size() != 5) {
        section.fields.append({"Modbus RTU", "RTU.CFG is not a record of five fields: " + shown(fromSingleByte(*r.rtuConfig))});
        return section;
    }
    section.fields += QList<std::pair<QString, QString>>{{"Modbus RTU device ID", shown(fields[0])},
                           {"Modbus RTU baud rate", shown(fields[1])},
                           {"Modbus RTU parity", parityName(fields[2])},
                           {"Modbus RTU data bits", shown(fields[3])},
                           {"Modbus RTU stop bits", shown(fields[4])}};
    return section;
}

QString clipName(const AudioList &list, int n)
{
    if (n < 1 || n > maxClipNumber)
        return QString::number(n) + " (no such clip)";
    return clipText(n) + " " + (list.isPresent(n) ? shown(list.slot(n).shortName) : QStringLiteral("(not in the list)"));
}

QString clipSize(const UnitReport &r, int n)
{
    if (r.clipSizes.contains(n))
        return QString::number(r.clipSizes.value(n)) + " bytes";
    return r.clipSizesRead ? QStringLiteral("not sent by the unit") : QStringLiteral("not read");
}

ReportSection alarmSection(const UnitReport &r)
{
    ReportSection section{QStringLiteral("Alarm table and clips")};
    section.newPage = true;
    AudioList list;
    if (!r.audioList) {
        section.notes << QStringLiteral("No m3fn.txt on the SD card: the unit holds no clip list.");
    } else {
        const AudioListRead read = parseAudioListBytes(*r.audioList, QStringLiteral("m3fn.txt from the unit"));
        if (read.error.isEmpty())
            list = read.list;
        else
            section.notes << read.error;
    }

    if (!r.alarmTable) {
        section.notes << QStringLiteral("No plist.cfg on the SD card: the unit holds no alarm table.");
    } else {
        AlarmTable table;
        const QString error = table.replaceLeadingBytes(*r.alarmTable, QStringLiteral("plist.cfg from the unit"));
        if (!error.isEmpty()) {
            section.notes << error;
        } else {
            if (r.alarmTable->size() < alarmTableSize)
                section.notes << QStringLiteral("plist.cfg holds %1 of %2 bytes.").arg(r.alarmTable->size()).arg(alarmTableSize);
            if (!table.hasMagic())
                section.notes << QStringLiteral("plist.cfg does not begin with the alarm table's magic bytes.");
            const int mode = table.mode();
            section.fields.append({"Alarm mode", QString::number(mode) + (mode < 4 ? " (digital inputs)" : " (binary input code)")});
            const InputLayout layout = applyInputLayout(mode, r.status.modelCode);
            ReportTable rows{QStringLiteral("Inputs"), {"Input", "Clips", "Repeat", "Alarm output"}};
            for (int k = 0; k < inputRowCount; ++k) {
                if (!layout.rowVisible[k])
                    continue;
                const AlarmEntry entry = table.entry(k);
                QStringList clips;
                for (const quint8 n : entry.clips) {
                    if (n == 0)
                        break; // the unit plays up to the first empty place
                    clips << clipName(list, n);
                }
                rows.rows.append({layout.rowCaptions[k], clips.isEmpty() ? QStringLiteral("None") : clips.join(", "),
                                  QString::number(entry.repeatCount == 0 ? 1 : entry.repeatCount),
                                  entry.alarmOutput == 1 ? QStringLiteral("yes") : QStringLiteral("no")});
            }
            section.tables.append(rows);
        }
    }

    ReportTable clips{QStringLiteral("Clips in the list"), {"Clip", "Name", "Source on the PC", "Size"}};
    for (int n = 1; n <= maxClipNumber; ++n)
        if (list.isPresent(n))
            clips.rows.append({clipText(n), shown(list.slot(n).shortName), shown(list.slot(n).sourcePath), clipSize(r, n)});
    if (!r.clipSizesFault.isEmpty())
        section.notes << r.clipSizesFault;
    if (clips.rows.isEmpty())
        section.notes << QStringLiteral("The clip list names no clip.");
    else
        section.tables.append(clips);
    return section;
}

ReportSection checklistSection(const UnitReport &r)
{
    ReportSection section{QStringLiteral("Checklist: channel tests")};
    section.newPage = true;
    if (r.channelTests.isEmpty()) {
        section.notes << QStringLiteral("No channel test of this unit was run since the program started.");
        return section;
    }
    ReportTable tests{QStringLiteral("Channel tests run since the program started"), {"Time", "Input", "Input code", "Result"}};
    for (const ChannelTest &t : r.channelTests)
        tests.rows.append({t.time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), shown(t.input), QString::number(t.code),
                           shown(t.result)});
    section.tables.append(tests);
    return section;
}

} // namespace

ReportOrigin ReportOrigin::now()
{
    return {QDateTime::currentDateTime(), QSysInfo::machineHostName(), QStringLiteral("zorwifi " ZORWIFI_VERSION)};
}

QList<ReportSection> reportSections(const UnitReport &report)
{
    if (!report.read())
        return {{QStringLiteral("Unit"), {{"Address", report.address}, {"Result", shown(report.failure)}}}};
    return {unitSection(report), networkSection(report.status), modbusSection(report), alarmSection(report),
            checklistSection(report)};
}

ReportTable siteSummary(const QList<UnitReport> &reports)
{
    ReportTable summary{QStringLiteral("Units"), {"Address", "Model", "MAC", "Location", "Result"}};
    for (const UnitReport &r : reports) {
        if (r.read())
            summary.rows.append({r.address, UnitTexts::modelName(r.status), UnitTexts::mac(r.status),
                                 unitText(r.status.location), QStringLiteral("read")});
        else
            summary.rows.append({r.address, "", "", "", shown(r.failure.section(u':', 0, 0))});
    }
    summary.wholeColumns = {0, 1, 2, 4};
    return summary;
}
