#include "AudioList.h"

#include <algorithm>

void AudioList::setSource(int clipNumber, const QString &sourcePath)
{
    slots_.at(clipNumber) = {sourcePath, shortNameOf(sourcePath)};
}

QStringList AudioList::sourcePaths() const
{
    QStringList paths;
    for (int n = 1; n <= maxClipNumber; ++n)
        paths.append(slots_[n].sourcePath);
    return paths;
}

QStringList AudioList::selectorItems() const
{
    QStringList items{clipText(0)};
    for (int n = 1; n <= maxClipNumber; ++n) {
        if (isPresent(n))
            items.append(clipText(n));
    }
    return items;
}

bool holdsControlCharacter(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

QString shortNameOf(const QString &sourcePath)
{
    const qsizetype folderEnd = std::max(sourcePath.lastIndexOf(u'\\'), sourcePath.lastIndexOf(u'/'));
    const QString fileName = sourcePath.mid(folderEnd + 1);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    // A name that is all extension (".mp3") stays whole, so the clip still counts as present.
    return dot <= 0 ? fileName : fileName.left(dot);
}
