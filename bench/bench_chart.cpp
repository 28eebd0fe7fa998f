// The chart of the Visualisation page at its full 2000 samples per channel:
// median time of one redraw and of one AddSample; with --cpu N, the share of
// one core the whole program uses while plotting against the simulator at the
// fastest refresh rate for N seconds; with --pictures DIR, pictures of the
// page at 30 and 2000 samples in the three languages, zoomed and not. Also
// reading and drawing a recording of 100 000 rows.
//
//   bench_chart [--cpu SECONDS] [--pictures DIR]

#include "app/call_controls_sheet.h"
#include "pages/operation/core/recording.h"
#include "pages/visualisation/cgrafik.h"
#include "pages/visualisation/core/recording_file.h"
#include "scope/component_host.h"
#include "scope/scope_component.h"
#include "support/program_directory.h"
#include "support/simulator.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

using namespace trgui;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Slowly drifting values like the simulator's, with a flow that rises above
// the flow axis's starting range of 10.
core::MeasurementRecord sampleAt(int i)
{
    core::MeasurementRecord r;
    r.temperature = static_cast<float>(21.4 + 1.6 * std::sin(i / 70.0) + 0.04 * std::sin(i * 1.7));
    r.volumeFlow = static_cast<float>(6.0 + 5.5 * std::sin(i / 260.0) + 0.05 * std::sin(i * 0.9));
    r.temperatureUnit = QString::fromUtf8("°C");
    r.volumeFlowUnit = QStringLiteral("m³/h");
    return r;
}

struct Program {
    explicit Program(int language, const std::string& link = "/nonexistent/tty-km210", int refreshRate = 2)
    {
        dir.writeSettings({"[COM]", "COMPORT=1", "COM1=" + link, "[DATEN]", "LANGUAGE=" + std::to_string(language),
                           "REFRESHRATE=" + std::to_string(refreshRate)});
        sheet = std::make_unique<app::CAllControlsSheet>();
        sheet->show();
        sheet->tabs()->setCurrentIndex(3);
        page = sheet->visualisationPage();
        QTest::qWait(200);
    }
    scope::ScopeComponent* component() const
    {
        return scope::builtInComponentHost().component(page->chart().scope().hostHandle());
    }
    void fill(int samples)
    {
        for (int i = page->sampleCount(); i < samples; ++i)
            page->AddSample(sampleAt(i));
        component()->redrawNow();
        QTest::qWait(100);
    }
    trgui::testing::ProgramDirectory dir;
    std::unique_ptr<app::CAllControlsSheet> sheet;
    pages::CGrafik* page = nullptr;
};

void timings()
{
    Program program(0);
    if (!program.page->chartReady()) {
        std::printf("the chart was not set up\n");
        return;
    }
    scope::ScopeComponent* scope = program.component();
    std::vector<double> addSample;
    for (int round = 0; round < 10; ++round) {
        program.page->control<QPushButton>(1133)->click();
        for (int i = 0; i < pages::CGrafik::kMaxSamples; ++i) {
            QElapsedTimer clock;
            clock.start();
            program.page->AddSample(sampleAt(i));
            if (i >= pages::CGrafik::kMaxSamples - 100)
                addSample.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e3);
        }
    }
    std::vector<double> redraw;
    auto* m = scope->model();
    for (int i = 0; i < 60; ++i) {
        // New data on both channels each time, as a refresh after a sample has.
        const float* t = program.page->chart().temperatureHistory().data();
        const float* f = program.page->chart().flowHistory().data();
        scope->setYData(m->channels->channel(0)->data, t, 2000);
        scope->setYData(m->channels->channel(1)->data, f, 2000);
        QElapsedTimer clock;
        clock.start();
        scope->redrawNow();
        redraw.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    const QSize size = scope->plot()->size();
    std::printf("chart with 2 channels x 2000 samples, plot %dx%d px, platform %s\n", size.width(), size.height(),
                qPrintable(QGuiApplication::platformName()));
    std::printf("  redraw (data to graphs, ranges, replot): median %.2f ms, fastest %.2f ms over %zu runs "
                "(target < 5 ms)\n",
                median(redraw), *std::min_element(redraw.begin(), redraw.end()), redraw.size());
    std::printf("  AddSample at 1900..1999 samples:         median %.1f us over %zu calls\n", median(addSample),
                addSample.size());
}

