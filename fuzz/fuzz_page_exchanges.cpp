// The pages' conversations against a device whose replies are the fuzzer's
// bytes: one conversation after another on the same line, chosen by the input.

#include "device/page_exchanges.h"
#include "fuzz_link.h"

#include <memory>
#include <vector>

using namespace trgui;
using device::DeviceCommand;

namespace {

// A telegram as buildTelegram frames it: command, total length, data, checksum.
bool wellFramed(const std::vector<std::uint8_t>& first, const std::vector<std::uint8_t>& rest,
                DeviceCommand command, std::size_t dataSize)
{
    if (first.size() != 1 || first[0] != static_cast<std::uint8_t>(command))
        return false;
    std::vector<std::uint8_t> whole = first;
    whole.insert(whole.end(), rest.begin(), rest.end());
    if (whole.size() != dataSize + 3 || whole[1] != whole.size())
        return false;
    return device::checksum(std::span(whole).first(whole.size() - 1)) == whole.back();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    // The first bytes choose the conversations (two bits each), the rest is the line.
    const std::size_t choices = std::min<std::size_t>(size / 8 + 1, 8);
    if (size <= choices)
        return 0;
    fuzz::LineScript script(data + choices, size - choices);
    auto port = std::make_unique<fuzz::FuzzLink>(script);

    for (std::size_t c = 0; c < choices * 4 && !script.exhausted(); ++c) {
        const int choice = (data[c / 4] >> (2 * (c % 4))) & 0x03;
        const auto drainMode = (data[c / 4] & 0x80) ? device::DrainMode::Read : device::DrainMode::Auto;
        if (port->failed())
            port = std::make_unique<fuzz::FuzzLink>(script);  // opened anew
        fuzz::FuzzLink& link = *port;
        const std::size_t writesBefore = script.writes.size();
        switch (choice) {
        case 0: {
            const auto id = device::identifyOnConnect(link);
            FUZZ_CHECK(!id.connected || (id.deviceTypeCode >= -128 && id.deviceTypeCode <= 127));
            FUZZ_CHECK(id.connected || !id.softwareVersion);
            break;
        }
        case 1: {
            const int value = static_cast<int>(c % 3);  // 0 is the zero-point adjustment
            using Outcome = device::LowFlowOutcome;
            const Outcome result = device::setLowFlowSuppression(link, value, drainMode);
            // Only the zero point has results of its own.
            FUZZ_CHECK(value == 0 || result == Outcome::Accepted || result == Outcome::NotAcknowledged);
            FUZZ_CHECK(value != 0 || result != Outcome::Accepted);
            if (script.writes.size() >= writesBefore + 2)
                FUZZ_CHECK(wellFramed(script.writes[writesBefore], script.writes[writesBefore + 1],
                                      DeviceCommand::SetLowFlowSuppression, 1));
            break;
        }
        case 2: {
            const auto family = static_cast<device::Family>(static_cast<int>(c % 4) - 1);
            std::vector<std::uint8_t> block(device::configurationBlockSize(family));
            for (std::size_t i = 0; i < block.size(); ++i)
                block[i] = static_cast<std::uint8_t>(i * 7 + c);
            const auto result = device::writeConfiguration(link, family, block, drainMode);
            if (block.empty())
                FUZZ_CHECK(result == device::WriteOutcome::NotAcknowledged
                           && script.writes.size() == writesBefore);
            else if (!link.failed())
                FUZZ_CHECK(script.writes.size() == writesBefore + 2
                           && wellFramed(script.writes[writesBefore], script.writes[writesBefore + 1],
                                         DeviceCommand::WriteConfiguration, block.size()));
            break;
        }
        case 3: {
            const auto id = device::identifyForConfiguration(link, drainMode);
            FUZZ_CHECK(id.count <= device::kReadSize);
            const auto code = device::identifiedCode(id);
            FUZZ_CHECK(code.has_value() == (id.count >= 3));
            const device::Family family = code ? device::familyOf(*code) : device::Family::None;
            const auto reply = device::requestConfiguration(link, family, drainMode);
            FUZZ_CHECK(reply.count <= device::kReadSize);
            break;
        }
        }
    }
    return 0;
}
