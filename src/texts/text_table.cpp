#include "texts/text_table.h"

#include "platform/platform.h"

#include <QFile>

#include <algorithm>

namespace trgui::texts {

namespace {

std::optional<QByteArray> readFile(TextPage& page, const std::string& directory, const std::string& fileName)
{
    QFile file(QString::fromLocal8Bit((directory + fileName).c_str()));
    if (!file.open(QIODevice::ReadOnly)) {
        page.showMessageBox(QString::fromUtf8(kCannotOpenCaption), QString::fromUtf8(kCannotOpenText));
        return std::nullopt;
    }
    return file.readAll();
}

bool isHeader(const QByteArray& line)
{
    return line.startsWith('#');
}

// The number after "#", read like atoi.
int headerNumber(const QByteArray& line)
{
    std::size_t i = 1;
    const auto n = static_cast<std::size_t>(line.size());
    while (i < n && (line[i] == ' ' || line[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < n && (line[i] == '-' || line[i] == '+'))
        negative = line[i++] == '-';
    long long value = 0;
    for (; i < n && line[i] >= '0' && line[i] <= '9'; ++i)
        value = std::min<long long>(value * 10 + (line[i] - '0'), 1LL << 31);
    return static_cast<int>(std::clamp<long long>(negative ? -value : value, INT32_MIN, INT32_MAX));
}

// An entry ends at a line whose first byte is CR (an LF-only empty line counts as well).
bool isEmptyLine(const QByteArray& line)
{
    return !line.isEmpty() && (line[0] == '\r' || line[0] == '\n');
}

QByteArray withoutControlBytes(const QByteArray& line)
{
    QByteArray out;
    out.reserve(line.size());
    for (char c : line) {
        if (static_cast<unsigned char>(c) >= 0x20)
            out.append(c);
    }
    return out;
}

QByteArray cleanedMessageLine(const QByteArray& line)
{
    QByteArray out = withoutControlBytes(line);
    qsizetype begin = 0, end = out.size();
    while (begin < end && out[begin] == ' ')
        ++begin;
    while (end > begin && out[end - 1] == ' ')
        --end;
    return out.mid(begin, end - begin);
}

// Gathers the text lines after a header up to an empty line or the end of the
// file, keeping their line breaks but that of the last line, cut to limit.
// i points at the first text line on entry and after the ending line on return.
QByteArray gatherEntry(const std::vector<QByteArray>& lines, std::size_t& i, std::size_t limit)
{
    QByteArray text;
    for (; i < lines.size() && !isEmptyLine(lines[i]); ++i)
        text.append(lines[i]);
    if (i < lines.size())
        ++i;  // the empty line
    if (text.endsWith("\r\n"))
        text.chop(2);
    else if (text.endsWith('\n'))
        text.chop(1);
    if (static_cast<std::size_t>(text.size()) >= limit)
        text.truncate(static_cast<qsizetype>(limit - 1));
    return text;
}

} // namespace

std::optional<std::string> languageSuffix(int language)
{
    switch (language) {
    case 0: return "de";
    case 1: return "en";
    case 2: return "fr";
    default: return std::nullopt;
    }
}

std::optional<std::string> textFileName(const char* stem, int language)
{
    const auto suffix = languageSuffix(language);
    if (!suffix)
        return std::nullopt;
    return std::string(stem) + *suffix + ".txt";
}

QString fromWindows1252(const QByteArray& bytes)
{
    return platform::fromWindows1252(bytes);
}

QByteArray toWindows1252(const QString& text)
{
    return platform::toWindows1252(text);
}

std::optional<int> errorIndex(int errorCode)
{
    const auto it = std::find(ErrorCodeList.begin(), ErrorCodeList.end(), errorCode);
    if (it == ErrorCodeList.end())
        return std::nullopt;
    return static_cast<int>(it - ErrorCodeList.begin());
}

std::vector<QByteArray> splitLines(const QByteArray& bytes)
{
    std::vector<QByteArray> lines;
    const qsizetype max = static_cast<qsizetype>(kLineBuffer - 1);
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', at);
        qsizetype length = lf < 0 ? bytes.size() - at : lf - at + 1;
        length = std::min(length, max);
        lines.push_back(bytes.mid(at, length));
        at += length;
    }
    return lines;
}

const std::array<QByteArray, 5>* MessageTable::entry(int number) const
{
    if (number < 1 || number > kMessageCount)
        return nullptr;
    return &entries[static_cast<std::size_t>(number - 1)];
}

QString MessageTable::caption(int number) const
{
    const auto* e = entry(number);
    return e ? fromWindows1252((*e)[0]) : QString();
}

QByteArray MessageTable::rawText(int number) const
{
    QByteArray text;
    if (const auto* e = entry(number)) {
        for (int line = 1; line <= 4; ++line)
            text.append((*e)[static_cast<std::size_t>(line)]).append('\r');
    }
    text.truncate(static_cast<qsizetype>(kMessageTextLimit));
    return text;
}

void applyLabels(TextPage& page, const std::string& directory, const std::string& fileName)
{
    const auto bytes = readFile(page, directory, fileName);
    if (!bytes)
        return;
    const auto lines = splitLines(*bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!isHeader(lines[i]) || i + 1 >= lines.size())
            continue;
        const int id = headerNumber(lines[i]);
        const QByteArray caption = withoutControlBytes(lines[++i]);
        if (id != 0 && page.hasControl(id))
            page.setControlText(id, fromWindows1252(caption));
    }
}

void applyHelp(TextPage& page, const std::string& directory, const std::string& fileName)
{
    const auto bytes = readFile(page, directory, fileName);
    if (!bytes)
        return;
    const auto lines = splitLines(*bytes);
    for (std::size_t i = 0; i < lines.size();) {
        if (!isHeader(lines[i])) {
            ++i;
            continue;
        }
        const int id = headerNumber(lines[i++]);
        const QByteArray text = gatherEntry(lines, i, kHelpLimit);
        if (id != 0 && page.hasControl(id))
            page.setControlToolTip(id, toolTipText(text));
    }
}

void loadMessages(TextPage& page, MessageTable& table, const std::string& directory, const std::string& fileName)
{
    const auto bytes = readFile(page, directory, fileName);
    if (!bytes)
        return;
    std::vector<QByteArray> lines;
    for (const auto& raw : splitLines(*bytes))
        lines.push_back(cleanedMessageLine(raw));

    for (std::size_t i = 0; i < lines.size();) {
        if (!isHeader(lines[i])) {
            ++i;
            continue;
        }
        const int number = headerNumber(lines[i++]);
        if (number < 1 || number > kMessageCount)
            continue;
        auto& entry = table.entries[static_cast<std::size_t>(number - 1)];
        entry.fill(QByteArray());
        for (std::size_t line = 0; i < lines.size() && !lines[i].isEmpty() && !isHeader(lines[i]); ++i, ++line) {
            if (line < entry.size())
                entry[line] = lines[i];
        }
    }
}

void loadErrorTexts(TextPage& page, ErrorTables& tables, const std::string& directory, const std::string& fileName)
{
    const auto bytes = readFile(page, directory, fileName);
    if (!bytes)
        return;
    const auto lines = splitLines(*bytes);
    std::size_t counter = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!isHeader(lines[i]) || i + 1 >= lines.size())
            continue;
        const QByteArray text = withoutControlBytes(lines[++i]);
        if (counter < tables.texts.size())
            tables.texts[counter++] = text;
    }
}

