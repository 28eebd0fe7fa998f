#include "device/protocol.h"
#include "support/scripted_link.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace trgui::device;

namespace {
float decode(std::initializer_list<std::uint8_t> bytes)
{
    return decodeFloatBE(std::data(bytes));
}
} // namespace

TEST(FloatDecoding, knownAnswersAreBigEndian)
{
    EXPECT_EQ(decode({0x41, 0x20, 0x00, 0x00}), 10.0f);
    EXPECT_EQ(decode({0x3F, 0x80, 0x00, 0x00}), 1.0f);
    EXPECT_EQ(decode({0xC2, 0x48, 0x00, 0x00}), -50.0f);
    EXPECT_EQ(decode({0x41, 0xB8, 0x00, 0x00}), 23.0f);
    EXPECT_TRUE(std::isnan(decode({0x7F, 0xC0, 0x00, 0x00})));
}

TEST(FloatDecoding, encodeIsTheInverse)
{
    std::uint8_t bytes[4];
    for (float v : {0.0f, -0.5f, 1.05f, 123456.78f, -1e-20f}) {
        encodeFloatBE(v, bytes);
        EXPECT_EQ(decodeFloatBE(bytes), v);
    }
    encodeFloatBE(10.0f, bytes);
    EXPECT_EQ(bytes[0], 0x41);
    EXPECT_EQ(bytes[1], 0x20);
}

TEST(DeviceFamily, rangesAndCodesOutsideThem)
{
    EXPECT_EQ(familyOf(1), Family::Standard);
    EXPECT_EQ(familyOf(15), Family::Standard);
    EXPECT_EQ(familyOf(16), Family::Dr);
    EXPECT_EQ(familyOf(30), Family::Dr);
    EXPECT_EQ(familyOf(31), Family::Wt);
    EXPECT_EQ(familyOf(45), Family::Wt);
    for (int outside : {0, -1, 46, 127, -128})
        EXPECT_EQ(familyOf(outside), Family::None) << outside;

    Family family = Family::Dr;
    updateFamily(0, family);
    EXPECT_EQ(family, Family::Dr) << "code 0 leaves the family unchanged";
    updateFamily(46, family);
    EXPECT_EQ(family, Family::Dr);
    updateFamily(33, family);
    EXPECT_EQ(family, Family::Wt);
}

TEST(UnitText, codesPerQuantityAndFamily)
{
    EXPECT_EQ(unitText(Quantity::Velocity, Family::Standard, 91), "m/s");
    EXPECT_EQ(unitText(Quantity::Velocity, Family::Dr, 151), "m/s");
    EXPECT_EQ(unitText(Quantity::VolumeFlow, Family::Standard, 113), "gallons/min");
    EXPECT_EQ(unitText(Quantity::VolumeFlow, Family::Dr, 170), "pounds/h");
    EXPECT_EQ(unitText(Quantity::VolumeFlow, Family::Standard, 112), QString::fromUtf8("m³/h"));
    EXPECT_EQ(unitText(Quantity::Totaliser, Family::Standard, 122), "gallons");
    EXPECT_EQ(unitText(Quantity::Totaliser, Family::Dr, 179), "lb");
    EXPECT_EQ(unitText(Quantity::Temperature, Family::Standard, 100), QString::fromUtf8("°C"));
    EXPECT_EQ(unitText(Quantity::Temperature, Family::Dr, 155), QString::fromUtf8("°C"));
    EXPECT_EQ(unitText(Quantity::Temperature, Family::Dr, 156), QString::fromUtf8("°F"));
    // Families 2 and -1 use the standard codes.
    EXPECT_EQ(unitText(Quantity::Temperature, Family::Wt, 102), "K");
    EXPECT_EQ(unitText(Quantity::Temperature, Family::None, 101), QString::fromUtf8("°F"));
}

TEST(UnitText, codesOutsideTheRangeGiveNoText)
{
    EXPECT_EQ(unitText(Quantity::Velocity, Family::Standard, 89), "");
    EXPECT_EQ(unitText(Quantity::Velocity, Family::Standard, 93), "");
    EXPECT_EQ(unitText(Quantity::VolumeFlow, Family::Standard, 114), "") << "gallons/min is the last standard code";
    EXPECT_EQ(unitText(Quantity::VolumeFlow, Family::Dr, 171), "");
    EXPECT_EQ(unitText(Quantity::Temperature, Family::Dr, 100), "") << "a standard code in a DR device";
    EXPECT_EQ(unitText(Quantity::Totaliser, Family::Dr, 255), "");
}

