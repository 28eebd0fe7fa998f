#include "core/profile_file.h"

#include "platform/platform.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>
#include <system_error>

namespace trgui::core {

namespace {


constexpr std::string_view kTemporaryMark = ".saving-";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view trimEnd(std::string_view s)
{
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

bool breaksLine(std::string_view s)
{
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// The path of the settings file as Qt takes it: the program keeps paths in
// the system's 8-bit code page, and from here on they stay Unicode down to
// the system call (a folder "Müller" is never read as UTF-8 bytes in another
// code page).
QString pathName(const std::string& path)
{
    return QString::fromLocal8Bit(path.c_str());
}

std::optional<QByteArray> readFile(const std::string& path)
{
    QFile file(pathName(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// The lines without their line ends; LF, CR LF and a CR alone end a line.
std::vector<std::string> splitLines(const QByteArray& all)
{
    std::vector<std::string> lines;
    std::string_view rest(all.constData(), static_cast<std::size_t>(all.size()));
    while (!rest.empty()) {
        const auto end = rest.find_first_of("\r\n");
        lines.emplace_back(rest.substr(0, end));
        if (end == std::string_view::npos)
            break;
        const bool crLf = rest[end] == '\r' && end + 1 < rest.size() && rest[end + 1] == '\n';
        rest.remove_prefix(end + (crLf ? 2 : 1));
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

// Sets one key in the lines; false when it cannot be stored in a line.
bool setValue(std::vector<std::string>& lines, const ProfileValue& v)
{
    const std::string_view section = trim(v.section);
    const std::string_view key = trim(v.key);
    if (section.empty() || key.empty() || breaksLine(section) || breaksLine(key) || breaksLine(v.value))
        return false;
    const Location at = locate(lines, section, key);
    if (at.key) {
        const std::string name(keyLine(lines[*at.key])->name);  // the file's spelling stays
        lines[*at.key] = name + "=" + v.value;
    } else if (at.section) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at.sectionEnd),
                     std::string(key) + "=" + v.value);
    } else {
        lines.push_back(std::string("[").append(section).append("]"));
        lines.push_back(std::string(key) + "=" + v.value);
    }
    return true;
}

bool syncToDisk(QFile& file)
{
    return platform::syncFile(file);
}

// The rename itself reaches the disk only with its folder: without this a
// power cut right after a save could bring back the old file, or none.
bool syncFolderOf(const QString& target)
{
    return platform::syncFolder(QFileInfo(QFileInfo(target).absolutePath()).filesystemAbsoluteFilePath());
}

// A new file beside target with a name that marks it as ours.
bool createTemporary(const QString& target, QFile& file)
{
    static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 16; ++attempt) {
        QString name = target + QLatin1String(kTemporaryMark.data(), qsizetype(kTemporaryMark.size()));
        for (int i = 0; i < 6; ++i)
            name += QLatin1Char(kChars[QRandomGenerator::global()->bounded(int(sizeof kChars - 1))]);
        file.setFileName(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return true;
        if (!file.exists())
            return false;  // not a name clash: nothing can be created here
    }
    return false;
}

bool writeInPlace(const QString& target, const QByteArray& content, QString* why)
{
    QFile file(target);
    // ReadWrite does not truncate: the old text stays until the new one is there.
    if (file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly)
        && file.write(content) == content.size() && file.resize(content.size()) && syncToDisk(file))
        return true;
    if (why)
        *why = file.errorString();
    return false;
}

bool replaceFile(const std::string& path, const QByteArray& content, QString* why)
{
    QString targetName = pathName(path);
    if (const QFileInfo link(targetName); link.isSymLink()) {
        targetName = link.canonicalFilePath();  // replace what the link points to, keep the link
        if (targetName.isEmpty())
            return false;
    }

    // A file the user may not write stays as it is, as Windows' profile
    // functions leave it; the rename below would otherwise replace it regardless.
    const QFileInfo existing(targetName);
    if (existing.exists() && !existing.isWritable()) {
        QFile probe(targetName);  // for the system's words
        if (why) {
            // The read-only flag alone (which an administrator's handle ignores) has no error of its own.
            *why = probe.open(QIODevice::ReadWrite | QIODevice::ExistingOnly) ? QString::fromLocal8Bit(std::strerror(EACCES))
                                                                                : probe.errorString();
        }
        return false;
    }

    QFile temporary;
    if (!createTemporary(targetName, temporary))
        return writeInPlace(targetName, content, why);
    if (existing.exists())
        temporary.setPermissions(QFile::permissions(targetName));
    const bool written = temporary.write(content) == content.size() && syncToDisk(temporary);
    temporary.close();
    QString reason = temporary.errorString();
    if (written && platform::replaceFile(temporary.fileName(), targetName, &reason))
        return syncFolderOf(targetName);
    temporary.remove();
    if (why)
        *why = reason;
    return false;
}

} // namespace

std::optional<std::string> findProfileString(const std::string& path, std::string_view section, std::string_view key,
                                             std::size_t maxLength)
{
    const auto all = readFile(path);
    if (!all)
        return std::nullopt;
    const auto lines = splitLines(*all);
    const Location at = locate(lines, trim(section), trim(key));
    if (!at.key)
        return std::nullopt;
    std::string result(unquote(keyLine(lines[*at.key])->value));
    if (result.size() > maxLength)
        result.resize(maxLength);
    return result;
}

std::string readProfileString(const std::string& path, std::string_view section, std::string_view key,
                              std::string_view fallback, std::size_t maxLength)
{
    std::string result = findProfileString(path, section, key, maxLength).value_or(std::string(trimEnd(fallback)));
    if (result.size() > maxLength)
        result.resize(maxLength);
    return result;
}

bool writeProfileStrings(const std::string& path, const std::vector<ProfileValue>& values, QString* why)
{
    const std::optional<QByteArray> before = readFile(path);
    std::vector<std::string> lines = before ? splitLines(*before) : std::vector<std::string>{};
    bool allSet = true;
    for (const auto& v : values)
        allSet = setValue(lines, v) && allSet;

    QByteArray out;
    for (const auto& line : lines) {
        out.append(line.data(), static_cast<qsizetype>(line.size()));
        out.append("\r\n");
    }
    if (before && *before == out)
        return allSet;  // nothing changed: leave the file alone
    if (!before && lines.empty())
        return allSet;
    return replaceFile(path, out, why) && allSet;
}

bool writeProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value)
{
    return writeProfileStrings(path, {{std::string(section), std::string(key), std::string(value)}});
}

void removeInterruptedSaves(const std::string& path)
{
    const QFileInfo target(pathName(path));
    const QString prefix = target.fileName() + QLatin1String(kTemporaryMark.data(), qsizetype(kTemporaryMark.size()));
    QDir folder = target.absoluteDir();
    for (const QString& name : folder.entryList({prefix + QStringLiteral("*")}, QDir::Files | QDir::Hidden)) {
        if (name.size() == prefix.size() + 6)
            folder.remove(name);
    }
}

} // namespace trgui::core
