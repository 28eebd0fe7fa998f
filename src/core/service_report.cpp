#include "core/service_report.h"

#include "texts/catalogue.h"

#include <QRandomGenerator>

#include <algorithm>

namespace trgui::core {

namespace {

using texts::Text;
QString esc(const QString& text)
{
    return text.toHtmlEscaped();
}

QString row(const QStringList& cells, bool bold = false, const char* tag = "td")
{
    QString html = QStringLiteral("<tr>");
    for (const QString& c : cells) {
        const QString inner = bold ? QStringLiteral("<b>%1</b>").arg(esc(c)) : esc(c);
        html += QStringLiteral("<%1>%2</%1>").arg(QLatin1String(tag), inner);
    }
    return html + QStringLiteral("</tr>");
}

} // namespace

QString reportNumber(const QDateTime& at, const QString& instrumentTag)
{
    QString number = at.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QString tag = instrumentTag.simplified();
    if (!tag.isEmpty()) {
        // The number names the report's file: what a file name may not hold
        // on Windows or Linux becomes "-" here, while the tag itself is
        // printed as typed.
        QString part = tag;
        for (QChar& c : part) {
            if (c == QLatin1Char(' ') || c.unicode() < 0x20 || QStringView(u"<>:\"/\\|?*").contains(c))
                c = QLatin1Char('-');
        }
        number += QLatin1Char('-') + part;
    }
    // 25 bits in letters and digits that cannot be mistaken for each other (no I, L, O, U).
    static constexpr char kDigits[] = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
    quint32 bits = QRandomGenerator::system()->generate();
    number += QLatin1Char('-');
    for (int i = 0; i < 5; ++i, bits >>= 5)
        number += QLatin1Char(kDigits[bits & 31]);
    return number;
}

QString reportDateTime(const QDateTime& at)
{
    // Written out by hand: neither the locale nor Qt's time-zone names decide it.
    const int offset = at.offsetFromUtc() / 60;
    const int minutes = offset < 0 ? -offset : offset;
    return QStringLiteral("%1 UTC%2%3:%4")
        .arg(at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), QLatin1String(offset < 0 ? "-" : "+"))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString serviceReportHtml(const ReportData& d, int language)
{
    const auto t = [language](Text id) { return texts::text(id, language); };
    const auto paragraph = [&](Text id, bool bold = false) {
        return (bold ? QStringLiteral("<p><b>%1</b></p>") : QStringLiteral("<p>%1</p>")).arg(esc(t(id)));
    };
    // Tables span the page, so their columns have the room to keep words whole.
    const QString table = QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"2\">");
    const auto head = [&](const QStringList& cells) { return QStringLiteral("<thead>%1</thead>").arg(row(cells, false, "th")); };

    const QString running = QStringLiteral("%1 · %2 · %3 %4")
                                .arg(d.program,
                                     d.deviceAnswering && !d.model.isEmpty() ? d.model : t(Text::ReportNoModel),
                                     t(Text::ReportNumber), d.number);
    QString html = QStringLiteral("<html><head><title>%1</title><meta name=\"page-numbers\" content=\"%2\"></head>"
                                  "<body style=\"font-size: 9pt\"><h2>%3</h2>")
                       .arg(esc(running), esc(t(Text::ReportPageOf)), esc(t(Text::ServiceReport)));
    if (!d.deviceAnswering)
        html += paragraph(Text::ReportNoDeviceAtTop, true);
    else if (d.configuration.empty())
        html += paragraph(Text::ReportNotReadAtTop, true);

    html += QStringLiteral("<table width=\"100%\" cellpadding=\"2\">");
    const std::pair<Text, QString> identity[] = {
        {Text::ReportNumber, d.number},
        {Text::ReportProgram, d.program},
        {Text::ReportDate, d.at.isValid() ? reportDateTime(d.at) : QString()},
        {Text::Technician, d.technician},
        {Text::Site, d.site},
        {Text::InstrumentTag, d.instrumentTag},
        {Text::SerialNumber, d.serialNumber},
        {Text::ReportCustomer, d.customer},
        {Text::ReportPort, d.port},
        {Text::ReportModel, d.deviceAnswering ? d.model : QString()},
        {Text::ReportTypeCode, d.deviceAnswering && d.typeCode > 0 ? QString::number(d.typeCode) : QString()},
        {Text::ReportSoftware, d.deviceAnswering ? d.softwareVersion.trimmed() : QString()},
    };
    for (const auto& [word, value] : identity) {
        // Serial number and customer only where given apart from the tag (the command line's options).
        if (!value.isEmpty() || (word != Text::SerialNumber && word != Text::ReportCustomer))
            html += row({t(word), value});
    }
    html += QStringLiteral("</table>");

