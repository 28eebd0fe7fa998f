#pragma once

// Device variants: the model names by device type code, and which optional
// fields and functions each variant has. Window-free; pages apply the result
// through the grey-or-hide rule.

#include <array>
#include <span>
#include <string_view>

namespace trgui::core::variants {

inline constexpr int kMaxDeviceType = 45;

// Model name of a device type code: "----" for 0, the name for 1..45, empty
// for any other code.
std::string_view modelName(int code);
// All 46 entries, index = device type code.
std::span<const std::string_view> variantCodeList();

// ---- Configuration page -----------------------------------------------------

// The fields that the availability masks refer to, in mask character order.
inline constexpr std::array<int, 18> MaskedControls{1059, 1066, 1070, 1075, 1078, 1082, 1086, 1094, 1098,
                                                    1102, 1106, 1111, 1114, 1126, 1130, 1134, 1138, 1146};

// Mask row of a code 1..45 ("1" = the variant lacks the field), empty otherwise.
std::string_view availabilityMask(int code);

inline constexpr int kSensorCombo = 1014;
inline constexpr int kPipeSize = 1029;
inline constexpr int kTeeFitting = 1126;
inline constexpr int kValveFitting = 1130;

// Whether the field does not exist on the variant with the selected sensor.
bool isUnavailable(int code, int control, int sensor);

// A value control with its label and unit label (0 where there is none).
struct AvailabilityGroup {
    int control;
    int label;
    int unit;
};
// The groups in the order in which the page applies them.
std::span<const AvailabilityGroup> availabilityGroups();

// ---- Operation page -----------------------------------------------------------

// The functions of a row, in its character order.
enum class OperationFunction { LowFlowSuppression, LimitContact1, LimitContact2, Ready, ErrorContact };

// Row of a code 1..45 ("1" = lacks the function), empty otherwise.
std::string_view operationMask(int code);
// Whether the variant of code lacks the function; a code outside 1..45 lacks none.
bool operationLacks(int code, OperationFunction function);

} // namespace trgui::core::variants
