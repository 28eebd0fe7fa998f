#include "core/window_place.h"

#include <QLockFile>
#include <QString>

#include <algorithm>
#include <charconv>

namespace trgui::core {

std::string windowGeometryText(const QRect& place)
{
    return std::to_string(place.x()) + "," + std::to_string(place.y()) + "," + std::to_string(place.width()) + ","
           + std::to_string(place.height());
}

std::optional<QRect> parseWindowGeometry(std::string_view text)
{
    int values[4] = {};
    const char* at = text.data();
    const char* const end = text.data() + text.size();
    for (int i = 0; i < 4; ++i) {
        while (at < end && *at == ' ')
            ++at;
        const auto [next, error] = std::from_chars(at, end, values[i]);
        if (error != std::errc())
            return std::nullopt;
        at = next;
        while (at < end && *at == ' ')
            ++at;
        if (i < 3) {
            if (at == end || *at != ',')
                return std::nullopt;
            ++at;
        }
    }
    if (at != end || values[2] <= 0 || values[3] <= 0)
        return std::nullopt;
    return QRect(values[0], values[1], values[2], values[3]);
}

QRect placeOnScreen(const QRect& place, const QRect& screen, const QSize& frame)
{
    const QSize room = (screen.size() - frame).expandedTo(QSize(1, 1));
    const QSize size = place.size().boundedTo(room);
    // The whole frame on the screen; where it does not fit, its top left corner is.
    const auto within = [](int at, int first, int length, int screenLength) {
        return std::max(first, std::min(at, first + screenLength - length));
    };
    const int x = within(place.x(), screen.x(), size.width() + frame.width(), screen.width());
    const int y = within(place.y(), screen.y(), size.height() + frame.height(), screen.height());
    return {QPoint(x, y), size};
}

RunningCopyMark::RunningCopyMark(const std::string& settingsFilePath)
    : lock_(std::make_unique<QLockFile>(QString::fromLocal8Bit(settingsFilePath.c_str()) + QStringLiteral(".running")))
{
    // Only a mark whose process is gone is stale, however long a copy runs.
    lock_->setStaleLockTime(0);
    first_ = lock_->tryLock(0);
    if (!first_ && lock_->error() != QLockFile::LockFailedError)
        first_ = true;  // no mark can be made there (a read-only folder): nothing to tell apart
}

RunningCopyMark::~RunningCopyMark() = default;

} // namespace trgui::core
