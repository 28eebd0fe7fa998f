// The service report for a device with five changed fields, a page of live
// values and six actions: median time to build it and write the PDF (target
// under 300 ms); with --out DIR the PDF in each language is kept there.
//   bench_report [--out DIR]

#include "core/service_report.h"
#include "widgets/report_pdf.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

using namespace trgui;

namespace {

core::ReportData sampleReport()
{
    core::ReportData d;
    d.program = QStringLiteral("TR-GUI 1.0");
    d.at = QDateTime::currentDateTime();
    d.technician = QStringLiteral("Anna Weber");
    d.site = QStringLiteral("Werk 2, Halle 4");
    d.instrumentTag = QStringLiteral("FT-101");
    d.number = core::reportNumber(d.at, d.instrumentTag);
    d.port = QStringLiteral("COM1 (/dev/ttyUSB0)");
    d.deviceAnswering = true;
    d.model = QStringLiteral("KM210-DR-E1S2H1");
    d.softwareVersion = QStringLiteral("1.05");
    const char* fields[][4] = {
        {"Sensortyp", "VRK11AN1", "VRK11AN1", ""}, {"C-Wert Sensor", "100", "100", ""}, {"T-Wert", "20", "20", ""},
        {"Medium", "Luft", "Luft", ""},            {"Druck", "1.00", "1.50", "bar"}, {"Rohrgröße", "50.0", "62.5", ""},
        {"Einheit Geschwindigkeit", "m/s", "m/s", ""}, {"Einheit Volumenstrom", "l/min", "m³/h", ""},
        {"Grenzkontakt 1 ein", "3.00", "3.20", "m/s"}, {"Grenzkontakt 1 aus", "2.80", "3.00", "m/s"},
        {"Grenzkontakt 2 ein", "23.00", "23.00", "°C"}, {"Messzeit", "10", "10", ""},
    };
    for (const auto& f : fields) {
        const QString unit = QString::fromUtf8(f[3]);
        d.configuration.push_back({QString::fromUtf8(f[0]), QString::fromUtf8(f[1]), unit, QString::fromUtf8(f[2]), unit,
                                   std::strcmp(f[1], f[2]) != 0});
    }
    d.live = {{QStringLiteral("Strömungsgeschwindigkeit"), "3.025", "3.044", "2.500", "m/s"},
              {QStringLiteral("Volumenstrom"), "357.3", "358.6", "294.5", "l/min"},
              {QStringLiteral("Temperatur"), "21.80", "21.81", "21.50", QString::fromUtf8("°C")},
              {QStringLiteral("Totalisator"), "0.026", "", "", QString::fromUtf8("m³")}};
    d.liveNotes = {QStringLiteral("[x] Grenzkontakt 1"), QStringLiteral("[ ] Grenzkontakt 2"),
                   QStringLiteral("Akt. Fehler: Kein Fehler")};
    for (auto action : {core::ServiceAction::ConfigurationWrite, core::ServiceAction::ZeroPoint,
                        core::ServiceAction::LowFlowSuppression, core::ServiceAction::ResetMaximum,
                        core::ServiceAction::ResetMinimum, core::ServiceAction::ResetTotaliser}) {
        core::ServiceEntry e;
        e.at = d.at;
        e.action = action;
        e.outcome = core::ServiceOutcome::Acknowledged;
        if (action == core::ServiceAction::ConfigurationWrite)
            e.details = core::sameInEveryLanguage(QString::fromUtf8("Druck 1.00 -> 1.50 bar | Rohrgröße 50.0 -> 62.5 | …"));
        d.actions.push_back(e);
    }
    return d;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out = argc > 2 && QString::fromLocal8Bit(argv[1]) == QLatin1String("--out")
                            ? QString::fromLocal8Bit(argv[2])
                            : QString();
    QTemporaryDir scratch;
    const core::ReportData data = sampleReport();
    std::vector<double> times;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer clock;
        clock.start();
        widgets::writeHtmlPdf(core::serviceReportHtml(data, i % 3), scratch.filePath(QStringLiteral("report.pdf")));
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(times.begin(), times.end());
    std::printf("service report, 5 changed fields, live values, 6 actions: median %.1f ms, fastest %.1f ms over %zu "
                "runs (target < 300 ms)\n",
                times[times.size() / 2], times.front(), times.size());
    if (!out.isEmpty()) {
        QDir().mkpath(out);
        for (int language : {0, 1, 2})
            widgets::writeHtmlPdf(core::serviceReportHtml(data, language),
                                  QDir(out).filePath(QStringLiteral("report-%1.pdf").arg(language)));
        std::printf("  %s/report-{0,1,2}.pdf\n", qPrintable(out));
    }
    return 0;
}
