#include "pages/settings/core/port_problem.h"

#include "core/settings_record.h"

namespace trgui::pages::settings {

namespace {

// By PortProblem: %1 the COM port, %2 the device; then as the reason says.
constexpr const char* kTexts[][3] = {
    // NoPermission: %3 the group, %4 the command that puts the user in it.
    {"Keine Berechtigung für %1 (%2): öffnen dürfen es nur Mitglieder der Gruppe „%3“. Abhilfe: im Terminal „%4“ "
     "eingeben, dann ab- und wieder anmelden.",
     "No permission for %1 (%2): only members of group \"%3\" may open it. To fix it, enter \"%4\" in a terminal, "
     "then log out and in again.",
     "Pas d'autorisation pour %1 (%2) : seuls les membres du groupe « %3 » peuvent l'ouvrir. Pour y remédier, "
     "saisissez « %4 » dans un terminal, puis fermez la session et rouvrez-la."},
    // LogInAgain: %3 the group.
    {"Keine Berechtigung für %1 (%2): Sie gehören zur Gruppe „%3“, diese Anmeldung aber noch nicht. Melden Sie sich "
     "ab und wieder an (oder starten Sie das Programm aus einem Terminal nach „newgrp %3“).",
     "No permission for %1 (%2): you are in group \"%3\", but this login is not yet. Log out and in again (or start "
     "the program from a terminal after \"newgrp %3\").",
     "Pas d'autorisation pour %1 (%2) : vous faites partie du groupe « %3 », mais pas encore cette session. Fermez "
     "la session et rouvrez-la (ou lancez le programme depuis un terminal après « newgrp %3 »)."},
    // OwnerOnly: %3 the owner, %4 the group.
    {"Keine Berechtigung für %1 (%2): nur der Eigentümer %3 darf es öffnen, keine Benutzergruppe (Gruppe %4). "
     "Bitten Sie den Administrator um Zugriff, etwa eine udev-Regel mit GROUP=\"dialout\", MODE=\"0660\" für den "
     "Adapter und die Aufnahme in diese Gruppe.",
     "No permission for %1 (%2): only its owner %3 may open it, no group of users (group %4). Ask the "
     "administrator for access, e.g. a udev rule with GROUP=\"dialout\", MODE=\"0660\" for the adapter and "
     "membership in that group.",
     "Pas d'autorisation pour %1 (%2) : seul son propriétaire %3 peut l'ouvrir, aucun groupe d'utilisateurs (groupe "
     "%4). Demandez l'accès à l'administrateur, par exemple une règle udev avec GROUP=\"dialout\", MODE=\"0660\" "
     "pour l'adaptateur et l'ajout à ce groupe."},
    // StaleLock: %3 the lock file, %4 the command that removes it.
    {"%1 (%2) ist gesperrt durch %3, die Sperrdatei eines beendeten Programms. Abhilfe: im Terminal „%4“ eingeben; "
     "die Verbindung folgt von selbst.",
     "%1 (%2) is locked by %3, the lock file of a program that has ended. To fix it, enter \"%4\" in a terminal; "
     "the connection follows by itself.",
     "%1 (%2) est verrouillé par %3, le fichier de verrou d'un programme terminé. Pour y remédier, saisissez « %4 » "
     "dans un terminal ; la connexion suit d'elle-même."},
    // UnknownLock: as StaleLock.
    {"%1 (%2) ist gesperrt durch %3; welches Programm sie angelegt hat, lässt sich nicht lesen. Benutzt kein anderes "
     "Programm den Port, im Terminal „%4“ eingeben.",
     "%1 (%2) is locked by %3; which program made it cannot be read. If no other program uses the port, enter "
     "\"%4\" in a terminal.",
     "%1 (%2) est verrouillé par %3 ; le programme qui l'a créé ne peut pas être lu. Si aucun autre programme "
     "n'utilise le port, saisissez « %4 » dans un terminal."},
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

// Read and write permission in the three bits at shift (6 owner, 3 group, 0 others).
bool readWrite(unsigned mode, int shift)
{
    return ((mode >> shift) & 06u) == 06u;
}

// Which permission problem the device's owner, group and mode bits make for the user.
PortProblem accessProblem(const platform::NodeAccess& node, const platform::UserGroups& user)
{
    if (!node.known || user.user == QLatin1String("root"))
        return PortProblem::Other;
    if ((node.owner == user.user && readWrite(node.mode, 6)) || readWrite(node.mode, 0))
        return PortProblem::Other;  // the user may: something else stands in the way
    if (node.group.isEmpty() || node.group == QLatin1String("root") || !readWrite(node.mode, 3))
        return PortProblem::OwnerOnly;
    if (user.login.contains(node.group))
        return PortProblem::Other;
    return user.member.contains(node.group) ? PortProblem::LogInAgain : PortProblem::NoPermission;
}

} // namespace

PortProblem problemOf(const device::OpenFailure& failure)
{
    switch (failure.kind) {
    case device::OpenFailure::Kind::InUse: return PortProblem::InUse;
    case device::OpenFailure::Kind::NotPresent: return PortProblem::NotPresent;
    case device::OpenFailure::Kind::Other: return PortProblem::Other;
    case device::OpenFailure::Kind::NoPermission: break;
    }
    if (failure.lock) {
        if (failure.lock->running)
            return PortProblem::InUse;
        return failure.lock->pid > 0 ? PortProblem::StaleLock : PortProblem::UnknownLock;
    }
    return accessProblem(failure.node, failure.user);
}

QString portProblemText(PortProblem problem, const device::OpenFailure& failure, const QString& portName, int language)
{
    const auto row = static_cast<std::size_t>(problem);
    const std::size_t column = core::languageIndex(language);
    const QString text = QString::fromUtf8(kTexts[row][column]).arg(portName, QString::fromLocal8Bit(failure.device.c_str()));
    const platform::PortLock lock = failure.lock.value_or(platform::PortLock{});
    switch (problem) {
    case PortProblem::NoPermission: {
        const QString user = failure.user.user.isEmpty() ? QStringLiteral("$USER") : failure.user.user;
        return text.arg(failure.node.group, QStringLiteral("sudo usermod -aG %1 %2").arg(failure.node.group, user));
    }
    case PortProblem::LogInAgain:
        return text.arg(failure.node.group);
    case PortProblem::OwnerOnly:
        return text.arg(failure.node.owner, failure.node.group);
    case PortProblem::StaleLock:
    case PortProblem::UnknownLock:
        return text.arg(lock.path, (lock.removable ? QStringLiteral("rm ") : QStringLiteral("sudo rm ")) + lock.path);
    case PortProblem::InUse:
        return text.arg(lock.pid > 0 ? QString::number(lock.pid) : QStringLiteral("?"),
                        lock.name.isEmpty() ? QStringLiteral("?") : lock.name);
    case PortProblem::Other:
        return text.arg(failure.systemText);
    case PortProblem::NotPresent:
    case PortProblem::NoAnswer:
        break;
    }
    return text;
}

} // namespace trgui::pages::settings
