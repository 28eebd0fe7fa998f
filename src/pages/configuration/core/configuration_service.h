#pragma once

// The configuration's dealings with the device, without a window: reading
// the block, writing it and reading it back, and what this session knows of
// the device's configuration from them: the block that filled the page, what
// the device holds, what it held when first read, and the writes it did not
// store as sent. The page and tr-gui-cli both go through here.

#include "core/service_log.h"
#include "core/service_report.h"
#include "device/serial_link.h"
#include "pages/configuration/core/configuration_record.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace trgui::pages::configuration {

// ---- the conversations ------------------------------------------------------------------

// A read: the identification, then the block of the family the identified
// code names (the family given when the identification names none).
struct ConfigurationRead {
    std::optional<int> code;                      // the identified device type code
    device::Family family = device::Family::None;  // the family the block was asked for
    std::optional<Block> block;                   // none unless the reply held the whole block
};
ConfigurationRead readConfiguration(device::SerialLink& link, device::Family family);
// The block alone, of a device identified just before as of the family.
std::optional<Block> readBlock(device::SerialLink& link, device::Family family);

// A write: the block sent, then read back once whether acknowledged or not
// (an acknowledgement can be lost while the block was stored, and a line
// that drops after the telegram leaves the device's state open), and
// compared with what was sent and what the device held before (held).
struct WriteResult {
    core::ServiceOutcome outcome = core::ServiceOutcome::StateUnknown;
    bool acknowledged = false;
    std::optional<Block> stored;    // the block read back
    std::vector<Field> differing;   // the fields stored otherwise than sent
};
WriteResult writeAndReadBack(device::SerialLink& link, const Block& held, const BlockImage& next);
// The outcome of a write from what the device said and what it reads back as.
core::ServiceOutcome writeOutcome(bool acknowledged, const std::optional<Block>& stored, const Block& held,
                                  const Block& sent, device::Family family);

// What a report concludes of a write: written and verified, written but
// differs, not acknowledged and unchanged, or unknown.
enum class WriteVerdict { Verified, Differs, Unchanged, Unknown };
WriteVerdict verdictOf(core::ServiceOutcome outcome);
// The verdict line, naming the fields that differ.
QString verdictText(core::ServiceOutcome outcome, const std::vector<Field>& differing, const FieldLabel& label,
                    int language);

// ---- what is shown of a write before it goes out ----------------------------------------------

// The confirmation box's table: the intro, then a row per field with its
// value in the device and the new one, each in its own unit (a changed unit
// changes what the numbers mean, so the fields it changes are listed too). HTML.
QString comparisonTable(const QString& intro, const BlockImage& held, const BlockImage& next,
                        const std::vector<Field>& changes, const FieldLabel& label, int language);

// ---- what the session knows ---------------------------------------------------------------------

class ConfigurationRecords {
public:
    // The block that last filled the fields (a read, a read-back or a file)
    // and the values it filled them with: what the change markers compare
    // the fields with.
    const std::optional<BlockImage>& filled() const { return filled_; }
    const DeviceConfiguration& filledValues() const { return filledValues_; }
    void fill(const BlockImage& image);
    // After a write the device does not hold as sent, the fields keep the
    // values sent: their change markers then compare them with what the
    // device holds (read back, or as it was before the write when it could
    // not be read back), and a later write sends a field nobody edited since
    // with the bytes it was sent with.
    void keepUnwritten(const BlockImage& sent, const BlockImage& device);
    // Whether the form's field reads otherwise than it was filled, or would
    // go to the device with other bytes (its change marker shows).
    bool differsFromFilled(const ConfigurationForm& form, Field f) const;
    // The block a write or a file gets: fields nobody edited as they came.
    EncodedBlock encode(const ConfigurationForm& form, device::Family family) const;

    // What the device holds: its last read or read-back, or an acknowledged
    // write that could not be read back. Never a file.
    const std::optional<BlockImage>& held() const { return held_; }
    // Whether that is known for the device of the code now connected.
    bool holdsKnown(int connectedCode) const { return held_ && held_->code == connectedCode; }
    // Another device: nothing of the old one's configuration is this one's.
    void forgetDevice();

    // A whole block read from the device. The first read of a device is
    // what the technician found.
    void takeRead(const BlockImage& image);

    // What a write of next to the connected device comes to before anything is sent.
    enum class WriteStep {
        OtherFamily,     // a block of another family would set the fields from the wrong offsets
        NotReadYet,      // what the device holds is not known
        NothingChanged,  // no field's bytes would change
        Confirm,         // changes to show and confirm
    };
    struct WritePlan {
        WriteStep step = WriteStep::NotReadYet;
        std::vector<Field> changes;  // against what the device holds
    };
    WritePlan planWrite(const BlockImage& next, device::Family connectedFamily, int connectedCode) const;

    // Takes what became of a write of next, planned against before: what the
    // device holds is what was read back, and unknown when nothing was. A
    // write the device holds as sent fills the fields from the read-back; any
    // other keeps next on the page, unwritten (keepUnwritten). The log's
    // details are kept as values, put into words in the log's language.
    struct WriteRecord {
        core::ServiceOutcome outcome = core::ServiceOutcome::StateUnknown;
        std::optional<BlockImage> stored;  // read back
        // The device holds the block as sent (read back): the fields show
        // stored now. Otherwise they keep what was sent.
        bool written = false;
        core::ServiceDetails details;      // for the service log
        QStringList differs;               // "label: sent -> held" per field stored otherwise
    };
    WriteRecord takeWrite(const BlockImage& before, const BlockImage& next, const std::vector<Field>& changes,
                          const WriteResult& result, int connectedCode, const QDateTime& at, const FieldLabels& labels,
                          int language);

    // The service report's configuration: rows as found and as left (as
    // left "unknown" after a write that could not be read back), and a note
    // per write the device did not store as sent (its changes in print form,
    // see core::DetailsForm). None unless this device was read in this session.
    std::vector<core::ReportRow> reportRows(int connectedCode, const FieldLabel& label, int language) const;
    QStringList reportNotes(int connectedCode, const FieldLabel& label, int language) const;
    // Whether what the device holds after this session's last write is known.
    bool asLeftKnown(int connectedCode) const;
    // The verdict on this session's last write to the device; empty without one.
    QString verdict(int connectedCode, const FieldLabel& label, int language) const;

private:
    // A write the device acknowledged but did not store as sent, or that could not be read back.
    struct Finding {
        QDateTime at;
        core::ServiceOutcome outcome;
        BlockImage sent;
        std::optional<BlockImage> held;  // none: not read back
        std::vector<Field> differing;
    };
    QString findingText(const Finding& finding, const FieldLabel& label, int language) const;

    std::optional<BlockImage> filled_;
    DeviceConfiguration filledValues_;
    // The bytes a field nobody edited goes back with, and their values: the
    // block that filled the fields, or the one sent by a write the device
    // does not hold.
    std::optional<BlockImage> source_;
    DeviceConfiguration sourceValues_;
    std::optional<BlockImage> held_;
    std::optional<BlockImage> asFound_;
    std::vector<Finding> findings_;
    // The last write to the device found (its code) and what became of it.
    std::optional<Finding> lastWrite_;
};

} // namespace trgui::pages::configuration
