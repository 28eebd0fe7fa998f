// The Visualisation page in the main window, with the measurement cycle
// polling the simulator: when samples arrive, Plot Start/Stop, Clear, the
// 2000-sample limit, the language, and a chart that cannot be set up.

#include "app/call_controls_sheet.h"
#include "pages/operation/cbetrieb.h"
#include "pages/settings/einstellungen.h"
#include "pages/visualisation/cgrafik.h"
#include "scope/component_host.h"
#include "scope/scope_component.h"
#include "support/program_directory.h"
#include "support/recording_loader.h"
#include "support/simulator.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QUrl>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace trgui;
using trgui::testing::ProgramDirectory;
using trgui::testing::Simulator;

namespace {

class VisualisationPage : public ::testing::Test {
protected:
    void start(int language = 0)
    {
        dir.writeSettings({"[COM]", "COMPORT=1", "COM1=" + sim.linkPath(), "[DATEN]",
                           "LANGUAGE=" + std::to_string(language), "REFRESHRATE=0"});
        sheet = std::make_unique<app::CAllControlsSheet>();
        sheet->show();
        page = sheet->visualisationPage();
    }
    void showPage()
    {
        sheet->tabs()->setCurrentIndex(3);
        ASSERT_TRUE(page->chartReady());
    }
    void click(int id) { QTest::mouseClick(page->control<QPushButton>(id), Qt::LeftButton); }
    int polls() { return sim.count("request 0x41 ReadErrorCode"); }
    // n more polls seen by the device, and a little for their replies to land:
    // only for what must not happen; what must happen is waited for itself.
    bool waitForPolls(int n)
    {
        const int until = polls() + n;
        return QTest::qWaitFor([&] { return polls() >= until; }, 15000) && (QTest::qWait(150), true);
    }
    bool waitForSamples(int n)
    {
        return QTest::qWaitFor([&] { return page->sampleCount() >= n; }, 15000);
    }
    scope::ScopeComponent* component()
    {
        return scope::builtInComponentHost().component(page->chart().scope().hostHandle());
    }
    // Points on the graph of a channel once the component has drawn.
    int plotted(int channel)
    {
        component()->redrawNow();
        return component()->plot()->graph(channel * 2 + 1)->dataCount();
    }
    QString label(scope::AxisNode* axis) { return axis->label->text; }
    // A recording of three rows at path.
    static void writeRecording(const QString& path)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("KM210-DR-E1S2H1\r\n"
                   "Datum; Uhrzeit; Str\xF6mung Akt [m/s]; Str\xF6mung Min [m/s]; Str\xF6mung Max [m/s]; Volumenstrom Akt "
                   "[l/min]; Volumenstrom Min [l/min]; Volumenstrom Max [l/min]; Temperatur Akt [\xB0" "C]; Temperatur Min "
                   "[\xB0" "C]; Temperatur Max [\xB0" "C]; Totalisator [m\xB3]; Schleichmenge [%]; GK1 ; GK2 ; Betrieb ; "
                   "Fehler ; letzter Fehler; \r\n");
        for (int i = 0; i < 3; ++i)
            file.write(QStringLiteral("2026.12.08; 10:00:0%1; 2,500; 2,400; 2,600; 300,0; 290,0; 310,0; 2%1,50; 21,00; "
                                      "23,00; 0,026; 3; 1; 0; 0; 1; Kein Fehler\r\n")
                           .arg(i)
                           .toLatin1());
    }

    Simulator sim{17};
    ProgramDirectory dir;
    std::unique_ptr<app::CAllControlsSheet> sheet;
    pages::CGrafik* page = nullptr;
};

core::MeasurementRecord sample(float temperature)
{
    core::MeasurementRecord r;
    r.temperature = temperature;
    r.volumeFlow = temperature / 10;
    r.temperatureUnit = QString::fromUtf8("°C");
    r.volumeFlowUnit = QStringLiteral("l/min");
    return r;
}

} // namespace

TEST_F(VisualisationPage, samplesArriveOnlyWhilePlottingAndStopStartContinues)
{
    start();
    EXPECT_FALSE(page->chartReady()) << "not before the page is shown";
    showPage();
    ASSERT_TRUE(waitForPolls(2));
    EXPECT_EQ(page->sampleCount(), 0) << "nothing while not plotting";

    click(1131);
    ASSERT_TRUE(waitForSamples(2));
    const int afterStart = page->sampleCount();
    EXPECT_EQ(plotted(0), afterStart) << "the newest sample is drawn too";
    EXPECT_EQ(plotted(1), afterStart);
    EXPECT_EQ(label(component()->model()->yAxis), QString::fromUtf8("Temperatur [°C]"));
    EXPECT_TRUE(label(component()->model()->additionalAxes->axis(0)).startsWith("Volumenstrom ["));

    click(1132);
    const int stopped = page->sampleCount();
    ASSERT_TRUE(waitForPolls(2));
    EXPECT_EQ(page->sampleCount(), stopped);

    click(1131);
    ASSERT_TRUE(waitForSamples(stopped + 1)) << "continues after the last stored value";
    EXPECT_NE(page->chart().temperatureHistory()[static_cast<std::size_t>(stopped)], 0.0f);

    click(1133);
    EXPECT_FALSE(page->plotting()) << "Clear stops the plot";
    EXPECT_EQ(page->sampleCount(), 0);
    EXPECT_EQ(plotted(0), 0);
    ASSERT_TRUE(waitForPolls(1));
    EXPECT_EQ(page->sampleCount(), 0);
    click(1131);
    ASSERT_TRUE(waitForSamples(1)) << "starts again at 0";
    EXPECT_EQ(plotted(0), page->sampleCount());
}