    html += QStringLiteral("<h3>%1</h3>").arg(esc(t(Text::ReportConfiguration)));
    if (!d.deviceAnswering) {
        html += paragraph(Text::ReportNoDevice);
    } else if (d.configuration.empty()) {
        html += paragraph(Text::ReportNotRead);
    } else {
        const bool anyChange = std::any_of(d.configuration.begin(), d.configuration.end(),
                                           [](const ReportRow& r) { return r.changed; });
        // Unchanged is said only of a device read back after the last write.
        if (!d.asLeftKnown)
            html += QStringLiteral("<p><b>%1</b></p>").arg(esc(t(Text::ReportStateUnknown)));
        else if (!anyChange)
            html += paragraph(Text::ReportUnchanged);
        html += table
              + head({t(Text::ReportField), t(Text::ReportAsFound), t(Text::ReportUnit), t(Text::ReportAsLeft),
                      t(Text::ReportUnit), QString()});
        // Values and units are never parted by a line's end ("1,234", "m³/h").
        const QString absent = t(Text::ReportNotOnVariant);
        const auto value = [&absent](const QString& text) { return text == absent ? text : unbreakable(text); };
        for (const ReportRow& r : d.configuration) {
            if (!r.available && !r.changed) {
                // Whatever bytes stand there, the device has no such field.
                html += row({r.label, absent, QString(), absent, QString(), QString()});
                continue;
            }
            if (!r.available) {
                // Bytes the device stores although they mean nothing to it: both values, marked.
                html += row({r.label, value(r.asFound), unbreakable(r.asFoundUnit), value(r.asLeft),
                             unbreakable(r.asLeftUnit), t(Text::ReportChangedNoEffect)},
                            true);
                continue;
            }
            html += row({r.label, value(r.asFound), unbreakable(r.asFoundUnit), value(r.asLeft),
                         unbreakable(r.asLeftUnit), r.changed ? t(Text::ReportChanged) : QString()},
                        r.changed);
        }
        html += QStringLiteral("</table>");
        for (const QString& note : d.configurationNotes)
            html += QStringLiteral("<p><b>%1</b></p>").arg(esc(note));
    }

    html += QStringLiteral("<h3>%1</h3>").arg(esc(t(Text::ReportLive)));
    if (!d.measured) {
        html += paragraph(Text::ReportNoMeasurement);
    } else if (!d.deviceAnswering || d.live.empty()) {
        html += paragraph(Text::ReportNoLive);
    } else {
        if (d.liveAt.isValid())
            html += QStringLiteral("<p>%1</p>")
                        .arg(esc(t(Text::ReportLiveAt).arg(d.liveAt.toString(QStringLiteral("HH:mm:ss")))));
        html += table
              + head({QString(), t(Text::ReportCurrent), t(Text::ReportMaximum), t(Text::ReportMinimum),
                      t(Text::ReportUnit)});
        for (const ReportValue& v : d.live)
            html += row({v.label, unbreakable(v.current), unbreakable(v.maximum), unbreakable(v.minimum),
                         unbreakable(v.unit)});
        html += QStringLiteral("</table>");
        for (const QString& note : d.liveNotes)
            html += QStringLiteral("<p>%1</p>").arg(esc(note));
    }

    html += QStringLiteral("<h3>%1</h3>").arg(esc(t(Text::ReportActions)));
    if (d.actions.empty()) {
        html += paragraph(Text::ReportNoActions);
    } else {
        html += table
              + head({t(Text::ReportTime), t(Text::ReportAction), t(Text::ReportChanges), t(Text::ReportOutcome)});
        // The changes in print form: a line ends between changes or words of a label only.
        for (const ServiceEntry& e : d.actions)
            html += row({e.at.toString(QStringLiteral("HH:mm:ss")), serviceActionText(e.action, language),
                         e.detailsIn(language, DetailsForm::Print), serviceOutcomeText(e.outcome, language)});
        html += QStringLiteral("</table>");
    }

    // The verdict and both signatures in one table without heading rows, so
    // that they share a page: they move on together rather than part.
    // Each side: its role, the name in print, a line for the date and one
    // for the signature.
    const QString line = QString(28, QLatin1Char('_'));
    const auto field = [&](Text word, const QString& value) {
        return esc(t(word) + t(Text::ReportLineColon)) + (value.trimmed().isEmpty() ? line : esc(value.trimmed()));
    };
    html += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"4\">");
    if (!d.verdict.isEmpty())
        html += QStringLiteral("<tr><td colspan=\"2\"><p style=\"font-size: 12pt\"><b>%1</b></p></td></tr>")
                    .arg(esc(t(Text::ReportVerdict) + t(Text::ReportLineColon) + d.verdict));
    html += QStringLiteral("<tr><td colspan=\"2\"><h3>%1</h3></td></tr>"
                           "<tr><td width=\"50%\"><b>%2</b></td><td width=\"50%\"><b>%3</b></td></tr>")
                .arg(esc(t(Text::ReportSignatures)), esc(t(Text::Technician)), esc(t(Text::ReportWitness)));
    html += QStringLiteral("<tr><td><br>%1</td><td><br>%2</td></tr>")
                .arg(field(Text::ReportPrintedName, d.technician), field(Text::ReportPrintedName, d.customer));
    for (Text word : {Text::ReportDate, Text::ReportSignature})
        html += QStringLiteral("<tr><td><br><br>%1</td><td><br><br>%1</td></tr>").arg(field(word, QString()));
    html += QStringLiteral("</table>");
    return html + QStringLiteral("</body></html>");
}

} // namespace trgui::core
