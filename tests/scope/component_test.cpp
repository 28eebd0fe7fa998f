// Our scope component through our host, on the offscreen platform: paths set
// what they name, refusals, data on the graph, hold and refresh, export.

#include "pages/visualisation/core/visualisation_chart.h"
#include "scope/component_host.h"
#include "scope/object_model.h"
#include "scope/scope_component.h"

#include <qcustomplot.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace trgui::scope;

namespace {

enum Package : PackageHandle { Rtl = 1, ScopePkg = 2, Basic = 3 };

class Component : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = setComponentLoader(&host);
        frame.resize(600, 400);
        handle = host.CreateInWindow(&frame, "TSLScope", 0, 0, 1);
        ASSERT_NE(handle, 0u);
        root = host.InstanceOf(handle);
        scope = host.component(handle);
    }
    void TearDown() override
    {
        host.FreeComponent(handle);
        setComponentLoader(previous);
    }
    MethodValue call(Package package, const char* symbol, Instance on, std::vector<MethodArg> args = {})
    {
        const MethodEntry entry = host.FindSymbol(package, symbol);
        EXPECT_NE(entry, 0u) << symbol;
        return host.CallMethod(entry, on, args);
    }
    Instance object(const char* path)
    {
        Instance result = 0;
        host.GetObjectProperty(root, path, &result);
        return result;
    }
    QCPGraph* line(int channel) { return scope->plot()->graph(channel * 2 + 1); }

    ComponentHost host;
    ComponentLoader* previous = nullptr;
    QWidget frame;
    HostHandle handle = 0;
    Instance root = 0;
    ScopeComponent* scope = nullptr;
};

} // namespace

TEST_F(Component, pathsSetWhatTheyNameAndEverythingElseIsRefused)
{
    call(Rtl, "@Classes@TCollection@Add$qqrv", object("Channels"));
    call(Rtl, "@Classes@TCollection@Add$qqrv", object("YAxis.AdditionalAxes"));
    ScopeModel* m = scope->model();
    ASSERT_EQ(m->channels->count(), 2);
    ASSERT_EQ(m->additionalAxes->count(), 1);

    EXPECT_EQ(host.SetStringProperty(root, "Channels.1.Name", QStringLiteral("Volumenstrom")), 1);
    EXPECT_EQ(host.SetStringProperty(root, "Title.Text", QStringLiteral("T/V")), 1);
    EXPECT_EQ(host.SetStringProperty(root, "YAxis.AdditionalAxes.0.Axis.AxisLabel.Text", QStringLiteral("V")), 1);
    EXPECT_EQ(host.SetUnsignedProperty(root, "Channels.1.Color", 65535), 1);
    EXPECT_EQ(host.SetUnsignedProperty(root, "DataView.Background.Color", 0x123456), 1);
    EXPECT_EQ(host.SetFloatProperty(root, "YAxis.Max.Value", 100.0), 1);
    EXPECT_EQ(host.SetFloatProperty(root, "YAxis.AdditionalAxes.0.Axis.Min.Value", -2.5), 1);
    EXPECT_EQ(host.SetIntProperty(root, "Legend.MarkerGroups.Visible", 0), 1);
    EXPECT_EQ(host.SetIntProperty(root, "YAxis.AutoScaling.Enabled", 1), 1);
    EXPECT_EQ(host.SetIntProperty(root, "XAxis.Format.Precision", 0), 1);
    EXPECT_EQ(host.SetStringProperty(root, "ToolBar.Buttons.Save.Caption", QStringLiteral("Speichern")), 1);
    EXPECT_EQ(m->channels->channel(1)->name, "Volumenstrom");
    EXPECT_EQ(m->title->text, "T/V");
    EXPECT_EQ(m->additionalAxes->axis(0)->label->text, "V");
    EXPECT_EQ(m->channels->channel(1)->color, 65535u);
    EXPECT_EQ(m->dataViewBackground->color, 0x123456u);
    EXPECT_EQ(m->yAxis->max->value, 100.0);
    EXPECT_EQ(m->additionalAxes->axis(0)->min->value, -2.5);
    EXPECT_FALSE(m->legendMarkerGroups->visible);
    EXPECT_TRUE(m->yAxis->autoScaling->enabled);
    EXPECT_EQ(m->xAxis->format->precision, 0);
    EXPECT_EQ(m->saveButton->caption, "Speichern");

    struct Refusal {
        const char* what;
        int answer;
    };
    const Refusal refused[] = {
        {"unknown name", host.SetFloatProperty(root, "YAxis.Maximum.Value", 1)},
        {"unknown property", host.SetFloatProperty(root, "YAxis.Max.Valu", 1)},
        {"missing item", host.SetStringProperty(root, "Channels.2.Name", QStringLiteral("x"))},
        {"text to a number", host.SetStringProperty(root, "YAxis.Max.Value", QStringLiteral("1"))},
        {"int to a float", host.SetIntProperty(root, "YAxis.Max.Value", 1)},
        {"2 to a bool", host.SetIntProperty(root, "Legend.Visible", 2)},
        {"read-only", host.SetIntProperty(root, "Channels.Count", 3)},
        {"empty path", host.SetIntProperty(root, "", 3)},
        {"no instance", host.SetIntProperty(0, "Legend.Visible", 1)},
        {"unknown instance", host.SetIntProperty(999999, "Legend.Visible", 1)},
    };
    for (const auto& r : refused)
        EXPECT_EQ(r.answer, 0) << r.what;
    Instance none = 7;
    EXPECT_EQ(host.GetObjectProperty(root, "YAxis.Nothing", &none), 0);
    EXPECT_EQ(none, 0u);
    EXPECT_EQ(host.FindSymbol(ScopePkg, "@Slscope@TSLScope@NoSuchMethod$qqrv"), 0u);
    EXPECT_EQ(host.FindSymbol(Rtl, "@Slscope@TSLScope@Print$qqrv"), 0u) << "only in its own package";
    EXPECT_EQ(host.LoadPackage("other.bpl"), 0u);
    EXPECT_EQ(host.CreateInWindow(nullptr, "TSLScope", 0, 0, 1), 0u);
    EXPECT_EQ(host.CreateInWindow(&frame, "TSLOther", 0, 0, 1), 0u);
}

