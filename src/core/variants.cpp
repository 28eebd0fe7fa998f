#include "core/variants.h"

#include "device/family.h"

namespace trgui::core::variants {

namespace {

constexpr std::array<std::string_view, 46> kVariantCodeList{
    "----",
    "KM210-E1H1", "KM210-E1S2H1", "KM210-E1N4H1", "KM210-E1A1H1", "KM210-E1A2H1",
    "KM210-E1M1H1", "KM210-E1M2H1", "KM210-E1S2A1H1", "KM210-E1S2A2H1", "KM210-E1S2M1H1",
    "KM210-E1S2M2H1", "KM210-E1N4A1H1", "KM210-E1N4A2H1", "KM210-E1N4M1H1", "KM210-E1N4M2H1",
    "KM210-DR-E1H1", "KM210-DR-E1S2H1", "KM210-DR-E1N4H1", "KM210-DR-E1A1H1", "KM210-DR-E1A2H1",
    "KM210-DR-E1M1H1", "KM210-DR-E1M2H1", "KM210-DR-E1S2A1H1", "KM210-DR-E1S2A2H1", "KM210-DR-E1S2M1H1",
    "KM210-DR-E1S2M2H1", "KM210-DR-E1N4A1H1", "KM210-DR-E1N4A2H1", "KM210-DR-E1N4M1H1", "KM210-DR-E1N4M2H1",
    "KM210-WT-E1H1", "KM210-WT-E1S2H1", "KM210-WT-E1N4H1", "KM210-WT-E1A1H1", "KM210-WT-E1A2H1",
    "KM210-WT-E1M1H1", "KM210-WT-E1M2H1", "KM210-WT-E1S2A1H1", "KM210-WT-E1S2A2H1", "KM210-WT-E1S2M1H1",
    "KM210-WT-E1S2M2H1", "KM210-WT-E1N4A1H1", "KM210-WT-E1N4A2H1", "KM210-WT-E1N4M1H1", "KM210-WT-E1N4M2H1",
};

// Index = device type code - 1.
constexpr std::array<std::string_view, 45> kAvailabilityMasks{
    "111111111111111111", "111111000001111111", "111111000000011111", "000000111111111111",
    "000000111111111111", "000000111111111111", "000000111111111111", "000000000001111111",
    "000000000001111111", "000000000001111111", "000000000001111111", "000000000000011111",
    "000000000000011111", "000000000000011111", "000000000000011111",
    "111111111111100000", "111111000001100000", "111111000000000000", "000000111111100000",
    "000000111111100000", "000000111111100000", "000000111111100000", "000000000001100000",
    "000000000001100000", "000000000001100000", "000000000001100000", "000000000000000000",
    "000000000000000000", "000000000000000000", "000000000000000000",
    "111111111111100111", "111111000001100111", "111111000000000111", "000000111111100111",
    "000000111111100111", "000000111111100111", "000000111111100111", "000000000001100111",
    "000000000001100111", "000000000001100111", "000000000001100111", "000000000000000111",
    "000000000000000111", "000000000000000111", "000000000000000111",
};

// Index = device type code - 1.
constexpr std::array<std::string_view, 45> kOperationMasks{
    "11111", "10011", "10000", "11111", "11111", "11111", "11111", "10011",
    "10011", "10011", "10011", "10000", "10000", "10000", "10000",
    "01111", "00011", "00000", "01111", "01111", "01111", "01111", "00011",
    "00011", "00011", "00011", "00000", "00000", "00000", "00000",
    "11111", "10011", "10000", "11111", "11111", "11111", "11111", "10011",
    "10011", "10011", "10011", "10000", "10000", "10000", "10000",
};

constexpr std::array<AvailabilityGroup, 19> kGroups{{
    {1059, 1058, 0}, {1066, 1067, 1142}, {1070, 1071, 1147}, {1075, 1074, 0},
    {1078, 1079, 1148}, {1082, 1083, 1149}, {1086, 1087, 0}, {1094, 1095, 1090},
    {1098, 1099, 1091}, {1102, 1103, 1093}, {1106, 1107, 1092}, {1111, 1110, 0},
    {1114, 1115, 1156}, {1126, 1127, 0}, {1130, 1131, 0}, {1134, 1135, 0},
    {1138, 1139, 1150}, {1146, 1143, 0}, {1029, 1030, 0},
}};

constexpr bool inRange(int code)
{
    return code >= 1 && code <= kMaxDeviceType;
}

// Fittings and pipe size follow the sensor: which sensors have them, per family.
bool sensorRuleUnavailable(device::Family family, int control, int sensor)
{
    using device::Family;
    switch (control) {
    case kTeeFitting:
        return family == Family::Standard || (family == Family::Dr && sensor != 2)
            || (family == Family::Wt && sensor != 0);
    case kValveFitting:
        return family == Family::Standard || sensor != 1;
    case kPipeSize:
        return (family == Family::Dr && (sensor == 1 || sensor == 2))
            || (family == Family::Wt && (sensor == 0 || sensor == 1));
    default:
        return false;
    }
}

} // namespace

std::string_view modelName(int code)
{
    if (code < 0 || code > kMaxDeviceType)
        return {};
    return kVariantCodeList[static_cast<std::size_t>(code)];
}

std::span<const std::string_view> variantCodeList()
{
    return kVariantCodeList;
}

std::string_view availabilityMask(int code)
{
    return inRange(code) ? kAvailabilityMasks[static_cast<std::size_t>(code - 1)] : std::string_view{};
}

bool isUnavailable(int code, int control, int sensor)
{
    if (control == kTeeFitting || control == kValveFitting || control == kPipeSize) {
        // A code outside the table gets the rules of the first family.
        const device::Family family = inRange(code) ? device::familyOf(code) : device::Family::Standard;
        return sensorRuleUnavailable(family, control, sensor);
    }
    if (!inRange(code))
        return false;
    for (std::size_t i = 0; i < MaskedControls.size(); ++i) {
        if (MaskedControls[i] == control)
            return availabilityMask(code)[i] == '1';
    }
    return false;
}

std::span<const AvailabilityGroup> availabilityGroups()
{
    return kGroups;
}

std::string_view operationMask(int code)
{
    return inRange(code) ? kOperationMasks[static_cast<std::size_t>(code - 1)] : std::string_view{};
}

bool operationLacks(int code, OperationFunction function)
{
    const std::string_view mask = operationMask(code);
    return !mask.empty() && mask[static_cast<std::size_t>(function)] == '1';
}

} // namespace trgui::core::variants
