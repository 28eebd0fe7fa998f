#include "device/page_exchanges.h"
#include "support/scripted_link.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace trgui::device;
using trgui::testing::ScriptedLink;
using Bytes = ScriptedLink::Bytes;

TEST(IdentifyOnConnect, fourByteReplyConnectsAndAsksForTheVersion)
{
    ScriptedLink link;
    link.replies = {{0x50, 0x04, 0x11, 0x65}, {0x51, 0x07, 0x3F, 0x86, 0x66, 0x66, 0xE9}};
    const auto id = identifyOnConnect(link);
    EXPECT_TRUE(id.connected);
    EXPECT_EQ(id.deviceTypeCode, 17);
    ASSERT_TRUE(id.softwareVersion);
    EXPECT_FLOAT_EQ(*id.softwareVersion, 1.05f);
    EXPECT_EQ(link.writes, (std::vector<Bytes>{{0x50}, {0x51}}));
    EXPECT_EQ(link.pauses, (std::vector<int>{100, 50}));
    EXPECT_EQ(link.reads, 2) << "no drain before either request";
}

TEST(IdentifyOnConnect, wrongLengthOrFirstByteIsNoDevice)
{
    for (const Bytes& reply : {Bytes{0x50, 0x04, 0x11, 0x65, 0x00}, Bytes{0x50, 0x04, 0x11},
                               Bytes{0x51, 0x04, 0x11, 0x65}, Bytes{}}) {
        ScriptedLink link;
        link.replies = {reply};
        const auto id = identifyOnConnect(link);
        EXPECT_FALSE(id.connected) << reply.size() << " bytes";
        if (reply.size() == 5) {
            EXPECT_EQ(id.refusedReply, reply) << "what was refused is told";
        }
        EXPECT_TRUE(std::all_of(link.writes.begin(), link.writes.end(), [](const Bytes& w) { return w == Bytes{0x50}; }))
            << "no version request without a device";
    }
}

TEST(IdentifyOnConnect, aDeviceThatDoesNotFrameIsTakenWhenItAnswersAlikeThreeTimes)
{
    const Bytes unframed = {0xAF, 0x04, 0x11, 0x00};
    const Bytes version = {0xAE, 0x07, 0x3F, 0x86, 0x66, 0x66, 0x00};
    ScriptedLink link;
    link.replies = {unframed, {}, unframed, {}, unframed, version, {}, version, {}, version};
    const auto id = identifyOnConnect(link);
    EXPECT_TRUE(id.connected);
    EXPECT_EQ(id.deviceTypeCode, 17);
    ASSERT_TRUE(id.softwareVersion) << "asked until three replies agree, as the identification";
    EXPECT_FLOAT_EQ(*id.softwareVersion, 1.05f);
}

TEST(IdentifyOnConnect, codeIsASignedByteAndAShortVersionIsNone)
{
    ScriptedLink link;
    link.replies = {{0x50, 0x04, 0xFF, 0x00}, {0x51, 0x07, 0x3F}};
    const auto id = identifyOnConnect(link);
    EXPECT_TRUE(id.connected);
    EXPECT_EQ(id.deviceTypeCode, -1);
    EXPECT_FALSE(id.softwareVersion);
}

TEST(SetLowFlowSuppression, sendsTheTelegramInTwoWritesAndReportsAcceptance)
{
    ScriptedLink link;
    link.replies = {{}, {kAck}, {kAck}};
    EXPECT_EQ(setLowFlowSuppression(link, 3), LowFlowOutcome::Accepted);
    EXPECT_EQ(link.writes, (std::vector<Bytes>{{0x76}, {0x04, 0x03, 0x7D}}));
    EXPECT_EQ(link.pauses, (std::vector<int>{50, 50, 50}));
    EXPECT_EQ(link.reads, 3) << "drain, then one read per part";
}

TEST(SetLowFlowSuppression, missingAckAfterEitherPartIsNotAcknowledged)
{
    ScriptedLink first;
    first.replies = {{}, {0x15}};
    EXPECT_EQ(setLowFlowSuppression(first, 5), LowFlowOutcome::NotAcknowledged);
    EXPECT_EQ(first.writes.size(), 1u) << "the second part is not sent";

    ScriptedLink second;
    second.replies = {{}, {kAck}, {}};
    EXPECT_EQ(setLowFlowSuppression(second, 5), LowFlowOutcome::NotAcknowledged);

    ScriptedLink closed;
    closed.open = false;
    EXPECT_EQ(setLowFlowSuppression(closed, 5), LowFlowOutcome::NotAcknowledged);
    EXPECT_TRUE(closed.writes.empty());
}

