// The chart's axis arithmetic without a window: which part of an axis is
// shown, its tick steps and how its numbers read.

#include "scope/axis_ranges.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace trgui::scope;

TEST(ScopeRanges, axisSpansFollowTheirSettings)
{
    struct Case {
        const char* what;
        AxisLimits limits;
        double dataMin, dataMax, minWidth;
        Span expected;
    };
    const Case cases[] = {
        {"fixed", {false, -40, 100}, 10, 20, 1, {-40, 100}},
        {"no data", {true, -40, 100}, 1, 0, 1, {-40, 100}},
        {"autoscaled", {true, -40, 100}, 10, 20, 1, {9.5, 20.5}},
        {"flat data", {true, -40, 100}, 20, 20, 0, {19, 21}},
        // Small variations keep the minimum height around their middle.
        {"small variation", {true, -40, 100}, 21.49, 21.51, 1, {21, 22}},
        // The flow axis: minimum stays at 0, maximum grows with the data but
        // never comes below its set 10.
        {"max follows up", {false, 0, 10, false, true}, 2, 40, 0.1, {0, 42}},
        {"max stays", {false, 0, 10, false, true}, 1, 4, 0.1, {0, 10}},
        {"tiny flows", {false, 0, 10, false, true}, 0.001, 0.003, 0.1, {0, 10}},
        {"bad limits", {false, 5, 5}, 1, 0, 1, {5, 6}},
    };
    for (const auto& c : cases) {
        const Span s = visibleSpan(c.limits, c.dataMin, c.dataMax, c.minWidth);
        EXPECT_NEAR(s.lower, c.expected.lower, 1e-9) << c.what;
        EXPECT_NEAR(s.upper, c.expected.upper, 1e-9) << c.what;
    }
}

TEST(ScopeRanges, ticksAreStepsTheLabelsCanShowAndAtLeastThree)
{
    struct Case {
        double width;
        int precision;
        double step;
    };
    const Case cases[] = {
        {1.0, 1, 0.2}, {0.02, 1, 0.1}, {49, 0, 10}, {4, 0, 1}, {1, 0, 1}, {10, 2, 2}, {0.75, 2, 0.2}, {140, 1, 20},
    };
    for (const auto& c : cases) {
        const double step = tickStep(c.width, c.precision);
        EXPECT_NEAR(step, c.step, 1e-12) << c.width << " at precision " << c.precision;
        // Whatever the width, a step is never finer than the last digit shown.
        EXPECT_GE(step, std::pow(10.0, -c.precision) * (1 - 1e-12));
    }
}

TEST(ScopeRanges, axisNumbersFollowTheFormat)
{
    struct Case {
        double value;
        int precision;
        bool fixed;
        const char* expected;
    };
    const Case cases[] = {
        {20, 1, false, "20"},  {20.25, 1, false, "20.3"}, {2, 2, true, "2.00"},
        {-0.001, 1, false, "0"}, {1234.5, 0, false, "1235"}, {0.5, 2, false, "0.5"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatAxisNumber(c.value, c.precision, c.fixed), QString::fromLatin1(c.expected)) << c.value;
}

TEST(ScopeRanges, theDataExtentPassesOverGapsAndInfinities)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double inf = std::numeric_limits<double>::infinity();
    DataExtent extent;
    const std::vector<double> gaps{nan, inf, -inf};
    extent.include(gaps);
    EXPECT_GT(extent.lower, extent.upper) << "no data yet";
    const std::vector<double> first{nan, 3, -inf};
    const std::vector<double> second{-2, inf, 7, nan};
    extent.include(first);
    extent.include(second);
    EXPECT_EQ(extent.lower, -2);
    EXPECT_EQ(extent.upper, 7);
}