TEST(Telegram, lowFlowSuppressionBytes)
{
    const std::uint8_t three = 3, ten = 10;
    EXPECT_EQ(buildTelegram(DeviceCommand::SetLowFlowSuppression, std::span(&three, 1)),
              (std::vector<std::uint8_t>{0x76, 0x04, 0x03, 0x7D}));
    EXPECT_EQ(buildTelegram(DeviceCommand::SetLowFlowSuppression, std::span(&ten, 1)),
              (std::vector<std::uint8_t>{0x76, 0x04, 0x0A, 0x84}));
}

TEST(Telegram, configurationFramingAndWrappingChecksum)
{
    for (Family family : kFamilies) {
        const std::vector<std::uint8_t> block(configurationBlockSize(family), 0xFF);
        const auto t = buildTelegram(DeviceCommand::WriteConfiguration, block);
        ASSERT_EQ(t.size(), block.size() + 3);
        EXPECT_EQ(t[0], 0x60);
        EXPECT_EQ(t[1], t.size());
        unsigned sum = 0;
        for (std::size_t i = 0; i + 1 < t.size(); ++i)
            sum += t[i];
        EXPECT_EQ(t.back(), sum % 256) << "family " << static_cast<int>(family);
    }
    EXPECT_EQ(buildTelegram(DeviceCommand::WriteConfiguration, std::vector<std::uint8_t>(63))[1], 0x42);
    EXPECT_EQ(buildTelegram(DeviceCommand::WriteConfiguration, std::vector<std::uint8_t>(71))[1], 0x4A);
    EXPECT_EQ(buildTelegram(DeviceCommand::WriteConfiguration, std::vector<std::uint8_t>(65))[1], 0x44);
}

TEST(ReplyAcceptance, byKindOfReply)
{
    EXPECT_TRUE(replyAccepted(DeviceCommand::ReadVelocity, 8));
    EXPECT_FALSE(replyAccepted(DeviceCommand::ReadVelocity, 7));
    EXPECT_FALSE(replyAccepted(DeviceCommand::ReadTemperature, 9));
    EXPECT_TRUE(replyAccepted(DeviceCommand::ReadMinima, 18));
    EXPECT_FALSE(replyAccepted(DeviceCommand::ReadMaxima, 17));
    // A byte reply must reach the byte that is read from it.
    EXPECT_FALSE(replyAccepted(DeviceCommand::ReadContacts, 2));
    EXPECT_TRUE(replyAccepted(DeviceCommand::ReadContacts, 3));
    EXPECT_FALSE(replyAccepted(DeviceCommand::ReadErrorCode, 0));
    EXPECT_FALSE(replyAccepted(DeviceCommand::Identify, 1));
    EXPECT_TRUE(replyAccepted(DeviceCommand::Identify, 5));
    EXPECT_FALSE(replyAccepted(DeviceCommand::ReadVersion, 5)) << "the float must be there";
    EXPECT_TRUE(replyAccepted(DeviceCommand::ReadConfiguration, 1));
}

namespace {
// A reply framed as the device frames its telegrams: request, length, data, checksum.
std::vector<std::uint8_t> framed(DeviceCommand command, std::vector<std::uint8_t> data)
{
    return buildTelegram(command, data);
}
} // namespace

