#include "core/settings_record.h"

#include "platform/platform.h"

#include "core/plain_numbers.h"
#include "core/profile_file.h"
#include "core/window_place.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QTemporaryFile>
#include <QTextBoundaryFinder>

namespace trgui::core {

namespace {
constexpr std::size_t kValueMax = kSettingsValueMax;
// Report names are read beyond the 511 bytes, so the cut can see where the
// last character that fits ends (an accent after its letter belongs to it).
constexpr std::size_t kReadAhead = 4 * kValueMax;

std::string fileKey(const char* section, const char* key)
{
    return std::string(section) + "/" + key;
}

std::size_t readLength(const char* section)
{
    return std::string_view(section) == "BERICHT" ? kReadAhead : kValueMax;
}
} // namespace

std::string localTextWithin(const QString& text, std::size_t maxBytes)
{
    QByteArray bytes = text.toLocal8Bit();
    if (static_cast<std::size_t>(bytes.size()) <= maxBytes)
        return bytes.toStdString();
    // The longest prefix ending on a character boundary that fits. A
    // character's bytes depend on the encoding, so each candidate is encoded.
    QTextBoundaryFinder boundaries(QTextBoundaryFinder::Grapheme, text);
    qsizetype fits = 0;
    for (qsizetype at = boundaries.toNextBoundary(); at > 0; at = boundaries.toNextBoundary()) {
        if (static_cast<std::size_t>(text.first(at).toLocal8Bit().size()) > maxBytes)
            break;
        fits = at;
    }
    return text.first(fits).toLocal8Bit().toStdString();
}

std::string wholeLocalCharacters(const std::string& bytes, std::size_t maxBytes)
{
    // A decoder keeps an incomplete sequence at the end to itself, waiting
    // for the rest; what it returns is whole characters only.
    QStringDecoder decode(QStringDecoder::System);
    const QString text = decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    const std::string whole = text.toLocal8Bit().toStdString();
    // Bytes that decode and encode back the same are kept as they are.
    if (whole.size() <= maxBytes && bytes.compare(0, whole.size(), whole) == 0)
        return whole;
    return localTextWithin(text, maxBytes);
}

bool isPathSeparator(char c)
{
    return platform::isPathSeparator(c);
}

std::string withTrailingSeparator(std::string dir)
{
    if (dir.empty() || !isPathSeparator(dir.back()))
        dir.push_back(platform::kPathSeparator);
    return dir;
}

std::string currentProgramDirectory()
{
    return withTrailingSeparator(QDir::toNativeSeparators(QDir::currentPath()).toLocal8Bit().toStdString());
}

SettingsRecord SettingsRecord::forDirectory(const std::string& dir)
{
    SettingsRecord record;
    record.programDirectory = withTrailingSeparator(dir);
    record.settingsFilePath = record.programDirectory + kSettingsFileName;
    return record;
}

SettingsRecord SettingsRecord::forProgramDirectory(const std::string& dir)
{
    SettingsRecord record = forDirectory(dir);
    record.settingsFilePath =
        settingsFileLocation(record.programDirectory, settingsWritableIn(record.programDirectory),
                             userSettingsDirectory());
    return record;
}

std::string settingsFileLocation(const std::string& programDirectory, bool programMayWriteThere,
                                 const std::string& userDirectory)
{
    const std::string programFile = withTrailingSeparator(programDirectory) + kSettingsFileName;
    if (programMayWriteThere || userDirectory.empty())
        return programFile;
    const std::string userFile = withTrailingSeparator(userDirectory) + kSettingsFileName;
    const QString user = QString::fromLocal8Bit(userFile.c_str());
    const QString shipped = QString::fromLocal8Bit(programFile.c_str());
    // The folder must exist for the first save; the file waits for it.
    QDir().mkpath(QString::fromLocal8Bit(userDirectory.c_str()));
    if (!QFileInfo::exists(user) && QFileInfo::exists(shipped)) {
        // A failed copy leaves no file: the next start tries again, and until
        // then the settings read are the defaults, as for a first start.
        if (QFile::copy(shipped, user))
            QFile::setPermissions(user, QFile::permissions(user) | QFile::WriteOwner | QFile::ReadOwner);
    }
    return userFile;
}

bool settingsWritableIn(const std::string& programDirectory)
{
    const QString dir = QString::fromLocal8Bit(programDirectory.c_str());
    // The file is opened for writing (nothing is written), not judged by what
    // QFileInfo says: on Windows that is only the read-only flag, which a
    // file in Program Files or on a share the user may not change lacks.
    QFile settings(QDir(dir).filePath(QString::fromLatin1(kSettingsFileName)));
    if (settings.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::ExistingOnly))
        return true;
    QTemporaryFile probe(QDir(dir).filePath(QStringLiteral(".TR-GUI-probe-XXXXXX")));
    return probe.open();  // removed again when probe goes
}

