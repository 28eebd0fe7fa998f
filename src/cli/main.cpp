// tr-gui-cli: the KM210 from a script. The same conversations, files and
// checks as TR-GUI, on the same window-free core; data on stdout, messages on
// stderr in the chosen language, and an exit status a script can trust.

#include "cli/cli_options.h"
#include "cli/cli_session.h"
#include "cli/cli_texts.h"
#include "core/plain_numbers.h"
#include "core/service_log.h"
#include "core/service_report.h"
#include "core/variants.h"
#include "device/serial_port.h"
#include "pages/configuration/core/configuration_check.h"
#include "pages/configuration/core/configuration_file.h"
#include "pages/operation/core/recording.h"
#include "pages/operation/core/report_values.h"
#include "platform/platform.h"
#include "texts/catalogue.h"
#include "texts/text_table.h"
#include "widgets/report_pdf.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QTextStream>

#include <charconv>
#include <cmath>
#include <iostream>
#include <memory>
#include <string>

namespace trgui::cli {

namespace {

namespace configuration = pages::configuration;

class Program {
public:
    Program(const Options& options, core::SettingsRecord settings)
        : options_(options), session_(options, std::move(settings))
    {
    }

    int run();

private:
    int ports();
    int identify();
    int values();
    int record();
    int readConfig();
    // write-config, and commission: the same with the device's identity first and a report always.
    int writeConfig(bool commissioning);
    int report();
    void printIdentity() const;

    // Opens and identifies; a failure is told and its exit status returned.
    int openDevice();
    void tell(const QString& text) const
    {
        if (!options_.quiet)
            std::cerr << text.toStdString() << '\n';
    }
    static void fail(const QString& text) { std::cerr << text.toStdString() << '\n'; }
    QString say(Say what) const { return cli::say(what, session_.language()); }
    QString native(const QString& path) const { return QDir::toNativeSeparators(path); }
    configuration::FieldLabel fieldLabel() const { return configuration::labelsIn(labels_, session_.language()); }
    std::string programDirectory() const { return session_.settings().programDirectory; }
    // Writes the log line; false (and told) when it could not be.
    bool logWrite(core::ServiceOutcome outcome, core::ServiceDetails details, const QString& reportNumber);
    // The report's file as it is written: ".pdf" added where the name has no suffix.
    QString reportFile(const QString& path) const;
    // A report file that exists is replaced only with --force; told and false otherwise.
    bool reportFileFree(const QString& file) const;
    // Whether an output file can be made where it is named, found before the
    // device is asked anything; told and false otherwise.
    bool canMake(const QString& file) const;
    struct Stamp {
        QDateTime at;
        QString number;
    };
    Stamp reportStamp() const;
    // The report of what records_ knows of the device, and of a poll. measured:
    // whether this report polled the device at all (a configuration write does
    // not), so that a missing poll and none taken read differently.
    bool writeReport(const QString& file, const Stamp& stamp, const QStringList& notes, const QString& verdict,
                     bool measured,
                     const std::optional<core::MeasurementRecord>& live, int liveCode);

