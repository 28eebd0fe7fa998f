#include "profile_file.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <climits>
#include <optional>
#include <vector>

namespace trgui::app {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool sameName(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

// The file as lines without their line ends (LF or CR LF).
std::optional<std::vector<std::string>> readLines(const std::string& path)
{
    QFile file(QString::fromLocal8Bit(path.c_str()));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray all = file.readAll();
    std::vector<std::string> lines;
    std::string_view rest(all.constData(), static_cast<std::size_t>(all.size()));
    while (!rest.empty()) {
        const auto lf = rest.find('\n');
        std::string_view line = rest.substr(0, lf);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        if (lf == std::string_view::npos)
            break;
        rest.remove_prefix(lf + 1);
    }
    return lines;
}

// "[name]" gives name; anything else gives nothing.
std::optional<std::string_view> sectionName(std::string_view line)
{
    line = trim(line);
    if (line.empty() || line.front() != '[')
        return std::nullopt;
    const auto close = line.find(']');
    return trim(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
}

struct KeyLine {
    std::string_view name;
    std::string_view value;
};

std::optional<KeyLine> keyLine(std::string_view line)
{
    const std::string_view trimmed = trim(line);
    if (trimmed.empty() || trimmed.front() == ';')
        return std::nullopt;
    const auto eq = trimmed.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return KeyLine{trim(trimmed.substr(0, eq)), trim(trimmed.substr(eq + 1))};
}

struct Location {
    std::optional<std::size_t> section;     // index of the section header line
    std::size_t sectionEnd = 0;             // index after the section's last key line
    std::optional<std::size_t> key;         // index of the key's line
};

Location locate(const std::vector<std::string>& lines, std::string_view section, std::string_view key)
{
    Location at;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = sectionName(lines[i])) {
            if (at.section)
                break;  // the end of the wanted section
            if (sameName(*name, section)) {
                at.section = i;
                at.sectionEnd = i + 1;
            }
            continue;
        }
        if (!at.section)
            continue;
        if (const auto k = keyLine(lines[i])) {
            at.sectionEnd = i + 1;
            if (!at.key && sameName(k->name, key))
                at.key = i;
        }
    }
    return at;
}

std::string_view unquote(std::string_view value)
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

std::string readProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view fallback, std::size_t maxLength)
{
    std::string result(fallback);
    if (const auto lines = readLines(path)) {
        const Location at = locate(*lines, section, key);
        if (at.key)
            result = std::string(unquote(keyLine((*lines)[*at.key])->value));
    }
    if (result.size() > maxLength)
        result.resize(maxLength);
    return result;
}

bool writeProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value)
{
    std::vector<std::string> lines = readLines(path).value_or(std::vector<std::string>{});
    const Location at = locate(lines, section, key);
    std::string entry = std::string(key) + "=" + std::string(value);
    if (at.key) {
        lines[*at.key] = std::move(entry);
    } else if (at.section) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at.sectionEnd), std::move(entry));
    } else {
        lines.push_back("[" + std::string(section) + "]");
        lines.push_back(std::move(entry));
    }

    QByteArray out;
    for (const auto& line : lines) {
        out.append(line.data(), static_cast<qsizetype>(line.size()));
        out.append("\r\n");
    }
    QSaveFile file(QString::fromLocal8Bit(path.c_str()));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(out) != out.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

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

} // namespace trgui::app