TEST_F(Component, setYDataPutsTheGivenCountOfPointsOnTheGraph)
{
    const float values[] = {1.5f, 2.5f, 4.0f, 8.0f};
    const Instance data = static_cast<Instance>(
        call(ScopePkg, "@Slscope@TSLScopeChannel@GetVC_Data$qqrv", object("Channels.0")).integer);
    ASSERT_NE(data, 0u);
    call(ScopePkg, "@Slscope@TSLChannelData@SetYData$qqrpfui", data, {static_cast<const float*>(values), 3u});
    scope->redrawNow();
    ASSERT_EQ(line(0)->dataCount(), 3);
    EXPECT_EQ(line(0)->data()->at(2)->value, 4.0);
    EXPECT_EQ(line(0)->data()->at(2)->key, 2.0);

    // Wrong argument types refuse the call instead of reading garbage.
    call(ScopePkg, "@Slscope@TSLChannelData@SetYData$qqrpfui", data, {static_cast<const float*>(values), 4});
    scope->redrawNow();
    EXPECT_EQ(line(0)->dataCount(), 3);

    call(ScopePkg, "@Slscope@TSLChannelData@Clear$qqrv", data);
    scope->redrawNow();
    EXPECT_EQ(line(0)->dataCount(), 0);
}

TEST_F(Component, aMethodOnAnotherObjectOrWithArgumentsMissingOrOfAnotherTypeDoesNothing)
{
    const Instance channel = object("Channels.0");
    const auto data = static_cast<Instance>(call(ScopePkg, "@Slscope@TSLScopeChannel@GetVC_Data$qqrv", channel).integer);
    ASSERT_NE(data, 0u);
    call(ScopePkg, "@Slscope@TSLDataDisplay@SetHold$qqro", root, {true});
    struct Case {
        const char* what;
        const char* symbol;
        Instance on;
        std::vector<MethodArg> args;
    };
    const Case cases[] = {
        {"interval on a channel", "@Slscope@TSLDataChart@SetRefreshInterval$qqrui", channel, {5u}},
        {"interval as a signed number", "@Slscope@TSLDataChart@SetRefreshInterval$qqrui", root, {5}},
        {"one factor of two", "@Slscope@TSLDataChart@ZoomBy$qqrddo", root, {2.0}},
        {"zoom on the zoom settings", "@Slscope@TSLDataDisplay@ZoomTo$qqrdddd", object("Zooming"), {0.0, 0.0, 1.0, 1.0}},
        {"axis index of the scope", "@Slscope@TSLDisplayChannel@SetYAxisIndex$qqri", root, {1}},
        {"sample rate as an integer", "@Slscope@TSLChannelData@SetSampleRate$qqrd", data, {5}},
        {"hold of a channel", "@Slscope@TSLDataDisplay@GetVC_Hold$qqrv", channel, {}},
        {"zoom in on a channel", "@Slscope@TSLDataDisplay@GetCanZoomIn$qqrv", channel, {}},
    };
    for (const auto& c : cases) {
        const MethodValue answer = call(ScopePkg, c.symbol, c.on, c.args);
        EXPECT_EQ(answer.integer, 0) << c.what;
        EXPECT_EQ(answer.real, 0) << c.what;
    }
    EXPECT_EQ(scope->refreshInterval(), 100u);
    EXPECT_FALSE(scope->isZoomed());
    EXPECT_EQ(scope->model()->channels->channel(0)->yAxisIndex, 0);
    EXPECT_EQ(call(ScopePkg, "@Slscope@TSLChannelData@GetSampleRate$qqrv", data).real, 1.0);

    EXPECT_EQ(call(ScopePkg, "@Slscope@TSLDataDisplay@GetCanZoomIn$qqrv", root).integer, 1);
    call(ScopePkg, "@Slscope@TSLDataChart@ZoomBy$qqrddo", root, {2.0, 2.0, true});
    EXPECT_TRUE(scope->isZoomed()) << "the flag after the factors is passed over";
}

