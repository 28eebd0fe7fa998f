#pragma once

#include <array>

namespace trgui::device {

// Device family: it selects the unit codes, the configuration block layout,
// the Configuration page's lists and limits, and whether low-flow suppression
// is polled. The numbers are the family's index in those tables.
enum class Family : int {
    None = -1,     // no device identified
    Standard = 0,  // type codes 1..15, "KM210-…"
    Dr = 1,        // type codes 16..30, "KM210-DR-…"
    Wt = 2,        // type codes 31..45, "KM210-WT-…"
};
inline constexpr std::array<Family, 3> kFamilies{Family::Standard, Family::Dr, Family::Wt};

// The family of a device type code; None for a code outside 1..45.
constexpr Family familyOf(int code)
{
    if (code >= 1 && code <= 15)
        return Family::Standard;
    if (code >= 16 && code <= 30)
        return Family::Dr;
    if (code >= 31 && code <= 45)
        return Family::Wt;
    return Family::None;
}

// Sets family from code; a code outside 1..45 leaves it as it was.
constexpr void updateFamily(int code, Family& family)
{
    if (const Family f = familyOf(code); f != Family::None)
        family = f;
}

} // namespace trgui::device
