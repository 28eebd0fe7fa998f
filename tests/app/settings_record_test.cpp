#include "profile_file.h"
#include "settings_record.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trgui::app;

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
