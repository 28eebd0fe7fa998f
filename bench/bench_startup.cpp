// Start-up to window shown: the main window is built and shown in a program
// directory whose COM1 is the simulator (or a port that does not exist), and
// the time until its window is exposed is taken. Prints medians of N runs.
//
//   bench_startup [runs]

#include "app/call_controls_sheet.h"
#include "support/program_directory.h"
#include "support/simulator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace trgui;

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

struct Times {
    double shown = 0;       // window exposed
    double identified = 0;  // the identification has ended
};

Times startOnce(const std::string& com1)
{
    testing::ProgramDirectory dir;
    dir.writeSettings({"[COM]", "COMPORT=1", "COM1=" + com1});
    QElapsedTimer clock;
    clock.start();
    app::CAllControlsSheet sheet;
    sheet.show();
    if (!QTest::qWaitForWindowExposed(&sheet, 5000))
        std::fprintf(stderr, "the window was not exposed within 5 s\n");
    Times t;
    t.shown = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    if (!QTest::qWaitFor([&] { return sheet.portSlot().pending() == 0; }, 5000))
        std::fprintf(stderr, "the identification did not end within 5 s\n");
    t.identified = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    dir.takeBoxes();
    return t;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    testing::Simulator sim(17);
    if (!sim.started()) {
        std::fprintf(stderr, "simulator did not start\n");
        return 1;
    }
    startOnce(sim.linkPath());  // warm up fonts and plugins
    for (const auto& [name, com1] : {std::pair<const char*, std::string>{"device attached", sim.linkPath()},
                                     {"no device", std::string("/nonexistent/tty-km210")}}) {
        std::vector<double> shown, identified;
        for (int i = 0; i < runs; ++i) {
            const Times t = startOnce(com1);
            shown.push_back(t.shown);
            identified.push_back(t.identified);
        }
        std::printf("%-16s: window shown after %6.1f ms (median of %d), identification ended after %6.1f ms\n",
                    name, median(shown), runs, median(identified));
    }
    return 0;
}
