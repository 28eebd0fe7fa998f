// The simulator for a suite built for Windows and run under Wine: the Linux
// km210-sim, started through sim-bridge, plays the device on a Wine COM port.

#include "support/simulator.h"
#include "support/wine.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <windows.h>

#include <atomic>

namespace trgui::testing {

namespace {

// A COM port number no other simulator of this run holds: suites run side by
// side (Wine gives their processes the same few ids), and a suite may hold
// two simulators at once. A number is claimed by creating its claim file,
// which only one process can; the prefix is made afresh for every run.
// dosdevices is the prefix's folder of port links, as Windows names it.
int claimComNumber(const QString& dosdevices)
{
    static std::atomic<int> next{0};
    const int start = static_cast<int>(GetCurrentProcessId() % 197);
    for (int tries = 0; tries < 226; ++tries) {
        const int n = 30 + (start + next++) % 226;
        const QFileInfo link(dosdevices + QStringLiteral("/com%1").arg(n));
        QFile claim(dosdevices + QStringLiteral("/.claimed-com%1").arg(n));
        if (!link.exists() && !link.isSymLink() && claim.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return n;
    }
    return 0;
}

} // namespace

Simulator::Simulator(int deviceType, int latencyMs) : type_(deviceType), latencyMs_(latencyMs)
{
    const std::string prefix = qEnvironmentVariable("WINEPREFIX").toStdString();
    const int com = prefix.empty() ? 0 : claimComNumber("Z:" + QString::fromStdString(prefix) + "/dosdevices");
    if (com == 0 || !dir_.isValid())
        return;  // not under Wine, or no port free: started() says so
    link_ = "COM" + std::to_string(com);
    unixLink_ = prefix + "/dosdevices/com" + std::to_string(com);
    start();
}

bool Simulator::start()
{
    started_ = false;
    log_.clear();
    if (link_.empty())
        return false;
    const QString control = controlFile();
    const QString log = logFile();
    QFile::remove(control);
    QFile::remove(log);
    // The bridge's log tells when the simulator has started and ended.
    if (!wine::startLinux(QStringLiteral("exec %1 %2 %3 %4 --link %5 --type %6 --latency %7 --verbose")
                              .arg(QStringLiteral(SIM_BRIDGE_PATH), QString::fromStdString(wine::unixPath(control)),
                                   QString::fromStdString(wine::unixPath(log)), QStringLiteral(KM210_SIM_PATH),
                                   QString::fromStdString(unixLink_))
                              .arg(type_)
                              .arg(latencyMs_)))
        return false;
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
    QFile file(logFile());
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
    QFile file(controlFile());
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write((line + "\n").c_str());
}

} // namespace trgui::testing
