#include "scope/scope_component.h"

#include "widgets/file_dialog.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QStringEncoder>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace trgui::scope {

namespace {

constexpr double kSmoothBelow = 600;  // samples in view
constexpr double kMarkersBelow = 50;  // samples in view; fewer get a dot each
// A press and release closer than this is a click: it neither zooms nor moves the view.
constexpr int kClickSlopPx = 5;

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

constexpr auto kSaveFilter = "PNG (*.png);;PDF (*.pdf);;CSV (*.csv)";

// Writes bytes to path whole; on failure reason receives the system's text.
bool writeWhole(const QString& path, const QByteArray& bytes, QString* reason)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() && file.flush())
        return true;
    if (reason)
        *reason = file.errorString();
    return false;
}

// A value as the CSV file holds it: up to seven significant digits, plain
// digits with a decimal comma, "----" for a value that is no number.
QByteArray csvNumber(double value)
{
    if (!std::isfinite(value))
        return "----";
    const int magnitude = value == 0 ? 0 : static_cast<int>(std::floor(std::log10(std::abs(value))));
    QByteArray text = QByteArray::number(value, 'f', std::clamp(6 - magnitude, 0, 15));
    if (text.contains('.')) {
        while (text.endsWith('0'))
            text.chop(1);
        if (text.endsWith('.'))
            text.chop(1);
    }
    if (text == "-0")
        text = "0";
    text.replace('.', ',');
    return text;
}

} // namespace

Span visibleSpan(const AxisLimits& limits, double dataMin, double dataMax, double minWidth)
{
    const bool hasData = dataMin <= dataMax;
    Span span{limits.min, limits.max};
    const bool lowerFollows = limits.autoScaling || limits.minFollowsData;
    const bool upperFollows = limits.autoScaling || limits.maxFollowsData;
    if (hasData) {
        if (lowerFollows)
            span.lower = dataMin;
        if (upperFollows)
            span.upper = dataMax;
        // A little room around the data, so a line at the edge stays visible.
        const double width = span.upper - span.lower;
        const double margin = width > 0 ? width * 0.05 : std::max(std::abs(span.upper) * 0.05, 0.5);
        if (lowerFollows)
            span.lower -= margin;
        if (upperFollows)
            span.upper += margin;
        // An end that follows the data alone never comes inside its set value:
        // the axis grows for larger data and keeps its usual size otherwise.
        if (limits.minFollowsData && !limits.autoScaling)
            span.lower = std::min(span.lower, limits.min);
        if (limits.maxFollowsData && !limits.autoScaling)
            span.upper = std::max(span.upper, limits.max);
        // Small variations are shown over a readable height, not blown up to fill it.
        if (lowerFollows && upperFollows && span.upper - span.lower < minWidth) {
            const double centre = (span.upper + span.lower) / 2;
            span = {centre - minWidth / 2, centre + minWidth / 2};
        }
    }
    if (!(span.upper > span.lower))
        span.upper = span.lower + 1;
    return span;
}

double tickStep(double width, int precision)
{
    const double smallest = std::pow(10.0, -std::clamp(precision, 0, 15));
    if (!(width > 0) || !std::isfinite(width))
        return smallest;
    // The largest step of 1, 2 or 5 times a power of ten that puts three ticks on the axis.
    const double most = width / 3;
    const double power = std::pow(10.0, std::floor(std::log10(most)));
    double step = power;
    for (double mantissa : {2.0, 5.0, 10.0}) {
        if (mantissa * power <= most * (1 + 1e-9))
            step = mantissa * power;
    }
    return std::max(step, smallest);
}

