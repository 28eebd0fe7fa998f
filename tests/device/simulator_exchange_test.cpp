// The device conversations against the simulator over a real pseudo-terminal.

#include "device/page_exchanges.h"
#include "device/serial_port.h"
#include "support/simulator.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace trgui::device;
using trgui::testing::Simulator;

namespace {

// Records the writes that reach the port, so the split of a telegram is visible.
class RecordingLink : public SerialLink {
public:
    explicit RecordingLink(SerialLink& inner) : inner_(inner) {}
    bool isOpen() const override { return inner_.isOpen(); }
    int read(std::uint8_t* b, std::size_t& n) override { return inner_.read(b, n); }
    int write(const std::uint8_t* d, std::size_t n) override
    {
        writes.emplace_back(d, d + n);
        return inner_.write(d, n);
    }
    void purgeInput() override { inner_.purgeInput(); }
    std::vector<std::vector<std::uint8_t>> writes;

private:
    SerialLink& inner_;
};

class DeviceOverPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.started());
        ASSERT_EQ(port.open(1), 0);
    }

    Simulator sim{17};
    SerialPort port{[this](const std::string&) { return sim.linkPath(); }};
};

} // namespace

TEST_F(DeviceOverPty, identificationConnectsWithFourBytes)
{
    const auto id = identifyOnConnect(port);
    EXPECT_TRUE(id.connected);
    EXPECT_EQ(id.deviceTypeCode, 17);
    EXPECT_EQ(familyOf(id.deviceTypeCode), Family::Dr);
    ASSERT_TRUE(id.softwareVersion);
    EXPECT_FLOAT_EQ(*id.softwareVersion, 1.05f);
}

TEST_F(DeviceOverPty, fiveByteIdentificationIsNoDevice)
{
    sim.control("length 0x50 5");
    EXPECT_FALSE(identifyOnConnect(port).connected);
}

TEST_F(DeviceOverPty, valueRepliesOfWrongLengthAreRejected)
{
    const Reply good = exchange(port, DeviceCommand::ReadTemperature, DrainMode::Read);
    EXPECT_TRUE(replyAccepted(DeviceCommand::ReadTemperature, good.count));
    EXPECT_EQ(unitText(Quantity::Temperature, Family::Dr, good.bytes[6]), QString::fromUtf8("°C"));
    const float celsius = decodeFloatBE(&good.bytes[2]);
    EXPECT_GT(celsius, 15.0f);
    EXPECT_LT(celsius, 30.0f);

    // A read ends once the expected 8 bytes are in and the line stays quiet,
    // so a ninth byte is still seen and the reply refused, not cut to size.
    for (const char* length : {"7", "9"}) {
        sim.control(std::string("length 0x10 ") + length);
        const Reply bad = exchange(port, DeviceCommand::ReadVelocity, DrainMode::Auto);
        EXPECT_EQ(bad.count, static_cast<std::size_t>(std::stoi(length)));
        EXPECT_FALSE(replyAccepted(DeviceCommand::ReadVelocity, bad.count));
    }
}

TEST_F(DeviceOverPty, garbageBeforeARequestIsDrained)
{
    for (const DrainMode mode : {DrainMode::Read, DrainMode::Purge}) {
        sim.control("garbage 11");
        port.pause(30);  // let it arrive
        const Reply reply = exchange(port, DeviceCommand::ReadContacts, mode);
        EXPECT_EQ(reply.count, 4u) << "drain mode " << static_cast<int>(mode);
        EXPECT_EQ(reply.bytes[0], 0x40) << "drain mode " << static_cast<int>(mode);
    }
}

TEST_F(DeviceOverPty, lowFlowTelegramGoesOutAsTwoWrites)
{
    RecordingLink link(port);
    EXPECT_EQ(setLowFlowSuppression(link, 3), LowFlowOutcome::Accepted);
    ASSERT_EQ(link.writes.size(), 2u);
    EXPECT_EQ(link.writes[0], (std::vector<std::uint8_t>{0x76}));
    EXPECT_EQ(link.writes[1], (std::vector<std::uint8_t>{0x04, 0x03, 0x7D}));
    EXPECT_TRUE(sim.waitForLog("telegram 0x76 SetLowFlowSuppression value 3 -> ACK"));
    const Reply now = exchange(port, DeviceCommand::ReadLowFlowSuppression, DrainMode::Read);
    EXPECT_EQ(now.at(2), 3);
}

