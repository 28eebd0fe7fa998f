#include "core/port_slot.h"

#include <QEventLoop>
#include <QThread>

namespace trgui::core {

namespace {
// Which link is in the slot (0: none). Not its address: a port opened right
// after the old one was closed may well get the old one's memory.
std::uint64_t serialOf(const PortSlot::Port& port)
{
    return port ? port->serial() : 0;
}
} // namespace

class PortSlot::Worker : public QObject {
public:
    Port port;
};

PortSlot::PortSlot(Mode mode, QObject* parent) : QObject(parent), mode_(mode)
{
    if (mode_ == Mode::Inline)
        return;
    thread_ = new QThread;
    thread_->setObjectName(QStringLiteral("device"));
    worker_ = new Worker;
    worker_->moveToThread(thread_);
    thread_->start();
}

PortSlot::~PortSlot()
{
    if (!thread_)
        return;
    // Queued after everything handed over so far, so that all of it ends first.
    Worker* worker = worker_;
    QMetaObject::invokeMethod(
        worker_,
        [worker] {
            worker->port.reset();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    thread_->wait();
    delete worker_;
    delete thread_;
}

void PortSlot::post(Conversation conversation, QObject* context, std::function<void()> done)
{
    ++pending_;
    const QPointer<QObject> guard(context);
    const bool hasContext = context != nullptr;
    auto complete = [this, guard, hasContext, done = std::move(done)](bool hasPort, bool replaced, bool lost) {
        finished(hasPort, replaced, lost);
        if (done && (!hasContext || guard))
            done();
    };
    if (mode_ == Mode::Inline) {
        const std::uint64_t before = serialOf(inlinePort_);
        conversation(inlinePort_);
        const bool lost = closeIfFailed(inlinePort_);
        complete(inlinePort_ != nullptr, serialOf(inlinePort_) != before, lost);
        return;
    }
    Worker* worker = worker_;
    QMetaObject::invokeMethod(
        worker_,
        [this, worker, conversation = std::move(conversation), complete = std::move(complete)]() mutable {
            const std::uint64_t before = serialOf(worker->port);
            conversation(worker->port);
            const bool lost = closeIfFailed(worker->port);
            const bool hasPort = worker->port != nullptr;
            const bool replaced = serialOf(worker->port) != before;
            // Back on the window's thread; dropped if the slot has gone.
            QMetaObject::invokeMethod(
                this, [complete = std::move(complete), hasPort, replaced, lost] { complete(hasPort, replaced, lost); },
                Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

void PortSlot::runAndWait(Conversation conversation)
{
    bool ended = false;
    QEventLoop loop;
    post(std::move(conversation), nullptr, [&] {
        ended = true;
        loop.quit();
    });
    if (!ended)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void PortSlot::setPort(Port port)
{
    auto holder = std::make_shared<Port>(std::move(port));
    runAndWait([holder](Port& slot) { slot = std::move(*holder); });
}

bool PortSlot::closeIfFailed(Port& port)
{
    if (!port || !port->failed())
        return false;
    port.reset();
    return true;
}

void PortSlot::finished(bool hasPort, bool replaced, bool lost)
{
    --pending_;
    hasPort_ = hasPort;
    if (replaced)
        emit portReplaced();
    if (lost)
        emit portLost();
}

device::PortNameResolver portResolver(const SettingsRecord& settings)
{
    // Copy the path: the resolver runs in the device thread and may outlive a temporary record.
    // A [COM] entry counts on Windows too, where the name would open as it is.
    return [path = settings.settingsFilePath](const std::string& comName) {
        if (!path.empty()) {
            SettingsRecord lookup;
            lookup.settingsFilePath = path;
            if (auto mapped = lookup.mappedPortDevice(comName); !mapped.empty())
                return mapped;
        }
        return device::defaultPortDevice(comName);
    };
}

QString portDescription(const SettingsRecord& settings)
{
    const std::string com = "COM" + std::to_string(settings.comPort);
    const std::string device = portResolver(settings)(com);
    if (device == com)
        return QString::fromStdString(com);  // Windows: the name is the port
    return QStringLiteral("%1 (%2)").arg(QString::fromStdString(com), QString::fromStdString(device));
}

} // namespace trgui::core
