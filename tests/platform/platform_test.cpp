#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trgui::platform;

namespace {
QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void write(const QString& path, const QByteArray& content)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(content), content.size());
}
} // namespace

// The language files, recordings and the service log are Windows-1252; the
// bytes 0x80-0x9F are where it differs from Latin-1 (and where a Latin-1
// stand-in turns "€" and the quotes of the German texts into control characters).
TEST(Windows1252, convertsBothWaysWhereItDiffersFromLatin1Too)
{
    const struct {
        QByteArray bytes;
        QString text;
    } cases[] = {
        {"Temperatur Akt [\xb0" "C]", QStringLiteral("Temperatur Akt [°C]")},
        {"\xe4\xf6\xfc\xc4\xd6\xdc\xdf \xe9\xe8\xe7 \xb5", QStringLiteral("äöüÄÖÜß éèç µ")},
        {"\x80 \x84\x93 \x96 \x97 \x85 \x8a\x9a \x99", QStringLiteral("€ „“ – — … Šš ™")},
        {"", QString()},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fromWindows1252(c.bytes), c.text) << c.bytes.toHex().toStdString();
        EXPECT_EQ(toWindows1252(c.text), c.bytes) << c.text.toStdString();
    }
}

TEST(Windows1252, aCharacterItCannotHoldTakesOneByteAndNothingElseIsLost)
{
    const QByteArray bytes = toWindows1252(QStringLiteral("a\u03a9b\u4e2dc"));  // Ω and 中
    ASSERT_EQ(bytes.size(), 5);
    EXPECT_EQ(bytes[0], 'a');
    EXPECT_EQ(bytes[2], 'b');
    EXPECT_EQ(bytes[4], 'c');
}

TEST(ReplaceFile, aReaderFindsTheOldFileOrTheNewOne)
{
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("TR-GUI.ini"));
    const QString temporary = dir.filePath(QStringLiteral("TR-GUI.ini.new"));
    const struct {
        const char* what;
        QByteArray before;  // the target's content; empty: no target
        bool hasTemporary;
        bool replaced;
    } cases[] = {
        {"replaces a file that is there", "[COM]\r\nCOMPORT=1\r\n", true, true},
        {"creates the file where there is none", "", true, true},
        {"without a new file the old one stays", "[COM]\r\nCOMPORT=1\r\n", false, false},
    };
    for (const auto& c : cases) {
        QFile::remove(target);
        QFile::remove(temporary);
        if (!c.before.isEmpty())
            write(target, c.before);
        if (c.hasTemporary)
            write(temporary, "[COM]\r\nCOMPORT=3\r\n");
        QString why;
        EXPECT_EQ(replaceFile(temporary, target, &why), c.replaced) << c.what;
        if (c.replaced) {
            EXPECT_EQ(contentOf(target), QByteArray("[COM]\r\nCOMPORT=3\r\n")) << c.what;
            EXPECT_FALSE(QFile::exists(temporary)) << c.what;
        } else {
            EXPECT_EQ(contentOf(target), c.before) << c.what;
            EXPECT_FALSE(why.isEmpty()) << c.what << ": the system's reason";
        }
    }
}

TEST(SyncFile, anOpenFileIsWrittenToTheDisk)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("service-log.csv")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_TRUE(writeWhole(file, "Datum; Zeit\r\n"));
    EXPECT_TRUE(syncFile(file));
    file.close();
    EXPECT_EQ(contentOf(file.fileName()), QByteArray("Datum; Zeit\r\n"));
}

TEST(UserFolders, areThereAndAbsolute)
{
    for (const QString& folder : {userSettingsBase(), userDataBase()}) {
        ASSERT_FALSE(folder.isEmpty());
        EXPECT_TRUE(QDir::isAbsolutePath(folder)) << folder.toStdString();
    }
}
