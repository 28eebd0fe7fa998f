#include "pages/configuration/core/family_rules.h"

#include <algorithm>

namespace trgui::pages::configuration {

namespace {

constexpr const char* kSensors0[] = {"VRK01AN1", "VRK01AN2", "VRK01WN1", "VRK01WN2", "VRK02AN1",
                                     "VRK02WN1", "VRK03AN1", "VRK03WN1", "VRK04AN1", "VRK04WN1",
                                     "VRL01AN1", "VRL02AN1", "VRL02WN1", "VRL03WN1", "SONDERTYP"};
constexpr const char* kSensors1[] = {"VRK11AN1", "VRD11AN1KV", "VRD11AN1", "VRL11AN1", "SONDERTYP"};
constexpr const char* kSensors2[] = {"VRD11WN1", "VRD11WN1KV", "VRL11WN1", "SONDERTYP"};
// The list the box starts with, typing slips included, until a family is chosen.
constexpr const char* kSensorsResource[] = {"VRK01AN1", "VRK01AN2", "VRK01WN1", "VRK01WN1", "VRK02AN1", "VRK02WN1",
                                            "VRK03AN1", "VRK03WN1", "VRK04AN1", "VRK04WN1", "VRL01AN1", "VRL01AN1",
                                            "VRL02AN1", "VRL02WN1", "VLR03WN1", "Sondertyp"};

constexpr const char* kFlowUnits02[] = {"l/s", "l/min", "m³/h", "Gallons/min"};
constexpr const char* kFlowUnits1[] = {"l/s", "l/min", "m³/h", "ft³/s", "ft³/min", "kg/s",
                                       "kg/min", "kg/h", "pounds/s", "pounds/min", "pounds/h"};
constexpr const char* kFlowUnitsResource[] = {"l/sec", "l/min", "m³/h", "Ft³/s", "Ft³/min", "kg/s",
                                              "kg/min", "Kg/h", "pounds/s", "pounds/min", "pounds/h"};
constexpr const char* kTotalUnits02[] = {"l", "m³", "Gallons"};
constexpr const char* kTotalUnits1[] = {"l", "m³", "ft³", "kg", "pounds"};
constexpr const char* kTotalUnitsResource[] = {"liter", "m³", "Ft³", "kg", "pounds"};

constexpr const char* kLanguages[] = {"English", "Deutsch", "Francais"};
constexpr const char* kVelocityUnits[] = {"%", "m/s", "fps"};
constexpr const char* kTemperatureUnits[] = {"°C", "°F", "K"};
constexpr const char* kAssignments[] = {"GK1FLOW_GK2FLOW", "GK1TEMP_GK2FLOW", "GK1FLOW_GK2TEMP", "GK1TEMP_GK2TEMP"};
constexpr const char* kTeeFittings[] = {"RA01 (DN15)", "RA02 (DN20)", "RA03 (DN25) ",
                                        "RA04 (DN32)", "RA05 (DN40)", "RA06 (DN50)"};
constexpr const char* kValveFittings[] = {"KV03 (DN25) ", "KV04 (DN32)", "KV05 (DN40) ", "KV06 (DN50)"};

constexpr const char* kDisplayDe[] = {"Flow + Temp", "Volumenstrom", "Totalisator"};
constexpr const char* kDisplayEn[] = {"flow + temp", "volume flow", "totalizer"};
constexpr const char* kDisplayFr[] = {"vitesse + temp", "débit volume", "totalisateur"};
constexpr const char* kMediaDe[] = {"Luft", "Stickstoff", "Sauerstoff", "Argon", "CO2", "Methan", "Wasserstoff"};
constexpr const char* kMediaEn[] = {"air", "nitrogen", "oxygen", "argon", "CO2", "methane", "hydrogen"};
constexpr const char* kMediaFr[] = {"air", "azote", "oxygène", "argon", "CO2", "méthane", "hydrogène"};
constexpr const char* kModesDe[] = {"Normvolumenstrom", "Betriebsvolumenstrom "};
constexpr const char* kModesEn[] = {"standard flow", "operating flow"};
constexpr const char* kModesFr[] = {"volume norme", "volume actuel"};

template <std::size_t N>
constexpr TextList list(const char* const (&entries)[N])
{
    return TextList(entries, N);
}

TextList byLanguage(int language, TextList de, TextList en, TextList fr)
{
    switch (language) {
    case 1: return en;
    case 2: return fr;
    default: return de;
    }
}

TextList byFamily(device::Family family, TextList standard, TextList dr, TextList wt)
{
    switch (family) {
    case device::Family::Standard: return standard;
    case device::Family::Dr: return dr;
    case device::Family::Wt: return wt;
    case device::Family::None: break;
    }
    return {};
}

constexpr std::array<int, 7> kLiquidSensors{2, 3, 5, 7, 9, 12, 13};

// Highest velocity by unit (%, m/s, fps).
constexpr std::array<float, 3> kVmaxGas0{500.0f, 99.99f, 328.0f};
constexpr std::array<float, 3> kVmaxLiquid0{133.13333f, 4.0f, 13.12f};
constexpr std::array<float, 3> kVmaxMethane1{150.0f, 75.0f, 246.0f};
constexpr std::array<float, 3> kVmaxHydrogen1{215.0f, 86.0f, 282.08f};
constexpr std::array<float, 3> kVmaxOther1{147.04f, 99.99f, 327.97f};
constexpr std::array<float, 3> kVmax2{133.3333f, 4.0f, 13.12f};

// Temperature range by unit (°C, °F, K).
constexpr std::array<Range, 3> kTemperatureRanges{{{-40.0f, 130.0f}, {-40.0f, 266.0f}, {233.2f, 403.1f}}};

struct FixedRanges {
    Range tValue, cValue, pipeSize, pulseValue, measuringTime, pressure;
};
constexpr FixedRanges kFixedFamily1{{10.0f, 999.0f}, {1.0f, 999.0f}, {10.0f, 9999.9f},
                                    {0.1f, 999.9f},  {1.0f, 30.0f},  {0.1f, 250.0f}};
constexpr FixedRanges kFixedFamilies02{{1.0f, 99.0f}, {700.0f, 1300.0f}, {10.0f, 999.9f},
                                       {0.1f, 999.9f}, {1.0f, 30.0f},     {0.1f, 250.0f}};

} // namespace

TextList sensorTypes(device::Family family)
{
    return byFamily(family, list(kSensors0), list(kSensors1), list(kSensors2));
}
TextList volumeFlowUnits(device::Family family)
{
    return byFamily(family, list(kFlowUnits02), list(kFlowUnits1), list(kFlowUnits02));
}
TextList totaliserUnits(device::Family family)
{
    return byFamily(family, list(kTotalUnits02), list(kTotalUnits1), list(kTotalUnits02));
}
TextList resourceSensorTypes() { return list(kSensorsResource); }
TextList resourceVolumeFlowUnits() { return list(kFlowUnitsResource); }
TextList resourceTotaliserUnits() { return list(kTotalUnitsResource); }

TextList deviceLanguages() { return list(kLanguages); }
TextList velocityUnits() { return list(kVelocityUnits); }
TextList temperatureUnits() { return list(kTemperatureUnits); }
TextList limitAssignments() { return list(kAssignments); }
TextList teeFittings() { return list(kTeeFittings); }
TextList valveFittings() { return list(kValveFittings); }
TextList displayLines(int language) { return byLanguage(language, list(kDisplayDe), list(kDisplayEn), list(kDisplayFr)); }
TextList media(int language) { return byLanguage(language, list(kMediaDe), list(kMediaEn), list(kMediaFr)); }
TextList operatingModes(int language) { return byLanguage(language, list(kModesDe), list(kModesEn), list(kModesFr)); }

bool isLiquidSensor(int sensor)
{
    return std::find(kLiquidSensors.begin(), kLiquidSensors.end(), sensor) != kLiquidSensors.end();
}

std::array<UnitLabel, 9> unitLabels(int assignment)
{
    // Contact 1 watches temperature for assignments 1 and 3, contact 2 for 2
    // and 3; with none selected both show the temperature unit.
    const bool none = assignment < 0 || assignment > 3;
    const UnitSource contact1 = none || assignment == 1 || assignment == 3 ? UnitSource::Temperature : UnitSource::Velocity;
    const UnitSource contact2 = none || assignment == 2 || assignment == 3 ? UnitSource::Temperature : UnitSource::Velocity;
    return {{{Field::PulseValue, UnitSource::Totaliser},
             {Field::AnalogTempStart, UnitSource::Temperature},
             {Field::AnalogTempEnd, UnitSource::Temperature},
             {Field::AnalogFlowStart, UnitSource::Velocity},
             {Field::AnalogFlowEnd, UnitSource::Velocity},
             {Field::Limit1On, contact1},
             {Field::Limit1Off, contact1},
             {Field::Limit2On, contact2},
             {Field::Limit2Off, contact2}}};
}

float maximumVelocity(device::Family family, int velocityUnit, int sensorType, int medium)
{
    const auto unit = static_cast<std::size_t>(std::clamp(velocityUnit, 0, 2));
    switch (family) {
    case device::Family::Dr:
        if (medium == kMethane)
            return kVmaxMethane1[unit];
        if (medium == kHydrogen)
            return kVmaxHydrogen1[unit];
        return kVmaxOther1[unit];
    case device::Family::Wt:
        return kVmax2[unit];
    case device::Family::Standard:
    case device::Family::None:
        break;
    }
    // The special sensor (and none selected) has no table of its own; it
    // gets the gas range, the widest, so the device itself has the last word.
    return isLiquidSensor(sensorType) ? kVmaxLiquid0[unit] : kVmaxGas0[unit];
}

void computeLimits(Limits& limits, device::Family family, int velocityUnit, int temperatureUnit, int sensorType, int medium,
                   int assignment)
{
    const Range temperature = kTemperatureRanges[static_cast<std::size_t>(std::clamp(temperatureUnit, 0, 2))];
    const Range flow{0.0f, maximumVelocity(family, velocityUnit, sensorType, medium)};

    if (assignment >= 0 && assignment <= 3) {
        const Range contact1 = assignment == 1 || assignment == 3 ? temperature : flow;
        const Range contact2 = assignment == 2 || assignment == 3 ? temperature : flow;
        limits.limit1On = limits.limit1Off = contact1;
        limits.limit2On = limits.limit2Off = contact2;
    }
    limits.analogFlow = flow;
    limits.analogTemp = temperature;

    const FixedRanges& fixed = family == device::Family::Dr ? kFixedFamily1 : kFixedFamilies02;
    limits.tValue = fixed.tValue;
    limits.cValue = fixed.cValue;
    limits.pipeSize = fixed.pipeSize;
    limits.pulseValue = fixed.pulseValue;
    limits.measuringTime = fixed.measuringTime;
    limits.pressure = fixed.pressure;
}

} // namespace trgui::pages::configuration
