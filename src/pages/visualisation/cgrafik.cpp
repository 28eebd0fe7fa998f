#include "cgrafik.h"

#include "visualisation_controls.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace trgui::pages {

CGrafik::CGrafik(QWidget* parent)
    : PageBase(parent), tabTitle_(tabTitleFor({"Visualisierung", "Visualization", "Affichage graphique"}))
{
}

void CGrafik::initialisePage()
{
    createControls(visualisation::kControls);
    control(1130)->setMinimumSize(520, 280);

    auto* buttons = new QVBoxLayout;
    for (int id : {1131, 1132, 1133}) {
        control(id)->setMinimumWidth(220);
        buttons->addWidget(control(id), 0, Qt::AlignHCenter);
    }
    auto* logo = logoLabel(this);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addLayout(buttons);
    bottom->addStretch(1);
    bottom->addWidget(logo, 0, Qt::AlignBottom);

    auto* page = new QVBoxLayout(this);
    page->addWidget(control(1130), 1);
    page->addLayout(bottom);

    connect(control<QPushButton>(1131), &QPushButton::clicked, this, [this] { plotting_ = true; });
    connect(control<QPushButton>(1132), &QPushButton::clicked, this, [this] { plotting_ = false; });
    connect(control<QPushButton>(1133), &QPushButton::clicked, this, [this] {
        plotting_ = false;
        sampleCount_ = 0;
    });

    loadTexts(texts::stem::VisualisationLabels, texts::stem::VisualisationHelp);
    sampleCount_ = 0;
}

void CGrafik::AddSample(const app::MeasurementRecord& record)
{
    if (sampleCount_ < kMaxSamples) {
        const auto n = static_cast<std::size_t>(sampleCount_);
        flowHistory_[n] = record.volumeFlow;
        temperatureHistory_[n] = record.temperature;
    }
    ++sampleCount_;
}

void CGrafik::ReapplyLanguage()
{
    // The chart texts follow the language once the chart exists.
}

void CGrafik::reloadTexts()
{
    ReapplyLanguage();
    loadTexts(texts::stem::VisualisationLabels, texts::stem::VisualisationHelp);
}

} // namespace trgui::pages
