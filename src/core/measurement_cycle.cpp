#include "core/measurement_cycle.h"

#include <array>
#include <chrono>

namespace trgui::core {

using device::DeviceCommand;

namespace {

constexpr int kIndicatorTicks = 4;

// Request of each poll step 1..10 (index = step).
constexpr std::array<DeviceCommand, 11> kStepRequests{
    DeviceCommand::Identify, // unused slot 0
    DeviceCommand::Identify,
    DeviceCommand::ReadVelocity,
    DeviceCommand::ReadVolumeFlow,
    DeviceCommand::ReadTotaliser,
    DeviceCommand::ReadTemperature,
    DeviceCommand::ReadMinima,
    DeviceCommand::ReadMaxima,
    DeviceCommand::ReadContacts,
    DeviceCommand::ReadErrorCode,
    DeviceCommand::ReadLowFlowSuppression,
};

float floatAt(const device::Reply& reply, std::size_t at)
{
    return device::decodeFloatBE(&reply.bytes[at]);
}

} // namespace

std::uint32_t systemTickCount()
{
    const auto sinceBoot = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceBoot).count());
}

MeasurementCycle::MeasurementCycle(SettingsRecord& settings, DeviceConnection& connection, DeviceLock& lock,
                                   CycleHooks& hooks, TickClock clock)
    : settings_(settings), connection_(connection), port_(connection.port()), lock_(lock), hooks_(hooks), clock_(std::move(clock))
{
}

bool MeasurementCycle::pollDue(std::uint32_t now) const
{
    // Unsigned subtraction keeps the wrap of the tick count harmless; the
    // interval is compared in 64 bits so no refresh rate overflows it.
    const std::uint32_t since = now - lastPollStart_;
    const std::int64_t interval = static_cast<std::int64_t>(settings_.refreshRate) * 1000;
    return static_cast<std::int64_t>(since) > interval
        && (hooks_.operationInitialised() || hooks_.visualisationInitialised());
}

void MeasurementCycle::tick(int timerId)
{
    const std::uint32_t now = clock_();
    if (step_ == 0 && pollDue(now)) {
        lastPollStart_ = now;
        step_ = 1;
    }
    if (timerId != kTimerId)
        return;

    if (++tickCounter_ >= kIndicatorTicks) {
        tickCounter_ = 0;
        if (hooks_.operationRecording())
            hooks_.toggleRecordingIndicator();
    }
    hooks_.countDownSettleCounter();
    watchStaleness(now);

    performStep();
}

void MeasurementCycle::restart()
{
    ++generation_;
    if (step_ != 0)
        step_ = 1;
    lastReplyCount_ = 0;
    refusals_ = 0;
}

void MeasurementCycle::performStep()
{
    // A page is in the middle of its own conversation (or its message box is
    // what delivered this tick): keep off the line. An exchange of ours still
    // on its way is waited for.
    if (lock_.isHeld() || inFlight_)
        return;
    // Only DR devices know low-flow suppression. The family is asked again
    // here: a device that is no longer one would never answer step 10.
    if (step_ == 10 && settings_.deviceFamily != 1)
        step_ = kDeliveryStep;
    if (step_ == kDeliveryStep) {
        deliver();
        step_ = 0;
        return;
    }
    if (step_ < 1 || step_ > 10 || !port_)
        return;

    lastReplyCount_ = 0;
    const int step = step_;
    const DeviceCommand request = kStepRequests[static_cast<std::size_t>(step)];
    const device::DrainMode drainMode = drainMode_;
    const unsigned generation = generation_;
    auto reply = std::make_shared<device::Reply>();
    inFlight_ = true;
    port_.post(
        [request, drainMode, reply](PortSlot::Port& port) {
            if (port)
                *reply = device::exchange(*port, request, drainMode);
        },
        nullptr,
        [this, step, generation, reply] {
            inFlight_ = false;
            if (generation == generation_)
                replyArrived(step, *reply);
        });
}

void MeasurementCycle::replyArrived(int step, const device::Reply& reply)
{
    if (step != step_)
        return;
    lastReplyCount_ = reply.count;
    if (!reply.taken() || !storeReply(step, reply)) {
        // The same request again at the next tick; a step that never gets an
        // answer (the device changed its type or family) starts the poll anew.
        if (++refusals_ >= kRefusalsBeforeRestart) {
            refusals_ = 0;
            step_ = 1;
        }
        return;
    }
    refusals_ = 0;
    if (step == 9)
        step_ = settings_.deviceFamily == 1 ? 10 : kDeliveryStep;
    else if (step == 10)
        step_ = kDeliveryStep;
    else
        ++step_;
    if (!stepPerTick_)
        performStep();
}

bool MeasurementCycle::storeReply(int step, const device::Reply& reply)
{
    using device::Quantity;
    using device::unitText;
    const int family = settings_.deviceFamily;
    auto& r = record_;
    switch (step) {
    case 1: {
        const int code = static_cast<std::int8_t>(reply.at(2));
        connection_.pollIdentified(code);
        hooks_.setOperationDeviceTypeCode(code);
        if (hooks_.operationInitialised())
            hooks_.applyOperationAvailability(code);
        break;
    }
    case 2:
        r.velocity = floatAt(reply, 2);
        r.velocityUnit = unitText(Quantity::Velocity, family, reply.bytes[6]);
        break;
    case 3:
        r.volumeFlow = floatAt(reply, 2);
        r.volumeFlowUnit = unitText(Quantity::VolumeFlow, family, reply.bytes[6]);
        break;
    case 4:
        r.totaliser = floatAt(reply, 2);
        r.totaliserUnit = unitText(Quantity::Totaliser, family, reply.bytes[6]);
        break;
    case 5:
        r.temperature = floatAt(reply, 2);
        r.temperatureUnit = unitText(Quantity::Temperature, family, reply.bytes[6]);
        break;
    case 6:
        r.velocityMin = floatAt(reply, 2);
        r.volumeFlowMin = floatAt(reply, 7);
        r.temperatureMin = floatAt(reply, 12);
        break;
    case 7:
        r.velocityMax = floatAt(reply, 2);
        r.volumeFlowMax = floatAt(reply, 7);
        r.temperatureMax = floatAt(reply, 12);
        break;
    case 8:
        r.contactBits = reply.at(2);
        break;
    case 9:
        r.errorCode = reply.at(2);
        if (family != 1)
            r.lowFlowSuppression = 0;
        break;
    case 10:
        r.lowFlowSuppression = reply.at(2);
        break;
    default:
        return false;
    }
    return true;
}

void MeasurementCycle::watchStaleness(std::uint32_t now)
{
    constexpr std::int64_t kMinimumMs = 6000;
    const std::int64_t limit = std::max<std::int64_t>(kMinimumMs, std::int64_t{3} * settings_.refreshRate * 1000);
    const bool stale = delivered_ && static_cast<std::int64_t>(now - lastDelivery_) > limit;
    if (stale != stale_ && hooks_.operationInitialised()) {
        stale_ = stale;
        hooks_.setValuesStale(stale);
    }
}

void MeasurementCycle::deliver()
{
    if (!port_ || lastReplyCount_ == 0)
        return;
    delivered_ = true;
    lastDelivery_ = clock_();
    watchStaleness(lastDelivery_);
    if (hooks_.operationInitialised()) {
        hooks_.updateDisplay(record_);
        if (!hooks_.operationRecording() && !hooks_.recordStartEnabled())
            hooks_.enableRecordStart();
    }
    if (hooks_.visualisationInitialised() && hooks_.visualisationPlotting())
        hooks_.addSample(record_);
}

} // namespace trgui::core
