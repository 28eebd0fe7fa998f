// The Windows side of platform.h.
#include "platform/platform.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QDir>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <utility>

#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

namespace trgui::platform {

namespace {

// The system's message for a Windows error code, without the line end.
QString systemMessage(DWORD code)
{
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                            | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString message = length > 0 ? QString::fromWCharArray(text, static_cast<qsizetype>(length)).trimmed()
                                 : QStringLiteral("error %1").arg(code);
    LocalFree(text);
    return message;
}

std::wstring nativePath(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

QString knownFolder(const KNOWNFOLDERID& id)
{
    wchar_t* path = nullptr;
    QString folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path)))
        folder = QDir::fromNativeSeparators(QString::fromWCharArray(path));
    CoTaskMemFree(path);
    return folder;
}

} // namespace

std::string defaultPortDevice(const std::string& comName)
{
    return comName;  // Windows opens COM1 … COM256 by these names
}

std::optional<PortLock> portLock(const std::string&)
{
    return std::nullopt;  // Windows opens a port for one program and keeps no lock files
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
    if (!file.flush())
        return false;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(file.handle()));
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != 0;
}

bool syncFolder(const std::filesystem::path&)
{
    return true;  // the rename (replaceFile) is written through to the disk before it returns
}

bool moveIntoPlace(const QString& from, const QString& to, Existing existing, QString* why)
{
    // Written through: the rename is on disk when it returns.
    DWORD flags = MOVEFILE_WRITE_THROUGH;
    if (existing == Existing::Replace)
        flags |= MOVEFILE_REPLACE_EXISTING;
    if (MoveFileExW(nativePath(from).c_str(), nativePath(to).c_str(), flags) != 0)
        return true;
    if (why)
        *why = systemMessage(GetLastError());
    return false;
}

namespace {

// %APPDATA% as the user's session sets it, else where the system keeps it.
// The variable comes first so that a profile redirected by it, or a run given
// a folder of its own (the tests), is followed.
QString roamingFolder()
{
    const QString set = qEnvironmentVariable("APPDATA");
    return set.isEmpty() ? knownFolder(FOLDERID_RoamingAppData) : QDir::fromNativeSeparators(set);
}

} // namespace

QString userSettingsBase()
{
    return roamingFolder();
}

QString userDataBase()
{
    return roamingFolder();
}

namespace {

// The one handler, reached from the console's control thread and from the
// window procedure at a session's end.
struct Termination {
    QPointer<QObject> context;
    std::function<void()> handler;
    std::atomic<bool> asked{false};
};
Termination* termination = nullptr;
std::once_flag installed;

// Runs the handler on its context's thread and, when wait, returns once it
// has run. Only the first request counts.
void requestTermination(bool wait)
{
    if (!termination || termination->asked.exchange(true))
        return;
    QObject* context = termination->context.data();
    if (!context)
        return;
    const bool sameThread = context->thread() == QThread::currentThread();
    QMetaObject::invokeMethod(context, [] { termination->handler(); },
                              sameThread ? Qt::DirectConnection
                                         : (wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection));
}

BOOL WINAPI onConsoleControl(DWORD event)
{
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
        requestTermination(false);
        return TRUE;  // the program ends by itself
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        // Windows ends the process when this returns: the handler runs
        // first, then the program has until the system's time-out to finish.
        requestTermination(true);
        Sleep(INFINITE);
        return TRUE;
    default:
        return FALSE;
    }
}

// A window's session end. Qt answers WM_QUERYENDSESSION; once WM_ENDSESSION
// says the session does end, the process ends as soon as the window
// procedure returns, so the handler runs there, at once, before Qt's own part.
class SessionEndFilter final : public QAbstractNativeEventFilter {
public:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "windows_generic_MSG")
            return false;
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_ENDSESSION && msg->wParam)
            requestTermination(false);
        return false;
    }
};

// Ctrl+C and Ctrl+Break are what a console program is asked to end by; a
// hold answers them itself until its record is written.
std::atomic<int> heldControl{-1};

