#pragma once

#include "core/variants.h"
#include "device/protocol.h"
#include "texts/page_controls.h"

#include <cstdint>

namespace trgui::pages::operation {

// The controls of the Operation page: each named once here, with its built-in
// caption, and the groups the page lays out, fills and greys from them. The
// ids are the ones the language files address.

using texts::ControlDef;
using texts::ControlKind;

namespace id {
// The values table: headings, then per quantity its label, the actual value,
// maximum, minimum and unit.
inline constexpr int HeadingNow = 1095;
inline constexpr int HeadingMax = 1096;
inline constexpr int HeadingMin = 1097;
inline constexpr int VelocityLabel = 1092;
inline constexpr int Velocity = 1091;
inline constexpr int VelocityMax = 1093;
inline constexpr int VelocityMin = 1094;
inline constexpr int VelocityUnit = 1098;
inline constexpr int VolumeFlowLabel = 1100;
inline constexpr int VolumeFlow = 1099;
inline constexpr int VolumeFlowMax = 1101;
inline constexpr int VolumeFlowMin = 1102;
inline constexpr int VolumeFlowUnit = 1103;
inline constexpr int TemperatureLabel = 1105;
inline constexpr int Temperature = 1104;
inline constexpr int TemperatureMax = 1106;
inline constexpr int TemperatureMin = 1107;
inline constexpr int TemperatureUnit = 1108;
inline constexpr int TotaliserLabel = 1121;
inline constexpr int Totaliser = 1120;
inline constexpr int TotaliserUnit = 1122;
inline constexpr int ResetMax = 1109;
inline constexpr int ResetMin = 1110;
inline constexpr int ResetTotaliser = 1111;
// The device's contacts.
inline constexpr int LimitContact1 = 1114;
inline constexpr int LimitContact2 = 1116;
inline constexpr int Ready = 1115;
inline constexpr int ErrorContact = 1123;
// Measuring and recording.
inline constexpr int MeasurementStart = 1124;
inline constexpr int MeasurementStop = 1125;
inline constexpr int RecordStart = 1126;
inline constexpr int RecordStop = 1127;
inline constexpr int RecordingLamp = 1129;
// Low-flow suppression and zero point.
inline constexpr int LowFlowLabel = 1155;
inline constexpr int LowFlow = 1130;
inline constexpr int LowFlowUnit = 1119;
inline constexpr int LowFlowNewLabel = 1113;
inline constexpr int LowFlowList = 1112;
inline constexpr int LowFlowNewUnit = 1131;
inline constexpr int SetLowFlow = 1153;
inline constexpr int ZeroPoint = 1154;
// The device's error.
inline constexpr int ErrorLabel = 1118;
inline constexpr int Error = 1117;
inline constexpr int ResetError = 1128;
} // namespace id

inline constexpr ControlDef kControls[] = {
    {id::HeadingNow, ControlKind::Label, "Akt"},
    {id::HeadingMax, ControlKind::Label, "Max"},
    {id::HeadingMin, ControlKind::Label, "Min"},
    {id::VelocityLabel, ControlKind::Label, "Strömungsgeschwindigkeit"},
    {id::Velocity, ControlKind::Field, nullptr},
    {id::VelocityMax, ControlKind::Field, nullptr},
    {id::VelocityMin, ControlKind::Field, nullptr},
    {id::VelocityUnit, ControlKind::Label, "m/s"},
    {id::VolumeFlowLabel, ControlKind::Label, "Volumenstrom"},
    {id::VolumeFlow, ControlKind::Field, nullptr},
    {id::VolumeFlowMax, ControlKind::Field, nullptr},
    {id::VolumeFlowMin, ControlKind::Field, nullptr},
    {id::VolumeFlowUnit, ControlKind::Label, "l/s"},
    {id::TemperatureLabel, ControlKind::Label, "Temperatur"},
    {id::Temperature, ControlKind::Field, nullptr},
    {id::TemperatureMax, ControlKind::Field, nullptr},
    {id::TemperatureMin, ControlKind::Field, nullptr},
    {id::TemperatureUnit, ControlKind::Label, "Celsius"},
    {id::TotaliserLabel, ControlKind::Label, "Totalisator"},
    {id::Totaliser, ControlKind::Field, nullptr},
    {id::TotaliserUnit, ControlKind::Label, "[%]"},
    {id::ResetMax, ControlKind::Button, "Reset Max"},
    {id::ResetMin, ControlKind::Button, "Reset Min"},
    {id::ResetTotaliser, ControlKind::Button, "Reset Tot."},
    {id::LimitContact1, ControlKind::CheckBox, "Grenzkontakt 1"},
    {id::LimitContact2, ControlKind::CheckBox, "Grenzkontakt 2"},
    {id::Ready, ControlKind::CheckBox, "Betriebsbereit"},
    {id::ErrorContact, ControlKind::CheckBox, "FehlerKontakt"},
    {id::MeasurementStart, ControlKind::Button, "Messung Start"},
    {id::MeasurementStop, ControlKind::Button, "Messung Stop"},
    {id::RecordStart, ControlKind::Button, "Aufzeichnung Start"},
    {id::RecordStop, ControlKind::Button, "Aufzeichnung Stop"},
    {id::RecordingLamp, ControlKind::Image, nullptr},
    {id::LowFlowLabel, ControlKind::Label, "Schl.-Menge Akt"},
    {id::LowFlow, ControlKind::Field, nullptr},
    {id::LowFlowUnit, ControlKind::Label, "[%]"},
    {id::LowFlowNewLabel, ControlKind::Label, "Schleichmenge Neu"},
    {id::LowFlowList, ControlKind::ComboBox, nullptr},
    {id::LowFlowNewUnit, ControlKind::Label, "[%]"},
    {id::SetLowFlow, ControlKind::Button, "Schl.Menge setzen"},
    {id::ZeroPoint, ControlKind::Button, "NullpunktAbgl."},
    {id::ErrorLabel, ControlKind::Label, "Akt. Fehler"},
    {id::Error, ControlKind::Field, nullptr},
    {id::ResetError, ControlKind::Button, "Reset Fehler."},
};

// A row of values: label, actual value, maximum, minimum, unit (0: none).
struct ValueRow {
    int label, now, max, min, unit;
};
// The values table as the page shows it.
inline constexpr ValueRow kValueTable[] = {
    {id::VelocityLabel, id::Velocity, id::VelocityMax, id::VelocityMin, id::VelocityUnit},
    {id::VolumeFlowLabel, id::VolumeFlow, id::VolumeFlowMax, id::VolumeFlowMin, id::VolumeFlowUnit},
    {id::TemperatureLabel, id::Temperature, id::TemperatureMax, id::TemperatureMin, id::TemperatureUnit},
};
// Every value the service report lists, in the order of the page; the
// low-flow suppression's unit is always percent.
inline constexpr ValueRow kReportedValues[] = {
    kValueTable[0], kValueTable[1], kValueTable[2],
    {id::TotaliserLabel, id::Totaliser, 0, 0, id::TotaliserUnit},
    {id::LowFlowLabel, id::LowFlow, 0, 0, 0},
};

// The unit labels, filled from the poll, in the order velocity, volume flow,
// temperature, totaliser.
inline constexpr int kUnitLabels[] = {id::VelocityUnit, id::VolumeFlowUnit, id::TemperatureUnit, id::TotaliserUnit};

// The contact boxes top to bottom with their bit in the contacts byte; the
// error contact is active while its bit is clear.
struct ContactBox {
    int control;
    std::uint8_t bit;
    bool activeWhenClear;
};
inline constexpr ContactBox kContactBoxes[] = {
    {id::LimitContact1, 0x01, false},
    {id::LimitContact2, 0x02, false},
    {id::Ready, 0x04, false},
    {id::ErrorContact, 0x08, true},
};

// The fields whose values grow old when no poll arrives (the contact boxes too).
inline constexpr int kValueFields[] = {id::Velocity,       id::VelocityMax,    id::VelocityMin,    id::VolumeFlow,
                                       id::VolumeFlowMax,  id::VolumeFlowMin,  id::Temperature,    id::TemperatureMax,
                                       id::TemperatureMin, id::Totaliser,      id::LowFlow,        id::Error};

// The buttons that send one command each.
struct CommandButton {
    int control;
    device::DeviceCommand command;
};
inline constexpr CommandButton kCommandButtons[] = {
    {id::MeasurementStart, device::DeviceCommand::StartMeasurement},
    {id::MeasurementStop, device::DeviceCommand::StopMeasurement},
    {id::ResetMax, device::DeviceCommand::ResetMaximum},
    {id::ResetMin, device::DeviceCommand::ResetMinimum},
    {id::ResetTotaliser, device::DeviceCommand::ResetTotaliser},
    {id::ResetError, device::DeviceCommand::ResetError},
};

// The keyboard's way: the values table row by row, then the boxes below left to right.
inline constexpr int kTabChain[] = {
    id::Velocity,    id::VelocityMax,    id::VelocityMin,    id::VolumeFlow,     id::VolumeFlowMax,
    id::VolumeFlowMin, id::Temperature,  id::TemperatureMax, id::TemperatureMin, id::Totaliser,
    id::ResetTotaliser, id::ResetMax,    id::ResetMin,       id::MeasurementStart, id::MeasurementStop,
    id::RecordStart, id::RecordStop,     id::LowFlow,        id::LowFlowList,    id::SetLowFlow,
    id::ZeroPoint,   id::Error,          id::ResetError,
};

// Which of the variant's functions each control stands for, in the order the
// page applies them: the low-flow suppression group, then the contacts.
struct FunctionControl {
    int control;
    core::variants::OperationFunction function;
};
inline constexpr FunctionControl kVariantControls[] = {
    {id::LowFlow, core::variants::OperationFunction::LowFlowSuppression},
    {id::LowFlowList, core::variants::OperationFunction::LowFlowSuppression},
    {id::LowFlowNewLabel, core::variants::OperationFunction::LowFlowSuppression},
    {id::LowFlowLabel, core::variants::OperationFunction::LowFlowSuppression},
    {id::LowFlowUnit, core::variants::OperationFunction::LowFlowSuppression},
    {id::LowFlowNewUnit, core::variants::OperationFunction::LowFlowSuppression},
    {id::LimitContact1, core::variants::OperationFunction::LimitContact1},
    {id::LimitContact2, core::variants::OperationFunction::LimitContact2},
    {id::Ready, core::variants::OperationFunction::Ready},
    {id::ErrorContact, core::variants::OperationFunction::ErrorContact},
};

} // namespace trgui::pages::operation
