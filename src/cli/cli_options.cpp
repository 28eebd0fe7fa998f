#include "cli/cli_options.h"

#include "core/plain_numbers.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <utility>

namespace trgui::cli {

namespace {

struct CommandName {
    const char* name;
    Command command;
    bool takesFile;
};
constexpr std::array<CommandName, 8> kCommands{{
    {"ports", Command::Ports, false},
    {"identify", Command::Identify, false},
    {"values", Command::Values, false},
    {"record", Command::Record, true},
    {"read-config", Command::ReadConfig, true},
    {"write-config", Command::WriteConfig, true},
    {"commission", Command::Commission, true},
    {"report", Command::Report, true},
}};

// A whole number of at most six digits, nothing else.
std::optional<int> wholeNumber(const QString& text)
{
    if (text.isEmpty() || text.size() > 6)
        return std::nullopt;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    return core::parseLeadingInt(text.toStdString());
}

} // namespace

ParsedLine parseCommandLine(const QStringList& arguments)
{
    ParsedLine line;
    Options options;
    std::optional<Command> command;
    bool takesFile = false;
    QStringList positional;
    bool identityGiven = false;
    const auto fail = [&line](const QString& error) {
        line.error = error;
        return line;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString argument = arguments[i];
        if (!argument.startsWith(QLatin1String("--")) || argument == QLatin1String("--")) {
            if (argument == QLatin1String("--")) {
                positional += arguments.mid(i + 1);
                break;
            }
            if (argument == QLatin1String("-h"))
                argument = QStringLiteral("--help");
            else {
                positional << argument;
                continue;
            }
        }
        QString name = argument.mid(2);
        std::optional<QString> inlineValue;
        if (const qsizetype eq = name.indexOf(QLatin1Char('=')); eq >= 0) {
            inlineValue = name.mid(eq + 1);
            name = name.left(eq);
        }
        const auto value = [&]() -> std::optional<QString> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < arguments.size())
                return arguments[++i];
            return std::nullopt;
        };
        const auto number = [&](int minimum) -> std::optional<int> {
            const auto text = value();
            const auto n = text ? wholeNumber(*text) : std::nullopt;
            return n && *n >= minimum ? n : std::nullopt;
        };
        if (name == QLatin1String("help")) {
            line.help = true;
            return line;
        }
        if (name == QLatin1String("version")) {
            line.version = true;
            return line;
        }
        const std::pair<const char*, std::optional<QString>*> identity[] = {
            {"tag", &options.tag},         {"serial", &options.serialNumber}, {"technician", &options.technician},
            {"site", &options.site},       {"customer", &options.customer},
        };
        const auto given = std::find_if(std::begin(identity), std::end(identity),
                                        [&name](const auto& option) { return name == QLatin1String(option.first); });
        if (name == QLatin1String("quiet") || name == QLatin1String("yes") || name == QLatin1String("force")) {
            if (inlineValue)
                return fail(QStringLiteral("--%1 takes no value").arg(name));
            (name == QLatin1String("quiet") ? options.quiet : name == QLatin1String("yes") ? options.yes : options.force) = true;
        } else if (given != std::end(identity)) {
            const auto text = value();
            if (!text)
                return fail(QStringLiteral("--%1 needs a text (\"\" for none)").arg(name));
            *given->second = text->simplified();
            identityGiven = true;
        } else if (name == QLatin1String("port")) {
            options.port = number(1);
            if (!options.port)
                return fail(QStringLiteral("--port needs a COM number, e.g. --port 3"));
        } else if (name == QLatin1String("count")) {
            const auto n = number(1);
            if (!n)
                return fail(QStringLiteral("--count needs a number of polls of at least 1"));
            options.count = *n;
        } else if (name == QLatin1String("interval")) {
            options.interval = number(0);
            if (!options.interval)
                return fail(QStringLiteral("--interval needs whole seconds"));
        } else if (name == QLatin1String("seconds")) {
            const auto n = number(1);
            if (!n)
                return fail(QStringLiteral("--seconds needs whole seconds of at least 1"));
            options.seconds = *n;
        } else if (name == QLatin1String("language")) {
            const auto text = value();
            const QStringList languages{QStringLiteral("de"), QStringLiteral("en"), QStringLiteral("fr")};
            if (!text || !languages.contains(*text))
                return fail(QStringLiteral("--language is de, en or fr"));
            options.language = static_cast<int>(languages.indexOf(*text));
        } else if (name == QLatin1String("format")) {
            const auto text = value();
            if (text == QLatin1String("csv"))
                options.format = Format::Csv;
            else if (text == QLatin1String("json"))
                options.format = Format::Json;
            else
                return fail(QStringLiteral("--format is csv or json"));
        } else if (name == QLatin1String("device") || name == QLatin1String("trace")
                   || name == QLatin1String("settings") || name == QLatin1String("report")) {
            const auto text = value();
            if (!text || text->isEmpty())
                return fail(QStringLiteral("--%1 needs a file").arg(name));
            QString& target = name == QLatin1String("device")  ? options.device
                            : name == QLatin1String("trace")   ? options.trace
                            : name == QLatin1String("settings") ? options.settingsFile
                                                                : options.report;
            target = *text;
        } else {
            return fail(QStringLiteral("unknown option --%1").arg(name));
        }
    }
    if (positional.isEmpty())
        return fail(QStringLiteral("no command given"));
    const QString commandName = positional.takeFirst();
    for (const auto& known : kCommands) {
        if (commandName == QLatin1String(known.name)) {
            command = known.command;
            takesFile = known.takesFile;
        }
    }
    if (!command)
        return fail(QStringLiteral("unknown command \"%1\"").arg(commandName));
    options.command = *command;
    if (takesFile) {
        if (positional.size() != 1)
            return fail(QStringLiteral("%1 needs exactly one file").arg(commandName));
        options.file = positional.first();
    } else if (!positional.isEmpty()) {
        return fail(QStringLiteral("%1 takes no file").arg(commandName));
    }
    if (options.port && !options.device.isEmpty())
        return fail(QStringLiteral("give --port or --device, not both"));
    if (options.command == Command::Record && options.seconds == 0)
        return fail(QStringLiteral("record needs --seconds"));
    const bool pollOptions = options.count != 1 || options.format != Format::Csv;
    if (pollOptions && options.command != Command::Values)
        return fail(QStringLiteral("--count and --format belong to values"));
    if (options.interval && options.command != Command::Values && options.command != Command::Record)
        return fail(QStringLiteral("--interval belongs to values and record"));
    if ((options.yes || !options.report.isEmpty()) && options.command != Command::WriteConfig
        && options.command != Command::Commission)
        return fail(QStringLiteral("--yes and --report belong to write-config and commission"));
    if ((options.force || identityGiven) && options.command != Command::WriteConfig
        && options.command != Command::Commission && options.command != Command::Report)
        return fail(QStringLiteral("--force, --tag, --serial, --technician, --site and --customer belong to write-config, "
                                   "commission and report"));
    line.options = options;
    return line;
}