    Options options_;
    Session session_;
    configuration::FieldLabels labels_;
    // What was read from and written to the device, as the Configuration page keeps it.
    configuration::ConfigurationRecords records_;
    std::vector<core::ServiceEntry> actions_;
};

// Plain C number text, the shortest that reads back as the same float; JSON null for NaN and infinity.
std::string jsonNumber(float value)
{
    if (!std::isfinite(value))
        return "null";
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

std::string jsonString(const QString& text)
{
    std::string out = "\"";
    for (const char c : text.toStdString()) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[(c >> 4) & 0xF];
            out += kHex[c & 0xF];
            continue;
        }
        out += c;
    }
    return out + '"';
}

std::string jsonRow(const core::MeasurementRecord& r, int code, const QDateTime& at)
{
    const std::pair<const char*, float> numbers[] = {
        {"velocity", r.velocity},          {"velocity_max", r.velocityMax},     {"velocity_min", r.velocityMin},
        {"volume_flow", r.volumeFlow},     {"volume_flow_max", r.volumeFlowMax}, {"volume_flow_min", r.volumeFlowMin},
        {"temperature", r.temperature},    {"temperature_max", r.temperatureMax},
        {"temperature_min", r.temperatureMin}, {"totaliser", r.totaliser},
    };
    std::string out = "{\"time\":" + jsonString(at.toString(Qt::ISODateWithMs))
                    + ",\"model\":" + jsonString(core::variants::modelText(code))
                    + ",\"type_code\":" + std::to_string(code);
    for (const auto& [name, value] : numbers)
        out += ",\"" + std::string(name) + "\":" + jsonNumber(value);
    const std::pair<const char*, const QString*> units[] = {{"velocity_unit", &r.velocityUnit},
                                                           {"volume_flow_unit", &r.volumeFlowUnit},
                                                           {"temperature_unit", &r.temperatureUnit},
                                                           {"totaliser_unit", &r.totaliserUnit}};
    for (const auto& [name, unit] : units)
        out += ",\"" + std::string(name) + "\":" + jsonString(*unit);
    out += ",\"contact_bits\":" + std::to_string(r.contactBits) + ",\"error_code\":" + std::to_string(r.errorCode)
         + ",\"low_flow_suppression\":" + std::to_string(r.lowFlowSuppression) + "}";
    return out;
}

// The error text a recording row carries: the last one the device's code named.
class ErrorTexts {
public:
    ErrorTexts(const std::string& programDirectory, int language)
        : tables_(pages::operation::loadReportTexts(programDirectory, language).errors)
    {
    }
    const QByteArray& of(const core::MeasurementRecord& record)
    {
        if (const auto i = texts::errorIndex(record.errorCode))
            last_ = tables_.texts[static_cast<std::size_t>(*i)];
        return last_;
    }

private:
    texts::ErrorTables tables_;
    QByteArray last_;
};

} // namespace

int Program::run()
{
    labels_ = configuration::fieldLabelsFrom(programDirectory());
    switch (options_.command) {
    case Command::Ports: return ports();
    case Command::Identify: return identify();
    case Command::Values: return values();
    case Command::Record: return record();
    case Command::ReadConfig: return readConfig();
    case Command::WriteConfig: return writeConfig(false);
    case Command::Commission: return writeConfig(true);
    case Command::Report: return report();
    }
    return UsageError;
}

int Program::openDevice()
{
    QString why;
    const ExitCode code = session_.open(why);
    if (code != Success)
        fail(why);
    return code;
}

int Program::ports()
{
    const auto& settings = session_.settings();
    const auto entries = device::describePorts(core::DeviceConnection::kPortCount, core::portResolver(settings),
                                               texts::text(texts::Text::PortNotPresent, session_.language()));
    // The COM entries as the Settings page lists them, then each adapter no COM name reaches.
    QTextStream out(stdout);
    for (const auto& entry : entries)
        out << entry.text << '\n';
    out << '\n';
    for (const auto& port : device::systemPorts())
        out << port.location << '\t' << (port.byId.isEmpty() ? QStringLiteral("-") : port.byId) << '\t'
            << QStringList{port.description, port.manufacturer, port.serialNumber}.filter(QRegularExpression(QStringLiteral("\\S"))).join(QStringLiteral(", "))
            << '\n';
    return Success;
}

int Program::identify()
{
    if (const int code = openDevice(); code != Success)
        return code;
    printIdentity();
    return Success;
}

void Program::printIdentity() const
{
    const auto& s = session_.settings();
    static constexpr std::array<const char*, 3> kFamilies{"standard", "DR", "WT"};
    const int family = static_cast<int>(s.deviceFamily);
    std::cout << "model: " << s.model.toStdString() << '\n'
              << "type code: " << s.deviceTypeCode << '\n'
              << "family: " << (family >= 0 && family < 3 ? kFamilies[static_cast<std::size_t>(family)] : "") << '\n'
              << "software version: " << s.softwareVersion.trimmed().toStdString() << '\n'
              << "port: " << session_.portText().toStdString() << '\n' << std::flush;
}