std::string userSettingsDirectory()
{
    const QString base = platform::userSettingsBase();
    if (base.isEmpty())
        return {};
    return withTrailingSeparator(QDir::toNativeSeparators(base + QStringLiteral("/TR-GUI")).toLocal8Bit().toStdString());
}

void SettingsRecord::load()
{
    const std::string& file = settingsFilePath;
    removeInterruptedSaves(file);
    comPort = parseLeadingInt(readProfileString(file, "COM", "COMPORT", "1"));
    language = parseLeadingInt(readProfileString(file, "DATEN", "LANGUAGE", "0"));
    ausgrauen = parseLeadingInt(readProfileString(file, "DATEN", "AUSGRAUEN", "0"));
    workingDir = readProfileString(file, "PFADE", "WORKINGDIR", "", kValueMax);
    refreshRate = parseLeadingInt(readProfileString(file, "DATEN", "REFRESHRATE", "2"));
    windowGeometry = parseWindowGeometry(readProfileString(file, "FENSTER", "GEOMETRIE", "")).value_or(QRect());
    windowMaximised = parseLeadingInt(readProfileString(file, "FENSTER", "MAXIMIERT", "0")) != 0;
    page = parseLeadingInt(readProfileString(file, "FENSTER", "SEITE", "0"));
    loadReportNames();
    noteFileTexts();
}

void SettingsRecord::loadReportNames()
{
    const auto name = [this](const char* key) {
        return wholeLocalCharacters(readProfileString(settingsFilePath, "BERICHT", key, "", kReadAhead));
    };
    technician = name("TECHNIKER");
    site = name("STANDORT");
    instrumentTag = name("KENNUNG");
    for (const char* key : {"TECHNIKER", "STANDORT", "KENNUNG"})
        noteFileTexts(key);
}

std::vector<SettingsRecord::Entry> SettingsRecord::entries() const
{
    // The report's names only once given, so the file of a user who never
    // made a report stays as it always was; the window's keys once its place is known.
    const bool windowKnown = windowGeometry.isValid();
    return {
        {"COM", "COMPORT", std::to_string(comPort), true},
        {"DATEN", "LANGUAGE", std::to_string(language), true},
        {"DATEN", "AUSGRAUEN", std::to_string(ausgrauen), true},
        {"PFADE", "WORKINGDIR", workingDir, true},
        {"DATEN", "REFRESHRATE", std::to_string(refreshRate), true},
        {"BERICHT", "TECHNIKER", technician, reportNamesGiven || !technician.empty()},
        {"BERICHT", "STANDORT", site, reportNamesGiven || !site.empty()},
        {"BERICHT", "KENNUNG", instrumentTag, reportNamesGiven || !instrumentTag.empty()},
        {"FENSTER", "GEOMETRIE", windowKnown ? windowGeometryText(windowGeometry) : std::string(), windowKnown},
        {"FENSTER", "MAXIMIERT", windowMaximised ? "1" : "0", windowKnown},
        {"FENSTER", "SEITE", std::to_string(page), windowKnown},
    };
}

void SettingsRecord::noteFileTexts(const char* keyOnly)
{
    for (const Entry& e : entries()) {
        if (keyOnly && std::string_view(keyOnly) != e.key)
            continue;
        fileTexts_[fileKey(e.section, e.key)] =
            findProfileString(settingsFilePath, e.section, e.key, readLength(e.section)).value_or(e.text);
    }
}

bool SettingsRecord::save()
{
    // What this copy changed, and what the file lacks (a first start writes
    // a whole file); the rest may be another copy's newer word.
    std::vector<ProfileValue> changed;
    for (const Entry& e : entries()) {
        if (!e.written)
            continue;
        const auto seen = fileTexts_.find(fileKey(e.section, e.key));
        if (seen == fileTexts_.end() || seen->second != e.text
            || !findProfileString(settingsFilePath, e.section, e.key).has_value())
            changed.push_back({e.section, e.key, e.text});
    }
    // One replacement of the file, so an interrupted save never leaves some
    // settings new and some old.
    lastSaveError.clear();
    const bool written = writeProfileStrings(settingsFilePath, changed, &lastSaveError);
    // What the file now holds is what this copy saw last (a value refused
    // for its line break is still the old one, and is tried again).
    for (const ProfileValue& v : changed) {
        fileTexts_[fileKey(v.section.c_str(), v.key.c_str())] =
            findProfileString(settingsFilePath, v.section, v.key, readLength(v.section.c_str())).value_or(v.value);
    }
    return written;
}

std::string SettingsRecord::mappedPortDevice(const std::string& comName) const
{
    return readProfileString(settingsFilePath, "COM", comName, "");
}

} // namespace trgui::core