QString usageText()
{
    return QStringLiteral(
        "Usage: tr-gui-cli [options] COMMAND [FILE]\n"
        "\n"
        "The KM210 flow monitor from a script: the same conversations, files and\n"
        "checks as TR-GUI, without a window.\n"
        "\n"
        "Commands:\n"
        "  ports                 the COM entries and the serial adapters of this machine\n"
        "  identify              model, type code, family and software version\n"
        "  values                polls as the Operation page makes them\n"
        "      --count N         this many polls (1)\n"
        "      --interval S      seconds between poll starts (the settings' refresh rate)\n"
        "      --format csv|json the recording's rows, or one JSON object per line (csv)\n"
        "  record --seconds S FILE   a recording file, as the Operation page writes it\n"
        "  read-config FILE      the device's configuration into a configuration file\n"
        "  write-config FILE     compares, checks, writes and reads back a configuration file\n"
        "      --yes             write without asking\n"
        "      --report PDF      the service report, as found and as left\n"
        "  commission FILE       identify, read, compare, write, read back, log and report\n"
        "                        in one connection (--yes, --report PDF as write-config;\n"
        "                        the report is <report number>.pdf without --report)\n"
        "  report PDF            the service report of the device as it is now\n"
        "\n"
        "Options of write-config, commission and report:\n"
        "  --force               replace an existing report (else exit 8, nothing sent)\n"
        "  --tag TEXT            instrument tag    in the report and the service log,\n"
        "  --serial TEXT         serial number     for this run only; where one is not\n"
        "  --technician TEXT     technician        given, the settings file's value\n"
        "  --site TEXT           site              (technician, site, tag)\n"
        "  --customer TEXT       customer\n"
        "\n"
        "Options:\n"
        "  --port N              COM<N> as the settings file maps it (the settings' COMPORT)\n"
        "  --device PATH         this serial device instead\n"
        "  --language de|en|fr   messages and file texts (the settings' LANGUAGE)\n"
        "  --settings FILE       this settings file instead of the program's TR-GUI.ini\n"
        "  --trace FILE          appends every request and reply to FILE\n"
        "  --quiet               no messages but errors\n"
        "  --help, --version     this text, or the version\n"
        "\n"
        "Exit status:\n"
        "  0   success; also a write whose acknowledgement was lost but whose\n"
        "      read-back shows the block stored as sent\n"
        "  2   usage error\n"
        "  3   the port cannot be opened\n"
        "  4   no device answers, or its configuration could not be read whole\n"
        "  5   refused (another family, check failed, not confirmed)\n"
        "  6   not acknowledged, and read back unchanged or not at all\n"
        "  7   the device holds other values than written\n"
        "  8   file error: a file cannot be read or written, an output file cannot\n"
        "      be made where it is named, or a report exists (without --force);\n"
        "      nothing was written to the device\n"
        "  9   acknowledged but not read back\n"
        "  10  the device was written but its log line or report could not be kept\n"
        "  11  interrupted by SIGINT, SIGTERM or SIGHUP (the files are whole; a\n"
        "      write finishes its log line and report first)\n"
        "Where several apply, the first of 6, 7, 9, 10, 11 is given.\n");
}

} // namespace trgui::cli
