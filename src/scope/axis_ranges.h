#pragma once

// The arithmetic of the chart's axes, free of any window: which part of an
// axis is shown, where its labelled ticks go and how its numbers read.

#include <QString>

#include <limits>
#include <span>

namespace trgui::scope {

// The visible range of an axis: the data range when it scales, otherwise
// its Min/Max values; an end marked AutoScale follows the data on its own.
struct AxisLimits {
    bool autoScaling = false;  // both ends follow the data
    double min = 0;
    double max = 1;
    bool minFollowsData = false;
    bool maxFollowsData = false;
};
struct Span {
    double lower = 0;
    double upper = 1;
    bool operator==(const Span&) const = default;
};
// The smallest and largest finite value of a set of channels; while it has
// seen none, lower > upper.
struct DataExtent {
    double lower = std::numeric_limits<double>::infinity();
    double upper = -std::numeric_limits<double>::infinity();
    // Widens the extent to the finite values; gaps (NaN) and infinities are passed over.
    void include(std::span<const double> values);
};

// dataMin > dataMax: no data. An axis whose both ends follow the data spans
// at least minWidth.
Span visibleSpan(const AxisLimits& limits, double dataMin, double dataMax, double minWidth = 0);

// The least height of an axis whose both ends follow the data: ten steps of
// its last digit shown, so that small variations are not blown up.
double minimumSpanWidth(int precision);

// The distance between labelled ticks on an axis of the given width whose
// labels show precision decimals.
double tickStep(double width, int precision);

// A number as the axis format says: exactly `precision` decimals when fixed,
// otherwise at most that many.
QString formatAxisNumber(double value, int precision, bool fixedPrecision);

} // namespace trgui::scope
