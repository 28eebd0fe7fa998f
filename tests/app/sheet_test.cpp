#include "app/call_controls_sheet.h"
#include "pages/configuration/ckonfiguration.h"
#include "pages/operation/cbetrieb.h"
#include "pages/settings/einstellungen.h"
#include "pages/visualisation/cgrafik.h"
#include "platform/platform.h"
#include "support/program_directory.h"
#include "support/simulator.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace trgui;
using trgui::testing::ProgramDirectory;

TEST(Sheet, tabsTitleAndLazyPages)
{
    ProgramDirectory dir;
    app::CAllControlsSheet sheet;
    EXPECT_EQ(sheet.windowTitle(), QString::fromUtf8("Trelvik – KM210 GUI"));
    ASSERT_EQ(sheet.tabs()->count(), 4);
    EXPECT_EQ(sheet.tabs()->tabText(0), "Einstellungen");
    EXPECT_EQ(sheet.tabs()->tabText(1), "Konfiguration");
    EXPECT_EQ(sheet.tabs()->tabText(2), "Betrieb");
    EXPECT_EQ(sheet.tabs()->tabText(3), "Visualisierung");
    sheet.show();
    EXPECT_EQ(sheet.tabs()->currentIndex(), 0);
    EXPECT_TRUE(sheet.settingsPage()->initialised());
    EXPECT_FALSE(sheet.operationPage()->initialised());
    EXPECT_FALSE(sheet.configurationPage()->initialised());
    EXPECT_FALSE(sheet.visualisationPage()->initialised());
    sheet.tabs()->setCurrentIndex(1);
    EXPECT_TRUE(sheet.configurationPage()->initialised());
    EXPECT_FALSE(sheet.operationPage()->initialised());
    EXPECT_TRUE(sheet.findChildren<QDialogButtonBox*>().isEmpty()) << "no OK, Cancel or Help buttons";
}

TEST(Sheet, tabTitlesFollowTheLanguageAtStart)
{
    ProgramDirectory dir;
    dir.writeSettings({"[DATEN]", "LANGUAGE=2"});
    app::CAllControlsSheet french;
    EXPECT_EQ(french.tabs()->tabText(0), QString::fromUtf8("Paramètres"));
    EXPECT_EQ(french.tabs()->tabText(2), QString::fromUtf8("Opération"));
    EXPECT_EQ(french.tabs()->tabText(3), "Affichage graphique");

    dir.writeSettings({"[DATEN]", "LANGUAGE=7"});
    app::CAllControlsSheet unknown;
    EXPECT_EQ(unknown.tabs()->tabText(0), "");
}

TEST(Sheet, noSettingsFileGivesDefaultsAndTheFileAfterwards)
{
    ProgramDirectory dir;
    {
        app::CAllControlsSheet sheet;
        EXPECT_EQ(sheet.settings().comPort, 1);
        EXPECT_EQ(sheet.settings().refreshRate, 2);
    }
    const QByteArray file = dir.settingsFile();
    for (const char* line : {"COMPORT=1\r\n", "LANGUAGE=0\r\n", "AUSGRAUEN=0\r\n", "WORKINGDIR=\r\n", "REFRESHRATE=2\r\n"})
        EXPECT_TRUE(file.contains(line)) << line;
}

TEST(Sheet, cornerMenuMinimisesAndOpensTheAboutBox)
{
    ProgramDirectory dir;
    app::CAllControlsSheet sheet;
    sheet.show();
    auto* corner = sheet.findChild<QToolButton*>(QStringLiteral("cornerMenu"));
    ASSERT_NE(corner, nullptr);
    const auto actions = corner->menu()->actions();
    ASSERT_EQ(actions.size(), 4);
    EXPECT_EQ(actions[0]->text(), "Minimieren");
    EXPECT_EQ(actions[1]->text(), QString::fromUtf8("Servicebericht …"));
    EXPECT_TRUE(actions[2]->isSeparator());
    EXPECT_EQ(actions[3]->text(), QString::fromUtf8("&Info über TR-Gui..."));

    actions[0]->trigger();
    EXPECT_TRUE(sheet.isMinimized());
    sheet.showNormal();
    EXPECT_FALSE(sheet.isMinimized());

    QString aboutTitle;
    QString licences;
    bool offersQtsOwn = false;
    QTimer::singleShot(100, [&] {
        if (auto* box = QApplication::activeModalWidget()) {
            aboutTitle = box->windowTitle();
            if (auto* text = box->findChild<QLabel*>(QStringLiteral("licences")))
                licences = text->text();
            offersQtsOwn = box->findChild<QPushButton*>(QStringLiteral("aboutQt")) != nullptr;
            box->close();
        }
    });
    actions[3]->trigger();
    EXPECT_EQ(aboutTitle, QString::fromUtf8("Info über Trelvik – KM210 GUI"));
    // Where the licence texts and sources are: Debian's places, the program folder on Windows.
    const char* where = trgui::platform::kPortsAreDeviceNodes ? "apt-get source" : "LICENCES.txt";
    for (const char* named : {"Qt 6 unter der LGPL-3", "QCustomPlot 2.1 unter der GPL-3", where})
        EXPECT_TRUE(licences.contains(QString::fromUtf8(named))) << licences.toStdString();
    EXPECT_TRUE(offersQtsOwn);
}

