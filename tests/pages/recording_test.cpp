#include "pages/operation/core/recording.h"
#include "pages/visualisation/core/recording_file.h"
#include "support/files.h"
#include "texts/text_table.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <utility>

using namespace trgui::pages::operation;
using trgui::core::MeasurementRecord;

TEST(FormatValue, formatIsChosenBeforeRounding)
{
    EXPECT_EQ(formatValue(1.5f), "1.500");
    EXPECT_EQ(formatValue(9.9999f), "10.000");
    EXPECT_EQ(formatValue(12.345f), "12.35");
    EXPECT_EQ(formatValue(99.999f), "100.00");
    EXPECT_EQ(formatValue(123.44f), "123.4");
    EXPECT_EQ(formatValue(-0.5f), "-0.500");
    EXPECT_EQ(formatValue(-1234.5f), "-1234.500") << "negative values take the small format";
    EXPECT_EQ(formatValue(100000.0f), "100000");
    EXPECT_EQ(formatValue(100000.4f), "100000");
    EXPECT_EQ(formatValue(0.0f), "0.000");
    EXPECT_EQ(formatValue(std::numeric_limits<float>::quiet_NaN()), "----");
    EXPECT_EQ(formatValue(std::numeric_limits<float>::infinity()), "----");
    EXPECT_EQ(formatValue(-std::numeric_limits<float>::infinity()), "----");
}

TEST(CsvNumber, usesDecimalCommas)
{
    EXPECT_EQ(csvNumber(12.345f), "12,35");
    EXPECT_EQ(csvNumber(250.5f), "250,5");
    EXPECT_EQ(csvNumber(-0.5f), "-0,500");
    EXPECT_EQ(csvNumber(std::numeric_limits<float>::infinity()), "----");
}

TEST(CsvExtension, appendedUnlessAThreeLetterExtensionIsThere)
{
    EXPECT_EQ(withCsvExtension("/data/run1"), "/data/run1.csv");
    EXPECT_EQ(withCsvExtension("/data/run1.CSV"), "/data/run1.CSV");
    EXPECT_EQ(withCsvExtension("/data/run1.txt"), "/data/run1.txt");
    EXPECT_EQ(withCsvExtension("/data/run1.c"), "/data/run1.c.csv");
    EXPECT_EQ(withCsvExtension("/data/run1.csv"), "/data/run1.csv");
    EXPECT_EQ(withCsvExtension("a.b"), "a.b") << "five characters or fewer stay as they are";
}

namespace {
MeasurementRecord sampleRecord()
{
    MeasurementRecord r;
    r.velocity = 12.345f;
    r.velocityMin = 1.5f;
    r.velocityMax = 99.999f;
    r.volumeFlow = 123.44f;
    r.volumeFlowMin = 100.0f;
    r.volumeFlowMax = 150.0f;
    r.temperature = 23.0f;
    r.temperatureMin = -0.5f;
    r.temperatureMax = 100000.0f;
    r.totaliser = 250.5f;
    r.velocityUnit = QStringLiteral("m/s");
    r.volumeFlowUnit = QString::fromUtf8("m³/h");
    r.temperatureUnit = QString::fromUtf8("°C");
    r.totaliserUnit = QStringLiteral("l");
    r.lowFlowSuppression = 7;
    r.contactBits = 0x08;
    return r;
}
} // namespace

TEST(CsvHeader, perLanguageWithUnitsInWindows1252)
{
    const auto r = sampleRecord();
    const QByteArray en = headerLine(1, r);
    EXPECT_TRUE(en.startsWith("Date; Time; actual flow velocity [m/s]; min flow velocity [m/s]; "));
    EXPECT_TRUE(en.contains("; actual volume flow [m\xB3/h]; "));
    EXPECT_TRUE(en.contains("; actual temperature [\xB0" "C]; "));
    EXPECT_TRUE(en.endsWith("; totalisator [l]; low flow suppression [%]; LS1 ; LS2 ; availability ; error ; last error; "));

    const QByteArray de = headerLine(0, r);
    EXPECT_TRUE(de.startsWith("Datum; Uhrzeit; Str\xF6mung Akt [m/s]; "));
    EXPECT_TRUE(de.endsWith("]; Schleichmenge [%]; GK1 ; GK2 ; Betrieb ; Fehler ; letzter Fehler; "));

    const QByteArray fr = headerLine(2, r);
    EXPECT_TRUE(fr.startsWith("Date; Heure; Vitesse d'\xE9" "coulement actuelle [m/s]; "));
    EXPECT_TRUE(fr.endsWith("; Service ; D\xE9" "faut ; Dernier d\xE9" "faut; "));
    EXPECT_TRUE(headerLine(3, r).isEmpty());
}