int Program::values()
{
    if (const int code = openDevice(); code != Success)
        return code;
    int left = options_.count;
    ErrorTexts errors(programDirectory(), session_.language());
    bool headerDone = false;
    const bool polled = session_.poll(options_.interval.value_or(session_.settings().refreshRate),
                                      [&](const core::MeasurementRecord& record, int code) {
        const QDateTime now = QDateTime::currentDateTime();
        if (options_.format == Format::Json) {
            std::cout << jsonRow(record, code, now) << '\n' << std::flush;
        } else {
            // The rows of a recording file, in its encoding and line ends.
            if (!headerDone) {
                std::cout << core::variants::modelText(code).toLatin1().toStdString() << "\r\n"
                          << pages::operation::headerLine(session_.language(), record).toStdString() << "\r\n";
                headerDone = true;
            }
            std::cout << pages::operation::dataRow(record, errors.of(record), now).toStdString() << "\r\n" << std::flush;
        }
        return --left > 0;
    });
    if (!polled) {
        fail(say(Say::NoDevice).arg(session_.portText()));
        return NoDeviceAnswers;
    }
    return Success;
}

int Program::record()
{
    const std::string path = pages::operation::withCsvExtension(QDir::toNativeSeparators(options_.file).toLocal8Bit().toStdString());
    const QString shown = QString::fromLocal8Bit(path.c_str());
    if (!canMake(shown))
        return FileError;
    if (const int code = openDevice(); code != Success)
        return code;
    pages::operation::CsvRecording recording;
    if (!recording.start(path, session_.settings().model)) {
        fail(say(Say::CannotWrite).arg(shown, recording.lastError()));
        return FileError;
    }
    bool interrupted = false;
    platform::onTermination(QCoreApplication::instance(), [&interrupted] { interrupted = true; });
    ErrorTexts errors(programDirectory(), session_.language());
    QElapsedTimer clock;
    clock.start();
    const qint64 limitMs = qint64{options_.seconds} * 1000;
    int rows = 0;
    int lost = 0;
    int lastCode = session_.settings().deviceTypeCode;
    const bool progress = !options_.quiet && platform::isTerminal(2);
    const auto showProgress = [&] {
        if (progress)
            std::cerr << '\r' << say(Say::Recording).arg(rows).arg(clock.elapsed() / 1000).arg(options_.seconds).toStdString()
                      << std::flush;
    };
    const bool polled = session_.poll(
        options_.interval.value_or(session_.settings().refreshRate),
        [&](const core::MeasurementRecord& record, int code) {
            if (code != lastCode) {
                recording.modelChanged(core::variants::modelText(code));
                lastCode = code;
            }
            if (recording.appendRow(session_.language(), record, errors.of(record), QDateTime::currentDateTime()))
                ++rows;
            else
                ++lost;
            showProgress();
            return clock.elapsed() < limitMs;
        },
        [&] { return interrupted || clock.elapsed() >= limitMs; });
    recording.stop();
    if (progress)
        std::cerr << '\n';
    if (interrupted)
        tell(say(Say::Interrupted));
    if (lost > 0) {
        fail(say(Say::RowsLost).arg(lost).arg(recording.lastError()));
        return FileError;
    }
    if (!polled) {
        fail(say(Say::NoDevice).arg(session_.portText()));
        return NoDeviceAnswers;
    }
    tell(say(Say::Written).arg(shown));
    // A script tells a recording cut short from one that ran its time.
    return interrupted ? Interrupted : Success;
}

