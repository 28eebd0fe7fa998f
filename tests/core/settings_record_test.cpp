#include "core/profile_file.h"
#include "core/settings_record.h"
#include "core/window_place.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextBoundaryFinder>

#ifdef __linux__
#include <sys/inotify.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

using namespace trgui::core;

TEST(SettingsRecord, pathsHaveExactlyOneSeparator)
{
#ifdef _WIN32
    EXPECT_EQ(SettingsRecord::forDirectory("C:\\").settingsFilePath, "C:\\TR-GUI.ini");
    EXPECT_EQ(SettingsRecord::forDirectory("C:\\Tools").settingsFilePath, "C:\\Tools\\TR-GUI.ini");
#else
    EXPECT_EQ(SettingsRecord::forDirectory("/").settingsFilePath, "/TR-GUI.ini");
    EXPECT_EQ(SettingsRecord::forDirectory("/opt/tr").settingsFilePath, "/opt/tr/TR-GUI.ini");
    EXPECT_EQ(SettingsRecord::forDirectory("/opt/tr/").programDirectory, "/opt/tr/");
#endif
}

TEST(SettingsRecord, missingFileGivesDefaultsAndSaveWritesThem)
{
    QTemporaryDir dir;
    auto record = SettingsRecord::forDirectory(dir.path().toStdString());
    record.comPort = 9;
    record.load();
    EXPECT_EQ(record.comPort, 1);
    EXPECT_EQ(record.language, 0);
    EXPECT_EQ(record.ausgrauen, 0);
    EXPECT_EQ(record.workingDir, "");
    EXPECT_EQ(record.refreshRate, 2);
    EXPECT_EQ(record.deviceTypeCode, -1);

    record.save();
    QFile file(QString::fromStdString(record.settingsFilePath));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "[COM]\r\nCOMPORT=1\r\n[DATEN]\r\nLANGUAGE=0\r\nAUSGRAUEN=0\r\nREFRESHRATE=2\r\n"
                              "[PFADE]\r\nWORKINGDIR=\r\n");
}

TEST(SettingsRecord, valuesLoadLikeAtoi)
{
    QTemporaryDir dir;
    auto record = SettingsRecord::forDirectory(dir.path().toStdString());
    QFile file(QString::fromStdString(record.settingsFilePath));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[COM]\r\nCOMPORT=3a\r\nCOM3=/tmp/sim/COM3\r\n[DATEN]\r\nLANGUAGE=\r\nAUSGRAUEN=1\r\n");
    file.close();
    record.load();
    EXPECT_EQ(record.comPort, 3);
    EXPECT_EQ(record.language, 0);
    EXPECT_EQ(record.ausgrauen, 1);
    EXPECT_EQ(record.refreshRate, 2);
    EXPECT_EQ(record.mappedPortDevice("COM3"), "/tmp/sim/COM3");
    EXPECT_EQ(record.mappedPortDevice("COM4"), "");
}

TEST(SettingsRecord, saveThenLoadRoundTripsAndKeepsThePortMap)
{
    QTemporaryDir dir;
    auto record = SettingsRecord::forDirectory(dir.path().toStdString());
    ASSERT_TRUE(writeProfileString(record.settingsFilePath, "COM", "COM1", "/tmp/sim/COM1"));
    record.comPort = 5;
    record.language = 2;
    record.refreshRate = 10;
    record.workingDir = "/home/tech/Messungen/";
    record.save();

    auto again = SettingsRecord::forDirectory(dir.path().toStdString());
    again.load();
    EXPECT_EQ(again.comPort, 5);
    EXPECT_EQ(again.language, 2);
    EXPECT_EQ(again.refreshRate, 10);
    EXPECT_EQ(again.workingDir, "/home/tech/Messungen/");
    EXPECT_EQ(again.mappedPortDevice("COM1"), "/tmp/sim/COM1");
}

