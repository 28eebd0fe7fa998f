#include "pages/configuration/core/configuration_record.h"

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
        if (!filledValues.known[indexOf(f)] || controlValue(form, f) != filledValues[f])
            continue;
        const auto kept = fieldBytes(family, filledFrom->block, f);
        std::copy(kept.begin(), kept.end(), out.block.begin() + static_cast<std::ptrdiff_t>(entry.offset));
        std::erase(out.unfit, f);
    }
    return out;
}

QString fieldValueText(const BlockImage& image, Field f, int language)
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
    return decoded->form.textOf(f).trimmed();
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

QString valueWithUnit(const BlockImage& image, Field f, int language)
{
    return (fieldValueText(image, f, language) + QLatin1Char(' ') + fieldUnitText(image, f, language)).trimmed();
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

QString changeList(const BlockImage& before, const BlockImage& after, const std::vector<Field>& fields,
                   const FieldLabel& label, int language)
{
    QStringList out;
    for (Field f : fields)
        out << QStringLiteral("%1 %2 -> %3").arg(label(f), valueWithUnit(before, f, language),
                                                 valueWithUnit(after, f, language));
    return out.join(QStringLiteral(" | "));
}

std::vector<core::ReportRow> reportRows(const BlockImage& asFound, const BlockImage& asLeft, const FieldLabel& label,
                                        int language)
{
    std::vector<core::ReportRow> rows;
    if (asFound.code != asLeft.code || asFound.family != asLeft.family)
        return rows;
    const auto changed = differingFields(asLeft.family, asFound.block, asLeft.block);
    // Which fields exist follows the variant and, for fittings and pipe size,
    // the sensor each side selects.
    const auto sensorOf = [](const BlockImage& image) {
        const auto decoded = decodeBlock(image.family, image.block);
        return decoded ? decoded->form.index(Field::SensorType) : -1;
    };
    const int sensorFound = sensorOf(asFound);
    const int sensorLeft = sensorOf(asLeft);
    for (const auto& entry : blockLayout(asLeft.family)) {
        const Field f = entry.field;
        core::ReportRow row{label(f), fieldValueText(asFound, f, language), fieldUnitText(asFound, f, language),
                            fieldValueText(asLeft, f, language), fieldUnitText(asLeft, f, language),
                            std::find(changed.begin(), changed.end(), f) != changed.end()};
        const bool absentFound = isUnavailable(asFound.code, f, sensorFound);
        const bool absentLeft = isUnavailable(asLeft.code, f, sensorLeft);
        row.available = !(absentFound && absentLeft);
        // A sensor change can bring a field in or take it away: that side says so.
        const QString absent = texts::text(texts::Text::ReportNotOnVariant, language);
        if (row.available && absentFound) {
            row.asFound = absent;
            row.asFoundUnit.clear();
        }
        if (row.available && absentLeft) {
            row.asLeft = absent;
            row.asLeftUnit.clear();
        }
        rows.push_back(row);
    }
    return rows;
}

} // namespace trgui::pages::configuration
