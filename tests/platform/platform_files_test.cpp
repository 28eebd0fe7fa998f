// Files the technician keeps are whole or absent; a request to end waits for them.

#include "platform/platform.h"
#include "support/files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <optional>

using namespace trgui::platform;
using trgui::testing::fileContents;

TEST(PlatformFiles, aFileIsWrittenWholeOrNotAtAll)
{
    const QByteArray next(4096, 'n');
    const QByteArray old("as it was");
    const auto reason = [](int error) { return QString::fromLocal8Bit(std::strerror(error)); };
    const struct {
        const char* what;
        const char* name;
        std::optional<QByteArray> before;
        Existing existing;
        qint64 sizeLimit;  // a full disk, also for root; 0 none
        bool written;
        QString why;
    } cases[] = {
        {"new", "report.pdf", std::nullopt, Existing::Keep, 0, true, {}},
        {"replaced", "report.pdf", old, Existing::Replace, 0, true, {}},
        {"kept", "report.pdf", old, Existing::Keep, 0, false, reason(EEXIST)},
        {"full disk, replacing", "report.pdf", old, Existing::Replace, 1000, false, reason(EFBIG)},
        {"full disk, new", "report.pdf", std::nullopt, Existing::Replace, 1000, false, reason(EFBIG)},
        {"no such folder", "missing/report.pdf", std::nullopt, Existing::Replace, 0, false, {}},
    };
    for (const auto& c : cases) {
        if (c.sizeLimit > 0 && !trgui::testing::kFullDiskPlayable)
            continue;
        QTemporaryDir dir;
        const QString path = dir.filePath(c.name);
        if (c.before) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(*c.before) == c.before->size());
        }
        QString why;
        bool written = false;
        {
            std::optional<trgui::testing::FileSizeLimit> full;
            if (c.sizeLimit > 0)
                full.emplace(c.sizeLimit);
            written = writeFileWhole(path, next, c.existing, &why);
        }
        EXPECT_EQ(written, c.written) << c.what;
        if (!c.why.isEmpty()) {
            EXPECT_EQ(why, c.why) << c.what;
        }
        EXPECT_TRUE(written || !why.isEmpty()) << c.what << ": a failure has its reason";
        EXPECT_EQ(QFileInfo::exists(path), written || c.before.has_value()) << c.what;
        EXPECT_EQ(fileContents(path), written ? next : c.before.value_or(QByteArray())) << c.what;
        EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size() <= 1) << c.what << ": nothing left beside";
    }

#ifndef _WIN32
    // A link stays a link, and the file it names takes the bytes; a device node stays what it is.
    QTemporaryDir dir;
    const QString target = dir.filePath("target.pdf");
    const QString link = dir.filePath("link.pdf");
    ASSERT_TRUE(writeFileWhole(target, old) && QFile::link(target, link));
    ASSERT_TRUE(writeFileWhole(link, next));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(fileContents(target), next);
    EXPECT_TRUE(writeFileWhole(QStringLiteral("/dev/null"), next));
    EXPECT_FALSE(QFileInfo(QStringLiteral("/dev/null")).isFile());
#endif
}

#ifndef _WIN32  // Windows ends a console program through its control handler, tried under Wine by tools/windows/wine-check

TEST(PlatformFiles, aRequestToEndWaitsForTheHoldAndIsPassedOnUnlessTaken)
{
    // Taken: the caller answers it and goes on.
    EXPECT_EXIT(
        {
            TerminationHold hold;
            std::raise(SIGTERM);
            const bool taken = hold.take() == QStringLiteral("SIGTERM") && hold.take().isEmpty();
            std::_Exit(taken ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    // Not taken: it acts as it would have, once the hold ends.
    EXPECT_EXIT(
        {
            {
                TerminationHold hold;
                std::raise(SIGHUP);
                std::fputs("held", stderr);
            }
            std::_Exit(0);
        },
        ::testing::KilledBySignal(SIGHUP), "held");
}
#endif
