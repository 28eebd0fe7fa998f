#pragma once

// What differs between operating systems, in one place: the device a COM name
// opens, who holds a port's lock file, syncing files to disk and replacing
// them, where a user's files go, ending cleanly when the system asks, living
// through a file size limit, and Windows-1252 text. One file per system
// (platform_posix.cpp, platform_win.cpp); platform.cpp holds what they share.

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class QObject;

namespace trgui::platform {

// The separator the program puts between folder names; Windows also takes '/'.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif
constexpr bool isPathSeparator(char c)
{
    return c == '/' || c == kPathSeparator;
}

// Whether ports are found through the settings file's [COM] section and the
// device nodes below, or opened by their COM names as they are.
#ifdef _WIN32
inline constexpr bool kPortsAreDeviceNodes = false;
#else
inline constexpr bool kPortsAreDeviceNodes = true;
#endif

// The device COMn opens when the settings file names none: COM1-COM4
// /dev/ttyUSB0-3, COM5-COM6 /dev/ttyACM0-1, COM7-COM9 /dev/ttyS0-2.
std::string defaultPortDevice(const std::string& comName);

// A port's lock file (LCK..ttyUSB0 in /var/lock and the other usual places),
// as other serial programs and Qt leave it while they have the port open.
struct PortLock {
    QString path;
    qint64 pid = 0;          // the process it names; 0 when the file cannot be read
    QString name;            // that process's name, when known
    bool running = false;    // the process runs (and is the one that made the file)
    bool removable = false;  // this user may delete the file
};
// The lock file of device, looked for under the name given and under the
// device a link leads to; a running holder's file before a stale one.
std::optional<PortLock> portLock(const std::string& device);

// Who may open a device node: its owner, group and permission bits.
struct NodeAccess {
    bool known = false;  // false where the system tells none of it
    QString owner;
    QString group;
    unsigned mode = 0;  // e.g. 0660
};
NodeAccess nodeAccess(const std::string& device);

// The user this program runs as, and the groups that count.
struct UserGroups {
    QString user;
    QStringList login;   // the groups of this login (of the process)
    QStringList member;  // the groups the group database lists the user in
};
UserGroups userGroups();

// Flushes the file and has the system write it to the disk.
bool syncFile(QFile& file);
// Has the system write the folder's entries (a rename into it) to the disk.
bool syncFolder(const std::filesystem::path& folder);
// Renames from to to, replacing a file of that name in one step, so a reader
// finds the old file or the new one, never none. False with the system's
// reason in why.
bool replaceFile(const QString& from, const QString& to, QString* why = nullptr);

// The folders below which the program keeps a user's own files, in its
// "TR-GUI" subfolder: the settings when the program folder is not writable,
// and the service log. $XDG_CONFIG_HOME and $XDG_DATA_HOME here; on Windows
// both %APPDATA%, where a roaming profile follows the user. Empty when the
// system tells none.
QString userSettingsBase();
QString userDataBase();

// Whether writeFileWhole and moveIntoPlace may replace a file that is there.
enum class Existing { Replace, Keep };

// Writes bytes to path whole or not at all: into a new file in the same
// folder, synced to disk and checked, then moved in place of path in one
// step. Whatever fails, path keeps what it held (or stays absent), the new
// file is removed and why holds the system's reason ("No space left on
// device", "File too large", "File exists" for Keep). A path that is a
// device or a pipe (/dev/stdout) is written directly.
bool writeFileWhole(const QString& path, const QByteArray& bytes, Existing existing = Existing::Replace,
                    QString* why = nullptr);

// Whether a file can be made at path, found out before anything depends on
// it: a file that is there can be; otherwise path is created empty and
// removed again, so the system's own rules for names and folders decide (a
// "?" in a name on Windows, a missing or read-only folder). False with the
// system's reason in why.
bool canMakeFile(const QString& path, QString* why = nullptr);

// Moves the file from to the name to in one step, so that a reader finds the
// old file or the new one, never a part, and has the system write the
// folder's entry to disk. With Keep an existing to stays and the move fails.
bool moveIntoPlace(const QString& from, const QString& to, Existing existing, QString* why = nullptr);

// While one lives, a request to end (SIGINT, SIGTERM, SIGHUP: Ctrl+C, kill, a
// closed terminal) waits, so that what was sent to the device gets its record
// first. The destructor puts the previous handling back and passes on a
// request that came and was not taken. One at a time.
class TerminationHold {
public:
    TerminationHold();
    ~TerminationHold();
    TerminationHold(const TerminationHold&) = delete;
    TerminationHold& operator=(const TerminationHold&) = delete;
    // The first request that came ("SIGINT"), which the caller now answers
    // itself; empty when none came.
    QString take();
};

// Calls handler (on context's thread) once the system asks the program to
// end: logout, shutdown, kill, Ctrl+C; on Windows also closing the console
// window, and a window's session ending. Windows ends the program as soon as
// the handler has returned for a session's end, so whatever must be kept is
// saved by the handler itself, not after the event loop.
void onTermination(QObject* context, std::function<void()> handler);

// A write beyond the file size limit (ulimit -f) fails like a full disk
// ("File too large") instead of ending the program in the middle of a line.
void writeOnAtFileSizeLimit();

// Standard output and error pass their bytes as the program writes them, on
// every system: data lines end as written ("\n", and "\r\n" for CSV rows),
// where Windows would make each "\n" a "\r\n" (a CSV row "\r\r\n"), and
// UTF-8 texts show as such in a Windows console, not in its old code page.
void plainStandardStreams();

// The program's arguments after its name, as the user typed them: on Windows
// from the wide command line, so that a "Łódź" outside the code page stays
// whole; elsewhere argv in the system's encoding.
QStringList commandLineArguments(int argc, char** argv);

// Writes all of bytes to an open file. A write cut short (a full disk, a file
// size limit) is followed by another for the rest, which fails with the
// system's reason in file.errorString() ("No space left on device"), not
// Qt's "Unknown error" of a short write. False when not all was written.
bool writeWhole(QFile& file, const QByteArray& bytes);

// Lets a program that draws (a report's PDF) start QtGui without a display:
// the window-free platform plugin here, unless QT_QPA_PLATFORM says otherwise.
// Windows needs none: its own plugin draws with the system's fonts, where the
// window-free one would find none. Called before the application is made.
void drawWithoutDisplay();

// Whether the standard stream fd (0 in, 1 out, 2 error) is a terminal.
bool isTerminal(int fd);

// Whether a process with this id runs (when it cannot be told: true).
bool processRuns(qint64 pid);

// The files the program reads and writes for the technician (language files,
// recordings, CSV, the service log) are Windows-1252. A character it cannot
// hold is written as '?'; every byte decodes (the five unassigned ones to
// the control characters of the same number, as Windows does).
QString fromWindows1252(QByteArrayView bytes);
QByteArray toWindows1252(QStringView text);

} // namespace trgui::platform
