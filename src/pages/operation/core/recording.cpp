#include "pages/operation/core/recording.h"

#include "core/plain_numbers.h"
#include "core/settings_record.h"
#include "platform/platform.h"
#include "texts/catalogue.h"
#include "texts/text_table.h"

#include <QFile>

#include <cmath>

namespace trgui::pages::operation {

namespace {

const QByteArray kLineEnd("\r\n");

using texts::Text;

// The header in pieces; the units go between consecutive pieces, in order
// Uv Uv Uv Uq Uq Uq Ut Ut Ut Us.
constexpr Text kHeaderPieces[] = {
    Text::RecordingHeaderStart, Text::RecordingHeaderVelocityMin, Text::RecordingHeaderVelocityMax,
    Text::RecordingHeaderFlow, Text::RecordingHeaderFlowMin, Text::RecordingHeaderFlowMax,
    Text::RecordingHeaderTemperature, Text::RecordingHeaderTemperatureMin, Text::RecordingHeaderTemperatureMax,
    Text::RecordingHeaderTotaliser, Text::RecordingHeaderEnd,
};

// The first two fields of a row.
QByteArray dateAndTime(const QDateTime& at)
{
    return at.toString(QStringLiteral("yyyy.MM.dd")).toLatin1() + "; " + at.toString(QStringLiteral("HH:mm:ss")).toLatin1();
}

QByteArray bit(bool set)
{
    return set ? "1" : "0";
}

} // namespace

QString formatValue(float value)
{
    if (!std::isfinite(value))
        return QStringLiteral("----");
    const double x = value;
    const int precision = x < 10 ? 3 : x < 100 ? 2 : x < 100000 ? 1 : 0;
    return QString::fromStdString(core::fixedText(x, precision, 5));
}

QByteArray csvNumber(float value)
{
    QByteArray text;
    for (char c : formatValue(value).toLatin1()) {
        if (static_cast<unsigned char>(c) < 0x20)
            continue;
        text.append(c == '.' ? ',' : c);
    }
    return text;
}

QString measuredText(float value, int language)
{
    QString text = formatValue(value).trimmed();
    if (core::languageIndex(language) != 1)
        text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

std::string withCsvExtension(const std::string& chosen)
{
    const std::size_t n = chosen.size();
    if (n > 5 && chosen.compare(n - 4, 4, ".csv") != 0 && chosen[n - 4] != '.')
        return chosen + ".csv";
    return chosen;
}

QByteArray headerLine(int language, const core::MeasurementRecord& r)
{
    if (language < 0 || language > 2)
        return {};
    const QString units[] = {r.velocityUnit, r.velocityUnit, r.velocityUnit, r.volumeFlowUnit, r.volumeFlowUnit,
                             r.volumeFlowUnit, r.temperatureUnit, r.temperatureUnit, r.temperatureUnit,
                             r.totaliserUnit};
    static_assert(std::size(kHeaderPieces) == std::size(units) + 1);
    QString line = texts::text(kHeaderPieces[0], language);
    for (std::size_t i = 0; i < std::size(units); ++i)
        line += units[i] + texts::text(kHeaderPieces[i + 1], language);
    return texts::toWindows1252(line);
}

QByteArray dataRow(const core::MeasurementRecord& r, const QByteArray& lastErrorText, const QDateTime& at)
{
    QByteArray row = dateAndTime(at);
    for (float v : {r.velocity, r.velocityMin, r.velocityMax, r.volumeFlow, r.volumeFlowMin, r.volumeFlowMax,
                    r.temperature, r.temperatureMin, r.temperatureMax, r.totaliser})
        row += "; " + csvNumber(v);
    row += "; " + QByteArray::number(r.lowFlowSuppression);
    row += "; " + bit(r.contactBits & 0x01);
    row += "; " + bit(r.contactBits & 0x02);
    row += "; " + bit(r.contactBits & 0x04);
    row += "; " + bit(!(r.contactBits & 0x08));
    row += "; " + lastErrorText;
    return row;
}

void CsvRecording::reset()
{
    recording_ = false;
    headerPending_ = false;
    path_.clear();
    modelLine_.clear();
    changedModel_.clear();
}

void CsvRecording::modelChanged(const QString& modelName)
{
    if (!recording_)
        return;
    changedModel_ = texts::toWindows1252(modelName);
    modelLine_ = changedModel_ + kLineEnd;  // line 1 of a file begun again
    headerPending_ = true;
}

bool CsvRecording::start(const std::string& path, const QString& modelName)
{
    path_ = path;
    changedModel_.clear();
    modelLine_ = texts::toWindows1252(modelName) + kLineEnd;
    QFile file(QString::fromLocal8Bit(path.c_str()));
    // Unbuffered, so a full disk shows in the write itself and nothing is left
    // in a buffer for a later flush.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
        return false;
    if (!platform::writeWhole(file, modelLine_)) {
        lastError_ = file.errorString();
        return false;
    }
    file.close();
    recording_ = true;
    headerPending_ = true;
    return true;
}

bool CsvRecording::appendRow(int language, const core::MeasurementRecord& record, const QByteArray& lastErrorText,
                             const QDateTime& at)
{
    QFile file(QString::fromLocal8Bit(path_.c_str()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        lastError_ = file.errorString();
        return false;
    }
    const qint64 sizeBefore = file.size();
    // A file deleted or emptied by another program gets its first lines again,
    // so it still says what it holds.
    const bool startAgain = sizeBefore == 0;
    QByteArray out;
    if (startAgain) {
        out += modelLine_;
    } else if (!changedModel_.isEmpty()) {
        out += dateAndTime(at) + "; " + changedModel_ + kLineEnd;
    }
    if (headerPending_ || startAgain)
        out += headerLine(language, record) + kLineEnd;
    out += dataRow(record, lastErrorText, at) + kLineEnd;
    // Everything goes out in one write; a part of it that reached the disk is
    // cut off again, so the next row starts on a line of its own.
    if (!platform::writeWhole(file, out)) {
        lastError_ = file.errorString();
        file.resize(sizeBefore);
        return false;
    }
    headerPending_ = false;
    changedModel_.clear();
    return true;
}

} // namespace trgui::pages::operation