TEST(SetLowFlowSuppression, zeroPointResults)
{
    const std::pair<Bytes, LowFlowOutcome> cases[] = {
        {{0x9E}, LowFlowOutcome::ZeroPoint9E}, {{0x9D}, LowFlowOutcome::ZeroPoint9D},
        {{0x9F}, LowFlowOutcome::ZeroPoint9F}, {{}, LowFlowOutcome::ZeroPointNoAnswer},
        {{0x42}, LowFlowOutcome::ZeroPointOther}};
    for (const auto& [result, expected] : cases) {
        ScriptedLink link;
        link.replies = {{}, {kAck}, {kAck}, result};
        EXPECT_EQ(setLowFlowSuppression(link, 0), expected);
        EXPECT_EQ(link.writes.back(), (Bytes{0x04, 0x00, 0x7A}));
        EXPECT_EQ(link.pauses.back(), 700);
    }
}

TEST(WriteConfiguration, acknowledgedOrNot)
{
    const std::vector<std::uint8_t> block(71, 0x11);
    ScriptedLink link;
    link.replies = {{}, {kAck}, {kAck}};
    EXPECT_EQ(writeConfiguration(link, Family::Dr, block), WriteOutcome::Acknowledged);
    ASSERT_EQ(link.writes.size(), 2u);
    EXPECT_EQ(link.writes[0], Bytes{0x60});
    EXPECT_EQ(link.writes[1].size(), 73u);
    EXPECT_EQ(link.writes[1][0], 0x4A);
    EXPECT_EQ(link.pauses, (std::vector<int>{200, 200}));

    ScriptedLink silent;
    EXPECT_EQ(writeConfiguration(silent, Family::Dr, block), WriteOutcome::NotAcknowledged);

    ScriptedLink wrongByte;
    wrongByte.replies = {{}, {kAck}, {0x15}};
    EXPECT_EQ(writeConfiguration(wrongByte, Family::Dr, block), WriteOutcome::NotAcknowledged);
}

TEST(WriteConfiguration, unknownFamilyOrWrongBlockSendsNothing)
{
    ScriptedLink link;
    EXPECT_EQ(writeConfiguration(link, Family::None, std::vector<std::uint8_t>(63)), WriteOutcome::NotAcknowledged);
    EXPECT_EQ(writeConfiguration(link, Family::Standard, std::vector<std::uint8_t>(71)), WriteOutcome::NotAcknowledged);
    EXPECT_TRUE(link.writes.empty());
}

// Auto purges only after a whole reply: of the expected length, or longer
// where the device may add bytes after its frame (framed, or unframed and
// waiting for agreement).
TEST(Drain, autoPurgesOnlyAfterAWholeReply)
{
    const std::pair<Bytes, bool> cases[] = {
        {{0x50, 0x04, 0x11, 0x65}, true},
        {{0x50, 0x04, 0x11, 0x65, 0x00}, true},
        {{0xAF, 0x04, 0x11, 0x00, 0x00}, true},
        {{0xA5, 0x50, 0x04, 0x11, 0x65}, false},  // a stray byte in front
        {{0x50, 0x04, 0x11}, false},
    };
    for (const auto& [reply, purges] : cases) {
        ScriptedLink link;
        link.replies = {reply};
        exchange(link, DeviceCommand::Identify, std::nullopt);
        exchange(link, DeviceCommand::Identify, DrainMode::Auto);
        EXPECT_EQ(link.purges, purges ? 1 : 0) << reply.size() << " bytes";
    }
}

TEST(Drain, purgeReadsNothing)
{
    ScriptedLink link;
    link.replies = {{0x10, 0x08, 0, 0, 0, 0, 0x5B, 0}};
    exchange(link, DeviceCommand::ReadVelocity, DrainMode::Purge);
    EXPECT_EQ(link.purges, 1);
    EXPECT_EQ(link.reads, 1);
    exchange(link, DeviceCommand::ReadVelocity, DrainMode::Read);
    EXPECT_EQ(link.reads, 3);
}
