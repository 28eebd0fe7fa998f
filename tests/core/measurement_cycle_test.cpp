#include "core/measurement_cycle.h"
#include "support/scripted_link.h"
#include "support/simulator.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <sstream>

#include <gtest/gtest.h>

#include <utility>

#include <functional>

using namespace trgui::core;
using trgui::testing::ScriptedLink;
using Bytes = ScriptedLink::Bytes;

using trgui::device::Family;

namespace {

class FakeHooks : public CycleHooks {
public:
    bool operationInit = false, recording = false, startEnabled = false;
    bool visualisationInit = false, plotting = false;
    int deviceTypeCode = -99;
    std::vector<int> availabilityCalls;
    std::vector<MeasurementRecord> displayed, samples;
    int toggles = 0, settleCountdowns = 0;

    bool operationInitialised() const override { return operationInit; }
    bool operationRecording() const override { return recording; }
    void setOperationDeviceTypeCode(int code) override { deviceTypeCode = code; }
    void applyOperationAvailability(int code) override { availabilityCalls.push_back(code); }
    std::function<void()> whileDisplaying;  // e.g. the ticks a page's message box lets through
    void updateDisplay(const MeasurementRecord& r) override
    {
        displayed.push_back(r);
        if (auto nested = std::exchange(whileDisplaying, {}))
            nested();
    }
    void toggleRecordingIndicator() override { ++toggles; }
    bool recordStartEnabled() const override { return startEnabled; }
    void enableRecordStart() override { startEnabled = true; }
    std::vector<bool> staleCalls;
    void setValuesStale(bool stale) override { staleCalls.push_back(stale); }
    bool visualisationInitialised() const override { return visualisationInit; }
    bool visualisationPlotting() const override { return plotting; }
    void addSample(const MeasurementRecord& r) override { samples.push_back(r); }
    void countDownSettleCounter() override { ++settleCountdowns; }
};

Bytes value(std::uint8_t command, std::uint8_t b0, std::uint8_t b1, std::uint8_t unit)
{
    return {command, 8, b0, b1, 0, 0, unit, 0};
}

// A minima or maxima reply: velocity, volume flow and temperature at bytes 2, 7 and 12.
Bytes triple(std::uint8_t command, float velocity, float volumeFlow, float temperature)
{
    Bytes b(18, 0);
    b[0] = command;
    b[1] = 18;
    trgui::device::encodeFloatBE(velocity, &b[2]);
    trgui::device::encodeFloatBE(volumeFlow, &b[7]);
    trgui::device::encodeFloatBE(temperature, &b[12]);
    return b;
}

// What answerPoll's minima and maxima replies hold.
constexpr float kMin[] = {1.5f, 0.25f, 18.5f};
constexpr float kMax[] = {12.0f, 3.5f, 31.0f};

class CycleWithScriptedLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings.refreshRate = 2;
        auto scripted = std::make_unique<ScriptedLink>();
        link = scripted.get();
        port.setPort(std::move(scripted));
    }

    // One exchange of the cycle: the drain read, then the reply. A whole reply
    // (byte 1 its length) ends in its checksum, as the device frames it.
    void answer(Bytes reply)
    {
        if (reply.size() >= 3 && reply[1] == reply.size())
            reply.back() = trgui::device::checksum(std::span(reply).first(reply.size() - 1));
        link->replies.push_back({});
        link->replies.push_back(reply);
    }

    // Replies for a whole poll of a device of type code.
    void answerPoll(std::uint8_t code, std::uint8_t lowFlow = 7)
    {
        const bool dr = code >= 16 && code <= 30;
        answer({0x50, 4, code, 0});
        answer(value(0x10, 0x41, 0x20, dr ? 151 : 91));    // 10.0 m/s
        answer(value(0x11, 0x40, 0x00, dr ? 161 : 111));   // 2.0 l/min
        answer(value(0x12, 0x42, 0xC8, dr ? 176 : 121));   // 100.0 m3
        answer(value(0x13, 0x41, 0xB8, dr ? 155 : 100));   // 23.0 degrees C
        answer(triple(0x20, kMin[0], kMin[1], kMin[2]));
        answer(triple(0x21, kMax[0], kMax[1], kMax[2]));
        answer({0x40, 4, 0x0F, 0});
        answer({0x41, 4, 20, 0});
        if (dr)
            answer({0x77, 4, lowFlow, 0});
    }

    void ticks(int n)
    {
        for (int i = 0; i < n; ++i) {
            now += 100;
            cycle.tick();
        }
    }

    SettingsRecord settings;
    DeviceConnection connection{settings, PortSlot::Mode::Inline};
    PortSlot& port = connection.port();
    ScriptedLink* link = nullptr;
    DeviceLock lock;
    FakeHooks hooks;
    std::uint32_t now = 100000;
    // Step by step and tick by tick, every drain a read: the state machine as scripted here.
    MeasurementCycle cycle{settings, connection, lock, hooks, [this] { return now; },
                           CyclePace{trgui::device::DrainMode::Read, true}};
};

} // namespace