BOOL WINAPI holdControl(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;  // closing the console, logoff, shutdown: the handlers below
    int none = -1;
    heldControl.compare_exchange_strong(none, static_cast<int>(event));
    return TRUE;
}

QString controlName(int event)
{
    switch (event) {
    case CTRL_C_EVENT: return QStringLiteral("Ctrl+C");
    case CTRL_BREAK_EVENT: return QStringLiteral("Ctrl+Break");
    default: return {};
    }
}

} // namespace

TerminationHold::TerminationHold()
{
    heldControl = -1;
    SetConsoleCtrlHandler(holdControl, TRUE);  // asked first: the newest handler is
}

TerminationHold::~TerminationHold()
{
    SetConsoleCtrlHandler(holdControl, FALSE);
    // A request nobody took goes on to the handlers that were there before.
    if (const int event = heldControl.exchange(-1); event >= 0)
        GenerateConsoleCtrlEvent(static_cast<DWORD>(event), 0);
}

QString TerminationHold::take()
{
    return controlName(heldControl.exchange(-1));
}

void onTermination(QObject* context, std::function<void()> handler)
{
    std::call_once(installed, [&] {
        termination = new Termination;  // lives as long as the process: the console thread may still call
        termination->context = context;
        termination->handler = std::move(handler);
        SetConsoleCtrlHandler(onConsoleControl, TRUE);
        if (auto* app = QCoreApplication::instance()) {
            auto* filter = new SessionEndFilter;
            app->installNativeEventFilter(filter);
            QObject::connect(context, &QObject::destroyed, app, [app, filter] {
                app->removeNativeEventFilter(filter);
                delete filter;
            });
        }
    });
}

void writeOnAtFileSizeLimit()
{
    // Windows has no file size limit that ends a program.
}

namespace {

UINT consoleCodePage = 0;  // the console's own, given back at the end

void restoreConsoleCodePage()
{
    SetConsoleOutputCP(consoleCodePage);
}

} // namespace

void plainStandardStreams()
{
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    // The console is the user's (a cmd.exe goes on in it): its code page is
    // set back when the program ends.
    const UINT before = GetConsoleOutputCP();
    if (before != 0 && before != CP_UTF8 && SetConsoleOutputCP(CP_UTF8)) {
        consoleCodePage = before;
        std::atexit(restoreConsoleCodePage);
    }
}

void drawWithoutDisplay()
{
    // The Windows plugin needs no display and finds the system's fonts.
}

bool isTerminal(int fd)
{
    return _isatty(fd) != 0;
}

bool processRuns(qint64 pid)
{
    if (pid <= 0)
        return false;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return GetLastError() != ERROR_INVALID_PARAMETER;  // no such process; access denied: it runs
    DWORD code = 0;
    const bool running = GetExitCodeProcess(process, &code) != 0 && code == STILL_ACTIVE;
    CloseHandle(process);
    return running;
}

// Qt for Windows has no Windows-1252 converter without ICU; Windows itself has one.
QString fromWindows1252(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return {};
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(1252, 0, bytes.data(), size, nullptr, 0);
    QString text(length, Qt::Uninitialized);
    MultiByteToWideChar(1252, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(text.data()), length);
    return text;
}

QByteArray toWindows1252(QStringView text)
{
    if (text.isEmpty())
        return {};
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(1252, 0, wide, size, nullptr, 0, "?", nullptr);
    QByteArray bytes(length, Qt::Uninitialized);
    WideCharToMultiByte(1252, 0, wide, size, bytes.data(), length, "?", nullptr);
    return bytes;
}

QStringList commandLineArguments(int argc, char** argv)
{
    // argv holds the command line in the ANSI code page, where letters
    // beyond it have become others ("Ł" an "L").
    QStringList arguments;
    int count = 0;
    if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            arguments << QString::fromWCharArray(wide[i]);
        LocalFree(wide);
        return arguments;
    }
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace trgui::platform
