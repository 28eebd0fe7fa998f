#include "pages/configuration/core/configuration_block.h"

#include "core/plain_numbers.h"
#include "device/protocol.h"
#include "pages/configuration/core/family_rules.h"

#include <climits>
#include <cmath>

namespace trgui::pages::configuration {

namespace {

using enum Field;
using E = Encoding;

// Offsets 17 to 35 and 37 to 62 are the same in every family.
#define TRGUI_COMMON_BLOCK_MIDDLE                                                                      \
    {Backlight, 17, E::Flag, 0, nullptr}, {AnalogFlowOffset, 18, E::Flag, 0, nullptr},                \
        {AnalogFlowStart, 19, E::Float, 0, "%6.2f"}, {AnalogFlowEnd, 23, E::Float, 0, "%6.2f"},         \
        {AnalogTempOffset, 27, E::Flag, 0, nullptr}, {AnalogTempStart, 28, E::Float, 0, "%6.2f"},       \
        {AnalogTempEnd, 32, E::Float, 0, "%6.2f"}
#define TRGUI_COMMON_BLOCK_END                                                                         \
    {Limit1On, 37, E::Float, 0, "%6.2f"}, {Limit1Off, 41, E::Float, 0, "%6.2f"},                        \
        {Limit2On, 45, E::Float, 0, "%6.2f"}, {Limit2Off, 49, E::Float, 0, "%6.2f"},                    \
        {FrequencyOutput, 53, E::Flag, 0, nullptr}, {PulseValue, 54, E::Float, 0, "%5.1f"},             \
        {MeasuringTime, 58, E::Byte, 0, "%2d"}, {MultiplicationFactor, 59, E::Float, 0, "%4.2f"}

// The family 0 block; the family 2 block is the same with the two fittings after it.
#define TRGUI_BLOCK_FAMILY_0 \
    {Language, 0, E::Enumeration, 11, nullptr}, \
    {SensorType, 1, E::Enumeration, 21, nullptr}, \
    {TValue, 2, E::Byte, 0, "%2d"}, \
    {CValue, 3, E::Thousandths, 0, "%d"}, \
    {PipeSize, 7, E::Float, 0, "%5.1f"}, \
    {VelocityUnit, 11, E::Enumeration, 90, nullptr}, \
    {TemperatureUnit, 12, E::Enumeration, 100, nullptr}, \
    {VolumeFlowUnit, 13, E::Enumeration, 110, nullptr}, \
    {TotaliserUnit, 14, E::Enumeration, 120, nullptr}, \
    {DisplayLine1, 15, E::Enumeration, 140, nullptr}, \
    {DisplayLine2, 16, E::Enumeration, 150, nullptr}, \
    TRGUI_COMMON_BLOCK_MIDDLE, \
    {LimitAssignment, 36, E::Enumeration, 190, nullptr}, \
    TRGUI_COMMON_BLOCK_END

constexpr BlockEntry kLayout0[] = {TRGUI_BLOCK_FAMILY_0};

constexpr BlockEntry kLayout2[] = {
    TRGUI_BLOCK_FAMILY_0,
    {TeeFitting, 63, E::Enumeration, 30, nullptr},
    {ValveFitting, 64, E::Enumeration, 40, nullptr},
};

constexpr BlockEntry kLayout1[] = {
    {Language, 0, E::Enumeration, 11, nullptr},
    {SensorType, 1, E::Enumeration, 21, nullptr},
    {CValue, 2, E::Int16, 0, "%3d"},
    {TValue, 4, E::Int16, 0, "%3d"},
    {PipeSize, 7, E::Float, 0, "%5.1f"},
    {VelocityUnit, 11, E::Enumeration, 150, nullptr},
    {TemperatureUnit, 12, E::Enumeration, 155, nullptr},
    {VolumeFlowUnit, 13, E::Enumeration, 160, nullptr},
    {TotaliserUnit, 14, E::Enumeration, 175, nullptr},
    {DisplayLine1, 15, E::Enumeration, 180, nullptr},
    {DisplayLine2, 16, E::Enumeration, 185, nullptr},
    TRGUI_COMMON_BLOCK_MIDDLE,
    {LimitAssignment, 36, E::Enumeration, 200, nullptr},
    TRGUI_COMMON_BLOCK_END,
    {TeeFitting, 63, E::Enumeration, 140, nullptr},
    {ValveFitting, 64, E::Enumeration, 135, nullptr},
    {Medium, 65, E::Enumeration, 31, nullptr},
    {Pressure, 66, E::Float, 0, "%6.2f"},
    {OperatingMode, 70, E::Enumeration, 0, nullptr},
};

#undef TRGUI_COMMON_BLOCK_MIDDLE
#undef TRGUI_COMMON_BLOCK_END
#undef TRGUI_BLOCK_FAMILY_0

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The C-value of families 0 and 2 is shown in thousandths, rounded.
QString thousandthsText(float value)
{
    // Rounded to the nearest on both sides of zero: with +0.0005 alone a
    // negative value would show one nearer zero at each read and write.
    const double half = value < 0 ? -0.0005 : 0.0005;
    const double shown = (static_cast<double>(value) + half) * 1000.0;
    if (!std::isfinite(shown) || shown >= 2147483648.0 || shown <= -2147483649.0)
        return QString::asprintf("%.0f", shown);
    return QString::number(static_cast<int>(shown));
}

} // namespace

int leadingInteger(const QString& text)
{
    return core::parseLeadingInt(text.toLatin1().toStdString());
}

std::optional<float> leadingDecimal(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        ++i;
    qsizetype digits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i)
        ++digits;
    if (i < text.size() && text[i] == QLatin1Char('.')) {
        for (++i; i < text.size() && isDigit(text[i]); ++i)
            ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < text.size() && (text[i] == QLatin1Char('e') || text[i] == QLatin1Char('E'))) {
        qsizetype j = i + 1;
        if (j < text.size() && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-')))
            ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            i = j;
        }
    }
    const QByteArray number = text.mid(start, i - start).toLatin1();
    return core::parseFloat(std::string_view(number.constData(), static_cast<std::size_t>(number.size())));
}

