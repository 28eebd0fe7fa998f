#include "device/serial_port.h"
#include "platform/platform.h"
#include "support/simulator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace trgui::device;
using trgui::testing::Simulator;

namespace {
PortNameResolver to(const std::string& path)
{
    return [path](const std::string&) { return path; };
}
} // namespace

TEST(PortNames, defaultMapOfComNames)
{
#ifndef _WIN32
    EXPECT_EQ(defaultPortDevice("COM1"), "/dev/ttyUSB0");
    EXPECT_EQ(defaultPortDevice("COM4"), "/dev/ttyUSB3");
    EXPECT_EQ(defaultPortDevice("COM5"), "/dev/ttyACM0");
    EXPECT_EQ(defaultPortDevice("COM6"), "/dev/ttyACM1");
    EXPECT_EQ(defaultPortDevice("COM7"), "/dev/ttyS0");
    EXPECT_EQ(defaultPortDevice("COM9"), "/dev/ttyS2");
#endif
}

TEST(PortNames, listEntryShowsTheDeviceWhatTheSystemKnowsAndWhetherItIsThere)
{
    QTemporaryDir dir;
    const QString node = dir.filePath("ttyUSB0");
    QFile(node).open(QIODevice::WriteOnly);
    const QString link = dir.filePath("by-id-usb-FTDI");  // mapped through a link, as under /dev/serial/by-id
    QFile::link(node, link);
    const std::vector<PortFacts> ports{
        {node, "ttyUSB0", "FT232R USB UART", "FTDI", "A9XK3", ""},
        {"\\\\.\\COM3", "COM3", "USB Serial Port", "USB Serial Port", "", ""},
    };
    const struct {
        std::string com, device;
        QString text;
        bool present;
        bool openNow = false;
    } cases[] = {
        {"COM1", node.toStdString(), "COM1   (" + node + ", FT232R USB UART, FTDI, A9XK3)", true},
#ifndef _WIN32  // a symbolic link, as /dev/serial/by-id has them
        {"COM1", link.toStdString(), "COM1   (" + link + ", FT232R USB UART, FTDI, A9XK3)", true},
#endif
        {"COM2", "/nonexistent/ttyUSB9", "COM2   (/nonexistent/ttyUSB9, not present)", false},
        {"COM3", "COM3", "COM3   (USB Serial Port)", true},  // the name is the device: said once
        {"COM4", "COM4", "COM4   (not present)", false},
        // A port the program has open is there, though the system lists it not
        // (Windows and Wine list the ports they knew at start-up).
        {"COM5", "COM5", "COM5", true, true},
        {"COM2", "/nonexistent/ttyUSB9", "COM2   (/nonexistent/ttyUSB9)", true, true},
    };
    for (const auto& c : cases) {
        const PortEntry entry = describePort(c.com, c.device, ports, "not present", c.openNow);
        EXPECT_EQ(entry.text, c.text) << entry.text.toStdString();
        EXPECT_EQ(entry.present, c.present) << c.device;
    }
}

TEST(PortNames, adaptersThatNoComNameReachesAreOfferedOnFreeNames)
{
    const PortFacts reached{"/dev/ttyUSB0", "ttyUSB0", "CP2102", "Silicon Labs", "0001", "/dev/serial/by-id/usb-CP2102"};
    const PortFacts ftdi{"/dev/ttyUSB1", "ttyUSB1", "FT232R USB UART", "FTDI", "A9XK3",
                         "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A9XK3-if00-port0"};
    const PortFacts plain{"/dev/ttyS4", "ttyS4", "", "", "", ""};
    const ComReach toReached{"/dev/ttyUSB0", true};  // COM1 through the by-id link, followed
    const ComReach elsewhere{"/dev/ttyS0", true};
    const ComReach nothing{"/dev/ttyUSB3", false};
    const struct {
        std::vector<ComReach> coms;
        std::vector<PortFacts> ports;
        QStringList offers;
    } cases[] = {
        {{toReached, nothing, elsewhere, nothing},
         {reached, ftdi, plain},
         {"COM2 \u2190 FT232R USB UART, A9XK3 (/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A9XK3-if00-port0)",
          // Without a link that stays: the device, or on Windows the port's name.
          trgui::platform::kPortsAreDeviceNodes ? "COM4 \u2190 /dev/ttyS4" : "COM4 \u2190 ttyS4"}},
        {{toReached, nothing}, {ftdi, plain}, {"COM2 \u2190 FT232R USB UART, A9XK3 "
                                               "(/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A9XK3-if00-port0)"}},
        {{toReached, elsewhere}, {ftdi}, {}},  // no free name
        {{nothing, nothing}, {reached}, {"COM1 \u2190 CP2102, 0001 (/dev/serial/by-id/usb-CP2102)"}},
        // Windows: an adapter it numbered COM12 beside one on COM3 that COM3 reaches.
        {{{"COM1", false}, {"COM2", true}, {"COM3", true}},
         {{"\\\\.\\COM3", "COM3", "USB Serial Port", "FTDI", "A1", ""},
          {"\\\\.\\COM12", "COM12", "USB Serial Port", "FTDI", "A9XK3", ""}},
         {trgui::platform::kPortsAreDeviceNodes ? "COM1 \u2190 USB Serial Port, A9XK3 (\\\\.\\COM12)"
                               : "COM1 \u2190 USB Serial Port, A9XK3 (COM12)"}},
    };
    for (const auto& c : cases) {
        QStringList offers;
        for (const PortEntry& offer : adapterOffers(c.coms, c.ports)) {
            offers << offer.text;
            EXPECT_TRUE(offer.text.startsWith(QStringLiteral("COM%1 ").arg(offer.offerFor)));
            EXPECT_TRUE(offer.text.contains(QString::fromStdString(offer.device))) << "the path written to [COM]";
        }
        EXPECT_EQ(offers, c.offers);
    }
}