// Another copy of the program wrote the file between this copy's load and
// save: its word stays unless this copy changed that very setting, and keys
// the file lacks by then are written.
TEST(SettingsRecord, saveWritesWhatThisCopyChangedAndWhatTheFileLacks)
{
    const std::string start = "[COM]\r\nCOMPORT=1\r\nCOM1=/dev/ttyUSB0\r\n[DATEN]\r\nLANGUAGE=0\r\nAUSGRAUEN=0\r\n"
                              "REFRESHRATE=2\r\n[PFADE]\r\nWORKINGDIR=\r\n";
    const std::string languageTwo = "[COM]\r\nCOMPORT=1\r\nCOM1=/dev/ttyUSB0\r\n[DATEN]\r\nLANGUAGE=2\r\n"
                                    "AUSGRAUEN=0\r\nREFRESHRATE=2\r\n[PFADE]\r\nWORKINGDIR=\r\n";
    struct Case {
        const char* what;
        void (*change)(SettingsRecord&);
        std::string fileMeanwhile;
        std::vector<const char*> lines;
    };
    const Case cases[] = {
        {"unchanged here", [](SettingsRecord&) {}, languageTwo, {"LANGUAGE=2", "COM1=/dev/ttyUSB0"}},
        {"another key changed here", [](SettingsRecord& r) { r.refreshRate = 7; }, languageTwo,
         {"LANGUAGE=2", "REFRESHRATE=7"}},
        {"the same key changed here", [](SettingsRecord& r) { r.language = 1; }, languageTwo, {"LANGUAGE=1"}},
        {"keys gone meanwhile", [](SettingsRecord&) {}, "[COM]\r\nCOM1=/dev/ttyUSB0\r\n",
         {"COMPORT=1", "LANGUAGE=0", "AUSGRAUEN=0", "REFRESHRATE=2", "WORKINGDIR="}},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        auto record = SettingsRecord::forDirectory(dir.path().toStdString());
        QFile file(QString::fromStdString(record.settingsFilePath));
        const auto write = [&](const std::string& text) {
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(text.c_str());
            file.close();
        };
        write(start);
        record.load();
        write(c.fileMeanwhile);
        c.change(record);
        EXPECT_TRUE(record.save()) << c.what;
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray saved = file.readAll();
        file.close();
        for (const char* line : c.lines)
            EXPECT_TRUE(saved.contains(QByteArray(line) + "\r\n")) << c.what << ": " << line << "\n" << saved.constData();
    }
}

TEST(SettingsRecord, theWindowsPlaceComesBackAndIsWrittenOnlyOnceKnown)
{
    QTemporaryDir dir;
    auto record = SettingsRecord::forDirectory(dir.path().toStdString());
    record.save();
    EXPECT_FALSE(findProfileString(record.settingsFilePath, "FENSTER", "GEOMETRIE"));
    record.windowGeometry = QRect(-1230, 40, 1200, 700);
    record.windowMaximised = true;
    record.page = 2;
    record.save();
    EXPECT_EQ(readProfileString(record.settingsFilePath, "FENSTER", "GEOMETRIE", ""), "-1230,40,1200,700");

    auto again = SettingsRecord::forDirectory(dir.path().toStdString());
    again.load();
    EXPECT_EQ(again.windowGeometry, QRect(-1230, 40, 1200, 700));
    EXPECT_TRUE(again.windowMaximised);
    EXPECT_EQ(again.page, 2);

    for (const char* broken : {"1,2,3", "1,2,0,5", "1,2,3,4,5", "a,2,3,4", "1;2;3;4", ""})
        EXPECT_FALSE(parseWindowGeometry(broken)) << broken;
    EXPECT_EQ(parseWindowGeometry(" 10 , 20 ,300,200"), QRect(10, 20, 300, 200));
}

