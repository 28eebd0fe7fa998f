#include "pages/settings/core/connection_line.h"

#include "core/settings_record.h"

#include <array>

namespace trgui::pages::settings {

namespace {

using Texts = std::array<const char*, 3>;
constexpr Texts kAnswers{"antwortet", "answers", "répond"};
constexpr Texts kPollAge{"letzte Abfrage vor %1 s", "last poll %1 s ago", "dernière interrogation il y a %1 s"};
constexpr Texts kNoDevice{"Kein Gerät antwortet an %1.", "No device answers on %1.", "Aucun appareil ne répond sur %1."};

QString text(const Texts& texts, int language)
{
    return QString::fromUtf8(texts[core::languageIndex(language)]);
}

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
    case Reach::Answering:
    case Reach::Unknown: break;
    }
    return std::nullopt;
}

QString connectionLineText(const ConnectionFacts& facts, int language)
{
    if (!facts.answering) {
        if (const auto problem = problemOfReach(facts.reach, facts.failure)) {
            device::OpenFailure named = facts.failure;
            if (named.device.empty())
                named.device = facts.devicePath.toLocal8Bit().toStdString();
            return portProblemText(*problem, named, QStringLiteral("COM%1").arg(facts.port), language);
        }
        return noDeviceText(facts.port, facts.devicePath, language);
    }
    const QString state = facts.pollAgeMs
        ? text(kPollAge, language).arg(*facts.pollAgeMs / 1000)
        : text(kAnswers, language);
    return QStringLiteral("%1 – %2 – %3").arg(portText(facts.port, facts.devicePath), facts.model, state);
}

QString noDeviceText(int port, const QString& devicePath, int language)
{
    return text(kNoDevice, language).arg(portText(port, devicePath));
}

} // namespace trgui::pages::settings