TEST_F(CycleWithScriptedLink, noPollUntilAConsumingPageExists)
{
    ticks(50);
    EXPECT_EQ(cycle.step(), PollStep::Idle);
    EXPECT_TRUE(link->writes.empty());
    hooks.visualisationInit = true;
    answer({0x50, 4, 3, 0});
    ticks(1);
    EXPECT_EQ(cycle.step(), PollStep::Velocity) << "the poll starts and identifies on the same tick";
}

TEST_F(CycleWithScriptedLink, drPollFillsEveryFieldOfTheRecordAndDelivers)
{
    hooks.operationInit = true;
    settings.deviceFamily = Family::None;
    answerPoll(17, 7);
    ticks(11);
    EXPECT_EQ(cycle.step(), PollStep::Idle);
    EXPECT_EQ(settings.deviceFamily, Family::Dr);
    EXPECT_EQ(hooks.deviceTypeCode, 17);
    EXPECT_EQ(hooks.availabilityCalls, std::vector<int>{17});
    ASSERT_EQ(hooks.displayed.size(), 1u);
    const auto& r = hooks.displayed[0];
    EXPECT_EQ(r.velocity, 10.0f);
    EXPECT_EQ(r.velocityUnit, "m/s");
    EXPECT_EQ(r.volumeFlow, 2.0f);
    EXPECT_EQ(r.volumeFlowUnit, "l/min");
    EXPECT_EQ(r.totaliser, 100.0f);
    EXPECT_EQ(r.totaliserUnit, QString::fromUtf8("m³"));
    EXPECT_EQ(r.temperature, 23.0f);
    EXPECT_EQ(r.temperatureUnit, QString::fromUtf8("°C"));
    EXPECT_EQ(r.velocityMin, kMin[0]);
    EXPECT_EQ(r.volumeFlowMin, kMin[1]);
    EXPECT_EQ(r.temperatureMin, kMin[2]);
    EXPECT_EQ(r.velocityMax, kMax[0]);
    EXPECT_EQ(r.volumeFlowMax, kMax[1]);
    EXPECT_EQ(r.temperatureMax, kMax[2]);
    EXPECT_EQ(r.contactBits, 0x0F);
    EXPECT_EQ(r.errorCode, 20);
    EXPECT_EQ(r.lowFlowSuppression, 7);
    EXPECT_TRUE(hooks.startEnabled);

    const Bytes requests{0x50, 0x10, 0x11, 0x12, 0x13, 0x20, 0x21, 0x40, 0x41, 0x77};
    EXPECT_EQ(link->written(), requests);
    EXPECT_EQ(link->pauses, (std::vector<int>{40, 40, 40, 40, 40, 40, 40, 40, 40, 60}));
}

