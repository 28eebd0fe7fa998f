#pragma once

// Which fields a device variant has: the availability row of its type code
// read through the fields its characters stand for, and the fittings and pipe
// size, which follow the family and the selected sensor. Window-free.

#include "pages/configuration/core/configuration_fields.h"

#include <algorithm>
#include <array>

namespace trgui::pages::configuration {

// The fields an availability row's characters stand for, in character order.
inline constexpr std::array<Field, 18> kMaskedFields{
    Field::AnalogFlowOffset, Field::AnalogFlowStart, Field::AnalogFlowEnd, Field::AnalogTempOffset,
    Field::AnalogTempStart,  Field::AnalogTempEnd,   Field::LimitAssignment, Field::Limit1On,
    Field::Limit1Off,        Field::Limit2On,        Field::Limit2Off,     Field::FrequencyOutput,
    Field::PulseValue,       Field::TeeFitting,      Field::ValveFitting,  Field::Medium,
    Field::Pressure,         Field::OperatingMode,
};

// The fields whose availability the page applies, in the order it applies
// them: the masked fields, then the pipe size.
inline constexpr auto kAvailabilityFields = [] {
    std::array<Field, kMaskedFields.size() + 1> fields{};
    std::copy(kMaskedFields.begin(), kMaskedFields.end(), fields.begin());
    fields.back() = Field::PipeSize;
    return fields;
}();

// Whether the field does not exist on the variant of code with the selected
// sensor. A code outside 1..45 lacks no masked field, and its fittings and
// pipe size follow the rules of the first family.
bool isUnavailable(int code, Field field, int sensor);

} // namespace trgui::pages::configuration
