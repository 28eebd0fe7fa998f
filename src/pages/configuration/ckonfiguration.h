#pragma once

#include "core/device_connection.h"
#include "core/device_lock.h"
#include "core/service_report.h"
#include "pages/configuration/core/configuration_block.h"
#include "pages/configuration/core/configuration_check.h"
#include "pages/configuration/core/family_rules.h"
#include "pages/page_base.h"

#include <array>
#include <map>
#include <optional>
#include <vector>

namespace trgui::pages {

// The Configuration page: the device's configuration field by field, read
// from and written to the device, checked, saved and loaded. The rules,
// codec, check and files live in the window-free configuration core; this
// class moves values between them and the controls.
class CKonfiguration : public PageBase {
    Q_OBJECT
public:
    // Ticks during which the change handlers stand still after a read or check.
    static constexpr int kSettleTicks = 20;

    explicit CKonfiguration(QWidget* parent = nullptr);

    void setShared(core::SettingsRecord* settings, core::DeviceConnection* connection, core::DeviceLock* lock);
    const QString& tabTitle() const { return tabTitle_; }

    void reloadTexts() override;
    int settleCounter() const { return settleCounter_; }
    void countDownSettleCounter()
    {
        if (settleCounter_ != 0)
            --settleCounter_;
    }

    // The buttons.
    void readFromDevice();
    void writeToDevice();
    int checkConfiguration();
    void saveConfiguration();
    void loadConfiguration();
    void clearAll();

    // Shows, greys or hides the optional fields for a device type code.
    void applyAvailability(int code);
    void updateUnitLabels();
    void fillFamilyLists(device::Family family);

    // The page's own idea of the device while it is edited: the "HW-Version"
    // selection and its family. Only a read from the device changes the
    // family that the measurement cycle uses.
    int pageDeviceTypeCode() const { return pageCode_; }
    device::Family pageFamily() const { return pageFamily_; }
    const configuration::DeviceConfiguration& deviceConfiguration() const { return deviceConfiguration_; }
    // The configuration of the connected device as found (its first read in
    // this session) and as left (after the last acknowledged write, else the
    // last read); empty when it was not read.
    std::vector<core::ReportRow> reportRows() const;
    // Asks where, writes the report as a PDF and says whether it worked.
    void saveReport(const core::ReportData& data);
    const texts::MessageTable& messages() const { return messages_; }

    // What the controls hold.
    configuration::ConfigurationForm readForm() const;

    void setControlToolTip(int id, const QString& text) override;

protected:
    void initialisePage() override;

private:
    void buildLayout();
    void fillFixedLists();
    void connectHandlers();
    void hwVersionChanged(int index);
    void sensorTypeChanged();
    void fieldChanged(configuration::Field f);
    void updateChangeMarker(configuration::Field f);
    void showDecoded(device::Family family, const configuration::DecodedBlock& decoded);
    void writeBackTexts(const configuration::ConfigurationForm& form);
    void selectHwVersion(int code);
    void hideErrorMarkers();
    void hideChangeMarkers();
    // Whether a field differs from the last read or load (its change marker shows).
    bool anyChangeMarked() const;
    void nameMarkers();
    void setList(int combo, configuration::TextList entries);
    QString lastReadText(configuration::Field f) const;
    // A field's value as the technician reads it: in the device (empty when
    // not read) and on the page.
    QString deviceValueText(configuration::Field f) const;
    QString pageValueText(configuration::Field f) const;
    // The unit label beside the field control, or nothing.
    QString unitTextOf(int field) const;
    // What a write of form for family would change, and the technician's yes to it.
    struct PendingChange {
        QString label;
        QString device;
        QString page;
        QString unit;
    };
    std::vector<PendingChange> pendingChanges(const configuration::ConfigurationForm& form, device::Family family) const;
    bool confirmChanges(const std::vector<PendingChange>& changes);

    QString tabTitle_;
    core::DeviceConnection* connection_ = nullptr;
    core::PortSlot* port_ = nullptr;
    core::DeviceLock* lock_ = nullptr;
    int settleCounter_ = 0;
    int pageCode_ = 0;
    device::Family pageFamily_ = device::Family::None;
    int listLanguage_ = 0;       // language of the lists, fixed at initialisation
    bool filling_ = false;       // the page itself is changing controls
    configuration::DeviceConfiguration deviceConfiguration_;
    configuration::ConfigurationForm lastRead_;  // texts of the edits as last read
    // The device whose configuration was read last (its type code), if any.
    std::optional<int> readFromCode_;
    // The values of the first read of that device, as shown then.
    std::optional<int> asFoundCode_;
    std::array<QString, configuration::kFieldCount> asFound_;
    configuration::Limits limits_;
    texts::MessageTable messages_;
    std::map<int, QString> markerHelp_;  // help texts of the change markers
};

} // namespace trgui::pages