// The polls the chart asked for are the report's live values too, though
// the Operation page never opened.
TEST_F(VisualisationPage, theServiceReportTakesTheValuesOfThePollsTheChartAskedFor)
{
    start();
    showPage();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sheet->reportData().liveAt.isValid(); }, 15000));
    ASSERT_FALSE(sheet->operationPage()->initialised());
    const core::ReportData report = sheet->reportData();
    ASSERT_EQ(report.live.size(), 5u);
    EXPECT_EQ(report.live[2].label, "Temperatur");
    EXPECT_EQ(report.live[2].unit, QString::fromUtf8("°C"));
    EXPECT_TRUE(report.liveAt.isValid());
}

TEST_F(VisualisationPage, the2001stSampleIsIgnoredUntilClear)
{
    start();
    showPage();
    for (int i = 0; i < 2001; ++i)
        page->AddSample(sample(20.0f + static_cast<float>(i % 50) / 10));
    EXPECT_EQ(page->sampleCount(), 2001);
    EXPECT_EQ(plotted(0), 2000);
    EXPECT_EQ(plotted(1), 2000);
    page->AddSample(sample(99));
    EXPECT_EQ(plotted(0), 2000);
    click(1133);
    page->AddSample(sample(30));
    EXPECT_EQ(plotted(0), 1);
    EXPECT_EQ(page->chart().temperatureHistory()[0], 30.0f);
}

TEST_F(VisualisationPage, unitsReturnWithTheNextSampleAfterALanguageChange)
{
    start();
    showPage();
    auto* hold = component()->findChild<QToolButton*>(QStringLiteral("scopeHold"));
    EXPECT_EQ(hold->accessibleName(), "Halten");
    page->AddSample(sample(20));
    component()->redrawNow();
    EXPECT_EQ(label(component()->model()->yAxis), QString::fromUtf8("Temperatur [°C]"));

    sheet->settingsPage()->control<QComboBox>(1004)->setCurrentIndex(1);
    dir.takeBoxes();
    scope::ScopeModel* m = component()->model();
    EXPECT_EQ(label(m->yAxis), "Temperature");
    EXPECT_EQ(label(m->additionalAxes->axis(0)), "Volume Flow");
    EXPECT_EQ(label(m->xAxis), "Measured Value");
    EXPECT_EQ(m->title->text, "Temperature/Volume Flow");
    EXPECT_EQ(m->channels->channel(1)->name, "Volume Flow");
    component()->redrawNow();
    EXPECT_EQ(hold->text(), "Hold");
    EXPECT_EQ(hold->accessibleName(), "Hold");

    page->AddSample(sample(21));
    EXPECT_EQ(label(m->yAxis), QString::fromUtf8("Temperature [°C]"));
    EXPECT_EQ(label(m->additionalAxes->axis(0)), "Volume Flow [l/min]");
}

TEST_F(VisualisationPage, aChartThatCannotBeSetUpShowsOneMessageAndGetsNoSamples)
{
    trgui::testing::RecordingLoader loader;
    loader.createFails = true;
    start(1);
    dir.takeBoxes();
    sheet->tabs()->setCurrentIndex(3);
    const auto boxes = dir.takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, "Chart");
    EXPECT_TRUE(boxes[0].second.startsWith("The chart could not be set up."));
    EXPECT_FALSE(page->chartReady());

    click(1131);
    loader.take();
    ASSERT_TRUE(waitForPolls(2));
    EXPECT_EQ(loader.calls.size(), 0u) << "the cycle never feeds a half-built chart";
    EXPECT_TRUE(dir.takeBoxes().empty());
}

