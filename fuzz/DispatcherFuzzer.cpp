// The answer dispatcher on any answer the unit might send, under every code the tool expects.
#include "DeviceLink.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>

namespace {
// 0 and every code the tool sends and interprets.
constexpr std::array<std::uint8_t, 22> ExpectedCodes{0, 29, 33, 37, 38, 45, 48, 50, 64, 66, 69,
                                                     90, 91, 93, 94, 95, 112, 191, 208, 216, 220, 224};
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    static DeviceStatus status;
    static Timing timing;
    static DeviceLink link(status, timing);
    link.linkCheck = [] { return false; }; // a requeue never reaches the network
    link.expectedCode = ExpectedCodes[data[0] % ExpectedCodes.size()];
    link.firmwareImageSum = data[1];
    // As the channel does: the first 250 bytes cleared, then what arrived, cut at the buffer.
    std::fill_n(link.answer.begin(), DeviceLink::ClearedAnswerBytes, std::uint8_t{0});
    const std::size_t length = std::min(size - 2, DeviceLink::AnswerSize);
    std::copy_n(data + 2, length, link.answer.begin());
    link.answerLength = std::uint32_t(length);
    link.DispatchAnswer(link.answerLength);
    return 0;
}
