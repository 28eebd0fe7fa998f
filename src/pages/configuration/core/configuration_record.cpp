#include "pages/configuration/core/configuration_record.h"

#include "core/plain_numbers.h"
#include "core/settings_record.h"
#include "device/protocol.h"
#include "pages/configuration/core/configuration_controls.h"
#include "pages/configuration/core/family_rules.h"
#include "pages/configuration/core/field_availability.h"
#include "texts/catalogue.h"
#include "texts/text_table.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

namespace trgui::pages::configuration {

namespace {

const BlockEntry* entryOf(device::Family family, Field f)
{
    for (const auto& entry : blockLayout(family)) {
        if (entry.field == f)
            return &entry;
    }
    return nullptr;
}

std::size_t sizeOf(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Int16: return 2;
    case Encoding::Float:
    case Encoding::Thousandths: return 4;
    case Encoding::Enumeration:
    case Encoding::Flag:
    case Encoding::Byte: break;
    }
    return 1;
}

QString entryText(TextList list, int index, int language)
{
    if (index < 0 || index >= static_cast<int>(list.size()))
        return noSelectionText(language);
    return QString::fromUtf8(list[static_cast<std::size_t>(index)]).trimmed();
}

// Digits after the point the page shows for the entry ("%5.1f": 1).
int displayDecimals(const BlockEntry& entry)
{
    if (!entry.format)
        return 0;
    const char* point = std::strchr(entry.format, '.');
    return point ? core::parseLeadingInt(point + 1) : 0;
}

// German and French write a decimal comma; the page's fields a point in every language.
QString inLanguage(const std::string& number, int language, Numbers numbers)
{
    QString text = QString::fromStdString(number);
    if (numbers == Numbers::Record && core::languageIndex(language) != 1)
        text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

// A number of the block exactly as it is stored, in the unit the page shows it in.
QString exactNumber(const BlockEntry& entry, std::span<const std::uint8_t> bytes, int language, Numbers numbers)
{
    switch (entry.encoding) {
    case Encoding::Byte: return QString::number(bytes[0]);
    case Encoding::Int16: return QString::number(static_cast<std::int16_t>((bytes[0] << 8) | bytes[1]));
    case Encoding::Thousandths:
        return inLanguage(core::exactScaledText(device::decodeFloatBE(bytes.data()), 1000.0), language, numbers);
    case Encoding::Float:
        return inLanguage(core::exactText(device::decodeFloatBE(bytes.data()), std::min(displayDecimals(entry), 1)),
                          language, numbers);
    case Encoding::Enumeration:
    case Encoding::Flag: break;
    }
    return {};
}

// The bytes of a field as hex ("0A FF").
QString hexOf(std::span<const std::uint8_t> bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()))
        .toHex(' ')
        .toUpper();
}

} // namespace

bool BlockImage::valid() const
{
    const std::size_t size = device::configurationBlockSize(family);
    return size != 0 && block.size() == size;
}

std::span<const std::uint8_t> fieldBytes(device::Family family, std::span<const std::uint8_t> block, Field f)
{
    const BlockEntry* entry = entryOf(family, f);
    if (!entry || entry->offset + sizeOf(entry->encoding) > block.size())
        return {};
    return block.subspan(entry->offset, sizeOf(entry->encoding));
}

std::vector<Field> differingFields(device::Family family, std::span<const std::uint8_t> a,
                                   std::span<const std::uint8_t> b)
{
    std::vector<Field> out;
    for (const auto& entry : blockLayout(family)) {
        const auto x = fieldBytes(family, a, entry.field);
        const auto y = fieldBytes(family, b, entry.field);
        if (!std::equal(x.begin(), x.end(), y.begin(), y.end()))
            out.push_back(entry.field);
    }
    return out;
}

