// tr-gui-cli's --help, its manual page and the README tell the same commands,
// options and exit statuses, and the statuses are the program's.

#include "cli/cli_options.h"

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

namespace {

using Statuses = std::map<int, QString>;  // exit status: its meaning, in one line

QString sourceFile(const char* path)
{
    QFile file(QStringLiteral(TRGUI_SOURCE_DIR "/") + QLatin1String(path));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The words a line of roff source shows: "\-" a hyphen, no font changes, the
// arguments of .BR and the like joined as the page joins them.
QString roffText(const QString& line)
{
    QString text = line;
    text.replace(QLatin1String("\\-"), QLatin1String("-")).remove(QRegularExpression(QStringLiteral("\\\\f[BIRP]")));
    if (!text.startsWith(QLatin1Char('.')))
        return text;
    static const QRegularExpression request(QStringLiteral("^\\.([A-Za-z]+)\\s*(.*)$"));
    const auto m = request.match(text);
    const QString macro = m.captured(1);
    QStringList arguments;
    static const QRegularExpression argument(QStringLiteral("\"([^\"]*)\"|(\\S+)"));
    for (auto it = argument.globalMatch(m.captured(2)); it.hasNext();) {
        const auto a = it.next();
        arguments << (a.hasCaptured(1) ? a.captured(1) : a.captured(2));
    }
    if (macro == QLatin1String("B") || macro == QLatin1String("I"))
        return arguments.join(QLatin1Char(' '));
    if (macro.size() == 2 && QStringLiteral("BIR").contains(macro[0]) && QStringLiteral("BIR").contains(macro[1]))
        return arguments.join(QString());
    return {};
}

// "Exit status:" and its indented lines, a status to a line, its meaning
// going on in the lines indented further.
Statuses helpStatuses(const QString& help)
{
    Statuses statuses;
    const QStringList lines = help.mid(help.indexOf(QLatin1String("\nExit status:\n")) + 14).split(QLatin1Char('\n'));
    static const QRegularExpression entry(QStringLiteral("^  (\\d+) +(.*)$"));
    int status = -1;
    for (const QString& line : lines) {
        if (!line.startsWith(QLatin1String("  ")))
            break;
        if (const auto m = entry.match(line); m.hasMatch())
            statuses[status = m.captured(1).toInt()] = m.captured(2);
        else if (status >= 0)
            statuses[status] += QLatin1Char(' ') + line.simplified();
    }
    return statuses;
}

// .SH "EXIT STATUS": a .TP with the status in bold, then its meaning.
Statuses manStatuses(const QString& page)
{
    Statuses statuses;
    const qsizetype begin = page.indexOf(QLatin1String("\n.SH \"EXIT STATUS\"\n"));
    const QString section = page.mid(begin + 1, page.indexOf(QLatin1String("\n.SH "), begin + 1) - begin);
    for (QString item : section.split(QStringLiteral("\n.TP\n")).mid(1)) {
        item = item.left(item.indexOf(QLatin1String("\n.PP")));
        QStringList lines = item.split(QLatin1Char('\n'));
        static const QRegularExpression status(QStringLiteral("^\\.B (\\d+)$"));
        const auto m = status.match(lines.takeFirst());
        if (!m.hasMatch())
            continue;
        QStringList words;
        for (const QString& line : lines)
            words << roffText(line);
        statuses[m.captured(1).toInt()] = words.join(QLatin1Char(' ')).simplified();
    }
    return statuses;
}

// The table under "| exit status | meaning |".
Statuses readmeStatuses(const QString& readme)
{
    Statuses statuses;
    const qsizetype begin = readme.indexOf(QLatin1String("| exit status | meaning |"));
    const QString table = readme.mid(begin, readme.indexOf(QLatin1String("\n\n"), begin) - begin);
    static const QRegularExpression row(QStringLiteral("^\\| (\\d+) \\| (.*) \\|$"),
                                        QRegularExpression::MultilineOption);
    for (auto it = row.globalMatch(table); it.hasNext();) {
        const auto m = it.next();
        statuses[m.captured(1).toInt()] = m.captured(2);
    }
    return statuses;
}

} // namespace

TEST(CliDocuments, helpManualPageAndReadmeAgreeOnCommandsOptionsAndExitStatuses)
{
    using namespace trgui::cli;
    const QString help = usageText();
    const QString page = sourceFile("packaging/tr-gui-cli.1.in");
    const QString readme = sourceFile("README.md");
    ASSERT_FALSE(page.isEmpty());
    ASSERT_FALSE(readme.isEmpty());

    // Each status the program gives, with words its meaning has in every document.
    const std::map<int, std::vector<const char*>> meanings = {
        {Success, {"success", "acknowledgement was lost", "stored"}},
        {UsageError, {"usage error"}},
        {PortNotOpened, {"port cannot be opened"}},
        {NoDeviceAnswers, {"no device answers"}},
        {Refused, {"refused"}},
        {NotAcknowledged, {"not acknowledged", "unchanged"}},
        {VerifyMismatch, {"other values than"}},
        {FileError, {"cannot be read or written", "--force"}},
        {NotVerified, {"acknowledged but not read back"}},
        {RecordNotKept, {"log line or report could not be kept"}},
        {Interrupted, {"interrupted by sigint, sigterm or sighup"}},
    };
    std::set<int> codes;
    for (const auto& [code, words] : meanings)
        codes.insert(code);
    const std::pair<const char*, Statuses> documents[] = {
        {"--help", helpStatuses(help)},
        {"tr-gui-cli.1.in", manStatuses(page)},
        {"README.md", readmeStatuses(readme)},
    };
    for (const auto& [document, statuses] : documents) {
        std::set<int> listed;
        for (const auto& [code, meaning] : statuses)
            listed.insert(code);
        EXPECT_EQ(listed, codes) << document;
        for (const auto& [code, meaning] : statuses) {
            if (!meanings.count(code))
                continue;
            for (const char* word : meanings.at(code)) {
                EXPECT_TRUE(meaning.simplified().contains(QString::fromUtf8(word), Qt::CaseInsensitive))
                    << document << ", " << code << ": \"" << meaning.toStdString() << "\" lacks \"" << word << "\"";
            }
        }
    }

    // Every option --help names, in the manual page and the README.
    const QString manual = QString(page).replace(QLatin1String("\\-"), QLatin1String("-"))
                               .remove(QRegularExpression(QStringLiteral("\\\\f[BIRP]")));
    std::set<QString> options;
    static const QRegularExpression option(QStringLiteral("--[a-z][a-z-]*"));
    for (auto it = option.globalMatch(help); it.hasNext();)
        options.insert(it.next().captured(0));
    EXPECT_GE(options.size(), 20u);
    for (const QString& name : options) {
        const QRegularExpression named(QRegularExpression::escape(name) + QStringLiteral("(?![a-z-])"));
        EXPECT_TRUE(manual.contains(named)) << name.toStdString() << " is not in the manual page";
        EXPECT_TRUE(readme.contains(named)) << name.toStdString() << " is not in the README";
    }

    // Every command, as an item of the manual page's COMMANDS and a row of the README's table.
    static const QRegularExpression command(QStringLiteral("^  ([a-z][a-z-]+)"), QRegularExpression::MultilineOption);
    const QString commands = help.mid(help.indexOf(QLatin1String("Commands:")));
    int count = 0;
    for (auto it = command.globalMatch(commands.left(commands.indexOf(QLatin1String("\n\n")))); it.hasNext(); ++count) {
        const QString name = QRegularExpression::escape(it.next().captured(1));
        EXPECT_TRUE(manual.contains(QRegularExpression(QStringLiteral("\n\\.TP\n(\\.B[IR]? \"?)?") + name
                                                       + QStringLiteral("(?![a-z-])"))))
            << name.toStdString() << " is not an item of the manual page";
        EXPECT_TRUE(readme.contains(QRegularExpression(QStringLiteral("\n\\| `") + name + QStringLiteral("[ `]"))))
            << name.toStdString() << " is not a row of the README";
    }
    EXPECT_EQ(count, 8);
}
