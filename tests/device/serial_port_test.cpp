#include "device/serial_port.h"
#include "support/simulator.h"

#include <QElapsedTimer>
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
        {node, "ttyUSB0", "FT232R USB UART", "FTDI", "A9XK3"},
        {"\\\\.\\COM3", "COM3", "USB Serial Port", "USB Serial Port", ""},
    };
    const struct {
        std::string com, device;
        QString text;
        bool present;
    } cases[] = {
        {"COM1", node.toStdString(), "COM1   (" + node + ", FT232R USB UART, FTDI, A9XK3)", true},
        {"COM1", link.toStdString(), "COM1   (" + link + ", FT232R USB UART, FTDI, A9XK3)", true},
        {"COM2", "/nonexistent/ttyUSB9", "COM2   (/nonexistent/ttyUSB9, not present)", false},
        {"COM3", "COM3", "COM3   (USB Serial Port)", true},  // the name is the device: said once
        {"COM4", "COM4", "COM4   (not present)", false},
    };
    for (const auto& c : cases) {
        const PortEntry entry = describePort(c.com, c.device, ports, "not present");
        EXPECT_EQ(entry.text, c.text);
        EXPECT_EQ(entry.present, c.present) << c.device;
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
