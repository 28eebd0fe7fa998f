#include "pages/visualisation/core/visualisation_chart.h"

#include "core/settings_record.h"
#include "texts/catalogue.h"

#include <climits>

namespace trgui::pages::visualisation {

namespace {

using texts::Text;

// A name with its unit, "Temperatur [°C]". The chart keeps its texts for a
// value that names no language.
QString withUnit(Text name, int language, const QString& unit)
{
    return QStringLiteral("%1 [%2]").arg(texts::text(name, language), unit);
}

// Ends the loader's page set-up however the set-up ends, so a failed set-up
// does not leave later components waiting to be drawn.
class PageSetup {
public:
    explicit PageSetup(QObject* pageWindow) { scope::componentLoader().BeginPageSetup(pageWindow); }
    ~PageSetup()
    {
        if (!ended_)
            scope::componentLoader().EndPageSetup();
    }
    void end()
    {
        ended_ = true;
        scope::componentLoader().EndPageSetup();
    }

private:
    bool ended_ = false;
};

} // namespace

void VisualisationChart::setUp(QObject* pageWindow, QObject* chartFrame, int language)
{
    initialised_ = 0;
    PageSetup setup(pageWindow);
    scope_.Create(chartFrame);
    scope_.Channels.Add();  // a new scope has one channel: now channels 0 and 1
    const bool named = core::isLanguage(language);
    const auto t = [language](Text id) { return texts::text(id, language); };
    if (named) {
        scope_.Channels.Item(0)->Name.Set(t(Text::ChartTemperature));
        scope_.Channels.Item(1)->Name.Set(t(Text::ChartFlow));
        scope_.Title.Text.Set(t(Text::ChartTitle));
    }
    scope_.RefreshInterval.Set(100);
    scope_.Legend.Visible.Set(true);
    scope_.Legend.MarkerGroups.Visible.Set(false);
    scope_.DataView.Background.Color.Set(16777215);
    scope_.YAxis.AutoScaling.Enabled.Set(true);
    scope_.YAxis.Max.Value.Set(100.0);
    scope_.YAxis.Min.Value.Set(-40.0);
    scope_.YAxis.Format.Precision.Set(1);
    scope_.YAxis.AdditionalAxes.Add();
    {
        const auto flowAxis = scope_.YAxis.AdditionalAxes.Item(0);
        flowAxis->Axis.Max.Value.Set(10.0);
        flowAxis->Axis.Min.Value.Set(0.0);
        flowAxis->Axis.Format.FixedPrecision.Set(true);
        flowAxis->Axis.Format.Precision.Set(2);
        // The flow axis starts at 0..10 but its maximum follows the data, so a
        // larger flow is not drawn off the chart.
        flowAxis->Axis.Max.AutoScale.Set(true);
    }
    scope_.Channels.Item(0)->YAxisIndex.Set(0);
    scope_.Channels.Item(1)->YAxisIndex.Set(1);
    if (named) {
        scope_.YAxis.AxisLabel.Text.Set(t(Text::ChartTemperature));
        scope_.YAxis.AdditionalAxes.Item(0)->Axis.AxisLabel.Text.Set(t(Text::ChartFlow));
        scope_.XAxis.AxisLabel.Text.Set(t(Text::ChartXAxis));
    }
    scope_.Channels.Item(1)->Color.Set(65535);  // yellow; channel 0 keeps the default
    scope_.Index.Set(1);
    setToolBarCaptions(language);
    setup.end();
    sampleCount_ = 0;
    initialised_ = 1;
}

void VisualisationChart::addSample(const core::MeasurementRecord& record, int language)
{
    const int n = sampleCount_;
    if (n >= kMaxSamples) {
        if (sampleCount_ < INT_MAX)
            ++sampleCount_;
        return;
    }
    if (core::isLanguage(language)) {
        scope_.YAxis.AxisLabel.Text.Set(withUnit(Text::ChartTemperature, language, record.temperatureUnit));
        scope_.YAxis.AdditionalAxes.Item(0)->Axis.AxisLabel.Text.Set(
            withUnit(Text::ChartFlow, language, record.volumeFlowUnit));
    }
    const auto index = static_cast<std::size_t>(n);
    flowHistory_[index] = record.volumeFlow;
    temperatureHistory_[index] = record.temperature;
    scope_.XAxis.Format.FixedPrecision.Set(false);
    scope_.XAxis.Format.Precision.Set(0);
    scope_.YAxis.AdditionalAxes.Item(0)->Axis.Min.Value.Set(0.0);
    // The component takes a count: n + 1 values, so the newest one is drawn too.
    const auto count = static_cast<std::uint32_t>(n + 1);
    scope_.Channels.Item(0)->Data.SetYData(temperatureHistory_.data(), count);
    scope_.Channels.Item(1)->Data.SetYData(flowHistory_.data(), count);
    ++sampleCount_;
}

void VisualisationChart::showRecording(const RecordedSeries& series, int language)
{
    if (core::isLanguage(language)) {
        scope_.YAxis.AxisLabel.Text.Set(withUnit(Text::ChartTemperature, language, series.temperatureUnit));
        scope_.YAxis.AdditionalAxes.Item(0)->Axis.AxisLabel.Text.Set(
            withUnit(Text::ChartFlow, language, series.flowUnit));
    }
    scope_.Hold.Set(false);
    scope_.ZoomOff();
    scope_.Channels.Item(0)->Data.SetYData(series.temperature.data(), static_cast<std::uint32_t>(series.temperature.size()));
    scope_.Channels.Item(1)->Data.SetYData(series.flow.data(), static_cast<std::uint32_t>(series.flow.size()));
}

void VisualisationChart::clear()
{
    scope_.Channels.Item(0)->Data.Clear();
    scope_.Channels.Item(1)->Data.Clear();
    scope_.Hold.Set(false);
    scope_.ZoomOff();  // a new plot starts in the full view
    sampleCount_ = 0;
}

void VisualisationChart::reapplyLanguage(int language)
{
    if (initialised_ != 1)
        return;
    setPlainTexts(language);
    setToolBarCaptions(language);
}

void VisualisationChart::setPlainTexts(int language)
{
    if (!core::isLanguage(language))
        return;
    const auto t = [language](Text id) { return texts::text(id, language); };
    scope_.YAxis.AxisLabel.Text.Set(t(Text::ChartTemperature));
    scope_.YAxis.AdditionalAxes.Item(0)->Axis.AxisLabel.Text.Set(t(Text::ChartFlow));
    scope_.XAxis.AxisLabel.Text.Set(t(Text::ChartXAxis));
    scope_.Title.Text.Set(t(Text::ChartTitle));
    scope_.Channels.Item(0)->Name.Set(t(Text::ChartTemperature));
    scope_.Channels.Item(1)->Name.Set(t(Text::ChartFlow));
}

void VisualisationChart::setToolBarCaptions(int language)
{
    if (!core::isLanguage(language))
        return;
    const auto t = [language](Text id) { return texts::text(id, language); };
    auto& buttons = scope_.ToolBar.Buttons;
    buttons.Hold.Caption.Set(t(Text::ChartHold));
    buttons.ZoomOff.Caption.Set(t(Text::ChartZoomOff));
    buttons.Copy.Caption.Set(t(Text::ChartCopy));
    buttons.Save.Caption.Set(t(Text::ChartSave));
    scope_.Zooming.HeldNotice.Set(t(Text::ChartViewHeld));
}

} // namespace trgui::pages::visualisation