TEST(CsvRow, fieldsAndContacts)
{
    auto r = sampleRecord();
    const QDateTime at(QDate(2026, 12, 6), QTime(9, 5, 7));
    EXPECT_EQ(dataRow(r, "Kein Fehler", at),
              "2026.12.06; 09:05:07; 12,35; 1,500; 100,00; 123,4; 100,0; 150,0; 23,00; -0,500; 100000; 250,5; 7; "
              "0; 0; 0; 0; Kein Fehler");
    r.contactBits = 0x00;
    EXPECT_TRUE(dataRow(r, "", at).endsWith("; 0; 0; 0; 1; "));
    r.contactBits = 0x07;
    EXPECT_TRUE(dataRow(r, "x", at).endsWith("; 1; 1; 1; 1; x"));
}

TEST(CsvRecording, fileHoldsModelHeaderAndRowsWithCrLf)
{
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/run1.csv").toStdString();
    CsvRecording recording;
    ASSERT_TRUE(recording.start(path, QStringLiteral("KM210-DR-E1S2H1")));
    EXPECT_TRUE(recording.recording());
    const QDateTime at(QDate(2026, 12, 6), QTime(10, 0, 0));
    ASSERT_TRUE(recording.appendRow(1, sampleRecord(), "No error", at));
    auto later = sampleRecord();
    later.velocityUnit = QStringLiteral("fps");  // a unit change does not repeat the header
    ASSERT_TRUE(recording.appendRow(0, later, "No error", at));

    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 5);  // three lines, each with CR LF, and the empty rest
    EXPECT_EQ(lines[0], "KM210-DR-E1S2H1\r");
    EXPECT_EQ(lines[1], headerLine(1, sampleRecord()) + "\r");
    EXPECT_EQ(lines[2], dataRow(sampleRecord(), "No error", at) + "\r");
    EXPECT_EQ(lines[3], dataRow(later, "No error", at) + "\r");
    EXPECT_EQ(lines[4], "");
}

namespace {
const auto contents = trgui::testing::fileContents;
} // namespace

TEST(CsvRecording, unwritableFileLosesTheRowAndRecordingGoesOn)
{
    QTemporaryDir dir;
    const QString name = dir.path() + "/run2.csv";
    CsvRecording recording;
    ASSERT_TRUE(recording.start(name.toStdString(), QStringLiteral("----")));
    const QDateTime at(QDate(2026, 12, 6), QTime(10, 0, 0));

    // A directory where the file was: nobody can open it for appending.
    ASSERT_TRUE(QFile::remove(name));
    ASSERT_TRUE(QDir().mkdir(name));
    EXPECT_FALSE(recording.appendRow(0, sampleRecord(), "", at));
    EXPECT_TRUE(recording.recording());
    EXPECT_TRUE(recording.headerPending()) << "the header goes with the next row that is written";

    ASSERT_TRUE(QDir().rmdir(name));
    EXPECT_TRUE(recording.appendRow(0, sampleRecord(), "", at));
    EXPECT_TRUE(contents(name).startsWith("----\r\nDatum; Uhrzeit; "));
    EXPECT_EQ(contents(name).count("\r\n"), 3) << "model, header and the one row written: the lost row stays lost";
}

TEST(CsvRecording, fileDeletedOrEmptiedGetsModelAndHeaderAgain)
{
    const QDateTime at(QDate(2026, 12, 6), QTime(10, 0, 0));
    const auto row = dataRow(sampleRecord(), "", at) + "\r\n";
    const auto header = headerLine(1, sampleRecord()) + "\r\n";
    const std::pair<const char*, std::function<void(const QString&)>> cases[] = {
        {"deleted", [](const QString& name) { QFile::remove(name); }},
        {"emptied", [](const QString& name) { QFile(name).resize(0); }},
    };
    for (const auto& [what, damage] : cases) {
        QTemporaryDir dir;
        const QString name = dir.path() + "/run.csv";
        CsvRecording recording;
        ASSERT_TRUE(recording.start(name.toStdString(), QStringLiteral("KM210-E1H1")));
        ASSERT_TRUE(recording.appendRow(1, sampleRecord(), "", at));
        damage(name);
        ASSERT_TRUE(recording.appendRow(1, sampleRecord(), "", at)) << what;
        EXPECT_EQ(contents(name), "KM210-E1H1\r\n" + header + row) << what;
    }
}

TEST(CsvRecording, lineOneThatCannotBeWrittenDoesNotStart)
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full here";
    CsvRecording recording;
    EXPECT_FALSE(recording.start("/dev/full", QStringLiteral("KM210-E1H1")));
    EXPECT_FALSE(recording.recording());
}

