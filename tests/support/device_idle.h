#pragma once

#include "app/call_controls_sheet.h"

#include <QTest>

namespace trgui::testing {

// Waits until every conversation handed to the device worker has ended (the
// identification after the window appeared or a port was chosen, ...).
inline bool waitForDeviceIdle(const app::CAllControlsSheet& sheet, int timeoutMs = 5000)
{
    return QTest::qWaitFor([&] { return sheet.portSlot().pending() == 0; }, timeoutMs);
}

} // namespace trgui::testing
