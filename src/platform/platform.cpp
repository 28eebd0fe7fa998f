#include "platform/platform.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QObject>

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace trgui::platform {

bool writeWhole(QFile& file, const QByteArray& bytes)
{
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return false;
        done += n;
    }
    return file.flush();
}

#ifdef _WIN32

std::string defaultPortDevice(const std::string& comName)
{
    return comName;
}

std::optional<LockHolder> portLockHolder(const std::string&)
{
    return std::nullopt;  // Windows opens a port exclusively and tells who has it no further
}

bool syncFile(QFile& file)
{
    return file.flush() && _commit(file.handle()) == 0;
}

bool syncFolder(const std::filesystem::path&)
{
    return true;  // a rename is complete on disk when it returns
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

#else

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

std::optional<LockHolder> portLockHolder(const std::string& device)
{
    // Named the way serial programs name it: the device without "/dev/",
    // every further "/" made a "_".
    QString name = QString::fromStdString(device);
    if (name.startsWith(QLatin1String("/dev/")))
        name = name.mid(5);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    const QString folders[] = {QStringLiteral("/var/lock"), QStringLiteral("/etc/locks"),
                               QStringLiteral("/var/spool/locks"), QStringLiteral("/var/spool/uucp"), QDir::tempPath()};
    for (const QString& folder : folders) {
        const QString path = folder + QStringLiteral("/LCK..") + name;
        if (!QFileInfo::exists(path))
            continue;
        QLockFile lock(path);
        LockHolder holder;
        QString host;
        if (!lock.getLockInfo(&holder.pid, &host, &holder.name))
            continue;
        if (::kill(static_cast<pid_t>(holder.pid), 0) != 0 && errno == ESRCH)
            continue;  // left behind by a program that has ended
        if (holder.name.isEmpty()) {
            QFile comm(QStringLiteral("/proc/%1/comm").arg(holder.pid));
            if (comm.open(QIODevice::ReadOnly))
                holder.name = QString::fromLocal8Bit(comm.readAll().trimmed());
        }
        return holder;
    }
    return std::nullopt;
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

bool processRuns(qint64 pid)
{
    return pid > 0 && !(::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH);
}

#endif

} // namespace trgui::platform