EncodedBlock encodeKeepingUntouched(device::Family family, const ConfigurationForm& form,
                                    const std::optional<BlockImage>& filledFrom,
                                    const DeviceConfiguration& filledValues)
{
    EncodedBlock out = encodeBlock(family, form);
    if (!filledFrom || filledFrom->family != family || !filledFrom->valid())
        return out;
    for (const auto& entry : blockLayout(family)) {
        const Field f = entry.field;
        if (!filledValues.known[indexOf(f)] || form.typed[indexOf(f)] || controlValue(form, f) != filledValues[f])
            continue;
        const auto kept = fieldBytes(family, filledFrom->block, f);
        std::copy(kept.begin(), kept.end(), out.block.begin() + static_cast<std::ptrdiff_t>(entry.offset));
        std::erase(out.unfit, f);
    }
    return out;
}

QString fieldValueText(const BlockImage& image, Field f, int language, Numbers numbers)
{
    const BlockEntry* entry = entryOf(image.family, f);
    if (!entry || !image.valid())
        return {};
    const auto decoded = decodeBlock(image.family, image.block);
    const int index = decoded->form.index(f);
    switch (infoOf(f).kind) {
    case FieldKind::Combo: return entryText(fieldList(image.family, f, language), index, language);
    case FieldKind::Check: return switchText(index != 0, language);
    case FieldKind::IntegerEdit:
    case FieldKind::DecimalEdit: break;
    }
    return exactNumber(*entry, fieldBytes(image.family, image.block, f), language, numbers);
}

namespace {

// Two byte values the page has no words for (entries beyond a list, a switch
// byte other than 0 and 1, two NaNs) still read differently: each carries its bytes.
void distinguish(QString& a, QString& b, const BlockImage& x, const BlockImage& y, Field f)
{
    const auto bx = fieldBytes(x.family, x.block, f);
    const auto by = fieldBytes(y.family, y.block, f);
    if (a != b || std::equal(bx.begin(), bx.end(), by.begin(), by.end()))
        return;
    a += QStringLiteral(" [%1]").arg(hexOf(bx));
    b += QStringLiteral(" [%1]").arg(hexOf(by));
}

} // namespace

std::pair<QString, QString> changeTexts(const BlockImage& before, const BlockImage& after, Field f, int language)
{
    std::pair<QString, QString> out{valueWithUnit(before, f, language), valueWithUnit(after, f, language)};
    distinguish(out.first, out.second, before, after, f);
    return out;
}

std::vector<Field> fieldsWhoseMeaningChanges(const BlockImage& before, const BlockImage& after,
                                             const std::vector<Field>& changes)
{
    std::vector<Field> out;
    for (const auto& entry : blockLayout(after.family)) {
        const Field f = entry.field;
        // The unit is compared in one language: a change of words is not a change of unit.
        if (std::find(changes.begin(), changes.end(), f) != changes.end()
            || fieldUnitText(before, f, 1) != fieldUnitText(after, f, 1))
            out.push_back(f);
    }
    return out;
}

QString fieldUnitText(const BlockImage& image, Field f, int language)
{
    if (!entryOf(image.family, f) || !image.valid())
        return {};
    if (f == Field::Pressure)
        return QStringLiteral("bar");
    if (f == Field::MeasuringTime)
        return QStringLiteral("s");
    const auto decoded = decodeBlock(image.family, image.block);
    // A unit the block does not select is left out rather than named.
    const auto unit = [&](Field unitField) {
        const TextList list = fieldList(image.family, unitField, language);
        const int index = decoded->form.index(unitField);
        return index >= 0 && index < static_cast<int>(list.size()) ? entryText(list, index, language) : QString();
    };
    for (const UnitLabel& label : unitLabels(decoded->form.index(Field::LimitAssignment))) {
        if (label.field != f)
            continue;
        switch (label.source) {
        case UnitSource::Velocity: return unit(Field::VelocityUnit);
        case UnitSource::Temperature: return unit(Field::TemperatureUnit);
        case UnitSource::Totaliser: return unit(Field::TotaliserUnit);
        }
    }
    return {};
}

QString switchText(bool on, int language)
{
    return texts::text(on ? texts::Text::SwitchOn : texts::Text::SwitchOff, language);
}

QString noSelectionText(int language)
{
    return texts::text(texts::Text::NoSelection, language);
}

QString valueWithUnit(const BlockImage& image, Field f, int language, Numbers numbers)
{
    return (fieldValueText(image, f, language, numbers) + QLatin1Char(' ') + fieldUnitText(image, f, language)).trimmed();
}

