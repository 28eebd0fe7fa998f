#include "core/service_log.h"
#include "platform/platform.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTextBoundaryFinder>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

using namespace trgui::core;

namespace {
const auto contents = trgui::testing::fileContents;

ServiceEntry totaliserReset(QTime at)
{
    ServiceEntry e;
    e.at = QDateTime(QDate(2026, 12, 8), at);
    e.port = QStringLiteral("COM1");
    e.model = QStringLiteral("KM210-DR-E1S2H1");
    e.softwareVersion = QStringLiteral(" 1.05");
    e.action = ServiceAction::ResetTotaliser;
    // Put into words as the configuration's details are: a name in each language.
    e.details = [](int language, DetailsForm) {
        const char* names[] = {"Totalisator", "Totaliser", "Totaliseur"};
        return QString::fromUtf8(names[language]) + QString::fromUtf8(" 1234.5 m³ -> 0");
    };
    e.technician = QStringLiteral("A. Muster");
    e.instrumentTag = QStringLiteral("FT-101");
    return e;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Begun before the tag and the report number had columns.
const QByteArray kEnglishHeader("Date; Time; Port; Model; SW version; Action; Changes; Outcome; Technician\r\n");
} // namespace

TEST(ServiceLog, entriesAreAppendedAsOneLineEachAndAFailureLeavesTheLogAsItWas)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TR-GUI/service-log.csv"));  // the folder is made
    ServiceEntry write;
    write.at = QDateTime(QDate(2026, 12, 8), QTime(10, 31, 4));
    write.port = QStringLiteral("COM1 (/dev/ttyUSB0)");
    write.model = QStringLiteral("KM210-DR-E1S2H1");
    write.softwareVersion = QStringLiteral(" 1.05");
    write.action = ServiceAction::ConfigurationWrite;
    write.details = sameInEveryLanguage(QString::fromUtf8("Rohrgröße 50.0 -> 62.5 | Note; with\nbreak"));
    write.outcome = ServiceOutcome::Acknowledged;
    // Names as typed: a separator, quotes, letters beyond Windows-1252.
    write.technician = QString::fromUtf8("Łukasz \"Ł\" Żółć");
    write.instrumentTag = QStringLiteral("FT;101");
    write.reportNumber = QStringLiteral("20261208-103104-FT;101-K7QD2");
    write.serialNumber = QStringLiteral("SN 4711");
    write.customer = QString::fromUtf8("Müller; Söhne");
    ServiceEntry reset = write;
    reset.action = ServiceAction::ResetTotaliser;
    reset.details = {};
    reset.outcome = ServiceOutcome::Sent;
    reset.technician.clear();
    reset.instrumentTag.clear();
    reset.reportNumber.clear();
    reset.serialNumber.clear();
    reset.customer.clear();

    ASSERT_TRUE(appendServiceEntry(path, write, 0));
    ASSERT_TRUE(appendServiceEntry(path, reset, 0));
    EXPECT_EQ(QString::fromUtf8(contents(path)),
              QString::fromUtf8("\uFEFFDatum; Uhrzeit; Port; Modell; SW-Version; Aktion; Änderungen; Ergebnis; "
                                "Techniker; Messstelle / Seriennummer; Bericht-Nr.; Seriennummer; Kunde\r\n"
                                "2026.12.08; 10:31:04; COM1 (/dev/ttyUSB0); KM210-DR-E1S2H1; 1.05; "
                                "Konfiguration schreiben;\"Rohrgröße 50.0 -> 62.5 | Note; with\nbreak\"; "
                                "bestätigt;\"Łukasz \"\"Ł\"\" Żółć\";\"FT;101\";\"20261208-103104-FT;101-K7QD2\"; "
                                "SN 4711;\"Müller; Söhne\"\r\n"
                                "2026.12.08; 10:31:04; COM1 (/dev/ttyUSB0); KM210-DR-E1S2H1; 1.05; "
                                "Reset Totalisator; ; gesendet; ; ; ; ; \r\n"));

    // A log that cannot be written in full (a file size limit plays the full
    // disk, also for root) says why and stays as it was.
    QString why;
    if (trgui::testing::kFullDiskPlayable) {
        const QByteArray before = contents(path);
        bool written = true;
        {
            const trgui::testing::FileSizeLimit full(before.size() + 20);
            ASSERT_TRUE(full.active());
            written = appendServiceEntry(path, write, 0, &why);
        }
        EXPECT_FALSE(written);
        EXPECT_FALSE(why.isEmpty());
        EXPECT_EQ(contents(path), before);
    }
    EXPECT_FALSE(appendServiceEntry(dir.path(), reset, 0, &why)) << "a folder in its place";
    EXPECT_FALSE(why.isEmpty());
}