TEST(Sheet, everyPageTellsWhetherADeviceAnswersAndTheOperationPageWhyItHasNoValues)
{
    trgui::testing::Simulator sim{17};
    sim.control("silent on");
    ProgramDirectory dir;
    dir.writeSettings({"[COM]", "COMPORT=1", "COM1=" + sim.linkPath(), "[DATEN]", "LANGUAGE=1"});
    app::CAllControlsSheet sheet;
    sheet.show();
    auto* line = sheet.findChild<QLabel*>(QStringLiteral("connectionStatus"));
    ASSERT_NE(line, nullptr);
    const QString link = QString::fromStdString(sim.linkPath());
    ASSERT_TRUE(QTest::qWaitFor([&] { return line->text().contains("does not answer"); }, 8000)) << line->text().toStdString();
    EXPECT_TRUE(line->text().startsWith("COM1 (" + link + ")"));
    EXPECT_EQ(line->accessibleName(), "not connected: " + line->text());

    sheet.tabs()->setCurrentIndex(2);
    auto* notice = sheet.operationPage()->findChild<QLabel*>(QStringLiteral("noDeviceNotice"));
    ASSERT_NE(notice, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return notice->isVisible(); }, 3000));
    EXPECT_EQ(notice->text(), "No device answers on COM1 (" + link + ").");

    sim.control("silent off");
    ASSERT_TRUE(QTest::qWaitFor([&] { return line->text().contains("last poll"); }, 10000)) << line->text().toStdString();
    EXPECT_FALSE(notice->isVisible());
    EXPECT_TRUE(line->accessibleName().startsWith("connected: COM1 (" + link + ") – KM210-DR-E1S2H1 – last poll "));
}

TEST(Sheet, closingWhileTheDeviceIsAskedEndsCleanlyWithTheSettingsSaved)
{
    trgui::testing::Simulator sim(17, 60);  // a slow device: the identification is still running
    ProgramDirectory dir;
    dir.writeSettings({"[COM]", "COMPORT=1", "COM1=" + sim.linkPath(), "[DATEN]", "REFRESHRATE=7"});
    {
        app::CAllControlsSheet sheet;
        sheet.show();
        EXPECT_GT(sheet.portSlot().pending(), 0) << "the window is up before the device has answered";
    }
    const QByteArray saved = dir.settingsFile();
    EXPECT_TRUE(saved.contains("REFRESHRATE=7")) << saved.constData();
    EXPECT_TRUE(sim.waitForLog("request 0x50 Identify")) << "the identification ran to its end";
}

TEST(Sheet, aSmallScreenGetsAWindowThatFitsAndPagesThatScroll)
{
    ProgramDirectory dir;
    app::CAllControlsSheet sheet;
    sheet.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
    const QRect screen = sheet.screen()->availableGeometry();
    EXPECT_LE(sheet.frameGeometry().width(), screen.width());
    EXPECT_LE(sheet.frameGeometry().height(), screen.height());

    sheet.resize(600, 400);  // smaller than any page
    for (int tab = 0; tab < sheet.tabs()->count(); ++tab) {
        sheet.tabs()->setCurrentIndex(tab);
        auto* area = qobject_cast<QScrollArea*>(sheet.tabs()->widget(tab));
        ASSERT_TRUE(area) << tab;
        // The page keeps the size it needs; what the window lacks is scrolled to
        // once the layout has settled (its pending requests are handled first).
        const auto settled = [area] {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            const QSize needed = area->widget()->minimumSizeHint();
            return area->widget()->height() >= needed.height() && area->widget()->width() >= needed.width()
                && (area->verticalScrollBar()->maximum() > 0 || area->horizontalScrollBar()->maximum() > 0);
        };
        EXPECT_TRUE(QTest::qWaitFor(settled, 30000)) << tab;
    }
}

