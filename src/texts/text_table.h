#pragma once

// The language text files: labels (captions), help (tooltips), numbered
// messages, and the device error texts and their help. Files are Windows-1252
// with CR LF and are read as bytes with a line buffer of 512 bytes: one line
// holds at most 511 bytes, a longer one is split.

#include "texts/text_page.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace trgui::texts {

inline constexpr std::size_t kLineBuffer = 512;
inline constexpr std::size_t kHelpLimit = 512;
inline constexpr std::size_t kErrorHelpLimit = 2560;
inline constexpr std::size_t kMessageTextLimit = 1536;
inline constexpr int kMessageCount = 100;
inline constexpr int kErrorEntries = 20;

inline constexpr const char* kCannotOpenText = "Kann File nicht öffnen!";
inline constexpr const char* kCannotOpenCaption = "Error";

// File stems of the pages.
namespace stem {
inline constexpr const char* OperationLabels = "Betrieb_labels_";
inline constexpr const char* OperationHelp = "Betrieb_hilfe_";
inline constexpr const char* OperationErrorTexts = "Betrieb_Fehlertext_";
inline constexpr const char* OperationErrorHelp = "Betrieb_Fehlerhilfe_";
inline constexpr const char* SettingsLabels = "Einstellungen_labels_";
inline constexpr const char* SettingsHelp = "Einstellungen_hilfe_";
inline constexpr const char* ConfigurationLabels = "Konfigurieren_labels_";
inline constexpr const char* ConfigurationHelp = "Konfigurieren_hilfe_";
inline constexpr const char* VisualisationLabels = "Grafik_labels_";
inline constexpr const char* VisualisationHelp = "Grafik_hilfe_";
inline constexpr const char* Messages = "Messages_";
} // namespace stem

// "de", "en", "fr" for the language index 0, 1, 2; nothing for any other.
std::optional<std::string> languageSuffix(int language);
// stem + suffix + ".txt", or nothing when the language has no files.
std::optional<std::string> textFileName(const char* stem, int language);

// Windows-1252 bytes to text and back.
QString fromWindows1252(const QByteArray& bytes);
QByteArray toWindows1252(const QString& text);

// The device error codes in the order of the error text and help entries.
inline constexpr std::array<int, 14> ErrorCodeList{0, 255, 1, 2, 3, 4, 5, 10, 20, 21, 30, 40, 41, 60};
std::optional<int> errorIndex(int errorCode);

// Splits file bytes into lines as a 512-byte line buffer reads them: each
// line keeps its line end; a line longer than 511 bytes is split.
std::vector<QByteArray> splitLines(const QByteArray& bytes);

struct MessageTable {
    // entries[n-1] holds message n: caption (line 0) and four body lines.
    std::array<std::array<QByteArray, 5>, kMessageCount> entries{};

    const std::array<QByteArray, 5>* entry(int number) const;
    QString caption(int number) const;
    // Body lines each followed by one CR, cut to 1536 bytes.
    QByteArray rawText(int number) const;
};

struct ErrorTables {
    std::array<QByteArray, kErrorEntries> texts{};
    std::array<QByteArray, kErrorEntries> help{};
};

// Each reads programDirectory + fileName; a file that cannot be opened shows
// "Kann File nicht öffnen!" / "Error" once and changes nothing.
void applyLabels(TextPage& page, const std::string& programDirectory, const std::string& fileName);
void applyHelp(TextPage& page, const std::string& programDirectory, const std::string& fileName);
void loadMessages(TextPage& page, MessageTable& table, const std::string& programDirectory,
                  const std::string& fileName);
void loadErrorTexts(TextPage& page, ErrorTables& tables, const std::string& programDirectory,
                    const std::string& fileName);
void loadErrorHelp(TextPage& page, ErrorTables& tables, const std::string& programDirectory,
                   const std::string& fileName);

// The body of message n as a box shows it: lines 1 to 4, one per line.
QString messageBoxText(const MessageTable& table, int number);

// Message n as a modal box: caption line 0, text lines 1 to 4.
void showMessage(TextPage& page, const MessageTable& table, int number);

// The grey-or-hide rule: the control is shown and enabled; if unavailable it
// is then disabled (greyOut 1) or hidden (any other value).
void setAvailable(TextPage& page, int id, bool unavailable, int greyOut);

// Tooltip text of a help entry as a control shows it (CR LF -> LF).
QString toolTipText(const QByteArray& helpEntry);

} // namespace trgui::texts