TEST_F(Component, holdStopsRedrawsAndTheRefreshIntervalSpacesThem)
{
    const float values[] = {1, 2, 3};
    ChannelDataNode* data = scope->model()->channels->channel(0)->data;
    call(ScopePkg, "@Slscope@TSLDataChart@SetRefreshInterval$qqrui", root, {200u});
    EXPECT_EQ(call(ScopePkg, "@Slscope@TSLDataChart@GetRefreshInterval$qqrv", root).integer, 200);
    scope->redrawNow();
    const int before = scope->redrawCount();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 60; ++i) {  // 20 changes per second for 3 s
        scope->setYData(data, values, static_cast<uint>(1 + i % 3));
        QTest::qWait(50);
    }
    const int redraws = scope->redrawCount() - before;
    EXPECT_LE(redraws, clock.elapsed() / 200 + 1);
    EXPECT_GE(redraws, 5);

    call(ScopePkg, "@Slscope@TSLDataDisplay@SetHold$qqro", root, {true});
    EXPECT_EQ(call(ScopePkg, "@Slscope@TSLDataDisplay@GetVC_Hold$qqrv", root).integer, 1);
    const int held = scope->redrawCount();
    const int shown = line(0)->dataCount();
    for (uint n = 1; n <= 3; ++n) {
        scope->setYData(data, values, n);
        QTest::qWait(250);
    }
    scope->redrawNow();
    EXPECT_EQ(scope->redrawCount(), held);
    EXPECT_EQ(line(0)->dataCount(), shown) << "the view stays as it was";

    call(ScopePkg, "@Slscope@TSLDataDisplay@SetHold$qqro", root, {false});
    QTest::qWait(400);
    EXPECT_GT(scope->redrawCount(), held);
    EXPECT_EQ(line(0)->dataCount(), 3) << "what arrived while held is drawn after";
}

