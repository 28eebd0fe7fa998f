// The port layer on Linux and the other POSIX systems: device nodes, lock
// files, groups, and the names under /dev/serial/by-id that stay.
#include "device/serial_port_system.h"

#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>

namespace trgui::device {

OpenFailure openFailure(QSerialPort::SerialPortError error, const QString& text, const std::string& device)
{
    OpenFailure failure;
    failure.device = device;
    failure.systemText = text;
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        failure.kind = OpenFailure::Kind::NotPresent;
        break;
    case QSerialPort::PermissionError:
        // Qt says "permission" when the device refuses us, when another
        // program holds its lock file (or one that has ended left it where
        // we may not remove it), and when another program has the device
        // open exclusively: the facts are gathered to tell which.
        failure.lock = platform::portLock(device);
        failure.kind = failure.lock && failure.lock->running ? OpenFailure::Kind::InUse : OpenFailure::Kind::NoPermission;
        failure.node = platform::nodeAccess(device);
        failure.user = platform::userGroups();
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
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        const QString target = link.canonicalFilePath();
        for (PortFacts& port : ports) {
            if (port.byId.isEmpty() && port.location == target)
                port.byId = link.absoluteFilePath();
        }
    }
    return ports;
}

} // namespace trgui::device
