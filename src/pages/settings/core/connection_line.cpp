#include "pages/settings/core/connection_line.h"

#include "texts/catalogue.h"

namespace trgui::pages::settings {

namespace {

QString portText(int port, const QString& devicePath)
{
    const QString name = QStringLiteral("COM%1").arg(port);
    return devicePath.isEmpty() || devicePath == name ? name : QStringLiteral("%1 (%2)").arg(name, devicePath);
}

} // namespace

std::optional<PortProblem> problemOfReach(core::DeviceConnection::Reach reach, const device::OpenFailure& failure)
{
    using Reach = core::DeviceConnection::Reach;
    switch (reach) {
    case Reach::NotOpened: return problemOf(failure);
    case Reach::Silent: return PortProblem::NoAnswer;
    case Reach::Unrecognised: return PortProblem::Unrecognised;
    case Reach::Answering:
    case Reach::Unknown: break;
    }
    return std::nullopt;
}

QString connectionLineText(const ConnectionFacts& facts, int language)
{
    const auto pollAge = [&] { return texts::text(texts::Text::ConnectionPollAge, language).arg(*facts.pollAgeMs / 1000); };
    if (!facts.answering && facts.reach == core::DeviceConnection::Reach::Unrecognised) {
        // Not connected as the Settings page says, yet the cycle may poll it: both, in one line.
        const QString line = texts::text(texts::Text::ConnectionUnrecognised, language)
                                 .arg(portText(facts.port, facts.devicePath), hexText(facts.failure.refusedReply));
        return facts.pollAgeMs ? QStringLiteral("%1 – %2").arg(line, pollAge()) : line;
    }
    if (!facts.answering) {
        if (const auto problem = problemOfReach(facts.reach, facts.failure)) {
            device::OpenFailure named = facts.failure;
            if (named.device.empty())
                named.device = facts.devicePath.toLocal8Bit().toStdString();
            return portProblemText(*problem, named, QStringLiteral("COM%1").arg(facts.port), language);
        }
        return noDeviceText(facts.port, facts.devicePath, language);
    }
    const QString state = facts.pollAgeMs ? pollAge() : texts::text(texts::Text::ConnectionAnswers, language);
    return QStringLiteral("%1 – %2 – %3").arg(portText(facts.port, facts.devicePath), facts.model, state);
}

QString noDeviceText(int port, const QString& devicePath, int language)
{
    return texts::text(texts::Text::NoDeviceAnswersOn, language).arg(portText(port, devicePath));
}

} // namespace trgui::pages::settings