TEST(WindowPlace, placeOnScreenKeepsTheWindowWhollyOnTheScreen)
{
    const QSize frame(16, 48);
    const QRect screen(0, 0, 1280, 900);
    const struct {
        QRect place;
        QRect screen;
        QRect expected;
    } cases[] = {
        {{40, 30, 1200, 700}, screen, {40, 30, 1200, 700}},       // fits: stays as it was
        {{3000, 1200, 800, 600}, screen, {464, 252, 800, 600}},   // from a screen that is gone
        {{-500, -100, 800, 600}, screen, {0, 0, 800, 600}},
        {{0, 0, 2000, 1500}, screen, {0, 0, 1264, 852}},          // never larger than the screen
        {{100, 100, 800, 600}, {1280, 24, 1920, 1056}, {1280, 100, 800, 600}},  // a screen right of the first
    };
    for (const auto& c : cases)
        EXPECT_EQ(placeOnScreen(c.place, c.screen, frame), c.expected) << c.place.x() << "," << c.place.y();
}

// A report name too long for the file's 511 bytes is cut between characters,
// never inside one: as given in the dialog, and as read from a file that holds
// it whole (written by another program), so no broken byte is saved back.
TEST(SettingsRecord, longReportNamesAreCutBetweenCharacters)
{
#ifdef _WIN32
    GTEST_SKIP() << "the file holds the system's code page there, one byte per character";
#endif
    const QString cases[] = {
        QString(300, QChar(0xC4)),                                  // Ä, 2 bytes
        QStringLiteral("a") + QString(200, QChar(0x20AC)),          // €, 3 bytes
        QStringLiteral("ab") + QString::fromUtf8("😀").repeated(130),  // 4 bytes, two QChars
        QString::fromUtf8("e\u0301").repeated(200),                // e and its accent, one character
    };
    const auto valid = [](const std::string& bytes) {
        return QString::fromUtf8(bytes).toUtf8().toStdString() == bytes;
    };
    QTemporaryDir dir;
    for (const QString& name : cases) {
        const std::string cut = localTextWithin(name);
        const QString text = QString::fromUtf8(cut);
        EXPECT_TRUE(valid(cut)) << cut.size();
        EXPECT_LE(cut.size(), kSettingsValueMax);
        EXPECT_GE(cut.size(), kSettingsValueMax - 3) << "no more than one character is lost";
        EXPECT_TRUE(name.startsWith(text));
        QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, name);
        characters.setPosition(text.size());
        EXPECT_TRUE(characters.isAtBoundary()) << "an accent stays with its letter";

        auto record = SettingsRecord::forDirectory(dir.path().toStdString());
        ASSERT_TRUE(writeProfileString(record.settingsFilePath, "BERICHT", "TECHNIKER", name.toUtf8().toStdString()));
        record.load();
        EXPECT_EQ(record.technician, cut);
        record.reportNamesGiven = true;
        ASSERT_TRUE(record.save());
        EXPECT_EQ(readProfileString(record.settingsFilePath, "BERICHT", "TECHNIKER", "", 4096), cut);
    }
}

TEST(SettingsRecord, workingDirWithALineBreakKeepsItsOldValueAndTheRestIsSaved)
{
    QTemporaryDir dir;
    auto record = SettingsRecord::forDirectory(dir.path().toStdString());
    record.workingDir = "/home/tech/runs/";
    record.save();
    record.workingDir = "/home/tech/new\nline/";
    record.language = 1;
    record.save();

    auto again = SettingsRecord::forDirectory(dir.path().toStdString());
    again.load();
    EXPECT_EQ(again.workingDir, "/home/tech/runs/");
    EXPECT_EQ(again.language, 1);
    EXPECT_EQ(again.comPort, 1) << "no key was injected by the line break";
}

TEST(SettingsRecord, loadRemovesTheTemporariesOfAnInterruptedSave)
{
    QTemporaryDir dir;
    auto record = SettingsRecord::forDirectory(dir.path().toStdString());
    const auto touch = [&](const QString& name, int secondsAgo) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[DATEN]\r\n");
        f.flush();  // a later flush would set the time again
        f.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo), QFileDevice::FileModificationTime);
    };
    touch("TR-GUI.ini.saving-k3x9q1", 120);  // left by a save that was killed
    touch("TR-GUI.ini.saving-a1b2c3", 0);    // killed a moment ago
    touch("TR-GUI.ini.bak", 120);            // not ours
    record.load();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"TR-GUI.ini.bak"}));
}