TEST_F(CycleWithScriptedLink, aBoxOpenedOnDeliveryDoesNotDeliverThePollAgain)
{
    hooks.operationInit = true;
    answerPoll(17);
    hooks.whileDisplaying = [this] { ticks(30); };  // a recording's "cannot write" box stays open 3 s
    ticks(11);
    EXPECT_EQ(hooks.displayed.size(), 1u) << "one poll, one row";
}

// The service report takes the latest complete poll, whichever page has the
// polling going, while it is recent: never a record half filled by the next
// poll, nothing older than 10 s, nothing of the port before a new one.
TEST_F(CycleWithScriptedLink, theReportGetsTheLatestCompletePollWhileItIsRecent)
{
    hooks.visualisationInit = true;  // the Operation page never opened
    answerPoll(3);
    ticks(10);
    const std::uint32_t delivered = now;
    ASSERT_TRUE(cycle.recentPoll());
    EXPECT_EQ(cycle.recentPoll()->record.velocity, 10.0f);
    EXPECT_EQ(cycle.recentPoll()->record.errorCode, 20);

    now += 2000;
    answer({0x50, 4, 3, 0});
    answer(value(0x10, 0x41, 0xA0, 91));  // 20.0 m/s
    ticks(2);
    ASSERT_EQ(cycle.record().velocity, 20.0f) << "the next poll is under way";
    EXPECT_EQ(cycle.recentPoll()->record.velocity, 10.0f);
    EXPECT_EQ(cycle.recentPoll()->record.errorCode, 20);

    now = delivered + 10000;
    EXPECT_TRUE(cycle.recentPoll());
    now = delivered + 10001;
    EXPECT_FALSE(cycle.recentPoll());
    now = delivered + 1000;
    cycle.restart();
    EXPECT_FALSE(cycle.recentPoll());
}

TEST_F(CycleWithScriptedLink, standardDeviceHasNoLowFlowExchange)
{
    hooks.operationInit = true;
    answerPoll(3);
    ticks(10);
    EXPECT_EQ(cycle.step(), PollStep::Idle);
    ASSERT_EQ(hooks.displayed.size(), 1u);
    EXPECT_EQ(hooks.displayed[0].lowFlowSuppression, 0);
    EXPECT_EQ(hooks.displayed[0].velocityUnit, "m/s");
    EXPECT_EQ(settings.deviceFamily, Family::Standard);
    EXPECT_EQ(link->written().back(), 0x41);
}

TEST_F(CycleWithScriptedLink, wrongLengthValueReplyRepeatsTheRequest)
{
    hooks.operationInit = true;
    answer({0x50, 4, 3, 0});
    Bytes seven = value(0x10, 0x41, 0x20, 91);
    seven.pop_back();
    answer(seven);
    answer(value(0x10, 0x41, 0x20, 91));
    ticks(1);
    EXPECT_EQ(cycle.step(), PollStep::Velocity);
    ticks(1);
    EXPECT_EQ(cycle.step(), PollStep::Velocity) << "a 7-byte reply is not taken";
    EXPECT_EQ(cycle.record().velocity, 0.0f);
    ticks(1);
    EXPECT_EQ(cycle.step(), PollStep::VolumeFlow);
    EXPECT_EQ(link->written(), (Bytes{0x50, 0x10, 0x10}));
}

TEST_F(CycleWithScriptedLink, refreshRateZeroPollsBackToBackAndTenWaits)
{
    hooks.operationInit = true;
    settings.refreshRate = 0;
    answerPoll(3);
    answerPoll(3);
    ticks(10);
    EXPECT_EQ(cycle.step(), PollStep::Idle);
    ticks(1);
    EXPECT_EQ(cycle.step(), PollStep::Velocity) << "next poll starts on the tick after delivery";

    settings.refreshRate = 10;
    const std::uint32_t started = cycle.lastPollStart();
    ticks(9);  // rest of the second poll
    EXPECT_EQ(cycle.step(), PollStep::Idle);
    int idle = 0;
    while (cycle.step() == PollStep::Idle && idle < 500) {
        ticks(1);
        ++idle;
    }
    EXPECT_EQ(cycle.lastPollStart() - started, 10100u) << "first tick strictly after 10 s";
}

