#pragma once

// One device on one port for the command line: opened and identified as the
// Settings page does it, polled by the measurement cycle as the Operation page
// has it polled, and its configuration read and written with the
// Configuration page's conversations. Runs every conversation inline on the
// calling thread.

#include "cli/cli_options.h"
#include "core/device_connection.h"
#include "core/measurement_record.h"
#include "core/settings_record.h"
#include "pages/configuration/core/configuration_service.h"

#include <QDateTime>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace trgui::cli {

// Where the program's language files and settings are: the directory the
// program lies in, and its TR-GUI.ini as TR-GUI finds it (or the one given).
core::SettingsRecord settingsFor(const Options& options, const std::string& programDirectory);

class Session {
public:
    Session(const Options& options, core::SettingsRecord settings);
    ~Session();

    int language() const { return language_; }
    const core::SettingsRecord& settings() const { return settings_; }
    // "COM3 (/dev/ttyUSB2)", or the path of the device given.
    QString portText() const;

    // Who and what a report and the log name: the options given, else the settings file's values.
    struct Identity {
        QString technician;
        QString site;
        QString instrumentTag;
        QString serialNumber;
        QString customer;
    };
    const Identity& identity() const { return identity_; }

    // Opens the port and identifies the device. Success, PortNotOpened or
    // NoDeviceAnswers; why holds the reason in the session's language.
    ExitCode open(QString& why);

    // The device's configuration block, read as the Configuration page reads it.
    std::optional<pages::configuration::BlockImage> readConfiguration();

    struct WriteResult {
        ExitCode code = NotAcknowledged;
        pages::configuration::WriteResult written;
    };
    // Sends the block and reads it back, acknowledged or not; held is what
    // the device held before.
    WriteResult writeConfiguration(const pages::configuration::Block& held,
                                   const pages::configuration::BlockImage& next);

    // Polls as the cycle polls (interval: seconds between poll starts) until
    // onPoll returns false or stop() says so. False when no poll came for as
    // long as the Operation page waits before it calls the values old.
    using PollHandler = std::function<bool(const core::MeasurementRecord& record, int deviceTypeCode)>;
    bool poll(int intervalSeconds, const PollHandler& onPoll, const std::function<bool()>& stop = {});

    // An entry for the service log, as the pages make them, with the number
    // of the report made with it (empty without one).
    core::ServiceEntry serviceEntry(core::ServiceAction action, core::ServiceOutcome outcome,
                                    core::ServiceDetails details, const QString& reportNumber = {}) const;

private:
    Options options_;
    core::SettingsRecord settings_;
    int language_ = 0;
    Identity identity_;
    std::unique_ptr<core::DeviceConnection> connection_;
};

} // namespace trgui::cli
