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
    read.block = readBlock(link, family);
    return read;
}

std::optional<Block> readBlock(device::SerialLink& link, device::Family family)
{
    const device::Reply reply = device::requestConfiguration(link, family);
    // Only a whole block counts; anything less would pass stale fields off as the device's.
    if (!isCompleteConfigurationReply(family, reply.count))
        return std::nullopt;
    return blockOfReply(reply, device::configurationBlockSize(family));
}

WriteResult writeAndReadBack(device::SerialLink& link, const Block& held, const BlockImage& next)
{
    WriteResult result;
    result.acknowledged =
        device::writeConfiguration(link, next.family, next.block) == device::WriteOutcome::Acknowledged;
    // What the device stored is read back, not assumed, and not assumed
    // unchanged either when the acknowledgement did not come.
    const device::Reply readBack = device::readConfigurationBack(link, next.family);
    if (isCompleteConfigurationReply(next.family, readBack.count)) {
        result.stored = blockOfReply(readBack, next.block.size());
        result.differing = differingFields(next.family, next.block, *result.stored);
    }
    result.outcome = writeOutcome(result.acknowledged, result.stored, held, next.block, next.family);
    return result;
}

core::ServiceOutcome writeOutcome(bool acknowledged, const std::optional<Block>& stored, const Block& held,
                                  const Block& sent, device::Family family)
{
    using O = core::ServiceOutcome;
    if (!stored)
        return acknowledged ? O::NotVerified : O::StateUnknown;
    if (differingFields(family, sent, *stored).empty())
        return acknowledged ? O::Verified : O::StoredUnacknowledged;
    if (acknowledged)
        return O::Differs;
    return differingFields(family, held, *stored).empty() ? O::UnchangedUnacknowledged : O::DiffersUnacknowledged;
}

WriteVerdict verdictOf(core::ServiceOutcome outcome)
{
    switch (outcome) {
    case core::ServiceOutcome::Verified:
    case core::ServiceOutcome::StoredUnacknowledged: return WriteVerdict::Verified;
    case core::ServiceOutcome::Differs:
    case core::ServiceOutcome::DiffersUnacknowledged: return WriteVerdict::Differs;
    case core::ServiceOutcome::UnchangedUnacknowledged: return WriteVerdict::Unchanged;
    default: break;
    }
    return WriteVerdict::Unknown;
}

QString verdictText(core::ServiceOutcome outcome, const std::vector<Field>& differing, const FieldLabel& label,
                    int language)
{
    switch (verdictOf(outcome)) {
    case WriteVerdict::Verified:
        return texts::text(outcome == core::ServiceOutcome::StoredUnacknowledged ? texts::Text::VerdictStoredUnacknowledged
                                                                                  : texts::Text::VerdictVerified,
                           language);
    case WriteVerdict::Differs: {
        QStringList fields;
        for (Field f : differing)
            fields << label(f);
        return texts::text(texts::Text::VerdictDiffers, language).arg(fields.join(QStringLiteral(", ")));
    }
    case WriteVerdict::Unchanged: return texts::text(texts::Text::VerdictUnchanged, language);
    case WriteVerdict::Unknown: break;
    }
    return texts::text(texts::Text::VerdictUnknown, language);
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
    for (const auto& row : changeRows(held, next, changes, label, language))
        table += QStringLiteral("<tr>") + cell(row.label) + cell(row.before) + cell(row.after) + QStringLiteral("</tr>");
    table += QStringLiteral("</table>");
    return table;
}

namespace {

// Takes image's block and values over (a block that does not decode changes nothing).
bool take(const BlockImage& image, std::optional<BlockImage>& block, DeviceConfiguration& values)
{
    const auto decoded = decodeBlock(image.family, image.block);
    if (!decoded)
        return false;
    for (const auto& entry : blockLayout(image.family)) {
        const std::size_t i = indexOf(entry.field);
        values.value[i] = decoded->configuration.value[i];
        values.known[i] = true;
    }
    block = image;
    return true;
}

} // namespace

void ConfigurationRecords::fill(const BlockImage& image)
{
    if (take(image, filled_, filledValues_)) {
        source_ = filled_;
        sourceValues_ = filledValues_;
    }
}

void ConfigurationRecords::keepUnwritten(const BlockImage& sent, const BlockImage& device)
{
    if (take(device, filled_, filledValues_))
        take(sent, source_, sourceValues_);
}

