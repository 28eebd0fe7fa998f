#include "app/call_controls_sheet.h"
#include "app/report_dialog.h"
#include "core/variants.h"
#include "device/protocol.h"
#include "pages/configuration/ckonfiguration.h"
#include "pages/operation/cbetrieb.h"
#include "pages/configuration/core/configuration_block.h"
#include "pages/configuration/core/configuration_controls.h"
#include "pages/configuration/core/configuration_fields.h"
#include "pages/settings/einstellungen.h"
#include "support/device_idle.h"
#include "support/files.h"
#include "support/program_directory.h"
#include "support/simulator.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

#include <bit>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <regex>

using namespace trgui;
using pages::configuration::Field;
using pages::configuration::infoOf;
using trgui::testing::ProgramDirectory;
using trgui::testing::shown;
using trgui::testing::Simulator;

namespace configuration = trgui::pages::configuration;
namespace id = configuration::id;

namespace {

class ConfigurationPage : public ::testing::Test {
protected:
    // polling: the Operation page is opened, so the cycle polls the device.
    void start(int type, int language = 0, int greyOut = 0, bool polling = true)
    {
        if (type != 17)
            sim.control("type " + std::to_string(type));
        dir.writeSettings({"[COM]", "COMPORT=1", "COM1=" + sim.linkPath(), "COM3=/nonexistent/tty-km210", "[DATEN]",
                           "LANGUAGE=" + std::to_string(language), "AUSGRAUEN=" + std::to_string(greyOut),
                           "[BERICHT]", "TECHNIKER=Anna Weber", "STANDORT=Werk 2"});
        sheet = std::make_unique<app::CAllControlsSheet>();
        sheet->show();
        ASSERT_TRUE(trgui::testing::waitForDeviceIdle(*sheet));
        if (polling)
            sheet->tabs()->setCurrentIndex(2);  // the Operation page starts the polling
        sheet->tabs()->setCurrentIndex(1);
        page = sheet->configurationPage();
        ASSERT_TRUE(page->initialised());
        dir.takeBoxes();
    }
    QComboBox* combo(Field f) { return page->control<QComboBox>(infoOf(f).control); }
    QLineEdit* edit(Field f) { return page->control<QLineEdit>(infoOf(f).control); }
    bool changeMarker(Field f) { return shown(page->control(infoOf(f).changeMarker)); }
    void click(int id) { QTest::mouseClick(page->control<QPushButton>(id), Qt::LeftButton); }
    void settle()
    {
        while (page->settleCounter() > 0)
            page->countDownSettleCounter();
    }
    // The bytes of the last log line that matches pattern, as the simulator dumped them in hex.
    std::string lastHex(const std::string& pattern)
    {
        const std::string log = sim.log();
        const std::regex line(pattern + " ([0-9A-F]+)");
        std::string found;
        for (auto it = std::sregex_iterator(log.begin(), log.end(), line); it != std::sregex_iterator(); ++it)
            found = (*it)[1].str();
        return found;
    }
    std::vector<QString> captions()
    {
        std::vector<QString> out;
        for (const auto& box : dir.takeBoxes())
            out.push_back(box.first);
        return out;
    }
    int polls() { return sim.count("request 0x41 ReadErrorCode"); }
    // The request bytes the simulator logged after the first skip of them.
    std::vector<int> requestsAfter(std::size_t skip)
    {
        std::vector<int> out;
        const std::string log = sim.log();
        const std::regex request("request 0x([0-9A-F]{2})");
        for (auto it = std::sregex_iterator(log.begin(), log.end(), request); it != std::sregex_iterator(); ++it)
            out.push_back(std::stoi((*it)[1].str(), nullptr, 16));
        out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(std::min(skip, out.size())));
        return out;
    }
    std::size_t requestCount() { return requestsAfter(0).size(); }
    // The device stops answering until the connection has taken it for silent (red lamp).
    bool silenceNoticed()
    {
        sim.control("silent on");
        return QTest::qWaitFor([&] { return !sheet->settings().deviceAnswering; }, 10000);
    }

    Simulator sim{17};
    ProgramDirectory dir;
    std::unique_ptr<app::CAllControlsSheet> sheet;
    pages::CKonfiguration* page = nullptr;
};

} // namespace

