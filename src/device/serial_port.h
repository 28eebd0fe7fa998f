#pragma once

#include "device/serial_link.h"
#include "platform/platform.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QSerialPort;

namespace trgui::device {

// Maps a port name of the form "COMn" to what the operating system opens.
using PortNameResolver = std::function<std::string(const std::string& comName)>;

// The default mapping where "COMn" is not a device name of its own:
// COM1-COM4 -> /dev/ttyUSB0-3, COM5-COM6 -> /dev/ttyACM0-1, COM7-COM9 -> /dev/ttyS0-2.
// On Windows the name is returned unchanged.
std::string defaultPortDevice(const std::string& comName);

// What the system tells of one serial device it knows (serial_port_posix.cpp,
// serial_port_win.cpp).
struct PortFacts {
    QString location;  // "/dev/ttyUSB0"; "\\.\COM3" on Windows
    QString name;      // "ttyUSB0"; "COM3"
    QString description;
    QString manufacturer;
    QString serialNumber;
    QString byId;  // the link under /dev/serial/by-id/ that leads to it, a name that stays
};
std::vector<PortFacts> systemPorts();
// The ports Qt knows of, with their adapters' facts; systemPorts adds what each system knows besides.
std::vector<PortFacts> portsQtKnows();

// One entry of the port list: "COM1   (/dev/ttyUSB0, FT232R USB UART, FTDI, A9XK3)".
// The device is left out where it is the COM name itself (Windows); an absent
// device ends in notPresent. A port this program has open (openNow) is there,
// whether or not the system lists it: Windows, and Wine, may list fewer ports
// than open. An adapter offered on a free COM name (see adapterOffers) has
// that COM number and its device.
struct PortEntry {
    QString text;
    bool present = false;
    int offerFor = 0;
    std::string device;
};
PortEntry describePort(const std::string& comName, const std::string& device, const std::vector<PortFacts>& ports,
                       const QString& notPresent, bool openNow = false);

// Where a COM name leads: the device at the end of its links (or the path as
// given when there is none), and whether it is there.
struct ComReach {
    QString target;
    bool present = false;
};
// The adapters that no COM name reaches (coms[0] is COM1), each offered on a
// COM name that reaches nothing, the lowest first: "COM3 ← FT232R USB UART,
// A9XK3 (/dev/serial/by-id/usb-FTDI_…)". An adapter is named by its by-id
// link where it has one, else by its device (on Windows its COM name,
// "COM12"). Adapters beyond the free names are left out.
std::vector<PortEntry> adapterOffers(const std::vector<ComReach>& coms, const std::vector<PortFacts>& ports);

// The entries of "COM1" … "COM<count>", each resolved through resolver, and
// after them the adapters offered; COM<openPort> is the one open now (0:
// none). Asks the system once; that takes some 20 ms, so call it off the
// window's thread where it is repeated.
std::vector<PortEntry> describePorts(int count, const PortNameResolver& resolver, const QString& notPresent,
                                     int openPort = 0);

// Why a port could not be opened, with what the technician needs to fix it.
struct OpenFailure {
    enum class Kind { NoPermission, InUse, NotPresent, Other };
    Kind kind = Kind::Other;
    std::string device;     // what was opened, e.g. "/dev/ttyUSB0"
    // NoPermission and InUse: the facts that tell why (see port_problem.h).
    std::optional<platform::PortLock> lock;  // InUse: a running holder's
    platform::NodeAccess node;
    platform::UserGroups user;
    QString systemText;     // the system's own words
    // The port opened and the device replied, but not as a connection needs:
    // its identification reply.
    std::vector<std::uint8_t> refusedReply;
    // Ports are Windows' COM names (nothing to map, no groups or lock files):
    // the reasons are told in Windows' terms.
    bool comNames = false;
};

// The one connection to the device: "COMn" at 9600 baud, 8N1, no handshake,
// used blocking. A read returns when 80 bytes arrived, when no byte has come
// for 80 ms (since the last one), or after a second at most.
class SerialPort final : public SerialLink {
public:
    explicit SerialPort(PortNameResolver resolver = defaultPortDevice);
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Opens "COM<number>". Returns 0 on success, -1 on failure. When the line
    // settings are refused the port stays open and the open flag stays set,
    // so the caller closes it.
    int open(int number);
    void close();
    // Why the last open failed.
    const OpenFailure& lastFailure() const { return lastFailure_; }

    bool isOpen() const override { return openFlag_; }
    int read(std::uint8_t* buffer, std::size_t& count) override;
    int readComplete(std::uint8_t* buffer, std::size_t& count, std::size_t complete) override;
    int readWithin(std::uint8_t* buffer, std::size_t& count, std::size_t complete, int withinMs) override;
    int write(const std::uint8_t* data, std::size_t length) override;
    void purgeInput() override;
    bool failed() const override { return failed_; }

    // The name formed at the last open ("COM3") and what it resolved to.
    const std::string& portName() const { return portName_; }
    const std::string& systemName() const { return systemName_; }

private:
    PortNameResolver resolver_;
    std::unique_ptr<QSerialPort> port_;
    bool openFlag_ = false;
    bool failed_ = false;
    std::string portName_;
    std::string systemName_;
    OpenFailure lastFailure_;
};

} // namespace trgui::device
