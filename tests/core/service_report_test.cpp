#include "core/service_report.h"

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
    write.details = QStringLiteral("Rohrgröße 50.0 -> 62.5 mm");
    write.outcome = ServiceOutcome::Acknowledged;
    data.actions = {write};
    const std::pair<int, std::array<const char*, 4>> cases[] = {
        {0, {"Servicebericht", "geändert", "Konfiguration schreiben", "Keine Messwerte"}},
        {1, {"Service report", "changed", "Write configuration", "No measured values"}},
        {2, {"Rapport d'intervention", "modifié", "Écrire la configuration", "Aucune valeur mesurée"}},
    };
    for (const auto& [language, words] : cases) {
        const QString html = serviceReportHtml(data, language);
        for (const char* word : words)
            EXPECT_TRUE(html.contains(QString::fromUtf8(word).toHtmlEscaped())) << language << " " << word;
        // The changed row is bold in every cell and says so in words (black and white print).
        EXPECT_TRUE(html.contains(QStringLiteral("<b>%1</b>").arg(QString::fromUtf8(words[1]).toHtmlEscaped())));
        EXPECT_EQ(html.count(QStringLiteral("<b>")), 6) << "label, found, unit, left, unit, mark of the one changed row";
        EXPECT_TRUE(html.contains(QStringLiteral("Anna &lt;B&gt;"))) << "names are text, not markup";
        EXPECT_TRUE(html.contains(QStringLiteral("<td><b>50.0</b></td><td><b>mm</b></td><td><b>62.5</b></td>")))
            << "as found, as left";
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
