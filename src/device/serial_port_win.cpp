// The port layer on Windows: ports are opened by their COM names, Windows
// lists them with their adapters' descriptions and makers, and a port is
// open for one program at a time.
#include "device/serial_port_system.h"


namespace trgui::device {

OpenFailure openFailure(QSerialPort::SerialPortError error, const QString& text, const std::string& device)
{
    OpenFailure failure;
    failure.device = device;
    failure.systemText = text;
    failure.comNames = true;
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        // ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_INVALID_NAME
        failure.kind = OpenFailure::Kind::NotPresent;
        break;
    case QSerialPort::PermissionError:
        // ERROR_ACCESS_DENIED: Windows gives a port to one program at a
        // time, and tells a port another program has open by this code,
        // the same as a port this user may not open.
        failure.kind = OpenFailure::Kind::InUse;
        failure.user = {qEnvironmentVariable("USERNAME"), {}, {}};
        break;
    default:
        failure.kind = OpenFailure::Kind::Other;
        break;
    }
    return failure;
}

std::vector<PortFacts> systemPorts()
{
    std::vector<PortFacts> ports = portsQtKnows();
    return ports;
}

} // namespace trgui::device
