#include "app/call_controls_sheet.h"
#include "pages/operation/cbetrieb.h"
#include "pages/settings/core/connection_line.h"
#include "pages/settings/core/port_problem.h"
#include "pages/settings/einstellungen.h"
#include "pages/visualisation/cgrafik.h"
#include "support/device_idle.h"
#include "support/program_directory.h"
#include "support/simulator.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QSerialPort>
#include <QTest>

#include <functional>

#include <gtest/gtest.h>

using namespace trgui;
using trgui::testing::ProgramDirectory;
using trgui::testing::shown;
using trgui::testing::Simulator;

using trgui::device::Family;

namespace {

class SettingsPage : public ::testing::Test {
protected:
    void start(std::vector<std::string> extraSettings = {})
    {
        std::vector<std::string> lines{"[COM]", "COMPORT=1", "COM1=" + sim.linkPath(), "COM2=" + second.linkPath(),
                                       "COM3=/nonexistent/tty-km210"};
        lines.insert(lines.end(), extraSettings.begin(), extraSettings.end());
        dir.writeSettings(lines);
        sheet = std::make_unique<app::CAllControlsSheet>();
        sheet->show();
        ASSERT_TRUE(trgui::testing::waitForDeviceIdle(*sheet));
        page = sheet->settingsPage();
    }
    QString text(int id) { return page->control<QLineEdit>(id)->text(); }
    // What the page says beside the lamp; empty while it says nothing.
    QString problem()
    {
        auto* line = page->findChild<QLabel*>(QStringLiteral("portProblem"));
        return line && !line->isHidden() ? line->text() : QString();
    }

    Simulator sim{17};
    Simulator second{33};
    ProgramDirectory dir;
    std::unique_ptr<app::CAllControlsSheet> sheet;
    pages::Einstellungen* page = nullptr;
};

} // namespace

TEST_F(SettingsPage, startUpConnectsAndIdentifies)
{
    ASSERT_TRUE(sim.started());
    start();
    EXPECT_TRUE(shown(page->control(1007)));
    EXPECT_FALSE(shown(page->control(1008)));
    EXPECT_EQ(text(1009), "KM210-DR-E1S2H1");
    EXPECT_EQ(text(1011), " 1.05");
    EXPECT_EQ(sheet->settings().deviceTypeCode, 17);
    EXPECT_EQ(sheet->settings().deviceFamily, Family::Dr);
    EXPECT_EQ(page->control<QComboBox>(1001)->currentIndex(), 0);
    EXPECT_TRUE(page->control<QComboBox>(1001)->currentText().startsWith("COM1"));
    EXPECT_TRUE(page->control<QComboBox>(1001)->currentText().contains(QString::fromStdString(sim.linkPath())))
        << "the device a COM name stands for is shown beside it";
    auto* com = page->control<QComboBox>(1001);
    EXPECT_EQ(com->itemText(2), "COM3   (/nonexistent/tty-km210, nicht vorhanden)");
    EXPECT_TRUE(com->itemData(2, Qt::ForegroundRole).isValid()) << "greyed";
#ifndef _WIN32  // Wine lists only the ports it knew at its start; the simulators' came later
    EXPECT_FALSE(com->itemData(1, Qt::ForegroundRole).isValid());
#endif
    second.stop();  // the adapter is pulled: its link goes
    page->refreshPortList();
    EXPECT_TRUE(com->itemText(1).endsWith(", nicht vorhanden)")) << com->itemText(1).toStdString();
    EXPECT_TRUE(com->itemData(1, Qt::ForegroundRole).isValid());
    EXPECT_EQ(page->control(1007)->accessibleName(), "verbunden") << "in the language shown";
    EXPECT_EQ(page->control(1009)->accessibleName(), "HW-Version");
}

TEST_F(SettingsPage, fiveByteIdentificationShowsTheRedLamp)
{
    sim.control("length 0x50 5");
    start();
    EXPECT_FALSE(shown(page->control(1007)));
    EXPECT_TRUE(shown(page->control(1008)));
    EXPECT_EQ(text(1009), "------");
    EXPECT_EQ(text(1011), "------");
    EXPECT_EQ(sheet->settings().deviceFamily, Family::None);
    EXPECT_TRUE(problem().contains("(50 04 11 65 00) entspricht nicht den 4 Bytes")) << problem().toStdString();
    // Asked again on the open port: the reason follows what the device does.
    sim.control("silent on");
    EXPECT_TRUE(QTest::qWaitFor([&] { return problem().contains("antwortet nicht"); }, 8000)) << problem().toStdString();
    sim.control("length 0x50 off");
    sim.control("silent off");
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown(page->control(1007)); }, 8000));
    EXPECT_TRUE(problem().isEmpty());
}

