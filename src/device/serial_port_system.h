#pragma once

// What the port layer asks of the operating system, one source file per
// system: serial_port_posix.cpp, serial_port_win.cpp.

#include "device/serial_port.h"

#include <QSerialPort>

#include <string>

namespace trgui::device {

// Why opening device failed, from Qt's error and text, with the facts that
// tell the technician what to do.
OpenFailure openFailure(QSerialPort::SerialPortError error, const QString& text, const std::string& device);

} // namespace trgui::device
