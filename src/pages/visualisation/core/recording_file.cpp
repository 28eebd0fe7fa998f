#include "pages/visualisation/core/recording_file.h"

#include "core/plain_numbers.h"

#include "platform/platform.h"

#include <limits>

namespace trgui::pages::visualisation {

namespace {

// Columns of a row: date, time, velocity now/min/max, volume flow now/min/max,
// temperature now/min/max, totaliser, low-flow suppression, four contacts, last error.
constexpr int kFlowColumn = 5;
constexpr int kTemperatureColumn = 8;
constexpr int kColumns = 17;

QList<QByteArray> fieldsOf(QByteArray line)
{
    if (line.endsWith('\r'))
        line.chop(1);
    QList<QByteArray> fields = line.split(';');
    for (auto& f : fields)
        f = f.trimmed();
    return fields;
}

bool isHeader(const QList<QByteArray>& fields)
{
    return !fields.isEmpty() && (fields[0] == "Datum" || fields[0] == "Date");
}

float valueOf(QByteArray text)
{
    text.replace(',', '.');
    if (const auto v = core::parseFloat(std::string_view(text.constData(), static_cast<std::size_t>(text.size()))))
        return *v;
    return std::numeric_limits<float>::quiet_NaN();
}

// "Temperatur Akt [°C]" -> "°C"
QString unitOf(const QByteArray& heading)
{
    const qsizetype open = heading.lastIndexOf('[');
    const qsizetype close = heading.lastIndexOf(']');
    if (open < 0 || close <= open)
        return {};
    return platform::fromWindows1252(heading.mid(open + 1, close - open - 1));
}

} // namespace

std::optional<RecordedSeries> readRecording(const QByteArray& bytes, NotARecording* why)
{
    const auto refuse = [why](NotARecording reason) -> std::optional<RecordedSeries> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    const auto decode = [](const QByteArray& bytes) { return platform::fromWindows1252(bytes); };
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.size() < 2 || !isHeader(fieldsOf(lines[1])) || fieldsOf(lines[1]).size() < kColumns)
        return refuse(NotARecording::NoHeader);

    RecordedSeries series;
    series.model = decode(fieldsOf(lines[0]).value(0));
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = fieldsOf(lines[i]);
        if (fields.size() == 1 && fields[0].isEmpty())
            continue;  // the end of the file
        if (isHeader(fields)) {
            if (fields.size() >= kColumns) {
                series.temperatureUnit = unitOf(fields[kTemperatureColumn]);
                series.flowUnit = unitOf(fields[kFlowColumn]);
            }
            continue;
        }
        if (fields.size() == 3)
            continue;  // another model answered from here on; its header follows
        if (fields.size() < kColumns)
            return refuse(NotARecording::ShortRow);
        series.times << decode(fields[0] + ' ' + fields[1]);
        series.temperature.push_back(valueOf(fields[kTemperatureColumn]));
        series.flow.push_back(valueOf(fields[kFlowColumn]));
    }
    if (series.times.isEmpty())
        return refuse(NotARecording::NoRows);
    return series;
}

std::optional<QString> droppedRecording(const QList<QUrl>& urls)
{
    if (urls.size() != 1 || !urls.front().isLocalFile())
        return std::nullopt;
    const QString path = urls.front().toLocalFile();
    if (!path.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive))
        return std::nullopt;
    return path;
}

} // namespace trgui::pages::visualisation
