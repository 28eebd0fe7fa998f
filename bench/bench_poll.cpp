// Runs the measurement cycle from a 100 ms timer against the simulator, as
// the main window does, the baseline way and through the device worker, and
// prints the median poll period and how long an event posted to the window's
// thread waits meanwhile (median and 95th percentile).

#include "core/measurement_cycle.h"
#include "device/serial_port.h"
#include "support/simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace trgui;

namespace {

class CountingHooks : public core::RecordHooks {
public:
    QElapsedTimer clock;
    std::vector<qint64> deliveries;
    void updateDisplay(const core::MeasurementRecord&) override { deliveries.push_back(clock.elapsed()); }
};

struct Result {
    double medianPeriodMs = 0;
    double medianDelayMs = 0;  // of an event posted to the window's thread
    double p95DelayMs = 0;
};

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

// The baseline: every exchange on the window's thread, drained and read
// for the full 80 ms, one step per tick. The worker way: exchanges on the
// device thread, ended when complete, drained by a purge after a clean one,
// the next step as soon as a reply is in.
// The slowest safe reading, the baseline: every read waits its full 80 ms of
// silence, whatever the reply's length (drains are reads by the baseline's pace).
class FullTimeReads final : public device::SerialLink {
public:
    explicit FullTimeReads(std::unique_ptr<device::SerialLink> inner) : inner_(std::move(inner)) {}
    bool isOpen() const override { return inner_->isOpen(); }
    int read(std::uint8_t* buffer, std::size_t& count) override { return inner_->read(buffer, count); }
    int readComplete(std::uint8_t* buffer, std::size_t& count, std::size_t) override { return inner_->read(buffer, count); }
    int write(const std::uint8_t* data, std::size_t length) override { return inner_->write(data, length); }
    void purgeInput() override { inner_->purgeInput(); }
    bool failed() const override { return inner_->failed(); }
    void pause(int milliseconds) override { inner_->pause(milliseconds); }

private:
    std::unique_ptr<device::SerialLink> inner_;
};

Result measure(const std::string& link, bool baseline, int refreshRate, int polls)
{
    core::SettingsRecord settings;
    settings.refreshRate = refreshRate;
    core::DeviceConnection connection(settings, baseline ? core::PortSlot::Mode::Inline : core::PortSlot::Mode::Threaded);
    core::PortSlot& port = connection.port();
    port.runAndWait([&](core::PortSlot::Port& slot) {
        auto serial = std::make_unique<device::SerialPort>([&](const std::string&) { return link; });
        serial->open(1);
        if (baseline)
            slot = std::make_unique<FullTimeReads>(std::move(serial));
        else
            slot = std::move(serial);
    });
    core::DeviceLock lock;
    CountingHooks hooks;
    hooks.clock.start();
    core::MeasurementCycle cycle(settings, connection, lock, hooks, core::systemTickCount,
                                 baseline ? core::CyclePace{device::DrainMode::Read, true} : core::CyclePace{});

    QEventLoop loop;
    QTimer timer;
    timer.setInterval(100);  // the main window's timer
    QObject::connect(&timer, &QTimer::timeout, [&] {
        cycle.tick();
        if (static_cast<int>(hooks.deliveries.size()) > polls)
            loop.quit();
    });
    // A stand-in for the technician: an event posted every 7 ms, timed until it is handled.
    std::vector<double> delays;
    QTimer prober;
    prober.setInterval(7);
    QObject::connect(&prober, &QTimer::timeout, [&] {
        QElapsedTimer posted;
        posted.start();
        QMetaObject::invokeMethod(
            &loop, [&delays, posted] { delays.push_back(static_cast<double>(posted.nsecsElapsed()) / 1e6); },
            Qt::QueuedConnection);
    });
    timer.start();
    prober.start();
    QTimer::singleShot(polls * (4000 + refreshRate * 1000) + 5000, &loop, &QEventLoop::quit);
    loop.exec();

    std::vector<double> periods;
    for (std::size_t i = 1; i < hooks.deliveries.size(); ++i)
        periods.push_back(static_cast<double>(hooks.deliveries[i] - hooks.deliveries[i - 1]));
    return {percentile(periods, 0.5), percentile(delays, 0.5), percentile(delays, 0.95)};
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
    std::printf("whole polls of a DR device (10 exchanges), %d polls each\n", polls);
    for (int refresh : {0, 2}) {
        const Result baseline = measure(sim.linkPath(), true, refresh, polls);
        const Result worker = measure(sim.linkPath(), false, refresh, polls);
        std::printf("refresh rate %d s\n", refresh);
        std::printf("  baseline: median poll period %7.1f ms, posted event delay median %6.1f ms, 95th %6.1f ms\n",
                    baseline.medianPeriodMs, baseline.medianDelayMs, baseline.p95DelayMs);
        std::printf("  worker : median poll period %7.1f ms, posted event delay median %6.1f ms, 95th %6.1f ms\n",
                    worker.medianPeriodMs, worker.medianDelayMs, worker.p95DelayMs);
        std::printf("  ratio worker/baseline: poll period %.2f, 95th delay %.3f\n",
                    worker.medianPeriodMs / baseline.medianPeriodMs, worker.p95DelayMs / baseline.p95DelayMs);
    }
    return 0;
}
