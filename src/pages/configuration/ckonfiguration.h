#pragma once

#include "core/device_connection.h"
#include "core/device_lock.h"
#include "core/service_report.h"
#include "pages/configuration/core/configuration_block.h"
#include "pages/configuration/core/configuration_check.h"
#include "pages/configuration/core/configuration_record.h"
#include "pages/configuration/core/configuration_service.h"
#include "pages/configuration/core/family_rules.h"
#include "pages/page_base.h"

#include <array>
#include <map>
#include <optional>
#include <vector>

namespace trgui::pages {

// The Configuration page: the device's configuration field by field, read
// from and written to the device, checked, saved and loaded. The rules,
// codec, check, files and the conversations with the device live in the
// window-free configuration core; this class moves values between them and
// the controls.
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

    // Before the program closes: with edits not written to the device (change
    // markers showing), asks whether to close; true when the program may close.
    bool confirmClose();

    // The buttons. A read returns whether the fields show the device's block now.
    bool readFromDevice();
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
    const configuration::DeviceConfiguration& deviceConfiguration() const { return records_.filledValues(); }
    // The configuration of the connected device as found (its first read in
    // this session) and as left (its last read or read-back), rendered in the
    // current language; empty when it was not read.
    std::vector<core::ReportRow> reportRows() const;
    // What became of writes that the device did not store as sent, in the current language.
    QStringList reportNotes() const;
    // The verdict on this session's last write to the connected device; empty without one.
    QString reportVerdict() const;
    // Whether what the connected device holds is known (not after a write that could not be read back).
    bool asLeftKnown() const;
    // What the connected device holds as far as this session knows: its last
    // read, or the read-back of the last write. Never a file.
    const std::optional<configuration::BlockImage>& deviceHolds() const { return records_.held(); }
    // Asks where, writes the report as a PDF and says whether it worked.
    void saveReport(const core::ReportData& data);
    const texts::MessageTable& messages() const { return messages_; }

    // What the controls hold.
    configuration::ConfigurationForm readForm() const;
    // What the field's control holds, into form.
    void readField(configuration::ConfigurationForm& form, configuration::Field f) const;

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
    // Fills the fields from a block (a read, a read-back or a file); its
    // bytes go back unchanged for every field that is not edited.
    void showDecoded(const configuration::BlockImage& image);
    void writeBackTexts(const configuration::ConfigurationForm& form);
    void selectHwVersion(int code);
    void hideErrorMarkers();
    void hideChangeMarkers();
    // Shows the change marker of every field of the family that differs from
    // what filled it, and the "HW-Version" marker as given.
    void showChangeMarkers(bool variantMarked);
    // Whether a field differs from the last read or load (its change marker shows).
    bool anyChangeMarked() const;
    void nameMarkers();
    void setList(int combo, configuration::TextList entries);
    int language() const;
    QString lastReadText(configuration::Field f) const;
    QString labelOf(configuration::Field f) const;
    configuration::FieldLabel fieldLabel() const;
    // The fields whose bytes a write of block would change in the device, and the technician's yes to them.
    bool confirmChanges(const configuration::BlockImage& next, const std::vector<configuration::Field>& changes);
    // The device type code of the device now connected (0: none).
    int connectedCode() const;
    // Reads the connected device's block into what the device holds; the fields stay as they are.
    std::optional<configuration::BlockImage> readDevice();

    QString tabTitle_;
    core::DeviceConnection* connection_ = nullptr;
    core::PortSlot* port_ = nullptr;
    core::DeviceLock* lock_ = nullptr;
    int settleCounter_ = 0;
    int pageCode_ = 0;
    device::Family pageFamily_ = device::Family::None;
    int listLanguage_ = 0;       // language of the lists, fixed at initialisation
    bool filling_ = false;       // the page itself is changing controls
    // What filled the fields, what the device holds, and the writes it did not store as sent.
    configuration::ConfigurationRecords records_;
    configuration::FieldLabels labels_ = [](configuration::Field, int) { return QString(); };
    // The fields the technician typed into since they were last filled: a
    // typed value is written as typed, even where it reads like the one shown.
    std::array<bool, configuration::kFieldCount> typed_{};
    configuration::Limits limits_;
    texts::MessageTable messages_;
    std::map<int, QString> markerHelp_;  // help texts of the change markers
};

} // namespace trgui::pages