// Each case is one link: its replies in order, and what the judge says of each.
TEST(ReplyJudge, believesTheProtocolAtOnceAndAnotherFramingOnlyWhenRepliesAgree)
{
    using Bytes = std::vector<std::uint8_t>;
    const Bytes error = framed(DeviceCommand::ReadErrorCode, {0});
    Bytes flipped = error;
    flipped[2] ^= 0x10;
    Bytes junkFirst = error;
    junkFirst.insert(junkFirst.begin(), 0xA5);
    const Bytes noEcho = {0x00, 4, 0, 4};  // checksum right, byte 0 not the request
    const Bytes unframed[] = {{0x02, 4, 0, 0x03}, {0x02, 4, 7, 0x03}};  // neither echo nor checksum
    const Bytes temperature = framed(DeviceCommand::ReadTemperature, {0x41, 0xA8, 0, 0, 0x64});
    Bytes temperatureFlipped = temperature;
    temperatureFlipped[3] ^= 0x01;
    constexpr std::string_view unsure = kFramingNotConfirmed;
    constexpr std::string_view tooLong = "length differs from the protocol's";
    // Replies that run longer than the protocol's, where only leading bytes are read.
    const auto longer = [](Bytes reply, std::uint8_t extra) {
        reply.push_back(extra);
        return reply;
    };
    const Bytes identity = framed(DeviceCommand::Identify, {0x11});
    const Bytes identityLonger = longer(identity, 0x00);
    Bytes identityLongerFlipped = identityLonger;
    identityLongerFlipped[2] ^= 0x10;
    Bytes identityLongerJunkFirst = identityLonger;
    identityLongerJunkFirst.insert(identityLongerJunkFirst.begin(), 0xA5);
    const Bytes version = framed(DeviceCommand::ReadVersion, {0x3F, 0x86, 0x66, 0x66});
    const Bytes unframedLonger[] = {{0xBE, 4, 0, 0x03, 0x00}, {0xBE, 4, 2, 0x05, 0x00}};  // byte 1 the protocol's length
    const Bytes unframedLongerJunkFirst = {0xA5, 0xBE, 4, 0, 0x03, 0x00};

    struct Step {
        DeviceCommand command;
        Bytes reply;
        std::string_view refusal;
    };
    const std::vector<std::vector<Step>> cases = {
        // A device that frames: taken at once; a stray byte, a flipped bit, a foreign echo are refused.
        {{DeviceCommand::ReadErrorCode, error, ""},
         {DeviceCommand::ReadErrorCode, flipped, "checksum wrong"},
         {DeviceCommand::ReadErrorCode, noEcho, "byte 0 is not the request"},
         {DeviceCommand::ReadErrorCode, junkFirst, tooLong},
         {DeviceCommand::ReadErrorCode, error, ""}},
        // A disturbed start teaches nothing: stray bytes and flipped bits from the first reply on are
        // refused, and the first clean reply is taken.
        {{DeviceCommand::ReadErrorCode, junkFirst, tooLong},
         {DeviceCommand::ReadErrorCode, junkFirst, tooLong},
         {DeviceCommand::ReadErrorCode, junkFirst, tooLong},
         {DeviceCommand::ReadErrorCode, flipped, unsure},
         {DeviceCommand::ReadErrorCode, error, ""},
         {DeviceCommand::ReadErrorCode, flipped, "checksum wrong"},
         {DeviceCommand::ReadErrorCode, flipped, "checksum wrong"},
         {DeviceCommand::ReadErrorCode, flipped, "checksum wrong"},
         {DeviceCommand::ReadErrorCode, error, ""}},
        {{DeviceCommand::ReadErrorCode, {0x41, 4}, "wrong length"},
         {DeviceCommand::ReadErrorCode, {}, "no reply"},
         // Each request is judged on its own.
         {DeviceCommand::ReadContacts, noEcho, unsure},
         {DeviceCommand::ReadTemperature, temperatureFlipped, unsure},
         {DeviceCommand::ReadTemperature, temperature, ""},
         {DeviceCommand::ReadTemperature, temperatureFlipped, "checksum wrong"},
         {DeviceCommand::ReadTemperature, Bytes(9, 0x13), "wrong length"}},
        // A device that neither echoes nor sums is believed once three replies agree, and
        // again right after a disturbance ends; one byte short without a checksum is a framing too.
        {{DeviceCommand::ReadErrorCode, unframed[0], unsure},
         {DeviceCommand::ReadErrorCode, unframed[1], unsure},
         {DeviceCommand::ReadErrorCode, unframed[0], ""},
         {DeviceCommand::ReadErrorCode, Bytes{0xA5, 0x02, 4, 0, 0x03}, tooLong},
         {DeviceCommand::ReadErrorCode, Bytes{0x02, 4, 1}, unsure},
         {DeviceCommand::ReadErrorCode, unframed[1], ""},
         {DeviceCommand::ReadContacts, Bytes{0x40, 3, 5}, unsure},
         {DeviceCommand::ReadContacts, Bytes{0x40, 3, 5}, unsure},
         {DeviceCommand::ReadContacts, Bytes{0x40, 3, 6}, ""}},
        // Where only leading bytes are read, a reply framed as the protocol says is taken whatever
        // follows, from the first reply on; exact lengths stay exact; a flipped bit is still seen.
        {{DeviceCommand::Identify, identityLonger, ""},
         {DeviceCommand::ReadErrorCode, longer(error, 0xA5), ""},
         {DeviceCommand::ReadVersion, longer(longer(version, 0), 0), ""},
         {DeviceCommand::ReadTemperature, longer(temperature, 0x00), "wrong length"},
         {DeviceCommand::Identify, identityLongerFlipped, "checksum wrong"},
         {DeviceCommand::Identify, identity, ""}},
        // A stray byte in front of a longer framed reply, from the first reply on, teaches nothing.
        {{DeviceCommand::Identify, identityLongerJunkFirst, tooLong},
         {DeviceCommand::Identify, identityLongerJunkFirst, tooLong},
         {DeviceCommand::Identify, identityLongerJunkFirst, tooLong},
         {DeviceCommand::Identify, identityLongerJunkFirst, tooLong},
         {DeviceCommand::Identify, identityLonger, ""}},
        // Longer and not framed: believed once three agree with none framed among them; a stray
        // byte in front pushes the length byte out of place and is refused, from the first reply on.
        {{DeviceCommand::ReadErrorCode, unframedLongerJunkFirst, tooLong},
         {DeviceCommand::ReadErrorCode, unframedLongerJunkFirst, tooLong},
         {DeviceCommand::ReadErrorCode, unframedLongerJunkFirst, tooLong},
         {DeviceCommand::ReadErrorCode, unframedLonger[0], unsure},
         {DeviceCommand::ReadErrorCode, unframedLonger[1], unsure},
         {DeviceCommand::ReadErrorCode, unframedLonger[0], ""},
         {DeviceCommand::ReadErrorCode, unframedLongerJunkFirst, tooLong},
         {DeviceCommand::ReadErrorCode, unframedLonger[1], ""},
         // Not framed after a framed reply is a disturbance.
         {DeviceCommand::ReadContacts, framed(DeviceCommand::ReadContacts, {0x0C}), ""},
         {DeviceCommand::ReadContacts, Bytes{0xBF, 4, 0x0C, 0x03, 0x00}, "checksum wrong"},
         {DeviceCommand::ReadContacts, Bytes{0xBF, 4, 0x0C, 0x03, 0x00}, "checksum wrong"},
         {DeviceCommand::ReadContacts, Bytes{0xBF, 4, 0x0C, 0x03, 0x00}, "checksum wrong"}},
    };
    for (std::size_t c = 0; c < cases.size(); ++c) {
        trgui::testing::ScriptedLink link;
        for (std::size_t i = 0; i < cases[c].size(); ++i) {
            const Step& step = cases[c][i];
            Reply reply;
            std::copy(step.reply.begin(), step.reply.end(), reply.bytes.begin());
            reply.count = step.reply.size();
            judgeReply(link, step.command, reply);
            EXPECT_EQ(reply.refusal, step.refusal) << "case " << c << " step " << i;
            EXPECT_EQ(reply.taken(), step.refusal.empty()) << "case " << c << " step " << i;
        }
    }
}

