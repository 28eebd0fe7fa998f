#include "device/serial_port.h"

#include "device/serial_port_system.h"
#include "platform/platform.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QStringList>

#include <algorithm>

namespace trgui::device {

namespace {
constexpr int kWriteTimeoutMs = 500;
} // namespace

std::string defaultPortDevice(const std::string& comName)
{
    return platform::defaultPortDevice(comName);
}

std::vector<PortFacts> portsQtKnows()
{
    std::vector<PortFacts> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.push_back({info.systemLocation(), info.portName(), info.description(), info.manufacturer(),
                         info.serialNumber(), {}});
    return ports;
}

PortEntry describePort(const std::string& comName, const std::string& device, const std::vector<PortFacts>& ports,
                       const QString& notPresent, bool openNow)
{
    const QString name = QString::fromStdString(comName);
    const QString path = QString::fromLocal8Bit(device.c_str());
    // A mapped name is often a link (by-id, a simulator's pty): the system knows its target.
    const QString target = QFileInfo(path).canonicalFilePath();
    const auto facts = std::find_if(ports.begin(), ports.end(), [&](const PortFacts& p) {
        return p.location == path || p.name == path || (!target.isEmpty() && p.location == target);
    });

    PortEntry entry;
    entry.present = openNow || facts != ports.end() || QFileInfo::exists(path);
    QStringList details;
    if (path != name)
        details << path;
    if (facts != ports.end()) {
        for (const QString& fact : {facts->description, facts->manufacturer, facts->serialNumber}) {
            if (!fact.isEmpty() && !details.contains(fact))
                details << fact;
        }
    }
    if (!entry.present)
        details << notPresent;
    entry.text = details.isEmpty() ? name : QStringLiteral("%1   (%2)").arg(name, details.join(QStringLiteral(", ")));
    return entry;
}

std::vector<PortEntry> adapterOffers(const std::vector<ComReach>& coms, const std::vector<PortFacts>& ports)
{
    std::vector<PortEntry> offers;
    auto free = coms.begin();
    for (const PortFacts& port : ports) {
        const bool reached = std::any_of(coms.begin(), coms.end(), [&](const ComReach& com) {
            return com.present && (com.target == port.location || com.target == port.name);
        });
        if (reached)
            continue;
        free = std::find_if(free, coms.end(), [](const ComReach& com) { return !com.present; });
        if (free == coms.end())
            break;
        const int number = static_cast<int>(free - coms.begin()) + 1;
        ++free;
        // The name the [COM] entry will hold: a link that stays, else the
        // device; on Windows the COM name itself ("COM12"), which opens it.
        const QString device = !port.byId.isEmpty()          ? port.byId
                             : platform::kPortsAreDeviceNodes ? port.location
                                                              : port.name;
        QStringList facts;
        for (const QString& fact : {port.description, port.serialNumber}) {
            if (!fact.isEmpty())
                facts << fact;
        }
        const QString name = facts.isEmpty() ? device : QStringLiteral("%1 (%2)").arg(facts.join(QStringLiteral(", ")), device);
        offers.push_back({QStringLiteral("COM%1 %2 %3").arg(number).arg(QChar(0x2190)).arg(name), true, number,
                          device.toLocal8Bit().toStdString()});
    }
    return offers;
}

std::vector<PortEntry> describePorts(int count, const PortNameResolver& resolver, const QString& notPresent,
                                     int openPort)
{
    const std::vector<PortFacts> ports = systemPorts();
    std::vector<PortEntry> entries;
    std::vector<ComReach> coms;
    for (int n = 1; n <= count; ++n) {
        const std::string name = "COM" + std::to_string(n);
        const std::string device = resolver(name);
        entries.push_back(describePort(name, device, ports, notPresent, n == openPort));
        const QString path = QString::fromLocal8Bit(device.c_str());
        const QString target = QFileInfo(path).canonicalFilePath();
        coms.push_back({target.isEmpty() ? path : target, entries.back().present});
    }
    // Windows numbers USB adapters as it likes, often above COM9: those too
    // are offered on a free entry, as an adapter with a device node of its own is.
    for (PortEntry& offer : adapterOffers(coms, ports))
        entries.push_back(std::move(offer));
    return entries;
}

SerialPort::SerialPort(PortNameResolver resolver)
    : resolver_(resolver ? std::move(resolver) : PortNameResolver(defaultPortDevice))
{
}

SerialPort::~SerialPort()
{
    close();
}

int SerialPort::open(int number)
{
    close();
    portName_ = "COM" + std::to_string(number);
    systemName_ = resolver_(portName_);
    openFlag_ = false;

    port_ = std::make_unique<QSerialPort>();
    port_->setPortName(QString::fromStdString(systemName_));
    if (!port_->open(QIODevice::ReadWrite)) {
        lastFailure_ = openFailure(port_->error(), port_->errorString(), systemName_);
        port_.reset();
        return -1;
    }
    openFlag_ = true;
    failed_ = false;
    setLineQuiet(false);  // whatever the device sent before is still to be drained

    const bool settingsAccepted = port_->setBaudRate(QSerialPort::Baud9600)
        && port_->setDataBits(QSerialPort::Data8)
        && port_->setParity(QSerialPort::NoParity)
        && port_->setStopBits(QSerialPort::OneStop)
        && port_->setFlowControl(QSerialPort::NoFlowControl);
    return settingsAccepted ? 0 : -1;
}

void SerialPort::close()
{
    if (port_) {
        port_->close();
        port_.reset();
    }
    openFlag_ = false;
}

int SerialPort::read(std::uint8_t* buffer, std::size_t& count)
{
    return readComplete(buffer, count, 0);
}

int SerialPort::readComplete(std::uint8_t* buffer, std::size_t& count, std::size_t complete)
{
    return readWithin(buffer, count, complete, 0);
}

int SerialPort::readWithin(std::uint8_t* buffer, std::size_t& count, std::size_t complete, int withinMs)
{
    count = 0;
    if (!openFlag_ || !port_)
        return -1;

    QElapsedTimer clock;
    clock.start();
    // The silence that ends a read is counted from here: before the first
    // byte, from the end of the time the reply may take to begin.
    qint64 lastByteAt = std::max(0, withinMs);
    const qint64 readLimitMs = kReadLimitMs + lastByteAt;
    qint64 pace = 0;  // the longest time between two arrivals of this reply
    for (;;) {
        const qint64 got = port_->read(reinterpret_cast<char*>(buffer) + count,
                                       static_cast<qint64>(kReadSize - count));
        if (got < 0) {
            failed_ = true;
            return -1;
        }
        const qint64 now = clock.elapsed();
        if (got > 0) {
            if (count > 0)
                pace = std::max(pace, now - lastByteAt);
            lastByteAt = now;
        }
        count += static_cast<std::size_t>(got);
        if (count >= kReadSize || now >= readLimitMs)
            return 0;
        // Once the reply is complete a short quiet gap ends the read; before,
        // only a longer silence does, so bytes that come paced are all read.
        // A device that paces its bytes and sends more than the reply needs
        // (a byte after its frame) is waited for at its own pace, so that byte
        // is not left on the line to stand in front of the next reply.
        const bool replyComplete = complete != 0 && count >= complete;
        const qint64 silence =
            replyComplete ? std::min<qint64>(kSilenceEndsReadMs, std::max<qint64>(kQuietGapMs, pace + pace / 2))
                          : kSilenceEndsReadMs;
        const qint64 wait = std::min<qint64>(readLimitMs - now, lastByteAt + silence - now);
        if (wait <= 0)
            return 0;
        port_->clearError();
        if (!port_->waitForReadyRead(static_cast<int>(wait))) {
            // A time-out is the normal end of a reply; anything else (the
            // device went away) is a read error.
            if (port_->error() != QSerialPort::TimeoutError && port_->error() != QSerialPort::NoError) {
                failed_ = true;
                return -1;
            }
        }
    }
}

int SerialPort::write(const std::uint8_t* data, std::size_t length)
{
    if (!openFlag_ || !port_)
        return -1;
    const qint64 written = port_->write(reinterpret_cast<const char*>(data), static_cast<qint64>(length));
    if (written != static_cast<qint64>(length)) {
        failed_ = true;
        return -1;
    }
    while (port_->bytesToWrite() > 0) {
        if (!port_->waitForBytesWritten(kWriteTimeoutMs)) {
            failed_ = true;
            return -1;
        }
    }
    return 0;
}

void SerialPort::purgeInput()
{
    if (!openFlag_ || !port_)
        return;
    // Pull in what the driver already holds, then drop it together with
    // Qt's own buffer. On Windows the first wait may only take the port's
    // "characters received" event and start the read that fetches them; the
    // second takes that read's completion, which would otherwise come in
    // after the purge and put the dropped bytes in front of the next reply.
    port_->waitForReadyRead(0);
    port_->waitForReadyRead(0);
    port_->clear(QSerialPort::Input);
    port_->readAll();
}

} // namespace trgui::device