QString formatAxisNumber(double value, int precision, bool fixedPrecision)
{
    precision = std::clamp(precision, 0, 15);
    if (std::abs(value) < 0.5 * std::pow(10.0, -precision))
        value = 0;  // no "-0.0"
    QString text = QString::number(value, 'f', precision);
    if (!fixedPrecision && text.contains(QLatin1Char('.'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}

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
    if (!zoomed_)
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

AxisNode* ScopeComponent::axisNode(int yAxisIndex) const
{
    if (yAxisIndex >= 1 && yAxisIndex <= model_->additionalAxes->count())
        return model_->additionalAxes->axis(yAxisIndex - 1);
    return model_->yAxis;
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
    heldNotice_->setVisible(zoomed_ && !model_->zooming->heldNotice.isEmpty());
    QFont font = zoomOffButton_->font();
    font.setBold(zoomed_);
    zoomOffButton_->setFont(font);
    zoomOffButton_->setAutoRaise(!zoomed_);
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
        double low = std::numeric_limits<double>::infinity();
        double high = -low;
        for (int i = 0; i < graphs_.size(); ++i) {
            const ChannelNode* channel = model_->channels->channel(i);
            if (!channel->visible || valueAxis(channel->yAxisIndex) != valueAxis(axisIndex))
                continue;
            for (double v : channel->data->values) {
                if (std::isfinite(v)) {
                    low = std::min(low, v);
                    high = std::max(high, v);
                }
            }
        }
        const AxisNode* node = axisNode(axisIndex);
        const AxisLimits limits{node->autoScaling->enabled, node->min->value, node->max->value, node->min->autoScale,
                                node->max->autoScale};
        const double minWidth = 10 * std::pow(10.0, -std::clamp(node->format->precision, 0, 15));
        const Span span = visibleSpan(limits, low, high, minWidth);
        valueAxis(axisIndex)->setRange(span.lower, span.upper);
    }
}

QVector<QCPAxis*> ScopeComponent::allAxes() const
{
    QVector<QCPAxis*> axes{plot_->xAxis, plot_->yAxis};
    axes += extraAxes_;
    return axes;
}

ScopeComponent::View ScopeComponent::currentView() const
{
    View view;
    for (QCPAxis* axis : allAxes())
        view.ranges.push_back({axis->range().lower, axis->range().upper});
    return view;
}

void ScopeComponent::applyView(const View& view)
{
    const auto axes = allAxes();
    for (qsizetype i = 0; i < axes.size() && i < view.ranges.size(); ++i)
        axes[i]->setRange(view.ranges[i].first, view.ranges[i].second);
    zoomed_ = true;
    showZoomState();
    plot_->replot();
}

void ScopeComponent::rememberView()
{
    undo_.push_back(currentView());
    redo_.clear();
}

void ScopeComponent::markZoomed()
{
    rememberView();
    zoomed_ = true;
    showZoomState();
    if (model_->zooming->holdOnZoom)
        setHold(true);
}

void ScopeComponent::zoomToRect(const QRect& rect)
{
    const bool wide = rect.width() >= kClickSlopPx;
    const bool high = rect.height() >= kClickSlopPx;
    if (!wide && !high)
        return;  // a click
    markZoomed();
    // A flat rectangle zooms the one direction it spans.
    if (wide)
        plot_->xAxis->setRange(plot_->xAxis->pixelToCoord(rect.left()), plot_->xAxis->pixelToCoord(rect.right()));
    if (high) {
        for (QCPAxis* axis : QVector<QCPAxis*>{plot_->yAxis} + extraAxes_)
            axis->setRange(axis->pixelToCoord(rect.bottom()), axis->pixelToCoord(rect.top()));
    }
    plot_->replot();
}

void ScopeComponent::zoomOff()
{
    zoomed_ = false;
    showZoomState();
    undo_.clear();
    redo_.clear();
    if (held_) {
        // Held: the frozen data is shown again at its full range.
        applyRanges();
        plot_->replot();
        return;
    }
    redrawNow();
}

void ScopeComponent::zoomBy(double xFactor, double yFactor)
{
    if (xFactor <= 0 || yFactor <= 0)
        return;
    markZoomed();
    plot_->xAxis->scaleRange(1 / xFactor);
    plot_->yAxis->scaleRange(1 / yFactor);
    for (QCPAxis* axis : std::as_const(extraAxes_))
        axis->scaleRange(1 / yFactor);
    plot_->replot();
}

void ScopeComponent::zoomTo(double xMin, double yMin, double xMax, double yMax)
{
    if (!(xMax > xMin) || !(yMax > yMin))
        return;
    markZoomed();
    plot_->xAxis->setRange(xMin, xMax);
    plot_->yAxis->setRange(yMin, yMax);
    plot_->replot();
}

void ScopeComponent::undoZoom()
{
    if (undo_.isEmpty())
        return;
    redo_.push_back(currentView());
    applyView(undo_.takeLast());
}

void ScopeComponent::redoZoom()
{
    if (redo_.isEmpty())
        return;
    undo_.push_back(currentView());
    applyView(redo_.takeLast());
}

void ScopeComponent::clearZoomUndo()
{
    undo_.clear();
    redo_.clear();
}

void ScopeComponent::print()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QCPPainter painter(&printer);
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const PlainLook plain(*this);
    plot_->toPainter(&painter, page.width(), page.width() * plot_->height() / std::max(1, plot_->width()));
}

void ScopeComponent::copyToClipboard()
{
    const PlainLook plain(*this);
    QApplication::clipboard()->setPixmap(plot_->toPixmap());
}

void ScopeComponent::save()
{
    const QString caption = model_->saveButton->caption;
    const QString filter = QString::fromLatin1(kSaveFilter);
    QString chosenFilter;
    QString path = fileChooser_ ? fileChooser_(this, caption, filter, &chosenFilter)
                                : widgets::chooseFile(this, widgets::FileDialogKind::Save, caption, QString(), filter,
                                                      &chosenFilter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += chosenFilter.startsWith(QLatin1String("PDF")) ? QStringLiteral(".pdf")
              : chosenFilter.startsWith(QLatin1String("CSV")) ? QStringLiteral(".csv")
                                                              : QStringLiteral(".png");
    QString reason;
    if (saveFile(path, &reason))
        return;
    if (isSignalConnected(QMetaMethod::fromSignal(&ScopeComponent::saveFailed))) {
        emit saveFailed(path, reason);
    } else {
        QMessageBox box(QMessageBox::NoIcon, caption, QDir::toNativeSeparators(path) + QLatin1Char('\n') + reason,
                        QMessageBox::Ok, this);
        box.exec();
    }
}

bool ScopeComponent::saveFile(const QString& path, QString* reason)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return writeWhole(path, csvBytes(), reason);
    if (suffix == QLatin1String("pdf")) {
        // The PDF writer keeps its reasons to itself: the file is opened here
        // first, so that the system can say why it cannot be written.
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly)) {
            if (reason)
                *reason = probe.errorString();
            return false;
        }
        probe.close();
        if (savePdf(path))
            return true;
        if (reason)
            *reason = probe.errorString();
        return false;
    }
    return writeWhole(path, pngBytes(), reason);
}

