#pragma once

#include "measurement_record.h"
#include "page_base.h"

#include <array>

namespace trgui::pages {

// The Visualisation page: temperature and volume flow of the polls, with
// Plot Start, Plot Stop and Clear. The chart itself comes with the chart work;
// the page already keeps the series the cycle hands it.
class CGrafik : public PageBase {
    Q_OBJECT
public:
    static constexpr int kMaxSamples = 2000;

    explicit CGrafik(QWidget* parent = nullptr);

    void setShared(app::SettingsRecord* settings) { settings_ = settings; }
    const QString& tabTitle() const { return tabTitle_; }

    bool plotting() const { return plotting_; }
    int sampleCount() const { return sampleCount_; }
    void AddSample(const app::MeasurementRecord& record);
    void ReapplyLanguage();
    void reloadTexts() override;

protected:
    void initialisePage() override;

private:
    QString tabTitle_;
    bool plotting_ = false;
    int sampleCount_ = 0;
    std::array<float, kMaxSamples + 1> temperatureHistory_{};
    std::array<float, kMaxSamples + 1> flowHistory_{};
};

} // namespace trgui::pages
