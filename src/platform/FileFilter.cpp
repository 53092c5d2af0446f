#include "FileFilter.h"

#include <QStringList>

QString qtNameFilters(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    if (parts.size() < 2)
        return filter; // already Qt's form, or a bare pattern
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + " (" + QString(parts[i + 1]).replace(u';', u' ') + ")";
    return filters.join(QStringLiteral(";;"));
}

QString qtDefaultSuffix(const QString &defaultExtension)
{
    QString suffix = defaultExtension;
    while (suffix.startsWith(u'*') || suffix.startsWith(u'.'))
        suffix.remove(0, 1);
    return suffix;
}
