#include "device/page_exchanges.h"

namespace trgui::device {

namespace {
constexpr int kTelegramPauseMs = 50;
constexpr int kZeroPointWaitMs = 700;
constexpr int kConfigurationPauseMs = 200;
constexpr std::size_t kAckLength = 1;  // an acknowledge or a zero-point result
constexpr int kConfirmingAttempts = 3;  // identifications an unframed device needs to agree

bool acknowledged(const Reply& reply)
{
    return !reply.empty() && reply.bytes[0] == kAck;
}

std::span<const std::uint8_t> bytesOf(const std::vector<std::uint8_t>& v, std::size_t from)
{
    return std::span<const std::uint8_t>(v).subspan(from);
}
} // namespace

Identification identifyOnConnect(SerialLink& link)
{
    Identification result;
    static constexpr std::uint8_t identify = static_cast<std::uint8_t>(DeviceCommand::Identify);
    // Exactly four bytes starting with the request is a device; so is one that
    // frames its four bytes otherwise but answers alike each time it is asked
    // (the cycle takes such a device's replies too). A longer reply is not,
    // although the cycle takes it: the connection wants the four bytes.
    const auto identified = [](const Reply& r) { return r.count == 4 && (r.bytes[0] == identify || r.taken()); };
    Reply id;
    for (int attempt = 0; attempt < kConfirmingAttempts; ++attempt) {
        id = exchange(link, std::span(&identify, 1), kIdentifyPagePauseMs,
                      attempt == 0 ? std::nullopt : std::optional(DrainMode::Read),
                      commandInfo(DeviceCommand::Identify).replyLength);
        judgeReply(link, DeviceCommand::Identify, id);
        if (identified(id) || id.refusal != kFramingNotConfirmed)
            break;
    }
    if (!identified(id)) {
        result.refusedReply.assign(id.bytes.begin(), id.bytes.begin() + static_cast<std::ptrdiff_t>(id.count));
        return result;
    }
    result.connected = true;
    result.deviceTypeCode = static_cast<std::int8_t>(id.bytes[2]);

    Reply version;
    for (int attempt = 0; attempt < kConfirmingAttempts; ++attempt) {
        version = exchange(link, DeviceCommand::ReadVersion, attempt == 0 ? std::nullopt : std::optional(DrainMode::Read));
        if (version.refusal != kFramingNotConfirmed)
            break;
    }
    // A reply too short to hold the float is no version at all.
    if (version.taken())
        result.softwareVersion = decodeFloatBE(&version.bytes[2]);
    return result;
}

LowFlowOutcome setLowFlowSuppression(SerialLink& link, int value, DrainMode drainMode)
{
    const std::uint8_t data = static_cast<std::uint8_t>(value);
    const auto telegram = buildTelegram(DeviceCommand::SetLowFlowSuppression, std::span(&data, 1));

    link.pause(kTelegramPauseMs);
    drain(link, drainMode);
    if (!acknowledged(exchange(link, bytesOf(telegram, 0).first(1), kTelegramPauseMs, std::nullopt, kAckLength)))
        return LowFlowOutcome::NotAcknowledged;
    if (!acknowledged(exchange(link, bytesOf(telegram, 1), kTelegramPauseMs, std::nullopt, kAckLength)))
        return LowFlowOutcome::NotAcknowledged;
    if (value != 0)
        return LowFlowOutcome::Accepted;

    link.pause(kZeroPointWaitMs);
    const Reply result = readReply(link, kAckLength);
    if (result.empty())
        return LowFlowOutcome::ZeroPointNoAnswer;
    switch (result.bytes[0]) {
    case 0x9E: return LowFlowOutcome::ZeroPoint9E;
    case 0x9D: return LowFlowOutcome::ZeroPoint9D;
    case 0x9F: return LowFlowOutcome::ZeroPoint9F;
    default: return LowFlowOutcome::ZeroPointOther;
    }
}

WriteOutcome writeConfiguration(SerialLink& link, Family family, std::span<const std::uint8_t> block,
                                DrainMode drainMode)
{
    const std::size_t size = configurationBlockSize(family);
    if (size == 0 || block.size() != size)
        return WriteOutcome::NotAcknowledged;

    const auto telegram = buildTelegram(DeviceCommand::WriteConfiguration, block);
    drain(link, drainMode);
    exchange(link, bytesOf(telegram, 0).first(1), kConfigurationPauseMs, std::nullopt, kAckLength);
    const Reply reply = exchange(link, bytesOf(telegram, 1), kConfigurationPauseMs, std::nullopt, kAckLength);
    return acknowledged(reply) ? WriteOutcome::Acknowledged : WriteOutcome::NotAcknowledged;
}

namespace {

// A request whose reply has a known length: read from the moment it is sent,
// so that the read ends when the reply is whole rather than after the pause.
// The line is quiet after the reply expected, with or without one trailing
// checksum byte.
Reply askForWhole(SerialLink& link, DeviceCommand command, int pauseMs, DrainMode drainMode, std::size_t complete)
{
    drain(link, drainMode);
    const std::uint8_t request = static_cast<std::uint8_t>(command);
    link.write(&request, 1);
    Reply reply;
    link.readWithin(reply.bytes.data(), reply.count, complete, pauseMs);
    link.setLineQuiet(reply.count == complete || reply.count == complete + 1);
    return reply;
}

} // namespace

Reply identifyForConfiguration(SerialLink& link, DrainMode drainMode)
{
    // Exactly the identification's length: a trailing byte leaves the line not quiet.
    Reply reply = askForWhole(link, DeviceCommand::Identify, kIdentifyPagePauseMs, drainMode,
                              commandInfo(DeviceCommand::Identify).replyLength);
    link.setLineQuiet(reply.count == commandInfo(DeviceCommand::Identify).replyLength);
    return reply;
}

Reply requestConfiguration(SerialLink& link, Family family, DrainMode drainMode)
{
    // Two leading bytes and the block at least; a trailing checksum is read with them.
    return askForWhole(link, DeviceCommand::ReadConfiguration, pauseOf(DeviceCommand::ReadConfiguration), drainMode,
                       configurationBlockSize(family) + 2);
}

Reply readConfigurationBack(SerialLink& link, Family family, int attempts, int pauseMs)
{
    Reply reply;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        if (attempt > 0)
            link.pause(pauseMs);
        // Right after the acknowledgement the line is known quiet (Auto purges
        // then); after a reply that was not the whole block, a read drains, so
        // a late half of a busy device's reply cannot shift the next block.
        reply = requestConfiguration(link, family, attempt == 0 ? DrainMode::Auto : DrainMode::Read);
        if (isCompleteConfigurationReply(family, reply.count))
            break;
    }
    return reply;
}

std::optional<int> identifiedCode(const Reply& reply)
{
    if (reply.count < 3)
        return std::nullopt;
    return reply.bytes[2];
}

} // namespace trgui::device
