#include "scope/axis_ranges.h"

#include <algorithm>
#include <cmath>

namespace trgui::scope {

namespace {

int clampedPrecision(int precision)
{
    return std::clamp(precision, 0, 15);
}

} // namespace

void DataExtent::include(std::span<const double> values)
{
    for (double v : values) {
        if (std::isfinite(v)) {
            lower = std::min(lower, v);
            upper = std::max(upper, v);
        }
    }
}

Span visibleSpan(const AxisLimits& limits, double dataMin, double dataMax, double minWidth)
{
    const bool hasData = dataMin <= dataMax;
    Span span{limits.min, limits.max};
    const bool lowerFollows = limits.autoScaling || limits.minFollowsData;
    const bool upperFollows = limits.autoScaling || limits.maxFollowsData;
    if (hasData) {
        if (lowerFollows)
            span.lower = dataMin;
        if (upperFollows)
            span.upper = dataMax;
        // A little room around the data, so a line at the edge stays visible.
        const double width = span.upper - span.lower;
        const double margin = width > 0 ? width * 0.05 : std::max(std::abs(span.upper) * 0.05, 0.5);
        if (lowerFollows)
            span.lower -= margin;
        if (upperFollows)
            span.upper += margin;
        // An end that follows the data alone never comes inside its set value:
        // the axis grows for larger data and keeps its usual size otherwise.
        if (limits.minFollowsData && !limits.autoScaling)
            span.lower = std::min(span.lower, limits.min);
        if (limits.maxFollowsData && !limits.autoScaling)
            span.upper = std::max(span.upper, limits.max);
        // Small variations are shown over a readable height, not blown up to fill it.
        if (lowerFollows && upperFollows && span.upper - span.lower < minWidth) {
            const double centre = (span.upper + span.lower) / 2;
            span = {centre - minWidth / 2, centre + minWidth / 2};
        }
    }
    if (!(span.upper > span.lower))
        span.upper = span.lower + 1;
    return span;
}

double minimumSpanWidth(int precision)
{
    return 10 * std::pow(10.0, -clampedPrecision(precision));
}

double tickStep(double width, int precision)
{
    const double smallest = std::pow(10.0, -clampedPrecision(precision));
    if (!(width > 0) || !std::isfinite(width))
        return smallest;
    // The largest step of 1, 2 or 5 times a power of ten that puts three ticks on the axis.
    const double most = width / 3;
    const double power = std::pow(10.0, std::floor(std::log10(most)));
    double step = power;
    for (double mantissa : {2.0, 5.0, 10.0}) {
        if (mantissa * power <= most * (1 + 1e-9))
            step = mantissa * power;
    }
    return std::max(step, smallest);
}

QString formatAxisNumber(double value, int precision, bool fixedPrecision)
{
    precision = clampedPrecision(precision);
    if (std::abs(value) < 0.5 * std::pow(10.0, -precision))
        value = 0;  // no "-0.0"
    QString text = QString::number(value, 'f', precision);
    if (!fixedPrecision && text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}

} // namespace trgui::scope
