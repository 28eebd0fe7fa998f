#pragma once

// Our scope component: a chart widget on QCustomPlot that draws the channels
// of its published object model (scope_model.h). Changes of the model and of
// the data are drawn at most once per refresh interval, and nothing new is
// drawn while the chart is held.

#include "scope/axis_ranges.h"
#include "scope/scope_model.h"
#include "scope/zoom_history.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVector>
#include <QWidget>

#include <functional>
#include <vector>

class QCPAxis;
class QCPGraph;
class QCPRange;
class QCustomPlot;
class QLabel;
class QToolButton;

namespace trgui::scope {

class ScopeComponent : public QWidget {
    Q_OBJECT
public:
    explicit ScopeComponent(QWidget* parent = nullptr);
    ~ScopeComponent() override;

    ScopeModel* model() const { return model_; }
    QCustomPlot* plot() const { return plot_; }

    // Component methods.
    void setYData(ChannelDataNode* data, const float* values, uint n);
    void clearData(ChannelDataNode* data);
    void setHold(bool hold);
    bool hold() const { return held_; }
    void setRefreshInterval(uint milliseconds);
    uint refreshInterval() const { return refreshInterval_; }
    void setIndex(int index) { index_ = index; }
    int index() const { return index_; }
    void zoomOff();
    void zoomBy(double xFactor, double yFactor);
    void zoomTo(double xMin, double yMin, double xMax, double yMax);
    void undoZoom();
    void redoZoom();
    void clearZoomUndo();
    bool canUndoZoom() const { return zoom_.canUndo(); }
    bool canRedoZoom() const { return zoom_.canRedo(); }
    bool isZoomed() const { return zoom_.zoomed(); }
    void print();
    void copyToClipboard();
    void save();

    bool savePng(const QString& path);
    bool savePdf(const QString& path);
    bool saveCsv(const QString& path);
    // Writes the file its suffix names (pdf, csv, else png); on failure
    // reason (when given) receives the system's text of why.
    bool saveFile(const QString& path, QString* reason = nullptr);
    // The plotted samples as the CSV file holds them (Windows-1252, "; ",
    // decimal comma, CR LF).
    QByteArray csvBytes() const;
    // The chart as drawn now, as a PNG file holds it.
    QByteArray pngBytes() const;

    // The tool bar's buttons and the plot, in the order Tab should take them.
    std::vector<QWidget*> focusOrder() const;
    // Keys while the plot has the focus: + and - zoom, the arrows move the
    // view, 0 and Home show everything again.
    bool handleKey(int key);

    // Names of the samples for the tooltip (e.g. the time stamps of a
    // recording); without them a sample is named by its number.
    void setSampleNames(QStringList names) { sampleNames_ = std::move(names); }

    // The tooltip text for a point of the plot: the sample under it and the
    // value of each channel there; empty away from the data.
    QString toolTipAt(const QPoint& plotPixel) const;

    // The model changed: drawn at the next refresh.
    void modelChanged();
    // While deferred nothing is drawn; ending it draws at once.
    void setDeferred(bool deferred);
    // Draws now, regardless of the refresh interval (not while held).
    void redrawNow();
    int redrawCount() const { return redrawCount_; }

    // Where Save asks for a file name: by default a dialog of ours that starts
    // in the home folder; the page that hosts the chart asks in its working
    // folder, and tests answer without a dialog. The filter chosen goes to
    // selectedFilter (it decides the suffix when none is typed).
    using FileChooser = std::function<QString(QWidget* parent, const QString& caption, const QString& filter,
                                              QString* selectedFilter)>;
    void setFileChooser(FileChooser chooser) { fileChooser_ = std::move(chooser); }

signals:
    // Save could not write path; reason is the system's text. With nobody
    // connected the component says so in a box of its own.
    void saveFailed(const QString& path, const QString& reason);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void requestRedraw();
    void redraw();
    void syncStructure();
    void applySettings();
    void applyData();
    void applyRanges();
    QVector<QCPAxis*> allAxes() const;
    QCPAxis* valueAxis(int yAxisIndex) const;
    // A channel's Y axis index as the model has it: one out of range names
    // the main axis (0).
    int modelAxisIndex(int yAxisIndex) const;
    AxisNode* axisNode(int yAxisIndex) const;
    // The axes' spans now: the X axis, the main Y axis, the additional ones.
    ZoomView currentView() const;
    void applyView(const ZoomView& view);
    void markZoomed();
    void showZoomState();
    // Zooms to a rectangle the user drew, unless it was a click.
    void zoomToRect(const QRect& rect);
    // Dots and smoothing for the number of samples in view.
    void styleForSamplesInView(double samples);
    // The accessible description: the axes and the latest values.
    void describe();
    void showFocus(bool focused) const;
    // While it lives, the plot is drawn without its focus colour.
    class PlainLook {
    public:
        explicit PlainLook(const ScopeComponent& scope);
        ~PlainLook();
        PlainLook(const PlainLook&) = delete;
        PlainLook& operator=(const PlainLook&) = delete;

    private:
        const ScopeComponent& scope_;
        bool focused_;
    };

    ScopeModel* model_;
    QCustomPlot* plot_;
    QWidget* toolBar_;
    QToolButton* holdButton_;
    QToolButton* zoomOffButton_;
    QToolButton* copyButton_;
    QToolButton* saveButton_;
    QLabel* heldNotice_;
    struct ChannelGraphs {
        QCPGraph* edge;
        QCPGraph* line;
    };
    QVector<ChannelGraphs> graphs_;
    QVector<QCPAxis*> extraAxes_;
    QVector<ChannelDataNode*> dirtyData_;

    QTimer refreshTimer_;
    QElapsedTimer sinceRedraw_;
    uint refreshInterval_ = 100;
    int index_ = 0;
    bool dirty_ = true;
    bool held_ = false;
    bool deferred_ = false;
    int redrawCount_ = 0;
    ZoomHistory zoom_;
    bool panPressed_ = false;  // right or middle button down on the plot
    bool panning_ = false;     // and moved beyond a click
    QPoint panFrom_;
    FileChooser fileChooser_;
    QStringList sampleNames_;
};

} // namespace trgui::scope
