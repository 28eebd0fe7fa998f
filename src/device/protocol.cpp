#include "device/protocol.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>
#include <stdexcept>

namespace trgui::device {

const CommandInfo& commandInfo(DeviceCommand command)
{
    for (const auto& info : kCommands) {
        if (info.command == command)
            return info;
    }
    throw std::invalid_argument("unknown device command");
}

bool replyAccepted(DeviceCommand command, std::size_t count)
{
    switch (commandInfo(command).reply) {
    case ReplyKind::Value: return count == 8;
    case ReplyKind::Triple: return count == 18;
    case ReplyKind::Byte:
    case ReplyKind::Identification: return count >= 3;
    case ReplyKind::Version: return count >= 6;
    default: return count > 0;
    }
}

namespace {

bool judged(ReplyKind kind)
{
    return kind == ReplyKind::Value || kind == ReplyKind::Triple || kind == ReplyKind::Byte
        || kind == ReplyKind::Identification || kind == ReplyKind::Version;
}

// The kinds of which only leading bytes are read: the device may send more.
bool readsLeadingBytes(ReplyKind kind)
{
    return kind == ReplyKind::Byte || kind == ReplyKind::Identification || kind == ReplyKind::Version;
}

// Whether the checksum stands where the protocol puts it: at the protocol's
// last byte when the reply reaches it (what follows is not covered), else at
// the reply's own last byte.
bool sums(const Reply& reply, std::size_t protocolLength)
{
    const std::size_t end = std::min(reply.count, protocolLength);
    return end >= 2 && reply.bytes[end - 1] == checksum(std::span(reply.bytes.data(), end - 1));
}

// A device whose replies are not framed as the protocol says (no echo, no
// checksum) is believed only when this many of the latest remembered replies
// to a request were framed alike: three is as fast as teaching from the first
// three, and a disturbance that fakes one framing three times out of eight
// replies, with the length right and no protocol-framed reply among them, is
// not line noise.
constexpr int kAgreeingReplies = 3;

// A framing a device may use instead of the protocol's: the protocol's length,
// or one byte shorter without the checksum, or (where only leading bytes are
// read) longer with byte 1 the protocol's length, so the bytes read stand at
// their places. Anything else is bytes lost or added on the line: without a
// frame, a stray byte in front is told from one more at the end only by the
// length byte it pushes out of place.
bool plausible(const ReplyFraming& framing, const ReplyFraming& protocol, ReplyKind kind, const Reply& reply)
{
    if (framing.length > protocol.length)
        return readsLeadingBytes(kind) && reply.bytes[1] == protocol.length;
    return framing.length == protocol.length || (framing.length + 1 == protocol.length && !framing.sums);
}

} // namespace

void judgeReply(SerialLink& link, DeviceCommand command, Reply& reply)
{
    const auto& info = commandInfo(command);
    if (!judged(info.reply))
        return;
    const auto request = static_cast<std::uint8_t>(command);
    if (reply.count == 0) {
        reply.refusal = "no reply";
    } else if (!replyAccepted(command, reply.count)) {
        reply.refusal = "wrong length";
    } else {
        // What the protocol says a reply looks like is believed from the first byte on.
        const ReplyFraming protocol{info.replyLength, true, true};
        const ReplyFraming framing{reply.count, reply.bytes[0] == request, sums(reply, info.replyLength)};
        ReplyShape& shape = link.replyShape(request);
        // Where only leading bytes are read, a reply framed as the protocol says
        // is taken whatever follows: the checksum covers every byte read.
        if (framing.length > protocol.length && framing.echoes && framing.sums) {
            shape.remember(protocol);
        } else if (!plausible(framing, protocol, info.reply, reply)) {
            reply.refusal = "length differs from the protocol's";
        } else {
            shape.remember(framing);
            if (framing == protocol)
                ;  // taken
            else if (shape.countOf(protocol) > 0)
                // This device frames its replies: one that is not framed was disturbed.
                reply.refusal = !framing.sums ? "checksum wrong" : "byte 0 is not the request";
            else if (shape.countOf(framing) < kAgreeingReplies)
                reply.refusal = kFramingNotConfirmed;
        }
    }
    link.replyJudged(reply.refusal);
}

float decodeFloatBE(const std::uint8_t* bytes)
{
    const std::uint32_t bits = (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16)
        | (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
    return std::bit_cast<float>(bits);
}

void encodeFloatBE(float value, std::uint8_t* bytes)
{
    const auto bits = std::bit_cast<std::uint32_t>(value);
    bytes[0] = static_cast<std::uint8_t>(bits >> 24);
    bytes[1] = static_cast<std::uint8_t>(bits >> 16);
    bytes[2] = static_cast<std::uint8_t>(bits >> 8);
    bytes[3] = static_cast<std::uint8_t>(bits);
}

namespace {

struct UnitRange {
    int base;
    std::span<const char* const> texts;  // UTF-8
};

constexpr const char* kVelocityUnits[] = {"%", "m/s", "fps"};
constexpr const char* kTemperatureUnits[] = {"°C", "°F", "K"};
constexpr const char* kVolumeFlowUnits[] = {"l/s", "l/min", "m³/h", "gallons/min"};
constexpr const char* kVolumeFlowUnitsDr[] = {"l/s", "l/min", "m³/h", "ft³/s", "ft³/min", "kg/s",
                                              "kg/min", "kg/h", "pounds/s", "pounds/min", "pounds/h"};
constexpr const char* kTotaliserUnits[] = {"l", "m³", "gallons"};
constexpr const char* kTotaliserUnitsDr[] = {"l", "m³", "ft³", "kg", "lb"};

// [quantity][family is 1]
constexpr UnitRange kUnitRanges[4][2] = {
    {{90, kVelocityUnits}, {150, kVelocityUnits}},
    {{110, kVolumeFlowUnits}, {160, kVolumeFlowUnitsDr}},
    {{120, kTotaliserUnits}, {175, kTotaliserUnitsDr}},
    {{100, kTemperatureUnits}, {155, kTemperatureUnits}},
};

} // namespace

QString unitText(Quantity quantity, Family family, int unitCode)
{
    const UnitRange& range = kUnitRanges[static_cast<int>(quantity)][family == Family::Dr ? 1 : 0];
    const int index = unitCode - range.base;
    if (index < 0 || index >= static_cast<int>(range.texts.size()))
        return {};
    return QString::fromUtf8(range.texts[static_cast<std::size_t>(index)]);
}

std::uint8_t checksum(std::span<const std::uint8_t> bytes)
{
    unsigned sum = std::accumulate(bytes.begin(), bytes.end(), 0u);
    return static_cast<std::uint8_t>(sum & 0xFF);
}

std::vector<std::uint8_t> buildTelegram(DeviceCommand command, std::span<const std::uint8_t> data)
{
    std::vector<std::uint8_t> telegram;
    telegram.reserve(data.size() + 3);
    telegram.push_back(static_cast<std::uint8_t>(command));
    telegram.push_back(static_cast<std::uint8_t>(data.size() + 3));
    telegram.insert(telegram.end(), data.begin(), data.end());
    telegram.push_back(checksum(telegram));
    return telegram;
}

void drain(SerialLink& link, DrainMode mode)
{
    const bool purge = mode == DrainMode::Purge || (mode == DrainMode::Auto && link.lineQuiet());
    if (purge) {
        link.purgeInput();
        return;
    }
    Reply discarded;
    link.read(discarded.bytes.data(), discarded.count);
}

Reply readReply(SerialLink& link, std::size_t complete)
{
    Reply reply;
    link.readComplete(reply.bytes.data(), reply.count, complete);
    // Quiet only after exactly the reply expected (or, expecting none, nothing).
    link.setLineQuiet(reply.count == complete);
    return reply;
}

Reply exchange(SerialLink& link, std::span<const std::uint8_t> request, int pauseMs,
               std::optional<DrainMode> drainFirst, std::size_t complete)
{
    if (drainFirst)
        drain(link, *drainFirst);
    link.write(request.data(), request.size());
    link.pause(pauseMs);
    return readReply(link, complete);
}

Reply exchange(SerialLink& link, DeviceCommand command, std::optional<DrainMode> drainFirst)
{
    const std::uint8_t byte = static_cast<std::uint8_t>(command);
    Reply reply = exchange(link, std::span<const std::uint8_t>(&byte, 1), pauseOf(command), drainFirst,
                           commandInfo(command).replyLength);
    judgeReply(link, command, reply);
    // A longer reply of a length this device may send (taken, or waiting for
    // agreement) was followed by the same quiet gap as one of the expected
    // length: the line is as quiet.
    if (reply.count > commandInfo(command).replyLength && (reply.taken() || reply.refusal == kFramingNotConfirmed))
        link.setLineQuiet(true);
    return reply;
}

} // namespace trgui::device
