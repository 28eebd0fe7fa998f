#pragma once

#include "texts/page_controls.h"

namespace trgui::pages::visualisation {

using texts::ControlKind;
using texts::ControlDef;

// The controls of the Visualisation page with their built-in captions.
inline constexpr ControlDef kControls[] = {
    {1130, ControlKind::Frame, nullptr},
    {1131, ControlKind::Button, "Plot Start"},
    {1132, ControlKind::Button, "Plot Stop"},
    {1133, ControlKind::Button, "Clear"},
    {1134, ControlKind::Button, "Open recording"},
};

} // namespace trgui::pages::visualisation