TEST_F(SettingsPage, aDeviceSwitchedOnLaterIsIdentifiedOnTheOpenPort)
{
    sim.control("silent on");
    start();
    EXPECT_TRUE(shown(page->control(1008)));
    EXPECT_TRUE(problem().contains("antwortet nicht")) << problem().toStdString();
    sim.control("silent off");
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown(page->control(1007)); }, 8000));
    EXPECT_TRUE(problem().isEmpty());
    EXPECT_EQ(text(1009), "KM210-DR-E1S2H1");
    EXPECT_EQ(sheet->settings().deviceFamily, Family::Dr);
}

TEST_F(SettingsPage, comChangeReplacesThePortAndIsSavedLater)
{
    start();
    page->control<QComboBox>(1001)->setCurrentIndex(1);
    ASSERT_TRUE(trgui::testing::waitForDeviceIdle(*sheet));
    EXPECT_EQ(text(1009), "KM210-WT-E1N4H1");
    EXPECT_EQ(sheet->settings().comPort, 2);
    EXPECT_EQ(sheet->settings().deviceFamily, Family::Wt);
    EXPECT_TRUE(second.waitForLog("request 0x50 Identify"));
    EXPECT_TRUE(dir.settingsFile().contains("COMPORT=1")) << "the file waits for the next save";

    page->control<QComboBox>(1001)->setCurrentIndex(2);  // a port that does not open

    ASSERT_TRUE(trgui::testing::waitForDeviceIdle(*sheet));
    EXPECT_TRUE(shown(page->control(1008)));
    EXPECT_EQ(text(1009), "------");
#ifdef _WIN32
    EXPECT_TRUE(problem().startsWith("COM3 (/nonexistent/tty-km210) ist nicht vorhanden.")) << problem().toStdString();
    EXPECT_TRUE(problem().contains("Geräte-Manager")) << problem().toStdString();
#else
    EXPECT_EQ(problem(), "COM3 (/nonexistent/tty-km210) ist nicht vorhanden. Stecken Sie den Adapter ein oder "
                         "wählen Sie einen anderen COM-Port.");
#endif
    EXPECT_TRUE(page->control(1008)->accessibleName().endsWith(problem())) << "the lamp says it too";

    page->control<QComboBox>(1001)->setCurrentIndex(0);  // back to the first device

    ASSERT_TRUE(trgui::testing::waitForDeviceIdle(*sheet));
    EXPECT_TRUE(shown(page->control(1007)));
    sheet.reset();
    EXPECT_TRUE(dir.settingsFile().contains("COMPORT=1"));

    start();
    page->control<QComboBox>(1001)->setCurrentIndex(1);
    ASSERT_TRUE(trgui::testing::waitForDeviceIdle(*sheet));
    sheet.reset();  // closing the window saves the settings
    EXPECT_TRUE(dir.settingsFile().contains("COMPORT=2"));
}

TEST_F(SettingsPage, refreshRateIsValidatedAndSavedOnlyWhenValid)
{
    start({"[DATEN]", "REFRESHRATE=1"});
    auto* edit = page->control<QLineEdit>(1098);
    EXPECT_TRUE(shown(page->control(1122))) << "an invalid stored value shows the marker at start";
    EXPECT_EQ(sheet->settings().refreshRate, 1);

    edit->setText("10");
    EXPECT_FALSE(shown(page->control(1122)));
    EXPECT_EQ(sheet->settings().refreshRate, 10);
    EXPECT_TRUE(dir.settingsFile().contains("REFRESHRATE=10"));

    for (const char* bad : {"1", "", "10000", "99999999999999999999999"}) {
        edit->setText(bad);
        EXPECT_TRUE(shown(page->control(1122))) << bad;
        EXPECT_EQ(sheet->settings().refreshRate, 10) << bad;
        EXPECT_TRUE(dir.settingsFile().contains("REFRESHRATE=10\r\n")) << bad;
    }
    edit->setText("9999");
    EXPECT_FALSE(shown(page->control(1122)));
    EXPECT_EQ(sheet->settings().refreshRate, 9999);
    EXPECT_TRUE(dir.settingsFile().contains("REFRESHRATE=9999\r\n"));

    // A folder where the file was: the changes cannot be kept, which is said once.
    dir.takeBoxes();
    const QString ini = QString::fromStdString(sheet->settings().settingsFilePath);
    ASSERT_TRUE(QFile::remove(ini) && QDir().mkdir(ini));
    edit->setText("20");
    edit->setText("30");
    const auto boxes = dir.takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, "Einstellungen nicht gespeichert");
    EXPECT_TRUE(boxes[0].second.contains(ini));
    QDir().rmdir(ini);
}

