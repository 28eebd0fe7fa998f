#pragma once

#include <QTime>

#include "core/device_lock.h"
#include "core/measurement_record.h"
#include "core/port_slot.h"
#include "device/protocol.h"
#include "pages/operation/core/recording.h"
#include "pages/page_base.h"

#include <array>
#include <functional>

class QLabel;

namespace trgui::pages {

// The Operation page: live values of the latest poll, the device's commands,
// low-flow suppression and zero point, and the CSV recording.
class CBetrieb : public PageBase {
    Q_OBJECT
public:
    explicit CBetrieb(QWidget* parent = nullptr);

    void setShared(core::SettingsRecord* settings, core::PortSlot* port, core::DeviceLock* lock);
    const QString& tabTitle() const { return tabTitle_; }

    // Called by the cycle.
    void applyOperationAvailability(int code);
    void updateDisplay(const core::MeasurementRecord& record);
    // Greys the values and says since when nothing has arrived, or restores them.
    void setValuesStale(bool stale);
    // Says why the page has no values yet ("No device answers on COM1 …"); empty: nothing.
    void showNoDevice(const QString& text);
    bool valuesStale() const { return valuesStale_; }
    // The model identified at the latest poll; a change is told in a running recording.
    void setDeviceTypeCode(int code);
    int deviceTypeCode() const { return deviceTypeCode_; }
    bool recording() const { return recording_.recording(); }
    void toggleRecordingIndicator();
    bool recordStartEnabled() const;
    void enableRecordStart();

    // Reloads labels, help and messages in the current language.
    void reloadTexts() override;

    // User actions.
    void sendSimpleCommand(device::DeviceCommand command);
    void setLowFlowOrZero();
    void startRecording();
    void stopRecording();
    // Before the program closes: while recording, asks whether to stop it;
    // true when the program may close (the recording is stopped then).
    bool confirmClose();

    const texts::MessageTable& messages() const { return messages_; }
    const operation::CsvRecording& recordingState() const { return recording_; }

protected:
    void initialisePage() override;

private:
    void buildLayout();
    void lowFlowSelectionChanged(int index);
    void writeRow(const core::MeasurementRecord& record);
    void showUnits();

    QString tabTitle_;
    std::array<QString, 4> units_;  // of the last poll: velocity, volume flow, temperature, totaliser
    core::PortSlot* port_ = nullptr;
    core::DeviceLock* lock_ = nullptr;
    int deviceTypeCode_ = 0;
    texts::MessageTable messages_;
    texts::ErrorTables errors_;
    QByteArray lastErrorText_;
    operation::CsvRecording recording_;
    bool rowFailureShown_ = false;
    // Rows lost in this recording, and since when rows are failing now
    // (invalid while they are written).
    int lostRows_ = 0;
    int failingRows_ = 0;
    QDateTime failingSince_;
    QDateTime firstLoss_;
    QLabel* recordNotice_ = nullptr;
    void showRecordingFault();
    bool valuesStale_ = false;
    QTime lastDelivery_;
    float lastTotaliser_ = 0;  // of the last poll delivered
    QLabel* staleNotice_ = nullptr;
    QLabel* noDeviceNotice_ = nullptr;
};

} // namespace trgui::pages