TEST_F(Component, zoomKeepsItsViewUntilZoomOff)
{
    const float values[] = {10, 20, 30, 40, 50};
    scope->setYData(scope->model()->channels->channel(0)->data, values, 5);
    scope->model()->yAxis->autoScaling->enabled = true;
    scope->redrawNow();
    const QCPRange full = scope->plot()->yAxis->range();
    call(ScopePkg, "@Slscope@TSLDataChart@ZoomTo$qqrddddo", root, {1.0, 15.0, 2.0, 25.0, true});
    EXPECT_EQ(call(ScopePkg, "@Slscope@TSLDisplayZoom@GetIsZoomed$qqrv", object("Zooming")).integer, 1);
    scope->setYData(scope->model()->channels->channel(0)->data, values, 5);
    scope->redrawNow();
    EXPECT_EQ(scope->plot()->xAxis->range(), QCPRange(1, 2));
    EXPECT_EQ(scope->plot()->yAxis->range(), QCPRange(15, 25));
    call(ScopePkg, "@Slscope@TSLDataDisplay@ZoomOff$qqrv", root);
    EXPECT_EQ(scope->plot()->yAxis->range(), full);
    EXPECT_EQ(scope->plot()->xAxis->range(), QCPRange(0, 4));
}

TEST_F(Component, exportsThePlottedSamplesAndShowsThemUnderTheMouse)
{
    ScopeModel* m = scope->model();
    m->channels->add();
    m->additionalAxes->add();
    m->channels->channel(1)->yAxisIndex = 1;
    m->xAxis->label->text = QStringLiteral("Messwert");
    m->yAxis->label->text = QString::fromUtf8("Temperatur [°C]");
    m->additionalAxes->axis(0)->label->text = QStringLiteral("Volumenstrom [l/min]");
    m->yAxis->format->precision = 1;
    m->additionalAxes->axis(0)->format->precision = 2;
    m->additionalAxes->axis(0)->format->fixedPrecision = true;
    const float temperature[] = {21.5f, 22.3125f, std::numeric_limits<float>::quiet_NaN()};
    const float flow[] = {3.0f, 3.5f, 12345678.0f};
    scope->setYData(m->channels->channel(0)->data, temperature, 3);
    scope->setYData(m->channels->channel(1)->data, flow, 3);
    scope->redrawNow();

    const QByteArray expected = QByteArray("Messwert; Temperatur [\xB0" "C]; Volumenstrom [l/min]\r\n"
                                           "0; 21,5; 3\r\n"
                                           "1; 22,3125; 3,5\r\n"
                                           "2; ----; 12345678\r\n");
    EXPECT_EQ(scope->csvBytes(), expected);
    QTemporaryDir dir;
    for (const char* name : {"chart.csv", "chart.png", "chart.pdf"}) {
        const QString path = dir.filePath(QLatin1String(name));
        const bool written = path.endsWith(QLatin1String("csv")) ? scope->saveCsv(path)
                           : path.endsWith(QLatin1String("pdf")) ? scope->savePdf(path)
                                                                 : scope->savePng(path);
        EXPECT_TRUE(written) << name;
        EXPECT_GT(QFileInfo(path).size(), 20) << name;
    }
    EXPECT_FALSE(scope->saveCsv(dir.filePath(QStringLiteral("missing/chart.csv"))));

    QCustomPlot* plot = scope->plot();
    const QPoint atSample1(static_cast<int>(plot->xAxis->coordToPixel(1)),
                           static_cast<int>(plot->yAxis->coordToPixel(22)));
    EXPECT_EQ(scope->toolTipAt(atSample1).toStdString(), "Messwert: 1\nTemperatur [°C]: 22.3\nVolumenstrom [l/min]: 3.50");
    EXPECT_TRUE(scope->toolTipAt(QPoint(1, 1)).isEmpty()) << "outside the data view";
}

