#include "SingleByteText.h"

QByteArray toSingleByte(const QString &text)
{
#ifdef Q_OS_WIN
    return text.toLocal8Bit();
#else
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text)
        out.append(c.unicode() <= 0xFF ? char(c.unicode()) : '?');
    return out;
#endif
}

QString fromSingleByte(const QByteArray &bytes)
{
#ifdef Q_OS_WIN
    return QString::fromLocal8Bit(bytes);
#else
    return QString::fromLatin1(bytes);
#endif
}