std::map<Field, QString> loadFieldLabels(const std::string& programDirectory, int language)
{
    std::map<int, QString> captions;
    for (const auto& def : kControls) {
        if (def.caption)
            captions[def.id] = QString::fromUtf8(def.caption);
    }
    texts::CaptionMap sink(captions);
    if (const auto name = texts::textFileName(texts::stem::ConfigurationLabels, language))
        texts::applyLabels(sink, programDirectory, *name);
    std::map<Field, QString> labels;
    for (const auto& info : kFields)
        labels[info.field] = captions[info.label];
    return labels;
}

FieldLabels fieldLabelsFrom(const std::string& programDirectory)
{
    auto cache = std::make_shared<std::map<int, std::map<Field, QString>>>();
    return [programDirectory, cache](Field f, int language) {
        const int l = static_cast<int>(core::languageIndex(language));
        auto it = cache->find(l);
        if (it == cache->end())
            it = cache->emplace(l, loadFieldLabels(programDirectory, l)).first;
        return it->second[f];
    };
}

FieldLabel labelsIn(const FieldLabels& labels, int language)
{
    return [labels, language](Field f) { return labels(f, language); };
}

std::vector<ChangeRow> changeRows(const BlockImage& before, const BlockImage& after, const std::vector<Field>& changes,
                                  const FieldLabel& label, int language)
{
    std::vector<ChangeRow> rows;
    for (Field f : fieldsWhoseMeaningChanges(before, after, changes)) {
        auto [was, is] = changeTexts(before, after, f, language);
        rows.push_back({label(f), std::move(was), std::move(is)});
    }
    return rows;
}

QString changeList(const BlockImage& before, const BlockImage& after, const std::vector<Field>& fields,
                   const FieldLabel& label, int language, core::DetailsForm form)
{
    QStringList out;
    for (const auto& row : changeRows(before, after, fields, label, language))
        out << row.label + QLatin1Char(' ') + core::changeText(row.before, row.after, form);
    return out.join(QStringLiteral(" | "));
}

std::vector<core::ReportRow> reportRows(const BlockImage& asFound, const std::optional<BlockImage>& asLeft,
                                        const FieldLabel& label, int language)
{
    std::vector<core::ReportRow> rows;
    if (asLeft && (asFound.code != asLeft->code || asFound.family != asLeft->family))
        return rows;
    const auto changed = asLeft ? differingFields(asFound.family, asFound.block, asLeft->block) : std::vector<Field>{};
    // Which fields exist follows the variant and, for fittings and pipe size,
    // the sensor each side selects.
    const auto sensorOf = [](const BlockImage& image) {
        const auto decoded = decodeBlock(image.family, image.block);
        return decoded ? decoded->form.index(Field::SensorType) : -1;
    };
    const int sensorFound = sensorOf(asFound);
    const QString absent = texts::text(texts::Text::ReportNotOnVariant, language);
    for (const auto& entry : blockLayout(asFound.family)) {
        const Field f = entry.field;
        const bool differs = std::find(changed.begin(), changed.end(), f) != changed.end();
        core::ReportRow row{label(f), fieldValueText(asFound, f, language), fieldUnitText(asFound, f, language),
                            texts::text(texts::Text::ReportUnknown, language), {}, differs};
        const bool absentFound = isUnavailable(asFound.code, f, sensorFound);
        bool absentLeft = absentFound;
        if (asLeft) {
            row.asLeft = fieldValueText(*asLeft, f, language);
            row.asLeftUnit = fieldUnitText(*asLeft, f, language);
            distinguish(row.asFound, row.asLeft, asFound, *asLeft, f);
            absentLeft = isUnavailable(asLeft->code, f, sensorOf(*asLeft));
        }
        row.available = !(absentFound && absentLeft);
        // A sensor change can bring a field in or take it away: that side says so.
        if (row.available && absentFound) {
            row.asFound = absent;
            row.asFoundUnit.clear();
        }
        if (row.available && absentLeft && asLeft) {
            row.asLeft = absent;
            row.asLeftUnit.clear();
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace trgui::pages::configuration