TEST_F(ConfigurationPage, aReadFillsTheFieldsOfEachFamilyAndAWriteSendsWhatChangedOnly)
{
    struct Case {
        int type;
        std::vector<Field> filled;
        std::vector<int> unavailable;
    };
    const Case cases[] = {
        {3, {Field::TValue, Field::CValue, Field::PipeSize, Field::Limit1On, Field::PulseValue}, {1066, 1126, 1134}},
        {18, {Field::TValue, Field::CValue, Field::PipeSize, Field::Pressure, Field::Limit2Off}, {1066, 1078}},
        {33, {Field::TValue, Field::CValue, Field::PipeSize, Field::PulseValue}, {1066, 1134, 1138, 1146}},
    };
    for (const auto& c : cases) {
        start(c.type);
        click(id::Read);
        EXPECT_EQ(page->control<QComboBox>(configuration::kHwVersionCombo)->currentIndex(), c.type);
        for (Field f : {Field::Language, Field::SensorType, Field::VelocityUnit, Field::TemperatureUnit,
                        Field::VolumeFlowUnit, Field::TotaliserUnit, Field::DisplayLine1, Field::DisplayLine2})
            EXPECT_GE(combo(f)->currentIndex(), 0) << c.type << " field " << int(f);
        for (Field f : c.filled)
            EXPECT_FALSE(edit(f)->text().trimmed().isEmpty()) << c.type << " field " << int(f);
        EXPECT_EQ(edit(Field::CValue)->text(), c.type == 18 ? "100" : "1000");
        EXPECT_EQ(page->control<QLabel>(id::AnalogFlowStartUnit)->text(), "m/s");
        for (int id : c.unavailable)
            EXPECT_FALSE(shown(page->control(id))) << c.type << " control " << id;
        for (const auto& info : pages::configuration::kFields)
            EXPECT_FALSE(shown(page->control(info.changeMarker))) << info.control;
        EXPECT_TRUE(captions().empty());

        const std::string reply = lastHex("ReadConfiguration -> [0-9]+ bytes");
        ASSERT_FALSE(reply.empty());
        // The reply is request, length, block, checksum; the telegram the same frame under 0x60.
        const std::string block = reply.substr(4, reply.size() - 6);
        // Unchanged: said so, and nothing is sent.
        const int writes = sim.count("WriteConfiguration");
        click(id::Write);
        EXPECT_EQ(captions(), std::vector<QString>{"Konfiguration nicht geschrieben"});
        EXPECT_EQ(sim.count("WriteConfiguration"), writes);
        // One field changed: the table shows it, and the block sent differs from the one read in that field only.
        const QString cValue = edit(Field::CValue)->text().trimmed();
        edit(Field::CValue)->setText(QString::number(cValue.toInt() + 1));
        click(id::Write);
        auto boxes = dir.takeBoxes();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0].first, "Konfiguration schreiben");
        EXPECT_TRUE(boxes[0].second.contains(QStringLiteral("<td style=\"padding: 1px 8px\">%1</td>").arg(cValue)))
            << boxes[0].second.toStdString();
        EXPECT_EQ(boxes[0].second.count(QStringLiteral("<tr>")), 2) << "the headings and one change";
        EXPECT_EQ(boxes[1].first, "Konfiguration geschrieben");
        ASSERT_TRUE(sim.waitForLog("WriteConfiguration"));
        const std::string written = lastHex("WriteConfiguration [0-9]+ bytes -> ACK").substr(4, block.size());
        ASSERT_EQ(written.size(), block.size());
        // The C-value's bytes (two hex digits each) may differ, no other.
        const auto layout = pages::configuration::blockLayout(trgui::device::familyOf(c.type));
        const auto entry = std::find_if(layout.begin(), layout.end(), [](const auto& e) { return e.field == Field::CValue; });
        ASSERT_NE(entry, layout.end());
        const std::size_t first = entry->offset;
        const std::size_t last = first + (entry->encoding == pages::configuration::Encoding::Int16 ? 1 : 3);
        int differing = 0;
        for (std::size_t i = 0; i < block.size(); ++i) {
            if (written[i] == block[i])
                continue;
            ++differing;
            EXPECT_TRUE(i / 2 >= first && i / 2 <= last) << "type " << c.type << ": byte " << i / 2 << " changed too";
        }
        EXPECT_GE(differing, 1) << "type " << c.type;
        sheet.reset();
        QTest::qWait(300);  // let the last poll's reply die away before the next sheet identifies
    }
}

TEST_F(ConfigurationPage, changeMarkersFollowTheDifferenceToWhatWasRead)
{
    start(17);
    click(id::Read);
    edit(Field::PipeSize)->setText("60");
    EXPECT_FALSE(changeMarker(Field::PipeSize)) << "the fields settle for 20 ticks after a read";
    settle();
    edit(Field::PipeSize)->setText("70");
    EXPECT_TRUE(changeMarker(Field::PipeSize));
    EXPECT_TRUE(page->control(infoOf(Field::PipeSize).changeMarker)->toolTip().contains("Zuletzt gelesen: 50.0"));
    edit(Field::PipeSize)->setText("50");
    EXPECT_FALSE(changeMarker(Field::PipeSize)) << "changed back";

    combo(Field::VelocityUnit)->setCurrentIndex(2);
    EXPECT_TRUE(changeMarker(Field::VelocityUnit));
    EXPECT_EQ(page->control<QLabel>(id::AnalogFlowEndUnit)->text(), "fps");
    combo(Field::VelocityUnit)->setCurrentIndex(1);
    EXPECT_FALSE(changeMarker(Field::VelocityUnit));
    page->control<QCheckBox>(1055)->click();
    EXPECT_TRUE(changeMarker(Field::Backlight));
    EXPECT_TRUE(page->control(infoOf(Field::Backlight).changeMarker)->toolTip().contains("ein"));

    // Closing with an edit not written asks first, from the close box and from Ctrl+Q alike; No keeps the window.
    std::vector<QString> asked;
    bool answer = false;
    pages::PageBase::setQuestionHandler([&](const QString& caption, const QString&) {
        asked.push_back(caption);
        return answer;
    });
    sheet->close();
    EXPECT_TRUE(sheet->isVisible());
    answer = true;
    QTest::keyClick(sheet.get(), Qt::Key_Q, Qt::ControlModifier);
    pages::PageBase::setQuestionHandler({});
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(asked, std::vector<QString>(2, QString::fromUtf8("Programm schließen")));
}

