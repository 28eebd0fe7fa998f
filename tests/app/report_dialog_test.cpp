#include "app/report_dialog.h"
#include "support/program_directory.h"

#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace trgui;
using app::ReportDialog;
using trgui::testing::ProgramDirectory;

// Technician, site and tag come from the settings file every time (a slip
// corrected there is not offered again); OK saves what was typed, emptied
// fields too; Cancel leaves the file alone; a name too long for the file is
// shown cut and must be confirmed.
TEST(ServiceReportDialog, prefillsFromTheFileEachTimeAndSavesOnOkOnly)
{
    ProgramDirectory dir;
    dir.writeSettings({"[BERICHT]", "TECHNIKER=Anna Weber", "STANDORT=Werk 2", "KENNUNG=FT-101"});
    auto settings = core::SettingsRecord::forDirectory(dir.path());
    settings.load();
    settings.language = 2;
    settings.technician = "Anna Webr";  // a slip of this run, not in the file
    const QByteArray before = dir.settingsFile();

    QStringList offered;
    std::function<void(ReportDialog&)> act;
    ReportDialog::setAnswerer([&](ReportDialog& dialog) {
        offered.clear();
        for (auto f : {ReportDialog::Technician, ReportDialog::Site, ReportDialog::InstrumentTag})
            offered << dialog.field(f)->text();
        act(dialog);
    });
    const auto fill = [](ReportDialog& dialog, const QStringList& values) {
        for (auto f : {ReportDialog::Technician, ReportDialog::Site, ReportDialog::InstrumentTag})
            dialog.field(f)->setText(values[f]);
    };

    act = [&](ReportDialog& dialog) {
        // In the program's language, each field named by its label.
        QLineEdit* technician = dialog.field(ReportDialog::Technician);
        const auto labels = dialog.findChildren<QLabel*>();
        const auto label = std::find_if(labels.begin(), labels.end(), [&](QLabel* l) { return l->buddy() == technician; });
        ASSERT_NE(label, labels.end());
        EXPECT_EQ((*label)->text(), "Technicien");
        EXPECT_EQ(technician->accessibleName(), (*label)->text());
        fill(dialog, {"Bernd", "Halle 4", "FT-102"});
        dialog.reject();
    };
    EXPECT_EQ(app::askReportNames(settings, nullptr), app::ReportNamesOutcome::Cancelled);
    EXPECT_EQ(offered, (QStringList{"Anna Weber", "Werk 2", "FT-101"}));
    EXPECT_EQ(dir.settingsFile(), before) << "Cancel writes nothing";

    act = [&](ReportDialog& dialog) {
        fill(dialog, {QString::fromUtf8("Jörg Müller"), "", "FT-102"});
        dialog.accept();
    };
    EXPECT_EQ(app::askReportNames(settings, nullptr), app::ReportNamesOutcome::Saved);
    // The file holds the system's own encoding: UTF-8 here, Windows-1252 on Windows.
    const QByteArray technician = "TECHNIKER=" + QString::fromUtf8("Jörg Müller").toLocal8Bit() + "\r\n";
    for (const QByteArray& line : {technician, QByteArray("STANDORT=\r\n"), QByteArray("KENNUNG=FT-102\r\n")})
        EXPECT_TRUE(dir.settingsFile().contains(line)) << line.toStdString();

    // Longer than the file's 511 bytes: Ä takes two of them in UTF-8, one in Windows-1252.
    const QChar umlaut(0xC4);
    const int fits = static_cast<int>(core::kSettingsValueMax) / static_cast<int>(QString(umlaut).toLocal8Bit().size());

    act = [&](ReportDialog& dialog) {
        fill(dialog, {QString(fits + 45, umlaut), "Werk 2", "FT-102"});
        dialog.accept();
        EXPECT_NE(dialog.result(), QDialog::Accepted) << "stays open";
        EXPECT_EQ(dialog.field(ReportDialog::Technician)->text(), QString(fits, umlaut));
        EXPECT_FALSE(dialog.findChild<QLabel*>(QStringLiteral("cutNotice"))->isHidden());
        dialog.accept();
    };
    EXPECT_EQ(app::askReportNames(settings, nullptr), app::ReportNamesOutcome::Saved);
    EXPECT_EQ(offered, (QStringList{QString::fromUtf8("Jörg Müller"), "", "FT-102"}));
    EXPECT_EQ(settings.technician, QString(fits, umlaut).toLocal8Bit().toStdString());
    ReportDialog::setAnswerer({});
}
