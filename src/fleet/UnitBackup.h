#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

struct DeviceStatus;

inline constexpr int BackupFormatVersion = 1;
// The SD card files a backup holds, in the order they are read.
inline const QStringList BackupSdFiles{"plist.cfg", "m3fn.txt", "RTU.CFG"};

struct BackupClip {
    int number = 0;
    bool saved = false; // false: the unit would not send it
    qint64 size = 0;
    quint32 sum = 0; // low 32 bits of the byte sum, checked before a restore sends it
};

// One unit's settings and SD configuration files, as `zorctl backup` writes them.
struct UnitBackup {
    // Identity: written for the reader, never restored.
    QString model, mac, firmware, address;
    int modelCode = 0;

    QByteArray apSsid, apKey, stationSsid, stationKey, location;
    int apKeyType = 0, stationKeyType = 0;
    int modbusPort = 0, modbusIdleTimeout = 0;
    bool staticIpUsed = false;
    std::array<std::uint8_t, 4> staticIp{}, subnetMask{}, gateway{};
    bool accessPointMode = false;

    // By name; nullopt when the unit does not have the file.
    QList<std::pair<QString, std::optional<QByteArray>>> files;
    bool withClips = false;
    QString clipFolder; // relative to the backup file's folder
    QList<BackupClip> clips;

    std::optional<QByteArray> file(const QString &name) const;
};

UnitBackup backupOf(const DeviceStatus &status, const QString &address);
QJsonObject backupJson(const UnitBackup &backup);
// Refuses anything but a whole backup of a known version; `error` says why.
std::optional<UnitBackup> readBackup(const QByteArray &bytes, QString &error);
