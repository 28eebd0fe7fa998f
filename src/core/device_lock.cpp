#include "device_lock.h"

namespace trgui::app {

DeviceLock& deviceLock()
{
    static DeviceLock lock;
    return lock;
}

} // namespace trgui::app
