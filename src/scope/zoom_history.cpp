#include "scope/zoom_history.h"

#include <utility>

namespace trgui::scope {

void ZoomHistory::leave(ZoomView current)
{
    undo_.push_back(std::move(current));
    redo_.clear();
    zoomed_ = true;
}

std::optional<ZoomView> ZoomHistory::undo(ZoomView current)
{
    return step(undo_, redo_, std::move(current));
}

std::optional<ZoomView> ZoomHistory::redo(ZoomView current)
{
    return step(redo_, undo_, std::move(current));
}

std::optional<ZoomView> ZoomHistory::step(std::vector<ZoomView>& from, std::vector<ZoomView>& to, ZoomView current)
{
    if (from.empty())
        return std::nullopt;
    to.push_back(std::move(current));
    ZoomView view = std::move(from.back());
    from.pop_back();
    return view;
}

void ZoomHistory::off()
{
    forget();
    zoomed_ = false;
}

void ZoomHistory::forget()
{
    undo_.clear();
    redo_.clear();
}

} // namespace trgui::scope