TEST_F(CycleWithScriptedLink, tickCountWrapIsHarmless)
{
    hooks.operationInit = true;
    settings.refreshRate = 2;
    now = 0xFFFFFF00u;
    answerPoll(3);
    ticks(10);
    EXPECT_EQ(hooks.displayed.size(), 1u);
    const std::uint32_t started = cycle.lastPollStart();
    while (cycle.lastPollStart() == started)
        ticks(1);
    EXPECT_EQ(cycle.lastPollStart() - started, 2100u);
}

TEST_F(CycleWithScriptedLink, heldLockSkipsTheExchangeButNotTheChores)
{
    hooks.operationInit = true;
    hooks.recording = true;
    answerPoll(3);
    lock.lock();
    ticks(8);
    EXPECT_TRUE(link->writes.empty());
    EXPECT_EQ(cycle.step(), PollStep::Identify);
    EXPECT_EQ(hooks.toggles, 2) << "the indicator blinks every fourth tick";
    EXPECT_EQ(hooks.settleCountdowns, 8);
    lock.unlock();
    ticks(1);
    EXPECT_EQ(link->written(), Bytes{0x50});
}

TEST_F(CycleWithScriptedLink, otherTimerIdsOnlyStartAPoll)
{
    hooks.operationInit = true;
    now += 5000;
    cycle.tick(2);
    EXPECT_EQ(cycle.step(), PollStep::Identify);
    EXPECT_TRUE(link->writes.empty());
    EXPECT_EQ(hooks.settleCountdowns, 0);
}

TEST_F(CycleWithScriptedLink, startButtonAndSamplesFollowThePages)
{
    hooks.operationInit = true;
    hooks.visualisationInit = true;
    answerPoll(3);
    ticks(9);
    EXPECT_FALSE(hooks.startEnabled) << "disabled before the first delivery";
    ticks(1);
    EXPECT_TRUE(hooks.startEnabled);
    EXPECT_TRUE(hooks.samples.empty()) << "set up but not plotting";

    hooks.plotting = true;
    hooks.startEnabled = false;
    hooks.recording = true;
    answerPoll(3);
    while (hooks.displayed.size() < 2)
        ticks(1);
    EXPECT_EQ(hooks.samples.size(), 1u);
    EXPECT_FALSE(hooks.startEnabled) << "left alone while recording";
}

TEST_F(CycleWithScriptedLink, noPortDoesNothingAndDeliveryReturnsToIdle)
{
    hooks.operationInit = true;
    port.setPort(nullptr);
    ticks(5);
    EXPECT_EQ(cycle.step(), PollStep::Identify);
    EXPECT_TRUE(hooks.displayed.empty());

    // A port that goes just before the delivery: nothing is delivered, the cycle waits for the next poll.
    auto scripted = std::make_unique<ScriptedLink>();
    link = scripted.get();
    port.setPort(std::move(scripted));
    answerPoll(3);
    ticks(9);
    ASSERT_EQ(cycle.step(), PollStep::Deliver);
    port.setPort(nullptr);
    ticks(1);
    EXPECT_EQ(cycle.step(), PollStep::Idle);
    EXPECT_TRUE(hooks.displayed.empty());
}

TEST_F(CycleWithScriptedLink, codeOutsideTheTableKeepsTheFamily)
{
    hooks.operationInit = true;
    settings.deviceFamily = Family::Wt;
    answer({0x50, 4, 99, 0});
    ticks(1);
    EXPECT_EQ(settings.deviceFamily, Family::Wt);
    EXPECT_EQ(hooks.deviceTypeCode, 99);
    EXPECT_EQ(hooks.availabilityCalls, std::vector<int>{99});
}

