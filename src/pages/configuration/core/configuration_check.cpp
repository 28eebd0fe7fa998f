#include "pages/configuration/core/configuration_check.h"

#include "core/variants.h"
#include "device/protocol.h"
#include "pages/configuration/core/field_availability.h"

#include <cmath>

namespace trgui::pages::configuration {

namespace {

using enum Field;

enum class Kind { Integer, Decimal };

struct RangeCheck {
    Field field;
    Kind kind;
    Range Limits::*limits;
    bool alwaysChecked;
};

constexpr RangeCheck kRangeChecks[] = {
    {TValue, Kind::Integer, &Limits::tValue, false},
    {CValue, Kind::Integer, &Limits::cValue, true},
    {PipeSize, Kind::Decimal, &Limits::pipeSize, false},
    {AnalogFlowStart, Kind::Decimal, &Limits::analogFlow, false},
    {AnalogFlowEnd, Kind::Decimal, &Limits::analogFlow, false},
    {AnalogTempStart, Kind::Decimal, &Limits::analogTemp, false},
    {AnalogTempEnd, Kind::Decimal, &Limits::analogTemp, false},
    {Limit1On, Kind::Decimal, &Limits::limit1On, false},
    {Limit1Off, Kind::Decimal, &Limits::limit1Off, false},
    {Limit2On, Kind::Decimal, &Limits::limit2On, false},
    {Limit2Off, Kind::Decimal, &Limits::limit2Off, false},
    {PulseValue, Kind::Decimal, &Limits::pulseValue, false},
    {MeasuringTime, Kind::Integer, &Limits::measuringTime, false},
    {Pressure, Kind::Decimal, &Limits::pressure, false},
};

// Pairs whose second value must exceed the first / differ from it.
struct CrossCheck {
    Field first, second;
    bool mustExceed;  // otherwise: must differ
};
constexpr CrossCheck kCrossChecks[] = {
    {AnalogFlowStart, AnalogFlowEnd, true},
    {AnalogTempStart, AnalogTempEnd, true},
    {Limit1On, Limit1Off, false},
    {Limit2On, Limit2Off, false},
};

constexpr Field kAlwaysSelected[] = {Language, SensorType, VolumeFlowUnit, TotaliserUnit, DisplayLine1, DisplayLine2};
constexpr Field kSelectedWhereAvailable[] = {LimitAssignment, TeeFitting, ValveFitting, Medium, OperatingMode};

class Checker {
public:
    Checker(ConfigurationForm& form, CheckOutcome& out) : form_(form), out_(out) {}

    void mark(Field f) { out_.errorMarkers.push_back(infoOf(f).errorMarker); }
    void fail(Field f)
    {
        mark(f);
        ++errors_;
    }
    bool unavailable(Field f) const
    {
        return isUnavailable(form_.hwVersion, f, form_.index(SensorType));
    }
    // The cleaned text written back, read as a finite number.
    std::optional<float> decimal(Field f)
    {
        form_.textOf(f) = cleanedDecimal(form_.textOf(f));
        const auto v = leadingDecimal(form_.textOf(f));
        return v && std::isfinite(*v) ? v : std::nullopt;
    }
    void rangeCheck(const RangeCheck& c, const Limits& limits)
    {
        if (!c.alwaysChecked && unavailable(c.field))
            return;
        std::optional<float> value;
        if (c.kind == Kind::Integer) {
            const QString text = trimmed(form_.textOf(c.field));
            if (!text.isEmpty())
                value = static_cast<float>(leadingInteger(text));
        } else {
            value = decimal(c.field);
        }
        if (!value || !(limits.*c.limits).contains(*value))
            fail(c.field);
    }
    int errors() const { return errors_; }

private:
    ConfigurationForm& form_;
    CheckOutcome& out_;
    int errors_ = 0;
};

} // namespace

CheckOutcome checkConfiguration(ConfigurationForm& form, Limits& limits)
{
    CheckOutcome out;
    const device::Family family = device::familyOf(form.hwVersion);
    if (family == device::Family::None) {
        out.errorMarkers.push_back(kHwVersionErrorMarker);
        return out;
    }
    Checker check(form, out);

    if (form.index(TemperatureUnit) < 0)
        check.fail(TemperatureUnit);
    if (form.index(VelocityUnit) < 0)
        check.fail(VelocityUnit);
    if (check.errors() > 0)
        return out;

    computeLimits(limits, family, form.index(VelocityUnit), form.index(TemperatureUnit), form.index(SensorType),
                  form.index(Medium), form.index(LimitAssignment));

    for (Field f : kAlwaysSelected) {
        if (form.index(f) < 0)
            check.fail(f);
    }
    const bool argonOrCo2 = family == device::Family::Dr && (form.index(Medium) == kArgon || form.index(Medium) == kCo2);
    // A hint, not an error: the combination is reported again below.
    if (argonOrCo2 && form.index(SensorType) == 0 && (form.index(TeeFitting) == 4 || form.index(TeeFitting) == 5)) {
        check.mark(TeeFitting);
        check.mark(SensorType);
        check.mark(Medium);
    }
    for (Field f : kSelectedWhereAvailable) {
        if (!check.unavailable(f) && form.index(f) < 0)
            check.fail(f);
    }
    for (const auto& c : kRangeChecks)
        check.rangeCheck(c, limits);

    // Argon and CO2 only with sensor "VRD11AN1" and a T-piece up to DN32.
    if (argonOrCo2) {
        if (form.index(SensorType) != 2)
            check.fail(SensorType);
        if (!check.unavailable(TeeFitting) && form.index(TeeFitting) > 3)
            check.fail(TeeFitting);
    }

    for (const auto& c : kCrossChecks) {
        if (check.unavailable(c.first))
            continue;
        const auto first = check.decimal(c.first);
        const auto second = check.decimal(c.second);
        if (!first || !second)
            continue;  // the range check has marked them
        if (c.mustExceed ? *second <= *first : *second == *first) {
            check.fail(c.first);
            check.fail(c.second);
        }
    }

    // An empty factor reads as 0, which the device accepts.
    if (trimmed(form.textOf(MultiplicationFactor)).isEmpty()) {
        form.textOf(MultiplicationFactor) = QString();
    } else if (const auto factor = check.decimal(MultiplicationFactor); !factor || *factor < 0) {
        check.fail(MultiplicationFactor);
    }

    out.completed = true;
    out.result = check.errors() == 0 ? 1 : -1;
    return out;
}

} // namespace trgui::pages::configuration