TEST_F(DeviceOverPty, lowFlowWithoutAckIsNotAcknowledged)
{
    sim.control("noack second");
    EXPECT_EQ(setLowFlowSuppression(port, 4), LowFlowOutcome::NotAcknowledged);
    sim.control("noack first");
    EXPECT_EQ(setLowFlowSuppression(port, 4), LowFlowOutcome::NotAcknowledged);
}

TEST_F(DeviceOverPty, zeroPointOutcomes)
{
    const std::pair<const char*, LowFlowOutcome> cases[] = {
        {"zero 0x9E", LowFlowOutcome::ZeroPoint9E}, {"zero 0x9D", LowFlowOutcome::ZeroPoint9D},
        {"zero 0x9F", LowFlowOutcome::ZeroPoint9F}, {"zero none", LowFlowOutcome::ZeroPointNoAnswer}};
    for (const auto& [control, expected] : cases) {
        sim.control(control);
        EXPECT_EQ(setLowFlowSuppression(port, 0), expected) << control;
    }
}

TEST_F(DeviceOverPty, configurationReadWriteAndSilence)
{
    const Reply id = identifyForConfiguration(port);
    ASSERT_GE(id.count, 3u);
    const Reply original = requestConfiguration(port, Family::Dr);
    ASSERT_EQ(original.count, 71u + 3u);

    std::vector<std::uint8_t> block(original.bytes.begin() + 2, original.bytes.begin() + 2 + 71);
    block[11] = 152;  // velocity in fps
    EXPECT_EQ(writeConfiguration(port, Family::Dr, block), WriteOutcome::Acknowledged);

    const Reply changed = requestConfiguration(port, Family::Dr);
    EXPECT_EQ(changed.at(2 + 11), 152);
    const Reply velocity = exchange(port, DeviceCommand::ReadVelocity, DrainMode::Read);
    EXPECT_EQ(unitText(Quantity::Velocity, Family::Dr, velocity.at(6)), "fps");

    sim.control("noack second");
    EXPECT_EQ(writeConfiguration(port, Family::Dr, block), WriteOutcome::NotAcknowledged);
    sim.control("noack off");
    sim.control("silent on");
    EXPECT_EQ(writeConfiguration(port, Family::Dr, block), WriteOutcome::NotAcknowledged);
}

TEST_F(DeviceOverPty, commandsActOnTheDeviceState)
{
    auto contacts = [&] { return exchange(port, DeviceCommand::ReadErrorCode, DrainMode::Read).at(2); };
    sim.control("error 20");
    EXPECT_EQ(contacts(), 20);
    exchange(port, DeviceCommand::ResetError, DrainMode::Read);
    EXPECT_EQ(contacts(), 0);

    exchange(port, DeviceCommand::ResetTotaliser, DrainMode::Read);
    const Reply total = exchange(port, DeviceCommand::ReadTotaliser, DrainMode::Read);
    EXPECT_LT(decodeFloatBE(&total.bytes[2]), 0.01f);
}

TEST_F(DeviceOverPty, disconnectedDeviceReadsNothingUntilReopened)
{
    sim.control("disconnect 300");
    const Reply gone = exchange(port, DeviceCommand::ReadContacts, DrainMode::Read);
    EXPECT_EQ(gone.count, 0u);
    port.pause(400);
    port.close();
    ASSERT_EQ(port.open(1), 0);
    EXPECT_TRUE(identifyOnConnect(port).connected);
}

