#include "core/service_report.h"

#include "core/settings_record.h"

#include <algorithm>
#include <array>

namespace trgui::core {

namespace {

enum Word {
    Title, Number, Program, Date, Technician, Site, Tag, Port, Model, Software, Configuration, Field, AsFound, AsLeft,
    Unit, Changed, NotRead, Live, Current, Maximum, Minimum, NoLive, LiveAt, Actions, Time, Action, Changes, Outcome,
    NoActions, Unchanged, NoDevice, NoDeviceAtTop, NotReadAtTop, NoModel, Signatures, Customer, SignDate, Signature,
    PageOf, WordCount
};

constexpr std::array<std::array<const char*, WordCount>, 3> kWords{{
    {"Servicebericht", "Bericht-Nr.", "Programm", "Datum", "Techniker", "Standort", "Messstelle / Seriennummer",
     "Port", "Modell", "SW-Version", "Konfiguration", "Feld", "vorgefunden", "hinterlassen", "Einheit", "geändert",
     "In dieser Sitzung nicht vom Gerät gelesen.", "Messwerte", "Akt", "Max", "Min",
     "Keine Messwerte (keine aktuelle Abfrage).", "Abfrage von %1", "Aktionen dieser Sitzung", "Uhrzeit", "Aktion",
     "Änderungen", "Ergebnis", "Keine.", "Konfiguration unverändert.", "Kein Gerät hat geantwortet.",
     "Kein Gerät hat geantwortet, als dieser Bericht erstellt wurde: Modell, Version, Konfiguration und Messwerte "
     "fehlen. Gerät anschließen, auf der Seite Einstellungen seinen Port wählen (grüne Lampe) und den Bericht neu "
     "erstellen.",
     "Die Konfiguration wurde in dieser Sitzung nicht vom Gerät gelesen; dieser Bericht enthält keine. Auf der Seite "
     "Konfiguration „KM210 --> PC“ wählen und den Bericht neu erstellen.",
     "kein Gerät", "Unterschriften", "Kunde", "Datum", "Unterschrift", "Seite %1 von %2"},
    {"Service report", "Report no.", "Program", "Date", "Technician", "Site", "Instrument tag / serial number",
     "Port", "Model", "SW version", "Configuration", "Field", "as found", "as left", "Unit", "changed",
     "Not read from the device in this session.", "Measured values", "Actual", "Max", "Min",
     "No measured values (no recent poll).", "Poll of %1", "Actions of this session", "Time", "Action", "Changes",
     "Outcome", "None.", "Configuration unchanged.", "No device answered.",
     "No device answered when this report was made: model, version, configuration and measured values are missing. "
     "Connect the device, choose its port on the Settings page (green lamp) and make the report again.",
     "The configuration was not read from the device in this session; this report holds none. Choose "
     "“KM210 --> PC” on the Configuration page and make the report again.",
     "no device", "Signatures", "Customer", "Date", "Signature", "Page %1 of %2"},
    {"Rapport d'intervention", "N° de rapport", "Programme", "Date", "Technicien", "Site",
     "Repère / numéro de série", "Port", "Modèle", "Version logicielle", "Configuration", "Champ", "trouvée",
     "laissée", "Unité", "modifié", "Non lue dans l'appareil pendant cette session.", "Valeurs mesurées", "Actuel",
     "Max", "Min", "Aucune valeur mesurée (pas d'interrogation récente).", "Interrogation de %1",
     "Actions de cette session", "Heure", "Action", "Modifications", "Résultat", "Aucune.",
     "Configuration inchangée.", "Aucun appareil n'a répondu.",
     "Aucun appareil n'a répondu lors de l'établissement de ce rapport : le modèle, la version, la configuration et "
     "les valeurs mesurées manquent. Branchez l'appareil, choisissez son port sur la page Paramètres (voyant vert) "
     "et refaites le rapport.",
     "La configuration n'a pas été lue dans l'appareil pendant cette session ; ce rapport n'en contient pas. "
     "Choisissez « KM210 --> PC » sur la page Configuration et refaites le rapport.",
     "aucun appareil", "Signatures", "Client", "Date", "Signature", "Page %1 sur %2"},
}};

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
    if (!tag.isEmpty())
        number += QLatin1Char('-') + QString(tag).replace(QLatin1Char(' '), QLatin1Char('-'));
    return number;
}

QString serviceReportHtml(const ReportData& d, int language)
{
    const auto& w = kWords[languageIndex(language)];
    const auto t = [&w](Word word) { return QString::fromUtf8(w[word]); };
    const auto paragraph = [&](Word word, bool bold = false) {
        return (bold ? QStringLiteral("<p><b>%1</b></p>") : QStringLiteral("<p>%1</p>")).arg(esc(t(word)));
    };
    // Tables span the page, so their columns have the room to keep words whole.
    const QString table = QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"2\">");
    const auto head = [&](const QStringList& cells) { return QStringLiteral("<thead>%1</thead>").arg(row(cells, false, "th")); };

