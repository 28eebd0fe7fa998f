// The POSIX side of platform.h: Linux and the other Unix systems.
#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QObject>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iterator>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trgui::platform {

std::string defaultPortDevice(const std::string& comName)
{
    int n = 0;
    if (std::sscanf(comName.c_str(), "COM%d", &n) != 1)
        return comName;
    if (n >= 1 && n <= 4)
        return "/dev/ttyUSB" + std::to_string(n - 1);
    if (n >= 5 && n <= 6)
        return "/dev/ttyACM" + std::to_string(n - 5);
    if (n >= 7 && n <= 9)
        return "/dev/ttyS" + std::to_string(n - 7);
    return "/dev/tty" + comName;
}

namespace {

QString userName(uid_t uid)
{
    const passwd* entry = ::getpwuid(uid);
    return entry ? QString::fromLocal8Bit(entry->pw_name) : QString::number(uid);
}

QString groupName(gid_t gid)
{
    const group* entry = ::getgrgid(gid);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString::number(gid);
}

// Whether this user may delete a file in folder: write access, and in a
// sticky folder (/run/lock) only one's own files.
bool mayDeleteIn(const QString& folder, const QString& file)
{
    const QByteArray dir = QFile::encodeName(folder);
    if (::access(dir.constData(), W_OK | X_OK) != 0)
        return false;
    struct stat folderStat {};
    struct stat fileStat {};
    if (::stat(dir.constData(), &folderStat) != 0 || ::lstat(QFile::encodeName(file).constData(), &fileStat) != 0)
        return false;
    const uid_t me = ::geteuid();
    return !(folderStat.st_mode & S_ISVTX) || me == 0 || fileStat.st_uid == me || folderStat.st_uid == me;
}

std::optional<PortLock> lockFileOf(const QString& device)
{
    // Named the way serial programs name it: the device without "/dev/",
    // every further "/" made a "_". The folders are the ones Qt looks in.
    QString name = device;
    if (name.startsWith(QLatin1String("/dev/")))
        name = name.mid(5);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    QStringList folders{QStringLiteral("/var/lock"), QStringLiteral("/etc/locks"), QStringLiteral("/var/spool/locks"),
                        QStringLiteral("/var/spool/uucp"), QStringLiteral("/tmp"), QStringLiteral("/var/tmp"),
                        QStringLiteral("/var/lock/lockdev"), QStringLiteral("/run/lock"), QDir::tempPath()};
    folders.removeDuplicates();
    std::optional<PortLock> found;
    for (const QString& folder : folders) {
        const QString path = folder + QStringLiteral("/LCK..") + name;
        if (!QFileInfo::exists(path))
            continue;
        PortLock lock;
        lock.path = path;
        lock.removable = mayDeleteIn(folder, path);
        QString host;
        QString appName;
        if (QLockFile(path).getLockInfo(&lock.pid, &host, &appName)) {
            // The running program's name as Qt tells it, from its executable;
            // where that cannot be read, the first 15 characters the kernel keeps.
            const QString exe = QFileInfo(QStringLiteral("/proc/%1/exe").arg(lock.pid)).symLinkTarget();
            QString running = QFileInfo(exe).fileName();
            QString maker = QFileInfo(appName).fileName();
            if (running.isEmpty()) {
                QFile comm(QStringLiteral("/proc/%1/comm").arg(lock.pid));
                if (comm.open(QIODevice::ReadOnly))
                    running = QString::fromLocal8Bit(comm.readAll().trimmed());
                maker.truncate(15);
            }
            // A process id taken over by another program since: the lock is stale.
            lock.running = processRuns(lock.pid) && (maker.isEmpty() || running.isEmpty() || running == maker);
            lock.name = appName.isEmpty() ? running : QFileInfo(appName).fileName();
        } else {
            lock.pid = 0;
        }
        if (lock.running)
            return lock;
        if (!found)
            found = lock;
    }
    return found;
}

} // namespace

std::optional<PortLock> portLock(const std::string& device)
{
    const QString path = QString::fromLocal8Bit(device.c_str());
    std::optional<PortLock> lock = lockFileOf(path);
    // Another program may have opened the device a link leads to, by its own name.
    const QString target = QFileInfo(path).canonicalFilePath();
    if ((!lock || !lock->running) && !target.isEmpty() && target != path) {
        if (auto other = lockFileOf(target); other && (other->running || !lock))
            lock = other;
    }
    return lock;
}

NodeAccess nodeAccess(const std::string& device)
{
    struct stat info {};
    if (::stat(device.c_str(), &info) != 0)
        return {};
    return {true, userName(info.st_uid), groupName(info.st_gid), static_cast<unsigned>(info.st_mode & 0777)};
}

