#pragma once

#include <atomic>
#include <mutex>

namespace trgui::core {

// The one lock that serialises exchanges on the serial line. Recursive, and
// whether anybody holds it can be asked: the cycle stands aside for a tick
// when a page holds it (while that page's message box runs its own event loop
// on the same thread).
class DeviceLock {
public:
    void lock()
    {
        mutex_.lock();
        ++depth_;
    }
    void unlock()
    {
        --depth_;
        mutex_.unlock();
    }
    bool isHeld() const { return depth_.load() > 0; }

private:
    std::recursive_mutex mutex_;
    std::atomic<int> depth_{0};
};

// The process-wide instance; it exists before the main window and outlives it.
DeviceLock& deviceLock();

using DeviceLockGuard = std::lock_guard<DeviceLock>;

} // namespace trgui::core
