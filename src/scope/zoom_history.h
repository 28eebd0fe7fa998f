#pragma once

// Whether the chart shows a view of the user's own, and the views to go back
// and forth between, free of any window. A view is the span of each axis:
// the X axis, the main Y axis, then the additional ones.

#include "scope/axis_ranges.h"

#include <optional>
#include <vector>

namespace trgui::scope {

using ZoomView = std::vector<Span>;

class ZoomHistory {
public:
    // The user leaves the view shown (current) for one of their own: current
    // is where Undo goes back to, and nothing is left to redo.
    void leave(ZoomView current);
    // The view to show instead of current, which the other direction then
    // goes back to; nothing when there is none to go to. The chart stays
    // zoomed, even back at the view it showed before the first zoom: new
    // samples do not move it until the zoom is off.
    std::optional<ZoomView> undo(ZoomView current);
    std::optional<ZoomView> redo(ZoomView current);
    // The chart follows its data again: no view of the user's own, nothing to undo or redo.
    void off();
    // Forgets the views to go back and forth to; the view shown stays.
    void forget();

    bool zoomed() const { return zoomed_; }
    bool canUndo() const { return !undo_.empty(); }
    bool canRedo() const { return !redo_.empty(); }

private:
    static std::optional<ZoomView> step(std::vector<ZoomView>& from, std::vector<ZoomView>& to, ZoomView current);

    std::vector<ZoomView> undo_;
    std::vector<ZoomView> redo_;
    bool zoomed_ = false;
};

} // namespace trgui::scope
