#include "pages/configuration/core/field_availability.h"

#include "core/variants.h"
#include "device/family.h"

#include <algorithm>

namespace trgui::pages::configuration {

namespace {

constexpr bool inTable(int code)
{
    return code >= 1 && code <= core::variants::kMaxDeviceType;
}

} // namespace

bool isUnavailable(int code, Field field, int sensor)
{
    using device::Family;
    // Fittings and pipe size follow the sensor: which sensors have them, per family.
    const Family family = inTable(code) ? device::familyOf(code) : Family::Standard;
    switch (field) {
    case Field::TeeFitting:
        return family == Family::Standard || (family == Family::Dr && sensor != 2)
            || (family == Family::Wt && sensor != 0);
    case Field::ValveFitting:
        return family == Family::Standard || sensor != 1;
    case Field::PipeSize:
        return (family == Family::Dr && (sensor == 1 || sensor == 2))
            || (family == Family::Wt && (sensor == 0 || sensor == 1));
    default:
        break;
    }
    if (!inTable(code))
        return false;
    const auto at = std::find(kMaskedFields.begin(), kMaskedFields.end(), field);
    return at != kMaskedFields.end()
        && core::variants::availabilityMask(code)[static_cast<std::size_t>(at - kMaskedFields.begin())] == '1';
}

} // namespace trgui::pages::configuration
