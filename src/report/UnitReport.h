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
    QString failure; // why the unit could not be read ("did not answer: ..."); empty when it was
    DeviceStatus status;
    // The SD configuration files; nothing when the unit has none.
    std::optional<QByteArray> alarmTable, audioList, rtuConfig;
    // Size of each listed clip the unit sent; a listed clip missing here was not read, or refused.
    bool clipSizesRead = false;
    QMap<int, qint64> clipSizes;
    QString clipSizesFault; // why the clip reading stopped part-way
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
    QString caption; // may be empty
    QStringList header;
    QList<QStringList> rows;
    QList<int> wholeColumns; // kept on one line: addresses and MACs read badly broken
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
// One row per unit: address, model, MAC, location, result ("read", "did not answer", "not read");
// why a unit was not read is in its own part.
ReportTable siteSummary(const QList<UnitReport> &reports);
