#pragma once

// What the command line tells on stderr, in German, English or French. Data
// on stdout never depends on the language except where a file format does
// (the recording's header).

#include <QString>

namespace trgui::cli {

enum class Say {
    NoDevice,            // %1 the port
    NotARead,            // %1 the port
    Written,             // %1 the file
    CannotWrite,         // %1 the file, %2 why
    CannotRead,          // %1 the file, %2 why
    NotOurs,             // %1 the file
    OtherFamily,         // %1 the file's model, %2 the device's
    CheckFailed,         // %1 the file
    NothingToWrite,
    Changes,             // heading of the list of changes
    Ask,                 // the question on a terminal
    NotConfirmed,        // no terminal and no --yes
    Declined,
    NotAcknowledged,
    Verified,
    Differs,             // heading; the fields follow
    NotVerified,
    Recording,           // %1 rows, %2 seconds so far, %3 of seconds
    RowsLost,            // %1 rows, %2 why
    Interrupted,
    ReportWritten,       // %1 the file
    LogNotWritten,       // %1 the log, %2 why
    OtherVariant,        // %1 the file's model, %2 the device's
    ReportExists,        // %1 the file
    RecordNotKept,       // after a write whose log line or report failed
    WriteInterrupted,    // %1 the signal
    LogInterrupted,      // in the log line's details; %1 the signal
    CannotMake,          // %1 an output file, %2 why; before anything is sent
};

QString say(Say what, int language);

} // namespace trgui::cli
