#pragma once

#include "pages/configuration/core/configuration_fields.h"
#include "texts/page_controls.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>

namespace trgui::pages::configuration {

// The Configuration page's layout over the fields of kFields: the rows of its
// two columns with each label's built-in caption and the unit label beside
// the field, the buttons, and the list of every control the page makes, all
// derived from these rows. The ids are the ones the language files address.

using texts::ControlDef;
using texts::ControlKind;

namespace id {
// Unit labels, filled from the selected units.
inline constexpr int PressureUnit = 1150;
inline constexpr int AnalogFlowStartUnit = 1142;
inline constexpr int AnalogFlowEndUnit = 1147;
inline constexpr int AnalogTempStartUnit = 1148;
inline constexpr int AnalogTempEndUnit = 1149;
inline constexpr int Limit1OnUnit = 1090;
inline constexpr int Limit1OffUnit = 1091;
inline constexpr int Limit2OnUnit = 1093;
inline constexpr int Limit2OffUnit = 1092;
inline constexpr int PulseValueUnit = 1156;
// The buttons under the fields.
inline constexpr int Read = 1011;
inline constexpr int Write = 1012;
inline constexpr int Check = 1065;
inline constexpr int Save = 1064;
inline constexpr int Load = 1063;
inline constexpr int ClearAll = 1062;
} // namespace id

// A row: a field, or the HW-Version list (no field of the block); its label's
// built-in caption; its unit label (0: none) with the unit's built-in caption.
inline constexpr std::optional<Field> kHwVersionRow = std::nullopt;
struct FieldRow {
    std::optional<Field> field;
    const char* caption;
    int unit = 0;
    const char* unitCaption = nullptr;
};

// The controls of a row.
struct RowControls {
    int field, label, changed, error, unit;
};
constexpr RowControls controlsOf(const FieldRow& row)
{
    if (!row.field)
        return {kHwVersionCombo, kHwVersionLabel, kHwVersionChangeMarker, kHwVersionErrorMarker, row.unit};
    const FieldInfo& info = infoOf(*row.field);
    return {info.control, info.label, info.changeMarker, info.errorMarker, row.unit};
}

// Every label has its built-in caption, so the page stays readable without
// its labels file.
inline constexpr FieldRow kLeftColumn[] = {
    {kHwVersionRow, "HW-Version", 0},
    {Field::SensorType, "Sensortyp", 0},
    {Field::CValue, "C-Wert Sensor", 0},
    {Field::TValue, "T-Wert", 0},
    {Field::Medium, "Medium", 0},
    {Field::Pressure, "Druck", id::PressureUnit, "bar"},
    {Field::PipeSize, "Rohrgroesse", 0},
    {Field::TeeFitting, "RAanschlVRD", 0},
    {Field::ValveFitting, "KVanschlVRD", 0},
    {Field::VelocityUnit, "Einheit Geschw.", 0},
    {Field::TemperatureUnit, "Einheit Temp.", 0},
    {Field::VolumeFlowUnit, "Einheit VolStrom.", 0},
    {Field::TotaliserUnit, "EinheitTotaliator", 0},
    {Field::Language, "Sprache", 0},
    {Field::OperatingMode, "Betriebsart", 0},
};
inline constexpr FieldRow kRightColumn[] = {
    {Field::AnalogFlowOffset, "An.FlowOffset", 0},
    {Field::AnalogFlowStart, "An.FlowAnfWert", id::AnalogFlowStartUnit},
    {Field::AnalogFlowEnd, "An.FlowEndWert", id::AnalogFlowEndUnit},
    {Field::AnalogTempOffset, "An.TempOffset", 0},
    {Field::AnalogTempStart, "An.TempAnfWert", id::AnalogTempStartUnit},
    {Field::AnalogTempEnd, "An.TempEndWert", id::AnalogTempEndUnit},
    {Field::LimitAssignment, "GrenzK.Zuord", 0},
    {Field::Limit1On, "GKein 1", id::Limit1OnUnit},
    {Field::Limit1Off, "GKAus 1", id::Limit1OffUnit},
    {Field::Limit2On, "GKein 2", id::Limit2OnUnit},
    {Field::Limit2Off, "GKAus 2", id::Limit2OffUnit},
    {Field::FrequencyOutput, "FrequenzAusgang", 0},
    {Field::PulseValue, "ImpulsFrequenz", id::PulseValueUnit},
    {Field::DisplayLine1, "Display Line 1", 0},
    {Field::DisplayLine2, "Display Line 2", 0},
    {Field::Backlight, "Displ. Beleucht.", 0},
    {Field::MeasuringTime, "Messzeit", 0},
    {Field::MultiplicationFactor, "Mult.-Faktor", 0},
};
inline constexpr std::array<std::span<const FieldRow>, 2> kColumns{std::span<const FieldRow>(kLeftColumn),
                                                                    std::span<const FieldRow>(kRightColumn)};

// The unit label beside a field's value; 0 for none.
constexpr int unitLabelOf(Field field)
{
    for (const auto& column : kColumns) {
        for (const FieldRow& row : column) {
            if (row.field == field)
                return row.unit;
        }
    }
    return 0;
}

// The buttons under the fields, left to right.
inline constexpr int kButtonRow[] = {id::Read, id::Write, id::Check, id::Save, id::Load, id::ClearAll};
inline constexpr const char* kButtonCaptions[] = {"KM210-->PC",  "PC-->KM210", "Konfig-Check",
                                                  "Speichern",   "Laden",      "Alles löschen"};

// Every control of the page: each row's field, label and markers, then the
// unit labels, then the buttons.
inline constexpr std::size_t kRowCount = std::size(kLeftColumn) + std::size(kRightColumn);
inline constexpr std::size_t kUnitCount = 10;
constexpr ControlKind controlKindOf(const FieldRow& row)
{
    if (!row.field)
        return ControlKind::ComboBox;
    switch (infoOf(*row.field).kind) {
    case FieldKind::Combo: return ControlKind::ComboBox;
    case FieldKind::Check: return ControlKind::CheckBox;
    case FieldKind::IntegerEdit:
    case FieldKind::DecimalEdit: break;
    }
    return ControlKind::Edit;
}
constexpr auto makeControls()
{
    std::array<ControlDef, kRowCount * 4 + kUnitCount + std::size(kButtonRow)> out{};
    std::size_t n = 0;
    std::size_t units = 0;
    for (const auto& column : kColumns) {
        for (const FieldRow& row : column) {
            const RowControls c = controlsOf(row);
            out[n++] = {c.field, controlKindOf(row), nullptr};
            out[n++] = {c.label, ControlKind::Label, row.caption};
            out[n++] = {c.changed, ControlKind::Image, nullptr};
            out[n++] = {c.error, ControlKind::Image, nullptr};
        }
    }
    for (const auto& column : kColumns) {
        for (const FieldRow& row : column) {
            if (row.unit) {
                out[n++] = {row.unit, ControlKind::Label, row.unitCaption};
                ++units;
            }
        }
    }
    for (std::size_t i = 0; i < std::size(kButtonRow); ++i)
        out[n++] = {kButtonRow[i], ControlKind::Button, kButtonCaptions[i]};
    if (units != kUnitCount || n != out.size())
        throw "kUnitCount does not match the unit labels of the rows";  // fails the constant evaluation
    return out;
}
inline constexpr auto kControls = makeControls();

} // namespace trgui::pages::configuration