#ifdef __unix__
TEST(CsvRecording, rowThatDoesNotFitIsCutBackAndTheNextRowStartsOnItsOwnLine)
{
    QTemporaryDir dir;
    const QString name = dir.path() + "/run.csv";
    CsvRecording recording;
    ASSERT_TRUE(recording.start(name.toStdString(), QStringLiteral("KM210-E1H1")));
    const QDateTime at(QDate(2026, 12, 6), QTime(10, 0, 0));
    ASSERT_TRUE(recording.appendRow(1, sampleRecord(), "", at));
    const QByteArray before = contents(name);

    // A file size limit plays the full disk: the row is written only in part.
    bool written = true;
    {
        const trgui::testing::FileSizeLimit full(before.size() + 20);
        ASSERT_TRUE(full.active());
        written = recording.appendRow(1, sampleRecord(), "", at);
    }

    EXPECT_FALSE(written);
    EXPECT_EQ(recording.lastError(), QString::fromLocal8Bit(std::strerror(EFBIG))) << "the system's words, not Qt's guess";
    EXPECT_EQ(contents(name), before) << "no torn row is left";
    EXPECT_TRUE(recording.recording());
    ASSERT_TRUE(recording.appendRow(1, sampleRecord(), "", at));
    EXPECT_EQ(contents(name), before + dataRow(sampleRecord(), "", at) + "\r\n");
}
#endif

TEST(CsvRecording, fileThatCannotBeCreatedDoesNotStart)
{
    CsvRecording recording;
    EXPECT_FALSE(recording.start("/nonexistent-dir/run.csv", QStringLiteral("----")));
    EXPECT_FALSE(recording.recording());
    EXPECT_EQ(recording.path(), "/nonexistent-dir/run.csv");
}

TEST(CsvRecording, isReadBackForTheChartAcrossAModelChangeAndRefusedWhenItIsNone)
{
    QTemporaryDir dir;
    const std::string path = (dir.path() + "/run.csv").toStdString();
    CsvRecording recording;
    ASSERT_TRUE(recording.start(path, QString::fromUtf8("KM210-DR-E1S2H1")));
    const QDateTime at(QDate(2026, 12, 6), QTime(10, 0, 0));
    auto r = sampleRecord();
    r.temperature = 21.25f;
    r.volumeFlow = 1234.5f;
    ASSERT_TRUE(recording.appendRow(0, r, "Kein Fehler", at));
    r.temperature = std::numeric_limits<float>::quiet_NaN();
    ASSERT_TRUE(recording.appendRow(0, r, "Kein Fehler", at.addSecs(2)));
    recording.modelChanged(QStringLiteral("KM210-WT-E1N4H1"));
    r.temperature = 70.0f;
    r.temperatureUnit = QString::fromUtf8("°F");
    ASSERT_TRUE(recording.appendRow(0, r, "Kein Fehler", at.addSecs(4)));

    const auto series = trgui::pages::visualisation::readRecording(contents(QString::fromStdString(path)));
    ASSERT_TRUE(series);
    EXPECT_EQ(series->model, "KM210-DR-E1S2H1");
    EXPECT_EQ(series->times, QStringList({"2026.12.06 10:00:00", "2026.12.06 10:00:02", "2026.12.06 10:00:04"}));
    ASSERT_EQ(series->temperature.size(), 3u);
    EXPECT_FLOAT_EQ(series->temperature[0], 21.25f);
    EXPECT_TRUE(std::isnan(series->temperature[1])) << "---- is no value";
    EXPECT_FLOAT_EQ(series->temperature[2], 70.0f);
    EXPECT_FLOAT_EQ(series->flow[0], 1234.5f);
    EXPECT_EQ(series->temperatureUnit, QString::fromUtf8("°F")) << "the units of the last header";

    using trgui::pages::visualisation::NotARecording;
    const std::pair<QByteArray, NotARecording> refused[] = {
        {"", NotARecording::NoHeader},
        {"[Konfiguration]\r\nKM210=1\r\n", NotARecording::NoHeader},
        {contents(QString::fromStdString(path)).left(400), NotARecording::ShortRow},
        {"KM210\r\n" + headerLine(0, sampleRecord()) + "\r\n", NotARecording::NoRows},
    };
    for (const auto& [bytes, reason] : refused) {
        NotARecording why{};
        EXPECT_FALSE(trgui::pages::visualisation::readRecording(bytes, &why)) << bytes.left(40).toStdString();
        EXPECT_EQ(why, reason) << bytes.left(40).toStdString();
    }
}
