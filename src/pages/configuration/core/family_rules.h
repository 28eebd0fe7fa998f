#pragma once

// What the Configuration page offers per device family and sensor type: the
// lists, the unit shown beside a value, and the permitted range of each value.
// Pure data and computation on selection indices.

#include "device/family.h"
#include "pages/configuration/core/configuration_fields.h"

#include <array>
#include <span>

namespace trgui::pages::configuration {

using TextList = std::span<const char* const>;  // UTF-8 entries

// ---- lists --------------------------------------------------------------------

// Lists filled per family (sensor type, volume flow unit, totaliser unit);
// the resource lists are what the boxes hold before any family.
TextList sensorTypes(device::Family family);
TextList volumeFlowUnits(device::Family family);
TextList totaliserUnits(device::Family family);
TextList resourceSensorTypes();
TextList resourceVolumeFlowUnits();
TextList resourceTotaliserUnits();

// Lists that are the same for every family. The language ones take the
// settings language (0 German, 1 English, 2 French); German is the resource list.
TextList deviceLanguages();
TextList velocityUnits();
TextList temperatureUnits();
TextList limitAssignments();
TextList teeFittings();
TextList valveFittings();
TextList displayLines(int language);
TextList media(int language);
TextList operatingModes(int language);

inline constexpr int kSpecialSensorFamily0 = 14;
// Family 0 sensors for liquids (sixth character "W"); the special type is neither.
bool isLiquidSensor(int sensor);

// Indices in the medium list.
inline constexpr int kArgon = 3;
inline constexpr int kCo2 = 4;
inline constexpr int kMethane = 5;
inline constexpr int kHydrogen = 6;

// ---- unit labels ------------------------------------------------------------------

// Which selected unit a unit label shows.
enum class UnitSource { Velocity, Temperature, Totaliser };
// The unit label beside a field's value, and where its text comes from.
struct UnitLabel {
    Field field;
    UnitSource source;
};
// The nine unit labels for a limit contact assignment (-1: none selected).
std::array<UnitLabel, 9> unitLabels(int assignment);

// ---- limits ---------------------------------------------------------------------------

struct Range {
    float min = 0;
    float max = 0;
    bool contains(float v) const { return v >= min && v <= max; }
};

struct Limits {
    Range tValue, cValue, pipeSize, analogFlow, analogTemp;
    Range limit1On, limit1Off, limit2On, limit2Off;
    Range pulseValue, measuringTime, pressure;
};

// Fills limits for the family from the selected units, sensor, medium and
// contact assignment (indices, -1 for none). An assignment outside 0..3 keeps
// the contact ranges as they were.
void computeLimits(Limits& limits, device::Family family, int velocityUnit, int temperatureUnit, int sensorType,
                   int medium, int assignment);

// The highest velocity of the family in the unit (0 %, 1 m/s, 2 fps).
float maximumVelocity(device::Family family, int velocityUnit, int sensorType, int medium);

} // namespace trgui::pages::configuration
