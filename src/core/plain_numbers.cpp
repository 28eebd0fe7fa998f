#include "core/plain_numbers.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <limits>

namespace trgui::core {

int parseLeadingInt(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            value = static_cast<long long>(INT_MAX) + 1;  // saturate, keep reading digits
    }
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

std::optional<float> parseFloat(std::string_view text)
{
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars takes no sign of its own before the digits.
    if (text.empty() || text.front() == '+' || text.front() == '-')
        return std::nullopt;
    float value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (stop != end)
        return std::nullopt;
    if (error == std::errc::result_out_of_range) {
        // Too large or too small for a float: the nearest float, as strtof
        // rounds it. A double still holds most such texts; beyond it the
        // exponent's sign decides.
        double wide = 0;
        const auto [wideStop, wideError] = std::from_chars(text.data(), end, wide, std::chars_format::general);
        if (wideError == std::errc() && wideStop == end) {
            value = static_cast<float>(wide);
        } else {
            const auto e = text.find_first_of("eE");
            const bool large = e != std::string_view::npos && e + 1 < text.size() && text[e + 1] != '-';
            value = large ? std::numeric_limits<float>::infinity() : 0.0f;
        }
    } else if (error != std::errc()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::string fixedText(double value, int precision, int width)
{
    char buffer[400];  // the largest double in fixed notation has 309 digits
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    std::string text = error == std::errc() ? std::string(buffer, end) : std::string();
    if (static_cast<int>(text.size()) < width)
        text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

namespace {

std::string nonFiniteText(float value)
{
    if (std::isnan(value))
        return "nan";
    return value < 0 ? "-inf" : "inf";
}

std::string withDecimals(std::string text, int minDecimals)
{
    if (minDecimals <= 0)
        return text;
    auto point = text.find('.');
    if (point == std::string::npos) {
        point = text.size();
        text += '.';
    }
    const std::size_t decimals = text.size() - point - 1;
    if (decimals < static_cast<std::size_t>(minDecimals))
        text.append(static_cast<std::size_t>(minDecimals) - decimals, '0');
    return text;
}

} // namespace

std::string exactText(float value, int minDecimals)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
    char buffer[64];  // the largest float in fixed notation has 39 digits
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return withDecimals(error == std::errc() ? std::string(buffer, end) : std::string(), minDecimals);
}

std::string exactScaledText(float value, double scale)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
    const double scaled = static_cast<double>(value) * scale;
    for (int precision = 0; precision <= 12; ++precision) {
        const std::string text = fixedText(scaled, precision);
        double back = 0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        if (static_cast<float>(back / scale) == value)
            return text;
    }
    return fixedText(scaled, 17);
}

} // namespace trgui::core
