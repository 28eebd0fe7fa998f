#pragma once

#include "texts/page_controls.h"

namespace trgui::pages::settings {

using texts::ControlKind;
using texts::ControlDef;

// The controls of the Settings page with their built-in captions.
inline constexpr ControlDef kControls[] = {
    {1001, ControlKind::ComboBox, nullptr},
    {1006, ControlKind::Label, "COM-Schnittstelle"},
    {1007, ControlKind::Image, nullptr},
    {1008, ControlKind::Image, nullptr},
    {1004, ControlKind::ComboBox, nullptr},
    {1005, ControlKind::Label, "Sprache"},
    {1009, ControlKind::Field, nullptr},
    {1010, ControlKind::Label, "HW-Version"},
    {1011, ControlKind::Field, nullptr},
    {1012, ControlKind::Label, "SW-Version"},
    {1098, ControlKind::Edit, nullptr},
    {1099, ControlKind::Label, "Refreshrate Betrieb"},
    {1122, ControlKind::Image, nullptr},
    {1056, ControlKind::CheckBox, "Ausgrauen statt Ausblenden"},
    {1, ControlKind::Button, "OK"},
};

} // namespace trgui::pages::settings