TEST_F(CycleWithScriptedLink, shortByteRepliesStepTenAndANewPort)
{
    hooks.operationInit = true;
    answer({0x50, 4, 17, 0});
    for (std::uint8_t c : {0x10, 0x11, 0x12, 0x13})
        answer(value(c, 0x41, 0x20, 151));
    answer(triple(0x20, kMin[0], kMin[1], kMin[2]));
    answer(triple(0x21, kMax[0], kMax[1], kMax[2]));
    answer({0x40, 4});  // too short to hold the contact bits
    ticks(8);
    EXPECT_EQ(cycle.step(), PollStep::Contacts) << "a 2-byte contacts reply is not taken as 'no contact set'";
    answer({0x40, 4, 0x0F, 0});
    answer({0x41, 4, 0, 0});
    ticks(2);
    EXPECT_EQ(cycle.step(), PollStep::LowFlowSuppression);
    settings.deviceFamily = Family::Standard;  // the device changed under us
    ticks(1);
    EXPECT_EQ(hooks.displayed.size(), 1u) << "step 10 goes straight to delivery";
    EXPECT_EQ(link->written().back(), 0x41) << "no low-flow request to a device that has none";

    answer({0x50, 4, 3, 0});
    answer(value(0x10, 0x41, 0x20, 91));
    now += 5000;
    ticks(2);
    EXPECT_EQ(cycle.step(), PollStep::VolumeFlow);
    cycle.restart();
    EXPECT_EQ(cycle.step(), PollStep::Identify) << "a new port: the poll starts again at identification";
}

TEST_F(CycleWithScriptedLink, tenRefusalsInARowStartThePollAgain)
{
    hooks.operationInit = true;
    answer({0x50, 4, 3, 0});
    answer(value(0x10, 0x41, 0x20, 91));
    for (int i = 0; i < MeasurementCycle::kRefusalsBeforeRestart; ++i)
        answer({0x11, 8});  // never a whole value
    ticks(12);
    const Bytes written = link->written();
    ASSERT_EQ(written.size(), 12u);
    EXPECT_EQ(std::count(written.begin(), written.end(), 0x11), 10);
    EXPECT_EQ(cycle.step(), PollStep::Identify) << "identified anew instead of being asked the same forever";
    answerPoll(3);
    ticks(10);
    EXPECT_EQ(hooks.displayed.size(), 1u);
}

TEST_F(CycleWithScriptedLink, valuesGrowStaleAfterThreeRefreshPeriods)
{
    hooks.operationInit = true;
    answerPoll(3);
    ticks(10);
    ASSERT_EQ(hooks.displayed.size(), 1u);
    ticks(60);  // a silent device: 6 s without a delivery is not yet too long
    EXPECT_TRUE(hooks.staleCalls.empty());
    ticks(1);
    EXPECT_EQ(hooks.staleCalls, std::vector<bool>{true});
    ticks(5);
    EXPECT_EQ(hooks.staleCalls.size(), 1u) << "told once";

    settings.refreshRate = 10;  // three periods are 30 s now
    cycle.restart();
    answerPoll(3);
    ticks(11);
    EXPECT_EQ(hooks.staleCalls, (std::vector<bool>{true, false})) << "the next delivery restores them";
    ticks(250);
    EXPECT_EQ(hooks.staleCalls.size(), 2u);
    ticks(60);
    EXPECT_EQ(hooks.staleCalls.size(), 3u);
}

