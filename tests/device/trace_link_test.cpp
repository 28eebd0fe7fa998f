#include "device/page_exchanges.h"
#include "device/trace_link.h"
#include "support/scripted_link.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trgui::device;
using trgui::testing::ScriptedLink;

TEST(TraceLink, aLinePerRequestAndReplyWithItsOutcome)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("trace.txt");
    auto scripted = std::make_unique<ScriptedLink>();
    auto* script = scripted.get();
    TraceLink link(std::move(scripted), path);
    script->replies = {{0xEE},                                // late bytes, drained
                       {0x13, 8, 0x41, 0xB8, 0, 0, 0x64, 0x78},  // a whole value
                       {0x10, 8, 0x41},                       // too short
                       {},                                    // silence
                       {0x00, 4, 0, 4},                       // not the echo this device sends
                       {0x96}, {0x96}};                       // the telegram's two acknowledges
    exchange(link, DeviceCommand::ReadTemperature, DrainMode::Read);
    exchange(link, DeviceCommand::ReadVelocity, std::nullopt);
    exchange(link, DeviceCommand::ReadContacts, std::nullopt);
    link.replyShape(0x41).remember({4, true, true});  // this device frames its error replies
    exchange(link, DeviceCommand::ReadErrorCode, std::nullopt);
    EXPECT_EQ(setLowFlowSuppression(link, 3, DrainMode::Purge), LowFlowOutcome::Accepted);

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));  // CR LF on Windows, as the trace is written
    QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    for (auto& line : lines)
        line = line.mid(24);  // after "yyyy-MM-dd HH:mm:ss.zzz "
    EXPECT_EQ(lines, (QStringList{"drain EE",
                                  "-> 13  ReadTemperature",
                                  "<- 13 08 41 B8 00 00 64 78  ReadTemperature accepted",
                                  "-> 10  ReadVelocity",
                                  "<- 10 08 41  ReadVelocity wrong length",
                                  "-> 40  ReadContacts",
                                  "<- (nothing)  ReadContacts no reply",
                                  "-> 41  ReadErrorCode",
                                  "<- 00 04 00 04  ReadErrorCode refused: byte 0 is not the request",
                                  "-> 76  SetLowFlowSuppression",
                                  "<- 96  SetLowFlowSuppression (1 bytes)",
                                  "-> 04 03 7D  SetLowFlowSuppression",
                                  "<- 96  SetLowFlowSuppression (1 bytes)"}));
}
