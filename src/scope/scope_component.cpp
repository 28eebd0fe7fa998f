#include "scope/scope_component.h"

#include <qcustomplot.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace trgui::scope {

namespace {

constexpr double kSmoothBelow = 600;  // samples in view
constexpr double kMarkersBelow = 50;  // samples in view; fewer get a dot each

QColor fromBgr(uint bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

// Tick labels in the axis's own format, at steps the format can show: 1, 2
// or 5 times a power of ten, never finer than the last digit shown, and at
// least three ticks on the axis.
class FormatTicker : public QCPAxisTicker {
public:
    int precision = 2;
    bool fixed = false;

protected:
    QString getTickLabel(double tick, const QLocale&, QChar, int) override
    {
        return formatAxisNumber(tick, precision, fixed);
    }
    double getTickStep(const QCPRange& range) override { return tickStep(range.size(), precision); }
    int getSubTickCount(double) override { return 0; }
};

} // namespace

ScopeComponent::ScopeComponent(QWidget* parent)
    : QWidget(parent), model_(new ScopeModel(this)), plot_(new QCustomPlot(this)), toolBar_(new QWidget(this))
{
    setObjectName(QStringLiteral("scopeComponent"));
    auto makeButton = [this](const char* name, const QString& text) {
        auto* button = new QToolButton(toolBar_);
        button->setObjectName(QLatin1String(name));
        button->setText(text);
        button->setAccessibleName(text);
        button->setAutoRaise(true);
        return button;
    };
    holdButton_ = makeButton("scopeHold", model_->holdButton->caption);
    holdButton_->setCheckable(true);
    zoomOffButton_ = makeButton("scopeZoomOff", model_->zoomOffButton->caption);
    copyButton_ = makeButton("scopeCopy", model_->copyButton->caption);
    saveButton_ = makeButton("scopeSave", model_->saveButton->caption);
    connect(holdButton_, &QToolButton::toggled, this, [this](bool on) {
        if (on != held_)
            setHold(on);
    });
    connect(zoomOffButton_, &QToolButton::clicked, this, &ScopeComponent::zoomOff);
    connect(copyButton_, &QToolButton::clicked, this, &ScopeComponent::copyToClipboard);
    connect(saveButton_, &QToolButton::clicked, this, &ScopeComponent::save);

    // Flat buttons show no focus of their own; a frame shows where the keyboard is.
    toolBar_->setStyleSheet(QStringLiteral("QToolButton:focus { border: 2px solid palette(highlight); border-radius: 3px; }"));
    auto* bar = new QHBoxLayout(toolBar_);
    bar->setContentsMargins(0, 0, 0, 0);
    for (auto* b : {holdButton_, zoomOffButton_, copyButton_, saveButton_})
        bar->addWidget(b);
    // Says that the view is the user's and new samples go on outside it.
    heldNotice_ = new QLabel(toolBar_);
    heldNotice_->setObjectName(QStringLiteral("scopeHeldNotice"));
    heldNotice_->hide();
    bar->addWidget(heldNotice_);
    bar->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(toolBar_);
    layout->addWidget(plot_, 1);

    plot_->setObjectName(QStringLiteral("scopePlot"));
    // Numbers on the chart read the same on every desktop.
    plot_->setLocale(QLocale::c());
    plot_->setAccessibleName(QStringLiteral("Chart"));
    plot_->plotLayout()->insertRow(0);
    plot_->plotLayout()->addElement(0, 0, new QCPTextElement(plot_, QString(), QFont(font().family(), 11, QFont::Bold)));
    plot_->setInteraction(QCP::iRangeZoom, true);
    // The rectangle is drawn by the plot; the zoom is ours, so a click zooms nothing.
    plot_->setSelectionRectMode(QCP::srmCustom);
    plot_->setMouseTracking(true);
    // Wide antialiased polylines of 2000 points cost several times the whole
    // rest of a redraw; drawn in one call and without antialiasing a redraw
    // of both channels stays within a few milliseconds.
    plot_->setPlottingHint(QCP::phFastPolylines, true);
    plot_->installEventFilter(this);
    plot_->setFocusPolicy(Qt::StrongFocus);  // zoomed and moved from the keyboard too
    plot_->legend->setVisible(false);
    // The legend sits in a row of its own below the data, never over it.
    plot_->axisRect()->insetLayout()->take(plot_->legend);
    plot_->plotLayout()->addElement(2, 0, plot_->legend);
    plot_->plotLayout()->setRowStretchFactor(2, 0.001);
    plot_->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    plot_->legend->setMargins(QMargins(4, 2, 4, 2));
    plot_->legend->setBorderPen(Qt::NoPen);
    for (QCPAxis* axis : {plot_->xAxis, plot_->yAxis})
        axis->setTicker(QSharedPointer<QCPAxisTicker>(new FormatTicker));
    connect(plot_, &QCustomPlot::mouseWheel, this, [this] { markZoomed(); });
    // Few samples in view: smooth lines are affordable and look better, and
    // every sample gets a dot, so a single one or one between gaps is seen.
    connect(plot_->xAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
            [this](const QCPRange& range) { styleForSamplesInView(range.size()); });
    connect(plot_->selectionRect(), &QCPSelectionRect::accepted, this,
            [this](const QRect& rect, QMouseEvent*) { zoomToRect(rect); });

    connect(model_->channels, &CollectionNode::itemAdded, this, [this] { modelChanged(); });
    connect(model_->additionalAxes, &CollectionNode::itemAdded, this, [this] { modelChanged(); });

    refreshTimer_.setSingleShot(true);
    connect(&refreshTimer_, &QTimer::timeout, this, [this] {
        if (dirty_ && !held_ && !deferred_)
            redraw();
    });
    syncStructure();
}

ScopeComponent::~ScopeComponent() = default;

void ScopeComponent::modelChanged()
{
    requestRedraw();
}

void ScopeComponent::requestRedraw()
{
    dirty_ = true;
    if (held_ || deferred_ || refreshTimer_.isActive())
        return;
    const qint64 since = sinceRedraw_.isValid() ? sinceRedraw_.elapsed() : refreshInterval_;
    refreshTimer_.start(static_cast<int>(std::max<qint64>(0, qint64(refreshInterval_) - since)));
}

void ScopeComponent::setDeferred(bool deferred)
{
    deferred_ = deferred;
    if (!deferred_)
        redrawNow();
}

void ScopeComponent::redrawNow()
{
    refreshTimer_.stop();
    if (!held_ && !deferred_)
        redraw();
}

void ScopeComponent::redraw()
{
    dirty_ = false;
    syncStructure();
    applySettings();
    applyData();
    if (!zoom_.zoomed())
        applyRanges();
    styleForSamplesInView(plot_->xAxis->range().size());
    describe();
    plot_->replot();
    sinceRedraw_.start();
    ++redrawCount_;
}

void ScopeComponent::setYData(ChannelDataNode* data, const float* values, uint n)
{
    if (!data)
        return;
    data->values.resize(static_cast<qsizetype>(values ? n : 0));
    for (qsizetype i = 0; i < data->values.size(); ++i)
        data->values[i] = values[i];
    if (!dirtyData_.contains(data))
        dirtyData_.push_back(data);
    requestRedraw();
}

void ScopeComponent::clearData(ChannelDataNode* data)
{
    setYData(data, nullptr, 0);
}

void ScopeComponent::setHold(bool hold)
{
    held_ = hold;
    if (holdButton_->isChecked() != hold)
        holdButton_->setChecked(hold);
    if (!held_ && dirty_)
        requestRedraw();
}

void ScopeComponent::setRefreshInterval(uint milliseconds)
{
    refreshInterval_ = milliseconds;
}

void ScopeComponent::syncStructure()
{
    const int axes = model_->additionalAxes->count();
    while (extraAxes_.size() < axes) {
        QCPAxis* axis = extraAxes_.isEmpty() ? plot_->yAxis2 : plot_->axisRect()->addAxis(QCPAxis::atRight);
        axis->setVisible(true);
        axis->setTicker(QSharedPointer<QCPAxisTicker>(new FormatTicker));
        extraAxes_.push_back(axis);
    }
    const int channels = model_->channels->count();
    while (graphs_.size() < channels) {
        // A channel has a wider, darker edge below its line, which keeps light
        // colours (yellow on white) readable.
        QCPGraph* edge = plot_->addGraph(plot_->xAxis, plot_->yAxis);
        edge->removeFromLegend();
        edge->setSelectable(QCP::stNone);
        QCPGraph* line = plot_->addGraph(plot_->xAxis, plot_->yAxis);
        line->setSelectable(QCP::stNone);
        edge->setData(line->data());
        edge->setAntialiased(false);
        line->setAntialiased(plot_->xAxis->range().size() < kSmoothBelow);
        graphs_.push_back({edge, line});
    }
    QList<QCPAxis*> vertical{plot_->yAxis};
    for (QCPAxis* axis : extraAxes_)
        vertical.push_back(axis);
    plot_->axisRect()->setRangeZoomAxes({plot_->xAxis}, vertical);
}

QCPAxis* ScopeComponent::valueAxis(int yAxisIndex) const
{
    if (yAxisIndex >= 1 && yAxisIndex <= extraAxes_.size())
        return extraAxes_[yAxisIndex - 1];
    return plot_->yAxis;
}

int ScopeComponent::modelAxisIndex(int yAxisIndex) const
{
    return yAxisIndex >= 1 && yAxisIndex <= model_->additionalAxes->count() ? yAxisIndex : 0;
}

AxisNode* ScopeComponent::axisNode(int yAxisIndex) const
{
    const int index = modelAxisIndex(yAxisIndex);
    return index == 0 ? model_->yAxis : model_->additionalAxes->axis(index - 1);
}

void ScopeComponent::applySettings()
{
    auto applyAxis = [](QCPAxis* axis, const AxisNode* node) {
        axis->setVisible(node->visible);
        axis->setLabel(node->label->visible ? node->label->text : QString());
        if (auto ticker = axis->ticker().dynamicCast<FormatTicker>()) {
            ticker->precision = node->format->precision;
            ticker->fixed = node->format->fixedPrecision;
        }
    };
    applyAxis(plot_->xAxis, model_->xAxis);
    applyAxis(plot_->yAxis, model_->yAxis);
    for (int i = 0; i < extraAxes_.size(); ++i)
        applyAxis(extraAxes_[i], model_->additionalAxes->axis(i));

    auto* title = static_cast<QCPTextElement*>(plot_->plotLayout()->element(0, 0));
    title->setText(model_->title->text);
    title->setVisible(model_->title->visible && !model_->title->text.isEmpty());
    if (!model_->title->text.isEmpty())
        plot_->setAccessibleName(model_->title->text);

    const bool legend = model_->legend->visible && model_->legendChannels->visible;
    plot_->legend->setVisible(legend);
    // A hidden legend gives its row back to the data.
    plot_->plotLayout()->setRowSpacing(legend ? 5 : 0);
    plot_->axisRect()->setBackground(QBrush(fromBgr(model_->dataViewBackground->color)));

    for (int i = 0; i < graphs_.size(); ++i) {
        const ChannelNode* channel = model_->channels->channel(i);
        const QColor colour = fromBgr(channel->color);
        const int width = std::max(1, channel->width);
        QCPAxis* axis = valueAxis(channel->yAxisIndex);
        auto& g = graphs_[i];
        g.line->setName(channel->name);
        g.line->setPen(QPen(colour, width));
        g.edge->setPen(QPen(colour.darker(175), width + 2));
        // Only light colours need the edge to stand out from a light background;
        // a dark line alone is readable and costs half as much to draw.
        const double luminance = 0.299 * colour.redF() + 0.587 * colour.greenF() + 0.114 * colour.blueF();
        g.edge->setVisible(channel->visible && luminance > 0.6);
        g.line->setVisible(channel->visible);
        for (QCPGraph* graph : {g.edge, g.line})
            graph->setValueAxis(axis);
    }

    toolBar_->setVisible(model_->toolBar->visible);
    const std::pair<QToolButton*, ToolButtonNode*> buttons[] = {{holdButton_, model_->holdButton},
                                                               {zoomOffButton_, model_->zoomOffButton},
                                                               {copyButton_, model_->copyButton},
                                                               {saveButton_, model_->saveButton}};
    for (const auto& [button, node] : buttons) {
        button->setText(node->caption);
        button->setAccessibleName(node->caption);
        button->setVisible(node->visible);
    }
    plot_->setInteraction(QCP::iRangeZoom, model_->zooming->mouseWheelEnabled);
    plot_->setSelectionRectMode(model_->zooming->mouseZoom ? QCP::srmCustom : QCP::srmNone);
    showZoomState();
}

void ScopeComponent::showZoomState()
{
    // A view of the user's own is marked: the way back is highlighted and the
    // notice says that new samples go on outside it.
    heldNotice_->setText(model_->zooming->heldNotice);
    heldNotice_->setAccessibleName(model_->zooming->heldNotice);
    const bool zoomed = zoom_.zoomed();
    heldNotice_->setVisible(zoomed && !model_->zooming->heldNotice.isEmpty());
    QFont font = zoomOffButton_->font();
    font.setBold(zoomed);
    zoomOffButton_->setFont(font);
    zoomOffButton_->setAutoRaise(!zoomed);
}

void ScopeComponent::styleForSamplesInView(double samples)
{
    const QCPScatterStyle dots(QCPScatterStyle::ssDisc, 5);
    for (const auto& g : std::as_const(graphs_)) {
        g.line->setAntialiased(samples < kSmoothBelow);
        g.line->setScatterStyle(samples < kMarkersBelow ? dots : QCPScatterStyle());
    }
}

void ScopeComponent::describe()
{
    // What a screen reader says of the chart: each axis by its label (with
    // its unit) and the latest value of its channels.
    QStringList parts;
    qsizetype samples = 0;
    for (int i = 0; i < model_->channels->count(); ++i) {
        const ChannelNode* channel = model_->channels->channel(i);
        const auto& values = channel->data->values;
        samples = std::max(samples, values.size());
        if (!channel->visible || values.isEmpty())
            continue;
        const AxisNode* axis = axisNode(channel->yAxisIndex);
        const QString name = axis->label->text.isEmpty() ? channel->name : axis->label->text;
        const double latest = values.last();
        const QString value = std::isfinite(latest) ? formatAxisNumber(latest, std::max(axis->format->precision, 1),
                                                                       axis->format->fixedPrecision)
                                                    : QStringLiteral("----");
        parts << QStringLiteral("%1: %2").arg(name, value);
    }
    if (!model_->xAxis->label->text.isEmpty())
        parts.prepend(QStringLiteral("%1: %2").arg(model_->xAxis->label->text).arg(samples));
    plot_->setAccessibleDescription(parts.join(QStringLiteral("; ")));
}

void ScopeComponent::applyData()
{
    for (ChannelDataNode* data : std::as_const(dirtyData_)) {
        for (int i = 0; i < graphs_.size(); ++i) {
            if (model_->channels->channel(i)->data != data)
                continue;
            QVector<QCPGraphData> points(data->values.size());
            for (qsizetype k = 0; k < points.size(); ++k)
                points[k] = QCPGraphData(static_cast<double>(k), data->values[k]);
            graphs_[i].line->data()->set(points, true);
        }
    }
    dirtyData_.clear();
}

void ScopeComponent::applyRanges()
{
    qsizetype samples = 0;
    for (int i = 0; i < graphs_.size(); ++i)
        samples = std::max(samples, model_->channels->channel(i)->data->values.size());
    plot_->xAxis->setRange(0, std::max<double>(1, static_cast<double>(samples - 1)));

    for (int axisIndex = 0; axisIndex <= extraAxes_.size(); ++axisIndex) {
        DataExtent extent;
        for (int i = 0; i < graphs_.size(); ++i) {
            const ChannelNode* channel = model_->channels->channel(i);
            if (channel->visible && valueAxis(channel->yAxisIndex) == valueAxis(axisIndex))
                extent.include(channel->data->values);
        }
        const AxisNode* node = axisNode(axisIndex);
        const AxisLimits limits{node->autoScaling->enabled, node->min->value, node->max->value, node->min->autoScale,
                                node->max->autoScale};
        const Span span = visibleSpan(limits, extent.lower, extent.upper, minimumSpanWidth(node->format->precision));
        valueAxis(axisIndex)->setRange(span.lower, span.upper);
    }
}

} // namespace trgui::scope