TEST(CommandTable, pausesOfTheRequests)
{
    EXPECT_EQ(pauseOf(DeviceCommand::ReadVelocity), 40);
    EXPECT_EQ(pauseOf(DeviceCommand::ReadLowFlowSuppression), 60);
    EXPECT_EQ(pauseOf(DeviceCommand::ReadVersion), 50);
    EXPECT_EQ(pauseOf(DeviceCommand::ReadConfiguration), 100);
    EXPECT_EQ(pauseOf(DeviceCommand::WriteConfiguration), 200);
    // Every request byte appears once.
    for (std::size_t i = 0; i < kCommands.size(); ++i)
        for (std::size_t j = i + 1; j < kCommands.size(); ++j)
            EXPECT_NE(kCommands[i].command, kCommands[j].command);
}

TEST(ValueReply, temperatureBytesAndUnitByFamily)
{
    const std::uint8_t standard[8] = {0x13, 0x08, 0x41, 0xB8, 0x00, 0x00, 0x64, 0x00};
    const std::uint8_t dr[8] = {0x13, 0x08, 0x41, 0xB8, 0x00, 0x00, 0x9B, 0x00};
    EXPECT_EQ(decodeFloatBE(&standard[2]), 23.0f);
    EXPECT_EQ(unitText(Quantity::Temperature, Family::Standard, standard[6]), QString::fromUtf8("°C"));
    EXPECT_EQ(unitText(Quantity::Temperature, Family::Dr, dr[6]), QString::fromUtf8("°C"));
    EXPECT_EQ(unitText(Quantity::Temperature, Family::Standard, dr[6]), "") << "0x9B is no standard temperature code";
}