TEST(CycleAgainstSimulator, pollsTheDeviceOverAPty)
{
    trgui::testing::Simulator sim(18);
    ASSERT_TRUE(sim.started());
    SettingsRecord settings;
    settings.refreshRate = 0;
    auto serial = std::make_unique<trgui::device::SerialPort>([&](const std::string&) { return sim.linkPath(); });
    ASSERT_EQ(serial->open(1), 0);
    DeviceConnection connection{settings, PortSlot::Mode::Inline};
    connection.port().setPort(std::move(serial));
    DeviceLock lock;
    FakeHooks hooks;
    hooks.operationInit = true;
    MeasurementCycle cycle(settings, connection, lock, hooks);

    QElapsedTimer clock;
    clock.start();
    while (hooks.displayed.size() < 2 && clock.elapsed() < 10000)
        cycle.tick();
    ASSERT_EQ(hooks.displayed.size(), 2u);
    const auto& r = hooks.displayed.back();
    EXPECT_EQ(settings.deviceFamily, Family::Dr);
    EXPECT_EQ(hooks.deviceTypeCode, 18);
    EXPECT_EQ(r.velocityUnit, "m/s");
    EXPECT_EQ(r.volumeFlowUnit, "l/min");
    EXPECT_EQ(r.totaliserUnit, QString::fromUtf8("m³"));
    EXPECT_EQ(r.temperatureUnit, QString::fromUtf8("°C"));
    EXPECT_GT(r.velocity, 0.5f);
    EXPECT_LE(r.velocityMin, r.velocity);
    EXPECT_GE(r.velocityMax, r.velocity);
    EXPECT_EQ(r.lowFlowSuppression, 3);
    EXPECT_EQ(r.contactBits & 0x0C, 0x0C) << "ready, and no error";
    EXPECT_EQ(sim.count("request 0x77"), 2);
}

namespace {

// The cycle as the main window runs it: exchanges on the device thread, a
// 100 ms timer on this one.
class CycleThroughWorker : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.started());
        settings.refreshRate = 0;
        hooks.operationInit = true;
        const std::string path = sim.linkPath();
        port.runAndWait([path](PortSlot::Port& slot) {
            auto serial = std::make_unique<trgui::device::SerialPort>([path](const std::string&) { return path; });
            if (serial->open(1) == 0)
                slot = std::move(serial);
        });
        ASSERT_TRUE(port.hasPort());
        QObject::connect(&timer, &QTimer::timeout, [this] { cycle.tick(); });
        timer.start(100);
    }
    bool waitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 15000); }
    // Request bytes in the order the simulator saw them.
    std::vector<int> requests()
    {
        std::vector<int> out;
        std::istringstream log(sim.log());
        for (std::string line; std::getline(log, line);) {
            if (const auto at = line.find("request 0x"); at != std::string::npos)
                out.push_back(std::stoi(line.substr(at + 8, 4), nullptr, 16));
        }
        return out;
    }

    trgui::testing::Simulator sim{18};
    SettingsRecord settings;
    DeviceConnection connection{settings};
    PortSlot& port = connection.port();
    DeviceLock lock;
    FakeHooks hooks;
    MeasurementCycle cycle{settings, connection, lock, hooks};
    QTimer timer;
};

} // namespace

TEST_F(CycleThroughWorker, sameRecordsAndRequestsInTheSameOrder)
{
    ASSERT_TRUE(waitFor([&] { return hooks.displayed.size() >= 2; }));
    const auto& r = hooks.displayed.back();
    EXPECT_EQ(hooks.deviceTypeCode, 18);
    EXPECT_EQ(r.velocityUnit, "m/s");
    EXPECT_EQ(r.temperatureUnit, QString::fromUtf8("°C"));
    EXPECT_GT(r.velocity, 0.5f);
    EXPECT_EQ(r.lowFlowSuppression, 3);
    const std::vector<int> poll{0x50, 0x10, 0x11, 0x12, 0x13, 0x20, 0x21, 0x40, 0x41, 0x77};
    const auto seen = requests();
    ASSERT_GE(seen.size(), 2 * poll.size());
    EXPECT_EQ(std::vector<int>(seen.begin(), seen.begin() + 20),
              (std::vector<int>{0x50, 0x10, 0x11, 0x12, 0x13, 0x20, 0x21, 0x40, 0x41, 0x77,
                                0x50, 0x10, 0x11, 0x12, 0x13, 0x20, 0x21, 0x40, 0x41, 0x77}));
}

