#include "core/service_report.h"

#include <QTimeZone>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

#include <array>

using namespace trgui::core;

TEST(ServiceReport, tellsFoundLeftLiveAndActionsInEachLanguage)
{
    ReportData data;
    data.program = QStringLiteral("TR-GUI 1.0");
    data.at = QDateTime(QDate(2026, 12, 8), QTime(11, 0, 0));
    data.technician = QStringLiteral("Anna <B>");
    data.deviceAnswering = true;
    data.model = QStringLiteral("KM210-DR-E1S2H1");
    data.configuration = {
        {QStringLiteral("Rohrgröße"), QStringLiteral("50.0"), QStringLiteral("mm"), QStringLiteral("62.5"), QStringLiteral("mm"), true},
        {QStringLiteral("T-Wert"), QStringLiteral("20"), QString(), QStringLiteral("20"), QString(), false}};
    ServiceEntry write;
    write.at = data.at;
    write.action = ServiceAction::ConfigurationWrite;
    write.details = [](int language, DetailsForm) {
        const char* names[] = {"Rohrgröße", "Pipe size", "Diamètre de conduite"};
        return QString::fromUtf8(names[language]) + QStringLiteral(" 50.0 -> 62.5 mm");
    };
    write.outcome = ServiceOutcome::Acknowledged;
    data.actions = {write};
    // The session's actions are put into words in the report's language, like everything else in it.
    const std::pair<int, std::array<const char*, 5>> cases[] = {
        {0, {"Servicebericht", "geändert", "Konfiguration schreiben", "Keine Messwerte", "Rohrgröße 50.0"}},
        {1, {"Service report", "changed", "Write configuration", "No measured values", "Pipe size 50.0"}},
        {2, {"Rapport d'intervention", "modifié", "Écrire la configuration", "Aucune valeur mesurée",
             "Diamètre de conduite 50.0"}},
    };
    for (const auto& [language, words] : cases) {
        const QString html = serviceReportHtml(data, language);
        for (const char* word : words)
            EXPECT_TRUE(html.contains(QString::fromUtf8(word).toHtmlEscaped())) << language << " " << word;
        // The changed row is bold in every cell and says so in words (black and white print).
        EXPECT_TRUE(html.contains(QStringLiteral("<b>%1</b>").arg(QString::fromUtf8(words[1]).toHtmlEscaped())));
        EXPECT_EQ(html.count(QStringLiteral("<td><b>")), 6) << "label, found, unit, left, unit, mark of the one changed row";
        EXPECT_TRUE(html.contains(QStringLiteral("Anna &lt;B&gt;"))) << "names are text, not markup";
        EXPECT_TRUE(html.contains(QStringLiteral("<td><b>50.0</b></td><td><b>mm</b></td><td><b>62.5</b></td>")))
            << "as found, as left";
    }
    // After a write that could not be read back nothing is called unchanged.
    ReportData unknown = data;
    unknown.configuration[0].changed = false;
    for (bool known : {true, false}) {
        unknown.asLeftKnown = known;
        const QString html = serviceReportHtml(unknown, 1);
        EXPECT_EQ(html.contains(QStringLiteral("Configuration unchanged.")), known);
        EXPECT_EQ(html.contains(QStringLiteral("The device's state is unknown")), !known);
    }
    // The live values in the page's order of columns, and the notes below them.
    data.live = {{QStringLiteral("Temperatur"), QStringLiteral("23.00"), QStringLiteral("31.00"),
                  QStringLiteral("18.50"), QStringLiteral("°C")}};
    data.liveNotes = {QStringLiteral("[x] Grenzkontakt 1")};
    const QString live = serviceReportHtml(data, 0);
    EXPECT_TRUE(live.contains(QStringLiteral("<tr><td>Temperatur</td><td>23.00</td><td>31.00</td><td>18.50</td>"
                                             "<td>°C</td></tr>")));
    EXPECT_TRUE(live.contains(QStringLiteral("<p>[x] Grenzkontakt 1</p>")));
    EXPECT_FALSE(live.contains(QStringLiteral("Keine Messwerte")));
}

