// A read's data phase on any announced length and any stream the unit might send, cut at any
// points, with silences, an early close or a failing connection between the pieces.
// Input: 4 bytes announced length (big-endian), then a script of steps:
//   0xxxxxxx  a piece of x+1 bytes, taken from the input that follows
//   10xxxxxx  x+1 silent slices
//   11xxxxx0  the unit closes        11xxxxx1  the connection fails
#include "DataPhaseRead.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {
constexpr std::uint32_t Capacity = 65536;
constexpr std::uint8_t Untouched = 0xA5;

class ScriptedSource : public DataSource {
public:
    ScriptedSource(const std::uint8_t *script, std::size_t size, const Timing &timing)
        : script_(script), size_(size), timing_(timing)
    {
    }
    Wait waitForData() override
    {
        if (!pending_.isEmpty())
            return Wait::Data;
        if (silence_ > 0) {
            --silence_;
            elapsed_ += timing_.waitSliceMs;
            return Wait::Silent;
        }
        if (at_ >= size_)
            return Wait::Closed;
        const std::uint8_t step = script_[at_++];
        if (step < 0x80) {
            const std::size_t n = std::min<std::size_t>(step + 1u, size_ - at_);
            pending_.append(reinterpret_cast<const char *>(script_ + at_), qsizetype(n));
            streamed_.append(reinterpret_cast<const char *>(script_ + at_), qsizetype(n));
            at_ += n;
            elapsed_ += 1;
            return pending_.isEmpty() ? Wait::Closed : Wait::Data;
        }
        if (step < 0xC0) {
            silence_ = step & 0x3F;
            elapsed_ += timing_.waitSliceMs;
            return Wait::Silent;
        }
        at_ = size_; // nothing comes after a close or a failure
        return step & 1 ? Wait::Failed : Wait::Closed;
    }
    QByteArray read(qint64 most) override
    {
        const QByteArray piece = pending_.left(most);
        pending_.remove(0, piece.size());
        return piece;
    }
    qint64 elapsedMs() const override { return elapsed_; }
    QString errorString() const override { return QStringLiteral("connection failed"); }
    const QByteArray &streamed() const { return streamed_; }

private:
    const std::uint8_t *script_;
    std::size_t size_;
    const Timing &timing_;
    std::size_t at_ = 0;
    int silence_ = 0;
    qint64 elapsed_ = 0;
    QByteArray pending_;
    QByteArray streamed_;
};

void check(bool holds)
{
    if (!holds)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 4)
        return 0;
    // Lengths up to twice the buffer, so that the refusal of one too long is reached too.
    const std::uint32_t announced = (std::uint32_t(data[0]) << 24 | std::uint32_t(data[1]) << 16
                                     | std::uint32_t(data[2]) << 8 | data[3]);
    const std::uint32_t length = announced == 0xFFFFFFFF ? announced : announced % (2 * Capacity);
    Timing timing;
    timing.readDataWaits = 20;
    timing.readDeadlineBaseMs = 2000;
    timing.readFloorBytesPerSecond = 1024;
    static std::vector<std::uint8_t> buffer(Capacity);
    std::fill(buffer.begin(), buffer.end(), Untouched);

    ScriptedSource source(data + 4, size - 4, timing);
    const DataPhaseRead read = receiveAnnounced(source, buffer, length, timing);

    using End = DataPhaseRead::End;
    check(read.received <= length && read.received <= Capacity);
    check((read.end == End::Complete) == (read.received == length && length <= Capacity));
    check((read.end == End::TooLong) == (length > Capacity));
    check(read.end != End::Deadline || source.elapsedMs() > readDeadlineMs(length, timing));
    const QByteArray &streamed = source.streamed();
    check(qsizetype(read.received) + read.dropped <= streamed.size());
    check(std::equal(buffer.begin(), buffer.begin() + read.received,
                     reinterpret_cast<const std::uint8_t *>(streamed.constData())));
    check(std::all_of(buffer.begin() + read.received, buffer.end(), [](std::uint8_t b) { return b == Untouched; }));
    return 0;
}