#ifndef _WIN32  // no file size limit, no SIGXFSZ
TEST(ServiceLog, aWriteBeyondTheFileSizeLimitFailsWithItsReasonAndTheProgramLivesOn)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("service-log.csv"));
    ServiceEntry entry;
    entry.at = QDateTime(QDate(2026, 12, 8), QTime(14, 2, 11));
    ASSERT_TRUE(appendServiceEntry(path, entry, 0));
    const QByteArray before = contents(path);
    // In a child, with the signal as the program finds it at start: without
    // writeOnAtFileSizeLimit() it would end there, leaving half a line.
    EXPECT_EXIT(
        {
            const trgui::testing::FileSizeLimit full(before.size() + 20);
            std::signal(SIGXFSZ, SIG_DFL);
            trgui::platform::writeOnAtFileSizeLimit();
            QString why;
            const bool written = appendServiceEntry(path, entry, 0, &why);
            std::_Exit(!written && full.active() && why == QString::fromLocal8Bit(std::strerror(EFBIG)) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(contents(path), before);
}

#endif

TEST(ServiceLog, linesFollowTheLanguageAndColumnsOfTheFilesHeader)
{
    // The program runs in German throughout.
    const QByteArray entry("2026.12.08; 14:02:11; COM1; KM210-DR-E1S2H1; 1.05; ");
    const struct {
        const char* file;
        QByteArray before;
        QByteArray appended;
    } cases[] = {
        {"new", {},
         "\xEF\xBB\xBF" "Datum; Uhrzeit; Port; Modell; SW-Version; Aktion; \xC3\x84nderungen; Ergebnis; Techniker; "
         "Messstelle / Seriennummer; Bericht-Nr.; Seriennummer; Kunde\r\n"
             + entry + "Reset Totalisator; Totalisator 1234.5 m\xC2\xB3 -> 0; gesendet; A. Muster; FT-101; ; ; \r\n"},
        {"English, UTF-8", "\xEF\xBB\xBF" "Date; Time; Port; Model; SW version; Action; Changes; Outcome; Technician; "
                           "Instrument tag / serial number; Report no.; Serial number; Customer\r\n",
         entry + "Reset totaliser; Totaliser 1234.5 m\xC2\xB3 -> 0; sent; A. Muster; FT-101; ; ; \r\n"},
        {"English, Windows-1252", "Date; Time; Port; Model; SW version; Action; Changes; Outcome; Technician; "
                                  "Instrument tag / serial number; Report no.\r\n",
         entry + "Reset totaliser; Totaliser 1234.5 m\xB3 -> 0; sent; A. Muster; FT-101; \r\n"},
        {"English, begun without the tag's column", kEnglishHeader,
         entry + "Reset totaliser; Totaliser 1234.5 m\xB3 -> 0 | Instrument tag / serial number: FT-101; sent; A. Muster\r\n"},
        {"French, begun without the technician's column",
         "Date; Heure; Port; Mod\xE8le; Version logicielle; Action; Modifications; R\xE9sultat\r\n",
         entry + "RAZ totaliseur; Totaliseur 1234.5 m\xB3 -> 0 | Technicien: A. Muster | Rep\xE8re / num\xE9ro de s\xE9rie: FT-101; "
                 "envoy\xE9\r\n"},
        {"of another program", "Zeit; Wert\r\n",
         entry + "Reset Totalisator; Totalisator 1234.5 m\xB3 -> 0 | Techniker: A. Muster | Messstelle / Seriennummer: FT-101; "
                 "gesendet\r\n"},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("service-log.csv"));
        if (!c.before.isEmpty()) {
            ASSERT_TRUE(writeFile(path, c.before));
        }
        ASSERT_TRUE(appendServiceEntry(path, totaliserReset(QTime(14, 2, 11)), 0)) << c.file;
        EXPECT_EQ(contents(path), c.before + c.appended) << c.file;
    }
}

// An older log in Windows-1252 goes on as it is while its entries fit; the
// first that holds a letter it cannot, moves it aside whole and begins a
// UTF-8 log that names where the earlier entries are.
TEST(ServiceLog, aWindows1252LogThatCannotHoldANameIsKeptWholeAndContinuedInUtf8)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("service-log.csv"));
    ASSERT_TRUE(writeFile(path, kEnglishHeader));
    ServiceEntry entry = totaliserReset(QTime(14, 2, 11));
    entry.technician = QString::fromUtf8("Jürgen Müller");  // Windows-1252 holds these
    ASSERT_TRUE(appendServiceEntry(path, entry, 0));
    const QByteArray old = contents(path);
    EXPECT_TRUE(old.endsWith("sent; J\xFCrgen M\xFCller\r\n")) << old.toStdString();

    entry.technician = QString::fromUtf8("Łukasz Żółć");
    entry.at = entry.at.addSecs(5);
    ASSERT_TRUE(appendServiceEntry(path, entry, 0));
    const QString retired = dir.filePath(QStringLiteral("service-log-until-20261208-140216.csv"));
    EXPECT_EQ(contents(retired), old);
    const QStringList lines = QString::fromUtf8(contents(path)).split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith(QString::fromUtf8("\uFEFFDate; Time;")) && lines[0].endsWith(QStringLiteral("Customer")))
        << lines[0].toStdString();
    EXPECT_EQ(lines[1].toStdString(), "2026.12.08; 14:02:16; ; ; ; log continued; Earlier entries in "
                                      "service-log-until-20261208-140216.csv (Windows-1252, which cannot hold "
                                      "characters of the next entry); ; ; ; ; ; ");
    EXPECT_TRUE(lines[2].endsWith(QString::fromUtf8("sent; Łukasz Żółć; FT-101; ; ; "))) << lines[2].toStdString();

    // From then on the new log takes every entry.
    ASSERT_TRUE(appendServiceEntry(path, entry, 0));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST(ServiceLog, entriesThatCannotBeWrittenAreCountedAndToldBeforeTheNextOne)
{
    if (!trgui::testing::kFullDiskPlayable)
        GTEST_SKIP() << "a full disk is played by a file size limit, which Windows lacks";
    const QString reason = QString::fromLocal8Bit(std::strerror(EFBIG));
    const struct {
        QByteArray header;  // none: a new file
        int lost;
        QString told;  // the gap's line without date and time
    } cases[] = {
        {{}, 2, QString::fromUtf8("; ; ; ; Einträge verloren; 2 Einträge seit 2026.12.08 14:02:11 nicht geschrieben: ")
                    + reason + QStringLiteral("; ; ; ; ; ; ")},
        {kEnglishHeader, 1,
         QStringLiteral("; ; ; ; entries lost; 1 entry not written since 2026.12.08 14:02:11: ") + reason
             + QStringLiteral("; ; ")},
    };
    for (const auto& c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("service-log.csv"));
        if (!c.header.isEmpty()) {
            ASSERT_TRUE(writeFile(path, c.header));
        }
        ServiceLog log;
        log.setPath(path);
        ASSERT_TRUE(log.append(totaliserReset(QTime(14, 0, 0)), 0));
        const QByteArray before = contents(path);
        {
            // A full disk, also for root.
            const trgui::testing::FileSizeLimit full(before.size());
            ASSERT_TRUE(full.active());
            for (int i = 0; i < c.lost; ++i)
                EXPECT_FALSE(log.append(totaliserReset(QTime(14, 2, 11 + i)), 0));
        }
        EXPECT_EQ(contents(path), before) << c.lost;
        EXPECT_EQ(log.gap().entries, c.lost);
        EXPECT_EQ(log.gap().since, QDateTime(QDate(2026, 12, 8), QTime(14, 2, 11)));
        EXPECT_EQ(log.gap().reason, reason);

        ASSERT_TRUE(log.append(totaliserReset(QTime(14, 10, 0)), 0));
        EXPECT_EQ(log.gap().entries, 0) << "told in the file";
        QStringDecoder decode(c.header.isEmpty() ? "utf-8" : "windows-1252");
        const QStringList added = QString(decode(contents(path).mid(before.size()))).split(QStringLiteral("\r\n"));
        ASSERT_EQ(added.size(), 3) << c.lost;  // the gap, the entry, nothing after the last line end
        EXPECT_EQ(added[0].toStdString(), ("2026.12.08; 14:10:00" + c.told).toStdString());
        EXPECT_TRUE(added[1].startsWith(QStringLiteral("2026.12.08; 14:10:00; COM1; "))) << added[1].toStdString();
    }
}

