#pragma once

// Window-free part of the Operation page: the value format of the display and
// the CSV recording file (Windows-1252, CR LF, fields separated by "; ").

#include "core/measurement_record.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <string>

namespace trgui::pages::operation {

// Text of a measured value. The format is chosen by the value before rounding:
// below 10 "%5.3f", below 100 "%5.2f", below 100000 "%5.1f", else "%5.0f".
// A NaN or an infinity from the device shows as "----".
QString formatValue(float value);

// Number text of the CSV file: the screen text with a decimal comma.
QByteArray csvNumber(float value);

// A measured value as a record in language 0, 1 or 2 states it: the screen's
// digits without its leading blanks, with a decimal comma in German and
// French ("9,000", "123,4") and a point in English.
QString measuredText(float value, int language);

// The chosen file name with ".csv" appended unless it already ends in ".csv"
// or in another three-letter extension.
std::string withCsvExtension(const std::string& chosen);

// The header line of a recording, in the language of the recording (0, 1, 2),
// with the unit texts of the first row, without the line end.
QByteArray headerLine(int language, const core::MeasurementRecord& record);

// One data row without the line end.
QByteArray dataRow(const core::MeasurementRecord& record, const QByteArray& lastErrorText, const QDateTime& at);

// The recording file: created with the model name as line 1, then one row per
// delivered poll, the header written together with the first row. The file is
// opened and closed for every row so it is complete on disk after each poll.
class CsvRecording {
public:
    // Creates (or truncates) path and writes line 1, the model name. Returns
    // false when the file cannot be created or line 1 cannot be written;
    // recording does not start then.
    bool start(const std::string& path, const QString& modelName);
    void stop() { recording_ = false; }
    // Another model answers now: the next row is preceded by a row with its
    // date, time and the new model name, and by the header with the units
    // the new model sends. Line 1 keeps the model the recording began with
    // (unless the file has to be begun again).
    void modelChanged(const QString& modelName);

    // Appends one row (and the pending header; line 1 and the header again
    // when the file has gone or is empty). Returns false when the file cannot
    // be opened or written; the row is lost, the file keeps its size before
    // the row, and recording goes on.
    bool appendRow(int language, const core::MeasurementRecord& record, const QByteArray& lastErrorText,
                   const QDateTime& at);

    bool recording() const { return recording_; }
    bool headerPending() const { return headerPending_; }
    // The system's text of why the last row could not be written.
    const QString& lastError() const { return lastError_; }
    const std::string& path() const { return path_; }
    void reset();

private:
    bool recording_ = false;
    bool headerPending_ = false;
    std::string path_;
    QByteArray modelLine_;
    QByteArray changedModel_;  // the model to tell at the next row, in Windows-1252
    QString lastError_;
};

} // namespace trgui::pages::operation
