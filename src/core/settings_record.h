#pragma once

#include "device/family.h"

#include <QRect>
#include <QString>

#include <map>
#include <string>
#include <vector>

namespace trgui::core {

inline constexpr const char* kSettingsFileName = "TR-GUI.ini";

// The user's settings (kept in TR-GUI.ini), the paths derived at start and the
// identity of the connected device. Paths and WORKINGDIR are bytes in the
// local 8-bit encoding, exactly as they stand in the file.
struct SettingsRecord {
    std::string settingsFilePath;
    std::string workingDir;        // WORKINGDIR, ends in a separator when set
    std::string programDirectory;  // always ends in a separator
    int deviceTypeCode = -1;
    device::Family deviceFamily = device::Family::None;
    bool deviceAnswering = false;  // the device answered on the open port (green lamp); not saved
    // The device replies on the open port, but not with the identification a
    // connection needs (red lamp, yet polled and sent commands); not saved.
    bool deviceUnrecognised = false;
    QString model;                 // the identified device's model name, as shown; not saved
    QString softwareVersion;       // and its software version
    int comPort = 1;      // COMPORT
    int language = 0;     // LANGUAGE: 0 German, 1 English, 2 French
    int ausgrauen = 0;    // AUSGRAUEN: 1 grey out unavailable controls, 0 hide them
    int refreshRate = 2;  // REFRESHRATE: seconds between poll starts
    // [BERICHT] TECHNIKER, STANDORT, KENNUNG: who, where and which instrument
    // (its tag or serial number; the device reports none), for the service
    // report. Local 8-bit bytes like the paths, whole characters within the
    // 511 bytes a value may have (see localTextWithin). Written once given.
    std::string technician;
    std::string site;
    std::string instrumentTag;
    // Set when the three were given in this run: then they are written even
    // when emptied, so a name taken back does not come back from the file.
    bool reportNamesGiven = false;
    // [FENSTER] GEOMETRIE, MAXIMIERT, SEITE: the window's place (see
    // windowGeometryText; null until known), whether it was maximised and
    // the page (tab index) it showed. Written once the place is known.
    QRect windowGeometry;
    bool windowMaximised = false;
    int page = 0;

    // A record for the program directory dir: both paths set, nothing loaded.
    static SettingsRecord forDirectory(const std::string& dir);
    // The same, with the settings file where this user can keep it
    // (settingsFileLocation with the user's configuration directory).
    static SettingsRecord forProgramDirectory(const std::string& dir);

    // Fills the settings from the file; missing file or keys give the
    // defaults. Temporary files of an interrupted save are removed first.
    void load();
    // Writes, in one replacement of the file, the settings this copy changed
    // since it loaded them (or last saved them) and those the file lacks; a
    // value another copy of the program wrote meanwhile stays unless this
    // copy changed that very setting. A file that cannot be written is left
    // alone, a WORKINGDIR with a line break keeps its old value in the file.
    // False when the file was not written.
    bool save();
    // Reads only the three report names from the file again (another
    // program's or instance's last word on them).
    void loadReportNames();
    // Set once the user has been told that the settings cannot be saved.
    bool saveFailureShown = false;
    // Why the last save failed, in the system's words; empty after one that worked.
    QString lastSaveError;

    // The device the port name "COMn" is mapped to in section [COM], or empty.
    std::string mappedPortDevice(const std::string& comName) const;

private:
    struct Entry {
        const char* section;
        const char* key;
        std::string text;  // as written to the file
        bool written;      // false: not written while unknown or not given
    };
    std::vector<Entry> entries() const;
    // Takes the file's text of each entry (keyOnly: of that key only) as the
    // one this copy last saw; a key missing there counts as its default.
    void noteFileTexts(const char* keyOnly = nullptr);

    // Section/key -> the file's text when this copy last loaded or saved it.
    std::map<std::string, std::string> fileTexts_;
};

// The longest value the settings file holds for a reader with a 512-byte buffer.
inline constexpr std::size_t kSettingsValueMax = 511;

// text in the local 8-bit encoding, cut after its last whole character
// (grapheme) that ends within maxBytes, so no character is split.
std::string localTextWithin(const QString& text, std::size_t maxBytes = kSettingsValueMax);
// bytes as read from the file (maybe cut inside a character) as whole
// characters within maxBytes, cut like localTextWithin.
std::string wholeLocalCharacters(const std::string& bytes, std::size_t maxBytes = kSettingsValueMax);

// The program's languages by LANGUAGE value: 0 German, 1 English, 2 French.
inline constexpr int kLanguageCount = 3;
constexpr bool isLanguage(int language)
{
    return language >= 0 && language < kLanguageCount;
}
// The index of a language's column in the program's own tables: German for a
// value that names no language.
constexpr std::size_t languageIndex(int language)
{
    return isLanguage(language) ? static_cast<std::size_t>(language) : 0;
}

// dir with exactly one trailing separator ('\' on Windows, '/' elsewhere).
std::string withTrailingSeparator(std::string dir);
bool isPathSeparator(char c);

// The process's current directory as the program directory.
std::string currentProgramDirectory();

// Where TR-GUI.ini is kept: in the program directory when the program may
// write there (a portable installation); otherwise in userDirectory, where the
// program directory's file, an administrator's template, is copied the first
// time. Without a template only the folder is made, for the first save.
std::string settingsFileLocation(const std::string& programDirectory, bool programMayWriteThere,
                                 const std::string& userDirectory);
// True when a file can be created in dir, or the settings file in it can be written.
bool settingsWritableIn(const std::string& programDirectory);
// $XDG_CONFIG_HOME/TR-GUI/ (%APPDATA%\TR-GUI\ on Windows), ending in a separator.
std::string userSettingsDirectory();

} // namespace trgui::core