bool ConfigurationRecords::differsFromFilled(const ConfigurationForm& form, Field f) const
{
    if (controlValue(form, f) != filledValues_[f])
        return true;
    if (!filled_)
        return false;
    // The field reads like the value filled, but the bytes a write would send
    // may still differ: a value typed in (1.23 typed over 1.234), or one kept
    // from a write the device did not store.
    const bool sourceIsFilled = source_ && source_->family == filled_->family && source_->block == filled_->block;
    if (!form.typed[indexOf(f)] && sourceIsFilled)
        return false;
    const auto sent = encode(form, filled_->family);
    const auto now = fieldBytes(filled_->family, sent.block, f);
    const auto was = fieldBytes(filled_->family, filled_->block, f);
    return !std::equal(now.begin(), now.end(), was.begin(), was.end());
}

EncodedBlock ConfigurationRecords::encode(const ConfigurationForm& form, device::Family family) const
{
    return encodeKeepingUntouched(family, form, source_, sourceValues_);
}

void ConfigurationRecords::forgetDevice()
{
    held_.reset();
    asFound_.reset();
    findings_.clear();
    lastWrite_.reset();
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
                                                                  const QDateTime& at, const FieldLabels& labels,
                                                                  int language)
{
    WriteRecord record;
    record.outcome = result.outcome;
    std::optional<BlockImage> stored;
    if (result.stored)
        stored = BlockImage{connectedCode, next.family, *result.stored};
    Finding finding{at, result.outcome, next, stored, result.differing};
    finding.sent.code = connectedCode;
    lastWrite_ = finding;
    // What the device holds now is only what was read back.
    held_ = stored;
    const bool noted = result.outcome != core::ServiceOutcome::Verified
                    && result.outcome != core::ServiceOutcome::UnchangedUnacknowledged;
    if (noted)
        findings_.push_back(finding);
    if (stored) {
        record.stored = stored;
        for (Field f : result.differing) {
            const auto [sent, held] = changeTexts(next, *stored, f, language);
            record.differs << QStringLiteral("%1: %2 -> %3").arg(labels(f, language), sent, held);
        }
    }
    record.written = verdictOf(result.outcome) == WriteVerdict::Verified;
    if (!record.written) {
        // What the technician set stays on the page, marked against what the
        // device holds now, or held before the write when that is not known
        // (an acknowledgement alone does not say what it stored).
        BlockImage device = stored ? *stored : before;
        device.code = connectedCode;
        keepUnwritten(next, device);
    }
    const bool differs = verdictOf(result.outcome) == WriteVerdict::Differs;
    record.details = [before, next, changes, stored, differing = result.differing, labels,
                      differs](int l, core::DetailsForm form) {
        const FieldLabel label = labelsIn(labels, l);
        QString text = changeList(before, next, changes, label, l, form);
        if (differs && stored)
            text += QStringLiteral(" | ") + core::serviceOutcomeText(core::ServiceOutcome::Differs, l)
                  + QStringLiteral(": ") + changeList(next, *stored, differing, label, l, form);
        return text;
    };
    return record;
}

std::vector<core::ReportRow> ConfigurationRecords::reportRows(int connectedCode, const FieldLabel& label,
                                                              int language) const
{
    if (!asFound_ || asFound_->code != connectedCode)
        return {};
    return configuration::reportRows(*asFound_, held_, label, language);
}

bool ConfigurationRecords::asLeftKnown(int connectedCode) const
{
    return holdsKnown(connectedCode);
}

QString ConfigurationRecords::verdict(int connectedCode, const FieldLabel& label, int language) const
{
    if (!lastWrite_ || lastWrite_->sent.code != connectedCode || !asFound_ || asFound_->code != connectedCode)
        return {};
    return verdictText(lastWrite_->outcome, lastWrite_->differing, label, language);
}

QStringList ConfigurationRecords::reportNotes(int connectedCode, const FieldLabel& label, int language) const
{
    QStringList notes;
    if (!asFound_ || asFound_->code != connectedCode)
        return notes;
    const QString write = core::serviceActionText(core::ServiceAction::ConfigurationWrite, language);
    for (const auto& finding : findings_)
        notes << QStringLiteral("%1 %2: %3").arg(finding.at.toString(QStringLiteral("HH:mm:ss")), write,
                                                 findingText(finding, label, language));
    return notes;
}

QString ConfigurationRecords::findingText(const Finding& finding, const FieldLabel& label, int language) const
{
    const QString outcome = core::serviceOutcomeText(finding.outcome, language);
    if (!finding.held || finding.differing.empty())
        return outcome;
    return QStringLiteral("%1: %2").arg(outcome, changeList(finding.sent, *finding.held, finding.differing, label,
                                                            language, core::DetailsForm::Print));
}

} // namespace trgui::pages::configuration