TEST_F(SettingsPage, languageChangeReloadsOnlyPagesThatExist)
{
    start();
    sheet->tabs()->setCurrentIndex(2);  // the Operation page comes to life
    ASSERT_TRUE(sheet->operationPage()->initialised());
    ASSERT_FALSE(sheet->visualisationPage()->initialised());
    dir.takeBoxes();

    page->control<QComboBox>(1004)->setCurrentIndex(1);
    const auto boxes = dir.takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, "Language");
    EXPECT_TRUE(boxes[0].second.startsWith("The language has been changed."));
    EXPECT_EQ(page->control<QLabel>(1006)->text(), "COM port");
    EXPECT_EQ(sheet->operationPage()->control<QLabel>(1092)->text(), "Flow velocity");
    EXPECT_FALSE(sheet->visualisationPage()->initialised());
    EXPECT_EQ(sheet->tabs()->tabText(2), "Betrieb") << "tab titles keep the language of the start";
    EXPECT_TRUE(dir.settingsFile().contains("LANGUAGE=1"));

    sheet->tabs()->setCurrentIndex(3);
    EXPECT_EQ(sheet->visualisationPage()->control<QAbstractButton>(1133)->text(), "Clear")
        << "a page opened later starts in the new language";
}

TEST_F(SettingsPage, greyOutBoxIsStoredWhenUsed)
{
    start();
    auto* box = page->control<QAbstractButton>(1056);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isHidden());
    box->show();
    box->click();
    EXPECT_EQ(sheet->settings().ausgrauen, 1);
    EXPECT_TRUE(dir.settingsFile().contains("AUSGRAUEN=1"));
}

TEST_F(SettingsPage, aLostPortIsOpenedAgainAndPollingResumes)
{
    start();
    sheet->tabs()->setCurrentIndex(2);  // the Operation page starts the polling
    const auto polls = [&] { return sim.count("request 0x41 ReadErrorCode"); };
    const auto lamp = [&](int id) { return QTest::qWaitFor([&] { return shown(page->control(id)); }, 15000); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return polls() >= 1; }, 10000));

    sim.control("disconnect 3000");  // the adapter is pulled and plugged back in
    ASSERT_TRUE(lamp(1008)) << "red lamp";
    EXPECT_TRUE(QTest::qWaitFor([&] { return sheet->connection().reconnecting(); }, 3000)) << "tried again while gone";
    ASSERT_TRUE(lamp(1007)) << "green again";
    EXPECT_EQ(text(1009), "KM210-DR-E1S2H1");
    int before = polls();
    EXPECT_TRUE(QTest::qWaitFor([&] { return polls() > before; }, 10000)) << "polling resumes by itself";

    sim.stop();  // the device goes away and comes back on the same link
    ASSERT_TRUE(lamp(1008));
    ASSERT_TRUE(sim.start());
    ASSERT_TRUE(lamp(1007));
    EXPECT_TRUE(QTest::qWaitFor([&] { return polls() >= 1; }, 10000));
}

TEST_F(SettingsPage, withNoPagePollingTheLampTurnsRedWithinThreeSecondsOfTheDeviceGoing)
{
    start();
    const auto redWithin = [&](int ms) {
        QElapsedTimer clock;
        clock.start();
        const bool red = QTest::qWaitFor([&] { return shown(page->control(1008)); }, 6000);
        return red && clock.elapsed() <= ms;
    };
    const QString link = QString::fromStdString(sim.linkPath());
    for (const char* going : {"silent on", "stop"}) {
        SCOPED_TRACE(going);
        ASSERT_TRUE(QTest::qWaitFor([&] { return shown(page->control(1007)); }, 8000));
        QTest::qWait(500);
        if (std::string(going) == "stop")
            sim.stop();
        else
            sim.control(going);
        // Asked about every 2 s, and a reply waited for up to 1 s (half a second more for a busy machine).
        EXPECT_TRUE(redWithin(3500));
        EXPECT_EQ(text(1009), "------");
        EXPECT_EQ(text(1011), "------");
        EXPECT_TRUE(problem().contains(link)) << problem().toStdString();
        sim.control("silent off");
    }
    ASSERT_TRUE(sim.start());
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown(page->control(1007)); }, 8000)) << "back by itself";
    EXPECT_EQ(text(1009), "KM210-DR-E1S2H1");
}

