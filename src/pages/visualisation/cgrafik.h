#pragma once

#include "core/measurement_record.h"
#include "pages/page_base.h"
#include "pages/visualisation/core/visualisation_chart.h"
#include "texts/text_table.h"

namespace trgui::scope {
class ScopeComponent;
}

namespace trgui::pages {

// The Visualisation page: temperature and volume flow of the polls as a
// live chart, with Plot Start, Plot Stop and Clear. The chart logic lives in
// visualisation::VisualisationChart; this class is the glue to the controls and catches
// every chart error where the user's action or the cycle enters.
class CGrafik : public PageBase {
    Q_OBJECT
public:
    static constexpr int kMaxSamples = visualisation::VisualisationChart::kMaxSamples;
    static constexpr int kChartNotSetUp = 19;
    static constexpr int kChartNotSaved = 21;
    static constexpr int kNotARecording = 25;

    explicit CGrafik(QWidget* parent = nullptr);

    void setShared(core::SettingsRecord* settings) { settings_ = settings; }
    const QString& tabTitle() const { return tabTitle_; }

    // 1 once the chart set-up has finished; the cycle sends samples only then.
    bool chartReady() const { return chart_.initialised() == 1; }
    bool plotting() const { return plotting_; }
    int sampleCount() const { return chart_.sampleCount(); }
    visualisation::VisualisationChart& chart() { return chart_; }

    void AddSample(const core::MeasurementRecord& record);
    // Asks for a recording of the Operation page and shows it in the chart;
    // the live plot stops meanwhile.
    void openRecording();
    // Shows the recording at path (chosen in the dialog, or dropped on the
    // page) in the chart, or says why it cannot.
    void openRecordingFile(const QString& path);
    void ReapplyLanguage();
    void reloadTexts() override;

protected:
    void initialisePage() override;
    // A recording (one .csv file) dropped on the chart opens as Open recording does.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    int language() const { return settings_ ? settings_->language : 0; }
    template <typename Operation>
    void runChart(Operation operation);
    // The chart's Save asks in WORKINGDIR and says in the page's language why
    // a file could not be written.
    void connectChartSave();
    // Our chart widget behind the scope, for what the object model does not
    // carry (save, sample names); none when the chart was not created.
    scope::ScopeComponent* chartComponent() const;
    // The chart names its samples by number again (live samples).
    void forgetRecording();

    QString tabTitle_;
    texts::MessageTable messages_;
    bool plotting_ = false;
    visualisation::VisualisationChart chart_;
};

} // namespace trgui::pages
