#include "core/service_report.h"

#include "core/settings_record.h"

#include <algorithm>
#include <array>

namespace trgui::core {

namespace {

enum Word {
    Title, Program, Date, Technician, Site, Port, Model, Software, Configuration, Field, AsFound, AsLeft, Unit,
    Changed, NotRead, Live, Current, Maximum, Minimum, NoLive, LiveAt, Actions, Time, Action, Changes, Outcome,
    NoActions, Unchanged, NoDevice, NoDeviceAtTop, NotReadAtTop, WordCount
};

constexpr std::array<std::array<const char*, WordCount>, 3> kWords{{
    {"Servicebericht", "Programm", "Datum", "Techniker", "Standort", "Port", "Modell", "SW-Version",
     "Konfiguration", "Feld", "vorgefunden", "hinterlassen", "Einheit", "geändert",
     "In dieser Sitzung nicht vom Gerät gelesen.", "Messwerte", "Akt", "Max", "Min",
     "Keine Messwerte (keine aktuelle Abfrage).", "Abfrage von %1", "Aktionen dieser Sitzung", "Uhrzeit", "Aktion",
     "Änderungen", "Ergebnis", "Keine.", "Konfiguration unverändert.", "Kein Gerät hat geantwortet.",
     "Kein Gerät hat geantwortet, als dieser Bericht erstellt wurde: Modell, Version, Konfiguration und Messwerte "
     "fehlen. Gerät anschließen, auf der Seite Einstellungen seinen Port wählen (grüne Lampe) und den Bericht neu "
     "erstellen.",
     "Die Konfiguration wurde in dieser Sitzung nicht vom Gerät gelesen; dieser Bericht enthält keine. Auf der Seite "
     "Konfiguration „KM210 --> PC“ wählen und den Bericht neu erstellen."},
    {"Service report", "Program", "Date", "Technician", "Site", "Port", "Model", "SW version", "Configuration",
     "Field", "as found", "as left", "Unit", "changed", "Not read from the device in this session.",
     "Measured values", "Actual", "Max", "Min", "No measured values (no recent poll).", "Poll of %1",
     "Actions of this session", "Time", "Action", "Changes", "Outcome", "None.", "Configuration unchanged.",
     "No device answered.",
     "No device answered when this report was made: model, version, configuration and measured values are missing. "
     "Connect the device, choose its port on the Settings page (green lamp) and make the report again.",
     "The configuration was not read from the device in this session; this report holds none. Choose "
     "“KM210 --> PC” on the Configuration page and make the report again."},
    {"Rapport d'intervention", "Programme", "Date", "Technicien", "Site", "Port", "Modèle", "Version logicielle",
     "Configuration", "Champ", "trouvée", "laissée", "Unité", "modifié",
     "Non lue dans l'appareil pendant cette session.", "Valeurs mesurées", "Actuel", "Max", "Min",
     "Aucune valeur mesurée (pas d'interrogation récente).", "Interrogation de %1", "Actions de cette session",
     "Heure", "Action", "Modifications", "Résultat", "Aucune.", "Configuration inchangée.",
     "Aucun appareil n'a répondu.",
     "Aucun appareil n'a répondu lors de l'établissement de ce rapport : le modèle, la version, la configuration et "
     "les valeurs mesurées manquent. Branchez l'appareil, choisissez son port sur la page Paramètres (voyant vert) "
     "et refaites le rapport.",
     "La configuration n'a pas été lue dans l'appareil pendant cette session ; ce rapport n'en contient pas. "
     "Choisissez « KM210 --> PC » sur la page Configuration et refaites le rapport."},
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

QString serviceReportHtml(const ReportData& d, int language)
{
    const auto& w = kWords[languageIndex(language)];
    const auto t = [&w](Word word) { return QString::fromUtf8(w[word]); };
    const auto paragraph = [&](Word word, bool bold = false) {
        return (bold ? QStringLiteral("<p><b>%1</b></p>") : QStringLiteral("<p>%1</p>")).arg(esc(t(word)));
    };
    QString html = QStringLiteral("<html><body style=\"font-size: 9pt\"><h2>%1</h2>").arg(esc(t(Title)));
    if (!d.deviceAnswering)
        html += paragraph(NoDeviceAtTop, true);
    else if (d.configuration.empty())
        html += paragraph(NotReadAtTop, true);
    html += QStringLiteral("<table cellpadding=\"2\">");
    const std::pair<Word, QString> head[] = {
        {Program, d.program},  {Date, d.at.toString(QStringLiteral("yyyy.MM.dd HH:mm:ss"))},
        {Technician, d.technician}, {Site, d.site}, {Port, d.port},
        {Model, d.deviceAnswering ? d.model : QString()},
        {Software, d.deviceAnswering ? d.softwareVersion.trimmed() : QString()},
    };
    for (const auto& [word, value] : head)
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
            html += QStringLiteral("<p>%1</p>").arg(esc(t(Unchanged)));
        html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">");
        html += row({t(Field), t(AsFound), t(Unit), t(AsLeft), t(Unit), QString()}, false, "th");
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
        html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">");
        html += row({QString(), t(Current), t(Maximum), t(Minimum), t(Unit)}, false, "th");
        for (const ReportValue& v : d.live)
            html += row({v.label, v.current, v.maximum, v.minimum, v.unit});
        html += QStringLiteral("</table>");
        for (const QString& note : d.liveNotes)
            html += QStringLiteral("<p>%1</p>").arg(esc(note));
    }

    html += QStringLiteral("<h3>%1</h3>").arg(esc(t(Actions)));
    if (d.actions.empty()) {
        html += QStringLiteral("<p>%1</p>").arg(esc(t(NoActions)));
    } else {
        html += QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">");
        html += row({t(Time), t(Action), t(Changes), t(Outcome)}, false, "th");
        for (const ServiceEntry& e : d.actions)
            html += row({e.at.toString(QStringLiteral("HH:mm:ss")), serviceActionText(e.action, language), e.details,
                         serviceOutcomeText(e.outcome, language)});
        html += QStringLiteral("</table>");
    }
    return html + QStringLiteral("</body></html>");
}

} // namespace trgui::core
