#include "core/service_log.h"

#include "core/settings_record.h"
#include "platform/platform.h"
#include "texts/catalogue.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <utility>

namespace trgui::core {

namespace {

const QByteArray kLineEnd("\r\n");
const QByteArray kByteOrderMark("\xEF\xBB\xBF");

using texts::Text;

// By ServiceAction and by ServiceOutcome.
constexpr Text kActions[] = {
    Text::ActionWriteConfiguration, Text::ActionZeroPoint, Text::ActionLowFlow,
    Text::ActionResetMax, Text::ActionResetMin, Text::ActionResetTotaliser,
    Text::ActionResetError, Text::ActionStartMeasurement, Text::ActionStopMeasurement,
};
constexpr Text kOutcomes[] = {
    Text::OutcomeAcknowledged, Text::OutcomeNotAcknowledged, Text::OutcomeSent,
    Text::OutcomeReadBack, Text::OutcomeDiffers, Text::OutcomeNotVerified,
    Text::OutcomeStoredUnacknowledged, Text::OutcomeUnchangedUnacknowledged, Text::OutcomeDiffersUnacknowledged,
    Text::OutcomeStateUnknown, Text::OutcomeNothingToWrite,
};

std::size_t column(int language)
{
    return languageIndex(language);
}

QByteArray encoded(const QString& text, bool utf8)
{
    return utf8 ? text.toUtf8() : platform::toWindows1252(text);
}

bool needsQuotes(const QString& text)
{
    return text.contains(QLatin1Char(';')) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n'))
        || text.contains(QLatin1Char('\r'));
}

// The fields of a line, each as typed: quoted where it holds the separator, a
// quote or a line break.
QString joined(const QStringList& fields)
{
    QString out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const QString& f = fields[i];
        if (needsQuotes(f)) {
            out += (i == 0 ? QString() : QStringLiteral(";")) + QLatin1Char('"')
                 + QString(f).replace(QLatin1Char('"'), QLatin1String("\"\"")) + QLatin1Char('"');
        } else {
            out += (i == 0 ? QString() : QStringLiteral("; ")) + f;
        }
    }
    return out;
}

QString text(Text id, std::size_t language)
{
    return texts::text(id, static_cast<int>(language));
}

QString dateText(const QDateTime& at)
{
    return at.toString(QStringLiteral("yyyy.MM.dd"));
}

QString timeText(const QDateTime& at)
{
    return at.toString(QStringLiteral("HH:mm:ss"));
}

// The first line of the file, without its line end; empty when there is none.
QByteArray firstLine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray first = file.readLine(1024);
    while (first.endsWith('\n') || first.endsWith('\r'))
        first.chop(1);
    return first;
}

// The columns after the eight every entry has, empty where a field is not given.
QStringList trailingColumns(const ServiceLogFormat& format, const QString& technician, const QString& tag,
                            const QString& reportNumber, const QString& serialNumber, const QString& customer)
{
    QStringList columns;
    if (format.technicianColumn)
        columns << technician;
    if (format.identityColumns)
        columns << tag << reportNumber;
    if (format.partyColumns)
        columns << serialNumber << customer;
    return columns;
}

QString lineText(const ServiceEntry& e, const ServiceLogFormat& format)
{
    const std::size_t l = column(format.language);
    QString details = e.detailsIn(format.language);
    const auto addToDetails = [&](Text name, const QString& value) {
        if (!value.isEmpty())
            details += (details.isEmpty() ? QString() : QStringLiteral(" | ")) + text(name, l) + QStringLiteral(": ") + value;
    };
    if (!format.technicianColumn)
        addToDetails(Text::Technician, e.technician);
    if (!format.identityColumns) {
        addToDetails(Text::InstrumentTag, e.instrumentTag);
        addToDetails(Text::ReportNumber, e.reportNumber);
    }
    if (!format.partyColumns) {
        addToDetails(Text::SerialNumber, e.serialNumber);
        addToDetails(Text::ReportCustomer, e.customer);
    }
    return joined(QStringList{dateText(e.at), timeText(e.at), e.port, e.model, e.softwareVersion.trimmed(),
                              serviceActionText(e.action, format.language), details,
                              serviceOutcomeText(e.outcome, format.language)}
                  + trailingColumns(format, e.technician, e.instrumentTag, e.reportNumber, e.serialNumber, e.customer));
}

