#pragma once

// Reading and writing of profile (INI) files in the manner of the classic
// Windows profile functions: names match case-insensitively, blanks around
// names and values are ignored, ";" starts a comment line, the first of
// duplicate sections or keys wins, and a write touches only its own line.
//
// Values are bytes: the file is read and written without any conversion, so
// a file written on Windows reads back unchanged.

#include <string>
#include <string_view>

namespace trgui::app {

// The value of key in section, or fallback when the file, the section or the
// key is missing. Values are cut to maxLength bytes (the classic buffer holds
// 511 characters and the terminator).
std::string readProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view fallback, std::size_t maxLength = 511);

// Sets key in section to value: updates the key's line in place, or appends
// the key at the end of its section, or appends the section at the end of
// the file. Every other line stays as it was; lines end in CR LF. The file
// is replaced atomically (temporary file beside it, then rename). Returns
// false, leaving the file untouched, when it cannot be written.
bool writeProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

// Conversion in the manner of atoi: leading blanks, an optional sign, decimal
// digits up to the first non-digit; 0 when there are none. Values beyond the
// range of int are clamped instead of overflowing.
int parseLeadingInt(std::string_view text);

} // namespace trgui::app
