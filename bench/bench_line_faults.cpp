// Runs the measurement cycle against the simulator while the simulator
// disturbs the line (a stray byte before one kind of reply, one changed byte
// inside a reply, replies paced byte by byte) and prints for each fault how
// many polls arrived and how many of them held a value the device never sent.
// With the device's framing (echoed request byte, checksum) and without it.
// A second table puts each fault on the line before the connection opens and
// ends it after 10 s: polls, wrong polls, and seconds from the end of the
// fault until a poll with right values arrives. Both tables again for a
// device whose identification and byte replies end in one byte more, with
// that time also as a number of the same device's polls on a clean line.
//   bench_line_faults [seconds per fault]

#include "core/measurement_cycle.h"
#include "device/serial_port.h"
#include "support/simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace trgui;

namespace {

class RecordingHooks : public core::RecordHooks {
public:
    std::vector<core::MeasurementRecord> records;
    std::vector<int> typeCodes;
    void setOperationDeviceTypeCode(int code) override { typeCodes.push_back(code); }
    void updateDisplay(const core::MeasurementRecord& r) override { records.push_back(r); }
};

bool within(float v, float low, float high)
{
    return v >= low && v <= high;
}

// What the simulated DR device can send: its values move within these bounds
// (volume flow in l/min), it has no error (the error contact is active low),
// is not measuring and its low-flow suppression is 3 %.
bool plausible(const core::MeasurementRecord& r)
{
    for (float v : {r.velocity, r.velocityMin, r.velocityMax})
        if (!within(v, 1.6f, 3.4f))
            return false;
    for (float v : {r.volumeFlow, r.volumeFlowMin, r.volumeFlowMax})
        if (!within(v, 190.0f, 400.0f))
            return false;
    for (float v : {r.temperature, r.temperatureMin, r.temperatureMax})
        if (!within(v, 19.9f, 23.1f))
            return false;
    return r.errorCode == 0 && r.lowFlowSuppression == 3 && (r.contactBits & 0xFC) == 0x08
        && r.velocityUnit == QStringLiteral("m/s");
}

struct Outcome {
    int polls = 0;
    int wrong = 0;
};

void sendControls(trgui::testing::Simulator& sim, const std::string& lines)
{
    for (std::size_t at = 0, next; at < lines.size(); at = next + 1) {
        next = lines.find(';', at);
        if (next == std::string::npos)
            next = lines.size();
        sim.control(lines.substr(at, next - at));
    }
}

// Polls on one connection, as the program does: each fault is switched on
// for the given time and off again, and three clean polls come between.
class Bench {
public:
    explicit Bench(trgui::testing::Simulator& sim) : sim_(sim), cycle_(settings_, connection_, lock_, hooks_)
    {
        settings_.refreshRate = 0;
        const std::string link = sim.linkPath();
        port_.runAndWait([&](core::PortSlot::Port& slot) {
            auto serial = std::make_unique<device::SerialPort>([link](const std::string&) { return link; });
            serial->open(1);
            slot = std::move(serial);
        });
        QObject::connect(&timer_, &QTimer::timeout, [this] { cycle_.tick(); });
        timer_.start(100);
    }

    Outcome run(const std::string& on, const std::string& off, int seconds)
    {
        waitFor([&] { return true; }, 0);
        const std::size_t clean = hooks_.records.size() + 3;
        waitFor([&] { return hooks_.records.size() >= clean; }, 30000);
        sendControls(sim_, on);
        const std::size_t from = hooks_.records.size();
        waitFor([] { return false; }, seconds * 1000);
        sendControls(sim_, off);
        Outcome out;
        for (std::size_t i = from; i < hooks_.records.size(); ++i) {
            ++out.polls;
            if (!plausible(hooks_.records[i])) {
                ++out.wrong;
                if (std::getenv("BENCH_SHOW_WRONG"))
                    show(hooks_.records[i]);
            }
        }
        return out;
    }

    // The fault is on from the first reply; it ends after faultSeconds.
    struct StartOutcome {
        Outcome during;
        double recoverSeconds = -1;  // none: no right poll within 20 s
    };
    StartOutcome runFromStart(const std::string& off, int faultSeconds)
    {
        StartOutcome out;
        waitFor([] { return false; }, faultSeconds * 1000);
        for (const auto& r : hooks_.records) {
            ++out.during.polls;
            out.during.wrong += plausible(r) ? 0 : 1;
        }
        sendControls(sim_, off);
        const std::size_t from = hooks_.records.size();
        QElapsedTimer clock;
        clock.start();
        const auto rightPoll = [&] {
            for (std::size_t i = from; i < hooks_.records.size(); ++i) {
                if (plausible(hooks_.records[i]))
                    return true;
            }
            return false;
        };
        waitFor(rightPoll, 20000);
        if (rightPoll())
            out.recoverSeconds = static_cast<double>(clock.elapsed()) / 1000.0;
        return out;
    }

private:
    template <typename Done>
    void waitFor(Done done, int ms)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    static void show(const core::MeasurementRecord& r)
    {
        std::printf("    v %g %g %g q %g %g %g t %g %g %g error %d low %d contacts 0x%02X unit %s\n", r.velocity,
                    r.velocityMin, r.velocityMax, r.volumeFlow, r.volumeFlowMin, r.volumeFlowMax, r.temperature,
                    r.temperatureMin, r.temperatureMax, r.errorCode, r.lowFlowSuppression, r.contactBits,
                    r.velocityUnit.toUtf8().constData());
    }