int Program::readConfig()
{
    const QString path = native(options_.file);
    if (!canMake(path))
        return FileError;
    if (const int code = openDevice(); code != Success)
        return code;
    const auto image = session_.readConfiguration();
    if (!image) {
        fail(say(Say::NotARead).arg(session_.portText()));
        return NoDeviceAnswers;
    }
    QString why;
    platform::TerminationHold hold;  // as for a report
    if (!configuration::saveConfigurationFile(path, configuration::configurationFileBytes(image->code, image->block),
                                              &why)) {
        fail(say(Say::CannotWrite).arg(path, why));
        return FileError;
    }
    tell(say(Say::Written).arg(path));
    return hold.take().isEmpty() ? Success : Interrupted;
}

bool Program::logWrite(core::ServiceOutcome outcome, core::ServiceDetails details, const QString& reportNumber)
{
    const core::ServiceEntry entry =
        session_.serviceEntry(core::ServiceAction::ConfigurationWrite, outcome, std::move(details), reportNumber);
    actions_.push_back(entry);
    const QString log = core::serviceLogPath();
    QString why;
    if (core::appendServiceEntry(log, entry, session_.language(), &why))
        return true;
    fail(say(Say::LogNotWritten).arg(native(log), why));
    return false;
}

QString Program::reportFile(const QString& path) const
{
    const QString file = native(path);
    return QFileInfo(file).suffix().isEmpty() ? file + QStringLiteral(".pdf") : file;
}

bool Program::reportFileFree(const QString& file) const
{
    if (options_.force || !QFileInfo(file).exists())
        return canMake(file);
    fail(say(Say::ReportExists).arg(file));
    return false;
}

bool Program::canMake(const QString& file) const
{
    QString why;
    if (platform::canMakeFile(file, &why))
        return true;
    fail(say(Say::CannotMake).arg(file, why));
    return false;
}

Program::Stamp Program::reportStamp() const
{
    const QDateTime at = QDateTime::currentDateTime();
    return {at, core::reportNumber(at, session_.identity().instrumentTag)};
}

