#pragma once

#include "texts/page_controls.h"

namespace trgui::pages::settings {

using texts::ControlDef;
using texts::ControlKind;

// The controls of the Settings page, each named once, with their built-in
// captions. The ids are the ones the language files address.
namespace id {
inline constexpr int ComList = 1001;
inline constexpr int ComLabel = 1006;
inline constexpr int GreenLamp = 1007;
inline constexpr int RedLamp = 1008;
inline constexpr int LanguageList = 1004;
inline constexpr int LanguageLabel = 1005;
inline constexpr int Model = 1009;
inline constexpr int ModelLabel = 1010;
inline constexpr int Version = 1011;
inline constexpr int VersionLabel = 1012;
inline constexpr int Refresh = 1098;
inline constexpr int RefreshLabel = 1099;
inline constexpr int RefreshMarker = 1122;
inline constexpr int GreyOut = 1056;
inline constexpr int Ok = 1;  // part of the page, never shown
} // namespace id

inline constexpr ControlDef kControls[] = {
    {id::ComList, ControlKind::ComboBox, nullptr},
    {id::ComLabel, ControlKind::Label, "COM-Schnittstelle"},
    {id::GreenLamp, ControlKind::Image, nullptr},
    {id::RedLamp, ControlKind::Image, nullptr},
    {id::LanguageList, ControlKind::ComboBox, nullptr},
    {id::LanguageLabel, ControlKind::Label, "Sprache"},
    {id::Model, ControlKind::Field, nullptr},
    {id::ModelLabel, ControlKind::Label, "HW-Version"},
    {id::Version, ControlKind::Field, nullptr},
    {id::VersionLabel, ControlKind::Label, "SW-Version"},
    {id::Refresh, ControlKind::Edit, nullptr},
    {id::RefreshLabel, ControlKind::Label, "Refreshrate Betrieb"},
    {id::RefreshMarker, ControlKind::Image, nullptr},
    {id::GreyOut, ControlKind::CheckBox, "Ausgrauen statt Ausblenden"},
    {id::Ok, ControlKind::Button, "OK"},
};

// The keyboard's way through the page.
inline constexpr int kTabChain[] = {id::ComList, id::LanguageList, id::Model, id::Version, id::Refresh};

} // namespace trgui::pages::settings
