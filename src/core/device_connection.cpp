#include "core/device_connection.h"

#include "core/variants.h"
#include "device/trace_link.h"
#include "texts/catalogue.h"

namespace trgui::core {

DeviceConnection::DeviceConnection(SettingsRecord& settings, PortSlot::Mode mode, QObject* parent)
    : QObject(parent), settings_(settings), port_(mode)
{
    reconnect_.setSingleShot(true);
    reconnect_.setInterval(kRetryMs);
    connect(&reconnect_, &QTimer::timeout, this, [this] { openAndIdentify(portNumber_); });
    reidentify_.setSingleShot(true);
    reidentify_.setInterval(kRetryMs);
    connect(&reidentify_, &QTimer::timeout, this, &DeviceConnection::identifyAgain);
    // The question itself takes a moment, so asking after this much quiet
    // asks about every kWatchMs; a device gone is seen within a second more.
    watch_.setSingleShot(true);
    watch_.setInterval(kWatchMs - 200);
    connect(&watch_, &QTimer::timeout, this, &DeviceConnection::watchLine);
    connect(&port_, &PortSlot::portLost, this, &DeviceConnection::portLost);
}

DeviceConnection::~DeviceConnection()
{
    reconnect_.stop();
    reidentify_.stop();
    watch_.stop();
    // A conversation still on the line ends first; then the port is closed.
    port_.post([](PortSlot::Port& port) { port.reset(); });
}

namespace {

// A SerialPort that finds the device of COMn through resolve.
DeviceConnection::PortFactory serialPorts(device::PortNameResolver resolve)
{
    return [resolve = std::move(resolve)](int number, device::OpenFailure& failure) -> PortSlot::Port {
        auto port = std::make_unique<device::SerialPort>(resolve);
        if (port->open(number) != 0) {
            failure = port->lastFailure();
            return nullptr;
        }
        return port;
    };
}

} // namespace

void DeviceConnection::setRetryInterval(int milliseconds)
{
    reconnect_.setInterval(milliseconds);
    reidentify_.setInterval(milliseconds);
}

void DeviceConnection::setWatchInterval(int milliseconds)
{
    watch_.setInterval(milliseconds);
}

device::PortNameResolver DeviceConnection::resolver() const
{
    return resolver_ ? resolver_ : portResolver(settings_);
}

void DeviceConnection::forgetDevice()
{
    settings_.deviceTypeCode = 0;
    settings_.deviceFamily = device::Family::None;
}

void DeviceConnection::choosePort(int number)
{
    reconnect_.stop();  // a port chosen by hand ends any attempt to bring back the old one
    reidentify_.stop();
    chosen_ = true;
    portNumber_ = number;
    devicePath_ = resolver()("COM" + std::to_string(number));
    openAndIdentify(number);
}

void DeviceConnection::openAndIdentify(int number)
{
    // Opened and asked on the device thread; the identity follows when the answer is there.
    struct Outcome {
        bool opened = false;
        bool returned = false;  // set on this thread once the conversation is back
        device::OpenFailure failure;
        device::Identification id;
    };
    auto outcome = std::make_shared<Outcome>();
    waitingForAnswer_ = false;
    const int attempt = ++openAttempt_;
    QTimer::singleShot(kOpenWatchMs, this, [this, outcome, attempt] {
        if (outcome->returned || attempt != openAttempt_)
            return;
        device::OpenFailure hanging;
        hanging.device = devicePath_;
        hanging.systemText = texts::text(texts::Text::PortDoesNotReturn, settings_.language).arg(kOpenWatchMs / 1000);
        settings_.deviceAnswering = false;
        setReach(Reach::NotOpened, hanging);
    });
    port_.post(
        [outcome, number, factory = factory_ ? factory_ : serialPorts(resolver()), trace = traceFile_](PortSlot::Port& slot) {
            slot.reset();  // closes the old port before the new one is opened
            PortSlot::Port link = factory(number, outcome->failure);
            if (!link)
                return;
            outcome->opened = true;
            if (!trace.isEmpty())
                link = std::make_unique<device::TraceLink>(std::move(link), trace);
            outcome->id = device::identifyOnConnect(*link);
            slot = std::move(link);  // stays open even when silent; the cycle keeps trying it
        },
        this, [this, outcome] {
            outcome->returned = true;
            if (!outcome->opened) {
                // Tried again every 2 s, so fixing the cause is all it takes.
                settings_.deviceAnswering = false;
                setReach(Reach::NotOpened, outcome->failure);
                reconnect_.start();
                return;
            }
            if (outcome->id.connected)
                takeIdentity(outcome->id, false);
            else
                settings_.deviceAnswering = false;
            waitingForAnswer_ = !outcome->id.connected;
            device::OpenFailure failure = outcome->failure;
            failure.refusedReply = outcome->id.refusedReply;
            setReach(reachOf(outcome->id), failure);
            if (waitingForAnswer_)
                reidentify_.start();
        });
}

DeviceConnection::Reach DeviceConnection::reachOf(const device::Identification& id)
{
    if (id.connected)
        return Reach::Answering;
    return id.refusedReply.empty() ? Reach::Silent : Reach::Unrecognised;
}

void DeviceConnection::identifyAgain()
{
    // The port is open but the device did not answer (switched off, cable
    // loose at its end): ask on the open port until it does.
    auto outcome = std::make_shared<device::Identification>();
    auto asked = std::make_shared<bool>(false);
    port_.post(
        [outcome, asked](PortSlot::Port& slot) {
            if (!slot)
                return;  // lost meanwhile: reconnection takes over
            *asked = true;
            *outcome = device::identifyOnConnect(*slot);
        },
        this, [this, outcome, asked] {
            if (!*asked || reconnecting() || !waitingForAnswer_)
                return;  // a port chosen meanwhile has its own identification
            if (!outcome->connected) {
                // Silent, or replying otherwise than a connection needs: the reason follows what it does now.
                if (reachOf(*outcome) != reach_ || outcome->refusedReply != failure_.refusedReply) {
                    device::OpenFailure failure;
                    failure.refusedReply = outcome->refusedReply;
                    setReach(reachOf(*outcome), failure);
                }
                reidentify_.start();
                return;
            }
            waitingForAnswer_ = false;
            const bool another = settings_.deviceTypeCode > 0 && outcome->deviceTypeCode != settings_.deviceTypeCode;
            takeIdentity(*outcome, another);
            setReach(Reach::Answering);
        });
}

void DeviceConnection::watchLine()
{
    // Only an answering device on an open port is watched; a silent one is
    // asked again and a lost port reopened already.
    if (reach_ != Reach::Answering || waitingForAnswer_ || reconnecting() || !port_)
        return;
    if (port_.pending() > 0 || (lineBusy_ && lineBusy_())) {
        watch_.start();  // whoever has the line hears the device, or finds it gone
        return;
    }
    auto reply = std::make_shared<device::Reply>();
    auto asked = std::make_shared<bool>(false);
    const int port = portNumber_;
    port_.post(
        [reply, asked](PortSlot::Port& slot) {
            if (!slot)
                return;
            *asked = true;
            *reply = device::exchange(*slot, device::DeviceCommand::Identify, device::DrainMode::Auto);
        },
        this, [this, reply, asked, port] {
            if (!*asked || port != portNumber_ || reach_ != Reach::Answering || waitingForAnswer_ || reconnecting())
                return;  // another port, or the loss was seen meanwhile
            if (reply->empty()) {
                deviceFellSilent();
                return;
            }
            deviceHeard();
            if (reply->taken())
                pollIdentified(static_cast<std::int8_t>(reply->at(2)));  // another model takes over
        });
}

void DeviceConnection::deviceHeard()
{
    heard_.restart();
    if (reach_ == Reach::Answering && !waitingForAnswer_)
        watch_.start();  // asked again once the line has been quiet for a while
}

void DeviceConnection::exchangeEnded(bool heard)
{
    if (heard)
        deviceHeard();
    else if (reach_ == Reach::Answering && !waitingForAnswer_ && port_ && !reconnecting() && heard_.isValid()
             && heard_.elapsed() >= kWatchMs)
        deviceFellSilent();  // (a port that has gone is opened again instead)
}

void DeviceConnection::deviceFellSilent()
{
    settings_.deviceAnswering = false;
    waitingForAnswer_ = true;
    setReach(Reach::Silent);
    reidentify_.start();
}

void DeviceConnection::portLost()
{
    reidentify_.stop();
    waitingForAnswer_ = false;
    settings_.deviceAnswering = false;
    settings_.deviceUnrecognised = false;
    emit reachChanged();
    // Opened again at once: the attempt tells why it cannot be (the adapter
    // is gone), and a port that opens again is back without a wait.
    openAndIdentify(portNumber_);
}

void DeviceConnection::takeFamilyOf(int code)
{
    device::updateFamily(code, settings_.deviceFamily);
}

void DeviceConnection::pollIdentified(int code)
{
    takeFamilyOf(code);
    if (!chosen_ || code == settings_.deviceTypeCode || waitingForAnswer_ || reconnecting())
        return;
    takeIdentity(device::Identification{true, code, std::nullopt, {}}, true);
    auto outcome = std::make_shared<device::Identification>();
    port_.post(
        [outcome](PortSlot::Port& slot) {
            if (!slot)
                return;
            device::drain(*slot, device::DrainMode::Auto);  // late bytes of the poll's last reply
            *outcome = device::identifyOnConnect(*slot);
        },
        this, [this, outcome] {
            if (outcome->connected && outcome->deviceTypeCode == settings_.deviceTypeCode)
                takeIdentity(*outcome, false);
        });
}

void DeviceConnection::takeIdentity(const device::Identification& id, bool anotherDevice)
{
    settings_.deviceAnswering = true;
    deviceHeard();
    device::updateFamily(id.deviceTypeCode, settings_.deviceFamily);
    settings_.deviceTypeCode = id.deviceTypeCode;
    settings_.model = variants::modelText(id.deviceTypeCode);
    settings_.softwareVersion.clear();
    if (id.softwareVersion)
        settings_.softwareVersion = QString::asprintf("%5.2f", static_cast<double>(*id.softwareVersion));
    emit identified(anotherDevice);
}

void DeviceConnection::setReach(Reach reach, const device::OpenFailure& failure)
{
    reach_ = reach;
    failure_ = failure;
    settings_.deviceUnrecognised = reach_ == Reach::Unrecognised;
    if (failure_.device.empty())
        failure_.device = devicePath_;  // every reason names the device
    if (reach_ == Reach::Answering)
        watch_.start();
    else
        watch_.stop();
    emit reachChanged();
}

void DeviceConnection::lookAtPorts(const QString& notPresent)
{
    if (portWatchPending_)
        return;  // the device thread is busy: the last look is still on its way
    portWatchPending_ = true;
    // Asked on the device thread, so neither start-up nor the watch's tick waits for the system.
    auto entries = std::make_shared<std::vector<device::PortEntry>>();
    port_.post(
        [entries, resolve = resolver(), notPresent, open = openPort()](PortSlot::Port&) {
            *entries = device::describePorts(kPortCount, resolve, notPresent, open);
        },
        this, [this, entries] {
            portWatchPending_ = false;
            emit portsDescribed(*entries);
        });
}

std::vector<device::PortEntry> DeviceConnection::describePortsNow(const QString& notPresent) const
{
    return device::describePorts(kPortCount, resolver(), notPresent, openPort());
}

int DeviceConnection::openPort() const
{
    return reach_ == Reach::Silent || reach_ == Reach::Answering ? portNumber_ : 0;
}

} // namespace trgui::core
