#include "device/serial_link.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace trgui::device {

namespace {
std::atomic<std::uint64_t> linksMade{0};
} // namespace

SerialLink::SerialLink() : serial_(++linksMade) {}

void SerialLink::pause(int milliseconds)
{
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace trgui::device
