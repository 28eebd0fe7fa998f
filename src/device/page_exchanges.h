#pragma once

// The device conversations that pages start. They return what happened and
// show nothing; the page shows its message for the outcome while it still
// holds the device lock.

#include "device/protocol.h"

#include <optional>
#include <span>
#include <vector>

namespace trgui::device {

// Identification right after a port was opened (no drain, no lock).
struct Identification {
    bool connected = false;       // exactly 4 bytes and byte 0 = Identify, or 4 bytes taken by judgeReply
    int deviceTypeCode = 0;       // byte 2 as a signed byte; valid when connected
    std::optional<float> softwareVersion;  // asked only when connected
    std::vector<std::uint8_t> refusedReply;  // not connected: the reply refused; empty when none came
};
Identification identifyOnConnect(SerialLink& link);

// What became of the low-flow suppression telegram. A value of 0 sets the
// zero point, and the device then answers with a result byte of its own.
enum class LowFlowOutcome {
    Accepted,           // a value above 0, both parts acknowledged
    NotAcknowledged,    // either half of the telegram not acknowledged
    ZeroPoint9E,        // zero point: result byte 0x9E
    ZeroPoint9D,        // zero point: result byte 0x9D
    ZeroPoint9F,        // zero point: result byte 0x9F
    ZeroPointNoAnswer,  // zero point: no result byte
    ZeroPointOther,     // zero point: a result byte of no known meaning
};
LowFlowOutcome setLowFlowSuppression(SerialLink& link, int value, DrainMode drainMode = DrainMode::Auto);

enum class WriteOutcome { Acknowledged, NotAcknowledged };

// Sends the configuration block of the family. NotAcknowledged also when
// nothing could be sent: unknown family or a block of the wrong size.
WriteOutcome writeConfiguration(SerialLink& link, Family family, std::span<const std::uint8_t> block,
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

} // namespace trgui::device