    const QString running = QStringLiteral("%1 · %2 · %3 %4")
                                .arg(d.program, d.deviceAnswering && !d.model.isEmpty() ? d.model : t(NoModel),
                                     t(Number), d.number);
    QString html = QStringLiteral("<html><head><title>%1</title><meta name=\"page-numbers\" content=\"%2\"></head>"
                                  "<body style=\"font-size: 9pt\"><h2>%3</h2>")
                       .arg(esc(running), esc(t(PageOf)), esc(t(Title)));
    if (!d.deviceAnswering)
        html += paragraph(NoDeviceAtTop, true);
    else if (d.configuration.empty())
        html += paragraph(NotReadAtTop, true);

    html += QStringLiteral("<table width=\"100%\" cellpadding=\"2\">");
    const std::pair<Word, QString> identity[] = {
        {Number, d.number},
        {Program, d.program},
        {Date, d.at.toString(QStringLiteral("yyyy.MM.dd HH:mm:ss"))},
        {Technician, d.technician},
        {Site, d.site},
        {Tag, d.instrumentTag},
        {Port, d.port},
        {Model, d.deviceAnswering ? d.model : QString()},
        {Software, d.deviceAnswering ? d.softwareVersion.trimmed() : QString()},
    };
    for (const auto& [word, value] : identity)
        html += row({t(word), value});
    html += QStringLiteral("</table>");

    html += QStringLiteral("<h3>%1</h3>").arg(esc(t(Configuration)));
    if (!d.deviceAnswering) {
        html += paragraph(NoDevice);
    } else if (d.configuration.empty()) {
        html += paragraph(NotRead);
    } else {
        const bool anyChange = std::any_of(d.configuration.begin(), d.configuration.end(),
                                           [](const ReportRow& r) { return r.changed; });
        if (!anyChange)
            html += paragraph(Unchanged);
        html += table + head({t(Field), t(AsFound), t(Unit), t(AsLeft), t(Unit), QString()});
        for (const ReportRow& r : d.configuration)
            html += row({r.label, r.asFound, r.asFoundUnit, r.asLeft, r.asLeftUnit, r.changed ? t(Changed) : QString()},
                        r.changed);
        html += QStringLiteral("</table>");
        for (const QString& note : d.configurationNotes)
            html += QStringLiteral("<p><b>%1</b></p>").arg(esc(note));
    }

    html += QStringLiteral("<h3>%1</h3>").arg(esc(t(Live)));
    if (!d.deviceAnswering || d.live.empty()) {
        html += paragraph(NoLive);
    } else {
        if (d.liveAt.isValid())
            html += QStringLiteral("<p>%1</p>").arg(esc(t(LiveAt).arg(d.liveAt.toString(QStringLiteral("HH:mm:ss")))));
        html += table + head({QString(), t(Current), t(Maximum), t(Minimum), t(Unit)});
        for (const ReportValue& v : d.live)
            html += row({v.label, v.current, v.maximum, v.minimum, v.unit});
        html += QStringLiteral("</table>");
        for (const QString& note : d.liveNotes)
            html += QStringLiteral("<p>%1</p>").arg(esc(note));
    }

    html += QStringLiteral("<h3>%1</h3>").arg(esc(t(Actions)));
    if (d.actions.empty()) {
        html += paragraph(NoActions);
    } else {
        html += table + head({t(Time), t(Action), t(Changes), t(Outcome)});
        for (const ServiceEntry& e : d.actions)
            html += row({e.at.toString(QStringLiteral("HH:mm:ss")), serviceActionText(e.action, language), e.details,
                         serviceOutcomeText(e.outcome, language)});
        html += QStringLiteral("</table>");
    }

    // Date and signature of both sides, a line each to write on; one table
    // with its heading, so a page break does not part them.
    const QString line = QStringLiteral(": ") + QString(28, QLatin1Char('_'));
    html += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"4\">"
                           "<tr><td colspan=\"2\"><h3>%1</h3></td></tr>"
                           "<tr><td width=\"50%\">%2</td><td width=\"50%\">%3</td></tr>")
                .arg(esc(t(Signatures)), esc(t(Technician)), esc(t(Customer)));
    for (Word word : {SignDate, Signature})
        html += QStringLiteral("<tr><td><br><br>%1</td><td><br><br>%1</td></tr>").arg(esc(t(word) + line));
    html += QStringLiteral("</table>");
    return html + QStringLiteral("</body></html>");
}

} // namespace trgui::core
