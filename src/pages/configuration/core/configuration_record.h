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
#include <utility>
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
// unless the technician changes it or types into it. Without a filling block of the same
// family every field is encoded from the form.
EncodedBlock encodeKeepingUntouched(device::Family family, const ConfigurationForm& form,
                                    const std::optional<BlockImage>& filledFrom,
                                    const DeviceConfiguration& filledValues);

// A field of a block as a record states it, in language 0 German, 1 English,
// 2 French: the list entry, "on"/"off", or the number exactly as stored, in
// its shortest text that reads back the same (1.234 where the page shows
// 1.23), with the language's decimal separator. Empty when the family does
// not carry the field.
// Numbers::Page writes the point the page's fields write in every language.
enum class Numbers { Record, Page };
QString fieldValueText(const BlockImage& image, Field f, int language, Numbers numbers = Numbers::Record);
// The unit beside that value, from the units the same block selects
// (empty for a field without one).
QString fieldUnitText(const BlockImage& image, Field f, int language);

// The value and its unit in one text ("50.0 mm", "on").
QString valueWithUnit(const BlockImage& image, Field f, int language, Numbers numbers = Numbers::Record);

// What names a field to the technician: the page's label of it.
using FieldLabel = std::function<QString(Field)>;
// The Configuration page's labels of the fields in a language, read from its
// language file without a window; a field the file lacks keeps the built-in
// caption.
std::map<Field, QString> loadFieldLabels(const std::string& programDirectory, int language);

// The labels in every language, for a record written in a language other
// than the page's: each language's file is read once, when first asked.
using FieldLabels = std::function<QString(Field, int language)>;
FieldLabels fieldLabelsFrom(const std::string& programDirectory);
// One language of them.
FieldLabel labelsIn(const FieldLabels& labels, int language);

// A field's value with unit in two blocks; where the two texts would be the
// same although the bytes differ, each carries its bytes.
std::pair<QString, QString> changeTexts(const BlockImage& before, const BlockImage& after, Field f, int language);

// The fields a change alters in what they mean: those whose bytes change,
// and those whose unit a changed unit selection changes (a limit of 2.5 m/s
// that now reads 2.5 fps), in the order of the block.
std::vector<Field> fieldsWhoseMeaningChanges(const BlockImage& before, const BlockImage& after,
                                             const std::vector<Field>& changes);

// One line of a comparison: the field's label and its two values with units.
struct ChangeRow {
    QString label;
    QString before;
    QString after;
};
// The rows of fieldsWhoseMeaningChanges.
std::vector<ChangeRow> changeRows(const BlockImage& before, const BlockImage& after, const std::vector<Field>& changes,
                                  const FieldLabel& label, int language);

// "Pipe size 50.0 mm -> 62.5 mm | …": the rows of changeRows, as a log's
// line has them or for print (see core::DetailsForm).
QString changeList(const BlockImage& before, const BlockImage& after, const std::vector<Field>& fields,
                   const FieldLabel& label, int language, core::DetailsForm form = core::DetailsForm::Line);

// The service report's rows: every field of the family as found and as left,
// marked where the bytes differ; as left "unknown" where it is not known;
// marked unavailable where the variant (with the sensor either side selects)
// has no such field. None unless both are blocks of one device.
std::vector<core::ReportRow> reportRows(const BlockImage& asFound, const std::optional<BlockImage>& asLeft,
                                        const FieldLabel& label, int language);

// "on"/"off" and "no selection" in a language.
QString switchText(bool on, int language);
QString noSelectionText(int language);

} // namespace trgui::pages::configuration
