#pragma once

#include "device/family.h"
#include "device/serial_link.h"

#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace trgui::device {

// Request bytes of the device.
enum class DeviceCommand : std::uint8_t {
    ReadVelocity = 0x10,
    ReadVolumeFlow = 0x11,
    ReadTotaliser = 0x12,
    ReadTemperature = 0x13,
    ReadMinima = 0x20,
    ReadMaxima = 0x21,
    ReadConfiguration = 0x30,
    ReadContacts = 0x40,
    ReadErrorCode = 0x41,
    Identify = 0x50,
    ReadVersion = 0x51,
    WriteConfiguration = 0x60,
    ResetMinimum = 0x70,
    ResetMaximum = 0x71,
    ResetError = 0x72,
    ResetTotaliser = 0x73,
    StopMeasurement = 0x74,
    StartMeasurement = 0x75,
    SetLowFlowSuppression = 0x76,
    ReadLowFlowSuppression = 0x77,
};

inline constexpr std::uint8_t kAck = 0x96;

// How the device's reply to a request is judged.
enum class ReplyKind {
    Value,          // exactly 8 bytes: float at 2..5, unit code at 6
    Triple,         // exactly 18 bytes: floats at 2..5, 7..10, 12..15
    Byte,           // at least 1 byte: byte 2
    Identification, // byte 2 is the device type code
    Version,        // float at 2..5
    Configuration,  // block from byte 2
    Acknowledge,    // byte 0 = ACK
    None,           // not evaluated
};

struct CommandInfo {
    DeviceCommand command;
    std::string_view name;
    int pauseMs;  // pause between request and read
    ReplyKind reply;
    std::size_t replyLength;  // what the device sends; 0 where it varies or nothing comes
};

// One row per request byte. Identify pauses 40 ms in the cycle; the Settings
// and Configuration pages use kIdentifyPagePauseMs instead. Replies are
// framed like telegrams: request byte, length, data, checksum.
inline constexpr std::array<CommandInfo, 20> kCommands{{
    {DeviceCommand::ReadVelocity, "ReadVelocity", 40, ReplyKind::Value, 8},
    {DeviceCommand::ReadVolumeFlow, "ReadVolumeFlow", 40, ReplyKind::Value, 8},
    {DeviceCommand::ReadTotaliser, "ReadTotaliser", 40, ReplyKind::Value, 8},
    {DeviceCommand::ReadTemperature, "ReadTemperature", 40, ReplyKind::Value, 8},
    {DeviceCommand::ReadMinima, "ReadMinima", 40, ReplyKind::Triple, 18},
    {DeviceCommand::ReadMaxima, "ReadMaxima", 40, ReplyKind::Triple, 18},
    {DeviceCommand::ReadConfiguration, "ReadConfiguration", 100, ReplyKind::Configuration, 0},
    {DeviceCommand::ReadContacts, "ReadContacts", 40, ReplyKind::Byte, 4},
    {DeviceCommand::ReadErrorCode, "ReadErrorCode", 40, ReplyKind::Byte, 4},
    {DeviceCommand::Identify, "Identify", 40, ReplyKind::Identification, 4},
    {DeviceCommand::ReadVersion, "ReadVersion", 50, ReplyKind::Version, 7},
    {DeviceCommand::WriteConfiguration, "WriteConfiguration", 200, ReplyKind::Acknowledge, 1},
    {DeviceCommand::ResetMinimum, "ResetMinimum", 40, ReplyKind::None, 0},
    {DeviceCommand::ResetMaximum, "ResetMaximum", 40, ReplyKind::None, 0},
    {DeviceCommand::ResetError, "ResetError", 40, ReplyKind::None, 0},
    {DeviceCommand::ResetTotaliser, "ResetTotaliser", 40, ReplyKind::None, 0},
    {DeviceCommand::StopMeasurement, "StopMeasurement", 40, ReplyKind::None, 0},
    {DeviceCommand::StartMeasurement, "StartMeasurement", 40, ReplyKind::None, 0},
    {DeviceCommand::SetLowFlowSuppression, "SetLowFlowSuppression", 50, ReplyKind::Acknowledge, 1},
    {DeviceCommand::ReadLowFlowSuppression, "ReadLowFlowSuppression", 60, ReplyKind::Byte, 4},
}};

