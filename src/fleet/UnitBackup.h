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

// The parts of a unit's settings that are restored as one; a profile may leave any out.
enum class BackupPart : unsigned {
    AccessPoint = 1,
    Station = 2,
    StaticAddress = 4,
    Location = 8,
    ModbusTcp = 16,
    ModbusRtu = 32, // RTU.CFG
    Alarm = 64,     // plist.cfg, m3fn.txt and the clips
    WifiMode = 128,
};
inline constexpr unsigned AllBackupParts = 255;
inline const QStringList BackupGroups{"network", "location", "modbus", "alarm", "wifi-mode"};
// The group a part is restored and compared in.
QString groupOf(BackupPart part);
// The parts of one group, in their restore order.
QList<BackupPart> partsOf(const QString &group);

struct BackupClip {
    int number = 0;
    bool saved = false; // false: the unit would not send it
    qint64 size = 0;
    quint32 sum = 0; // low 32 bits of the byte sum, checked before a restore sends it
};

// One unit's settings and SD configuration files, as `zorctl backup` writes them. A profile is
// the same without identity, holding only some parts.
struct UnitBackup {
    bool profile = false;
    unsigned parts = AllBackupParts;
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
    bool holds(BackupPart part) const { return parts & unsigned(part); }
};

UnitBackup backupOf(const DeviceStatus &status, const QString &address);
// A profile leaves out identity and the parts it does not hold.
QJsonObject backupJson(const UnitBackup &backup);
// With identity, refuses anything but a whole backup of a known version; without, reads a
// profile whose parts are each whole. `error` says why.
std::optional<UnitBackup> readBackup(const QByteArray &bytes, QString &error);
// The file at `path` read as readBackup reads bytes; `error` names the file.
std::optional<UnitBackup> loadBackup(const QString &path, QString &error);
