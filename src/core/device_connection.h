#pragma once

#include "core/port_slot.h"
#include "core/settings_record.h"
#include "device/page_exchanges.h"
#include "device/serial_port.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

namespace trgui::core {

// The connection to the device: owns the port slot, opens the chosen COM
// port, identifies the device, brings a lost port back, asks a silent device
// again and looks which adapters are there. It is the one writer of the
// device identity in the settings record (type code, family, model, software
// version, whether the device answers); the pages show what it reports.
class DeviceConnection : public QObject {
    Q_OBJECT
public:
    // Opens COM<number> on the device thread: the port, or none with the reason.
    using PortFactory = std::function<PortSlot::Port(int number, device::OpenFailure& failure)>;

    // What the last attempt to reach the device on the chosen port found, or
    // what the watch of a quiet line found since. A port lost is opened again
    // at once, and that attempt tells.
    enum class Reach {
        Unknown,    // nothing tried yet
        NotOpened,  // the port did not open: failure() says why
        Silent,     // the port is open but the device does not answer
        // The port is open and the device replies, but its identification is
        // not the one a connection takes (failure().refusedReply); the cycle
        // may still poll it.
        Unrecognised,
        Answering,
    };

    // Time between attempts to open a port that failed, and to ask a silent device again.
    static constexpr int kRetryMs = 2000;
    // How often the port list looks again which adapters are there.
    static constexpr int kPortListRefreshMs = 2000;
    // The COM entries offered: COM1 … COM9.
    static constexpr int kPortCount = 9;
    // While nothing else talks on the line, an answering device is asked who
    // it is about this often; one that has sent nothing for as long is gone.
    static constexpr int kWatchMs = 2000;
    // A port that has not come back from opening and identifying in this time
    // (a serial node with nothing behind it may hang there) is reported as
    // not opened, so the lamp turns red within 3 s; the attempt goes on.
    static constexpr int kOpenWatchMs = 2500;
    // Whether someone else has the line now (the cycle in a poll, a page's
    // conversation): the watch then keeps off it.
    using LineBusy = std::function<bool()>;

    explicit DeviceConnection(SettingsRecord& settings, PortSlot::Mode mode = PortSlot::Mode::Threaded,
                              QObject* parent = nullptr);
    // Waits for what is on the line, then closes the port.
    ~DeviceConnection() override;

    PortSlot& port() { return port_; }
    const PortSlot& port() const { return port_; }

    // Opens the ports from now on, instead of a SerialPort through the
    // settings file's port names. Either is traced when a trace file is set.
    void setPortFactory(PortFactory factory) { factory_ = std::move(factory); }
    // Finds the device of a COM name from now on, instead of the settings
    // file's [COM] section and the default map (a device given by its path).
    void setPortResolver(device::PortNameResolver resolver) { resolver_ = std::move(resolver); }
    void setTraceFile(const QString& path) { traceFile_ = path; }
    // Time between retries, kRetryMs unless a test wants it shorter.
    void setRetryInterval(int milliseconds);
    // Time between looks at a quiet line, kWatchMs unless a test wants it shorter.
    void setWatchInterval(int milliseconds);
    void setLineBusy(LineBusy busy) { lineBusy_ = std::move(busy); }

    // No device identified yet: type code 0, no family.
    void forgetDevice();
    // Closes the port in use, opens COM<number> and identifies the device; a
    // port that does not open is tried again every kRetryMs, a device that
    // does not answer is asked again as often.
    void choosePort(int number);
    int portNumber() const { return portNumber_; }
    // Counts the ports opened (chosen, or opened again after a loss), counted
    // when the opening is handed to the device thread: whatever was handed
    // over before the count changed talks to the port before, and its reply
    // says nothing about the device there now.
    int opens() const { return openAttempt_; }
    Reach reach() const { return reach_; }
    const device::OpenFailure& failure() const { return failure_; }
    bool reconnecting() const { return reconnect_.isActive(); }

    // A poll identified the device as code: the family follows it, and once a
    // port has been chosen, a model other than the one known (another device
    // on the same port) is taken over and its software version asked for.
    void pollIdentified(int code);
    // A configuration read identified the device as code: the family follows it.
    void takeFamilyOf(int code);
    // An exchange of the cycle ended; heard: any byte came back. A device that
    // has sent nothing for the watch interval no longer answers.
    void exchangeEnded(bool heard);
    // The device the chosen COM name opens ("/dev/ttyUSB0").
    const std::string& devicePath() const { return devicePath_; }

    // The port list: looked at once on the device thread (portsDescribed), or
    // at once on this thread. notPresent is appended to an absent port's entry;
    // the port open now is present, whatever the system lists.
    void lookAtPorts(const QString& notPresent);
    std::vector<device::PortEntry> describePortsNow(const QString& notPresent) const;

signals:
    // The identity in the settings record changed: a device answered, or
    // another model came onto the port (anotherDevice; its version follows).
    void identified(bool anotherDevice);
    // reach() changed, or the device stopped answering.
    void reachChanged();
    void portsDescribed(const std::vector<device::PortEntry>& entries);

private:
    void openAndIdentify(int number);
    void identifyAgain();
    // Asks an answering device on a quiet line who it is.
    void watchLine();
    // The open port's device stopped answering: red lamp, asked again until it does.
    void deviceFellSilent();
    void deviceHeard();
    void portLost();
    void setReach(Reach reach, const device::OpenFailure& failure = {});
    static Reach reachOf(const device::Identification& id);
    // The COM number of the port open now, 0 when none is.
    int openPort() const;
    device::PortNameResolver resolver() const;
    // Takes an answering device's identity over.
    void takeIdentity(const device::Identification& id, bool anotherDevice);

    SettingsRecord& settings_;
    PortSlot port_;
    PortFactory factory_;
    device::PortNameResolver resolver_;
    QString traceFile_;
    QTimer reconnect_;
    QTimer reidentify_;
    QTimer watch_;
    LineBusy lineBusy_;
    QElapsedTimer heard_;  // since the device last sent a byte
    std::string devicePath_;
    Reach reach_ = Reach::Unknown;
    device::OpenFailure failure_;
    int portNumber_ = 0;  // the COM port last chosen
    bool chosen_ = false;  // a port has been chosen since the start
    bool waitingForAnswer_ = false;  // the open port's device has not answered yet
    int openAttempt_ = 0;  // counts the opens, so a late watch knows it is out of date
    bool portWatchPending_ = false;
};

} // namespace trgui::core
