#pragma once

// The fields of a device configuration as the Configuration page shows them:
// which control holds each, how it is read, its label and its two markers.
// Window-free; the page, the codec and the check all work from this table.

#include <array>
#include <cstddef>
#include <optional>

namespace trgui::pages::configuration {

// In the order of DeviceConfiguration.
enum class Field {
    Language,
    SensorType,
    TValue,
    CValue,
    PipeSize,
    VelocityUnit,
    TemperatureUnit,
    VolumeFlowUnit,
    TotaliserUnit,
    DisplayLine1,
    DisplayLine2,
    Backlight,
    AnalogFlowOffset,
    AnalogFlowStart,
    AnalogFlowEnd,
    AnalogTempOffset,
    AnalogTempStart,
    AnalogTempEnd,
    LimitAssignment,
    Limit1On,
    Limit1Off,
    Limit2On,
    Limit2Off,
    FrequencyOutput,
    PulseValue,
    MeasuringTime,
    MultiplicationFactor,
    TeeFitting,
    ValveFitting,
    Medium,
    Pressure,
    OperatingMode,
};
inline constexpr std::size_t kFieldCount = 32;

constexpr std::size_t indexOf(Field f)
{
    return static_cast<std::size_t>(f);
}

// Combo boxes are read by selection, check boxes by state; integer edits take
// digits only.
enum class FieldKind { Combo, Check, IntegerEdit, DecimalEdit };

struct FieldInfo {
    Field field;
    int control;
    FieldKind kind;
    int label;
    int changeMarker;
    int errorMarker;
};

inline constexpr std::array<FieldInfo, kFieldCount> kFields{{
    {Field::Language, 1004, FieldKind::Combo, 1005, 1021, 1028},
    {Field::SensorType, 1014, FieldKind::Combo, 1015, 1020, 1032},
    {Field::TValue, 1017, FieldKind::IntegerEdit, 1018, 1019, 1035},
    {Field::CValue, 1022, FieldKind::IntegerEdit, 1023, 1024, 1036},
    {Field::PipeSize, 1029, FieldKind::DecimalEdit, 1030, 1031, 1037},
    {Field::VelocityUnit, 1006, FieldKind::Combo, 1007, 1027, 1038},
    {Field::TemperatureUnit, 1008, FieldKind::Combo, 1009, 1039, 1040},
    {Field::VolumeFlowUnit, 1010, FieldKind::Combo, 1013, 1041, 1042},
    {Field::TotaliserUnit, 1016, FieldKind::Combo, 1043, 1044, 1045},
    {Field::DisplayLine1, 1046, FieldKind::Combo, 1047, 1048, 1049},
    {Field::DisplayLine2, 1050, FieldKind::Combo, 1051, 1052, 1053},
    {Field::Backlight, 1055, FieldKind::Check, 1054, 1056, 1057},
    {Field::AnalogFlowOffset, 1059, FieldKind::Check, 1058, 1060, 1061},
    {Field::AnalogFlowStart, 1066, FieldKind::DecimalEdit, 1067, 1068, 1069},
    {Field::AnalogFlowEnd, 1070, FieldKind::DecimalEdit, 1071, 1072, 1073},
    {Field::AnalogTempOffset, 1075, FieldKind::Check, 1074, 1076, 1077},
    {Field::AnalogTempStart, 1078, FieldKind::DecimalEdit, 1079, 1080, 1081},
    {Field::AnalogTempEnd, 1082, FieldKind::DecimalEdit, 1083, 1084, 1085},
    {Field::LimitAssignment, 1086, FieldKind::Combo, 1087, 1088, 1089},
    {Field::Limit1On, 1094, FieldKind::DecimalEdit, 1095, 1096, 1097},
    {Field::Limit1Off, 1098, FieldKind::DecimalEdit, 1099, 1100, 1101},
    {Field::Limit2On, 1102, FieldKind::DecimalEdit, 1103, 1104, 1105},
    {Field::Limit2Off, 1106, FieldKind::DecimalEdit, 1107, 1108, 1109},
    {Field::FrequencyOutput, 1111, FieldKind::Check, 1110, 1112, 1113},
    {Field::PulseValue, 1114, FieldKind::DecimalEdit, 1115, 1116, 1117},
    {Field::MeasuringTime, 1118, FieldKind::IntegerEdit, 1119, 1120, 1121},
    {Field::MultiplicationFactor, 1122, FieldKind::DecimalEdit, 1123, 1124, 1125},
    {Field::TeeFitting, 1126, FieldKind::Combo, 1127, 1128, 1129},
    {Field::ValveFitting, 1130, FieldKind::Combo, 1131, 1132, 1133},
    {Field::Medium, 1134, FieldKind::Combo, 1135, 1136, 1137},
    {Field::Pressure, 1138, FieldKind::DecimalEdit, 1139, 1140, 1141},
    {Field::OperatingMode, 1146, FieldKind::Combo, 1143, 1144, 1145},
}};

constexpr const FieldInfo& infoOf(Field f)
{
    return kFields[indexOf(f)];
}

constexpr std::optional<Field> fieldOfControl(int control)
{
    for (const auto& info : kFields) {
        if (info.control == control)
            return info.field;
    }
    return std::nullopt;
}

// The device type list ("HW-Version"): not part of the block, but checked first.
inline constexpr int kHwVersionCombo = 1033;
inline constexpr int kHwVersionLabel = 1034;
inline constexpr int kHwVersionChangeMarker = 1025;
inline constexpr int kHwVersionErrorMarker = 1026;

} // namespace trgui::pages::configuration
