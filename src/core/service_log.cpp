#include "core/service_log.h"

#include "core/settings_record.h"
#include "platform/platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <initializer_list>

namespace trgui::core {

namespace {

const QByteArray kLineEnd("\r\n");

constexpr std::array<std::array<const char*, 3>, 9> kActions{{
    {"Konfiguration schreiben", "Write configuration", "Écrire la configuration"},
    {"Nullpunktabgleich", "Zero-point adjustment", "Réglage du zéro"},
    {"Schleichmenge setzen", "Set low-flow suppression", "Régler le seuil de débit de fuite"},
    {"Reset Max", "Reset maximum", "Réinit. max"},
    {"Reset Min", "Reset minimum", "Réinit. min"},
    {"Reset Totalisator", "Reset totaliser", "RAZ totaliseur"},
    {"Reset Fehler", "Reset error", "Acquitter défaut"},
    {"Messung Start", "Start measurement", "Démarrer la mesure"},
    {"Messung Stop", "Stop measurement", "Arrêter la mesure"},
}};
constexpr std::array<std::array<const char*, 3>, 6> kOutcomes{{
    {"bestätigt", "acknowledged", "acquitté"},
    {"nicht bestätigt", "not acknowledged", "non acquitté"},
    {"gesendet", "sent", "envoyé"},
    {"bestätigt, zurückgelesen", "acknowledged, read back", "acquitté, relu"},
    {"bestätigt, Gerät hält anderes", "acknowledged, device holds other values", "acquitté, l'appareil garde d'autres valeurs"},
    {"bestätigt, nicht zurückgelesen", "acknowledged, not verified", "acquitté, non vérifié"},
}};
constexpr std::array<const char*, 3> kHeaders{
    "Datum; Uhrzeit; Port; Modell; SW-Version; Aktion; Änderungen; Ergebnis",
    "Date; Time; Port; Model; SW version; Action; Changes; Outcome",
    "Date; Heure; Port; Modèle; Version logicielle; Action; Modifications; Résultat",
};
constexpr std::array<const char*, 3> kTechnician{"Techniker", "Technician", "Technicien"};
constexpr std::array<const char*, 3> kEntriesLost{"Einträge verloren", "entries lost", "entrées perdues"};
// How many entries (%1) were not written since when (%2): for one, for more.
constexpr std::array<std::array<const char*, 2>, 3> kNotWritten{{
    {"%1 Eintrag seit %2 nicht geschrieben", "%1 Einträge seit %2 nicht geschrieben"},
    {"%1 entry not written since %2", "%1 entries not written since %2"},
    {"%1 entrée non écrite depuis %2", "%1 entrées non écrites depuis %2"},
}};
constexpr std::array<const char*, 3> kReasonAfter{": ", ": ", " : "};

std::size_t column(int language)
{
    return languageIndex(language);
}

QByteArray encoded(const QString& text)
{
    QStringEncoder encode("windows-1252", QStringConverter::Flag::Default);
    return encode(text);
}

QByteArray field(QString text)
{
    text.replace(QLatin1String("; "), QLatin1String(", "));
    text.replace(QLatin1Char(';'), QLatin1Char(','));
    text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return encoded(text);
}

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QByteArray line(std::initializer_list<QString> fields)
{
    QByteArray out;
    for (const QString& f : fields) {
        if (&f != fields.begin())
            out += "; ";
        out += field(f);
    }
    return out;
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

} // namespace

QString serviceActionText(ServiceAction action, int language)
{
    return QString::fromUtf8(kActions[static_cast<std::size_t>(action)][column(language)]);
}

QString serviceOutcomeText(ServiceOutcome outcome, int language)
{
    return QString::fromUtf8(kOutcomes[static_cast<std::size_t>(outcome)][column(language)]);
}

ServiceLogFormat serviceLogFormat(const QString& path, int language)
{
    if (QFileInfo(path).size() == 0)
        return {static_cast<int>(column(language)), true};
    const QByteArray header = firstLine(path);
    for (int l = 0; l < kLanguageCount; ++l) {
        for (bool technicianColumn : {true, false}) {
            if (header == serviceHeader({l, technicianColumn}))
                return {l, technicianColumn};
        }
    }
    return {static_cast<int>(column(language)), false};
}

QByteArray serviceLine(const ServiceEntry& e, const ServiceLogFormat& format)
{
    const std::size_t l = column(format.language);
    QString details = e.details;
    if (!format.technicianColumn && !e.technician.isEmpty()) {
        details += (details.isEmpty() ? QString() : QStringLiteral(" | ")) + text(kTechnician[l]) + QStringLiteral(": ")
                 + e.technician;
    }
    QByteArray out = line({dateText(e.at), timeText(e.at), e.port, e.model, e.softwareVersion.trimmed(),
                           serviceActionText(e.action, format.language), details,
                           serviceOutcomeText(e.outcome, format.language)});
    if (format.technicianColumn)
        out += "; " + field(e.technician);
    return out;
}

QByteArray serviceHeader(const ServiceLogFormat& format)
{
    const std::size_t l = column(format.language);
    QString header = text(kHeaders[l]);
    if (format.technicianColumn)
        header += QStringLiteral("; ") + text(kTechnician[l]);
    return encoded(header);
}

QByteArray serviceGapLine(const ServiceLogGap& gap, const QDateTime& at, const ServiceLogFormat& format)
{
    const std::size_t l = column(format.language);
    QString details = text(kNotWritten[l][gap.entries == 1 ? 0 : 1])
                          .arg(QString::number(gap.entries), dateText(gap.since) + QLatin1Char(' ') + timeText(gap.since));
    if (!gap.reason.isEmpty())
        details += text(kReasonAfter[l]) + gap.reason;
    QByteArray out = line({dateText(at), timeText(at), {}, {}, {}, text(kEntriesLost[l]), details, {}});
    if (format.technicianColumn)
        out += "; ";
    return out;
}

QString serviceLogPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/TR-GUI/service-log.csv");
}

bool appendServiceEntry(const QString& path, const ServiceEntry& entry, int language, QString* why,
                        const ServiceLogGap& gap)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        if (why)
            *why = file.errorString();
        return false;
    }
    const qint64 sizeBefore = file.size();
    const ServiceLogFormat format = serviceLogFormat(path, language);
    QByteArray out;
    if (sizeBefore == 0)
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
