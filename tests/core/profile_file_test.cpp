#include "core/plain_numbers.h"
#include "core/profile_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>

using namespace trgui::core;

namespace {

class ProfileFile : public ::testing::Test {
protected:
    std::string path() const { return (dir.path() + "/TR-GUI.ini").toStdString(); }
    void writeRaw(const QByteArray& bytes) const
    {
        QFile f(QString::fromStdString(path()));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray readRaw() const
    {
        QFile f(QString::fromStdString(path()));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    std::string get(const char* section, const char* key, const char* fallback = "?") const
    {
        return readProfileString(path(), section, key, fallback);
    }

    QTemporaryDir dir;
};

} // namespace

TEST_F(ProfileFile, missingFileSectionOrKeyGivesTheFallback)
{
    EXPECT_EQ(get("COM", "COMPORT", "1"), "1");
    writeRaw("[DATEN]\r\nLANGUAGE=2\r\n");
    EXPECT_EQ(get("COM", "COMPORT", "1"), "1");
    EXPECT_EQ(get("DATEN", "REFRESHRATE", "2"), "2");
    EXPECT_EQ(get("DATEN", "LANGUAGE"), "2");
}

TEST_F(ProfileFile, namesMatchCaseInsensitivelyAndBlanksAreIgnored)
{
    writeRaw("; comment = not a key\r\n  [ daten ]  \r\n  language =  1  \r\n;AUSGRAUEN=1\r\nEmpty=\r\n");
    EXPECT_EQ(get("DATEN", "LANGUAGE"), "1");
    EXPECT_EQ(get("Daten", "Language"), "1");
    EXPECT_EQ(get("DATEN", "AUSGRAUEN"), "?") << "a commented-out key does not count";
    EXPECT_EQ(get("DATEN", "EMPTY"), "") << "an empty value is a value";
}

TEST_F(ProfileFile, firstOfDuplicateSectionsAndKeysWins)
{
    writeRaw("[COM]\nCOMPORT=3\nCOMPORT=4\n[COM]\nCOMPORT=5\nCOM2=/dev/x\n");
    EXPECT_EQ(get("COM", "COMPORT"), "3");
    EXPECT_EQ(get("COM", "COM2"), "?") << "keys of a second [COM] section are not seen";
}

TEST_F(ProfileFile, windowsWrittenFileKeepsItsBackslashes)
{
    writeRaw("[COM]\r\nCOMPORT=3\r\n[DATEN]\r\nLANGUAGE=1\r\nAUSGRAUEN=0\r\nREFRESHRATE=5\r\n"
             "[PFADE]\r\nWORKINGDIR=C:\\Messungen\\\r\n");
    EXPECT_EQ(get("PFADE", "WORKINGDIR"), "C:\\Messungen\\");
    EXPECT_EQ(get("DATEN", "REFRESHRATE"), "5");
}

TEST_F(ProfileFile, writeUpdatesInPlaceAndKeepsEverythingElse)
{
    writeRaw("; settings of the service tool\n[Foreign]\nkeep=me\n\n[DATEN]\nLANGUAGE=0\n; note\nREFRESHRATE=2\n\n[PFADE]\nWORKINGDIR=C:\\x\\\n");
    ASSERT_TRUE(writeProfileString(path(), "daten", "LANGUAGE", "2"));
    ASSERT_TRUE(writeProfileString(path(), "DATEN", "AUSGRAUEN", "1"));
    ASSERT_TRUE(writeProfileString(path(), "COM", "COMPORT", "4"));
    EXPECT_EQ(readRaw(),
              "; settings of the service tool\r\n[Foreign]\r\nkeep=me\r\n\r\n[DATEN]\r\nLANGUAGE=2\r\n; note\r\n"
              "REFRESHRATE=2\r\nAUSGRAUEN=1\r\n\r\n[PFADE]\r\nWORKINGDIR=C:\\x\\\r\n[COM]\r\nCOMPORT=4\r\n");
}

TEST_F(ProfileFile, writeCreatesTheFileAndLeavesNoTemporaryFiles)
{
    ASSERT_TRUE(writeProfileString(path(), "PFADE", "WORKINGDIR", "/home/tech/runs/"));
    EXPECT_EQ(readRaw(), "[PFADE]\r\nWORKINGDIR=/home/tech/runs/\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

// Folders as users have them: the path comes in the system's 8-bit code page
// (Windows-1252 on a German or French Windows, UTF-8 here) and the file and
// its temporary twin are made under that very folder, not a look-alike.
TEST_F(ProfileFile, isSavedUnderFoldersWithLettersBeyondAscii)
{
    for (const char* folder : {"Jürgen Müller", "TR GUI Ünïcode/Straße", "café été"}) {
        const QString where = dir.filePath(QString::fromUtf8(folder));
        ASSERT_TRUE(QDir().mkpath(where)) << folder;
        const std::string file = QDir::toNativeSeparators(where + QStringLiteral("/TR-GUI.ini")).toLocal8Bit().toStdString();
        ASSERT_TRUE(writeProfileString(file, "COM", "COMPORT", "12")) << folder;
        ASSERT_TRUE(writeProfileString(file, "DATEN", "LANGUAGE", "2")) << folder << ": replaced through a temporary";
        EXPECT_EQ(readProfileString(file, "COM", "COMPORT", "?"), "12") << folder;
        EXPECT_EQ(QDir(where).entryList(QDir::Files | QDir::Hidden), QStringList{"TR-GUI.ini"}) << folder;
    }
}

TEST_F(ProfileFile, unwritableLocationChangesNothing)
{
    const std::string missingDir = (dir.path() + "/no/such/dir/TR-GUI.ini").toStdString();
    EXPECT_FALSE(writeProfileString(missingDir, "COM", "COMPORT", "2"));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(missingDir)));
}

TEST_F(ProfileFile, longValuesAreCut)
{
    const std::string longValue(600, 'x');
    ASSERT_TRUE(writeProfileString(path(), "PFADE", "WORKINGDIR", longValue));
    EXPECT_EQ(readProfileString(path(), "PFADE", "WORKINGDIR", "").size(), 511u);
}

TEST_F(ProfileFile, readsLikeTheWindowsProfileFunctions)
{
    const struct {
        QByteArray file;
        const char* section;
        const char* key;
        const char* fallback;
        const char* expected;
    } cases[] = {
        {"[DATEN]\r\n\vLANGUAGE\v=\v1\v\r\n", "DATEN", "LANGUAGE", "?", "1"},   // vertical tab is a blank
        {"[\vDATEN\v]\r\nLANGUAGE=1\r\n", "DATEN", "LANGUAGE", "?", "1"},
        {"[DATEN]\r\n", "DATEN", "REFRESHRATE", "2 \t ", "2"},                   // fallback's trailing blanks go
        {"[DATEN]\r\n", "DATEN", "REFRESHRATE", " 2", " 2"},                      // its leading ones stay
        {"[COM]\rCOMPORT=3\r[DATEN]\rLANGUAGE=2\r", "DATEN", "LANGUAGE", "?", "2"},  // a CR alone ends a line
        {"[COM]\rCOMPORT=3\r[DATEN]\rLANGUAGE=2\r", "COM", "COMPORT", "?", "3"},
        {"[DATEN]\n\rLANGUAGE=2\n", "DATEN", "LANGUAGE", "?", "2"},
        {"[DATEN]\r\nLANGUAGE=1\r\n", " DATEN ", "\tLANGUAGE ", "?", "1"},      // names given with blanks
    };
    for (const auto& c : cases) {
        writeRaw(c.file);
        EXPECT_EQ(get(c.section, c.key, c.fallback), c.expected) << c.file.toStdString() << " " << c.key;
    }
}

TEST_F(ProfileFile, writesLikeTheWindowsProfileFunctions)
{
    const struct {
        QByteArray before;
        const char* section;
        const char* key;
        QByteArray after;
    } cases[] = {
        // The key keeps the spelling it has in the file.
        {"[daten]\r\nlanguage=1\r\n", "DATEN", "LANGUAGE", "[daten]\r\nlanguage=2\r\n"},
        {"[DATEN]\r\n\vLanguage\v=1\r\n", "DATEN", "LANGUAGE", "[DATEN]\r\nLanguage=2\r\n"},
        // Names given with blanks are trimmed before they are looked up or written.
        {"", " DATEN ", " LANGUAGE\t", "[DATEN]\r\nLANGUAGE=2\r\n"},
        {"[DATEN]\r\nLANGUAGE=1\r\n", " DATEN", "LANGUAGE ", "[DATEN]\r\nLANGUAGE=2\r\n"},
        // Lines ended by a CR alone are lines.
        {"[DATEN]\rLANGUAGE=1\rREFRESHRATE=5\r", "DATEN", "LANGUAGE", "[DATEN]\r\nLANGUAGE=2\r\nREFRESHRATE=5\r\n"},
    };
    for (const auto& c : cases) {
        QFile::remove(QString::fromStdString(path()));
        if (!c.before.isEmpty())
            writeRaw(c.before);
        ASSERT_TRUE(writeProfileString(path(), c.section, c.key, "2"));
        EXPECT_EQ(readRaw(), c.after) << c.before.toStdString();
    }
}

TEST_F(ProfileFile, valueWithALineBreakIsRefusedAndTheOldValueKept)
{
    writeRaw("[PFADE]\r\nWORKINGDIR=/old/\r\n");
    for (const char* value : {"/new\n[COM]\nCOMPORT=9/", "/new\r/", "\n"}) {
        EXPECT_FALSE(writeProfileString(path(), "PFADE", "WORKINGDIR", value));
        EXPECT_EQ(readRaw(), "[PFADE]\r\nWORKINGDIR=/old/\r\n");
    }
    EXPECT_FALSE(writeProfileStrings(path(), {{"DATEN", "LANGUAGE", "1"}, {"PFADE", "WORKINGDIR", "/a\nb/"}}));
    EXPECT_EQ(readRaw(), "[PFADE]\r\nWORKINGDIR=/old/\r\n[DATEN]\r\nLANGUAGE=1\r\n") << "the other keys are written";
}

TEST_F(ProfileFile, writableFileIsSavedWhereNoTemporaryCanBeCreatedBesideIt)
{
    // A name at the file system's limit leaves no room for the temporary's
    // suffix: like a read-only folder, but it holds for root too.
    const std::string longName = (dir.path() + "/" + QString(255 - 4, QLatin1Char('x')) + ".ini").toStdString();
    QFile file(QString::fromStdString(longName));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[DATEN]\r\nLANGUAGE=0\r\nREFRESHRATE=25\r\n");
    file.close();
    ASSERT_FALSE(QFile(QString::fromStdString(longName + ".saving-abcdef")).open(QIODevice::WriteOnly));

    EXPECT_TRUE(writeProfileString(longName, "DATEN", "REFRESHRATE", "2"));
    EXPECT_EQ(readProfileString(longName, "DATEN", "REFRESHRATE", ""), "2");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "[DATEN]\r\nLANGUAGE=0\r\nREFRESHRATE=2\r\n") << "the shorter text leaves no rest";
}

TEST(LeadingInt, behavesLikeAtoiWithoutOverflow)
{
    EXPECT_EQ(parseLeadingInt("3"), 3);
    EXPECT_EQ(parseLeadingInt("3x"), 3);
    EXPECT_EQ(parseLeadingInt("  -12abc"), -12);
    EXPECT_EQ(parseLeadingInt("+7"), 7);
    EXPECT_EQ(parseLeadingInt(""), 0);
    EXPECT_EQ(parseLeadingInt("abc"), 0);
    EXPECT_EQ(parseLeadingInt("- 5"), 0);
    EXPECT_EQ(parseLeadingInt("99999999999999999999999"), INT_MAX);
    EXPECT_EQ(parseLeadingInt("-99999999999999999999999"), INT_MIN);
    EXPECT_EQ(parseLeadingInt("2147483648"), INT_MAX);
    EXPECT_EQ(parseLeadingInt("-2147483648"), INT_MIN);
}