TEST_F(ConfigurationPage, aWrittenValueIsKeptByTheDeviceAndPollingGoesOn)
{
    start(17);
    ASSERT_TRUE(QTest::qWaitFor([&] { return polls() >= 1; }, 10000));
    click(id::Read);
    settle();
    edit(Field::PipeSize)->setText("62,5");
    edit(Field::Limit2On)->setText("3.85");
    click(id::Write);
    EXPECT_EQ(captions(), (std::vector<QString>{"Konfiguration schreiben", "Konfiguration geschrieben"}))
        << "asked with the changes, then written";
    QFile log(dir.file(QStringLiteral("service-log.csv")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray entries = log.readAll();
    EXPECT_TRUE(entries.contains("; Konfiguration schreiben; ") && entries.contains(" -> 62,5 | ")
                && entries.endsWith("; best\xC3\xA4tigt, zur\xC3\xBC" "ckgelesen; Anna Weber; ; ; ; \r\n"))
        << entries.toStdString();

    // The service report: as found against as left, the live values, the write.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sheet->reportData().live.empty(); }, 10000)) << "polling is on";
    const core::ReportData report = sheet->reportData();
    EXPECT_EQ(report.technician, "Anna Weber");
    EXPECT_EQ(report.model, "KM210-DR-E1S2H1");
    const auto pipe = std::find_if(report.configuration.begin(), report.configuration.end(),
                                   [](const core::ReportRow& r) { return r.asLeft == "62,5"; });
    ASSERT_NE(pipe, report.configuration.end());
    EXPECT_NE(pipe->asFound, pipe->asLeft);
    ASSERT_FALSE(report.actions.empty());
    EXPECT_EQ(report.actions.back().action, core::ServiceAction::ConfigurationWrite);
    const QString pdf = dir.file(QStringLiteral("report"));
    pages::PageBase::setFileChooser([&](auto...) { return pdf; });
    app::ReportDialog::setAnswerer([](app::ReportDialog& dialog) { dialog.accept(); });
    sheet->writeReport();
    const QByteArray written = trgui::testing::fileContents(pdf + ".pdf");
    EXPECT_TRUE(written.startsWith("%PDF-"));
    EXPECT_GT(written.size(), 2000);
    // The same name again: ".pdf" reaches the report just written, which the
    // dialog did not ask about, so the window asks (answered yes). On a full
    // disk that is told, and the report there stays as it was.
    dir.takeBoxes();
    if (trgui::testing::kFullDiskPlayable) {
        {
            const trgui::testing::FileSizeLimit full(written.size() / 2);
            sheet->writeReport();
        }
        EXPECT_EQ(captions(), (std::vector<QString>{"Servicebericht", "Bericht"}));
        EXPECT_EQ(trgui::testing::fileContents(pdf + ".pdf"), written);
    }
    app::ReportDialog::setAnswerer({});
    pages::PageBase::setFileChooser({});
    EXPECT_EQ(edit(Field::PipeSize)->text(), " 62.5") << "as read back from the device";
    EXPECT_FALSE(changeMarker(Field::PipeSize));
    // The block the device stored holds the floats typed, to the last bit
    // (big-endian; the block starts after request and length).
    const std::string block = lastHex("WriteConfiguration [0-9]+ bytes -> ACK").substr(4);
    const auto floatAt = [&](int offset) { return block.substr(static_cast<std::size_t>(offset) * 2, 8); };
    const auto hexOf = [](float v) {
        char text[9];
        std::snprintf(text, sizeof text, "%08X", std::bit_cast<std::uint32_t>(v));
        return std::string(text);
    };
    EXPECT_EQ(floatAt(7), hexOf(62.5f));
    EXPECT_EQ(floatAt(45), hexOf(3.85f));

    // Nothing differs from what the device holds: "Alles löschen" asks nothing.
    dir.takeBoxes();
    click(id::ClearAll);
    EXPECT_TRUE(captions().empty());
    EXPECT_TRUE(edit(Field::PipeSize)->text().isEmpty());
    EXPECT_TRUE(page->control<QLabel>(id::AnalogFlowEndUnit)->text().isEmpty());
    EXPECT_EQ(page->control<QLabel>(id::PressureUnit)->text(), "bar") << "the pressure's unit is fixed";
    click(id::Read);
    EXPECT_EQ(edit(Field::PipeSize)->text(), " 62.5");
    EXPECT_EQ(edit(Field::Limit2On)->text(), "  3.85");
    const int before = polls();
    EXPECT_TRUE(QTest::qWaitFor([&] { return polls() >= before + 2; }, 10000)) << "live values keep coming";
}

TEST_F(ConfigurationPage, failedWritesAndReadsSaySo)
{
    start(17);
    click(id::Read);
    // Each write changes the pipe size, so there is something to write.
    int pipe = 60;
    const auto writeChanged = [&] {
        edit(Field::PipeSize)->setText(QString::number(++pipe));
        click(id::Write);
    };
    sim.control("noack first");  // the first half's reply is not looked at
    writeChanged();
    sim.control("noack second");  // stored, its acknowledgement lost: the read-back tells
    writeChanged();
    sim.control("noack off");
    sim.control("ignore on");  // neither stored nor acknowledged: the read-back tells that too
    writeChanged();
    sim.control("ignore off");
    sim.control("silent on");  // what the device holds cannot be read: nothing is asked or sent
    writeChanged();
    const QString ask = QStringLiteral("Konfiguration schreiben");
    const auto boxes = dir.takeBoxes();
    std::vector<QString> shown;
    for (const auto& box : boxes)
        shown.push_back(box.first);
    EXPECT_EQ(shown, (std::vector<QString>{ask, "Konfiguration geschrieben", ask, "Konfiguration geschrieben", ask,
                                           "Konfiguration nicht geschrieben", "Konfiguration nicht gelesen"}));
    ASSERT_EQ(boxes.size(), 7u);
    EXPECT_TRUE(boxes[3].second.contains(QString::fromUtf8("Bestätigung des Geräts ging verloren"))) << boxes[3].second.toStdString();
    EXPECT_TRUE(boxes[5].second.contains(QString::fromUtf8("nichts wurde geändert"))) << boxes[5].second.toStdString();
    sim.control("silent off");

    // A reply that is not the whole block decodes nothing.
    settle();
    edit(Field::PipeSize)->setText("77");
    for (const char* length : {"length 0x30 40", "length 0x30 80", "silent on"}) {
        sim.control(length);
        click(id::Read);
        EXPECT_EQ(captions(), std::vector<QString>{"Konfiguration nicht gelesen"}) << length;
        EXPECT_EQ(edit(Field::PipeSize)->text(), "77") << length;
        EXPECT_TRUE(changeMarker(Field::PipeSize)) << "stale contents stay marked: " << length;
        sim.control("length 0x30 off");
        sim.control("silent off");
    }

    // No device: read and write send nothing and say why.
    sheet->settingsPage()->control<QComboBox>(1001)->setCurrentIndex(2);
    ASSERT_TRUE(trgui::testing::waitForDeviceIdle(*sheet));
    dir.takeBoxes();
    const int before = sim.count("request");
    click(id::Write);
    click(id::Read);
    EXPECT_EQ(captions(), std::vector<QString>(2, QString::fromUtf8("Kein Gerät")));
    EXPECT_EQ(sim.count("request"), before);

    // A change not yet written: "Alles löschen" asks first, and No keeps it.
    settle();
    edit(Field::PipeSize)->setText("78");
    ASSERT_TRUE(changeMarker(Field::PipeSize));
    std::vector<QString> asked;
    bool answer = false;
    pages::PageBase::setQuestionHandler([&](const QString& caption, const QString&) {
        asked.push_back(caption);
        return answer;
    });
    click(id::ClearAll);
    EXPECT_EQ(edit(Field::PipeSize)->text(), "78");
    answer = true;
    click(id::ClearAll);
    pages::PageBase::setQuestionHandler({});
    EXPECT_EQ(asked, std::vector<QString>(2, QString::fromUtf8("Alles löschen")));
    EXPECT_TRUE(edit(Field::PipeSize)->text().isEmpty());
}

TEST_F(ConfigurationPage, theVariantChosenOnThePageDoesNotChangeWhatIsPolled)
{
    start(17);
    ASSERT_TRUE(QTest::qWaitFor([&] { return polls() >= 1; }, 10000));
    click(id::Read);
    EXPECT_FALSE(shown(page->control(id::PulseValueUnit))) << "an S2 device has no pulse output, nor its unit";
    page->control<QComboBox>(configuration::kHwVersionCombo)->setCurrentIndex(3);  // "KM210-E1N4H1", family 0: right away, no settling
    EXPECT_EQ(page->pageFamily(), trgui::device::Family::Standard);
    EXPECT_EQ(combo(Field::SensorType)->count(), 15);
    EXPECT_EQ(combo(Field::SensorType)->currentIndex(), -1);
    EXPECT_FALSE(shown(page->control(1134))) << "family 0 has no medium";
    EXPECT_EQ(sheet->settings().deviceFamily, trgui::device::Family::Dr);
    const int lowFlow = sim.count("ReadLowFlowSuppression");
    EXPECT_TRUE(QTest::qWaitFor([&] { return sim.count("ReadLowFlowSuppression") >= lowFlow + 2; }, 10000));

    page->clearAll();
    EXPECT_EQ(page->checkConfiguration(), -1);
    EXPECT_TRUE(shown(page->control(1026)));
    for (const auto& info : pages::configuration::kFields)
        EXPECT_FALSE(shown(page->control(info.errorMarker))) << "only the HW-Version is marked: " << info.control;
}

TEST_F(ConfigurationPage, saveAndLoadAConfigurationFile)
{
    start(3);
    click(id::Read);
    const QString path = dir.file("device3.cfg");
    QString title;
    pages::PageBase::setFileChooser([&](QWidget*, pages::PageBase::FileDialog, const QString& t, const QString&) {
        title = t;
        return path;
    });
    click(id::Save);
    EXPECT_EQ(title, "Konfiguration speichern");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_EQ(bytes.size(), 101);
    EXPECT_EQ(bytes[0], 3);
    EXPECT_EQ(sheet->settings().workingDir, QDir::toNativeSeparators(QFileInfo(path).absolutePath() + "/").toStdString());

    const QString pipe = edit(Field::PipeSize)->text();
    const int sensor = combo(Field::SensorType)->currentIndex();
    click(id::ClearAll);
    title.clear();
    click(id::Save);
    EXPECT_EQ(captions(), std::vector<QString>{"Konfiguration nicht gespeichert"}) << "no HW-Version chosen";
    EXPECT_TRUE(title.isEmpty()) << "and no file asked for";
    click(id::Load);
    EXPECT_EQ(title, "Konfiguration laden");
    EXPECT_EQ(page->control<QComboBox>(configuration::kHwVersionCombo)->currentIndex(), 3);
    EXPECT_EQ(edit(Field::PipeSize)->text().trimmed(), pipe.trimmed());
    EXPECT_EQ(combo(Field::SensorType)->currentIndex(), sensor);

    QFile foreign(dir.file("foreign.cfg"));
    ASSERT_TRUE(foreign.open(QIODevice::WriteOnly));
    foreign.write(QByteArray(101, 'x'));
    foreign.close();
    edit(Field::PipeSize)->setText("12");
    pages::PageBase::setFileChooser([&](auto...) { return foreign.fileName(); });
    click(id::Load);
    EXPECT_EQ(captions(), std::vector<QString>{"Datei nicht geladen"});
    EXPECT_EQ(edit(Field::PipeSize)->text(), "12") << "the page stays as it was";

    pages::PageBase::setFileChooser([&](auto...) { return dir.file("no/such/dir/x.cfg"); });
    click(id::Save);
    EXPECT_EQ(captions(), std::vector<QString>{"Datei nicht geöffnet"});
    edit(Field::TValue)->setText("300");
    click(id::Save);
    EXPECT_TRUE(shown(page->control(infoOf(Field::TValue).errorMarker))) << "300 does not fit its byte";
    EXPECT_TRUE(captions().empty());
    pages::PageBase::setFileChooser({});
}

// A load that is refused leaves the page as it was: no marker, nothing
// that closing would ask about.
TEST_F(ConfigurationPage, aRefusedLoadLeavesNoMarkerBehind)
{
    start(17);
    QFile recording(dir.file("recording.csv"));
    ASSERT_TRUE(recording.open(QIODevice::WriteOnly));
    recording.write("KM210-DR-E1S2H1\r\nDatum; Uhrzeit; v [m/s]\r\n2026.12.10; 10:00:00; 1,000\r\n");
    recording.close();
    for (const QString& chosen : {recording.fileName(), QString()}) {
        pages::PageBase::setFileChooser([&](auto...) { return chosen; });
        click(id::Load);
        EXPECT_EQ(captions(), chosen.isEmpty() ? std::vector<QString>{} : std::vector<QString>{"Datei nicht geladen"});
        EXPECT_FALSE(changeMarker(Field::SensorType)) << chosen.toStdString();
        bool asked = false;
        pages::PageBase::setQuestionHandler([&](auto...) { return asked = true; });
        EXPECT_TRUE(page->confirmClose());
        EXPECT_FALSE(asked) << "closing has nothing to ask after " << chosen.toStdString();
    }
    pages::PageBase::setQuestionHandler({});
    pages::PageBase::setFileChooser({});
}

TEST_F(ConfigurationPage, listsAndNamesInEnglishAndGreyedFields)
{
    start(12, 1, 1);
    EXPECT_EQ(combo(Field::Medium)->itemText(0), "air");
    EXPECT_EQ(combo(Field::OperatingMode)->itemText(1), "operating flow");
    click(id::Read);
    for (int id : {1134, 1138, 1146, 1126, 1130}) {
        EXPECT_TRUE(shown(page->control(id))) << id;
        EXPECT_FALSE(page->control(id)->isEnabled()) << id;
    }
    EXPECT_TRUE(page->control(1066)->isEnabled());
    EXPECT_EQ(page->control(1029)->accessibleName(), page->control<QLabel>(1030)->text());
    EXPECT_TRUE(page->control(1031)->accessibleName().endsWith("changed"));
}

TEST_F(ConfigurationPage, aWriteNeedsAReadOfThisDeviceAndNeverGoesToAnotherFamily)
{
    start(17);
    click(id::Read);
    settle();
    edit(Field::PipeSize)->setText("61");
    const auto waitForModel = [&](int code) {
        return QTest::qWaitFor([&] { return sheet->settings().deviceTypeCode == code; }, 10000);
    };

    // Another family on the port: refused, naming both models.
    sim.control("type 33");
    ASSERT_TRUE(waitForModel(33));
    dir.takeBoxes();
    const int writes = sim.count("WriteConfiguration");
    click(id::Write);
    auto boxes = dir.takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, "Konfiguration nicht geschrieben");
    EXPECT_TRUE(boxes[0].second.contains("KM210-DR-E1S2H1") && boxes[0].second.contains("KM210-WT-E1N4H1"))
        << boxes[0].second.toStdString();

    // Another device of the same family: the write compares against what it
    // holds, read just now, and says the page is for another variant.
    sim.control("type 18");
    ASSERT_TRUE(waitForModel(18));
    QString asked;
    pages::PageBase::setQuestionHandler([&](const QString& caption, const QString& text) {
        asked = caption + "\n" + text;
        return false;
    });
    click(id::Write);
    pages::PageBase::setQuestionHandler({});
    EXPECT_TRUE(asked.startsWith("Konfiguration schreiben\n") && asked.contains("KM210-DR-E1S2H1")
                && asked.contains("61,0") && asked.contains(core::variants::modelText(18)))
        << asked.toStdString();
    EXPECT_EQ(edit(Field::PipeSize)->text().trimmed(), "61") << "No leaves the page";
    EXPECT_EQ(sim.count("WriteConfiguration"), writes) << "nothing was written throughout";
    click(id::Read);
    EXPECT_EQ(page->control<QComboBox>(configuration::kHwVersionCombo)->currentIndex(), 18);

    // A read that meets another family and fails leaves the page of one family, as it was.
    const QString file = dir.file(QStringLiteral("dr.cfg"));
    pages::PageBase::setFileChooser([&](auto...) { return file; });
    click(id::Save);  // kept for the spare below
    sim.control("type 33");
    ASSERT_TRUE(waitForModel(33));
    sim.control("length 0x30 40");
    dir.takeBoxes();
    click(id::Read);
    EXPECT_EQ(captions(), std::vector<QString>{"Konfiguration nicht gelesen"});
    EXPECT_EQ(page->control<QComboBox>(configuration::kHwVersionCombo)->currentIndex(), 18);
    EXPECT_EQ(page->pageFamily(), trgui::device::Family::Dr);
    sim.control("length 0x30 off");

    // A file of another family may be loaded (a spare is prepared), and the page says so.
    click(id::Load);
    pages::PageBase::setFileChooser({});
    boxes = dir.takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, "Konfiguration laden");
    EXPECT_TRUE(boxes[0].second.contains("KM210-DR-") && boxes[0].second.contains("KM210-WT-E1N4H1"))
        << boxes[0].second.toStdString();
    EXPECT_EQ(page->control<QComboBox>(configuration::kHwVersionCombo)->currentIndex(), 18);
}

