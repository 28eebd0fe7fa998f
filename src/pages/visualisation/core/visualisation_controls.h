#pragma once

#include "texts/page_controls.h"

namespace trgui::pages::visualisation {

using texts::ControlDef;
using texts::ControlKind;

// The controls of the Visualisation page, each named once, with their
// built-in captions. The ids are the ones the language files address.
namespace id {
inline constexpr int Chart = 1130;  // the frame the chart is drawn in
inline constexpr int PlotStart = 1131;
inline constexpr int PlotStop = 1132;
inline constexpr int Clear = 1133;
inline constexpr int OpenRecording = 1134;
} // namespace id

inline constexpr ControlDef kControls[] = {
    {id::Chart, ControlKind::Frame, nullptr},
    {id::PlotStart, ControlKind::Button, "Plot Start"},
    {id::PlotStop, ControlKind::Button, "Plot Stop"},
    {id::Clear, ControlKind::Button, "Clear"},
    {id::OpenRecording, ControlKind::Button, "Open recording"},
};

// The buttons below the chart, top to bottom.
inline constexpr int kButtons[] = {id::PlotStart, id::PlotStop, id::Clear, id::OpenRecording};

} // namespace trgui::pages::visualisation
