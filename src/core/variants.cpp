#include "core/variants.h"

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

constexpr bool inRange(int code)
{
    return code >= 1 && code <= kMaxDeviceType;
}

} // namespace

std::string_view modelName(int code)
{
    if (code < 0 || code > kMaxDeviceType)
        return {};
    return kVariantCodeList[static_cast<std::size_t>(code)];
}

QString modelText(int code)
{
    const auto name = modelName(code);
    return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

std::span<const std::string_view> variantCodeList()
{
    return kVariantCodeList;
}

std::string_view availabilityMask(int code)
{
    return inRange(code) ? kAvailabilityMasks[static_cast<std::size_t>(code - 1)] : std::string_view{};
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
