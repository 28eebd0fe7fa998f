#pragma once

#include "serial_link.h"
#include "serial_port.h"
#include "settings_record.h"

#include <memory>

namespace trgui::app {

// The main window's place for the current serial port, or none. Everybody
// reaches it through its address and looks the port up afresh for every
// exchange, so a replacement is seen at once.
using PortSlot = std::unique_ptr<device::SerialLink>;

// "COMn" resolved through section [COM] of the settings file, else the
// default device map.
device::PortNameResolver portResolver(const SettingsRecord& settings);

} // namespace trgui::app