TEST_F(ConfigurationPage, whatNobodyEditedGoesBackBitForBitAndEveryWriteIsReadBack)
{
    start(17);
    sim.control("poke 59 3F9DF3B6");  // a multiplication factor of 1.234, shown as 1.23
    click(id::Read);
    EXPECT_EQ(edit(Field::MultiplicationFactor)->text(), "1.23");
    settle();
    edit(Field::MeasuringTime)->setText("11");
    click(id::Write);
    auto boxes = dir.takeBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].second.count(QStringLiteral("<tr>")), 2) << "the measuring time alone changes";
    EXPECT_EQ(boxes[1].first, "Konfiguration geschrieben");
    const std::string block = lastHex("WriteConfiguration [0-9]+ bytes -> ACK").substr(4);
    EXPECT_EQ(block.substr(59 * 2, 8), "3F9DF3B6") << "the factor went back as the device held it";

    // Typed, the shown value is an edit: 1.23 goes to the device, and the box says 1,234 -> 1,23.
    settle();
    edit(Field::MultiplicationFactor)->selectAll();
    QTest::keyClicks(edit(Field::MultiplicationFactor), "1.23");
    EXPECT_TRUE(changeMarker(Field::MultiplicationFactor)) << "typed over 1.234, it differs from what was read";
    click(id::Write);
    boxes = dir.takeBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_TRUE(boxes[0].second.contains(">1,234<") && boxes[0].second.contains(">1,23<")) << boxes[0].second.toStdString();
    EXPECT_EQ(lastHex("WriteConfiguration [0-9]+ bytes -> ACK").substr(4 + 59 * 2, 8), "3F9D70A4");

    // The device stores a value its own way, takes its time, or cannot be read back.
    struct Case {
        const char* fault;
        const char* factor;
        const char* caption;
        const char* outcome;
        const char* shown;
        bool marked;  // not known to be in the device as shown
    };
    const Case cases[] = {
        {"clamp 59 3F800000", "1.5", "Konfiguration weicht ab", "bestätigt, Gerät hält anderes", "1.5", true},
        {"busy 700", "1.6", "Konfiguration geschrieben", "bestätigt, zurückgelesen", "1.60", false},
        {"busy 4000", "1.7", "Konfiguration nicht geprüft", "bestätigt, nicht zurückgelesen", "1.7", true},
    };
    for (const auto& c : cases) {
        sim.control(c.fault);
        settle();
        edit(Field::MultiplicationFactor)->setText(c.factor);
        click(id::Write);
        boxes = dir.takeBoxes();
        ASSERT_EQ(boxes.size(), 2u) << c.fault;
        EXPECT_EQ(boxes[1].first, QString::fromUtf8(c.caption)) << c.fault;
        EXPECT_EQ(edit(Field::MultiplicationFactor)->text(), c.shown) << c.fault;
        EXPECT_EQ(changeMarker(Field::MultiplicationFactor), c.marked) << c.fault;
        sim.control("clamp off");
        sim.control("busy 0");
        QFile log(dir.file(QStringLiteral("service-log.csv")));
        ASSERT_TRUE(log.open(QIODevice::ReadOnly));
        const QString last = QString::fromUtf8(log.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts).last();
        EXPECT_TRUE(last.contains(QString::fromUtf8(c.outcome))) << last.toStdString();
    }
    EXPECT_TRUE(dir.takeBoxes().empty());
    // The clamped write is in the report, in words, not only in the log.
    const auto notes = sheet->reportData().configurationNotes;
    ASSERT_EQ(notes.size(), 2) << "the differing and the unverified write";
    EXPECT_TRUE(notes[0].contains(core::changeText("1,5", "1,0", core::DetailsForm::Print))) << notes[0].toStdString();
}