QByteArray ScopeComponent::pngBytes() const
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    const PlainLook plain(*this);
    plot_->toPixmap().save(&buffer, "PNG");
    return png;
}

bool ScopeComponent::savePng(const QString& path)
{
    return writeWhole(path, pngBytes(), nullptr);
}

bool ScopeComponent::savePdf(const QString& path)
{
    const PlainLook plain(*this);
    return plot_->savePdf(path);
}

QByteArray ScopeComponent::csvBytes() const
{
    QStringEncoder encoder("windows-1252");
    auto encode = [&encoder](const QString& text) { return QByteArray(encoder.encode(text)); };
    const int channels = model_->channels->count();
    QByteArray out = encode(model_->xAxis->label->text);
    qsizetype rows = 0;
    for (int i = 0; i < channels; ++i) {
        const ChannelNode* channel = model_->channels->channel(i);
        // The axis label carries the unit when its axis shows this channel only.
        const AxisNode* axis = axisNode(channel->yAxisIndex);
        int sharing = 0;
        for (int k = 0; k < channels; ++k)
            sharing += axisNode(model_->channels->channel(k)->yAxisIndex) == axis ? 1 : 0;
        const QString heading = sharing == 1 && !axis->label->text.isEmpty() ? axis->label->text : channel->name;
        out += "; " + encode(heading);
        rows = std::max(rows, channel->data->values.size());
    }
    out += "\r\n";
    for (qsizetype row = 0; row < rows; ++row) {
        out += QByteArray::number(row);
        for (int i = 0; i < channels; ++i) {
            const auto& values = model_->channels->channel(i)->data->values;
            out += "; ";
            if (row < values.size())
                out += csvNumber(values[row]);
        }
        out += "\r\n";
    }
    return out;
}

bool ScopeComponent::saveCsv(const QString& path)
{
    return writeWhole(path, csvBytes(), nullptr);
}