UserGroups userGroups()
{
    UserGroups groups;
    const uid_t uid = ::geteuid();
    groups.user = userName(uid);
    std::vector<gid_t> ids(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)) + 1);
    const int count = ::getgroups(static_cast<int>(ids.size()), ids.data());
    ids.resize(static_cast<std::size_t>(std::max(count, 0)));
    ids.push_back(::getegid());
    for (gid_t id : ids)
        groups.login << groupName(id);
    groups.login.removeDuplicates();

    if (const passwd* entry = ::getpwuid(uid)) {
        const std::string name = entry->pw_name;
        int n = 64;
        std::vector<gid_t> member(static_cast<std::size_t>(n));
        if (::getgrouplist(name.c_str(), entry->pw_gid, member.data(), &n) < 0) {
            member.resize(static_cast<std::size_t>(n));
            ::getgrouplist(name.c_str(), entry->pw_gid, member.data(), &n);
        }
        member.resize(static_cast<std::size_t>(std::max(n, 0)));
        for (gid_t id : member)
            groups.member << groupName(id);
        groups.member.removeDuplicates();
    }
    return groups;
}

bool syncFile(QFile& file)
{
    return file.flush() && ::fsync(file.handle()) == 0;
}

bool syncFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return true;  // a folder we cannot open cannot be synced either
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    return synced;
}

bool moveIntoPlace(const QString& from, const QString& to, Existing existing, QString* why)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    int result = -1;
    if (existing == Existing::Replace) {
        result = ::rename(source.constData(), target.constData());
    } else {
        // A new link fails where the name is taken, in one step; a file system
        // without links gets the check and the rename.
        result = ::link(source.constData(), target.constData());
        if (result == 0) {
            ::unlink(source.constData());
        } else if (errno != EEXIST) {
            if (QFileInfo::exists(to))
                errno = EEXIST;
            else
                result = ::rename(source.constData(), target.constData());
        }
    }
    if (result != 0 || !syncFolder(QFile::encodeName(QFileInfo(to).absolutePath()).toStdString())) {
        if (why)
            *why = qt_error_string(errno);
        return false;
    }
    return true;
}

namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction heldActions[std::size(kEndingSignals)];
volatile sig_atomic_t heldSignal = 0;

void holdSignal(int signal)
{
    if (heldSignal == 0)
        heldSignal = signal;
}

} // namespace

TerminationHold::TerminationHold()
{
    heldSignal = 0;
    struct sigaction action {};
    action.sa_handler = holdSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // the serial line's reads and the file's writes go on
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
        sigaction(kEndingSignals[i], &action, &heldActions[i]);
}

TerminationHold::~TerminationHold()
{
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
        sigaction(kEndingSignals[i], &heldActions[i], nullptr);
    if (const int signal = heldSignal; signal != 0) {
        heldSignal = 0;
        ::raise(signal);
    }
}

QString TerminationHold::take()
{
    const int signal = heldSignal;
    heldSignal = 0;
    switch (signal) {
    case SIGINT: return QStringLiteral("SIGINT");
    case SIGTERM: return QStringLiteral("SIGTERM");
    case SIGHUP: return QStringLiteral("SIGHUP");
    default: return {};
    }
}

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
}

} // namespace

void onTermination(QObject* context, std::function<void()> handler)
{
    // The signal handler only writes a byte; the handler runs from the event loop.
    if (signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [notifier, handler = std::move(handler)] {
        char byte;
        [[maybe_unused]] const auto got = ::read(signalPipe[0], &byte, 1);
        notifier->setEnabled(false);
        handler();
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

void writeOnAtFileSizeLimit()
{
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    sigaction(SIGXFSZ, &action, nullptr);
}

void plainStandardStreams()
{
    // POSIX streams pass bytes as they are.
}

void drawWithoutDisplay()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

bool isTerminal(int fd)
{
    return ::isatty(fd) == 1;
}

bool processRuns(qint64 pid)
{
    return pid > 0 && !(::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
}

QString userSettingsBase()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString userDataBase()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

// Debian's Qt converts through ICU, which knows Windows-1252.
QString fromWindows1252(QByteArrayView bytes)
{
    QStringDecoder decode("windows-1252");
    if (!decode.isValid())
        return QString::fromLatin1(bytes);
    return decode(bytes);
}

QByteArray toWindows1252(QStringView text)
{
    QStringEncoder encode("windows-1252");
    if (!encode.isValid())
        return text.toLatin1();
    return encode(text);
}

QStringList commandLineArguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace trgui::platform
