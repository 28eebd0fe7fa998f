#include "pages/settings/core/port_problem.h"

#include "texts/catalogue.h"

namespace trgui::pages::settings {

namespace {

// By PortProblem.
constexpr texts::Text kTexts[] = {
    texts::Text::PortProblemNoPermission, texts::Text::PortProblemLogInAgain, texts::Text::PortProblemOwnerOnly,
    texts::Text::PortProblemStaleLock, texts::Text::PortProblemUnknownLock, texts::Text::PortProblemInUse,
    texts::Text::PortProblemNotPresent, texts::Text::PortProblemNoAnswer, texts::Text::PortProblemUnrecognised,
    texts::Text::PortProblemOther,
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

QString hexText(const std::vector<std::uint8_t>& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()))
        .toHex(' ')
        .toUpper();
}

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
    if (failure.comNames && (problem == PortProblem::InUse || problem == PortProblem::NotPresent)) {
        // Windows: no lock file names the other program, and the device is the COM name itself.
        const QString device = QString::fromLocal8Bit(failure.device.c_str());
        const QString shown = device.isEmpty() || device == portName ? portName
                                                                     : QStringLiteral("%1 (%2)").arg(portName, device);
        const auto id = problem == PortProblem::InUse ? texts::Text::PortProblemInUseWindows
                                                      : texts::Text::PortProblemNotPresentWindows;
        return texts::text(id, language).arg(shown);
    }
    const QString device = QString::fromLocal8Bit(failure.device.c_str());
    QString sentence = texts::text(kTexts[static_cast<std::size_t>(problem)], language);
    if (device == portName)
        sentence.replace(QLatin1String("%1 (%2)"), QLatin1String("%1"));  // Windows: the name is the port
    const QString text = device == portName ? sentence.arg(portName) : sentence.arg(portName, device);
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
    case PortProblem::Unrecognised:
        return text.arg(hexText(failure.refusedReply));
    case PortProblem::NotPresent:
    case PortProblem::NoAnswer:
        break;
    }
    return text;
}

} // namespace trgui::pages::settings