// A line that tells something of the log itself, in the columns of an entry.
QByteArray noteLine(const QDateTime& at, const QString& what, const QString& details, const ServiceLogFormat& format)
{
    return encoded(joined(QStringList{dateText(at), timeText(at), {}, {}, {}, what, details, {}}
                          + trailingColumns(format, {}, {}, {}, {}, {})),
                   format.utf8);
}

// Where a Windows-1252 log goes when it cannot take the next entry: beside
// it, named by the time it ends ("service-log-until-20261210-143005.csv").
QString retiredLogPath(const QString& path, const QDateTime& at)
{
    const QFileInfo info(path);
    QString name = info.completeBaseName() + QStringLiteral("-until-") + at.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString candidate = info.dir().filePath(name + QStringLiteral(".csv"));
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = info.dir().filePath(name + QStringLiteral("-%1.csv").arg(n));
    return candidate;
}

} // namespace

QString unbreakable(const QString& text)
{
    QString out;
    out.reserve(text.size() + 4);
    QTextBoundaryFinder breaks(QTextBoundaryFinder::Line, text);
    for (qsizetype i = 0; i < text.size(); ++i) {
        breaks.setPosition(i);
        if (i > 0 && !text[i - 1].isSpace() && breaks.isAtBoundary())
            out += QChar(0x2060);  // word joiner
        out += text[i].isSpace() ? QChar(QChar::Nbsp) : text[i];
    }
    return out;
}

QString changeText(const QString& before, const QString& after, DetailsForm form)
{
    if (form == DetailsForm::Line)
        return before + QStringLiteral(" -> ") + after;
    return unbreakable(before) + QChar(QChar::Nbsp) + QChar(0x2192) + QChar(QChar::Nbsp) + unbreakable(after);
}

namespace {

// A text's changes for print: the value on each side of an arrow is a
// number with the unit after it, or one word.
QString printed(const QString& text)
{
    static const QString arrow = QStringLiteral(" -> ");
    const auto isNumber = [](const QString& word) {
        const qsizetype sign = word.startsWith(QLatin1Char('-')) || word.startsWith(QLatin1Char('+')) ? 1 : 0;
        return word.size() > sign && word[sign].isDigit();
    };
    QStringList changes = text.split(QStringLiteral(" | "));
    for (QString& change : changes) {
        const qsizetype at = change.indexOf(arrow);
        if (at < 0)
            continue;
        QStringList before = change.left(at).split(QLatin1Char(' '));
        QStringList after = change.mid(at + arrow.size()).split(QLatin1Char(' '));
        const qsizetype b =
            before.size() >= 2 && !isNumber(before.last()) && isNumber(before[before.size() - 2]) ? 2 : 1;
        const qsizetype a = after.size() >= 2 && isNumber(after.first()) && !isNumber(after[1]) ? 2 : 1;
        const QString value = changeText(before.mid(before.size() - b).join(QLatin1Char(' ')),
                                         after.mid(0, a).join(QLatin1Char(' ')), DetailsForm::Print);
        change = (before.mid(0, before.size() - b) + QStringList{value} + after.mid(a)).join(QLatin1Char(' '));
    }
    return changes.join(QStringLiteral(" | "));
}

} // namespace

ServiceDetails sameInEveryLanguage(const QString& text)
{
    if (text.isEmpty())
        return {};
    return [text](int, DetailsForm form) { return form == DetailsForm::Line ? text : printed(text); };
}

QString serviceActionText(ServiceAction action, int language)
{
    return texts::text(kActions[static_cast<std::size_t>(action)], language);
}

QString serviceOutcomeText(ServiceOutcome outcome, int language)
{
    return texts::text(kOutcomes[static_cast<std::size_t>(outcome)], language);
}

ServiceLogFormat serviceLogFormat(const QString& path, int language)
{
    const int l = static_cast<int>(column(language));
    if (QFileInfo(path).size() == 0)
        return {l, true, true, true, true};
    const QByteArray header = firstLine(path);
    const bool utf8 = header.startsWith(kByteOrderMark);
    for (int each = 0; each < kLanguageCount; ++each) {
        // The columns files have been begun with, newest first: UTF-8 with all
        // of them, then the Windows-1252 logs of earlier versions.
        constexpr ServiceLogFormat kBegun[] = {
            {0, true, true, true, true}, {0, true, true, false, false}, {0, true, false, false, false},
            {0, false, false, false, false}};
        for (ServiceLogFormat format : kBegun) {
            format.language = each;
            if (format.utf8 == utf8 && header == serviceHeader(format))
                return format;
        }
    }
    return {l, false, false, false, utf8};
}

