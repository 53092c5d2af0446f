#pragma once

#include "ChannelTestLog.h"
#include "DeviceStatus.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <optional>

// What a commissioning report says of one unit, as read from it.
struct UnitReport {
    QString address;
    QString failure; // why the unit could not be read; empty when it was
    DeviceStatus status;
    // The SD configuration files; nothing when the unit has none.
    std::optional<QByteArray> alarmTable, audioList, rtuConfig;
    // Size of each listed clip the unit sent; a listed clip missing here was not read, or refused.
    bool clipSizesRead = false;
    QMap<int, qint64> clipSizes;
    QList<ChannelTest> channelTests;

    bool read() const { return failure.isEmpty(); }
};

// Who made the report, where and when.
struct ReportOrigin {
    QDateTime time;
    QString pc;
    QString tool; // "zorwifi 1.20"

    static ReportOrigin now();
};

// A report's content as plain text, ready for any renderer. Unit texts are made visible:
// a control character in them shows as its escape, never as itself.
struct ReportTable {
    QStringList header;
    QList<QStringList> rows;
};
struct ReportSection {
    QString title;
    QList<std::pair<QString, QString>> fields;
    QStringList notes;
    QList<ReportTable> tables;
    bool newPage = false; // starts a page of its own
};

// The unit, its network, Modbus, its alarm table and clips, the checklist.
QList<ReportSection> reportSections(const UnitReport &report);
// One row per unit: address, model, MAC, location, firmware, result.
ReportTable siteSummary(const QList<UnitReport> &reports);
