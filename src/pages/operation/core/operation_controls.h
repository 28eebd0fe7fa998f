#pragma once

#include "texts/page_controls.h"

namespace trgui::pages::operation {

// The controls of the Operation page with their built-in captions.

using texts::ControlKind;
using texts::ControlDef;

inline constexpr ControlDef kControls[] = {
    {1095, ControlKind::Label, "Akt"},
    {1096, ControlKind::Label, "Max"},
    {1097, ControlKind::Label, "Min"},
    {1092, ControlKind::Label, "Strömungsgeschwindigkeit"},
    {1091, ControlKind::Field, nullptr},
    {1093, ControlKind::Field, nullptr},
    {1094, ControlKind::Field, nullptr},
    {1098, ControlKind::Label, "m/s"},
    {1100, ControlKind::Label, "Volumenstrom"},
    {1099, ControlKind::Field, nullptr},
    {1101, ControlKind::Field, nullptr},
    {1102, ControlKind::Field, nullptr},
    {1103, ControlKind::Label, "l/s"},
    {1105, ControlKind::Label, "Temperatur"},
    {1104, ControlKind::Field, nullptr},
    {1106, ControlKind::Field, nullptr},
    {1107, ControlKind::Field, nullptr},
    {1108, ControlKind::Label, "Celsius"},
    {1121, ControlKind::Label, "Totalisator"},
    {1120, ControlKind::Field, nullptr},
    {1122, ControlKind::Label, "[%]"},
    {1109, ControlKind::Button, "Reset Max"},
    {1110, ControlKind::Button, "Reset Min"},
    {1111, ControlKind::Button, "Reset Tot."},
    {1114, ControlKind::CheckBox, "Grenzkontakt 1"},
    {1116, ControlKind::CheckBox, "Grenzkontakt 2"},
    {1115, ControlKind::CheckBox, "Betriebsbereit"},
    {1123, ControlKind::CheckBox, "FehlerKontakt"},
    {1124, ControlKind::Button, "Messung Start"},
    {1125, ControlKind::Button, "Messung Stop"},
    {1126, ControlKind::Button, "Aufzeichnung Start"},
    {1127, ControlKind::Button, "Aufzeichnung Stop"},
    {1129, ControlKind::Image, nullptr},
    {1155, ControlKind::Label, "Schl.-Menge Akt"},
    {1130, ControlKind::Field, nullptr},
    {1119, ControlKind::Label, "[%]"},
    {1113, ControlKind::Label, "Schleichmenge Neu"},
    {1112, ControlKind::ComboBox, nullptr},
    {1131, ControlKind::Label, "[%]"},
    {1153, ControlKind::Button, "Schl.Menge setzen"},
    {1154, ControlKind::Button, "NullpunktAbgl."},
    {1118, ControlKind::Label, "Akt. Fehler"},
    {1117, ControlKind::Field, nullptr},
    {1128, ControlKind::Button, "Reset Fehler."},
};

} // namespace trgui::pages::operation
