#pragma once

#include <optional>
#include <string>
#include <string_view>

// Number texts that read and look the same under every system locale. Qt sets
// the C library's locale from the environment, so strtof, printf and their
// kin would read and write a decimal comma on a German or French desktop;
// everything here goes through std::from_chars / std::to_chars instead.
namespace trgui::core {

// Conversion in the manner of atoi: leading blanks, an optional sign, decimal
// digits up to the first non-digit; 0 when there are none. Values beyond the
// range of int are clamped instead of overflowing.
int parseLeadingInt(std::string_view text);

// A whole number text as the device's floats take it: optional sign, digits
// with at most one decimal point, optional exponent. Out-of-range values
// become infinity or zero with their sign, as strtof gives them; nullopt when
// text is not such a number.
std::optional<float> parseFloat(std::string_view text);

// value with precision digits after the point, right-aligned to width with
// blanks: what printf's "%<width>.<precision>f" gives under the C locale.
std::string fixedText(double value, int precision, int width = 0);

// The shortest fixed-point text that reads back as the same float, with at
// least minDecimals digits after the point: 1.234f gives "1.234" where "%.2f"
// gives "1.23", and 50.0f with one decimal "50.0". "nan", "inf", "-inf" for the others.
std::string exactText(float value, int minDecimals = 0);

// The shortest fixed-point text t of value * scale with float(t / scale) ==
// value: the C-value 1.0503 stored as a float of thousandths reads "1050.3".
std::string exactScaledText(float value, double scale);

} // namespace trgui::core
