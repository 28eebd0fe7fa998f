#include "device/serial_link.h"

#include <chrono>
#include <thread>

namespace trgui::device {

void SerialLink::pause(int milliseconds)
{
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace trgui::device
