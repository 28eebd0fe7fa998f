// Runs the measurement cycle from a 100 ms timer against the simulator, as
// the main window does, and prints the median poll period and the longest
// stall of the GUI thread per tick, draining by read and by purge.

#include "measurement_cycle.h"
#include "serial_port.h"
#include "simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace trgui;

namespace {

class CountingHooks : public app::CycleHooks {
public:
    QElapsedTimer clock;
    std::vector<qint64> deliveries;
    bool operationInitialised() const override { return true; }
    bool operationRecording() const override { return false; }
    void setOperationDeviceTypeCode(int) override {}
    void applyOperationAvailability(int) override {}
    void updateDisplay(const app::MeasurementRecord&) override { deliveries.push_back(clock.elapsed()); }
    void toggleRecordingIndicator() override {}
    bool recordStartEnabled() const override { return true; }
    void enableRecordStart() override {}
    bool visualisationInitialised() const override { return false; }
    bool visualisationPlotting() const override { return false; }
    void addSample(const app::MeasurementRecord&) override {}
    void countDownSettleCounter() override {}
};

struct Result {
    double medianPeriodMs = 0;
    double longestStallMs = 0;
    double medianStallMs = 0;
};

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

Result measure(const std::string& link, device::DrainMode mode, int polls)
{
    app::SettingsRecord settings;
    settings.refreshRate = 0;  // back to back
    auto serial = std::make_unique<device::SerialPort>([&](const std::string&) { return link; });
    serial->open(1);
    app::PortSlot port = std::move(serial);
    app::DeviceLock lock;
    CountingHooks hooks;
    hooks.clock.start();
    app::MeasurementCycle cycle(settings, port, lock, hooks);
    cycle.setDrainMode(mode);

    std::vector<double> stalls;
    QEventLoop loop;
    QTimer timer;
    timer.setInterval(100);  // the main window's timer
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QElapsedTimer tick;
        tick.start();
        cycle.tick();
        stalls.push_back(static_cast<double>(tick.nsecsElapsed()) / 1e6);
        if (static_cast<int>(hooks.deliveries.size()) > polls)
            loop.quit();
    });
    timer.start();
    QTimer::singleShot(polls * 4000 + 5000, &loop, &QEventLoop::quit);
    loop.exec();

    std::vector<double> periods;
    for (std::size_t i = 1; i < hooks.deliveries.size(); ++i)
        periods.push_back(static_cast<double>(hooks.deliveries[i] - hooks.deliveries[i - 1]));
    return {median(periods), stalls.empty() ? 0 : *std::max_element(stalls.begin(), stalls.end()), median(stalls)};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int polls = argc > 1 ? std::max(2, std::atoi(argv[1])) : 6;
    trgui::testing::Simulator sim(17);
    if (!sim.started()) {
        std::fprintf(stderr, "simulator did not start\n");
        return 1;
    }
    const Result read = measure(sim.linkPath(), device::DrainMode::Read, polls);
    const Result purge = measure(sim.linkPath(), device::DrainMode::Purge, polls);
    std::printf("whole poll of a DR device (10 exchanges), %d polls each, refresh rate 0\n", polls);
    std::printf("  drain by read : median poll period %7.1f ms, GUI stall per tick median %6.1f ms, longest %6.1f ms\n",
                read.medianPeriodMs, read.medianStallMs, read.longestStallMs);
    std::printf("  drain by purge: median poll period %7.1f ms, GUI stall per tick median %6.1f ms, longest %6.1f ms\n",
                purge.medianPeriodMs, purge.medianStallMs, purge.longestStallMs);
    std::printf("  ratio read/purge: poll period %.2f, longest stall %.2f\n", read.medianPeriodMs / purge.medianPeriodMs,
                read.longestStallMs / purge.longestStallMs);
    return 0;
}