TEST_F(Component, holdShowsItsCaptionAndHoldAndSaveAct)
{
    host.SetStringProperty(root, "ToolBar.Buttons.Hold.Caption", QStringLiteral("Halten"));
    scope->redrawNow();
    auto* hold = scope->findChild<QToolButton*>(QStringLiteral("scopeHold"));
    ASSERT_TRUE(hold);
    EXPECT_EQ(hold->text(), "Halten");
    EXPECT_EQ(hold->accessibleName(), "Halten");
    hold->click();
    EXPECT_TRUE(scope->hold());
    hold->click();
    EXPECT_FALSE(scope->hold());

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("picked"));
    scope->setFileChooser([&](QWidget*, const QString&, const QString&, QString* filter) {
        *filter = QStringLiteral("CSV (*.csv)");
        return path;
    });
    scope->findChild<QToolButton*>(QStringLiteral("scopeSave"))->click();
    EXPECT_TRUE(QFileInfo::exists(path + ".csv")) << "the suffix of the filter chosen";
}

TEST_F(Component, theMouseAndTheKeysZoomAndMoveTheViewUntilZoomOff)
{
    frame.show();
    const float values[] = {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100};
    scope->setYData(scope->model()->channels->channel(0)->data, values, 11);
    scope->redrawNow();
    QCustomPlot* plot = scope->plot();
    const QCPRange fullX = plot->xAxis->range();
    const QRect area = plot->axisRect()->rect();

    struct Gesture {
        const char* what;
        std::function<void()> act;
    };
    const Gesture gestures[] = {
        {"rectangle",
         [&] {
             const QPoint from = area.topLeft() + QPoint(area.width() / 4, 10);
             const QPoint to = area.topLeft() + QPoint(area.width() / 2, area.height() - 10);
             QTest::mousePress(plot, Qt::LeftButton, Qt::NoModifier, from);
             QTest::mouseMove(plot, to);
             QTest::mouseRelease(plot, Qt::LeftButton, Qt::NoModifier, to);
         }},
        {"right-button drag",
         [&] {
             const QPoint from = area.center();
             QTest::mousePress(plot, Qt::RightButton, Qt::NoModifier, from);
             QMouseEvent move(QEvent::MouseMove, QPointF(from + QPoint(80, 0)), plot->mapToGlobal(QPointF(from)),
                              Qt::NoButton, Qt::RightButton, Qt::NoModifier);
             QApplication::sendEvent(plot, &move);
             QTest::mouseRelease(plot, Qt::RightButton, Qt::NoModifier, from + QPoint(80, 0));
         }},
        {"key +", [&] { QTest::keyClick(plot, Qt::Key_Plus); }},
        {"arrow key", [&] { QTest::keyClick(plot, Qt::Key_Left); }},
        {"wheel",
         [&] {
             const QPointF at(area.center());
             QWheelEvent wheel(at, plot->mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                               Qt::NoScrollPhase, false);
             QApplication::sendEvent(plot, &wheel);
         }},
    };
    // A click of either button is no gesture, even when the hand moves a few
    // pixels: the view keeps following the data.
    auto* notice = scope->findChild<QLabel*>(QStringLiteral("scopeHeldNotice"));
    ASSERT_TRUE(notice);
    scope->model()->zooming->heldNotice = QStringLiteral("view held");
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        const QPoint at = area.center();
        QTest::mousePress(plot, button, Qt::NoModifier, at);
        QTest::mouseMove(plot, at + QPoint(3, 1));
        QTest::mouseRelease(plot, button, Qt::NoModifier, at + QPoint(3, 1));
        EXPECT_FALSE(scope->isZoomed()) << button;
        EXPECT_FALSE(notice->isVisible()) << button;
    }
    const float more[] = {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    scope->setYData(scope->model()->channels->channel(0)->data, more, 13);
    scope->redrawNow();
    EXPECT_EQ(plot->xAxis->range(), QCPRange(0, 12)) << "new samples stay in view after clicks";
    scope->setYData(scope->model()->channels->channel(0)->data, values, 11);
    scope->redrawNow();

    for (const auto& g : gestures) {
        const double sample5Before = plot->xAxis->coordToPixel(5);
        g.act();
        EXPECT_TRUE(scope->isZoomed()) << g.what;
        EXPECT_TRUE(notice->isVisible()) << g.what << ": the held view is told";
        if (std::string(g.what) == "right-button drag") {
            EXPECT_NEAR(plot->xAxis->coordToPixel(5) - sample5Before, 80, 2) << "the data moves with the mouse";
        }
        EXPECT_NE(plot->xAxis->range(), fullX) << g.what;
        scope->setYData(scope->model()->channels->channel(0)->data, values, 11);
        scope->redrawNow();
        EXPECT_NE(plot->xAxis->range(), fullX) << g.what << ": new data keeps the view";
        scope->findChild<QToolButton*>(QStringLiteral("scopeZoomOff"))->click();
        EXPECT_FALSE(scope->isZoomed()) << g.what;
        EXPECT_FALSE(notice->isVisible()) << g.what;
        EXPECT_EQ(plot->xAxis->range(), fullX) << g.what;
    }
    // From the keyboard the way back is 0 (or Home).
    QTest::keyClick(plot, Qt::Key_Minus);
    ASSERT_TRUE(scope->isZoomed());
    QTest::keyClick(plot, Qt::Key_0);
    EXPECT_FALSE(scope->isZoomed());
    EXPECT_EQ(plot->xAxis->range(), fullX);
}

