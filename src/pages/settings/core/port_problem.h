#pragma once

// What the Settings page says when the device cannot be reached, in the
// program's language, with what fixes it.

#include "device/serial_port.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace trgui::pages::settings {

enum class PortProblem {
    NoPermission,  // the device's group may open it, the user is not in it: usermod
    LogInAgain,    // the user is in that group, but not yet in this login
    OwnerOnly,     // no group may open it (or only root): the administrator
    StaleLock,     // a lock file left by a program that has ended, which Qt could not remove
    UnknownLock,   // a lock file that cannot be read
    InUse,
    NotPresent,
    NoAnswer,
    Unrecognised,  // the device replies, but not with the identification a connection needs
    Other,
};

// Which of them a failed open is, from the facts it carries: a lock file goes
// before the device's permissions (it is what Qt tried first); a user who may
// open the device has another problem than permission, told in the system's words.
PortProblem problemOf(const device::OpenFailure& failure);

// The sentence for a port that did not open (failure) or a device that did
// not answer on an open port (failure.kind ignored, problem NoAnswer; with
// Unrecognised, failure.refusedReply is what it replied), for
// language 0 German, 1 English, 2 French. It names portName and
// failure.device, and the fix for failure.user. Where ports are Windows' COM
// names (failure.comNames), a port in use or not present is told in
// Windows' terms, with Device Manager.
QString portProblemText(PortProblem problem, const device::OpenFailure& failure, const QString& portName, int language);

// Bytes as the wire trace writes them: "50 04 11 65 00".
QString hexText(const std::vector<std::uint8_t>& bytes);

} // namespace trgui::pages::settings
