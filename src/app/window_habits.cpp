#include "app/window_habits.h"

#include "core/window_place.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace trgui::app {

namespace {
// What frame and title bar add before the window has them.
constexpr QSize kFrameRoom(16, 48);
constexpr QSize kStartSize(860, 600);
} // namespace

void restoreWindowPlace(QWidget& window, const core::SettingsRecord& settings, bool firstCopy)
{
    QRect place = settings.windowGeometry;
    const QScreen* screen = place.isValid() ? QGuiApplication::screenAt(place.center()) : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen) {
        window.resize(place.isValid() ? place.size() : kStartSize);
        return;
    }
    const QRect room = screen->availableGeometry();
    if (!place.isValid()) {
        const QSize size = kStartSize.boundedTo(room.size() - kFrameRoom);
        if (firstCopy) {
            window.resize(size);  // where the system puts it
            return;
        }
        // Where the first copy was put: the middle of the screen.
        const QSize whole = size + kFrameRoom;
        place = QRect(room.topLeft() + QPoint((room.width() - whole.width()) / 2, (room.height() - whole.height()) / 2),
                      size);
    }
    if (!firstCopy)
        place.translate(core::kSecondCopyOffset, core::kSecondCopyOffset);
    place = core::placeOnScreen(place, room, kFrameRoom);
    window.resize(place.size());
    window.move(place.topLeft());
    if (settings.windowMaximised)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void keepWindowPlace(const QWidget& window, int page, core::SettingsRecord& settings)
{
    // The place it has when not maximised: that inside, with the frame's
    // corner where it is now relative to the inside.
    const QRect inside = window.normalGeometry();
    if (!inside.isValid())
        return;
    const QPoint frameCorner = window.pos() - window.geometry().topLeft();
    settings.windowGeometry = QRect(inside.topLeft() + frameCorner, inside.size());
    settings.windowMaximised = window.isMaximized();
    settings.page = page;
}

} // namespace trgui::app