TEST(ConnectionLine, saysWhereWhatAndHowOldOrWhyNotInEveryLanguage)
{
    using Reach = trgui::core::DeviceConnection::Reach;
    using trgui::pages::settings::ConnectionFacts;
    ConnectionFacts facts;
    facts.port = 2;
    facts.devicePath = QStringLiteral("/dev/ttyUSB1");
    facts.model = QStringLiteral("KM210-DR-E1S2H1");
    ConnectionFacts polled = facts;
    polled.pollAgeMs = 3400;
    ConnectionFacts silent = facts;
    silent.answering = false;
    silent.reach = Reach::Silent;
    silent.failure.device = "/dev/ttyUSB1";
    ConnectionFacts unrecognised = silent;
    unrecognised.reach = Reach::Unrecognised;
    unrecognised.failure.refusedReply = {0x50, 0x04, 0x11, 0x65, 0x00};
    ConnectionFacts unrecognisedPolled = unrecognised;
    unrecognisedPolled.pollAgeMs = 1200;
    ConnectionFacts lost = facts;
    lost.answering = false;
    lost.reach = Reach::Answering;  // the port failed and is being opened again
    facts.answering = polled.answering = true;
    struct Case {
        ConnectionFacts facts;
        std::array<const char*, 3> text;
    };
    const Case cases[] = {
        {facts, {"COM2 (/dev/ttyUSB1) – KM210-DR-E1S2H1 – antwortet", "COM2 (/dev/ttyUSB1) – KM210-DR-E1S2H1 – answers",
                 "COM2 (/dev/ttyUSB1) – KM210-DR-E1S2H1 – répond"}},
        {polled, {"COM2 (/dev/ttyUSB1) – KM210-DR-E1S2H1 – letzte Abfrage vor 3 s",
                  "COM2 (/dev/ttyUSB1) – KM210-DR-E1S2H1 – last poll 3 s ago",
                  "COM2 (/dev/ttyUSB1) – KM210-DR-E1S2H1 – dernière interrogation il y a 3 s"}},
        {silent, {"COM2 (/dev/ttyUSB1) ist offen, aber das Gerät antwortet nicht.",
                  "COM2 (/dev/ttyUSB1) is open but the device does not answer.",
                  "COM2 (/dev/ttyUSB1) est ouvert mais l'appareil ne répond pas."}},
        {unrecognised, {"COM2 (/dev/ttyUSB1) – nicht verbunden: Kennung 50 04 11 65 00 nicht angenommen",
                        "COM2 (/dev/ttyUSB1) – not connected: identification 50 04 11 65 00 not accepted",
                        "COM2 (/dev/ttyUSB1) – non connecté : identification 50 04 11 65 00 refusée"}},
        {unrecognisedPolled,
         {"COM2 (/dev/ttyUSB1) – nicht verbunden: Kennung 50 04 11 65 00 nicht angenommen – letzte Abfrage vor 1 s",
          "COM2 (/dev/ttyUSB1) – not connected: identification 50 04 11 65 00 not accepted – last poll 1 s ago",
          "COM2 (/dev/ttyUSB1) – non connecté : identification 50 04 11 65 00 refusée – dernière interrogation il y a "
          "1 s"}},
        {lost, {"Kein Gerät antwortet an COM2 (/dev/ttyUSB1).", "No device answers on COM2 (/dev/ttyUSB1).",
                "Aucun appareil ne répond sur COM2 (/dev/ttyUSB1)."}},
    };
    for (const auto& [given, expected] : cases) {
        for (int language : {0, 1, 2}) {
            const QString text = trgui::pages::settings::connectionLineText(given, language);
            EXPECT_TRUE(text.startsWith(QString::fromUtf8(expected[static_cast<std::size_t>(language)])))
                << text.toStdString();
        }
    }
}

