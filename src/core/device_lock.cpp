#include "core/device_lock.h"

namespace trgui::core {

DeviceLock& deviceLock()
{
    static DeviceLock lock;
    return lock;
}

} // namespace trgui::core
