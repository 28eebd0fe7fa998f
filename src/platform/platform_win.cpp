// The Windows side of the platform interface.

#include "platform/platform.h"

#include <io.h>
#include <windows.h>

namespace trgui::platform {


std::string defaultPortDevice(const std::string& comName)
{
    return comName;
}

std::optional<PortLock> portLock(const std::string&)
{
    return std::nullopt;  // Windows opens a port exclusively and tells who has it no further
}

NodeAccess nodeAccess(const std::string&)
{
    return {};
}

UserGroups userGroups()
{
    return {qEnvironmentVariable("USERNAME"), {}, {}};
}

bool syncFile(QFile& file)
{
    return file.flush() && _commit(file.handle()) == 0;
}

bool syncFolder(const std::filesystem::path&)
{
    return true;  // a rename is complete on disk when it returns
}

bool moveIntoPlace(const QString& from, const QString& to, Existing existing, QString* why)
{
    // Written through: the rename is on disk when it returns.
    DWORD flags = MOVEFILE_WRITE_THROUGH;
    if (existing == Existing::Replace)
        flags |= MOVEFILE_REPLACE_EXISTING;
    if (MoveFileExW(reinterpret_cast<const wchar_t*>(from.utf16()), reinterpret_cast<const wchar_t*>(to.utf16()), flags))
        return true;
    if (why)
        *why = qt_error_string(static_cast<int>(GetLastError()));
    return false;
}

// Not yet: a Windows build would hold the console's Ctrl+C here.
TerminationHold::TerminationHold() = default;
TerminationHold::~TerminationHold() = default;
QString TerminationHold::take()
{
    return {};
}

void onTermination(QObject*, std::function<void()>)
{
    // Not yet: a Windows build would end through the console control handler here.
}

void writeOnAtFileSizeLimit()
{
    // Windows has no file size limit signal.
}

bool processRuns(qint64)
{
    return true;  // never clears up after a session that may still run
}

bool isTerminal(int fd)
{
    return _isatty(fd) != 0;
}



} // namespace trgui::platform