int Program::writeConfig(bool commissioning)
{
    // The report and the log line carry one number, taken as the command
    // starts; commission names its report by it unless told otherwise.
    const Stamp stamp = reportStamp();
    const QString report = !options_.report.isEmpty() ? reportFile(options_.report)
                         : commissioning              ? reportFile(stamp.number + QStringLiteral(".pdf"))
                                                      : QString();
    if (!report.isEmpty() && !reportFileFree(report))
        return FileError;
    const QString path = native(options_.file);
    const auto loaded = configuration::loadConfigurationFile(path);
    if (!loaded.file) {
        if (loaded.error == configuration::LoadError::NotOurs) {
            fail(say(Say::NotOurs).arg(path));
        } else {
            QFile file(path);
            file.open(QIODevice::ReadOnly);  // for the system's words
            fail(say(Say::CannotRead).arg(path, file.errorString()));
        }
        return FileError;
    }
    const configuration::BlockImage next{loaded.file->code, device::familyOf(loaded.file->code), loaded.file->block};

    if (const int code = openDevice(); code != Success)
        return code;
    if (commissioning)
        printIdentity();
    const auto held = session_.readConfiguration();
    if (!held) {
        fail(say(Say::NotARead).arg(session_.portText()));
        return NoDeviceAnswers;
    }
    if (held->family != next.family) {
        fail(say(Say::OtherFamily).arg(core::variants::modelText(next.code), core::variants::modelText(held->code)));
        return Refused;
    }
    // Only a block that passes the page's check goes to the device.
    {
        auto decoded = configuration::decodeBlock(next.family, next.block);
        configuration::Limits limits;
        if (!decoded) {
            fail(say(Say::NotOurs).arg(path));
            return FileError;
        }
        decoded->form.hwVersion = next.code;
        if (configuration::checkConfiguration(decoded->form, limits).result != 1) {
            fail(say(Say::CheckFailed).arg(path));
            return Refused;
        }
    }
    records_.takeRead(*held);
    const auto plan = records_.planWrite(next, held->family, held->code);
    const int language = session_.language();
    if (plan.step == configuration::ConfigurationRecords::WriteStep::NothingChanged) {
        tell(say(Say::NothingToWrite));
        if (report.isEmpty())
            return Success;
        // The report's number stands in the log like that of a write.
        const bool logged = logWrite(core::ServiceOutcome::NothingToWrite, {}, stamp.number);
        if (!writeReport(report, stamp, {}, texts::text(texts::Text::VerdictNothingToWrite, language), false,
                         std::nullopt, 0))
            return FileError;
        return logged ? Success : RecordNotKept;
    }
    // A block of another variant of the family fits the device's offsets, but its variant's fields may not.
    if (next.code != held->code)
        tell(say(Say::OtherVariant).arg(core::variants::modelText(next.code), core::variants::modelText(held->code)));
    // What will change, as the page's box shows it: each value in its own unit.
    std::cout << say(Say::Changes).toStdString() << '\n';
    for (const auto& row : configuration::changeRows(*held, next, plan.changes, fieldLabel(), language))
        std::cout << row.label.toStdString() << ": " << row.before.toStdString() << " -> " << row.after.toStdString()
                  << '\n';
    std::cout << std::flush;
    if (!options_.yes) {
        if (!platform::isTerminal(0)) {
            fail(say(Say::NotConfirmed));
            return Refused;
        }
        std::cerr << say(Say::Ask).toStdString() << std::flush;
        std::string answer;
        std::getline(std::cin, answer);
        if (answer.empty() || std::string("yYjJoO").find(answer.front()) == std::string::npos) {
            fail(say(Say::Declined));
            return Refused;
        }
    }

    // From the telegram on, Ctrl+C and the like wait until the log line and the report are written.
    platform::TerminationHold hold;
    const auto result = session_.writeConfiguration(held->block, next);
    const auto record = records_.takeWrite(*held, next, plan.changes, result.written, held->code,
                                           QDateTime::currentDateTime(), labels_, language);
    using O = core::ServiceOutcome;
    switch (record.outcome) {
    case O::Verified: tell(say(Say::Verified)); break;
    case O::StoredUnacknowledged:
        tell(say(Say::Verified) + QLatin1Char(' ') + core::serviceOutcomeText(record.outcome, language));
        break;
    case O::Differs:
    case O::DiffersUnacknowledged: fail(say(Say::Differs) + QLatin1Char('\n') + record.differs.join(QLatin1Char('\n'))); break;
    case O::NotVerified: fail(say(Say::NotVerified)); break;
    default:
        fail(say(Say::NotAcknowledged) + QLatin1Char(' ')
             + configuration::verdictText(record.outcome, {}, fieldLabel(), language));
        break;
    }
    QString interruptedBy = hold.take();
    core::ServiceDetails details = record.details;
    if (!interruptedBy.isEmpty()) {
        details = [written = record.details, interruptedBy](int l, core::DetailsForm form) {
            return written(l, form) + QStringLiteral(" | ")
                 + texts::text(texts::Text::CliLogInterrupted, l).arg(interruptedBy);
        };
    }
    const bool logged = logWrite(record.outcome, details, report.isEmpty() ? QString() : stamp.number);
    const bool reported = report.isEmpty()
                       || writeReport(report, stamp, {}, records_.verdict(held->code, fieldLabel(), language), false,
                                      std::nullopt, 0);
    if (interruptedBy.isEmpty())
        interruptedBy = hold.take();
    if (!logged || !reported)
        fail(say(Say::RecordNotKept));
    if (!interruptedBy.isEmpty())
        fail(say(Say::WriteInterrupted).arg(interruptedBy));
    // What the device holds comes first, then whether its record was kept.
    if (result.code != Success)
        return result.code;
    if (!logged || !reported)
        return RecordNotKept;
    return interruptedBy.isEmpty() ? Success : Interrupted;
}