TEST_F(ConfigurationPage, aSavedFileIsRestoredAndTheRecordNeverInventsAChange)
{
    start(17, 1);
    click(id::Read);
    const QString path = dir.file("saved.cfg");
    pages::PageBase::setFileChooser([&](auto...) { return path; });
    click(id::Save);
    sim.control("poke 7 428C0000");  // meanwhile the device's pipe size became 70.0
    click(id::Read);
    settle();
    // Neither a language switch nor another HW-Version chosen by hand changes the record.
    sheet->settingsPage()->control<QComboBox>(1004)->setCurrentIndex(0);  // German
    dir.takeBoxes();
    page->control<QComboBox>(configuration::kHwVersionCombo)->setCurrentIndex(18);
    const auto changedRows = [&] {
        std::vector<QString> changed;
        for (const auto& r : sheet->reportData().configuration) {
            if (r.changed)
                changed.push_back(r.asFound + " " + r.asFoundUnit + " -> " + r.asLeft + " " + r.asLeftUnit);
        }
        return changed;
    };
    EXPECT_EQ(changedRows(), std::vector<QString>{"50,0  -> 70,0 "}) << "found at the first read, left at the last";
    const auto rows = sheet->reportData().configuration;
    const auto backlight = std::find_if(rows.begin(), rows.end(), [](const auto& r) { return r.asFound == "ein"; });
    EXPECT_NE(backlight, rows.end()) << "values read in English are told in German now";

    // Changed again behind the page's back (another tool): the write compares
    // against the device as it is now, and the file restores it.
    sim.control("poke 58 09");  // measuring time 9 s
    click(id::Load);
    pages::PageBase::setFileChooser({});
    EXPECT_EQ(edit(Field::PipeSize)->text(), " 50.0");
    combo(Field::LimitAssignment)->setCurrentIndex(1);  // contact 1 now watches the temperature
    edit(Field::Limit1On)->setText("-40");
    dir.takeBoxes();
    click(id::Write);
    const auto boxes = dir.takeBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    const QString& table = boxes[0].second;
    EXPECT_EQ(table.count(QStringLiteral("<tr>")), 6)
        << "pipe size and measuring time from the file, assignment, contact 1 on, and contact 1 off, now in °C";
    for (const char* cell : {"70,0", "50,0", "9 s", "3,0 m/s", "-40,0 °C"})
        EXPECT_TRUE(table.contains(QStringLiteral(">%1<").arg(QString::fromUtf8(cell)))) << cell << table.toStdString();
    EXPECT_EQ(boxes[1].first, "Konfiguration geschrieben");
    EXPECT_EQ(lastHex("WriteConfiguration [0-9]+ bytes -> ACK").substr(4 + 7 * 2, 8), "42480000") << "50.0 restored";

    EXPECT_EQ(changedRows(), (std::vector<QString>{"GK1FLOW_GK2FLOW  -> GK1TEMP_GK2FLOW ",
                                                   QString::fromUtf8("3,0 m/s -> -40,0 °C")}))
        << "the pipe size is back to what was found; the two edits are the changes";
}

