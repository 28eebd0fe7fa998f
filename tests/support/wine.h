#pragma once

// A suite built for Windows runs under Wine, beside the Linux programs it
// needs (the simulator, pdftotext). These reach them.

#include <QString>

#include <string>

namespace trgui::testing::wine {

// The Linux path of a Windows one, as Wine maps it; empty when not under Wine.
std::string unixPath(const QString& windowsPath);

// Starts "/bin/sh -c shellCommand" on the Linux side. Wine gives no handle to
// wait on and no pipe: what the command makes, it leaves in files.
bool startLinux(const QString& shellCommand);

} // namespace trgui::testing::wine
