#include "core/service_log.h"

#include "core/settings_record.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringEncoder>

#include <algorithm>
#include <array>

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
constexpr std::array<std::array<const char*, 3>, 3> kOutcomes{{
    {"bestätigt", "acknowledged", "acquitté"},
    {"nicht bestätigt", "not acknowledged", "non acquitté"},
    {"gesendet", "sent", "envoyé"},
}};
constexpr std::array<const char*, 3> kHeaders{
    "Datum; Uhrzeit; Port; Modell; SW-Version; Aktion; Änderungen; Ergebnis",
    "Date; Time; Port; Model; SW version; Action; Changes; Outcome",
    "Date; Heure; Port; Modèle; Version logicielle; Action; Modifications; Résultat",
};

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

} // namespace

QString serviceActionText(ServiceAction action, int language)
{
    return QString::fromUtf8(kActions[static_cast<std::size_t>(action)][column(language)]);
}

QString serviceOutcomeText(ServiceOutcome outcome, int language)
{
    return QString::fromUtf8(kOutcomes[static_cast<std::size_t>(outcome)][column(language)]);
}

QByteArray serviceLine(const ServiceEntry& e, int language)
{
    const QString fields[] = {
        e.at.toString(QStringLiteral("yyyy.MM.dd")),
        e.at.toString(QStringLiteral("HH:mm:ss")),
        e.port,
        e.model,
        e.softwareVersion.trimmed(),
        serviceActionText(e.action, language),
        e.details,
        serviceOutcomeText(e.outcome, language),
    };
    QByteArray line;
    for (const QString& f : fields) {
        if (!line.isEmpty())
            line += "; ";
        line += field(f);
    }
    return line;
}

QByteArray serviceHeader(int language)
{
    return encoded(QString::fromUtf8(kHeaders[column(language)]));
}

QString serviceLogPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/TR-GUI/service-log.csv");
}

bool appendServiceEntry(const QString& path, const ServiceEntry& entry, int language, QString* why)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        if (why)
            *why = file.errorString();
        return false;
    }
    const qint64 sizeBefore = file.size();
    QByteArray out;
    if (sizeBefore == 0)
        out += serviceHeader(language) + kLineEnd;
    out += serviceLine(entry, language) + kLineEnd;
    // A write cut short (a full disk, a file size limit) is followed by
    // another for the rest, which fails with the system's reason.
    qint64 done = 0;
    while (done < out.size()) {
        const qint64 n = file.write(out.constData() + done, out.size() - done);
        if (n <= 0)
            break;
        done += n;
    }
    if (done != out.size() || !file.flush()) {
        if (why)
            *why = file.errorString();
        file.resize(sizeBefore);  // no half line for the next entry to follow
        return false;
    }
    return true;
}

} // namespace trgui::core
