#include "core/service_log.h"
#include "platform/platform.h"
#include "support/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>

using namespace trgui::core;

namespace {
const auto contents = trgui::testing::fileContents;
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
    write.details = QString::fromUtf8("Rohrgröße 50.0 -> 62.5 | Note; with\nbreak");
    write.outcome = ServiceOutcome::Acknowledged;
    ServiceEntry reset = write;
    reset.action = ServiceAction::ResetTotaliser;
    reset.details.clear();
    reset.outcome = ServiceOutcome::Sent;

    ASSERT_TRUE(appendServiceEntry(path, write, 0));
    ASSERT_TRUE(appendServiceEntry(path, reset, 1));
    EXPECT_EQ(contents(path), QByteArray("Datum; Uhrzeit; Port; Modell; SW-Version; Aktion; \xC4nderungen; Ergebnis\r\n"
                                         "2026.12.08; 10:31:04; COM1 (/dev/ttyUSB0); KM210-DR-E1S2H1; 1.05; "
                                         "Konfiguration schreiben; Rohrgr\xF6\xDF" "e 50.0 -> 62.5 | Note, with break; "
                                         "best\xE4tigt\r\n"
                                         "2026.12.08; 10:31:04; COM1 (/dev/ttyUSB0); KM210-DR-E1S2H1; 1.05; "
                                         "Reset totaliser; ; sent\r\n"));

    // A log that cannot be written in full (a file size limit plays the full
    // disk, also for root) says why and stays as it was.
    const QByteArray before = contents(path);
    QString why;
    bool written = true;
    {
        const trgui::testing::FileSizeLimit full(before.size() + 20);
        ASSERT_TRUE(full.active());
        written = appendServiceEntry(path, write, 0, &why);
    }
    EXPECT_FALSE(written);
    EXPECT_FALSE(why.isEmpty());
    EXPECT_EQ(contents(path), before);
    EXPECT_FALSE(appendServiceEntry(dir.path(), reset, 0, &why)) << "a folder in its place";
    EXPECT_FALSE(why.isEmpty());
}

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
