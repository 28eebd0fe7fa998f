#pragma once

// Reading and writing of profile (INI) files the way Windows' own profile
// functions (GetPrivateProfileString and its kin) do, so that a file shared
// with Windows programs means the same to both: names match case-insensitively, blanks (space,
// tab, vertical tab) around names and values are ignored, ";" starts a
// comment line, the first of duplicate sections or keys wins, a write touches
// only its own lines, and LF, CR LF or a CR alone end a line.
//
// Values are bytes: the file is read and written without any conversion, so
// a file written on Windows reads back unchanged.

#include <QString>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trgui::core {

// The value of key in section, or fallback (its trailing blanks trimmed) when
// the file, the section or the key is missing. Values are cut to maxLength
// bytes, what a Windows program reading the file into a 512-byte buffer gets.
std::string readProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view fallback, std::size_t maxLength = 511);

// The value of key in section as it stands in the file (cut like
// readProfileString), or nothing when the file, the section or the key is missing.
std::optional<std::string> findProfileString(const std::string& path, std::string_view section, std::string_view key,
                                             std::size_t maxLength = 511);

struct ProfileValue {
    std::string section;
    std::string key;
    std::string value;
};

// Sets each key in its section: updates the key's line in place (keeping the
// key's spelling in the file), or appends the key at the end of its section,
// or appends the section at the end of the file. Every other line stays as it
// was; lines end in CR LF.
//
// All values go to disk in one replacement of the file: a temporary file
// beside it ("<name>.saving-XXXXXX") is written and renamed over it, so an
// interrupted save leaves either the old or the new file. When no temporary
// can be created there (a read-only folder holding a writable file), the file
// is rewritten in place instead.
//
// A value, section or key holding a CR or LF would break the file's lines; it
// is refused and the key keeps its old value, the others are still written.
// Returns true when every value is in the file; false when one was refused or
// the file cannot be written (then the file is untouched, and why, when
// given, holds the system's reason).
bool writeProfileStrings(const std::string& path, const std::vector<ProfileValue>& values, QString* why = nullptr);

bool writeProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

// Removes temporary files that an interrupted save left beside path, whatever
// their age. (A save of another instance running that very moment then fails
// and says so; an interrupted one would otherwise leave its copy lying.)
void removeInterruptedSaves(const std::string& path);

} // namespace trgui::core
