#include "core/plain_numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using trgui::core::fixedText;
using trgui::core::parseFloat;

// These run under German and French system locales too (the suite's locale
// runs), where the C library would read and write a decimal comma.
TEST(PlainNumbers, decimalTextsReadWithAPointAsTheDeviceTakesThem)
{
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        const char* text;
        std::optional<float> value;
    };
    const Case cases[] = {
        {"2.85", 2.85f},       {"-3.20", -3.2f},      {"+50.7", 50.7f},     {"22.", 22.0f},   {".5", 0.5f},
        {"1e3", 1000.0f},      {"1.5E-2", 0.015f},    {"1e39", inf},        {"-1e400", -inf}, {"1e-50", 0.0f},
        {"3.4028236e38", inf}, {"1,5", std::nullopt}, {"", std::nullopt},   {"-", std::nullopt},
        {"+-1", std::nullopt}, {" 1", std::nullopt},  {"1.2.3", std::nullopt}, {"nanx", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parseFloat(c.text), c.value) << c.text;
}

TEST(PlainNumbers, fixedTextsAsPrintfGivesThemUnderTheCLocale)
{
    struct Case {
        double value;
        int precision;
        int width;
        const char* text;
    };
    const Case cases[] = {
        {10.0, 3, 5, "10.000"},   {2.5, 3, 5, "2.500"},    {0.0, 1, 5, "  0.0"},  {-1.25, 2, 6, " -1.25"},
        {0.125, 2, 0, "0.12"},    {0.375, 2, 0, "0.38"},   {99999.95, 1, 5, "99999.9"},
        {123456.0, 0, 5, "123456"}, {1e20, 0, 0, "100000000000000000000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fixedText(c.value, c.precision, c.width), c.text) << c.value;
}
