// The chart's CSV text without a window: the numbers, the column headings,
// the encoding and the lines.

#include "scope/chart_csv.h"

#include <gtest/gtest.h>

#include <limits>

using namespace trgui::scope;

TEST(ChartCsv, numbersHaveUpToSevenSignificantPlainDigitsAndADecimalComma)
{
    struct Case {
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {21.5, "21,5"},
        {22.3125, "22,3125"},
        {1.23456789, "1,234568"},
        {-0.000123456789, "-0,0001234568"},
        {12345678, "12345678"},
        {1e20, "100000000000000000000"},
        {1e-20, "0"},
        {-1e-20, "0"},
        {-0.0, "0"},
        {3, "3"},
        {std::numeric_limits<double>::quiet_NaN(), "----"},
        {std::numeric_limits<double>::infinity(), "----"},
        {-std::numeric_limits<double>::infinity(), "----"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(csvNumber(c.value), QByteArray(c.expected)) << c.value;
}

TEST(ChartCsv, aColumnIsHeadedByItsAxisLabelOnlyOnAnAxisOfItsOwn)
{
    const QVector<double> temperature{21.5, 22};
    const QVector<double> inlet{1.5};
    const QVector<double> outlet{2, 2.5, 3};
    const QVector<double> pressure{};
    const std::vector<CsvChannel> channels{
        {QStringLiteral("T"), QString::fromUtf8("Temperatur [°C]"), 0, &temperature},
        {QStringLiteral("Zulauf"), QString::fromUtf8("Volumen [m³]"), 1, &inlet},
        {QStringLiteral("Ablauf"), QString::fromUtf8("Volumen [m³]"), 1, &outlet},
        {QString::fromUtf8("Druck €"), QString(), 2, &pressure},
    };
    const QByteArray expected("Messwert; Temperatur [\xB0" "C]; Zulauf; Ablauf; Druck \x80\r\n"
                              "0; 21,5; 1,5; 2; \r\n"
                              "1; 22; ; 2,5; \r\n"
                              "2; ; ; 3; \r\n");
    EXPECT_EQ(chartCsv(QStringLiteral("Messwert"), channels), expected);
}
