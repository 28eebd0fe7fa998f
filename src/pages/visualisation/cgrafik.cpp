#include "pages/visualisation/cgrafik.h"

#include "core/settings_record.h"
#include "pages/visualisation/core/recording_file.h"
#include "pages/visualisation/core/visualisation_controls.h"
#include "scope/component_host.h"
#include "scope/scope_component.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace trgui::pages {

CGrafik::CGrafik(QWidget* parent)
    : PageBase(parent), tabTitle_(tabTitleFor(texts::Text::VisualisationTab))
{
}

template <typename Operation>
void CGrafik::runChart(Operation operation)
{
    // A refused chart operation ends that operation and stops plotting, so
    // the next poll does not raise the same error again.
    try {
        operation();
    } catch (const scope::BindingError& error) {
        plotting_ = false;
        qWarning("chart: %s", error.what());
        texts::showMessage(*this, messages_, kChartNotSetUp);
    }
}

void CGrafik::initialisePage()
{
    createControls(visualisation::kControls);
    control(visualisation::id::Chart)->setMinimumSize(520, 280);

    auto* buttons = new QVBoxLayout;
    for (int button : visualisation::kButtons) {
        control(button)->setMinimumWidth(220);
        buttons->addWidget(control(button), 0, Qt::AlignHCenter);
    }
    auto* logo = logoLabel(this);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addLayout(buttons);
    bottom->addStretch(1);
    bottom->addWidget(logo, 0, Qt::AlignBottom);

    auto* page = new QVBoxLayout(this);
    page->addWidget(control(visualisation::id::Chart), 1);
    page->addLayout(bottom);

    connect(control<QPushButton>(visualisation::id::PlotStart), &QPushButton::clicked, this, [this] {
        forgetRecording();
        plotting_ = true;
    });
    connect(control<QPushButton>(visualisation::id::PlotStop), &QPushButton::clicked, this, [this] { plotting_ = false; });
    connect(control<QPushButton>(visualisation::id::Clear), &QPushButton::clicked, this, [this] {
        plotting_ = false;
        forgetRecording();
        runChart([this] { chart_.clear(); });
    });
    connect(control<QPushButton>(visualisation::id::OpenRecording), &QPushButton::clicked, this, &CGrafik::openRecording);
    setAcceptDrops(true);

    loadTexts(texts::stem::VisualisationLabels, texts::stem::VisualisationHelp);
    loadMessageTable(messages_);
    scope::useBuiltInComponentHost();
    runChart([this] { chart_.setUp(this, control(visualisation::id::Chart), language()); });
    connectChartSave();
    // The chart above, then the buttons below it.
    std::vector<QWidget*> chain;
    if (auto* component = chartComponent())
        chain = component->focusOrder();
    for (int button : visualisation::kButtons)
        chain.push_back(control(button));
    setTabChain(chain);
}

scope::ScopeComponent* CGrafik::chartComponent() const
{
    return scope::builtInComponentHost().component(chart_.scope().hostHandle());
}

void CGrafik::connectChartSave()
{
    auto* component = chartComponent();
    if (!component)
        return;
    component->setFileChooser([this](QWidget*, const QString& caption, const QString& filter, QString* selected) {
        const QString path = chooseFile(FileDialog::Save, caption, filter, selected);
        if (!path.isEmpty())
            rememberWorkingDir(path);
        return path;
    });
    connect(component, &scope::ScopeComponent::saveFailed, this, [this](const QString& path, const QString& reason) {
        showMessageBox(messages_.caption(kChartNotSaved),
                       texts::messageBoxText(messages_, kChartNotSaved).arg(QDir::toNativeSeparators(path), reason));
    });
}

void CGrafik::forgetRecording()
{
    if (auto* component = chartComponent())
        component->setSampleNames({});
}

void CGrafik::openRecording()
{
    if (!chartReady())
        return;
    const QString path = chooseFile(FileDialog::Open, messages_.caption(kNotARecording), QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty())
        openRecordingFile(path);
}

void CGrafik::openRecordingFile(const QString& path)
{
    if (!chartReady())
        return;
    rememberWorkingDir(path);
    const auto refuse = [&](const QString& reason) {
        showMessageBox(messages_.caption(kNotARecording),
                       texts::messageBoxText(messages_, kNotARecording).arg(QDir::toNativeSeparators(path), reason));
    };
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(file.errorString());
    visualisation::NotARecording fault{};
    const auto series = visualisation::readRecording(file.readAll(), &fault);
    if (!series) {
        // Why, in the page's language.
        static constexpr texts::Text kWhy[] = {
            texts::Text::NotRecordingHeader, texts::Text::NotRecordingFewFields, texts::Text::NotRecordingNoValues};
        return refuse(texts::text(kWhy[static_cast<int>(fault)], language()));
    }
    plotting_ = false;
    runChart([&] { chart_.showRecording(*series, language()); });
    if (auto* component = chartComponent())
        component->setSampleNames(series->times);
}

void CGrafik::dragEnterEvent(QDragEnterEvent* event)
{
    if (chartReady() && visualisation::droppedRecording(event->mimeData()->urls()))
        event->acceptProposedAction();
}

void CGrafik::dropEvent(QDropEvent* event)
{
    const auto path = chartReady() ? visualisation::droppedRecording(event->mimeData()->urls()) : std::nullopt;
    if (!path)
        return;
    event->acceptProposedAction();
    // After the drop has ended: the file manager that sent it waits until then,
    // and a message box may follow.
    QMetaObject::invokeMethod(this, [this, file = *path] { openRecordingFile(file); }, Qt::QueuedConnection);
}

void CGrafik::AddSample(const core::MeasurementRecord& record)
{
    if (!chartReady())
        return;
    runChart([&] { chart_.addSample(record, language()); });
}

void CGrafik::ReapplyLanguage()
{
    runChart([this] { chart_.reapplyLanguage(language()); });
}

void CGrafik::reloadTexts()
{
    loadMessageTable(messages_);
    ReapplyLanguage();
    loadTexts(texts::stem::VisualisationLabels, texts::stem::VisualisationHelp);
}

} // namespace trgui::pages