QString ScopeComponent::toolTipAt(const QPoint& pixel) const
{
    if (!plot_->axisRect()->rect().contains(pixel))
        return {};
    const double key = plot_->xAxis->pixelToCoord(pixel.x());
    const qsizetype index = std::llround(key);
    QStringList lines;
    for (int i = 0; i < model_->channels->count(); ++i) {
        const ChannelNode* channel = model_->channels->channel(i);
        const auto& values = channel->data->values;
        if (!channel->visible || index < 0 || index >= values.size())
            continue;
        const AxisNode* axis = axisNode(channel->yAxisIndex);
        const QString name = axis->label->text.isEmpty() ? channel->name : axis->label->text;
        lines << QStringLiteral("%1: %2").arg(name, formatAxisNumber(values[index], std::max(axis->format->precision, 1),
                                                                      axis->format->fixedPrecision));
    }
    if (lines.isEmpty())
        return {};
    const QString xName = model_->xAxis->label->text.isEmpty() ? QStringLiteral("#") : model_->xAxis->label->text;
    lines.prepend(QStringLiteral("%1: %2").arg(xName, index < sampleNames_.size() ? sampleNames_[index] : QString::number(index)));
    return lines.join(QLatin1Char('\n'));
}

void ScopeComponent::showFocus(bool focused) const
{
    // The plot with the focus is framed in the focus colour.
    plot_->setBackground(focused ? palette().highlight().color().lighter(185) : QColor(Qt::white));
}

ScopeComponent::PlainLook::PlainLook(const ScopeComponent& scope) : scope_(scope), focused_(scope.plot_->hasFocus())
{
    // Pictures, prints and copies show the chart, not where the keyboard is.
    if (focused_)
        scope_.showFocus(false);
}

ScopeComponent::PlainLook::~PlainLook()
{
    if (focused_)
        scope_.showFocus(true);
}

std::vector<QWidget*> ScopeComponent::focusOrder() const
{
    return {holdButton_, zoomOffButton_, copyButton_, saveButton_, plot_};
}

bool ScopeComponent::handleKey(int key)
{
    const auto move = [this](double dx, double dy) {
        markZoomed();
        plot_->xAxis->moveRange(dx * plot_->xAxis->range().size());
        for (QCPAxis* axis : QVector<QCPAxis*>{plot_->yAxis} + extraAxes_)
            axis->moveRange(dy * axis->range().size());
        plot_->replot();
    };
    switch (key) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomBy(1.25, 1.25);
        return true;
    case Qt::Key_Minus:
        zoomBy(0.8, 0.8);
        return true;
    case Qt::Key_Left: move(-0.1, 0); return true;
    case Qt::Key_Right: move(0.1, 0); return true;
    case Qt::Key_Up: move(0, 0.1); return true;
    case Qt::Key_Down: move(0, -0.1); return true;
    case Qt::Key_0:
    case Qt::Key_Home:
        zoomOff();
        return true;
    default:
        return false;
    }
}

bool ScopeComponent::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != plot_)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
        if (handleKey(static_cast<QKeyEvent*>(event)->key()))
            return true;
        break;
    case QEvent::FocusIn:
    case QEvent::FocusOut:
        showFocus(event->type() == QEvent::FocusIn);
        plot_->replot(QCustomPlot::rpQueuedReplot);
        break;
    case QEvent::ToolTip: {
        auto* help = static_cast<QHelpEvent*>(event);
        QString text = toolTipAt(help->pos());
        // Away from the data, the help of the window the chart lives in.
        if (text.isEmpty() && parentWidget())
            text = parentWidget()->toolTip();
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, plot_);
        return true;
    }
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        // Right or middle button drags the view, once it has moved beyond a click.
        if (mouse->button() == Qt::RightButton || mouse->button() == Qt::MiddleButton) {
            panPressed_ = true;
            panning_ = false;
            panFrom_ = mouse->position().toPoint();
            return true;
        }
        break;
    }
    case QEvent::MouseMove: {
        if (!panPressed_)
            break;
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint to = mouse->position().toPoint();
        if (!panning_) {
            if ((to - panFrom_).manhattanLength() < kClickSlopPx)
                return true;
            panning_ = true;
            markZoomed();
            if (model_->zooming->holdOnPan)
                setHold(true);
        }
        const QVector<QCPAxis*> vertical = QVector<QCPAxis*>{plot_->yAxis} + extraAxes_;
        plot_->xAxis->moveRange(plot_->xAxis->pixelToCoord(panFrom_.x()) - plot_->xAxis->pixelToCoord(to.x()));
        for (QCPAxis* axis : vertical)
            axis->moveRange(axis->pixelToCoord(panFrom_.y()) - axis->pixelToCoord(to.y()));
        panFrom_ = to;
        plot_->replot(QCustomPlot::rpQueuedReplot);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (panPressed_) {
            panPressed_ = false;
            panning_ = false;
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace trgui::scope