bool Program::writeReport(const QString& file, const Stamp& stamp, const QStringList& notes, const QString& verdict,
                          bool measured,
                          const std::optional<core::MeasurementRecord>& live, int liveCode)
{
    const auto& s = session_.settings();
    const int language = session_.language();
    core::ReportData data;
    data.program = QStringLiteral("TR-GUI %1").arg(QCoreApplication::applicationVersion());
    data.at = stamp.at;
    data.number = stamp.number;
    const Session::Identity& identity = session_.identity();
    data.technician = identity.technician;
    data.site = identity.site;
    data.instrumentTag = identity.instrumentTag;
    data.serialNumber = identity.serialNumber;
    data.customer = identity.customer;
    data.port = session_.portText();
    data.deviceAnswering = true;
    data.model = s.model;
    data.typeCode = s.deviceTypeCode;
    data.softwareVersion = s.softwareVersion;
    data.configuration = records_.reportRows(s.deviceTypeCode, fieldLabel(), language);
    data.configurationNotes = records_.reportNotes(s.deviceTypeCode, fieldLabel(), language) + notes;
    data.asLeftKnown = records_.asLeftKnown(s.deviceTypeCode) || data.configuration.empty();
    data.verdict = verdict;
    data.measured = measured;
    if (live) {
        const auto texts = pages::operation::loadReportTexts(programDirectory(), language);
        pages::operation::reportValues(*live, liveCode, texts, data.live, data.liveNotes);
        data.liveAt = QDateTime::currentDateTime();
    }
    data.actions = actions_;
    QString why;
    if (!widgets::writeHtmlPdf(core::serviceReportHtml(data, language), file, &why,
                               options_.force ? platform::Existing::Replace : platform::Existing::Keep)) {
        fail(say(Say::CannotWrite).arg(file, why));
        return false;
    }
    tell(say(Say::ReportWritten).arg(file));
    return true;
}

int Program::report()
{
    const QString file = reportFile(options_.file);
    if (!reportFileFree(file))
        return FileError;
    if (const int code = openDevice(); code != Success)
        return code;
    const auto read = session_.readConfiguration();
    std::optional<core::MeasurementRecord> live;
    int liveCode = 0;
    session_.poll(0, [&](const core::MeasurementRecord& record, int code) {
        live = record;
        liveCode = code;
        return false;
    });
    QStringList notes;
    if (read)
        records_.takeRead(*read);
    else
        notes << say(Say::NotARead).arg(session_.portText());
    // A request to end waits for the file, so that no part of one is left beside it.
    platform::TerminationHold hold;
    if (!writeReport(file, reportStamp(), notes, {}, true, live, liveCode))
        return FileError;
    return hold.take().isEmpty() ? Success : Interrupted;
}

} // namespace trgui::cli

int main(int argc, char** argv)
{
    using namespace trgui::cli;
    trgui::platform::plainStandardStreams();
    const ParsedLine line = parseCommandLine(trgui::platform::commandLineArguments(argc, argv));
    if (line.help) {
        std::cout << usageText().toStdString();
        return Success;
    }
    if (line.version) {
        std::cout << "tr-gui-cli " << TRGUI_VERSION << '\n';
        return Success;
    }
    if (!line.options) {
        std::cerr << "tr-gui-cli: " << line.error.toStdString() << "\n\n" << usageText().toStdString();
        return UsageError;
    }
    const Options& options = *line.options;
    trgui::platform::writeOnAtFileSizeLimit();
    // A report is drawn with QtGui's fonts; no display is needed for that.
    const bool draws = options.command == Command::Report || options.command == Command::Commission || !options.report.isEmpty();
    if (draws)
        trgui::platform::drawWithoutDisplay();
    // Qt's notes on its own set-up (no runtime folder under sudo or cron) are not the script's business.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type == QtFatalMsg || type == QtCriticalMsg || !text.startsWith(QLatin1String("QStandardPaths:")))
            std::cerr << text.toStdString() << '\n';
    });
    std::unique_ptr<QCoreApplication> app = draws ? std::make_unique<QGuiApplication>(argc, argv)
                                                  : std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("TR-GUI"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TRGUI_VERSION));
    const std::string programDirectory =
        trgui::core::withTrailingSeparator(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()).toLocal8Bit().toStdString());
    Program program(options, settingsFor(options, programDirectory));
    return program.run();
}
