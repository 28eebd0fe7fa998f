#pragma once

// What the Settings page says when the device cannot be reached, in the
// program's language, with what fixes it.

#include "device/serial_port.h"

#include <QString>

namespace trgui::pages::settings {

enum class PortProblem { NoPermission, InUse, NotPresent, NoAnswer, Other };

PortProblem problemOf(const device::OpenFailure& failure);

// The sentence for a port that did not open (failure) or a device that did
// not answer on an open port (failure.kind ignored, problem NoAnswer), for
// language 0 German, 1 English, 2 French. user is the login name the
// permission fix names.
QString portProblemText(PortProblem problem, const device::OpenFailure& failure, const QString& portName,
                        const QString& user, int language);

} // namespace trgui::pages::settings