// The last word on the device is that it is silent, but it answers again (a
// busy machine has not taken that in yet): a command asks it once and goes
// ahead. A device that truly is silent gets that one identification and
// nothing else, and the box says so.
TEST_F(ConfigurationPage, aCommandAsksADeviceTakenForSilentBeforeSayingThereIsNone)
{
    start(17, 0, 0, false);  // nobody polls: what goes to the device is the page's and the connection's
    const int variantShown = page->control<QComboBox>(configuration::kHwVersionCombo)->currentIndex();
    ASSERT_TRUE(silenceNoticed());
    std::size_t before = requestCount();
    click(id::Read);
    EXPECT_EQ(captions(), std::vector<QString>{QString::fromUtf8("Kein Gerät")});
    const auto asked = requestsAfter(before);
    EXPECT_FALSE(asked.empty()) << "asked before saying so";
    EXPECT_TRUE(std::all_of(asked.begin(), asked.end(), [](int request) { return request == 0x50; }))
        << "identification only: the configuration was not asked for";
    EXPECT_EQ(page->control<QComboBox>(configuration::kHwVersionCombo)->currentIndex(), variantShown) << "nothing read";

    struct Case {
        int tab;
        std::function<void()> command;
        int request;  // what the command sends
    };
    const Case cases[] = {
        {1, [&] { click(id::Read); }, 0x30},
        {2, [&] { QTest::mouseClick(sheet->operationPage()->control<QPushButton>(1125), Qt::LeftButton); }, 0x74},
    };
    for (const auto& c : cases) {
        sheet->tabs()->setCurrentIndex(c.tab);
        ASSERT_TRUE(silenceNoticed()) << c.request;
        sim.control("silent off");
        ASSERT_FALSE(sheet->settings().deviceAnswering) << "the page still takes it for silent";
        before = requestCount();
        c.command();
        EXPECT_TRUE(captions().empty()) << c.request;
        const auto sent = requestsAfter(before);
        ASSERT_FALSE(sent.empty()) << c.request;
        EXPECT_EQ(sent.front(), 0x50) << c.request << ": asked first";
        EXPECT_NE(std::find(sent.begin(), sent.end(), c.request), sent.end()) << c.request << ": then carried out";
    }
    EXPECT_EQ(page->control<QComboBox>(configuration::kHwVersionCombo)->currentIndex(), 17) << "the read filled the page";
}