namespace {

// The Visualisation page's chart on our host, drawn offscreen: what the
// technician sees, checked by its pixels.
class PageChart : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous = setComponentLoader(&host);
        frame.resize(640, 420);
        chart.setUp(&page, &frame, 0);
        ASSERT_EQ(chart.initialised(), 1);
        scope = host.component(chart.scope().hostHandle());
        ASSERT_TRUE(scope);
        scope->resize(frame.size());
        frame.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
        // The flow rises from 0 to 9; the temperature stays at 20.
        for (int k = 0; k <= 10; ++k)
            add(20, 0.9f * static_cast<float>(k));
    }
    void TearDown() override { setComponentLoader(previous); }
    void add(float temperature, float flow)
    {
        trgui::core::MeasurementRecord r;
        r.temperature = temperature;
        r.volumeFlow = flow;
        r.temperatureUnit = QString::fromUtf8("°C");
        r.volumeFlowUnit = QStringLiteral("l/min");
        chart.addSample(r, 0);
    }
    QImage drawn()
    {
        scope->redrawNow();
        return scope->plot()->toPixmap(scope->plot()->width(), scope->plot()->height(), 1.0).toImage();
    }
    QColor colour(int channel) const
    {
        const uint bgr = scope->model()->channels->channel(channel)->color;
        return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF), static_cast<int>((bgr >> 16) & 0xFF));
    }
    // Whether the colour is drawn within 3 pixels of the point.
    static bool drawnNear(const QImage& image, QPointF at, const QColor& colour)
    {
        for (int dy = -3; dy <= 3; ++dy) {
            for (int dx = -3; dx <= 3; ++dx) {
                const QPoint p = at.toPoint() + QPoint(dx, dy);
                if (!image.rect().contains(p))
                    continue;
                const QColor c = image.pixelColor(p);
                if (std::abs(c.red() - colour.red()) + std::abs(c.green() - colour.green())
                        + std::abs(c.blue() - colour.blue()) < 60)
                    return true;
            }
        }
        return false;
    }
    static int inkIn(const QImage& image, const QRect& rect)
    {
        int ink = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            for (int x = rect.left(); x <= rect.right(); ++x)
                ink += image.rect().contains(x, y) && qGray(image.pixel(x, y)) < 160 ? 1 : 0;
        return ink;
    }
    QPointF at(QCPAxis* valueAxis, double sample, double value) const
    {
        return {scope->plot()->xAxis->coordToPixel(sample), valueAxis->coordToPixel(value)};
    }

    ComponentHost host;
    ComponentLoader* previous = nullptr;
    QObject page;
    QWidget frame;
    trgui::pages::visualisation::VisualisationChart chart;
    ScopeComponent* scope = nullptr;
};

} // namespace