TEST_F(CycleThroughWorker, aWrongLengthRepeatsItsStepAndTheLockHoldsTheCycleOff)
{
    ASSERT_TRUE(waitFor([&] { return !hooks.displayed.empty(); }));
    sim.control("length 0x13 7");
    const std::size_t delivered = hooks.displayed.size();
    const int before = sim.count("request 0x13");
    ASSERT_TRUE(waitFor([&] { return sim.count("request 0x13") >= before + 3; }));
    EXPECT_LE(hooks.displayed.size(), delivered + 1) << "no poll gets past the temperature";
    sim.control("length 0x13 off");
    ASSERT_TRUE(waitFor([&] { return hooks.displayed.size() >= delivered + 2; }));

    lock.lock();
    ASSERT_TRUE(waitFor([&] { return !cycle.exchangeInFlight(); }));
    const std::size_t quiet = requests().size();
    QTest::qWait(600);
    EXPECT_EQ(requests().size(), quiet) << "nothing is sent while a page holds the lock";
    lock.unlock();
    EXPECT_TRUE(waitFor([&] { return requests().size() > quiet; }));
}

TEST_F(CycleThroughWorker, aPageConversationWaitsForTheExchangeInFlightThenRunsWhole)
{
    ASSERT_TRUE(waitFor([&] { return cycle.exchangeInFlight(); }));
    lock.lock();  // as a page does
    port.runAndWait([](PortSlot::Port& p) {
        for (int i = 0; i < 3; ++i)
            trgui::device::exchange(*p, trgui::device::DeviceCommand::ReadVersion, trgui::device::DrainMode::Auto);
    });
    lock.unlock();
    const auto seen = requests();
    const auto first = std::find(seen.begin(), seen.end(), 0x51);
    ASSERT_NE(first, seen.end());
    ASSERT_NE(first, seen.begin()) << "the cycle's exchange in flight went first";
    EXPECT_EQ(std::count(first, first + 3, 0x51), 3) << "the page's three requests in a row";
    EXPECT_TRUE(waitFor([&] { return requests().size() > seen.size(); })) << "the cycle goes on";
}

namespace {

// Holds one request on the wire, on the device thread, until the test lets it go.
class WireGate {
public:
    explicit WireGate(std::uint8_t request) : request_(request) {}
    void arm()
    {
        const std::lock_guard lock(mutex_);
        armed_ = true;
    }
    bool reached()
    {
        const std::lock_guard lock(mutex_);
        return reached_;
    }
    void release()
    {
        const std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    // Called for every request written; waits 5 s at most, so a failing test cannot hang.
    void pass(std::uint8_t request)
    {
        std::unique_lock lock(mutex_);
        if (!armed_ || request != request_)
            return;
        armed_ = false;
        reached_ = true;
        changed_.wait_for(lock, std::chrono::seconds(5), [this] { return released_; });
    }

private:
    const std::uint8_t request_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool armed_ = false, reached_ = false, released_ = false;
};

// A device of a type code behind a scripted link: each request written is
// answered as such a device answers it (a family-2 device has no low-flow
// reply), and every request is recorded.
class AnsweringLink : public ScriptedLink {
public:
    AnsweringLink(std::uint8_t code, WireGate* gate) : code_(code), gate_(gate) {}

    int write(const std::uint8_t* data, std::size_t length) override
    {
        if (length == 1 && gate_)
            gate_->pass(data[0]);
        const int result = ScriptedLink::write(data, length);
        if (length == 1)
            answer(data[0]);
        return result;
    }
    void purgeInput() override
    {
        ScriptedLink::purgeInput();
        replies.clear();
    }

private:
    void answer(std::uint8_t request)
    {
        const bool dr = code_ >= 16 && code_ <= 30;
        Bytes reply;
        switch (request) {
        case 0x50: reply = {0x50, 4, code_, 0}; break;
        case 0x51: reply = {0x51, 7, 0x3F, 0xA0, 0, 0, 0}; break;
        case 0x10:
        case 0x11:
        case 0x12:
        case 0x13: reply = value(request, 0x41, 0x20, dr ? 151 : 91); break;
        case 0x20: reply = triple(0x20, kMin[0], kMin[1], kMin[2]); break;
        case 0x21: reply = triple(0x21, kMax[0], kMax[1], kMax[2]); break;
        case 0x40: reply = {0x40, 4, 0x0F, 0}; break;
        case 0x41: reply = {0x41, 4, 0, 0}; break;
        case 0x77:
            if (!dr)
                return;
            reply = {0x77, 4, 3, 0};
            break;
        default: return;
        }
        reply.back() = trgui::device::checksum(std::span(reply).first(reply.size() - 1));
        replies.push_back(reply);
    }