// A write that failed in any way: the technician's values stay on the page,
// each field the device does not hold as shown carries its change marker, the
// box says so, closing asks, and the next write sends them as they were.
TEST_F(ConfigurationPage, aWriteThatFailedKeepsTheEditsMarkedUntilAWriteGetsThemIn)
{
    start(17);
    struct Case {
        std::vector<std::string> faults;
        const char* caption;
        bool pipeMarked;    // the edit: stored by the device or not
        bool factorMarked;  // the factor sent as read (1.234), clamped to 1.0 by the device or not
        bool secondWriteSends;  // false: the device turns out to hold it all
    };
    const Case cases[] = {
        {{"ignore on"}, "Konfiguration nicht geschrieben", true, false, true},
        {{"noack second", "clamp 59 3F800000"}, "Konfiguration weicht ab", false, true, true},
        {{"noack second", "busy 4000"}, "Zustand der Konfiguration unbekannt", true, false, false},
        {{"clamp 59 3F800000"}, "Konfiguration weicht ab", false, true, true},
        {{"busy 4000"}, "Konfiguration nicht geprüft", true, false, false},
    };
    const auto hexOf = [](float v) {
        char text[9];
        std::snprintf(text, sizeof text, "%08X", std::bit_cast<std::uint32_t>(v));
        return std::string(text);
    };
    int pipe = 60;
    for (const auto& c : cases) {
        const std::string name = c.faults.back();
        sim.control("poke 7 42480000");   // pipe size 50.0
        sim.control("poke 59 3F9DF3B6");  // multiplication factor 1.234, shown as 1.23
        ASSERT_TRUE(page->readFromDevice()) << name;
        settle();
        const QString edited = QString::number(++pipe);
        edit(Field::PipeSize)->setText(edited);
        for (const auto& fault : c.faults)
            sim.control(fault);
        QElapsedTimer clock;
        clock.start();
        click(id::Write);
        auto boxes = dir.takeBoxes();
        ASSERT_EQ(boxes.size(), 2u) << name;
        EXPECT_EQ(boxes[1].first, QString::fromUtf8(c.caption)) << name;
        EXPECT_TRUE(boxes[1].second.contains(QStringLiteral("Ihre Werte bleiben auf der Seite"))) << name;
        EXPECT_EQ(edit(Field::PipeSize)->text(), edited) << name;
        EXPECT_EQ(edit(Field::MultiplicationFactor)->text(), "1.23") << name;
        EXPECT_EQ(changeMarker(Field::PipeSize), c.pipeMarked) << name;
        EXPECT_EQ(changeMarker(Field::MultiplicationFactor), c.factorMarked) << name;
        EXPECT_FALSE(changeMarker(Field::CValue)) << name;
        for (const char* off : {"ignore off", "noack off", "clamp off", "busy 0"})
            sim.control(off);
        if (name == "busy 4000")
            QTest::qWait(std::max<int>(0, 4300 - static_cast<int>(clock.elapsed())));  // done storing

        page->confirmClose();
        EXPECT_EQ(captions(), std::vector<QString>{QString::fromUtf8("Programm schließen")}) << name << ": closing asks";

        // Written again: what the device lacks goes, the factor to the last bit, and nothing stays marked.
        const int writes = sim.count("WriteConfiguration");
        click(id::Write);
        boxes = dir.takeBoxes();
        if (c.secondWriteSends) {
            ASSERT_EQ(boxes.size(), 2u) << name;
            EXPECT_EQ(boxes[1].first, "Konfiguration geschrieben") << name;
            const std::string block = lastHex("WriteConfiguration [0-9]+ bytes -> ACK").substr(4);
            EXPECT_EQ(block.substr(59 * 2, 8), "3F9DF3B6") << name;
            EXPECT_EQ(block.substr(7 * 2, 8), hexOf(edited.toFloat())) << name;
        } else {
            ASSERT_EQ(boxes.size(), 1u) << name;
            EXPECT_EQ(boxes[0].first, "Konfiguration nicht geschrieben") << name << ": nothing left to write";
            EXPECT_EQ(sim.count("WriteConfiguration"), writes) << name;
        }
        EXPECT_EQ(edit(Field::PipeSize)->text().trimmed().toDouble(), edited.toDouble()) << name;
        EXPECT_FALSE(changeMarker(Field::PipeSize)) << name;
        EXPECT_FALSE(changeMarker(Field::MultiplicationFactor)) << name;
        page->confirmClose();
        EXPECT_TRUE(captions().empty()) << name << ": closing asks nothing";
    }
}
