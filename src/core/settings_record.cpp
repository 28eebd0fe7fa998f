#include "settings_record.h"

#include "profile_file.h"

#include <QDir>

namespace trgui::app {

namespace {
constexpr std::size_t kValueMax = 511;
#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif
} // namespace

bool isPathSeparator(char c)
{
#ifdef _WIN32
    return c == '\\' || c == '/';
#else
    return c == '/';
#endif
}

std::string withTrailingSeparator(std::string dir)
{
    if (dir.empty() || !isPathSeparator(dir.back()))
        dir.push_back(kSeparator);
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

void SettingsRecord::load()
{
    const std::string& file = settingsFilePath;
    removeInterruptedSaves(file);
    comPort = parseLeadingInt(readProfileString(file, "COM", "COMPORT", "1"));
    language = parseLeadingInt(readProfileString(file, "DATEN", "LANGUAGE", "0"));
    ausgrauen = parseLeadingInt(readProfileString(file, "DATEN", "AUSGRAUEN", "0"));
    workingDir = readProfileString(file, "PFADE", "WORKINGDIR", "", kValueMax);
    refreshRate = parseLeadingInt(readProfileString(file, "DATEN", "REFRESHRATE", "2"));
}

void SettingsRecord::save() const
{
    // One replacement of the file, so an interrupted save never leaves some
    // settings new and some old.
    writeProfileStrings(settingsFilePath, {
                                              {"COM", "COMPORT", std::to_string(comPort)},
                                              {"DATEN", "LANGUAGE", std::to_string(language)},
                                              {"DATEN", "AUSGRAUEN", std::to_string(ausgrauen)},
                                              {"PFADE", "WORKINGDIR", workingDir},
                                              {"DATEN", "REFRESHRATE", std::to_string(refreshRate)},
                                          });
}

std::string SettingsRecord::mappedPortDevice(const std::string& comName) const
{
    return readProfileString(settingsFilePath, "COM", comName, "");
}

} // namespace trgui::app