QString trimmed(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

QString cleanedDecimal(const QString& text)
{
    QString cleaned;
    for (QChar c : trimmed(text)) {
        if (c.unicode() < 0x20)
            continue;
        cleaned += c == QLatin1Char(',') ? QLatin1Char('.') : c;
    }
    return cleaned;
}

std::optional<float> controlValue(const ConfigurationForm& form, Field f)
{
    switch (infoOf(f).kind) {
    case FieldKind::Combo:
    case FieldKind::Check:
        return static_cast<float>(form.index(f));
    case FieldKind::IntegerEdit:
        if (f == Field::MeasuringTime)
            return static_cast<float>(leadingInteger(form.textOf(f)));
        [[fallthrough]];
    case FieldKind::DecimalEdit:
        return leadingDecimal(cleanedDecimal(form.textOf(f)));
    }
    return std::nullopt;
}

TextList fieldList(device::Family family, Field f, int language)
{
    switch (f) {
    case Language: return deviceLanguages();
    case SensorType: return sensorTypes(family);
    case VelocityUnit: return velocityUnits();
    case TemperatureUnit: return temperatureUnits();
    case VolumeFlowUnit: return volumeFlowUnits(family);
    case TotaliserUnit: return totaliserUnits(family);
    case DisplayLine1:
    case DisplayLine2: return displayLines(language);
    case LimitAssignment: return limitAssignments();
    case TeeFitting: return teeFittings();
    case ValveFitting: return valveFittings();
    case Medium: return media(language);
    case OperatingMode: return operatingModes(language);
    default: return {};
    }
}

int listSize(device::Family family, Field f)
{
    return static_cast<int>(fieldList(family, f, 0).size());
}

std::span<const BlockEntry> blockLayout(device::Family family)
{
    switch (family) {
    case device::Family::Standard: return kLayout0;
    case device::Family::Dr: return kLayout1;
    case device::Family::Wt: return kLayout2;
    case device::Family::None: break;
    }
    return {};
}

bool familyCarries(device::Family family, Field f)
{
    for (const auto& entry : blockLayout(family)) {
        if (entry.field == f)
            return true;
    }
    return false;
}

QString formatValue(const BlockEntry& entry, float value)
{
    switch (entry.encoding) {
    case E::Thousandths:
        return thousandthsText(value);
    case E::Byte:
    case E::Int16:
        return QString::asprintf(entry.format, static_cast<int>(value));
    case E::Float:
        return QString::asprintf(entry.format, static_cast<double>(value));
    default:
        return {};
    }
}

std::optional<DecodedBlock> decodeBlock(device::Family family, std::span<const std::uint8_t> block)
{
    if (device::configurationBlockSize(family) == 0 || block.size() != device::configurationBlockSize(family))
        return std::nullopt;
    DecodedBlock out;
    for (const auto& entry : blockLayout(family)) {
        const std::uint8_t* at = &block[entry.offset];
        const std::size_t i = indexOf(entry.field);
        switch (entry.encoding) {
        case E::Enumeration: {
            const int index = static_cast<std::uint8_t>(at[0] - entry.base);
            out.form.selection[i] = index < listSize(family, entry.field) ? index : -1;
            out.configuration.value[i] = static_cast<float>(out.form.selection[i]);
            break;
        }
        case E::Flag:
            out.form.selection[i] = at[0] != 0 ? 1 : 0;
            out.configuration.value[i] = static_cast<float>(out.form.selection[i]);
            break;
        case E::Byte:
            out.form.text[i] = formatValue(entry, at[0]);
            break;
        case E::Int16:
            out.form.text[i] = formatValue(entry, static_cast<std::int16_t>((at[0] << 8) | at[1]));
            break;
        case E::Float:
        case E::Thousandths:
            out.form.text[i] = formatValue(entry, device::decodeFloatBE(at));
            break;
        }
        // An edit is compared by what its text reads as, so that typing the
        // shown value back counts as unchanged.
        if (infoOf(entry.field).kind != FieldKind::Combo && infoOf(entry.field).kind != FieldKind::Check)
            out.configuration.value[i] = controlValue(out.form, entry.field);
        out.configuration.known[i] = true;
    }
    return out;
}

EncodedBlock encodeBlock(device::Family family, const ConfigurationForm& form)
{
    EncodedBlock out;
    out.block.assign(device::configurationBlockSize(family), 0);
    for (const auto& entry : blockLayout(family)) {
        std::uint8_t* at = &out.block[entry.offset];
        const QString& text = form.textOf(entry.field);
        bool fits = true;
        switch (entry.encoding) {
        case E::Enumeration:
            at[0] = static_cast<std::uint8_t>(form.index(entry.field) + entry.base);
            break;
        case E::Flag:
            at[0] = form.index(entry.field) > 0 ? 1 : 0;
            break;
        case E::Byte: {
            const int v = leadingInteger(text);
            fits = v >= 0 && v <= UINT8_MAX;
            at[0] = static_cast<std::uint8_t>(v);
            break;
        }
        case E::Int16: {
            const int v = leadingInteger(text);
            fits = v >= INT16_MIN && v <= INT16_MAX;
            at[0] = static_cast<std::uint8_t>(v >> 8);
            at[1] = static_cast<std::uint8_t>(v);
            break;
        }
        case E::Thousandths: {
            const float v = static_cast<float>(leadingInteger(text) / 1000.0);
            device::encodeFloatBE(v, at);
            break;
        }
        case E::Float: {
            // The point is the decimal separator; from a comma on the text is ignored.
            const auto number = leadingDecimal(text);
            const float v = number.value_or(0.0f);
            fits = std::isfinite(v) && (number || trimmed(text).isEmpty());
            device::encodeFloatBE(v, at);
            break;
        }
        }
        if (!fits)
            out.unfit.push_back(entry.field);
    }
    return out;
}

} // namespace trgui::pages::configuration
