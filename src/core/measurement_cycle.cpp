#include "core/measurement_cycle.h"

#include <algorithm>
#include <array>
#include <chrono>

namespace trgui::core {

using device::DeviceCommand;

namespace {

constexpr int kIndicatorTicks = 4;

// The request of each exchanging step, in step order.
struct StepRequest {
    PollStep step;
    DeviceCommand request;
};
constexpr std::array<StepRequest, 10> kStepRequests{{
    {PollStep::Identify, DeviceCommand::Identify},
    {PollStep::Velocity, DeviceCommand::ReadVelocity},
    {PollStep::VolumeFlow, DeviceCommand::ReadVolumeFlow},
    {PollStep::Totaliser, DeviceCommand::ReadTotaliser},
    {PollStep::Temperature, DeviceCommand::ReadTemperature},
    {PollStep::Minima, DeviceCommand::ReadMinima},
    {PollStep::Maxima, DeviceCommand::ReadMaxima},
    {PollStep::Contacts, DeviceCommand::ReadContacts},
    {PollStep::ErrorCode, DeviceCommand::ReadErrorCode},
    {PollStep::LowFlowSuppression, DeviceCommand::ReadLowFlowSuppression},
}};

constexpr bool exchanges(PollStep step)
{
    return step >= PollStep::Identify && step <= PollStep::LowFlowSuppression;
}

constexpr DeviceCommand requestOf(PollStep step)
{
    return kStepRequests[static_cast<std::size_t>(step) - 1].request;
}

constexpr PollStep next(PollStep step)
{
    return static_cast<PollStep>(static_cast<int>(step) + 1);
}

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
                                   CycleHooks& hooks, TickClock clock, CyclePace pace)
    : settings_(settings), connection_(connection), port_(connection.port()), lock_(lock), hooks_(hooks),
      clock_(std::move(clock)), pace_(pace), portOpens_(connection.opens())
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
    followPortChange();
    const std::uint32_t now = clock_();
    if (step_ == PollStep::Idle && pollDue(now)) {
        lastPollStart_ = now;
        step_ = PollStep::Identify;
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

void MeasurementCycle::followPortChange()
{
    // The opening of the new port is queued on the device thread behind any
    // exchange of ours handed over before, so a step taken after this point
    // can only reach the new device, and that step is the identification.
    if (connection_.opens() == portOpens_)
        return;
    portOpens_ = connection_.opens();
    restart();
}

void MeasurementCycle::restart()
{
    ++generation_;
    if (step_ != PollStep::Idle)
        step_ = PollStep::Identify;
    lastReplyCount_ = 0;
    refusals_ = 0;
    lastPoll_.reset();  // maybe another device now
}

std::optional<DeliveredPoll> MeasurementCycle::recentPoll() const
{
    if (!lastPoll_)
        return std::nullopt;
    const std::int64_t limit = std::max<std::int64_t>(kRecentPollMs, std::int64_t{3} * settings_.refreshRate * 1000);
    if (static_cast<std::int64_t>(clock_() - lastPoll_->at) > limit)
        return std::nullopt;
    return lastPoll_;
}

std::optional<std::uint32_t> MeasurementCycle::lastPollAge() const
{
    if (!lastPoll_)
        return std::nullopt;
    return clock_() - lastPoll_->at;
}

void MeasurementCycle::performStep()
{
    // A page is in the middle of its own conversation (or its message box is
    // what delivered this tick): keep off the line. An exchange of ours still
    // on its way is waited for.
    if (lock_.isHeld() || inFlight_)
        return;
    followPortChange();
    // Only DR devices know low-flow suppression. The family is asked again
    // here: a device that is no longer one would never answer step 10.
    if (step_ == PollStep::LowFlowSuppression && settings_.deviceFamily != device::Family::Dr)
        step_ = PollStep::Deliver;
    if (step_ == PollStep::Deliver) {
        // Idle before the pages see the record: a message box they open runs
        // the ticks on, and the same record must not be delivered twice.
        step_ = PollStep::Idle;
        deliver();
        return;
    }
    if (!exchanges(step_) || !port_)
        return;

    lastReplyCount_ = 0;
    const PollStep step = step_;
    const DeviceCommand request = requestOf(step);
    const device::DrainMode drainMode = pace_.drainMode;
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
            // A port chosen while this exchange was under way: the reply is the
            // old device's, and the step after it must not go to the new one.
            followPortChange();
            if (generation != generation_)
                return;
            connection_.exchangeEnded(!reply->empty());
            replyArrived(step, *reply);
        });
}

