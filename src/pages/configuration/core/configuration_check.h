#pragma once

// The check of a configuration before it is written: every field against the
// limits of the family, sensor, units and medium, then the cross checks. Its
// outcome is the list of error markers to show.

#include "pages/configuration/core/configuration_block.h"
#include "pages/configuration/core/family_rules.h"

#include <vector>

namespace trgui::pages::configuration {

struct CheckOutcome {
    int result = -1;                // 1 passed, -1 failed
    std::vector<int> errorMarkers;  // in the order they were found; may repeat
    bool completed = false;         // false when it stopped at the variant or the units
};

// Checks the form for the device type code of its "HW-Version" selection.
// Decimal texts are cleaned in the form (comma -> point) as a side effect, so
// the page shows what was checked. limits is the page's table: filled here,
// and its contact ranges kept when no contact assignment is selected.
CheckOutcome checkConfiguration(ConfigurationForm& form, Limits& limits);

} // namespace trgui::pages::configuration
