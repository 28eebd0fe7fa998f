#include "pages/settings/core/port_problem.h"

#include "core/settings_record.h"

#include <algorithm>

namespace trgui::pages::settings {

namespace {

// %1 the COM port, %2 the device; then as the reason says.
constexpr const char* kTexts[][3] = {
    // NoPermission: %3 the command that gives the right, for group %4.
    {"Keine Berechtigung für %1 (%2). Abhilfe: im Terminal „%3“ eingeben, dann ab- und wieder anmelden.",
     "No permission for %1 (%2). To fix it, enter \"%3\" in a terminal, then log out and in again.",
     "Pas d'autorisation pour %1 (%2). Pour y remédier, saisissez « %3 » dans un terminal, puis fermez la "
     "session et rouvrez-la."},
    // InUse: %3 the process id, %4 its name.
    {"%1 (%2) wird von einem anderen Programm benutzt (Prozess %3, %4). Schließen Sie es; die Verbindung folgt "
     "von selbst.",
     "%1 (%2) is in use by another program (process %3, %4). Close it; the connection follows by itself.",
     "%1 (%2) est utilisé par un autre programme (processus %3, %4). Fermez-le ; la connexion suit d'elle-même."},
    // NotPresent
    {"%1 (%2) ist nicht vorhanden. Stecken Sie den Adapter ein oder wählen Sie einen anderen COM-Port.",
     "%1 (%2) is not present. Plug in the adapter or choose another COM port.",
     "%1 (%2) n'existe pas. Branchez l'adaptateur ou choisissez un autre port COM."},
    // NoAnswer
    {"%1 (%2) ist offen, aber das Gerät antwortet nicht. Prüfen Sie Kabel und Versorgung des KM210.",
     "%1 (%2) is open but the device does not answer. Check the cable and the power of the KM210.",
     "%1 (%2) est ouvert mais l'appareil ne répond pas. Vérifiez le câble et l'alimentation du KM210."},
    // Other: %3 the system's words.
    {"%1 (%2) lässt sich nicht öffnen: %3", "%1 (%2) cannot be opened: %3", "Impossible d'ouvrir %1 (%2) : %3"},
};

} // namespace

PortProblem problemOf(const device::OpenFailure& failure)
{
    switch (failure.kind) {
    case device::OpenFailure::Kind::NoPermission: return PortProblem::NoPermission;
    case device::OpenFailure::Kind::InUse: return PortProblem::InUse;
    case device::OpenFailure::Kind::NotPresent: return PortProblem::NotPresent;
    case device::OpenFailure::Kind::Other: break;
    }
    return PortProblem::Other;
}

QString portProblemText(PortProblem problem, const device::OpenFailure& failure, const QString& portName,
                        const QString& user, int language)
{
    const auto row = static_cast<std::size_t>(problem);
    const std::size_t column = core::languageIndex(language);
    QString text = QString::fromUtf8(kTexts[row][column]).arg(portName, QString::fromStdString(failure.device));
    switch (problem) {
    case PortProblem::NoPermission: {
        const QString group = failure.group.isEmpty() ? QStringLiteral("dialout") : failure.group;
        return text.arg(QStringLiteral("sudo usermod -aG %1 %2").arg(group, user));
    }
    case PortProblem::InUse:
        return text.arg(failure.holderPid > 0 ? QString::number(failure.holderPid) : QStringLiteral("?"),
                        failure.holderName.isEmpty() ? QStringLiteral("?") : failure.holderName);
    case PortProblem::Other:
        return text.arg(failure.systemText);
    case PortProblem::NotPresent:
    case PortProblem::NoAnswer:
        break;
    }
    return text;
}

} // namespace trgui::pages::settings