// The log writes a change as it always has; print holds each value, its unit
// and the arrow together, so that a line ends only between the changes or the
// words of a field's name.
TEST(ServiceLog, detailsForPrintAreBrokenOnlyBetweenChangesAndLabelWords)
{
    const QString label = QStringLiteral("Grenzwert Volumenstrom ");
    EXPECT_EQ(changeText(QStringLiteral("1,234 m³/h"), QStringLiteral("2,5 m³/h"), DetailsForm::Line),
              QStringLiteral("1,234 m³/h -> 2,5 m³/h"));
    const ServiceDetails plain = sameInEveryLanguage(QStringLiteral("Totaliser 1234.5 m³ -> 0 | 3 -> 5 %"));
    EXPECT_EQ(plain(2, DetailsForm::Line), QStringLiteral("Totaliser 1234.5 m³ -> 0 | 3 -> 5 %"));
    // Where a line may break: after each word of the label and after the "|".
    const std::pair<QString, int> printed[] = {
        {label + changeText(QStringLiteral("1,234 m³/h"), QStringLiteral("2,5 m³/h"), DetailsForm::Print), 2},
        {label + changeText(QStringLiteral("RA01 (DN15)"), QStringLiteral("4-20 mA"), DetailsForm::Print), 2},
        {plain(0, DetailsForm::Print), 3},
    };
    for (const auto& [text, breaks] : printed) {
        EXPECT_TRUE(text.contains(QString::fromUtf8("\u00A0→\u00A0"))) << text.toStdString();
        QTextBoundaryFinder finder(QTextBoundaryFinder::Line, text);
        int found = 0;
        while (finder.toNextBoundary() > 0 && finder.position() < text.size())
            ++found;
        EXPECT_EQ(found, breaks) << text.toStdString();
    }
}
