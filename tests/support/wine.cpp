#include "support/wine.h"

#include <QDir>

#include <windows.h>

namespace trgui::testing::wine {

std::string unixPath(const QString& windowsPath)
{
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return {};
    const std::wstring path = QDir::toNativeSeparators(QDir(windowsPath).absolutePath()).toStdWString();
    char* unix = toUnix(path.c_str());
    if (!unix)
        return {};
    std::string result(unix);
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

bool startLinux(const QString& shellCommand)
{
    QString escaped = shellCommand;
    escaped.replace(QLatin1Char('"'), QLatin1String("\\\""));
    std::wstring command = (QStringLiteral("Z:/bin/sh -c \"") + escaped + QLatin1Char('"')).toStdWString();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    if (process.hProcess)
        CloseHandle(process.hProcess);
    if (process.hThread)
        CloseHandle(process.hThread);
    return true;
}

} // namespace trgui::testing::wine
