#include "scope/chart_csv.h"

#include "platform/platform.h"

#include <algorithm>
#include <cmath>

namespace trgui::scope {

QByteArray csvNumber(double value)
{
    if (!std::isfinite(value))
        return "----";
    const int magnitude = value == 0 ? 0 : static_cast<int>(std::floor(std::log10(std::abs(value))));
    QByteArray text = QByteArray::number(value, 'f', std::clamp(6 - magnitude, 0, 15));
    if (text.contains('.')) {
        while (text.endsWith('0'))
            text.chop(1);
        if (text.endsWith('.'))
            text.chop(1);
    }
    if (text == "-0")
        text = "0";
    text.replace('.', ',');
    return text;
}

QByteArray chartCsv(const QString& sampleHeading, const std::vector<CsvChannel>& channels)
{
    const auto encode = [](const QString& text) { return platform::toWindows1252(text); };
    QByteArray out = encode(sampleHeading);
    qsizetype rows = 0;
    for (const CsvChannel& channel : channels) {
        const auto sharing = std::count_if(channels.begin(), channels.end(),
                                           [&](const CsvChannel& other) { return other.axis == channel.axis; });
        const QString& heading = sharing == 1 && !channel.axisLabel.isEmpty() ? channel.axisLabel : channel.name;
        out += "; " + encode(heading);
        rows = std::max(rows, channel.values->size());
    }
    out += "\r\n";
    for (qsizetype row = 0; row < rows; ++row) {
        out += QByteArray::number(row);
        for (const CsvChannel& channel : channels) {
            out += "; ";
            if (row < channel.values->size())
                out += csvNumber((*channel.values)[row]);
        }
        out += "\r\n";
    }
    return out;
}

} // namespace trgui::scope
