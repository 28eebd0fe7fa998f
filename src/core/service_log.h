#pragma once

// The service log: one line for every conversation that changes the device
// (configuration write, zero point, low-flow suppression, the reset and
// measurement commands), kept across sessions so the technician can show
// afterwards what was done. A CSV file like the recording's (Windows-1252,
// fields separated by "; ", CR LF), only ever appended to.

#include <QDateTime>
#include <QString>

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
enum class ServiceOutcome { Acknowledged, NotAcknowledged, Sent, Verified, Differs, NotVerified };

struct ServiceEntry {
    QDateTime at;
    QString port;             // "COM1 (/dev/ttyUSB0)"
    QString model;
    QString softwareVersion;  // as the Settings page shows it
    ServiceAction action = ServiceAction::ConfigurationWrite;
    QString details;          // e.g. the fields a write changed: "Rohrgröße 50.0 -> 62.5 | …"
    ServiceOutcome outcome = ServiceOutcome::Sent;
};

// The name of an action and of an outcome in language 0, 1 or 2.
QString serviceActionText(ServiceAction action, int language);
QString serviceOutcomeText(ServiceOutcome outcome, int language);

// The line of an entry (without line end) and the header of a new log, in
// language 0 German, 1 English, 2 French. A "; " or a line break inside a
// field would split it; they become ", " and " ".
QByteArray serviceLine(const ServiceEntry& entry, int language);
QByteArray serviceHeader(int language);

// The log in the user's data folder: $XDG_DATA_HOME/TR-GUI/service-log.csv
// (~/.local/share/… when unset; %APPDATA% on Windows).
QString serviceLogPath();

// Appends one entry (and the header when the file is new) in one write,
// flushed before it returns. False when it could not be written; why then
// holds the system's reason. Never rewrites or shortens what is there.
bool appendServiceEntry(const QString& path, const ServiceEntry& entry, int language, QString* why = nullptr);

} // namespace trgui::core
