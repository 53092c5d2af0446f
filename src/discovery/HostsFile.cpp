#include "HostsFile.h"

#include <QFile>
#include <QHostAddress>

bool isDottedAddress(const QString &text)
{
    const QHostAddress address(text);
    return address.protocol() == QAbstractSocket::IPv4Protocol && address.toString() == text;
}

bool readHostsFile(const QString &path, QStringList &addresses, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = "cannot read the hosts file " + path + ": " + file.errorString();
        return false;
    }
    int number = 0;
    while (!file.atEnd()) {
        ++number;
        QString line = QString::fromUtf8(file.readLine());
        line = line.left(line.indexOf(u'#')).trimmed();
        if (line.isEmpty())
            continue;
        if (!isDottedAddress(line)) {
            error = QStringLiteral("%1 line %2: \"%3\" is not a dotted IPv4 address").arg(path).arg(number).arg(line);
            return false;
        }
        addresses << line;
    }
    return true;
}