#ifndef _WIN32  // Wine lets a second handle open a serial port; Windows names no holder anyway
TEST_F(SettingsPage, aPortInUseSaysWhoHoldsItAndConnectsOnceItIsFree)
{
    start();
    page->control<QComboBox>(1001)->setCurrentIndex(1);
    ASSERT_TRUE(trgui::testing::waitForDeviceIdle(*sheet));
    auto holder = std::make_unique<QSerialPort>(QString::fromStdString(sim.linkPath()));
    ASSERT_TRUE(holder->open(QIODevice::ReadWrite));  // another program has COM1

    page->control<QComboBox>(1001)->setCurrentIndex(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !problem().isEmpty(); }, 5000));
    EXPECT_TRUE(problem().contains(QStringLiteral("von einem anderen Programm benutzt (Prozess %1, ")
                                       .arg(QCoreApplication::applicationPid())))
        << problem().toStdString();
    EXPECT_EQ(page->control(1008)->toolTip(), problem());

    holder.reset();  // the other program ends: nothing else to do
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown(page->control(1007)); }, 6000));
    EXPECT_TRUE(problem().isEmpty());
    EXPECT_EQ(text(1009), "KM210-DR-E1S2H1");
}

#endif

TEST_F(SettingsPage, anAdapterChosenInTheListIsMappedInOneLineAndConnected)
{
    start({"; written by hand", "[DATEN]", "LANGUAGE=0"});
    const QByteArray before = dir.settingsFile();
    auto entries = sheet->connection().describePortsNow(QStringLiteral("nicht vorhanden"));
    entries.resize(9);  // the COM entries; adapters this machine has are offered after them
    const QString offer = QStringLiteral("COM3 \u2190 KM210 (%1)").arg(QString::fromStdString(second.linkPath()));
    entries.push_back({offer, true, 3, second.linkPath()});
    page->showPortEntries(entries);
    auto* com = page->control<QComboBox>(1001);
    ASSERT_EQ(com->findText(offer), 10) << "after the nine entries and a separator";

    com->setCurrentIndex(10);

    ASSERT_TRUE(trgui::testing::waitForDeviceIdle(*sheet));
    EXPECT_EQ(com->currentIndex(), 2);
    EXPECT_EQ(sheet->settings().comPort, 3);
    EXPECT_EQ(text(1009), "KM210-WT-E1N4H1");
    QByteArray expected = before;
    expected.replace("COM3=/nonexistent/tty-km210", QByteArray("COM3=") + second.linkPath().c_str());
    EXPECT_EQ(dir.settingsFile(), expected) << "one line changed, every other byte kept";
    EXPECT_EQ(com->findText(offer), -1);
}