    trgui::testing::Simulator& sim_;
    core::SettingsRecord settings_;
    core::DeviceConnection connection_{settings_};
    core::PortSlot& port_ = connection_.port();
    core::DeviceLock lock_;
    RecordingHooks hooks_;
    core::MeasurementCycle cycle_;
    QTimer timer_;
};

struct Fault {
    std::string name;
    std::string on;
    std::string off;
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(2, std::atoi(argv[1])) : 6;
    trgui::testing::Simulator sim(17);
    if (!sim.started()) {
        std::fprintf(stderr, "simulator did not start\n");
        return 1;
    }
    std::vector<Fault> faults = {{"none", "", ""}};
    const std::pair<const char*, int> kinds[] = {
        {"identification", 0x50}, {"velocity", 0x10},   {"minima", 0x20},   {"maxima", 0x21},
        {"contacts", 0x40},       {"error code", 0x41}, {"low-flow", 0x77},
    };
    for (const auto& [name, command] : kinds) {
        const std::string c = std::to_string(command);
        faults.push_back({std::string("stray byte before ") + name, "junk " + c + " on", "junk " + c + " off"});
    }
    faults.push_back({"byte 2 of one temperature changed", "flip 0x13 2", ""});
    for (int pace : {8, 15, 30}) {
        const std::string ms = std::to_string(pace);
        faults.push_back({"reply paced " + ms + " ms a byte", "pace " + ms, "pace off"});
    }

    // Seconds a clean poll takes, by framing, for the device with longer replies.
    double cleanPollSeconds[2] = {0, 0};
    const auto afterSettling = [&](bool longer) {
        std::printf("%-9s %-38s %6s %6s\n", "framing", "fault", "polls", "wrong");
        for (bool framed : {true, false}) {
            sim.control(framed ? "frame all on" : "frame all off");
            Bench bench(sim);  // a new connection learns the device's replies afresh
            for (const Fault& f : faults) {
                const Outcome o = bench.run(f.on, f.off, seconds);
                std::printf("%-9s %-38s %6d %6d\n", framed ? "framed" : "unframed", f.name.c_str(), o.polls, o.wrong);
                if (longer && f.on.empty() && o.polls > 0)
                    cleanPollSeconds[framed ? 0 : 1] = static_cast<double>(seconds) / o.polls;
            }
        }
    };
    std::printf("faults switched on after three clean polls; refresh rate 0; %d s per fault\n", seconds);
    afterSettling(false);

    // From the very first reply of a connection: nothing may be learned from the fault.
    const Fault fromStart[] = {
        {"stray byte before identification", "junk 0x50 on", "junk 0x50 off"},
        {"stray byte before error code", "junk 0x41 on", "junk 0x41 off"},
        {"stray byte before contacts", "junk 0x40 on", "junk 0x40 off"},
        {"stray byte before every reply", "junk 0x50 on;junk 0x10 on;junk 0x11 on;junk 0x12 on;junk 0x13 on;"
                                          "junk 0x20 on;junk 0x21 on;junk 0x40 on;junk 0x41 on;junk 0x77 on",
         "junk 0x50 off;junk 0x10 off;junk 0x11 off;junk 0x12 off;junk 0x13 off;junk 0x20 off;junk 0x21 off;"
         "junk 0x40 off;junk 0x41 off;junk 0x77 off"},
        {"first temperature reply changed", "flip 0x13 3", ""},
    };
    constexpr int kFaultSeconds = 10;
    const auto fromFirstReply = [&](bool longer) {
        std::printf("%-9s %-38s %6s %6s %12s%s\n", "framing", "fault", "polls", "wrong", "right after",
                    longer ? "  clean polls" : "");
        for (bool framed : {true, false}) {
            for (const Fault& f : fromStart) {
                sim.control(framed ? "frame all on" : "frame all off");
                sendControls(sim, f.on);
                Bench bench(sim);
                const auto o = bench.runFromStart(f.off, kFaultSeconds);
                char recovered[16] = "never";
                char inPolls[16] = "";
                if (o.recoverSeconds >= 0) {
                    std::snprintf(recovered, sizeof recovered, "%.1f s", o.recoverSeconds);
                    const double poll = cleanPollSeconds[framed ? 0 : 1];
                    if (longer && poll > 0)
                        std::snprintf(inPolls, sizeof inPolls, "%13.1f", o.recoverSeconds / poll);
                }
                std::printf("%-9s %-38s %6d %6d %12s%s\n", framed ? "framed" : "unframed", f.name.c_str(),
                            o.during.polls, o.during.wrong, recovered, inPolls);
            }
        }
    };
    std::printf("\nfaults on from the first reply of a connection, ended after %d s\n", kFaultSeconds);
    fromFirstReply(false);

    // A device whose leading bytes are the protocol's and which sends one more:
    // the same faults must neither be learned nor keep its values out.
    sim.control("trail on");
    std::printf("\nidentification and byte replies one byte longer: faults switched on after three clean polls\n");
    afterSettling(true);
    std::printf("\nidentification and byte replies one byte longer: faults on from the first reply, ended after %d s\n",
                kFaultSeconds);
    fromFirstReply(true);
    sim.control("trail off");
    return 0;
}