void MeasurementCycle::replyArrived(PollStep step, const device::Reply& reply)
{
    if (step != step_)
        return;
    lastReplyCount_ = reply.count;
    if (!reply.taken() || !storeReply(step, reply)) {
        // The same request again at the next tick; a step that never gets an
        // answer (the device changed its type or family) starts the poll anew.
        if (++refusals_ >= kRefusalsBeforeRestart) {
            refusals_ = 0;
            step_ = PollStep::Identify;
        }
        return;
    }
    refusals_ = 0;
    if (step == PollStep::ErrorCode && settings_.deviceFamily != device::Family::Dr)
        step_ = PollStep::Deliver;
    else
        step_ = next(step);
    if (!pace_.stepPerTick)
        performStep();
}

bool MeasurementCycle::storeReply(PollStep step, const device::Reply& reply)
{
    using device::Quantity;
    using device::unitText;
    const device::Family family = settings_.deviceFamily;
    auto& r = record_;
    switch (step) {
    case PollStep::Identify: {
        const int code = static_cast<std::int8_t>(reply.at(2));
        connection_.pollIdentified(code);
        hooks_.setOperationDeviceTypeCode(code);
        if (hooks_.operationInitialised())
            hooks_.applyOperationAvailability(code);
        break;
    }
    case PollStep::Velocity:
    case PollStep::VolumeFlow:
    case PollStep::Totaliser:
    case PollStep::Temperature: {
        // A value and its unit code: where each step's go in the record.
        struct ValueStep {
            PollStep step;
            Quantity quantity;
            float MeasurementRecord::*value;
            QString MeasurementRecord::*unit;
        };
        static constexpr ValueStep kValueSteps[] = {
            {PollStep::Velocity, Quantity::Velocity, &MeasurementRecord::velocity, &MeasurementRecord::velocityUnit},
            {PollStep::VolumeFlow, Quantity::VolumeFlow, &MeasurementRecord::volumeFlow, &MeasurementRecord::volumeFlowUnit},
            {PollStep::Totaliser, Quantity::Totaliser, &MeasurementRecord::totaliser, &MeasurementRecord::totaliserUnit},
            {PollStep::Temperature, Quantity::Temperature, &MeasurementRecord::temperature,
             &MeasurementRecord::temperatureUnit},
        };
        for (const ValueStep& v : kValueSteps) {
            if (v.step == step) {
                r.*v.value = floatAt(reply, 2);
                r.*v.unit = unitText(v.quantity, family, reply.bytes[6]);
            }
        }
        break;
    }
    case PollStep::Minima:
        r.velocityMin = floatAt(reply, 2);
        r.volumeFlowMin = floatAt(reply, 7);
        r.temperatureMin = floatAt(reply, 12);
        break;
    case PollStep::Maxima:
        r.velocityMax = floatAt(reply, 2);
        r.volumeFlowMax = floatAt(reply, 7);
        r.temperatureMax = floatAt(reply, 12);
        break;
    case PollStep::Contacts:
        r.contactBits = reply.at(2);
        break;
    case PollStep::ErrorCode:
        r.errorCode = reply.at(2);
        if (family != device::Family::Dr)
            r.lowFlowSuppression = 0;
        break;
    case PollStep::LowFlowSuppression:
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
    lastPoll_ = DeliveredPoll{record_, settings_.deviceTypeCode, lastDelivery_, QDateTime::currentDateTime()};
    watchStaleness(lastDelivery_);
    // A copy: a poll that completes while a page's box is open fills record_ anew.
    const MeasurementRecord record = record_;
    if (hooks_.operationInitialised()) {
        hooks_.updateDisplay(record);
        if (!hooks_.operationRecording() && !hooks_.recordStartEnabled())
            hooks_.enableRecordStart();
    }
    if (hooks_.visualisationInitialised() && hooks_.visualisationPlotting())
        hooks_.addSample(record);
}

} // namespace trgui::core
