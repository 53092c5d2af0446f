#include "CommandHandler.h"

#include "FlashSettings.h"
#include "UnitAnswers.h"

#include <QtEndian>
#include <algorithm>
#include <numeric>

namespace {

constexpr qsizetype CodeOffset = 4;
constexpr qsizetype OversizeAnswerLength = 5000;

// File announcements.
constexpr qsizetype FileLengthOffset = 5;
constexpr qsizetype FileSumOffset = 9;
constexpr qsizetype NameLengthOffset = 16;
constexpr qsizetype NameOffset = 17;
constexpr qsizetype SummedAnnouncementLength = 40; // shorter announcements carry no byte sum
constexpr quint32 MaxFileLength = 10 * 1024 * 1024;
constexpr quint32 HugeReadLength = 0xFFFFFFFF;
constexpr char FirmwareImage[] = "/sys/mcuimg.bin";

constexpr std::uint8_t RelayOutput = 1;
constexpr std::uint8_t MaxVolume = 10;
constexpr std::uint8_t VolumeChange = 0;
constexpr std::uint8_t ArmingChange = 1;
constexpr std::uint8_t ChannelTestMarker = 250;
constexpr std::uint8_t ResetConfirmation = 1;

bool expectsAnswer(std::uint8_t code)
{
    return code != codeOf(Command::Restart) && code != codeOf(Command::FirmwareCheckUnrecognised);
}

quint32 byteSum(const QByteArray &bytes)
{
    return quint32(std::accumulate(bytes.cbegin(), bytes.cend(), quint64(0),
                                   [](quint64 sum, char byte) { return sum + std::uint8_t(byte); }));
}

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

// One request, read only as far as the client actually sent it.
class RequestHandler {
public:
    RequestHandler(const QByteArray &frame, UnitState &state, FileStore &files, const UnitFaults &faults)
        : m_frame(frame), m_code(std::uint8_t(frame[CodeOffset])), m_state(state), m_files(files), m_faults(faults)
    {
    }

    CommandOutcome carryOut()
    {
        switch (Command(m_code)) {
        case Command::Locator: ++m_state.locatorCount; return ack();
        case Command::DeviceInformation: return {.answer = deviceInformationAnswer(m_state, reportedAddress())};
        case Command::FirmwareCheck: return firmwareCheck();
        case Command::FirmwareCheckUnrecognised: return {};
        case Command::Restart: restartUnit(m_state, m_files); return {};
        case Command::WifiMode: return setWifiMode();
        case Command::WebKey: return setWebKey();
        case Command::VolumeArming: return setVolumeOrArming();
        case Command::StopPlayback: ++m_state.stopPlaybackCount; return ack();
        case Command::ConfigurationWritten: ++m_state.configurationWrittenCount; return ack();
        case Command::WriteSdFile: return announceUpload(FileArea::Sd);
        case Command::ReadSdFile: return announceDownload();
        case Command::DeleteFlashFile: return deleteFile(FileArea::Flash);
        case Command::ResetConfiguration: return resetConfiguration();
        case Command::WriteFlashFile: return announceUpload(FileArea::Flash);
        case Command::ChannelTest: return channelTest();
        case Command::DeleteSdClip: return deleteFile(FileArea::Sd);
        case Command::Relay: return setRelay();
        case Command::StatusPoll: return {.answer = statusAnswer(m_state)};
        case Command::ModbusTcpWritten: ++m_state.modbusWrittenCount; return ack();
        case Command::PlayClip: return playClip();
        default: return nak();
        }
    }

private:
    CommandOutcome ack(const QByteArray &data = {}) const { return {.answer = answerFrame(m_code, AckStatus, data)}; }
    CommandOutcome nak() const { return {.answer = answerFrame(m_code, NegativeStatus)}; }

    std::optional<std::uint8_t> byteAt(qsizetype offset) const
    {
        return offset < m_frame.size() ? std::optional(std::uint8_t(m_frame[offset])) : std::nullopt;
    }

    std::optional<quint32> numberAt(qsizetype offset) const
    {
        return offset + 4 <= m_frame.size() ? std::optional(qFromBigEndian<quint32>(m_frame.constData() + offset))
                                            : std::nullopt;
    }

    // The name field; a name cut short by the frame's end is taken as far as it goes.
    std::optional<QString> fileName(FileArea area) const
    {
        const auto length = byteAt(NameLengthOffset);
        if (!length)
            return std::nullopt;
        const QString name = QString::fromLatin1(m_frame.mid(NameOffset, *length));
        return FileStore::isValidName(area, name) ? std::optional(name) : std::nullopt;
    }

    std::array<std::uint8_t, 4> reportedAddress() const
    {
        return m_faults.otherAddress.isNull() ? m_state.address : ipv4Octets(m_faults.otherAddress);
    }

    CommandOutcome firmwareCheck() const
    {
        const auto image = m_files.read(FileArea::Flash, FirmwareImage);
        if (!image)
            return nak();
        return ack(bigEndian32(byteSum(*image) + (m_faults.wrongFirmwareSum ? 1 : 0)));
    }

    CommandOutcome setWifiMode()
    {
        const auto mode = byteAt(5);
        if (mode != WifiModeAccessPoint && mode != WifiModeStation)
            return nak();
        m_state.wifiMode = *mode;
        restartUnit(m_state, m_files);
        return ack();
    }

