// Times one single-byte exchange (drain, request, pause, read) against the
// simulator, once draining with a read and once with a purge, and prints the
// medians and their ratio.

#include "device/protocol.h"
#include "device/serial_port.h"
#include "support/simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace trgui::device;

namespace {

double medianMs(SerialPort& port, DrainMode mode, int rounds, int& accepted)
{
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer clock;
        clock.start();
        const Reply r = exchange(port, DeviceCommand::ReadVelocity, mode);
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
        accepted += replyAccepted(DeviceCommand::ReadVelocity, r.count) ? 1 : 0;
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 25;

    trgui::testing::Simulator sim(17);
    if (!sim.started()) {
        std::fprintf(stderr, "simulator did not start\n");
        return 1;
    }
    SerialPort port([&](const std::string&) { return sim.linkPath(); });
    if (port.open(1) != 0) {
        std::fprintf(stderr, "cannot open %s\n", sim.linkPath().c_str());
        return 1;
    }

    int okRead = 0, okPurge = 0;
    const double read = medianMs(port, DrainMode::Read, rounds, okRead);
    const double purge = medianMs(port, DrainMode::Purge, rounds, okPurge);
    std::printf("single-byte exchange (ReadVelocity), %d rounds each\n", rounds);
    std::printf("  drain by read : median %7.2f ms  (%d/%d replies accepted)\n", read, okRead, rounds);
    std::printf("  drain by purge: median %7.2f ms  (%d/%d replies accepted)\n", purge, okPurge, rounds);
    std::printf("  ratio read/purge: %.2f\n", read / purge);
    return 0;
}