    const std::uint8_t code_;
    WireGate* gate_;
};

} // namespace

// Another port chosen on the Settings page while a poll of a DR device is
// under way, at each of its steps: the request on the wire at that moment
// still goes to the old device, and the new one (family 2) is first asked who
// it is, then polled as its family is - never the rest of the old poll.
TEST(CyclePortSwitch, theNewDeviceIsIdentifiedFirstAndNeverGetsTheOldDevicesSteps)
{
    const std::pair<PollStep, std::uint8_t> steps[] = {
        {PollStep::Identify, 0x50},    {PollStep::Velocity, 0x10},  {PollStep::VolumeFlow, 0x11},
        {PollStep::Totaliser, 0x12},   {PollStep::Temperature, 0x13}, {PollStep::Minima, 0x20},
        {PollStep::Maxima, 0x21},      {PollStep::Contacts, 0x40},  {PollStep::ErrorCode, 0x41},
        {PollStep::LowFlowSuppression, 0x77},
    };
    for (const auto& [step, request] : steps) {
        SCOPED_TRACE(static_cast<int>(step));
        SettingsRecord settings;
        settings.refreshRate = 0;
        WireGate gate(request);
        AnsweringLink* second = nullptr;
        DeviceConnection connection{settings};  // conversations on the device thread, as in the program
        connection.setWatchInterval(60000);     // only the cycle and the port switch talk
        connection.setPortFactory([&](int number, trgui::device::OpenFailure&) -> PortSlot::Port {
            auto link = std::make_unique<AnsweringLink>(number == 1 ? 17 : 33, number == 1 ? &gate : nullptr);
            if (number == 2)
                second = link.get();
            return link;
        });
        DeviceLock lock;
        FakeHooks hooks;
        hooks.operationInit = true;
        std::uint32_t now = 100000;
        MeasurementCycle cycle{settings, connection, lock, hooks, [&] { return now; }};
        const auto tickUntil = [&](const std::function<bool()>& condition) {
            return QTest::qWaitFor(
                [&] {
                    now += 100;
                    cycle.tick();
                    return condition();
                },
                5000);
        };

        connection.choosePort(1);
        ASSERT_TRUE(QTest::qWaitFor([&] { return connection.port().pending() == 0 && settings.deviceAnswering; }));
        ASSERT_TRUE(tickUntil([&] { return !hooks.displayed.empty(); }));
        ASSERT_EQ(settings.deviceFamily, Family::Dr);

        gate.arm();
        ASSERT_TRUE(tickUntil([&] { return gate.reached(); }));
        connection.choosePort(2);  // while the old device's request is on the wire
        gate.release();
        ASSERT_TRUE(tickUntil([&] {
            const auto poll = cycle.recentPoll();
            return poll && poll->deviceTypeCode == 33;
        }));
        EXPECT_EQ(settings.deviceFamily, Family::Wt);

        Bytes wire;
        connection.port().runAndWait([&](PortSlot::Port&) { wire = second->written(); });
        const Bytes poll{0x50, 0x51, 0x50, 0x10, 0x11, 0x12, 0x13, 0x20, 0x21, 0x40, 0x41};
        ASSERT_GE(wire.size(), poll.size());
        EXPECT_EQ(Bytes(wire.begin(), wire.begin() + static_cast<std::ptrdiff_t>(poll.size())), poll)
            << "identified on connecting, then a whole poll from its identification on";
        EXPECT_EQ(std::count(wire.begin(), wire.end(), 0x77), 0) << "a family-2 device has no low-flow suppression";
    }
}