TEST(PortProblem, theAdviceFollowsTheFacts)
{
    using trgui::device::OpenFailure;
    using trgui::pages::settings::PortProblem;
    OpenFailure base;
    base.kind = OpenFailure::Kind::NoPermission;
    base.device = "/dev/ttyUSB0";
    base.systemText = QStringLiteral("Device or resource busy");
    base.node = {true, QStringLiteral("root"), QStringLiteral("dialout"), 0660};
    base.user = {QStringLiteral("anna"), {QStringLiteral("anna"), QStringLiteral("plugdev")},
                 {QStringLiteral("anna"), QStringLiteral("plugdev")}};
    const trgui::platform::PortLock stale{QStringLiteral("/var/lock/LCK..ttyUSB0"), 4242, QStringLiteral("minicom"),
                                          false, false};
    struct Case {
        std::function<void(OpenFailure&)> facts;
        PortProblem problem;
        QString needed;
        QString never;
    };
    const Case cases[] = {
        {[&](OpenFailure& f) { f.lock = stale; }, PortProblem::StaleLock, "sudo rm /var/lock/LCK..ttyUSB0", "4242"},
        {[&](OpenFailure& f) { f.lock = stale; f.lock->removable = true; }, PortProblem::StaleLock,
         "rm /var/lock/LCK..ttyUSB0", "sudo"},
        {[&](OpenFailure& f) { f.lock = stale; f.lock->pid = 0; }, PortProblem::UnknownLock,
         "sudo rm /var/lock/LCK..ttyUSB0", ""},
        {[&](OpenFailure& f) { f.lock = stale; f.lock->running = true; }, PortProblem::InUse, "4242, minicom", "LCK"},
        {[](OpenFailure&) {}, PortProblem::NoPermission, "sudo usermod -aG dialout anna", ""},
        {[](OpenFailure& f) { f.user.login << "dialout"; }, PortProblem::Other, "Device or resource busy", "usermod"},
        {[](OpenFailure& f) { f.user.member << "dialout"; }, PortProblem::LogInAgain, "newgrp dialout", "usermod"},
        {[](OpenFailure& f) { f.node.group = "root"; }, PortProblem::OwnerOnly, "udev", "usermod"},
        {[](OpenFailure& f) { f.node.mode = 0640; }, PortProblem::OwnerOnly, "udev", "usermod"},
        {[](OpenFailure& f) { f.node.mode = 0666; }, PortProblem::Other, "Device or resource busy", "usermod"},
        {[](OpenFailure& f) { f.kind = OpenFailure::Kind::NotPresent; }, PortProblem::NotPresent, "COM2", ""},
        {[](OpenFailure&) {}, PortProblem::NoAnswer, "KM210", ""},  // an open port: no failure to judge
    };
    for (const auto& [facts, problem, needed, never] : cases) {
        OpenFailure failure = base;
        facts(failure);
        if (problem != PortProblem::NoAnswer) {
            EXPECT_EQ(trgui::pages::settings::problemOf(failure), problem) << needed.toStdString();
        }
        QStringList texts;
        for (int language : {0, 1, 2}) {
            const QString text = trgui::pages::settings::portProblemText(problem, failure, QStringLiteral("COM2"), language);
            EXPECT_TRUE(text.contains(needed)) << text.toStdString();
            EXPECT_TRUE(text.contains(QStringLiteral("COM2 (/dev/ttyUSB0)"))) << text.toStdString();
            EXPECT_TRUE(never.isEmpty() || !text.contains(never)) << text.toStdString();
            EXPECT_FALSE(text.contains(QLatin1Char('%'))) << text.toStdString();
            texts << text;
        }
        EXPECT_EQ(texts.removeDuplicates(), 0) << "one text per language";
    }
}

TEST(PortProblem, onWindowsTheAdviceIsInWindowsTerms)
{
    using trgui::device::OpenFailure;
    using trgui::pages::settings::PortProblem;
    const struct {
        OpenFailure::Kind kind;
        std::string device;  // what COM2 opened: itself, or what a [COM] entry names
        PortProblem problem;
        QString shown;
        QStringList needed;  // by language
    } cases[] = {
        {OpenFailure::Kind::InUse, "COM2", PortProblem::InUse, "COM2 ",
         {"anderen Programm", "another program", "autre programme"}},
        {OpenFailure::Kind::NotPresent, "COM2", PortProblem::NotPresent, "COM2 ",
         {"nicht vorhanden", "not present", "n'existe pas"}},
        {OpenFailure::Kind::InUse, "COM12", PortProblem::InUse, "COM2 (COM12) ",
         {"anderen Programm", "another program", "autre programme"}},
    };
    const QStringList deviceManager{"Geräte-Manager", "Device Manager", "Gestionnaire de périphériques"};
    for (const auto& c : cases) {
        OpenFailure failure;
        failure.kind = c.kind;
        failure.device = c.device;
        failure.comNames = true;
        failure.systemText = QStringLiteral("Access is denied.");
        ASSERT_EQ(trgui::pages::settings::problemOf(failure), c.problem);
        for (int language : {0, 1, 2}) {
            const QString text = trgui::pages::settings::portProblemText(c.problem, failure, QStringLiteral("COM2"), language);
            EXPECT_TRUE(text.startsWith(c.shown)) << text.toStdString();
            EXPECT_TRUE(text.contains(c.needed[language])) << text.toStdString();
            EXPECT_TRUE(text.contains(deviceManager[language])) << text.toStdString();
            for (const char* posixOnly : {"process", "Prozess", "processus", "?", "/dev/", "usermod"})
                EXPECT_FALSE(text.contains(QLatin1String(posixOnly))) << text.toStdString();
            EXPECT_FALSE(text.contains(QLatin1Char('%'))) << text.toStdString();
        }
    }
    // A silent device on an open port: the port is named once, not "COM2 (COM2)".
    OpenFailure open;
    open.device = "COM2";
    for (int language : {0, 1, 2}) {
        const QString text = trgui::pages::settings::portProblemText(PortProblem::NoAnswer, open, QStringLiteral("COM2"), language);
        EXPECT_TRUE(text.startsWith(QStringLiteral("COM2 "))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("(COM2)"))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("KM210"))) << text.toStdString();
    }
}
