#include "ClipText.h"

namespace {
const QString noClipText = QStringLiteral("None");
}

QString clipText(int clipNumber)
{
    if (clipNumber == 0)
        return noClipText;
    return QString::number(clipNumber).rightJustified(3, u'0');
}

QString clipFileName(int clipNumber)
{
    return clipText(clipNumber) + QStringLiteral(".mp3");
}

std::optional<int> parseClipText(const QString &text)
{
    if (text == noClipText)
        return 0;
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}
