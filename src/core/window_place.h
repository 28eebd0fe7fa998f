#pragma once

#include <QRect>
#include <QSize>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class QLockFile;

namespace trgui::core {

// The window's place as kept in the settings file ([FENSTER] GEOMETRIE):
// x,y of the frame's top left corner, then width,height of the inside, in
// plain decimal integers ("120,80,1200,700"), the way move() and resize() take them.
std::string windowGeometryText(const QRect& place);
// The place from such a text; nothing for anything else, or a size of zero.
std::optional<QRect> parseWindowGeometry(std::string_view text);

// place (frame corner and inside size, as above) moved and shrunk so that the
// window, its frame included (frame: the width and height the frame adds),
// lies within screen, the screen's available area: a window kept from a
// screen that is gone comes back on this one, and never larger than it.
QRect placeOnScreen(const QRect& place, const QRect& screen, const QSize& frame);

// How far a second copy's window opens from the first's, right and down.
inline constexpr int kSecondCopyOffset = 40;

// Marks a running copy of the program beside its settings file
// ("<settings file>.running") for as long as the object lives. The first copy
// holds the mark; a mark left by a copy that died is taken over.
class RunningCopyMark {
public:
    explicit RunningCopyMark(const std::string& settingsFilePath);
    ~RunningCopyMark();
    RunningCopyMark(const RunningCopyMark&) = delete;
    RunningCopyMark& operator=(const RunningCopyMark&) = delete;

    // False when another copy was running when this one started. Where no
    // mark can be made at all (a read-only folder) every copy is first, as
    // though it ran alone.
    bool first() const { return first_; }

private:
    std::unique_ptr<QLockFile> lock_;
    bool first_ = false;
};

} // namespace trgui::core