TEST_F(VisualisationPage, theChartIsSavedInTheWorkingFolderAndAFailureSaysWhy)
{
    const QString work = dir.file(QStringLiteral("work"));
    ASSERT_TRUE(QDir().mkpath(work));
    dir.writeSettings({"[COM]", "COMPORT=1", "COM1=" + sim.linkPath(), "[PFADE]",
                       "WORKINGDIR=" + work.toStdString() + "/"});
    sheet = std::make_unique<app::CAllControlsSheet>();
    sheet->show();
    page = sheet->visualisationPage();
    showPage();

    QString startedIn;
    QString answer = work + QStringLiteral("/chart");
    pages::PageBase::setFileChooser([&](QWidget*, pages::PageBase::FileDialog, const QString&, const QString& folder) {
        startedIn = folder;
        return answer;
    });
    component()->save();
    EXPECT_EQ(startedIn, work + "/");
    EXPECT_TRUE(QFileInfo::exists(work + "/chart.png"));
    EXPECT_TRUE(dir.takeBoxes().empty());

    answer = dir.file(QStringLiteral("gone/chart.csv"));
    component()->save();
    pages::PageBase::setFileChooser({});
    QFile probe(answer);
    ASSERT_FALSE(probe.open(QIODevice::WriteOnly));
    const auto boxes = dir.takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, "Grafik nicht gespeichert");
    EXPECT_TRUE(boxes[0].second.contains(QDir::toNativeSeparators(answer))) << boxes[0].second.toStdString();
    EXPECT_TRUE(boxes[0].second.contains(probe.errorString())) << "the system's reason";
}

TEST_F(VisualisationPage, aRecordingIsPlottedAgainAndAnythingElseChangesNothing)
{
    start();
    showPage();
    const QString good = dir.file(QStringLiteral("run.csv"));
    const QString bad = dir.file(QStringLiteral("TR-GUI.ini"));
    writeRecording(good);
    QString answer = good;
    pages::PageBase::setFileChooser([&](QWidget*, pages::PageBase::FileDialog, const QString&, const QString&) { return answer; });
    click(1131);
    click(1134);
    EXPECT_FALSE(page->plotting()) << "the live plot stops";
    EXPECT_EQ(plotted(0), 3);
    EXPECT_EQ(plotted(1), 3);
    QCustomPlot* plot = component()->plot();
    EXPECT_EQ(plot->yAxis->label(), QString::fromUtf8("Temperatur [°C]"));
    const QPoint second(static_cast<int>(plot->xAxis->coordToPixel(1)), static_cast<int>(plot->yAxis->coordToPixel(21.5)));
    EXPECT_TRUE(component()->toolTipAt(second).startsWith("Messwert: 2026.12.08 10:00:01"))
        << component()->toolTipAt(second).toStdString();

    answer = bad;
    click(1134);
    pages::PageBase::setFileChooser({});
    const auto boxes = dir.takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].first, QString::fromUtf8("Aufzeichnung öffnen"));
    EXPECT_TRUE(boxes[0].second.contains(QString::fromUtf8("Zeile 2 ist nicht die Kopfzeile"))) << boxes[0].second.toStdString();
    EXPECT_EQ(plotted(0), 3) << "the chart stays as it was";

    // Clear after a zoom returns to the full view for the next plot.
    component()->zoomTo(0.5, 21, 1.5, 22);
    ASSERT_TRUE(component()->isZoomed());
    click(1133);
    EXPECT_FALSE(component()->isZoomed());
    EXPECT_EQ(plotted(0), 0);
}

// A recording dropped on the chart opens as through Open recording, with its
// messages; anything but one local .csv file is refused before the drop.
TEST_F(VisualisationPage, aRecordingDroppedOnTheChartOpensAsOpenRecordingDoes)
{
    start();
    showPage();
    writeRecording(dir.file(QStringLiteral("run.csv")));
    QFile::copy(dir.file(QStringLiteral("TR-GUI.ini")), dir.file(QStringLiteral("settings.CSV")));
    const auto local = [&](const char* name) { return QUrl::fromLocalFile(dir.file(QString::fromUtf8(name))); };
    const struct {
        const char* what;
        QList<QUrl> urls;
        bool accepted;
        int plottedAfter;
        const char* box;  // the start of the message, or none
    } cases[] = {
        {"text file", {local("TR-GUI.ini")}, false, 0, nullptr},
        {"two recordings", {local("run.csv"), local("run.csv")}, false, 0, nullptr},
        {"not a local file", {QUrl(QStringLiteral("https://example.org/run.csv"))}, false, 0, nullptr},
        {"a recording", {local("run.csv")}, true, 3, nullptr},
        {"a .CSV that is no recording", {local("settings.CSV")}, true, 3, "Zeile 2 ist nicht die Kopfzeile"},
    };
    QWidget* chart = component()->plot();
    for (const auto& c : cases) {
        QMimeData data;
        data.setUrls(c.urls);
        const QPoint at = chart->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(chart, &enter);
        EXPECT_EQ(enter.isAccepted(), c.accepted) << c.what;
        if (enter.isAccepted()) {
            QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(chart, &drop);
            EXPECT_TRUE(drop.isAccepted()) << c.what;
            QTest::qWait(50);
        }
        EXPECT_EQ(plotted(0), c.plottedAfter) << c.what;
        const auto boxes = dir.takeBoxes();
        ASSERT_EQ(boxes.size(), c.box ? 1u : 0u) << c.what;
        if (c.box) {
            EXPECT_EQ(boxes[0].first, QString::fromUtf8("Aufzeichnung öffnen"));
            EXPECT_TRUE(boxes[0].second.contains(QString::fromUtf8(c.box))) << boxes[0].second.toStdString();
        }
    }
}
