#include "pages/operation/core/report_values.h"

#include "core/variants.h"
#include "pages/operation/core/operation_controls.h"
#include "pages/operation/core/recording.h"

#include <algorithm>

namespace trgui::pages::operation {

namespace {

const QString kLacking = QStringLiteral("—");

} // namespace

ReportTexts loadReportTexts(const std::string& programDirectory, int language)
{
    ReportTexts texts;
    texts.language = language;
    for (const auto& def : kControls) {
        if (def.caption)
            texts.captions[def.id] = QString::fromUtf8(def.caption);
    }
    texts::CaptionMap sink(texts.captions);
    if (const auto name = texts::textFileName(texts::stem::OperationLabels, language))
        texts::applyLabels(sink, programDirectory, *name);
    if (const auto name = texts::textFileName(texts::stem::OperationErrorTexts, language))
        texts::loadErrorTexts(sink, texts.errors, programDirectory, *name);
    return texts;
}

void reportValues(const core::MeasurementRecord& r, int deviceTypeCode, const ReportTexts& texts,
                  std::vector<core::ReportValue>& values, QStringList& notes)
{
    using core::variants::OperationFunction;
    const auto caption = [&texts](int id) {
        const auto found = texts.captions.find(id);
        return found == texts.captions.end() ? QString() : found->second;
    };
    const auto lacks = [deviceTypeCode](OperationFunction f) { return core::variants::operationLacks(deviceTypeCode, f); };
    const auto number = [&texts](float value) { return measuredText(value, texts.language); };
    values.push_back({caption(id::VelocityLabel), number(r.velocity), number(r.velocityMax), number(r.velocityMin),
                      r.velocityUnit});
    values.push_back({caption(id::VolumeFlowLabel), number(r.volumeFlow), number(r.volumeFlowMax),
                      number(r.volumeFlowMin), r.volumeFlowUnit});
    values.push_back({caption(id::TemperatureLabel), number(r.temperature), number(r.temperatureMax),
                      number(r.temperatureMin), r.temperatureUnit});
    values.push_back({caption(id::TotaliserLabel), number(r.totaliser), {}, {}, r.totaliserUnit});
    const bool lowFlow = !lacks(OperationFunction::LowFlowSuppression);
    values.push_back({caption(id::LowFlowLabel), lowFlow ? QString::number(r.lowFlowSuppression) : kLacking, {}, {},
                      lowFlow ? QStringLiteral("%") : QString()});

    for (const auto& box : kContactBoxes) {
        const auto function = std::find_if(std::begin(kVariantControls), std::end(kVariantControls),
                                           [&box](const FunctionControl& c) { return c.control == box.control; })
                                  ->function;
        const bool active = ((r.contactBits & box.bit) != 0) != box.activeWhenClear;
        const QString state = lacks(function) ? kLacking : active ? QStringLiteral("[x]") : QStringLiteral("[ ]");
        notes << state + QLatin1Char(' ') + caption(box.control);
    }
    QString error = QString::number(r.errorCode);
    if (const auto i = texts::errorIndex(r.errorCode); i && !texts.errors.texts[static_cast<std::size_t>(*i)].isEmpty())
        error = texts::fromWindows1252(texts.errors.texts[static_cast<std::size_t>(*i)]);
    notes << caption(id::ErrorLabel) + QStringLiteral(": ") + error;
}

} // namespace trgui::pages::operation
