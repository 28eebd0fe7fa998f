// The device conversations against the simulator over a real pseudo-terminal.

#include "page_exchanges.h"
#include "serial_port.h"
#include "simulator.h"

#include <gtest/gtest.h>

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
    EXPECT_EQ(familyOf(id.deviceTypeCode), 1);
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
    EXPECT_EQ(unitText(Quantity::Temperature, 1, good.bytes[6]), QString::fromUtf8("°C"));
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
        EXPECT_EQ(reply.count, 4u);
        EXPECT_EQ(reply.bytes[0], 0x40);
    }
}

TEST_F(DeviceOverPty, lowFlowTelegramGoesOutAsTwoWrites)
{
    RecordingLink link(port);
    EXPECT_EQ(setLowFlowSuppression(link, 3), message::LowFlowAccepted);
    ASSERT_EQ(link.writes.size(), 2u);
    EXPECT_EQ(link.writes[0], (std::vector<std::uint8_t>{0x76}));
    EXPECT_EQ(link.writes[1], (std::vector<std::uint8_t>{0x04, 0x03, 0x7D}));
    EXPECT_TRUE(sim.waitForLog("telegram 0x76 SetLowFlowSuppression value 3 -> ACK"));
    const Reply now = exchange(port, DeviceCommand::ReadLowFlowSuppression, DrainMode::Read);
    EXPECT_EQ(now.at(2), 3);
}

TEST_F(DeviceOverPty, lowFlowWithoutAckIsMessage8)
{
    sim.control("noack second");
    EXPECT_EQ(setLowFlowSuppression(port, 4), message::LowFlowNotAcknowledged);
    sim.control("noack first");
    EXPECT_EQ(setLowFlowSuppression(port, 4), message::LowFlowNotAcknowledged);
}

TEST_F(DeviceOverPty, zeroPointOutcomes)
{
    const std::pair<const char*, int> cases[] = {
        {"zero 0x9E", 9}, {"zero 0x9D", 10}, {"zero 0x9F", 11}, {"zero none", 12}};
    for (const auto& [control, expected] : cases) {
        sim.control(control);
        EXPECT_EQ(setLowFlowSuppression(port, 0), expected) << control;
    }
}

TEST_F(DeviceOverPty, configurationReadWriteAndSilence)
{
    const Reply id = identifyForConfiguration(port);
    ASSERT_GE(id.count, 3u);
    const Reply original = requestConfiguration(port, 1);
    ASSERT_EQ(original.count, 71u + 3u);

    std::vector<std::uint8_t> block(original.bytes.begin() + 2, original.bytes.begin() + 2 + 71);
    block[11] = 152;  // velocity in fps
    EXPECT_EQ(writeConfiguration(port, 1, block), message::ConfigurationAcknowledged);

    const Reply changed = requestConfiguration(port, 1);
    EXPECT_EQ(changed.at(2 + 11), 152);
    const Reply velocity = exchange(port, DeviceCommand::ReadVelocity, DrainMode::Read);
    EXPECT_EQ(unitText(Quantity::Velocity, 1, velocity.at(6)), "fps");

    sim.control("noack second");
    EXPECT_EQ(writeConfiguration(port, 1, block), message::ConfigurationNotAcknowledged);
    sim.control("noack off");
    sim.control("silent on");
    EXPECT_EQ(writeConfiguration(port, 1, block), message::ConfigurationNotAcknowledged);
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