    CommandOutcome setWebKey()
    {
        const auto length = byteAt(5);
        if (!length)
            return nak();
        m_state.webKey = m_frame.mid(6, *length);
        return ack();
    }

    CommandOutcome setVolumeOrArming()
    {
        const auto attenuation = byteAt(5);
        const auto volume = byteAt(6);
        const auto armed = byteAt(7);
        const auto change = byteAt(8);
        if (!change)
            return nak();
        if (*change == VolumeChange && *volume <= MaxVolume) {
            m_state.volume = *volume;
            m_state.attenuation = *attenuation;
            return ack();
        }
        if (*change == ArmingChange) {
            m_state.armed = *armed;
            return ack();
        }
        return nak();
    }

    CommandOutcome announceUpload(FileArea area) const
    {
        const auto length = numberAt(FileLengthOffset);
        const auto name = fileName(area);
        if (!length || !name || *length > MaxFileLength || (area == FileArea::Sd && !m_state.sdPresent))
            return nak();
        DataPhase phase{DataPhase::Direction::ToUnit, area, *name, *length, std::nullopt, {}};
        if (m_frame.size() >= SummedAnnouncementLength)
            phase.announcedSum = numberAt(FileSumOffset);
        CommandOutcome outcome = ack();
        outcome.dataPhase = phase;
        return outcome;
    }

    CommandOutcome announceDownload() const
    {
        const auto name = fileName(FileArea::Sd);
        const auto content = name && m_state.sdPresent ? m_files.read(FileArea::Sd, *name) : std::nullopt;
        if (!content)
            return nak();
        const auto length = quint32(content->size());
        CommandOutcome outcome = ack(bigEndian32(m_faults.hugeReadLength ? HugeReadLength : length));
        outcome.dataPhase = DataPhase{DataPhase::Direction::FromUnit, FileArea::Sd, *name, length, std::nullopt, *content};
        return outcome;
    }

    CommandOutcome deleteFile(FileArea area) const
    {
        const auto name = fileName(area);
        const bool available = area == FileArea::Flash || m_state.sdPresent;
        return available && name && m_files.remove(area, *name) ? ack() : nak();
    }

    CommandOutcome resetConfiguration()
    {
        if (byteAt(5) != ResetConfirmation)
            return nak();
        clearFlashSettings(m_files);
        m_state.wifiMode = WifiModeAccessPoint;
        ++m_state.resetCount;
        restartUnit(m_state, m_files);
        return ack();
    }

    CommandOutcome channelTest()
    {
        const auto start = byteAt(6);
        const auto input = byteAt(7);
        if (byteAt(5) != ChannelTestMarker || !input)
            return nak();
        m_state.channelTestRunning = *start != 0;
        m_state.channelTestInput = *input;
        return ack();
    }

    CommandOutcome setRelay()
    {
        const auto state = byteAt(6);
        if (byteAt(5) != RelayOutput || !state)
            return nak();
        m_state.relayBits = *state ? 1 : 0;
        return ack(QByteArray{}.append(char(m_state.relayBits)).append(char(m_state.inputBits)));
    }

    CommandOutcome playClip()
    {
        const auto clip = byteAt(5);
        if (!clip)
            return nak();
        m_state.lastPlayedClip = *clip;
        return ack();
    }

    const QByteArray &m_frame;
    const std::uint8_t m_code;
    UnitState &m_state;
    FileStore &m_files;
    const UnitFaults &m_faults;
};

} // namespace

bool isRequestFrame(const QByteArray &frame)
{
    return frame.size() >= MinimumRequestLength
        && std::equal(FrameMagic.cbegin(), FrameMagic.cend(), frame.cbegin(),
                      [](std::uint8_t magic, char byte) { return magic == std::uint8_t(byte); });
}

CommandOutcome handleRequest(const QByteArray &frame, UnitState &state, FileStore &files, const UnitFaults &faults)
{
    if (!isRequestFrame(frame))
        return {};
    if (faults.onlyForCode != 0 && std::uint8_t(frame[CodeOffset]) != faults.onlyForCode)
        return handleRequest(frame, state, files, UnitFaults{});
    if (faults.noAnswer)
        return {.holdConnection = true};

    const auto code = std::uint8_t(frame[CodeOffset]);
    CommandOutcome outcome;
    if (!faults.negativeStatus)
        outcome = RequestHandler(frame, state, files, faults).carryOut();
    else if (expectsAnswer(code))
        outcome.answer = answerFrame(code, NegativeStatus);

    if (outcome.answer.isEmpty())
        return outcome;
    if (faults.wrongMagic)
        std::transform(outcome.answer.begin(), outcome.answer.begin() + FrameMagic.size(), outcome.answer.begin(),
                       [](char byte) { return char(~byte); });
    if (faults.misEcho && outcome.answer.size() > CodeOffset)
        outcome.answer[CodeOffset] = char(outcome.answer[CodeOffset] ^ 1);
    if (faults.oversizeAnswer)
        outcome.answer.resize(std::max(outcome.answer.size(), OversizeAnswerLength), '\0');
    using Delivery = CommandOutcome::Delivery;
    outcome.delivery = faults.splitAnswer      ? Delivery::InTwoPieces
                       : faults.slowAnswer     ? Delivery::ByteByByte
                       : faults.resetMidAnswer ? Delivery::ResetMidway
                                               : Delivery::Whole;
    return outcome;
}
