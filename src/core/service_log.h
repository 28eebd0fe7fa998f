#pragma once

// The service log: one line for every conversation that changes the device
// (configuration write, zero point, low-flow suppression, the reset and
// measurement commands), kept across sessions so the technician can show
// afterwards what was done. A CSV file like the recording's (fields separated
// by "; ", CR LF), only ever appended to: UTF-8 with a byte-order mark, so that
// every name stays as typed and spreadsheet programs know the encoding; a log
// begun as Windows-1252 by an earlier version goes on in Windows-1252.

#include <QDateTime>
#include <QString>

#include <functional>

namespace trgui::core {

enum class ServiceAction {
    ConfigurationWrite,
    ZeroPoint,
    LowFlowSuppression,
    ResetMaximum,
    ResetMinimum,
    ResetTotaliser,
    ResetError,
    StartMeasurement,
    StopMeasurement,
};
// A configuration write is read back: Verified when the device holds what was
// sent, Differs when it holds something else, NotVerified when it could not be read.
// A write the device did not acknowledge is read back too: it may have been
// stored as sent (the acknowledgement lost), not at all, otherwise, or, when
// the read-back fails as well, nobody knows.
enum class ServiceOutcome {
    Acknowledged, NotAcknowledged, Sent, Verified, Differs, NotVerified,
    StoredUnacknowledged, UnchangedUnacknowledged, DiffersUnacknowledged, StateUnknown,
    NothingToWrite,  // the device already held what was to be written; nothing sent
};

// How details are written: as the log's line has them ("Pipe size 50.0 mm ->
// 62.5 mm"), or for print, where a line may end only between the changes or
// between the words of a field's name: each value with its unit, and the
// arrow between old and new, are held together ("50.0 mm → 62.5 mm" with
// no-break spaces; see unbreakable).
enum class DetailsForm { Line, Print };

// What an action changed, old -> new, in language 0, 1 or 2: kept as values
// and put into words only where it is written, so that a log or a report
// reads in its own language throughout, field names included.
using ServiceDetails = std::function<QString(int language, DetailsForm form)>;
// Details that have no words of any language ("3 -> 5 %"); their print form
// holds the arrow together with the value on each side (a number with the
// unit after it).
ServiceDetails sameInEveryLanguage(const QString& text);

// "old -> new", or for print "old → new" (U+2192) with no-break spaces, each
// value unbreakable.
QString changeText(const QString& before, const QString& after, DetailsForm form);
// text with no place left where a line may break: its spaces no-break
// spaces, a word joiner (U+2060) wherever else a line could end ("m³/h",
// "4-20", and "1,234", which Qt breaks after the comma where it begins a line).
QString unbreakable(const QString& text);

struct ServiceEntry {
    QDateTime at;
    QString port;             // "COM1 (/dev/ttyUSB0)"
    QString model;
    QString softwareVersion;  // as the Settings page shows it
    ServiceAction action = ServiceAction::ConfigurationWrite;
    ServiceDetails details;   // what changed, old -> new: "Rohrgröße 50,0 -> 62,5 | …", "3 -> 5 %"
    ServiceOutcome outcome = ServiceOutcome::Sent;
    QString technician;       // [BERICHT] TECHNIKER
    QString instrumentTag;    // the tag the technician gave
    QString reportNumber;     // of the report made with this entry; empty without one
    QString serialNumber;     // where given apart from the tag
    QString customer;

    QString detailsIn(int language, DetailsForm form = DetailsForm::Line) const
    {
        return details ? details(language, form) : QString();
    }
};

// The name of an action and of an outcome in language 0, 1 or 2.
QString serviceActionText(ServiceAction action, int language);
QString serviceOutcomeText(ServiceOutcome outcome, int language);

// How the lines of a log are written: the language (0 German, 1 English,
// 2 French), whether the technician has a column of their own, whether the
// instrument tag and the report number have theirs (after it), whether
// serial number and customer have theirs (after those), and the encoding.
struct ServiceLogFormat {
    int language = 0;
    bool technicianColumn = true;
    bool identityColumns = true;
    bool partyColumns = true;
    bool utf8 = true;  // false: Windows-1252, as logs were begun before
};

// The format of the log at path, as its header shows it. A file that is new
// or empty takes language, every column and UTF-8; one whose header is none
// of ours takes language and keeps its columns and its encoding (UTF-8 when
// it begins with a byte-order mark, else Windows-1252). Lines follow
// the header's language rather than a header of no language, so that
// whoever opens the file in a spreadsheet reads one language throughout.
// The technician, the tag and the report number have columns of their own
// to sort and filter by, but only in files begun with them: an older file
// keeps its columns (a column more in later lines breaks a spreadsheet's
// import) and has them in the details.
ServiceLogFormat serviceLogFormat(const QString& path, int language);

// The line of an entry (without line end) and the header of a new log (with
// the byte-order mark of a UTF-8 log). A field that holds a ";", a quote or a
// line break is quoted as CSV quotes it ("FT;101" as ;"FT;101", quotes
// doubled), right after the ";" so that spreadsheets see the quote; every
// other field follows "; " as ever.
QByteArray serviceLine(const ServiceEntry& entry, const ServiceLogFormat& format);
QByteArray serviceHeader(const ServiceLogFormat& format);
// Whether the line of entry can be written in format's encoding as it is.
bool serviceLogHolds(const ServiceEntry& entry, const ServiceLogFormat& format);

// Entries that could not be written: how many, since when (the first one's
// time) and why the last one was not.
struct ServiceLogGap {
    int entries = 0;
    QDateTime since;
    QString reason;
};
// The line that tells a gap in the log, written at: "entries lost" with how
// many since when and why, in the columns of an entry.
QByteArray serviceGapLine(const ServiceLogGap& gap, const QDateTime& at, const ServiceLogFormat& format);

// The log in the user's data folder: $XDG_DATA_HOME/TR-GUI/service-log.csv
// (~/.local/share/… when unset), %APPDATA%\TR-GUI\service-log.csv on Windows.
QString serviceLogPath();

// Appends one entry in one write, flushed before it returns: after the
// header when the file is new (in language), after the gap's line when
// entries were lost before it. False when it could not be written; why then
// holds the system's reason. Never rewrites or shortens what is there.
// A Windows-1252 log that cannot hold the entry's characters (a name outside
// Western European letters) is renamed, whole, to "<name>-until-<date-time>.csv"
// beside it, and the entry begins a UTF-8 log at path, whose first line names
// that file.
bool appendServiceEntry(const QString& path, const ServiceEntry& entry, int language, QString* why = nullptr,
                        const ServiceLogGap& gap = {});

// The log this program writes to. Entries that cannot be written are
// counted (for the program's run, not in the file); the first entry written
// again comes after a line that says how many were lost, since when and why.
class ServiceLog {
public:
    const QString& path() const { return path_; }
    // Another file starts without a gap.
    void setPath(const QString& path);
    bool append(const ServiceEntry& entry, int language);
    // The entries lost since the last one written; none while all are written.
    const ServiceLogGap& gap() const { return gap_; }

private:
    QString path_;
    ServiceLogGap gap_;
};

} // namespace trgui::core