TEST_F(PageChart, eachChannelIsDrawnOnItsOwnAxisWithTitleLabelsAndLegendClearOfTheData)
{
    QCustomPlot* plot = scope->plot();
    const QImage image = drawn();
    QCPAxis* flowAxis = plot->yAxis2;
    EXPECT_EQ(flowAxis->range(), QCPRange(0, 10)) << "the flow axis keeps 0..10 for flows below 10";
    for (double k : {2.0, 5.0, 8.0})
        EXPECT_TRUE(drawnNear(image, at(flowAxis, k, 0.9 * k), colour(1))) << "flow at sample " << k;
    EXPECT_TRUE(drawnNear(image, at(plot->yAxis, 5, 20), colour(0))) << "temperature on its axis";
    EXPECT_NE(colour(0), colour(1));

    const QRect data = plot->axisRect()->rect();
    EXPECT_GT(inkIn(image, plot->plotLayout()->element(0, 0)->outerRect()), 50) << "title";
    EXPECT_TRUE(plot->legend->visible());
    EXPECT_FALSE(plot->legend->outerRect().intersects(data)) << "the legend is outside the data";
    EXPECT_GT(inkIn(image, plot->legend->outerRect()), 50) << "legend";
    EXPECT_GT(inkIn(image, QRect(0, data.top(), 18, data.height())), 30) << "temperature axis label";
    EXPECT_GT(inkIn(image, QRect(plot->width() - 18, data.top(), 18, data.height())), 30) << "flow axis label";
    EXPECT_GT(inkIn(image, QRect(data.left(), plot->height() - 40, data.width(), 40)), 30) << "sample axis label";
    EXPECT_EQ(plot->yAxis->label(), QString::fromUtf8("Temperatur [°C]"));
    EXPECT_EQ(flowAxis->label(), QStringLiteral("Volumenstrom [l/min]"));

    add(20, 50);
    drawn();
    EXPECT_GE(flowAxis->range().upper, 50) << "the flow axis grows for a larger flow";
    EXPECT_EQ(flowAxis->range().lower, 0);

    chart.reapplyLanguage(2);
    drawn();
    EXPECT_EQ(plot->xAxis->label(), QString::fromUtf8("Valeur Mesurée"));
    EXPECT_TRUE(plot->accessibleDescription().contains(QString::fromUtf8("Température: 20")))
        << plot->accessibleDescription().toStdString();
}

TEST_F(PageChart, smallVariationsStayReadableAndTheFirstSampleIsSeen)
{
    chart.clear();
    add(21.5f, 0.002f);
    QImage image = drawn();
    QCustomPlot* plot = scope->plot();
    EXPECT_TRUE(drawnNear(image, at(plot->yAxis, 0, 21.5), colour(0))) << "a single sample is drawn";
    EXPECT_TRUE(plot->accessibleDescription().contains(QString::fromUtf8("Temperatur [°C]: 21.5")))
        << plot->accessibleDescription().toStdString();

    for (float t : {21.51f, 21.49f, 21.5f})
        add(t, 0.003f);
    drawn();
    const QCPRange y = plot->yAxis->range();
    EXPECT_GE(y.size(), 1.0 - 1e-9) << "±0.01 °C does not fill the height";
    // Every tick label names its tick exactly, and there are at least three.
    QVector<double> ticks;
    QVector<QString> labels;
    plot->yAxis->ticker()->generate(y, QLocale::c(), QLatin1Char('e'), 1, ticks, nullptr, &labels);
    int inside = 0;
    for (qsizetype i = 0; i < ticks.size(); ++i) {
        inside += y.contains(ticks[i]) ? 1 : 0;
        EXPECT_DOUBLE_EQ(labels[i].toDouble(), ticks[i]) << labels[i].toStdString();
    }
    EXPECT_GE(inside, 3);
}