// No device, or nothing read from it: the first thing the report says, and no
// table of configuration (not even the one an earlier device left).
TEST(ServiceReport, withoutADeviceOrAConfigurationReadItSaysSoFirstAndHasNoTable)
{
    ReportData data;
    data.model = QStringLiteral("KM210-DR-E1S2H1");
    data.configuration = {{QStringLiteral("Rohrgröße"), QStringLiteral("50.0"), QStringLiteral("mm"),
                           QStringLiteral("50.0"), QStringLiteral("mm"), false}};
    data.live = {{QStringLiteral("Temperatur"), QStringLiteral("23.00"), {}, {}, QStringLiteral("°C")}};
    ReportData nothingRead = data;
    nothingRead.deviceAnswering = true;
    nothingRead.configuration.clear();
    struct Case {
        const ReportData* report;
        int language;
        const char* sentence;
    };
    const Case cases[] = {
        {&data, 0, "Kein Gerät hat geantwortet, als dieser Bericht erstellt wurde"},
        {&data, 1, "No device answered when this report was made"},
        {&data, 2, "Aucun appareil n'a répondu lors de l'établissement de ce rapport"},
        {&nothingRead, 0, "Die Konfiguration wurde in dieser Sitzung nicht vom Gerät gelesen"},
        {&nothingRead, 1, "The configuration was not read from the device in this session"},
        {&nothingRead, 2, "La configuration n'a pas été lue dans l'appareil pendant cette session"},
    };
    for (const auto& c : cases) {
        const QString html = serviceReportHtml(*c.report, c.language);
        const auto at = html.indexOf(QString::fromUtf8(c.sentence).toHtmlEscaped());
        ASSERT_GE(at, 0) << c.language << " " << c.sentence;
        EXPECT_LT(at, html.indexOf(QStringLiteral("<table"))) << "above everything else";
        EXPECT_FALSE(html.contains(QStringLiteral("Rohrgröße"))) << c.sentence;
        EXPECT_EQ(html.contains(QStringLiteral("23.00")), c.report->deviceAnswering)
            << "live values only of a device that answers";
        EXPECT_EQ(html.contains(QStringLiteral("KM210")), c.report->deviceAnswering) << "no model of an earlier device";
    }
}

TEST(ServiceReport, numberAndRunningHeaderTellWhichReportOfWhichDevice)
{
    const QDateTime at(QDate(2026, 12, 8), QTime(14, 2, 15));
    // Readable date, time and tag first; then what tells apart reports of the same second.
    const QString suffix = QStringLiteral("-[0-9A-HJKMNP-TV-Z]{5}$");
    EXPECT_TRUE(QRegularExpression("^20261208-140215-FT-101" + suffix).match(reportNumber(at, QStringLiteral(" FT  101 "))).hasMatch());
    EXPECT_TRUE(QRegularExpression("^20261208-140215" + suffix).match(reportNumber(at, QString())).hasMatch());
    QSet<QString> numbers;
    for (int i = 0; i < 20; ++i)
        numbers.insert(reportNumber(at, QStringLiteral("FT-101")));
    EXPECT_EQ(numbers.size(), 20) << "a batch written in the same second";

    ReportData data;
    data.program = QStringLiteral("TR-GUI 1.0");
    data.number = QStringLiteral("20261208-140215-FT-101-K7QD2");
    data.deviceAnswering = true;
    data.model = QStringLiteral("KM210-DR-E1S2H1");
    const QString html = serviceReportHtml(data, 2);
    EXPECT_TRUE(html.contains(QStringLiteral("<title>TR-GUI 1.0 · KM210-DR-E1S2H1 · N° de rapport 20261208-140215-FT-101-K7QD2</title>")));
    EXPECT_TRUE(html.contains(QStringLiteral("<meta name=\"page-numbers\" content=\"Page %1 sur %2\">")));
    EXPECT_TRUE(html.contains(QStringLiteral("<td>N° de rapport</td><td>20261208-140215-FT-101-K7QD2</td>")));
    EXPECT_FALSE(html.contains(QStringLiteral("<td>Numéro de série</td>"))) << "none given apart from the tag";

    data.serialNumber = QStringLiteral("SN 4711");
    data.customer = QStringLiteral("Stadtwerke & Co");
    const QString named = serviceReportHtml(data, 2);
    EXPECT_TRUE(named.contains(QStringLiteral("<td>Numéro de série</td><td>SN 4711</td>")));
    EXPECT_TRUE(named.contains(QStringLiteral("<td>Client</td><td>Stadtwerke &amp; Co</td>")));
}

// The time with its offset from UTC, written out the same in every language
// and whatever the system's locale.
TEST(ServiceReport, statesTheTimeWithItsOffsetFromUtc)
{
    const struct {
        int offsetSeconds;
        const char* printed;
    } cases[] = {
        {3600, "2026-12-09 14:02:15 UTC+01:00"},
        {0, "2026-12-09 14:02:15 UTC+00:00"},
        {-(3 * 3600 + 1800), "2026-12-09 14:02:15 UTC-03:30"},
        {5 * 3600 + 2700, "2026-12-09 14:02:15 UTC+05:45"},
    };
    for (const auto& c : cases) {
        const QDateTime at(QDate(2026, 12, 9), QTime(14, 2, 15), QTimeZone(c.offsetSeconds));
        EXPECT_EQ(reportDateTime(at), QString::fromUtf8(c.printed));
        ReportData data;
        data.at = at;
        for (int language = 0; language < 3; ++language)
            EXPECT_TRUE(serviceReportHtml(data, language).contains(QString::fromUtf8(c.printed))) << language;
    }
}

