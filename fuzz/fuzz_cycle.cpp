// The measurement cycle against a device whose replies are the fuzzer's bytes:
// the slot runs each exchange inline, the clock advances one timer period per
// tick, and a failed line is replaced and the poll restarted as the window does.

#include "core/device_lock.h"
#include "core/measurement_cycle.h"
#include "core/port_slot.h"
#include "fuzz_link.h"

#include <array>

using namespace trgui;
using device::DeviceCommand;

namespace {

// The pages, as far as the cycle sees them.
class FuzzHooks : public core::CycleHooks {
public:
    bool operation = true;
    bool visualisation = true;
    bool recording = false;
    bool plotting = true;
    bool startEnabled = false;
    int deliveries = 0;

    bool operationInitialised() const override { return operation; }
    bool operationRecording() const override { return recording; }
    void setOperationDeviceTypeCode(int code) override { FUZZ_CHECK(code >= -128 && code <= 127); }
    void applyOperationAvailability(int code) override { FUZZ_CHECK(code >= -128 && code <= 127); }
    void updateDisplay(const core::MeasurementRecord&) override { ++deliveries; }
    void toggleRecordingIndicator() override {}
    bool recordStartEnabled() const override { return startEnabled; }
    void enableRecordStart() override { startEnabled = true; }
    void setValuesStale(bool) override {}
    bool visualisationInitialised() const override { return visualisation; }
    bool visualisationPlotting() const override { return plotting; }
    void addSample(const core::MeasurementRecord&) override {}
    void countDownSettleCounter() override {}
};

// The requests of one poll, in order, up to the error code that every family asks.
constexpr std::array<DeviceCommand, 9> kPoll{
    DeviceCommand::Identify,        DeviceCommand::ReadVelocity, DeviceCommand::ReadVolumeFlow,
    DeviceCommand::ReadTotaliser,   DeviceCommand::ReadTemperature, DeviceCommand::ReadMinima,
    DeviceCommand::ReadMaxima,      DeviceCommand::ReadContacts, DeviceCommand::ReadErrorCode,
};

bool isPollRequest(std::uint8_t byte)
{
    if (byte == static_cast<std::uint8_t>(DeviceCommand::ReadLowFlowSuppression))
        return true;
    for (DeviceCommand c : kPoll) {
        if (byte == static_cast<std::uint8_t>(c))
            return true;
    }
    return false;
}

// Whether the requests written hold a whole poll in order.
bool holdsWholePoll(const std::vector<std::vector<std::uint8_t>>& writes, std::size_t from)
{
    std::size_t next = 0;
    for (std::size_t i = from; i < writes.size() && next < kPoll.size(); ++i) {
        if (writes[i].size() == 1 && writes[i][0] == static_cast<std::uint8_t>(kPoll[next]))
            ++next;
    }
    return next == kPoll.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::uint8_t setup = data[0];
    fuzz::LineScript script(data + 1, size - 1);

    core::SettingsRecord settings;  // never loaded nor saved
    settings.refreshRate = setup & 0x03;
    settings.deviceFamily = static_cast<device::Family>(((setup >> 2) & 0x03) - 1);
    core::DeviceConnection connection(settings, core::PortSlot::Mode::Inline);
    core::PortSlot& slot = connection.port();
    slot.setPort(std::make_unique<fuzz::FuzzLink>(script));
    core::DeviceLock lock;
    FuzzHooks hooks;
    hooks.recording = setup & 0x10;
    std::uint32_t now = 0xFFFF0000u;  // the tick count wraps during the run
    const core::CyclePace pace{setup & 0x20 ? device::DrainMode::Read : device::DrainMode::Auto, (setup & 0x40) != 0};
    core::MeasurementCycle cycle(settings, connection, lock, hooks, [&now] { return now; }, pace);

    std::size_t pollWrites = 0;  // first write of the poll being delivered next
    int deliveries = 0;
    for (int tick = 0; tick < 2000 && !script.exhausted(); ++tick) {
        now += 100;
        cycle.tick();
        FUZZ_CHECK(cycle.step() >= core::PollStep::Idle && cycle.step() <= core::PollStep::Deliver);
        FUZZ_CHECK(!cycle.exchangeInFlight());  // inline: every exchange has ended
        FUZZ_CHECK(cycle.lastReplyCount() <= device::kReadSize);
        FUZZ_CHECK(static_cast<int>(settings.deviceFamily) >= -1 && static_cast<int>(settings.deviceFamily) <= 2);
        for (std::size_t i = pollWrites; i < script.writes.size(); ++i)
            FUZZ_CHECK(script.writes[i].size() == 1 && isPollRequest(script.writes[i][0]));
        if (hooks.deliveries != deliveries) {
            // Nothing is shown that was not asked for in this poll.
            FUZZ_CHECK(hooks.deliveries == deliveries + 1);
            FUZZ_CHECK(holdsWholePoll(script.writes, pollWrites));
            deliveries = hooks.deliveries;
            pollWrites = script.writes.size();
        }
        // A failed line is opened anew (or put back when the slot closed it),
        // and the poll starts again, as the window does on a new port.
        bool reopened = false;
        slot.post([&](core::PortSlot::Port& port) {
            const auto* link = dynamic_cast<fuzz::FuzzLink*>(port.get());
            if (!link || link->failed()) {
                port = std::make_unique<fuzz::FuzzLink>(script);
                reopened = true;
            }
        });
        if (reopened)
            cycle.restart();
    }
    return 0;
}
