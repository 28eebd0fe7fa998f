#pragma once

// The chart's samples as its CSV file holds them, free of any window:
// Windows-1252 text, fields separated by "; ", a decimal comma, CR LF after
// each line. The first line names the columns, then one line per sample:
// its number and each channel's value there.

#include <QByteArray>
#include <QString>
#include <QVector>

#include <vector>

namespace trgui::scope {

struct CsvChannel {
    QString name;
    // The label of the axis the channel is drawn on and which axis that is:
    // the label heads the column when no other channel shares the axis.
    QString axisLabel;
    int axis = 0;
    const QVector<double>* values = nullptr;
};

// The whole file: sampleHeading over the sample numbers, then the channels
// in order. A channel with fewer samples leaves its later fields empty.
QByteArray chartCsv(const QString& sampleHeading, const std::vector<CsvChannel>& channels);

// A value as the file holds it: up to seven significant digits, plain digits
// (no exponent) with a decimal comma, "----" for a value that is no number.
QByteArray csvNumber(double value);

} // namespace trgui::scope