TEST(SerialPort, openFormsComNameAndFailsForAMissingDevice)
{
    std::string asked;
    SerialPort port([&](const std::string& name) {
        asked = name;
        return std::string("/nonexistent/tty-km210");
    });
    EXPECT_EQ(port.open(3), -1);
    EXPECT_EQ(asked, "COM3");
    EXPECT_FALSE(port.isOpen());
}

TEST(SerialPort, notOpenReadsNothingAndWritesNothing)
{
    SerialPort port;
    std::uint8_t buffer[kReadSize];
    std::size_t count = 99;
    EXPECT_EQ(port.read(buffer, count), -1);
    EXPECT_EQ(count, 0u);
    const std::uint8_t byte = 0x50;
    EXPECT_EQ(port.write(&byte, 1), -1);
}

TEST(SerialPort, silentDeviceReadReturnsNothingAfterAbout80ms)
{
    Simulator sim;
    ASSERT_TRUE(sim.started());
    sim.control("silent on");
    SerialPort port(to(sim.linkPath()));
    ASSERT_EQ(port.open(1), 0);
    const std::uint8_t request = 0x10;
    ASSERT_EQ(port.write(&request, 1), 0);

    std::uint8_t buffer[kReadSize];
    std::size_t count = 99;
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(port.read(buffer, count), 0);
    const auto elapsed = clock.elapsed();
    EXPECT_EQ(count, 0u);
    EXPECT_GE(elapsed, 75);
    EXPECT_LE(elapsed, 400) << "a read waits no longer than its ceiling (with room for a loaded machine)";
}

TEST(SerialPort, readCollectsTheWholeReply)
{
    Simulator sim;
    ASSERT_TRUE(sim.started());
    SerialPort port(to(sim.linkPath()));
    ASSERT_EQ(port.open(1), 0);
    const std::uint8_t request = 0x13;
    ASSERT_EQ(port.write(&request, 1), 0);
    std::uint8_t buffer[kReadSize];
    std::size_t count = 0;
    EXPECT_EQ(port.read(buffer, count), 0);
    EXPECT_EQ(count, 8u);
    EXPECT_EQ(buffer[0], 0x13);
}

TEST(SerialPort, reopeningTheSamePortAfterCloseSucceeds)
{
    Simulator sim;
    ASSERT_TRUE(sim.started());
    SerialPort first(to(sim.linkPath()));
    ASSERT_EQ(first.open(1), 0);
    first.close();
    EXPECT_FALSE(first.isOpen());
    SerialPort second(to(sim.linkPath()));
    EXPECT_EQ(second.open(1), 0);
}

#ifndef _WIN32  // Windows keeps no lock files: a port is open for one program
TEST(PortLocks, aLockFileOfTheLinkedDeviceSaysWhetherItsProgramStillRuns)
{
    Simulator sim;
    ASSERT_TRUE(sim.started());
    // Another program opened the device behind the link by its own name.
    const QString device = QFileInfo(QString::fromStdString(sim.linkPath())).canonicalFilePath();
    const QString lockFile = QDir::tempPath() + "/LCK.." + device.mid(5).replace('/', '_');
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QString me = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    const struct {
        QString content;
        bool running;
    } cases[] = {
        {pid + "\n" + me + "\nhost\n", true},
        {"      " + pid + "\n", true},  // as serial programs write it: the pid alone
        {pid + "\nanother-program\nhost\n", false},  // the pid taken over since
        {"999999999\nminicom\nhost\n", false},
    };
    for (const auto& c : cases) {
        QFile file(lockFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.content.toUtf8());
        file.close();
        const auto lock = trgui::platform::portLock(sim.linkPath());
        ASSERT_TRUE(lock.has_value()) << c.content.toStdString();
        EXPECT_EQ(lock->path, lockFile);
        EXPECT_EQ(lock->running, c.running) << c.content.toStdString();
        EXPECT_GT(lock->pid, 0);
    }
    QFile::remove(lockFile);
}
#endif
