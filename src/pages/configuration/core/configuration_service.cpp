#include "pages/configuration/core/configuration_service.h"

#include "core/settings_record.h"
#include "device/page_exchanges.h"
#include "texts/catalogue.h"

#include <span>

namespace trgui::pages::configuration {

namespace {

Block blockOfReply(const device::Reply& reply, std::size_t size)
{
    const auto block = std::span<const std::uint8_t>(reply.bytes).subspan(2, size);
    return {block.begin(), block.end()};
}

} // namespace

ConfigurationRead readConfiguration(device::SerialLink& link, device::Family family)
{
    ConfigurationRead read;
    read.code = device::identifiedCode(device::identifyForConfiguration(link));
    if (read.code)
        device::updateFamily(*read.code, family);
    read.family = family;
    const device::Reply reply = device::requestConfiguration(link, family);
    // Only a whole block counts; anything less would pass stale fields off as the device's.
    if (isCompleteConfigurationReply(family, reply.count))
        read.block = blockOfReply(reply, device::configurationBlockSize(family));
    return read;
}

WriteResult writeAndReadBack(device::SerialLink& link, const BlockImage& next)
{
    WriteResult result;
    if (device::writeConfiguration(link, next.family, next.block) != device::WriteOutcome::Acknowledged)
        return result;
    // What the device stored is read back, not assumed.
    const device::Reply readBack = device::readConfigurationBack(link, next.family);
    if (!isCompleteConfigurationReply(next.family, readBack.count)) {
        result.outcome = core::ServiceOutcome::NotVerified;
        return result;
    }
    result.stored = blockOfReply(readBack, next.block.size());
    result.differing = differingFields(next.family, next.block, *result.stored);
    result.outcome = result.differing.empty() ? core::ServiceOutcome::Verified : core::ServiceOutcome::Differs;
    return result;
}

QString comparisonTable(const QString& intro, const BlockImage& held, const BlockImage& next,
                        const std::vector<Field>& changes, const FieldLabel& label, int language)
{
    const auto cell = [](const QString& text, const char* tag = "td") {
        return QStringLiteral("<%1 style=\"padding: 1px 8px\">%2</%1>").arg(QLatin1String(tag), text.toHtmlEscaped());
    };
    QString table = QStringLiteral("<p>%1</p><table><tr>").arg(intro.toHtmlEscaped());
    for (const texts::Text heading : {texts::Text::ReportField, texts::Text::InTheDevice, texts::Text::NewValue})
        table += cell(texts::text(heading, language), "th");
    table += QStringLiteral("</tr>");
    for (Field f : changes)
        table += QStringLiteral("<tr>") + cell(label(f)) + cell(valueWithUnit(held, f, language))
               + cell(valueWithUnit(next, f, language)) + QStringLiteral("</tr>");
    table += QStringLiteral("</table>");
    return table;
}

void ConfigurationRecords::fill(const BlockImage& image)
{
    const auto decoded = decodeBlock(image.family, image.block);
    if (!decoded)
        return;
    for (const auto& entry : blockLayout(image.family)) {
        const std::size_t i = indexOf(entry.field);
        filledValues_.value[i] = decoded->configuration.value[i];
        filledValues_.known[i] = true;
    }
    filled_ = image;
}

bool ConfigurationRecords::differsFromFilled(const ConfigurationForm& form, Field f) const
{
    return controlValue(form, f) != filledValues_[f];
}

EncodedBlock ConfigurationRecords::encode(const ConfigurationForm& form, device::Family family) const
{
    return encodeKeepingUntouched(family, form, filled_, filledValues_);
}

void ConfigurationRecords::forgetDevice()
{
    held_.reset();
    asFound_.reset();
    findings_.clear();
}

void ConfigurationRecords::takeRead(const BlockImage& image)
{
    if (!asFound_ || asFound_->code != image.code) {
        forgetDevice();
        asFound_ = image;
    }
    held_ = image;
}

ConfigurationRecords::WritePlan ConfigurationRecords::planWrite(const BlockImage& next, device::Family connectedFamily,
                                                                int connectedCode) const
{
    WritePlan plan;
    if (next.family != connectedFamily) {
        plan.step = WriteStep::OtherFamily;
        return plan;
    }
    if (!holdsKnown(connectedCode)) {
        plan.step = WriteStep::NotReadYet;
        return plan;
    }
    plan.changes = differingFields(next.family, held_->block, next.block);
    plan.step = plan.changes.empty() ? WriteStep::NothingChanged : WriteStep::Confirm;
    return plan;
}

ConfigurationRecords::WriteRecord ConfigurationRecords::takeWrite(const BlockImage& before, const BlockImage& next,
                                                                  const std::vector<Field>& changes,
                                                                  const WriteResult& result, int connectedCode,
                                                                  const QDateTime& at, const FieldLabel& label,
                                                                  int language)
{
    WriteRecord record;
    record.outcome = result.outcome;
    record.details = changeList(before, next, changes, label, language);
    switch (result.outcome) {
    case core::ServiceOutcome::Verified:
    case core::ServiceOutcome::Differs: {
        if (!result.stored)
            break;
        const BlockImage stored{connectedCode, next.family, *result.stored};
        held_ = stored;
        record.stored = stored;
        if (result.differing.empty())
            break;
        findings_.push_back({at, next, stored, result.differing});
        record.details += QStringLiteral(" | ") + findingText(findings_.back(), label, language);
        for (Field f : result.differing)
            record.differs << QStringLiteral("%1: %2 -> %3").arg(label(f), valueWithUnit(next, f, language),
                                                                 valueWithUnit(stored, f, language));
        break;
    }
    case core::ServiceOutcome::NotVerified:
        // The device said it stored the block; nothing more is known.
        held_ = next;
        held_->code = connectedCode;
        fill(next);
        findings_.push_back({at, next, std::nullopt, {}});
        break;
    default: break;
    }
    return record;
}

std::vector<core::ReportRow> ConfigurationRecords::reportRows(int connectedCode, const FieldLabel& label,
                                                              int language) const
{
    if (!holdsKnown(connectedCode) || !asFound_)
        return {};
    return configuration::reportRows(*asFound_, *held_, label, language);
}

QStringList ConfigurationRecords::reportNotes(int connectedCode, const FieldLabel& label, int language) const
{
    QStringList notes;
    if (!holdsKnown(connectedCode))
        return notes;
    const QString write = core::serviceActionText(core::ServiceAction::ConfigurationWrite, language);
    for (const auto& finding : findings_)
        notes << QStringLiteral("%1 %2: %3").arg(finding.at.toString(QStringLiteral("HH:mm:ss")), write,
                                                 findingText(finding, label, language));
    return notes;
}

QString ConfigurationRecords::findingText(const Finding& finding, const FieldLabel& label, int language) const
{
    if (!finding.held)
        return core::serviceOutcomeText(core::ServiceOutcome::NotVerified, language);
    return QStringLiteral("%1: %2").arg(core::serviceOutcomeText(core::ServiceOutcome::Differs, language),
                                        changeList(finding.sent, *finding.held, finding.differing, label, language));
}

} // namespace trgui::pages::configuration
