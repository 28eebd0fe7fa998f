#include "cli/cli_session.h"

#include "core/device_lock.h"
#include "core/measurement_cycle.h"
#include "core/variants.h"
#include "pages/settings/core/connection_line.h"
#include "pages/settings/core/port_problem.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace trgui::cli {

namespace {

// What the cycle needs of the pages: only a page that polls and takes the records.
class PollingHooks : public core::RecordHooks {
public:
    std::function<void(const core::MeasurementRecord&)> delivered;
    int deviceTypeCode = 0;

    void setOperationDeviceTypeCode(int code) override { deviceTypeCode = code; }
    void updateDisplay(const core::MeasurementRecord& record) override { delivered(record); }
};

} // namespace

core::SettingsRecord settingsFor(const Options& options, const std::string& programDirectory)
{
    core::SettingsRecord settings;
    if (options.settingsFile.isEmpty()) {
        settings = core::SettingsRecord::forProgramDirectory(programDirectory);
    } else {
        settings = core::SettingsRecord::forDirectory(programDirectory);
        settings.settingsFilePath = QDir::toNativeSeparators(options.settingsFile).toLocal8Bit().toStdString();
    }
    settings.load();
    return settings;
}

Session::Session(const Options& options, core::SettingsRecord settings)
    : options_(options), settings_(std::move(settings))
{
    language_ = options_.language.value_or(static_cast<int>(core::languageIndex(settings_.language)));
    settings_.language = language_;
    const auto given = [](const std::optional<QString>& option, const std::string& setting) {
        return option ? *option : QString::fromLocal8Bit(setting.c_str());
    };
    identity_ = {given(options_.technician, settings_.technician), given(options_.site, settings_.site),
                 given(options_.tag, settings_.instrumentTag), options_.serialNumber.value_or(QString()),
                 options_.customer.value_or(QString())};
    connection_ = std::make_unique<core::DeviceConnection>(settings_, core::PortSlot::Mode::Inline);
    connection_->setLineBusy([] { return true; });  // the command itself is the only one on the line
    if (!options_.trace.isEmpty())
        connection_->setTraceFile(options_.trace);
    if (!options_.device.isEmpty()) {
        const std::string path = QDir::toNativeSeparators(options_.device).toLocal8Bit().toStdString();
        connection_->setPortResolver([path](const std::string&) { return path; });
    }
}

Session::~Session() = default;

QString Session::portText() const
{
    // The device given is not what any COM number maps to.
    if (!options_.device.isEmpty())
        return QDir::toNativeSeparators(options_.device);
    const QString name = QStringLiteral("COM%1").arg(connection_->portNumber());
    const QString device = QString::fromLocal8Bit(connection_->devicePath().c_str());
    if (device == name)
        return name;  // Windows: the name is the port
    // One arg() for both, so a '%' in a device path is never taken for a place holder.
    return QStringLiteral("%1 (%2)").arg(name, device);
}

ExitCode Session::open(QString& why)
{
    const int number = options_.port.value_or(settings_.comPort);
    settings_.comPort = number;
    connection_->forgetDevice();
    connection_->choosePort(number);
    using Reach = core::DeviceConnection::Reach;
    const Reach reach = connection_->reach();
    if (reach == Reach::Answering)
        return Success;
    const auto problem = pages::settings::problemOfReach(reach, connection_->failure());
    why = problem ? pages::settings::portProblemText(*problem, connection_->failure(), QStringLiteral("COM%1").arg(number),
                                                     language_)
                  : pages::settings::noDeviceText(number, QString::fromLocal8Bit(connection_->devicePath().c_str()),
                                                  language_);
    return reach == Reach::NotOpened ? PortNotOpened : NoDeviceAnswers;
}

std::optional<pages::configuration::BlockImage> Session::readConfiguration()
{
    // The device was identified when the port was opened, moments ago: it is not asked again.
    std::optional<pages::configuration::BlockImage> image;
    connection_->port().runAndWait([&](core::PortSlot::Port& port) {
        if (!port)
            return;
        if (const auto block = pages::configuration::readBlock(*port, settings_.deviceFamily))
            image = pages::configuration::BlockImage{settings_.deviceTypeCode, settings_.deviceFamily, *block};
    });
    return image;
}

Session::WriteResult Session::writeConfiguration(const pages::configuration::Block& held,
                                                 const pages::configuration::BlockImage& next)
{
    WriteResult result;
    connection_->port().runAndWait([&](core::PortSlot::Port& port) {
        if (port)
            result.written = pages::configuration::writeAndReadBack(*port, held, next);
    });
    using O = core::ServiceOutcome;
    switch (result.written.outcome) {
    case O::Verified:
    case O::StoredUnacknowledged: result.code = Success; break;
    case O::Differs:
    case O::DiffersUnacknowledged: result.code = VerifyMismatch; break;
    case O::NotVerified: result.code = NotVerified; break;
    default: result.code = NotAcknowledged; break;
    }
    return result;
}

bool Session::poll(int intervalSeconds, const PollHandler& onPoll, const std::function<bool()>& stop)
{
    settings_.refreshRate = intervalSeconds;
    PollingHooks hooks;
    core::MeasurementCycle cycle(settings_, *connection_, core::deviceLock(), hooks);
    QEventLoop loop;
    bool ok = true;
    QElapsedTimer sincePoll;
    sincePoll.start();
    // As long as the Operation page waits before it calls the values old.
    const qint64 staleMs = std::max<qint64>(6000, qint64{3} * intervalSeconds * 1000) + 2000;
    hooks.delivered = [&](const core::MeasurementRecord& record) {
        sincePoll.restart();
        if (!onPoll(record, hooks.deviceTypeCode))
            loop.quit();
    };
    QTimer ticks;
    ticks.setInterval(100);  // the main window's timer
    QObject::connect(&ticks, &QTimer::timeout, &loop, [&] {
        if (stop && stop()) {
            loop.quit();
            return;
        }
        if (sincePoll.elapsed() > staleMs) {
            ok = false;
            loop.quit();
            return;
        }
        cycle.tick();
    });
    ticks.start();
    loop.exec();
    return ok;
}

core::ServiceEntry Session::serviceEntry(core::ServiceAction action, core::ServiceOutcome outcome,
                                         core::ServiceDetails details, const QString& reportNumber) const
{
    core::ServiceEntry entry;
    entry.at = QDateTime::currentDateTime();
    entry.port = portText();
    entry.model = settings_.model;
    entry.softwareVersion = settings_.softwareVersion;
    entry.action = action;
    entry.outcome = outcome;
    entry.details = std::move(details);
    entry.technician = identity_.technician;
    entry.instrumentTag = identity_.instrumentTag;
    entry.reportNumber = reportNumber;
    entry.serialNumber = identity_.serialNumber;
    entry.customer = identity_.customer;
    return entry;
}

} // namespace trgui::cli