#ifdef __linux__
TEST(SettingsRecord, oneSaveReplacesTheFileOnce)
{
    QTemporaryDir dir;
    auto record = SettingsRecord::forDirectory(dir.path().toStdString());
    record.save();
    record.comPort = 3;
    record.language = 2;
    record.ausgrauen = 1;
    record.workingDir = "/home/tech/";
    record.refreshRate = 7;

    // Every replacement is a rename onto the file; the kernel counts them for us.
    const int watch = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(watch, 0);
    ASSERT_GE(inotify_add_watch(watch, dir.path().toLocal8Bit().constData(), IN_MOVED_TO | IN_CLOSE_WRITE), 0);
    record.save();
    int replacements = 0;
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; (n = read(watch, buffer, sizeof buffer)) > 0;) {
        for (char* p = buffer; p < buffer + n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(p);
            if (event->len && std::string(event->name) == "TR-GUI.ini")
                ++replacements;
            p += sizeof(inotify_event) + event->len;
        }
    }
    close(watch);
    EXPECT_EQ(replacements, 1);
}
#endif

TEST(SettingsLocation, programDirectoryWhenWritableElseTheUsersCopyOfItsTemplate)
{
    QTemporaryDir program, user;
    const std::string programDir = program.path().toStdString() + "/";
    const std::string userDir = user.path().toStdString() + "/TR-GUI/";
    const auto read = [](const std::string& path) {
        QFile f(QString::fromStdString(path));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };

    // No template: the user's path, no file before a save, and the first save works.
    EXPECT_EQ(settingsFileLocation(programDir, true, userDir), programDir + "TR-GUI.ini");
    EXPECT_FALSE(QFileInfo::exists(user.path() + "/TR-GUI"));
    {
        auto first = SettingsRecord::forDirectory(programDir);
        first.settingsFilePath = settingsFileLocation(programDir, false, userDir);
        EXPECT_EQ(first.settingsFilePath, userDir + "TR-GUI.ini");
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(first.settingsFilePath)));
        first.refreshRate = 9;
        first.save();
        first.refreshRate = 2;
        first.load();
        EXPECT_EQ(first.refreshRate, 9);
        QFile::remove(QString::fromStdString(first.settingsFilePath));
    }

    // The administrator's template carries over once; later the user's own file wins.
    const QByteArray shipped = "[COM]\r\nCOMPORT=4\r\nCOM4=/dev/ttyUSB1\r\n[DATEN]\r\nLANGUAGE=2\r\n";
    QFile file(program.filePath("TR-GUI.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(shipped);
    file.close();
    ASSERT_TRUE(file.setPermissions(QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    const std::string userFile = settingsFileLocation(programDir, false, userDir);
    EXPECT_EQ(read(userFile), shipped);

    auto record = SettingsRecord::forDirectory(programDir);
    record.settingsFilePath = userFile;
    record.load();
    EXPECT_EQ(record.mappedPortDevice("COM4"), "/dev/ttyUSB1");
    record.language = 1;
    record.save();  // the copy is the user's to write, even of a read-only template
    EXPECT_EQ(settingsFileLocation(programDir, false, userDir), userFile);
    record.load();
    EXPECT_EQ(record.language, 1);
    EXPECT_EQ(record.comPort, 4);
    EXPECT_EQ(read(programDir + "TR-GUI.ini"), shipped) << "the template is left alone";
}

TEST(SettingsLocation, writabilityIsTriedWithoutLeavingAFile)
{
    QTemporaryDir dir;
    EXPECT_TRUE(settingsWritableIn(dir.path().toStdString() + "/"));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
#ifdef __linux__
    EXPECT_FALSE(settingsWritableIn("/proc/self/")) << "not even root creates files there";
#endif
}
