#pragma once

// The command line of tr-gui-cli: which command, on which port, in which
// language, and the command's own options. Parsing is window-free and
// touches nothing; what it finds wrong is a usage error.

#include <QString>
#include <QStringList>

#include <optional>

namespace trgui::cli {

// What the program's exit status says; documented in the manual page.
enum ExitCode : int {
    Success = 0,
    UsageError = 2,
    PortNotOpened = 3,     // the port cannot be opened (the reason is told)
    NoDeviceAnswers = 4,
    Refused = 5,           // another family, a check failed, not confirmed
    NotAcknowledged = 6,
    VerifyMismatch = 7,    // the device holds other values than were written
    FileError = 8,
    NotVerified = 9,       // acknowledged, but the block could not be read back
    RecordNotKept = 10,    // the device was written, but its log line or report could not be written
    Interrupted = 11,      // SIGINT, SIGTERM or SIGHUP; what was written is whole
};

enum class Command { Ports, Identify, Values, Record, ReadConfig, WriteConfig, Commission, Report };
enum class Format { Csv, Json };

struct Options {
    Command command = Command::Identify;
    std::optional<int> port;       // --port N: COM<N> as the settings file maps it
    QString device;                // --device PATH instead
    std::optional<int> language;   // --language de|en|fr as 0, 1, 2
    QString trace;                 // --trace FILE
    QString settingsFile;          // --settings FILE instead of the program's TR-GUI.ini
    bool quiet = false;            // --quiet: no messages but errors
    int count = 1;                 // values --count
    std::optional<int> interval;   // values/record --interval, whole seconds
    Format format = Format::Csv;   // values --format
    int seconds = 0;               // record --seconds
    QString file;                  // the command's FILE or PDF
    bool yes = false;              // write-config --yes
    QString report;                // write-config --report PDF
    bool force = false;            // --force: a report may replace an existing file
    // Who and what the report and the log name; the settings' values where not given.
    std::optional<QString> tag;         // --tag
    std::optional<QString> serialNumber;  // --serial
    std::optional<QString> technician;  // --technician
    std::optional<QString> site;        // --site
    std::optional<QString> customer;    // --customer
};

struct ParsedLine {
    std::optional<Options> options;  // none: error, help or version
    QString error;                   // a usage error, in English (the language is not known yet)
    bool help = false;
    bool version = false;
};

// arguments without the program name.
ParsedLine parseCommandLine(const QStringList& arguments);
QString usageText();

} // namespace trgui::cli
