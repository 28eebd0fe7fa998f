#pragma once

#include "core/settings_record.h"
#include "device/serial_link.h"
#include "device/serial_port.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class QThread;

namespace trgui::core {

// The main window's place for the current serial port, or none, and the
// device worker that owns it. The port lives in a thread of its own and every
// conversation with the device runs there, whole and one after another, with
// plain blocking code; the window's thread only hands conversations over and
// hears when they have ended. (Tests may run conversations inline instead.)
class PortSlot : public QObject {
    Q_OBJECT
public:
    enum class Mode { Threaded, Inline };
    using Port = std::unique_ptr<device::SerialLink>;
    // A conversation gets the slot itself: it may talk to the port, close it
    // or put a new one in.
    using Conversation = std::function<void(Port& port)>;

    explicit PortSlot(Mode mode = Mode::Threaded, QObject* parent = nullptr);
    // Lets the conversation in progress and those handed over finish (never
    // cut off half-way on the wire), then closes the port where it lives.
    ~PortSlot() override;
    PortSlot(const PortSlot&) = delete;
    PortSlot& operator=(const PortSlot&) = delete;

    // Whether a port object is in the slot, as of the last conversation that ended.
    bool hasPort() const { return hasPort_; }
    explicit operator bool() const { return hasPort_; }
    // Conversations handed over and not yet ended.
    int pending() const { return pending_; }

    // Hands a conversation over and returns at once. done runs on this
    // thread when it has ended, unless context has gone by then.
    void post(Conversation conversation, QObject* context = nullptr, std::function<void()> done = {});
    // Runs a conversation and returns when it has ended. The window keeps
    // painting and timers keep ticking meanwhile; clicks and keys wait.
    void runAndWait(Conversation conversation);
    // Puts a port into the slot (replacing any); returns when it is in. A
    // SerialPort is a QObject of the thread that made it: in the threaded
    // slot, open ports inside a conversation instead.
    void setPort(Port port);

signals:
    // A conversation put another port into the slot (or emptied it).
    void portReplaced();
    // The port failed during a conversation and has been closed.
    void portLost();

private:
    class Worker;
    void finished(bool hasPort, bool replaced, bool lost);
    // After each conversation: a port that failed is closed. Returns whether it was.
    static bool closeIfFailed(Port& port);

    Mode mode_;
    Port inlinePort_;
    QThread* thread_ = nullptr;
    Worker* worker_ = nullptr;
    bool hasPort_ = false;
    int pending_ = 0;
};

// "COMn" resolved through section [COM] of the settings file, else the
// default device map.
device::PortNameResolver portResolver(const SettingsRecord& settings);
// The chosen port as a record names it: "COM1 (/dev/ttyUSB0)".
QString portDescription(const SettingsRecord& settings);

} // namespace trgui::core
