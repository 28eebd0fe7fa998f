// The chart under the hand: zooming and its undo, dragging the view with the
// right or middle button, the keys of the focused chart and the tooltip of the
// samples under the pointer.

#include "scope/scope_component.h"

#include <qcustomplot.h>

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace trgui::scope {

namespace {

// A press and release closer than this is a click: it neither zooms nor moves the view.
constexpr int kClickSlopPx = 5;

} // namespace

QVector<QCPAxis*> ScopeComponent::allAxes() const
{
    QVector<QCPAxis*> axes{plot_->xAxis, plot_->yAxis};
    axes += extraAxes_;
    return axes;
}

ZoomView ScopeComponent::currentView() const
{
    ZoomView view;
    for (QCPAxis* axis : allAxes())
        view.push_back({axis->range().lower, axis->range().upper});
    return view;
}

void ScopeComponent::applyView(const ZoomView& view)
{
    const auto axes = allAxes();
    const qsizetype shared = std::min(axes.size(), static_cast<qsizetype>(view.size()));
    for (qsizetype i = 0; i < shared; ++i)
        axes[i]->setRange(view[static_cast<std::size_t>(i)].lower, view[static_cast<std::size_t>(i)].upper);
    showZoomState();
    plot_->replot();
}

void ScopeComponent::markZoomed()
{
    zoom_.leave(currentView());
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
    zoom_.off();
    showZoomState();
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
    if (const auto view = zoom_.undo(currentView()))
        applyView(*view);
}

void ScopeComponent::redoZoom()
{
    if (const auto view = zoom_.redo(currentView()))
        applyView(*view);
}

void ScopeComponent::clearZoomUndo()
{
    zoom_.forget();
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
