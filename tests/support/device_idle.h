#pragma once

#include "app/call_controls_sheet.h"

#include <QTest>

#include <optional>

namespace trgui::testing {

// Waits until every conversation handed to the device worker has ended (the
// identification after the window appeared or a port was chosen, ...).
inline bool waitForDeviceIdle(const app::CAllControlsSheet& sheet, int timeoutMs = 5000)
{
    return QTest::qWaitFor([&] { return sheet.portSlot().pending() == 0; }, timeoutMs);
}

// Waits until the cycle hands the pages a poll newer than the one it holds now.
inline bool waitForNextDelivery(const app::CAllControlsSheet& sheet, int timeoutMs = 15000)
{
    const auto at = [&] {
        const auto poll = sheet.cycle().recentPoll();
        return poll ? std::optional(poll->deliveredAt) : std::nullopt;
    };
    const auto before = at();
    return QTest::qWaitFor([&] { return at() != before; }, timeoutMs);
}

} // namespace trgui::testing