inline constexpr int kIdentifyPagePauseMs = 100;

const CommandInfo& commandInfo(DeviceCommand command);
inline int pauseOf(DeviceCommand command) { return commandInfo(command).pauseMs; }

// Whether a reply of count bytes can be taken at all: value replies at
// exactly 8 bytes, triple replies at exactly 18, byte and identification
// replies when they hold the byte read from them (3 bytes), version replies
// their float (6), every other reply at one byte or more.
bool replyAccepted(DeviceCommand command, std::size_t count);

// ---- decoding -------------------------------------------------------------

// IEEE 754 single precision, most significant byte first.
float decodeFloatBE(const std::uint8_t* bytes);
void encodeFloatBE(float value, std::uint8_t* bytes);

enum class Quantity { Velocity, VolumeFlow, Totaliser, Temperature };

// Unit text of a unit code in a value reply. Codes outside the family's range
// give an empty text.
QString unitText(Quantity quantity, Family family, int unitCode);

// ---- telegrams --------------------------------------------------------------

std::uint8_t checksum(std::span<const std::uint8_t> bytes);

// command, total length, data, checksum over everything before it.
std::vector<std::uint8_t> buildTelegram(DeviceCommand command, std::span<const std::uint8_t> data);

// Configuration block size of a family (63, 71, 65), 0 without a family.
constexpr std::size_t configurationBlockSize(Family family)
{
    switch (family) {
    case Family::Standard: return 63;
    case Family::Dr: return 71;
    case Family::Wt: return 65;
    case Family::None: break;
    }
    return 0;
}

// Whether a configuration reply of count bytes holds the family's whole block:
// two leading bytes, the block, and at most one trailing byte (the device
// frames its reply like a telegram, checksum last).
constexpr bool isCompleteConfigurationReply(Family family, std::size_t count)
{
    const std::size_t size = configurationBlockSize(family);
    return size != 0 && (count == size + 2 || count == size + 3);
}

// ---- exchanges ----------------------------------------------------------------

struct Reply {
    std::array<std::uint8_t, kReadSize> bytes{};
    std::size_t count = 0;
    std::string_view refusal;  // why it was not taken; empty when taken

    std::uint8_t at(std::size_t i) const { return i < count ? bytes[i] : 0; }
    bool empty() const { return count == 0; }
    bool taken() const { return count > 0 && refusal.empty(); }
};

// Judges a reply to command against what the protocol says of it: its
// length, byte 0 the request, the last byte the checksum. Such a reply is
// taken at once; so is a longer one whose leading bytes are framed so, where
// only leading bytes are read (byte, identification and version replies).
// A device that frames otherwise (no echo, no checksum, one byte less, or,
// where leading bytes are read, more bytes with byte 1 the protocol's
// length) is believed only once several of the latest replies to command on
// this link agree on that framing and none of them was framed as the
// protocol says; until then its replies are refused (kFramingNotConfirmed),
// so a disturbed start is never learned as the device's way. Any other
// length (a stray byte in front) is always refused. Sets reply.refusal and
// tells the link (for the wire trace).
inline constexpr std::string_view kFramingNotConfirmed = "framing not yet confirmed";
void judgeReply(SerialLink& link, DeviceCommand command, Reply& reply);

// Draining before a request: a read whose bytes are thrown away (gives a late
// reply of the previous request 80 ms to arrive and be discarded), or a purge
// of what has been received so far (faster, but blind to bytes still on the
// wire). Auto purges only when the line is known quiet (the last exchange got
// exactly its reply, or a longer one of a length the device may send) and
// reads otherwise.
enum class DrainMode { Read, Purge, Auto };

void drain(SerialLink& link, DrainMode mode);
// One read; it ends early once complete bytes (0: none expected) arrived and
// the line stayed quiet, and records whether the line is now known quiet.
Reply readReply(SerialLink& link, std::size_t complete = 0);

// Optionally drain, write the request, pause, read once.
Reply exchange(SerialLink& link, std::span<const std::uint8_t> request, int pauseMs,
               std::optional<DrainMode> drainFirst, std::size_t complete = 0);

// The single-byte exchange with the command's own pause; the reply is judged
// (judgeReply) where the command has one to judge.
Reply exchange(SerialLink& link, DeviceCommand command, std::optional<DrainMode> drainFirst);

} // namespace trgui::device
