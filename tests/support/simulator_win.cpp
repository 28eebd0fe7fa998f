// The simulator for a suite built for Windows and run under Wine: the Linux
// km210-sim, started through sim-bridge, plays the device on a Wine COM port.

#include "support/simulator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <windows.h>

#include <atomic>

namespace trgui::testing {

namespace {

// A Unix path of ours as Windows names it, through Wine's Z: drive.
QString windowsPath(const std::string& unixPath)
{
    return QStringLiteral("Z:") + QDir::toNativeSeparators(QString::fromStdString(unixPath));
}

std::string unixPath(const QString& windowsPath)
{
    return QDir::fromNativeSeparators(windowsPath).mid(2).toStdString();  // without "Z:"
}

// A COM port number no other simulator of this run holds: suites run side by
// side, and a suite may hold two simulators at once.
int freeComNumber(const QString& dosdevices)
{
    static std::atomic<int> next{0};
    const int start = static_cast<int>(GetCurrentProcessId() % 197);
    for (int tries = 0; tries < 226; ++tries) {
        const int n = 30 + (start + next++) % 226;
        if (!QFileInfo(dosdevices + QStringLiteral("/com%1").arg(n)).isSymLink()
            && !QFileInfo::exists(dosdevices + QStringLiteral("/com%1").arg(n)))
            return n;
    }
    return 0;
}

} // namespace

Simulator::Simulator(int deviceType, int latencyMs) : type_(deviceType), latencyMs_(latencyMs)
{
    const std::string prefix = qEnvironmentVariable("WINEPREFIX").toStdString();
    const int com = prefix.empty() ? 0 : freeComNumber(windowsPath(prefix + "/dosdevices"));
    if (com == 0 || !dir_.isValid())
        return;  // not under Wine, or no port free: started() says so
    link_ = "COM" + std::to_string(com);
    unixLink_ = prefix + "/dosdevices/com" + std::to_string(com);
    controlPath_ = unixPath(dir_.path()) + "/control";
    logPath_ = unixPath(dir_.path()) + "/log";
    start();
}

bool Simulator::start()
{
    started_ = false;
    log_.clear();
    if (link_.empty())
        return false;
    QFile::remove(windowsPath(controlPath_));
    QFile::remove(windowsPath(logPath_));
    std::wstring command = QStringLiteral("Z:/bin/sh %1 %2 %3 %4 --link %5 --type %6 --latency %7 --verbose")
                               .arg(QStringLiteral(SIM_BRIDGE_PATH), QString::fromStdString(controlPath_),
                                    QString::fromStdString(logPath_), QStringLiteral(KM210_SIM_PATH),
                                    QString::fromStdString(unixLink_))
                               .arg(type_)
                               .arg(latencyMs_)
                               .toStdWString();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // Wine runs a Linux program without a process handle to wait on; the
    // bridge's log tells when it has started and ended.
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return false;
    if (process.hProcess)
        CloseHandle(process.hProcess);
    if (process.hThread)
        CloseHandle(process.hThread);
    started_ = waitForLog(" link ", std::chrono::seconds(10));
    return started_;
}

void Simulator::stop()
{
    if (!started_)
        return;
    send("quit");
    waitForLog("km210-sim: ended", std::chrono::seconds(3));
    started_ = false;
}

std::string Simulator::log()
{
    QFile file(windowsPath(logPath_));
    if (file.open(QIODevice::ReadOnly))
        log_ = file.readAll().toStdString();
    return log_;
}

void Simulator::waitForOutput(int ms)
{
    QThread::msleep(static_cast<unsigned long>(ms));
}

void Simulator::send(const std::string& line)
{
    QFile file(windowsPath(controlPath_));
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write((line + "\n").c_str());
}

} // namespace trgui::testing