// A device that answers later than the read window: draining with a read
// discards the late reply, so no reply is ever taken for the wrong request.
// A purge before the request cannot see bytes still on their way and lets the
// late reply of one request count as the reply of the next; that is why the
// program drains with a read.
TEST_F(DeviceOverPty, lateRepliesAreDrainedByARead)
{
    sim.control("latency 130");
    const DeviceCommand sequence[] = {DeviceCommand::ReadContacts, DeviceCommand::ReadErrorCode,
                                      DeviceCommand::ReadContacts, DeviceCommand::ReadErrorCode};
    // Auto purges only after a clean exchange; a reply that missed its read makes it read.
    for (const DrainMode mode : {DrainMode::Read, DrainMode::Auto}) {
        for (const auto command : sequence) {
            const Reply reply = exchange(port, command, mode);
            if (!reply.empty()) {
                EXPECT_EQ(reply.bytes[0], static_cast<std::uint8_t>(command));
            }
        }
    }

    int misattributed = 0;
    for (const auto command : sequence) {
        const Reply reply = exchange(port, command, DrainMode::Purge);
        if (!reply.empty() && reply.bytes[0] != static_cast<std::uint8_t>(command))
            ++misattributed;
    }
    EXPECT_GT(misattributed, 0) << "the purge hazard this test documents did not show";
}

// Line faults against a device that frames all its replies, none of them, or
// only some, with byte replies of the protocol's length or one byte longer:
// the framing catches the fault; a disturbed reply that passes is what an
// unframed reply cannot show.
TEST_F(DeviceOverPty, disturbedRepliesAreRefusedAsFarAsTheDeviceFramesThem)
{
    using C = DeviceCommand;
    struct Fault {
        std::string on, off;
        C command;
        bool refusedFramed, refusedUnframed;
    };
    const Fault faults[] = {
        {"junk 0x41 on", "junk 0x41 off", C::ReadErrorCode, true, true},  // learned length
        {"junk 0x40 on", "junk 0x40 off", C::ReadContacts, true, true},
        {"junk 0x77 on", "junk 0x77 off", C::ReadLowFlowSuppression, true, true},
        {"junk 0x50 on", "junk 0x50 off", C::Identify, true, true},
        {"junk 0x13 on", "junk 0x13 off", C::ReadTemperature, true, true},  // 9 bytes, never taken
        {"flip 0x13 3", "", C::ReadTemperature, true, false},                // only a checksum sees it
        {"flip 0x21 8", "", C::ReadMaxima, true, false},
        {"flip 0x41 2", "", C::ReadErrorCode, true, false},
    };
    struct Framing {
        const char* control;
        bool framed(C c) const { return std::string(control) == "frame all on" || (unframedOnly && c != *unframedOnly); }
        std::optional<C> unframedOnly;
        bool trailing = false;  // identification and byte replies end in one byte more
    };
    const Framing framings[] = {{"frame all on", {}},
                                {"frame all off", {}},
                                {"frame 0x41 off", C::ReadErrorCode},
                                {"frame all on", {}, true},
                                {"frame all off", {}, true}};
    for (const auto& framing : framings) {
        sim.control("frame all on");
        sim.control(framing.control);
        sim.control(framing.trailing ? "trail on" : "trail off");
        SerialPort fresh{[this](const std::string&) { return sim.linkPath(); }};
        port.close();
        ASSERT_EQ(fresh.open(1), 0);
        // A device that does not frame is believed from its third alike reply on.
        for (int round = 0; round < 3; ++round) {
            for (C c : {C::ReadErrorCode, C::ReadContacts, C::ReadLowFlowSuppression, C::Identify, C::ReadTemperature,
                        C::ReadMaxima}) {
                const Reply reply = exchange(fresh, c, DrainMode::Auto);
                EXPECT_EQ(reply.taken(), round == 2 || framing.framed(c))
                    << framing.control << (framing.trailing ? ", trailing" : "") << " round " << round;
            }
        }
        for (const auto& fault : faults) {
            sim.control(fault.on);
            const Reply reply = exchange(fresh, fault.command, DrainMode::Auto);
            const bool refused = framing.framed(fault.command) ? fault.refusedFramed : fault.refusedUnframed;
            EXPECT_EQ(!reply.taken(), refused) << framing.control << (framing.trailing ? ", trailing" : "") << ", "
                                               << fault.on << ": " << reply.refusal;
            if (!fault.off.empty())
                sim.control(fault.off);
            EXPECT_TRUE(exchange(fresh, fault.command, DrainMode::Auto).taken()) << "after " << fault.on;
        }
    }
    sim.control("frame all on");
    sim.control("trail off");
}

