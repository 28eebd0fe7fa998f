#pragma once

// The device conversations that pages start. They return what happened and
// show nothing; the page shows the matching message while it still holds the
// device lock.

#include "device/protocol.h"

#include <optional>
#include <span>

namespace trgui::device {

// Identification right after a port was opened (no drain, no lock).
struct Identification {
    bool connected = false;       // exactly 4 bytes and byte 0 = Identify, or taken by judgeReply
    int deviceTypeCode = 0;       // byte 2 as a signed byte; valid when connected
    std::optional<float> softwareVersion;  // asked only when connected
};
Identification identifyOnConnect(SerialLink& link);

// Outcome of the low-flow suppression / zero-point telegram: the number of
// the message to show, or none.
std::optional<int> setLowFlowSuppression(SerialLink& link, int value,
                                         DrainMode drainMode = DrainMode::Auto);

// Sends the configuration block of the family. Returns message 6 when the
// device acknowledged it, message 2 otherwise (also when nothing could be
// sent: unknown family or a block of the wrong size).
int writeConfiguration(SerialLink& link, Family family, std::span<const std::uint8_t> block,
                       DrainMode drainMode = DrainMode::Auto);

// Both halves of reading the configuration: the identification, and the
// request for the block. Both drain first, so late bytes cannot shift the block.
Reply identifyForConfiguration(SerialLink& link, DrainMode drainMode = DrainMode::Auto);
Reply requestConfiguration(SerialLink& link, Family family, DrainMode drainMode = DrainMode::Auto);

// Reads the configuration back after a write: a device may be busy storing
// the block for a moment, so a reply that is not the whole block is asked
// again, up to attempts times with pauseMs between (about 2 s in all by
// default). The last reply, whole or not.
Reply readConfigurationBack(SerialLink& link, Family family, int attempts = 5, int pauseMs = 150);

// The device type code of an identification reply made for the
// configuration: byte 2, or none when the reply is too short to hold it.
std::optional<int> identifiedCode(const Reply& reply);

// Message numbers of the outcomes above.
namespace message {
inline constexpr int ConfigurationNotAcknowledged = 2;
inline constexpr int ConfigurationAcknowledged = 6;
inline constexpr int ConfigurationNotRead = 17;
inline constexpr int LowFlowAccepted = 7;
inline constexpr int LowFlowNotAcknowledged = 8;
inline constexpr int ZeroPointResult9E = 9;
inline constexpr int ZeroPointResult9D = 10;
inline constexpr int ZeroPointResult9F = 11;
inline constexpr int ZeroPointNoAnswer = 12;
} // namespace message

} // namespace trgui::device