// Place, size and page come back; the Settings page still opens the port first.
TEST(Sheet, theWindowComesBackWhereItWasOnThePageItShowed)
{
    ProgramDirectory dir;
    {
        app::CAllControlsSheet sheet;
        sheet.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&sheet));
        sheet.resize(700, 500);  // within the test screen
        sheet.move(30, 40);
        sheet.tabs()->setCurrentIndex(2);
    }
    EXPECT_TRUE(dir.settingsFile().contains("[FENSTER]\r\nGEOMETRIE=30,40,700,500\r\nMAXIMIERT=0\r\nSEITE=2\r\n"))
        << dir.settingsFile().constData();

    app::CAllControlsSheet sheet;
    EXPECT_EQ(sheet.size(), QSize(700, 500));
    EXPECT_EQ(sheet.pos(), QPoint(30, 40));
    sheet.show();
    EXPECT_TRUE(sheet.settingsPage()->initialised());
    EXPECT_EQ(sheet.tabs()->currentIndex(), 2);
    EXPECT_TRUE(sheet.operationPage()->initialised());
    EXPECT_FALSE(sheet.configurationPage()->initialised());
}

// A copy started while the first runs opens beside it and leaves the place to the first.
TEST(Sheet, aSecondCopyOpensBesideTheFirstAndLeavesItsPlaceAlone)
{
    ProgramDirectory dir;
    dir.writeSettings({"[FENSTER]", "GEOMETRIE=30,40,600,400", "SEITE=0"});
    auto first = std::make_unique<app::CAllControlsSheet>();
    first->show();
    {
        app::CAllControlsSheet second;
        EXPECT_EQ(second.pos(), QPoint(70, 80));
        second.show();
        second.move(300, 200);
        second.tabs()->setCurrentIndex(3);
    }
    EXPECT_TRUE(dir.settingsFile().contains("GEOMETRIE=30,40,600,400\r\n"));
    EXPECT_TRUE(dir.settingsFile().contains("SEITE=0\r\n"));
    first->move(50, 60);
    first.reset();
    EXPECT_TRUE(dir.settingsFile().contains("GEOMETRIE=50,60,600,400\r\n"));
    app::CAllControlsSheet third;
    EXPECT_EQ(third.pos(), QPoint(50, 60)) << "the first copy's mark went with it";
}

// Settings that cannot be saved as the window closes are told once, with the
// file and the system's reason, while the window is still there.
TEST(Sheet, settingsThatCannotBeSavedOnClosingAreToldOnceWithTheReason)
{
    ProgramDirectory dir;
    dir.writeSettings({"[DATEN]", "REFRESHRATE=3"});
    app::CAllControlsSheet sheet;
    sheet.show();
    const QString file = QString::fromLocal8Bit(sheet.settings().settingsFilePath.c_str());
#ifdef _WIN32
    // Read-only, as a file in a folder the user may not change.
    ASSERT_TRUE(QFile::setPermissions(file, QFileDevice::ReadOwner));
#else
    // A folder where the file was: neither replaced nor written in place, also for root.
    ASSERT_TRUE(QFile::remove(file) && QDir().mkdir(file));
#endif
    dir.takeBoxes();
    sheet.close();
    const auto boxes = dir.takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, "Einstellungen nicht gespeichert");
    EXPECT_TRUE(boxes[0].second.contains(QDir::toNativeSeparators(file))) << boxes[0].second.toStdString();
    EXPECT_FALSE(sheet.settings().lastSaveError.isEmpty());
    EXPECT_TRUE(boxes[0].second.endsWith(sheet.settings().lastSaveError)) << boxes[0].second.toStdString();
    EXPECT_TRUE(sheet.isHidden());
#ifdef _WIN32
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
#else
    QDir().rmdir(file);
#endif
}
