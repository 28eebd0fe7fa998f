#pragma once

// The line at the foot of the main window that says on every page whether a
// device answers, on which port, and how old the values are, or why no
// device answers (the Settings page's own reasons).

#include "core/device_connection.h"
#include "pages/settings/core/port_problem.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace trgui::pages::settings {

// Why no device answers, as the connection found it; none while it answers
// or while it is not yet known (a lost port being opened again).
std::optional<PortProblem> problemOfReach(core::DeviceConnection::Reach reach, const device::OpenFailure& failure);

struct ConnectionFacts {
    bool answering = false;
    int port = 1;                               // COM<port>
    QString devicePath;                         // what COM<port> opens
    QString model;                              // of the answering device
    std::optional<std::uint32_t> pollAgeMs;     // since the last complete poll; none before one
    core::DeviceConnection::Reach reach = core::DeviceConnection::Reach::Unknown;
    device::OpenFailure failure;                // with the facts a permission fix names
};

// "COM1 (/dev/ttyUSB0) – KM210-DR-E1S2H1 – last poll 3 s ago", or the reason
// why no device answers, in language 0 German, 1 English, 2 French.
QString connectionLineText(const ConnectionFacts& facts, int language);

// "No device answers on COM1 (/dev/ttyUSB0)." for a page that has no values yet.
QString noDeviceText(int port, const QString& devicePath, int language);

} // namespace trgui::pages::settings
