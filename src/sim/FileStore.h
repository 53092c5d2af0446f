#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

// The unit's two file systems.
enum class FileArea { Sd, Flash };

// SD card and serial flash, in memory or below a folder (FOLDER/sd, FOLDER/flash).
// Names come from the client and are checked before use: SD names are plain file
// names, flash names are absolute paths such as /local/locate.cfg.
class FileStore {
public:
    explicit FileStore(const QString &folder = {});

    static bool isValidName(FileArea area, const QString &name);

    std::optional<QByteArray> read(FileArea area, const QString &name) const;
    bool write(FileArea area, const QString &name, const QByteArray &content);
    bool remove(FileArea area, const QString &name);
    // Removes every file whose name begins with the folder prefix, e.g. "/local/".
    void removeFolder(FileArea area, const QString &prefix);
    QStringList names(FileArea area) const;

private:
    QString diskRoot(FileArea area) const;
    QHash<QString, QByteArray> &memory(FileArea area);
    const QHash<QString, QByteArray> &memory(FileArea area) const;

    QString m_folder;
    QHash<QString, QByteArray> m_sd;
    QHash<QString, QByteArray> m_flash;
};
