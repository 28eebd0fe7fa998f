#pragma once

// Device variants: the model names by device type code, and which optional
// fields and functions each variant has. Window-free; pages apply the result
// through the grey-or-hide rule.

#include <QString>

#include <array>
#include <span>
#include <string_view>

namespace trgui::core::variants {

inline constexpr int kMaxDeviceType = 45;

// Model name of a device type code: "----" for 0, the name for 1..45, empty
// for any other code.
std::string_view modelName(int code);
// The same as text to show.
QString modelText(int code);
// All 46 entries, index = device type code.
std::span<const std::string_view> variantCodeList();

// ---- Configuration page -----------------------------------------------------

// Row of a code 1..45, one character per optional field ("1" = the variant
// lacks the field), empty otherwise. The page's table says which character
// stands for which field.
std::string_view availabilityMask(int code);

// ---- Operation page -----------------------------------------------------------

// The functions of a row, in its character order.
enum class OperationFunction { LowFlowSuppression, LimitContact1, LimitContact2, Ready, ErrorContact };

// Row of a code 1..45 ("1" = lacks the function), empty otherwise.
std::string_view operationMask(int code);
// Whether the variant of code lacks the function; a code outside 1..45 lacks none.
bool operationLacks(int code, OperationFunction function);

} // namespace trgui::core::variants
