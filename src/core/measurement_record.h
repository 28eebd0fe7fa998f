#pragma once

#include <QString>

#include <cstdint>

namespace trgui::core {

// The latest complete set of device values, written only by the cycle.
struct MeasurementRecord {
    float velocity = 0;
    float volumeFlow = 0;
    float temperature = 0;
    float velocityMin = 0;
    float volumeFlowMin = 0;
    float temperatureMin = 0;
    float velocityMax = 0;
    float volumeFlowMax = 0;
    float temperatureMax = 0;
    float totaliser = 0;
    QString velocityUnit;
    QString volumeFlowUnit;
    QString totaliserUnit;
    QString temperatureUnit;
    std::uint8_t contactBits = 0;  // bit 0 limit 1, bit 1 limit 2, bit 2 ready, bit 3 error (active low)
    std::uint8_t errorCode = 0;
    std::uint8_t lowFlowSuppression = 0;
};

} // namespace trgui::core
