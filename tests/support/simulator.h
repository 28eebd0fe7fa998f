#pragma once

#include <QProcess>
#include <QTemporaryDir>

#include <chrono>
#include <string>

namespace trgui::testing {

// A running km210-sim behind a symlink in a temporary directory. A suite built
// for Windows runs under Wine and starts the Linux simulator through
// sim-bridge; the link is then a Wine COM port, and linkPath() its name (COM37).
class Simulator {
public:
    explicit Simulator(int deviceType = 17, int latencyMs = 2);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    bool started() const { return started_; }
    // Ends the simulator process (its link goes away) and starts it again on the same link.
    void stop();
    bool start();
    // The path the program opens, e.g. /tmp/xyz/COM1 (COM37 on Windows).
    std::string linkPath() const { return link_; }
    std::string directory() const { return dir_.path().toStdString(); }

    // Sends one control line ("silent on", "length 0x50 5", ...) and waits
    // until the simulator has taken it.
    void control(const std::string& line);
    // Everything the simulator printed so far.
    std::string log();
    // Number of log lines that contain text.
    int count(const std::string& text);
    // Waits until the log holds text.
    bool waitForLog(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(2));

private:
    // Waits up to ms for more output.
    void waitForOutput(int ms);
    // Hands the simulator one line on its standard input.
    void send(const std::string& line);
#ifdef _WIN32
    // The files sim-bridge reads control lines from and writes the log to.
    QString controlFile() const { return dir_.filePath(QStringLiteral("control")); }
    QString logFile() const { return dir_.filePath(QStringLiteral("log")); }
    std::string unixLink_;
#else
    QProcess process_;
#endif
    QTemporaryDir dir_;
    std::string link_;
    std::string log_;
    bool started_ = false;
    int type_ = 17;
    int latencyMs_ = 2;
};

} // namespace trgui::testing
