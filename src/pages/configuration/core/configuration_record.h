#pragma once

// A configuration as values: a block with the device type code it belongs
// to, where it came from, and what each field of it reads as in a language.
// What the device holds, what filled the page and what is about to be written
// are all kept this way, so no comparison, log or report works on the page's
// display texts, and a field nobody edited goes back to the device bit for bit.

#include "core/service_report.h"
#include "device/family.h"
#include "pages/configuration/core/configuration_block.h"

#include <QString>

#include <functional>
#include <map>
#include <string>

#include <optional>
#include <span>
#include <vector>

namespace trgui::pages::configuration {

// A whole block of a family, with the device type code it is for.
struct BlockImage {
    int code = 0;
    device::Family family = device::Family::None;
    Block block;

    bool valid() const;  // a family and a block of its size
};

// The bytes of a field in a block of the family; empty when the family does
// not carry the field or the block is too short.
std::span<const std::uint8_t> fieldBytes(device::Family family, std::span<const std::uint8_t> block, Field f);

// The fields of the family whose bytes differ between two blocks of it.
std::vector<Field> differingFields(device::Family family, std::span<const std::uint8_t> a,
                                   std::span<const std::uint8_t> b);

// Encodes the form as encodeBlock does, but a field whose control still
// reads as the value it was filled with (filledValues) keeps the bytes that
// filled it: a multiplication factor of 1.234 shown as "1.23" stays 1.234
// unless the technician changes it. Without a filling block of the same
// family every field is encoded from the form.
EncodedBlock encodeKeepingUntouched(device::Family family, const ConfigurationForm& form,
                                    const std::optional<BlockImage>& filledFrom,
                                    const DeviceConfiguration& filledValues);

// A field of a block as the technician reads it, in language 0 German,
// 1 English, 2 French: the list entry, "on"/"off", or the number as the page
// shows it. Empty when the family does not carry the field.
QString fieldValueText(const BlockImage& image, Field f, int language);
// The unit beside that value, from the units the same block selects
// (empty for a field without one).
QString fieldUnitText(const BlockImage& image, Field f, int language);

// The value and its unit in one text ("50.0 mm", "on").
QString valueWithUnit(const BlockImage& image, Field f, int language);

// What names a field to the technician: the page's label of it.
using FieldLabel = std::function<QString(Field)>;
// The Configuration page's labels of the fields in a language, read from its
// language file without a window; a field the file lacks keeps the built-in
// caption.
std::map<Field, QString> loadFieldLabels(const std::string& programDirectory, int language);

// "Pipe size 50.0 mm -> 62.5 mm | …": the fields as they read in before and after.
QString changeList(const BlockImage& before, const BlockImage& after, const std::vector<Field>& fields,
                   const FieldLabel& label, int language);

// The service report's rows: every field of the family as found and as left,
// marked where the bytes differ, and marked unavailable where the variant
// (with the sensor either side selects) has no such field. None unless both
// are blocks of one device.
std::vector<core::ReportRow> reportRows(const BlockImage& asFound, const BlockImage& asLeft, const FieldLabel& label,
                                        int language);

// "on"/"off" and "no selection" in a language.
QString switchText(bool on, int language);
QString noSelectionText(int language);

} // namespace trgui::pages::configuration
