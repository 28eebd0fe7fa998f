#pragma once

#include "core/device_connection.h"
#include "core/device_lock.h"
#include "core/measurement_record.h"
#include "core/port_slot.h"
#include "core/settings_record.h"
#include "device/protocol.h"

#include <QDateTime>

#include <cstdint>
#include <functional>
#include <optional>

namespace trgui::core {

// What the cycle needs of the pages. The main window implements it by
// forwarding to the Operation, Visualisation and Configuration pages.
class CycleHooks {
public:
    virtual ~CycleHooks() = default;

    // Operation page
    virtual bool operationInitialised() const = 0;
    virtual bool operationRecording() const = 0;
    virtual void setOperationDeviceTypeCode(int code) = 0;
    virtual void applyOperationAvailability(int code) = 0;
    virtual void updateDisplay(const MeasurementRecord& record) = 0;
    virtual void toggleRecordingIndicator() = 0;
    virtual bool recordStartEnabled() const = 0;
    virtual void enableRecordStart() = 0;
    // The values shown are old: no poll delivered for three refresh periods
    // (at least 6 s). Called when that changes.
    virtual void setValuesStale(bool stale) = 0;
    // Visualisation page
    virtual bool visualisationInitialised() const = 0;
    virtual bool visualisationPlotting() const = 0;
    virtual void addSample(const MeasurementRecord& record) = 0;
    // Configuration page
    virtual void countDownSettleCounter() = 0;
};

// The hooks of a reader that only takes the records (the command line, the
// benchmarks): the Operation page polls, nothing is shown, nothing else exists.
class RecordHooks : public CycleHooks {
public:
    bool operationInitialised() const override { return true; }
    bool operationRecording() const override { return false; }
    void setOperationDeviceTypeCode(int) override {}
    void applyOperationAvailability(int) override {}
    void toggleRecordingIndicator() override {}
    bool recordStartEnabled() const override { return true; }
    void enableRecordStart() override {}
    void setValuesStale(bool) override {}
    bool visualisationInitialised() const override { return false; }
    bool visualisationPlotting() const override { return false; }
    void addSample(const MeasurementRecord&) override {}
    void countDownSettleCounter() override {}
};

// Milliseconds since the system started, wrapping after about 49.7 days.
using TickClock = std::function<std::uint32_t()>;
std::uint32_t systemTickCount();

// The measurement and communication cycle: at most one exchange with the
// device per step. A poll walks through identification, the values with their
// units, minima, maxima, contacts, error code and (DR devices) low-flow
// suppression, then delivers the record to the pages. A tick hands the step's
// exchange to the device worker; when the reply comes back accepted, the next
// step follows at once, otherwise the step is tried again at the next tick.
// The steps of a poll, in order: each but the last is one exchange.
enum class PollStep : int {
    Idle = 0,  // no poll running
    Identify,
    Velocity,
    VolumeFlow,
    Totaliser,
    Temperature,
    Minima,
    Maxima,
    Contacts,
    ErrorCode,
    LowFlowSuppression,  // DR devices only
    Deliver,             // the record goes to the pages
};

// A complete poll as it was delivered: the record, the device type code it
// came from, and when (the cycle's clock, ms; and the time of day).
struct DeliveredPoll {
    MeasurementRecord record;
    int deviceTypeCode = -1;
    std::uint32_t at = 0;
    QDateTime deliveredAt;
};

// How the cycle goes about its steps. The program runs the defaults; the
// benchmarks and the cycle's step-by-step test give the older, slower pace.
struct CyclePace {
    // Draining before each request purges after a clean exchange and reads
    // otherwise (Auto); Read drains every time.
    device::DrainMode drainMode = device::DrainMode::Auto;
    // One step per tick, instead of taking the next step as soon as a reply
    // has been accepted.
    bool stepPerTick = false;
};

class MeasurementCycle {
public:
    static constexpr int kTimerId = 1;
    // How long a delivered poll counts as recent: 10 s, or three refresh
    // periods when they are longer (the values are not stale before then).
    static constexpr std::int64_t kRecentPollMs = 10000;
    // Refused replies in a row after which a poll starts again at identification.
    static constexpr int kRefusalsBeforeRestart = 10;

    MeasurementCycle(SettingsRecord& settings, DeviceConnection& connection, DeviceLock& lock, CycleHooks& hooks,
                     TickClock clock = systemTickCount, CyclePace pace = {});

    // One tick of the main window's timer; only kTimerId runs a step.
    void tick(int timerId = kTimerId);

    // A new port: a poll in progress starts again at identification, so no
    // record mixes two devices; a reply still on its way is ignored. The
    // cycle does this itself as soon as the connection opens another port
    // (before the new device is ever asked), so that no step of the old
    // device's poll reaches the new one.
    void restart();

    PollStep step() const { return step_; }
    bool exchangeInFlight() const { return inFlight_; }
    std::uint32_t lastPollStart() const { return lastPollStart_; }
    std::size_t lastReplyCount() const { return lastReplyCount_; }
    // The record being filled; between polls, the last one delivered.
    const MeasurementRecord& record() const { return record_; }
    // The latest complete poll while it is recent (see kRecentPollMs),
    // whichever page asked for the polling; none since a restart.
    std::optional<DeliveredPoll> recentPoll() const;
    // Milliseconds since the latest complete poll; none since a restart.
    std::optional<std::uint32_t> lastPollAge() const;

private:
    bool pollDue(std::uint32_t now) const;
    void performStep();
    void replyArrived(PollStep step, const device::Reply& reply);
    // Returns whether the reply was accepted.
    bool storeReply(PollStep step, const device::Reply& reply);
    void deliver();
    void watchStaleness(std::uint32_t now);
    // Restarts when the connection has opened a port since the cycle last looked.
    void followPortChange();

    SettingsRecord& settings_;
    DeviceConnection& connection_;
    PortSlot& port_;
    DeviceLock& lock_;
    CycleHooks& hooks_;
    TickClock clock_;
    MeasurementRecord record_;
    PollStep step_ = PollStep::Idle;
    std::uint32_t lastPollStart_ = 0;
    int tickCounter_ = 0;
    std::size_t lastReplyCount_ = 0;
    const CyclePace pace_;
    bool inFlight_ = false;
    int refusals_ = 0;  // refused replies in a row
    std::uint32_t lastDelivery_ = 0;
    bool delivered_ = false;  // at least once
    std::optional<DeliveredPoll> lastPoll_;  // none since a restart
    bool stale_ = false;
    unsigned generation_ = 0;  // counts restarts; a reply of an older one is stale
    int portOpens_ = 0;  // the connection's opens() the cycle has followed
};

} // namespace trgui::core
