#include "pages/visualisation/core/visualisation_chart.h"

#include "core/settings_record.h"

#include <climits>

namespace trgui::pages::visualisation {

namespace {

struct ChartTexts {
    const char* temperature;
    const char* flow;
    const char* title;
    const char* xAxis;
    // Our component's tool bar.
    const char* hold;
    const char* zoomOff;
    const char* copy;
    const char* save;
    // While the user's zoom or move keeps the view.
    const char* viewHeld;
};

constexpr ChartTexts kTexts[] = {
    {"Temperatur", "Volumenstrom", "Temperatur/Volumenstrom", "Messwert", "Halten", "Zoom aus", "Kopieren",
     "Speichern", "Ansicht gehalten – neue Messwerte laufen weiter"},
    {"Temperature", "Volume Flow", "Temperature/Volume Flow", "Measured Value", "Hold", "Zoom off", "Copy", "Save",
     "View held – new samples continue"},
    {"Température", "Débit Volumétrique", "Température/Débit Volumétrique", "Valeur Mesurée", "Figer",
     "Zoom initial", "Copier", "Enregistrer", "Vue figée – les nouvelles mesures continuent"},
};

const ChartTexts* textsFor(int language)
{
    return core::isLanguage(language) ? &kTexts[language] : nullptr;
}

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QString withUnit(const char* name, const QString& unit)
{
    return QStringLiteral("%1 [%2]").arg(text(name), unit);
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
    const ChartTexts* t = textsFor(language);
    if (t) {
        scope_.Channels.Item(0)->Name.Set(text(t->temperature));
        scope_.Channels.Item(1)->Name.Set(text(t->flow));
        scope_.Title.Text.Set(text(t->title));
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
    if (t) {
        scope_.YAxis.AxisLabel.Text.Set(text(t->temperature));
        scope_.YAxis.AdditionalAxes.Item(0)->Axis.AxisLabel.Text.Set(text(t->flow));
        scope_.XAxis.AxisLabel.Text.Set(text(t->xAxis));
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
    if (const ChartTexts* t = textsFor(language)) {
        scope_.YAxis.AxisLabel.Text.Set(withUnit(t->temperature, record.temperatureUnit));
        scope_.YAxis.AdditionalAxes.Item(0)->Axis.AxisLabel.Text.Set(withUnit(t->flow, record.volumeFlowUnit));
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
    if (const ChartTexts* t = textsFor(language)) {
        scope_.YAxis.AxisLabel.Text.Set(withUnit(t->temperature, series.temperatureUnit));
        scope_.YAxis.AdditionalAxes.Item(0)->Axis.AxisLabel.Text.Set(withUnit(t->flow, series.flowUnit));
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
    const ChartTexts* t = textsFor(language);
    if (!t)
        return;
    scope_.YAxis.AxisLabel.Text.Set(text(t->temperature));
    scope_.YAxis.AdditionalAxes.Item(0)->Axis.AxisLabel.Text.Set(text(t->flow));
    scope_.XAxis.AxisLabel.Text.Set(text(t->xAxis));
    scope_.Title.Text.Set(text(t->title));
    scope_.Channels.Item(0)->Name.Set(text(t->temperature));
    scope_.Channels.Item(1)->Name.Set(text(t->flow));
}

void VisualisationChart::setToolBarCaptions(int language)
{
    const ChartTexts* t = textsFor(language);
    if (!t)
        return;
    auto& buttons = scope_.ToolBar.Buttons;
    buttons.Hold.Caption.Set(text(t->hold));
    buttons.ZoomOff.Caption.Set(text(t->zoomOff));
    buttons.Copy.Caption.Set(text(t->copy));
    buttons.Save.Caption.Set(text(t->save));
    scope_.Zooming.HeldNotice.Set(text(t->viewHeld));
}

} // namespace trgui::pages::visualisation