// A recording of 100 000 polls opened on the page: reading the file, and
// redrawing it whole and zoomed.
void recordingTimings()
{
    constexpr int kRows = 100000;
    QByteArray file = "KM210-DR-E1S2H1\r\n" + pages::operation::headerLine(0, sampleAt(0)) + "\r\n";
    const QDateTime start(QDate(2026, 12, 8), QTime(8, 0, 0));
    for (int i = 0; i < kRows; ++i) {
        core::MeasurementRecord r = sampleAt(i);
        file += pages::operation::dataRow(r, "Kein Fehler", start.addSecs(2 * i)) + "\r\n";
    }
    std::vector<double> load;
    std::optional<pages::visualisation::RecordedSeries> series;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer clock;
        clock.start();
        series = pages::visualisation::readRecording(file);
        load.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    if (!series) {
        std::printf("the recording was not read\n");
        return;
    }
    Program program(0);
    scope::ScopeComponent* scope = program.component();
    QElapsedTimer clock;
    clock.start();
    program.page->chart().showRecording(*series, 0);
    scope->redrawNow();
    const double shown = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    std::vector<double> whole;
    std::vector<double> zoomed;
    for (int i = 0; i < 30; ++i) {
        clock.restart();
        scope->plot()->replot();
        whole.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    scope->zoomTo(40000, 15, 42000, 30);
    for (int i = 0; i < 30; ++i) {
        clock.restart();
        scope->plot()->replot();
        zoomed.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    std::printf("recording of %d rows (%.1f MB)\n", kRows, static_cast<double>(file.size()) / 1e6);
    std::printf("  read: median %.0f ms over %zu runs (target < 1000 ms)\n", median(load), load.size());
    std::printf("  first drawing on the page: %.0f ms\n", shown);
    std::printf("  redraw whole: median %.2f ms, zoomed to 2000 rows: median %.2f ms (target < 16 ms)\n",
                median(whole), median(zoomed));
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
         + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void cpu(int seconds)
{
    trgui::testing::Simulator sim(17);
    if (!sim.started()) {
        std::printf("simulator did not start\n");
        return;
    }
    Program program(0, sim.linkPath(), 0);
    program.page->control<QPushButton>(1131)->click();
    program.fill(1500);  // each redraw then draws 1500 and more samples per channel
    QTest::qWait(1500);
    const int before = program.page->sampleCount();
    const double cpuBefore = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    QTest::qWait(seconds * 1000);
    const double used = cpuSeconds() - cpuBefore;
    const double wall = static_cast<double>(clock.elapsed()) / 1000;
    std::printf("whole program plotting at refresh rate 0 for %.0f s from 1500 samples on: %d samples, "
                "CPU %.2f %% of one core (target < 5 %%)\n",
                wall, program.page->sampleCount() - before, 100 * used / wall);
}

void pictures(const QString& out)
{
    QDir().mkpath(out);
    const char* names[] = {"de", "en", "fr"};
    for (int language = 0; language < 3; ++language) {
        Program program(language);
        const QString stem = QDir(out).filePath(QStringLiteral("chart-%1").arg(QLatin1String(names[language])));
        program.fill(30);
        program.sheet->grab().save(stem + "-30.png");
        program.fill(2000);
        program.sheet->grab().save(stem + "-2000.png");
        // Zoom by drawing a rectangle with the mouse, as a user does.
        QCustomPlot* plot = program.component()->plot();
        const QRect area = plot->axisRect()->rect();
        const QPoint from(area.left() + area.width() * 2 / 5, area.top() + area.height() / 5);
        const QPoint to(area.left() + area.width() * 3 / 5, area.bottom() - area.height() / 5);
        QTest::mousePress(plot, Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(plot, (from + to) / 2);
        QTest::mouseMove(plot, to);
        QTest::mouseRelease(plot, Qt::LeftButton, Qt::NoModifier, to);
        QTest::qWait(100);
        program.sheet->grab().save(stem + "-2000-zoomed.png");
        std::printf("  %s-{30,2000,2000-zoomed}.png (zoomed: %s)\n", qPrintable(stem),
                    program.component()->isZoomed() ? "yes" : "no");
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int cpuFor = 0;
    QString picturesDir;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QString option = QString::fromLocal8Bit(argv[i]);
        if (option == QLatin1String("--cpu"))
            cpuFor = std::max(1, std::atoi(argv[i + 1]));
        else if (option == QLatin1String("--pictures"))
            picturesDir = QString::fromLocal8Bit(argv[i + 1]);
    }
    if (!picturesDir.isEmpty()) {
        pictures(picturesDir);
        return 0;
    }
    timings();
    recordingTimings();
    if (cpuFor > 0)
        cpu(cpuFor);
    return 0;
}