void loadErrorHelp(TextPage& page, ErrorTables& tables, const std::string& directory, const std::string& fileName)
{
    const auto bytes = readFile(page, directory, fileName);
    if (!bytes)
        return;
    const auto lines = splitLines(*bytes);
    std::size_t counter = 0;
    for (std::size_t i = 0; i < lines.size();) {
        if (!isHeader(lines[i])) {
            ++i;
            continue;
        }
        ++i;
        const QByteArray text = gatherEntry(lines, i, kErrorHelpLimit);
        if (counter < tables.help.size())
            tables.help[counter++] = text;
    }
}

QString messageBoxText(const MessageTable& table, int number)
{
    QString text = fromWindows1252(table.rawText(number));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    while (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text;
}

void showMessage(TextPage& page, const MessageTable& table, int number)
{
    page.showMessageBox(table.caption(number), messageBoxText(table, number));
}

void setAvailable(TextPage& page, int id, bool unavailable, int greyOut)
{
    page.setControlVisible(id, true);
    page.setControlEnabled(id, true);
    if (!unavailable)
        return;
    if (greyOut == 1)
        page.setControlEnabled(id, false);
    else
        page.setControlVisible(id, false);
}

QString toolTipText(const QByteArray& helpEntry)
{
    QString text = fromWindows1252(helpEntry);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

} // namespace trgui::texts
