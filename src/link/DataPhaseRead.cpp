#include "DataPhaseRead.h"

#include <algorithm>

namespace {
// After the announced length: how long excess data is looked for, and how much at a time.
constexpr int TrailingSlices = 10;
constexpr qint64 TrailingReadBytes = 65536;
} // namespace

qint64 readDeadlineMs(std::uint32_t length, const Timing &timing)
{
    const qint64 rate = std::max(timing.readFloorBytesPerSecond, 1);
    return timing.readDeadlineBaseMs + qint64(length) * 1000 / rate;
}

DataPhaseRead receiveAnnounced(DataSource &source, std::span<std::uint8_t> buffer, std::uint32_t length,
                               const Timing &timing)
{
    DataPhaseRead read;
    if (length > buffer.size()) {
        read.end = DataPhaseRead::End::TooLong;
        return read;
    }
    const qint64 deadline = readDeadlineMs(length, timing);
    for (int silentSlices = 0; read.received < length;) {
        if (source.elapsedMs() > deadline) {
            read.end = DataPhaseRead::End::Deadline;
            return read;
        }
        switch (source.waitForData()) {
        case DataSource::Wait::Data: {
            const QByteArray piece = source.read(length - read.received);
            const auto taken = std::uint32_t(std::min<qsizetype>(piece.size(), length - read.received));
            std::copy_n(piece.constData(), taken, reinterpret_cast<char *>(buffer.data()) + read.received);
            read.received += taken;
            silentSlices = 0;
            break;
        }
        case DataSource::Wait::Silent:
            if (++silentSlices >= timing.readDataWaits) {
                read.end = DataPhaseRead::End::Silence;
                return read;
            }
            break;
        case DataSource::Wait::Closed:
            read.end = DataPhaseRead::End::Closed;
            return read;
        case DataSource::Wait::Failed:
            read.end = DataPhaseRead::End::Failed;
            read.error = source.errorString();
            return read;
        }
    }
    for (int slice = 0; slice < TrailingSlices; ++slice) {
        const DataSource::Wait wait = source.waitForData();
        if (wait == DataSource::Wait::Closed || wait == DataSource::Wait::Failed)
            break;
        if (wait == DataSource::Wait::Data)
            read.dropped += source.read(TrailingReadBytes).size();
    }
    return read;
}
