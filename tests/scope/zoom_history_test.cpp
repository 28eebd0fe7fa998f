// The chart's zoom history without a window: views of the user's own, undo,
// redo and the way back to following the data.

#include "scope/zoom_history.h"

#include <gtest/gtest.h>

using namespace trgui::scope;

namespace {

ZoomView view(double x)
{
    return {{x, x + 1}, {0, 10}};
}

} // namespace

TEST(ZoomHistory, undoAndRedoWalkTheViewsAndANewZoomEndsRedo)
{
    ZoomHistory zoom;
    EXPECT_FALSE(zoom.zoomed());
    EXPECT_FALSE(zoom.undo(view(0))) << "nothing to undo";
    EXPECT_FALSE(zoom.zoomed()) << "an empty undo shows no view of the user's own";

    zoom.leave(view(0));  // the full view, left for view 1
    zoom.leave(view(1));  // view 1, left for view 2
    EXPECT_TRUE(zoom.zoomed());
    EXPECT_EQ(zoom.undo(view(2)), view(1));
    EXPECT_EQ(zoom.undo(view(1)), view(0));
    EXPECT_FALSE(zoom.canUndo());
    EXPECT_TRUE(zoom.zoomed()) << "the first view, shown again by undo, is still the user's";
    EXPECT_EQ(zoom.redo(view(0)), view(1));
    EXPECT_TRUE(zoom.canUndo());
    EXPECT_TRUE(zoom.canRedo());

    zoom.leave(view(1));  // a new zoom from view 1
    EXPECT_FALSE(zoom.canRedo()) << "what was undone before is gone";
    EXPECT_EQ(zoom.undo(view(3)), view(1));

    zoom.forget();
    EXPECT_FALSE(zoom.canUndo());
    EXPECT_FALSE(zoom.canRedo());
    EXPECT_TRUE(zoom.zoomed()) << "forgetting keeps the view shown";

    zoom.leave(view(4));
    zoom.off();
    EXPECT_FALSE(zoom.zoomed());
    EXPECT_FALSE(zoom.canUndo());
}
