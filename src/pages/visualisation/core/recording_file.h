#pragma once

// Reading a recording of the Operation page back for the chart: its time
// stamps, temperatures and volume flows with their units.

#include <QByteArray>
#include <QString>
#include <QList>
#include <QStringList>
#include <QUrl>

#include <optional>

#include <vector>

namespace trgui::pages::visualisation {

struct RecordedSeries {
    QString model;            // line 1
    QStringList times;        // "yyyy.MM.dd HH:mm:ss" of each row
    std::vector<float> temperature;  // NaN where the file holds "----" or nothing readable
    std::vector<float> flow;
    QString temperatureUnit;  // of the last header in the file
    QString flowUnit;
};

// The rows of a recording file (Windows-1252, fields separated by "; ",
// decimal comma): line 1 the model, then headers and rows. A row that names
// another model and the header that follows it are taken in their stride.
// Returns nothing when the bytes are no recording; why then says what is wrong.
enum class NotARecording { NoHeader, ShortRow, NoRows };
std::optional<RecordedSeries> readRecording(const QByteArray& bytes, NotARecording* why = nullptr);

// The file a drop on the chart brings, when it is one local file named *.csv
// (in any case), as a recording is; nothing for anything else.
std::optional<QString> droppedRecording(const QList<QUrl>& urls);

} // namespace trgui::pages::visualisation
