#pragma once

// The chart of the Visualisation page without its window: set-up, samples,
// Clear and the language, all through the scope object model. Every chart
// operation may raise scope::BindingError; the page catches it.

#include "core/measurement_record.h"
#include "pages/visualisation/core/recording_file.h"
#include "scope/object_model.h"

#include <array>

class QObject;

namespace trgui::pages::visualisation {

class VisualisationChart {
public:
    static constexpr int kMaxSamples = 2000;

    // Creates the scope in chartFrame and sets it up for the language.
    // The chart is ready (initialised() is 1) only when every step succeeded.
    void setUp(QObject* pageWindow, QObject* chartFrame, int language);
    // Appends temperature and volume flow; from the 2001st sample on only counts.
    void addSample(const core::MeasurementRecord& record, int language);
    // Empties both channels, releases the hold and returns to the full view;
    // counting starts again at 0.
    void clear();
    // Shows a recording's temperature and volume flow, all rows of it. The
    // live samples stay and return with the next one.
    void showRecording(const RecordedSeries& series, int language);
    // Plain axis labels (units return with the next sample), title, channel names.
    void reapplyLanguage(int language);

    int initialised() const { return initialised_; }
    int sampleCount() const { return sampleCount_; }
    const std::array<float, kMaxSamples + 1>& temperatureHistory() const { return temperatureHistory_; }
    const std::array<float, kMaxSamples + 1>& flowHistory() const { return flowHistory_; }
    scope::CTSLScope& scope() { return scope_; }
    const scope::CTSLScope& scope() const { return scope_; }

private:
    void setPlainTexts(int language);
    void setToolBarCaptions(int language);

    int initialised_ = 0;
    std::array<float, kMaxSamples + 1> temperatureHistory_{};
    std::array<float, kMaxSamples + 1> flowHistory_{};
    int sampleCount_ = 0;
    scope::CTSLScope scope_;
};

} // namespace trgui::pages::visualisation
