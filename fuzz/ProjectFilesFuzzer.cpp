// The readers of the project's files and of what Read Device brings from the unit:
// "m3fn.txt", "plist.cfg" and "PRJ.cfg" of any content and length.
#include "AlarmTable.h"
#include "AudioListFile.h"
#include "ProjectPointerFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    parseProjectPointer(bytes);

    // As Read Device does: the list first, then the table shown against the list's clips.
    const AudioListRead read = parseAudioListBytes(bytes, audioListFileName);
    AlarmTable table;
    table.replaceLeadingBytes(bytes, alarmTableFileName);
    QStringList log;
    table.applyAlarmTable(read.list.selectorItems(), log);
    for (int k = 0; k < alarmEntryCount; ++k)
        table.loadEntry(k, log);
    return 0;
}