// What the record says besides the values: the type code of the device,
// a field it does not have, whether it took a measurement at all, and the
// verdict above the two signature blocks with their roles and the name.
TEST(ServiceReport, namesTypeCodeAbsentFieldsMeasurementVerdictAndSigners)
{
    ReportData data;
    data.deviceAnswering = true;
    data.model = QStringLiteral("KM210-E1N4H1");
    data.typeCode = 3;
    data.technician = QStringLiteral("Anna <Berg>");
    data.configuration = {
        {QStringLiteral("Analogausgang Anfang"), QStringLiteral("0.00"), QStringLiteral("m/s"), QStringLiteral("0.00"),
         QStringLiteral("m/s"), false, false},
        // Stored bytes the variant has no use for, changed by a write: both values, marked.
        {QStringLiteral("Analogausgang Ende"), QStringLiteral("0.125"), QStringLiteral("m/s"), QStringLiteral("0.5"),
         QStringLiteral("m/s"), true, false},
        {QStringLiteral("Rohrgröße"), QStringLiteral("50.0"), QStringLiteral("mm"), QStringLiteral("62.5"),
         QStringLiteral("mm"), true, true}};
    data.verdict = QStringLiteral("written and verified");
    struct Case {
        int language;
        bool measured;
        const char* typeCode;
        const char* absent;
        const char* noEffect;
        const char* measurement;  // what the measured values' section says
        const char* verdict;
        const char* roles[2];
        const char* name;
    };
    const Case cases[] = {
        {0, false, "<td>Typcode</td><td>3</td>", "nicht bei dieser Variante bzw. diesem Sensor",
         "geändert, ohne Wirkung bei dieser Variante bzw. diesem Sensor",
         "Dieser Bericht enthält keine Messung.", "Befund: written and verified", {"Techniker", "Kunde / Zeuge"},
         "Name in Druckschrift: Anna &lt;Berg&gt;"},
        {1, false, "<td>Type code</td><td>3</td>", "not on this variant or sensor",
         "changed, no effect on this variant or sensor", "This report holds no measurement.",
         "Verdict: written and verified", {"Technician", "Customer / witness"}, "Name in capitals: Anna &lt;Berg&gt;"},
        {2, true, "<td>Code de type</td><td>3</td>", "absent de cette variante ou de ce capteur",
         "modifié, sans effet sur cette variante ou ce capteur",
         "Aucune valeur mesurée (pas d'interrogation récente).", "Conclusion : written and verified",
         {"Technicien", "Client / témoin"}, "Nom en capitales : Anna &lt;Berg&gt;"},
    };
    for (const auto& c : cases) {
        data.measured = c.measured;
        const QString html = serviceReportHtml(data, c.language);
        const auto has = [&html](const char* text) { return html.contains(QString::fromUtf8(text).toHtmlEscaped()); };
        EXPECT_TRUE(html.contains(QString::fromUtf8(c.typeCode))) << c.language;
        // The absent field: the words in both value columns, no number, no unit, no change.
        const QString absent = QString::fromUtf8(c.absent).toHtmlEscaped();
        EXPECT_TRUE(html.contains(QStringLiteral("<tr><td>Analogausgang Anfang</td><td>%1</td><td></td><td>%1</td>"
                                                 "<td></td><td></td></tr>").arg(absent)))
            << c.language << html.toStdString();
        EXPECT_FALSE(html.contains(QStringLiteral("0.00"))) << c.language;
        EXPECT_TRUE(QString(html).remove(QChar(0x2060)).contains(QStringLiteral("<tr><td><b>Analogausgang Ende</b></td><td><b>0.125</b></td><td><b>m/s</b></td>"
                                                 "<td><b>0.5</b></td><td><b>m/s</b></td><td><b>%1</b></td></tr>")
                                      .arg(QString::fromUtf8(c.noEffect).toHtmlEscaped())))
            << c.language << html.toStdString();
        EXPECT_EQ(html.count(QStringLiteral("<td><b>")), 12) << c.language << ": the two changed rows are marked";
        EXPECT_TRUE(has(c.measurement)) << c.language << " " << c.measurement;
        // The verdict, then the signatures: role, name in print, date, signature.
        const auto verdict = html.indexOf(QString::fromUtf8(c.verdict).toHtmlEscaped());
        ASSERT_GE(verdict, 0) << c.language;
        EXPECT_LT(verdict, html.indexOf(QString::fromUtf8(c.roles[0]).toHtmlEscaped(), html.lastIndexOf(QStringLiteral("<table"))));
        for (const char* role : c.roles)
            EXPECT_TRUE(has(role)) << c.language << " " << role;
        EXPECT_TRUE(html.contains(QString::fromUtf8(c.name))) << c.language << " " << c.name;
    }
    data.verdict.clear();
    data.typeCode = 0;
    const QString plain = serviceReportHtml(data, 1);
    EXPECT_FALSE(plain.contains(QStringLiteral("Verdict"))) << "no verdict line without a verdict";
    EXPECT_TRUE(plain.contains(QStringLiteral("<td>Type code</td><td></td>"))) << "an unknown type code stays empty";
}