// A fault present from the very first reply of a connection is refused, not
// learned as the device's framing, and once it ends the clean line is taken
// again at once (framed) or from the third alike reply (unframed), every value right.
TEST_F(DeviceOverPty, aDisturbedStartIsNeitherLearnedNorKeepsTheCleanLineOut)
{
    using C = DeviceCommand;
    sim.control("error 7");
    struct Case {
        const char* framing;
        const char* on;
        const char* off;
        int faulty;       // replies refused while the fault lasts
        int cleanWithin;  // replies after it ends until one is taken
        bool trailing = false;  // byte replies end in one byte more
    };
    const Case cases[] = {
        {"frame all on", "junk 0x41 on", "junk 0x41 off", 5, 1},
        {"frame all on", "flip 0x41 2", "", 1, 1},
        {"frame all off", "junk 0x41 on", "junk 0x41 off", 5, 3},
        {"frame all on", "junk 0x41 on", "junk 0x41 off", 5, 1, true},
        {"frame all on", "flip 0x41 2", "", 1, 1, true},
        {"frame all off", "junk 0x41 on", "junk 0x41 off", 5, 3, true},
    };
    for (const auto& c : cases) {
        sim.control("frame all on");
        sim.control(c.framing);
        sim.control(c.trailing ? "trail on" : "trail off");
        sim.control(c.on);
        SerialPort fresh{[this](const std::string&) { return sim.linkPath(); }};
        port.close();
        ASSERT_EQ(fresh.open(1), 0);
        for (int i = 0; i < c.faulty; ++i)
            EXPECT_FALSE(exchange(fresh, C::ReadErrorCode, DrainMode::Auto).taken()) << c.framing << ", " << c.on;
        if (*c.off)
            sim.control(c.off);
        int asked = 0;
        Reply reply;
        do {
            reply = exchange(fresh, C::ReadErrorCode, DrainMode::Auto);
        } while (!reply.taken() && ++asked < 8);
        EXPECT_LT(asked, c.cleanWithin) << c.framing << ", " << c.on;
        for (int i = 0; i < 5; ++i) {
            EXPECT_EQ(reply.bytes[2], 7) << c.framing << ", " << c.on << ": a wrong error code was taken";
            reply = exchange(fresh, C::ReadErrorCode, DrainMode::Auto);
            EXPECT_TRUE(reply.taken()) << c.framing << ", " << c.on << ": " << reply.refusal;
        }
    }
    sim.control("frame all on");
    sim.control("trail off");
    sim.control("error 0");
}

// An adapter or device that paces its bytes is read whole: the read ends on
// silence after the last byte, not at a fixed time after the request, also
// where the device sends a byte more than the reply needs.
TEST_F(DeviceOverPty, pacedRepliesAreReadWhole)
{
    sim.control("trail on");
    for (const char* pace : {"pace 15", "pace 30"}) {
        sim.control(pace);
        for (const auto command : {DeviceCommand::ReadErrorCode, DeviceCommand::ReadContacts}) {
            const Reply reply = exchange(port, command, DrainMode::Auto);
            EXPECT_EQ(reply.count, 5u) << pace << ": the byte after the frame is read with it";
            EXPECT_EQ(reply.at(0), static_cast<std::uint8_t>(command)) << pace << ": nothing left in front";
        }
    }
    sim.control("trail off");
    for (const char* pace : {"pace 15", "pace 30"}) {
        sim.control(pace);
        const Reply temperature = exchange(port, DeviceCommand::ReadTemperature, DrainMode::Auto);
        EXPECT_TRUE(temperature.taken()) << pace << ": " << temperature.count << " bytes";
        const float celsius = decodeFloatBE(&temperature.bytes[2]);
        EXPECT_GT(celsius, 10.0f) << pace;
        EXPECT_LT(celsius, 40.0f) << pace;
        EXPECT_TRUE(exchange(port, DeviceCommand::ReadMinima, DrainMode::Auto).taken()) << pace << ": 18 bytes";
        EXPECT_EQ(identifyOnConnect(port).deviceTypeCode, 17) << pace;
    }
    sim.control("pace off");
}
