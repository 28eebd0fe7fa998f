#pragma once

// The configuration block: the byte image of a KM210 configuration that
// travels in the device's reply, in the write telegram and in configuration
// files. The page's fields are represented by a ConfigurationForm (what the
// controls hold), so encoding and decoding run without any window.

#include "device/family.h"
#include "device/protocol.h"
#include "pages/configuration/core/configuration_fields.h"
#include "pages/configuration/core/family_rules.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace trgui::pages::configuration {

using Block = std::vector<std::uint8_t>;

// What the page's controls hold: selection index (-1 for none) of combo
// boxes, 0/1 of check boxes, the text of edits.
struct ConfigurationForm {
    int hwVersion = -1;  // selection of the "HW-Version" list = device type code
    std::array<int, kFieldCount> selection{};
    std::array<QString, kFieldCount> text;
    // Edits the technician typed into since the page was filled: written as
    // typed, even where the text reads as the value shown.
    std::array<bool, kFieldCount> typed{};

    ConfigurationForm() { selection.fill(-1); }
    int& index(Field f) { return selection[indexOf(f)]; }
    int index(Field f) const { return selection[indexOf(f)]; }
    QString& textOf(Field f) { return text[indexOf(f)]; }
    const QString& textOf(Field f) const { return text[indexOf(f)]; }
};

// The values last read from the device or a file; a field's change marker
// shows while its control differs from it. Combo boxes hold the selection
// (-1 for none or an index the list does not have), check boxes 0/1, edits the
// number their text reads as.
struct DeviceConfiguration {
    // None where an edit held no number.
    std::array<std::optional<float>, kFieldCount> value{};
    std::array<bool, kFieldCount> known{};  // set by a decode

    std::optional<float> operator[](Field f) const { return value[indexOf(f)]; }
};

// ---- text ---------------------------------------------------------------------------

// Leading integer of a text (after blanks), as atoi; 0 when there is none.
int leadingInteger(const QString& text);
// Leading decimal number: optional sign, digits, optional point and digits,
// optional exponent. "inf", "nan" and hexadecimal are not numbers. None when
// the text does not start with a number (after blanks); an overflow gives inf.
std::optional<float> leadingDecimal(const QString& text);
// Leading and trailing blanks removed.
QString trimmed(const QString& text);
// Trimmed, every character below the blank removed, commas turned into points.
QString cleanedDecimal(const QString& text);

// The number a field's control stands for, as the change markers compare it
// (none for an edit without a number).
std::optional<float> controlValue(const ConfigurationForm& form, Field f);

// The list of a combo box field in the family, in language 0 German,
// 1 English, 2 French (empty for other fields); and its number of entries.
TextList fieldList(device::Family family, Field f, int language);
int listSize(device::Family family, Field f);

// ---- block layout --------------------------------------------------------------------

enum class Encoding {
    Enumeration,  // one byte: index + base (modulo 256), none = base - 1
    Flag,         // one byte 0/1
    Byte,         // unsigned 8-bit integer
    Int16,        // signed 16-bit integer, most significant byte first
    Float,        // single precision, most significant byte first
    Thousandths,  // single precision holding the edit's integer / 1000
};

struct BlockEntry {
    Field field;
    std::size_t offset;
    Encoding encoding;
    int base;            // enumerations
    const char* format;  // printf format of the edit's text
};

// The fields of a family's block in offset order; empty for other families.
std::span<const BlockEntry> blockLayout(device::Family family);
bool familyCarries(device::Family family, Field f);

using device::isCompleteConfigurationReply;

struct DecodedBlock {
    ConfigurationForm form;          // only the family's fields are set
    DeviceConfiguration configuration;
};
// The block must be the family's size; nothing is decoded otherwise.
std::optional<DecodedBlock> decodeBlock(device::Family family, std::span<const std::uint8_t> block);

struct EncodedBlock {
    Block block;
    std::vector<Field> unfit;  // values that do not fit their bytes
};
// Builds the family's block from the form; a value that does not fit its
// bytes (T-value 300 in one byte, a non-finite float) is listed in unfit and
// stored wrapped, as the device's own tools would.
EncodedBlock encodeBlock(device::Family family, const ConfigurationForm& form);

// The text an edit shows for a decoded value.
QString formatValue(const BlockEntry& entry, float value);

} // namespace trgui::pages::configuration