QByteArray serviceLine(const ServiceEntry& e, const ServiceLogFormat& format)
{
    return encoded(lineText(e, format), format.utf8);
}

bool serviceLogHolds(const ServiceEntry& entry, const ServiceLogFormat& format)
{
    if (format.utf8)
        return true;
    const QString line = lineText(entry, format);
    return platform::fromWindows1252(platform::toWindows1252(line)) == line;
}

QByteArray serviceHeader(const ServiceLogFormat& format)
{
    const std::size_t l = column(format.language);
    QStringList header{text(Text::ServiceLogHeader, l)};
    header += trailingColumns(format, text(Text::Technician, l), text(Text::InstrumentTag, l),
                              text(Text::ReportNumber, l), text(Text::SerialNumber, l), text(Text::ReportCustomer, l));
    return (format.utf8 ? kByteOrderMark : QByteArray()) + encoded(header.join(QStringLiteral("; ")), format.utf8);
}

QByteArray serviceGapLine(const ServiceLogGap& gap, const QDateTime& at, const ServiceLogFormat& format)
{
    const std::size_t l = column(format.language);
    QString details = text(gap.entries == 1 ? Text::EntryNotWritten : Text::EntriesNotWritten, l)
                          .arg(QString::number(gap.entries), dateText(gap.since) + QLatin1Char(' ') + timeText(gap.since));
    if (!gap.reason.isEmpty())
        details += text(Text::ReasonAfter, l) + gap.reason;
    return noteLine(at, text(Text::EntriesLost, l), details, format);
}

QString serviceLogPath()
{
    return platform::userDataBase() + QStringLiteral("/TR-GUI/service-log.csv");
}

bool appendServiceEntry(const QString& path, const ServiceEntry& entry, int language, QString* why,
                        const ServiceLogGap& gap)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    // Programs of a batch append to one log: one at a time, so that only the
    // first writes the header and a failed line is taken back from the end
    // that is its own. Where no lock can be made (a folder only the log may
    // be written in) the line goes in without one.
    QLockFile lock(path + QStringLiteral(".lock"));
    lock.setStaleLockTime(10000);
    if (!lock.tryLock(5000) && lock.error() == QLockFile::LockFailedError) {
        if (why)
            *why = QStringLiteral("%1.lock").arg(QDir::toNativeSeparators(path));
        return false;
    }
    ServiceLogFormat format = serviceLogFormat(path, language);
    QByteArray out;
    if (!serviceLogHolds(entry, format)) {
        // Rather than lose a letter of a name: the old log is kept whole
        // under a name of its own, and a UTF-8 log begins.
        const QString retired = retiredLogPath(path, entry.at);
        QFile old(path);
        if (!old.rename(retired)) {
            if (why)
                *why = old.errorString();
            return false;
        }
        // It goes on in the language of the log it continues.
        format = serviceLogFormat(path, format.language);
        out += serviceHeader(format) + kLineEnd;
        out += noteLine(entry.at, text(Text::LogContinued, column(format.language)),
                        text(Text::LogContinuedFrom, column(format.language)).arg(QFileInfo(retired).fileName()),
                        format)
             + kLineEnd;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        if (why)
            *why = file.errorString();
        return false;
    }
    const qint64 sizeBefore = file.size();
    if (sizeBefore == 0 && out.isEmpty())
        out += serviceHeader(format) + kLineEnd;
    if (gap.entries > 0)
        out += serviceGapLine(gap, entry.at, format) + kLineEnd;
    out += serviceLine(entry, format) + kLineEnd;
    if (!platform::writeWhole(file, out)) {
        if (why)
            *why = file.errorString();
        file.resize(sizeBefore);  // no half line for the next entry to follow
        return false;
    }
    return true;
}

void ServiceLog::setPath(const QString& path)
{
    if (path == path_)
        return;
    path_ = path;
    gap_ = {};
}

bool ServiceLog::append(const ServiceEntry& entry, int language)
{
    QString why;
    if (appendServiceEntry(path_, entry, language, &why, gap_)) {
        gap_ = {};
        return true;
    }
    if (gap_.entries++ == 0)
        gap_.since = entry.at;
    gap_.reason = why;
    return false;
}

} // namespace trgui::core
