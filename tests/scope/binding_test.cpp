// The binding layer, the scope object model and the page's chart logic
// against a recording loader: which loader calls they make, in which order,
// and what they do with refusals.

#include "pages/visualisation/core/visualisation_chart.h"
#include "scope/object_model.h"
#include "support/recording_loader.h"

#include <QObject>

#include <gtest/gtest.h>

using namespace trgui;
using scope::BindingError;
using trgui::testing::RecordingLoader;

namespace {

constexpr const char* kGetData = "@Slscope@TSLScopeChannel@GetVC_Data$qqrv";

std::vector<std::string> withoutInstanceOf(const std::vector<std::string>& calls)
{
    std::vector<std::string> out;
    for (const auto& c : calls) {
        if (c.rfind("InstanceOf", 0) != 0)
            out.push_back(c);
    }
    return out;
}

std::string errorText(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const BindingError& e) {
        return e.what();
    }
    return "(no error)";
}

core::MeasurementRecord sample(float temperature, float flow)
{
    core::MeasurementRecord r;
    r.temperature = temperature;
    r.volumeFlow = flow;
    r.temperatureUnit = QString::fromUtf8("°C");
    r.volumeFlowUnit = QStringLiteral("l/min");
    return r;
}

} // namespace

TEST(ChartSetUp, aRefusalLeavesTheChartNotReadyAndEndsTheLoaderSetUp)
{
    struct Case {
        const char* name;
        bool createFails;
        const char* refusedPath;
        const char* error;
    };
    const Case cases[] = {
        {"creation fails", true, "", "Unable to get property : Channels"},
        {"refused write", false, "YAxis.Max.Value", "Unable to set property : YAxis.Max.Value"},
        {"refused item", false, "YAxis.AdditionalAxes",
         "Unable to get property : YAxis.AdditionalAxes"},
    };
    for (const auto& c : cases) {
        RecordingLoader loader;
        loader.createFails = c.createFails;
        loader.refusedPaths.insert(c.refusedPath);
        QObject page, frame;
        pages::visualisation::VisualisationChart chart;
        EXPECT_EQ(errorText([&] { chart.setUp(&page, &frame, 1); }), c.error) << c.name;
        EXPECT_EQ(chart.initialised(), 0) << c.name;
        EXPECT_EQ(loader.calls.back(), "Ordinal145") << c.name;
    }
}

TEST(ChartSamples, handTheCountOfValuesAndStopAt2000)
{
    RecordingLoader loader;
    loader.results[kGetData] = 7000;
    QObject page, frame;
    pages::visualisation::VisualisationChart chart;
    chart.setUp(&page, &frame, 0);
    loader.take();

    chart.addSample(sample(21.5f, 3.25f), 0);
    const auto first = withoutInstanceOf(loader.take());
    const std::vector<std::string> expected{
        "SetString 1001 YAxis.AxisLabel.Text = Temperatur [°C]",
        "SetString 1001 YAxis.AdditionalAxes.0.Axis.AxisLabel.Text = Volumenstrom [l/min]",
        "SetInt 1001 XAxis.Format.FixedPrecision = 0",
        "SetInt 1001 XAxis.Format.Precision = 0",
        "SetFloat 1001 YAxis.AdditionalAxes.0.Axis.Min.Value = 0",
        "FindSymbol 101 @Slscope@TSLChannelData@SetYData$qqrpfui",
        "FindSymbol 101 @Slscope@TSLScopeChannel@GetVC_Data$qqrv",
        "GetObject 1001 Channels.0",
        "Call @Slscope@TSLScopeChannel@GetVC_Data$qqrv on 5005",
        "Call @Slscope@TSLChannelData@SetYData$qqrpfui on 7000 ptr 1",  // one value: count 1
        "GetObject 1001 Channels.1",
        "Call @Slscope@TSLScopeChannel@GetVC_Data$qqrv on 5006",
        "Call @Slscope@TSLChannelData@SetYData$qqrpfui on 7000 ptr 1",
    };
    EXPECT_EQ(first, expected);
    EXPECT_EQ(chart.temperatureHistory()[0], 21.5f);
    EXPECT_EQ(chart.flowHistory()[0], 3.25f);

    for (int i = 1; i < pages::visualisation::VisualisationChart::kMaxSamples; ++i)
        chart.addSample(sample(20.0f + static_cast<float>(i % 7), 1.0f), 0);
    EXPECT_EQ(loader.calls.back(), "Call @Slscope@TSLChannelData@SetYData$qqrpfui on 7000 ptr 2000");
    loader.take();

    chart.addSample(sample(99.0f, 9.0f), 0);  // the 2001st: counted, not stored, not sent
    EXPECT_TRUE(loader.calls.empty());
    EXPECT_EQ(chart.sampleCount(), 2001);
    EXPECT_EQ(chart.temperatureHistory()[2000], 0.0f);

    chart.clear();
    EXPECT_EQ(chart.sampleCount(), 0);
    EXPECT_EQ(loader.count("Call @Slscope@TSLChannelData@Clear$qqrv on 7000"), 2);
    EXPECT_EQ(loader.count("Call @Slscope@TSLDataDisplay@SetHold$qqro on 1001 0"), 1);
}

TEST(ChartLanguage, setsPlainTextsByLanguageAndNothingForAnUnknownOne)
{
    RecordingLoader loader;
    QObject page, frame;
    pages::visualisation::VisualisationChart chart;
    chart.reapplyLanguage(2);
    EXPECT_TRUE(loader.calls.empty()) << "nothing before the set-up";

    chart.setUp(&page, &frame, 7);
    EXPECT_EQ(loader.count("SetString"), 0) << "no texts for language 7";
    EXPECT_EQ(chart.initialised(), 1);
    chart.addSample(sample(20, 1), 7);
    EXPECT_EQ(loader.count("SetString"), 0);

    loader.take();
    chart.reapplyLanguage(2);
    const auto calls = withoutInstanceOf(loader.take());
    ASSERT_GE(calls.size(), 6u);
    EXPECT_EQ(calls[0], "SetString 1001 YAxis.AxisLabel.Text = Température");
    EXPECT_EQ(calls[1], "SetString 1001 YAxis.AdditionalAxes.0.Axis.AxisLabel.Text = Débit Volumétrique");
    EXPECT_EQ(calls[2], "SetString 1001 XAxis.AxisLabel.Text = Valeur Mesurée");
    EXPECT_EQ(calls[3], "SetString 1001 Title.Text = Température/Débit Volumétrique");
    EXPECT_EQ(calls[4], "SetString 1001 Channels.0.Name = Température");
    EXPECT_EQ(calls[5], "SetString 1001 Channels.1.Name = Débit Volumétrique");
}

TEST(Binding, pathsJoinEveryNameFromTheRoot)
{
    scope::CTSLScope scope;
    EXPECT_EQ(scope.YAxis.AdditionalAxes.Item(0)->Axis.AxisLabel.Text.path().str(),
              "YAxis.AdditionalAxes.0.Axis.AxisLabel.Text");
    EXPECT_EQ(scope.Channels.Item(12)->Color.path().str(), "Channels.12.Color");
    EXPECT_EQ(scope.Legend.MarkerGroups.Visible.path().str(), "Legend.MarkerGroups.Visible");
    EXPECT_EQ(scope.ToolBar.Buttons.Save.Caption.path().str(), "ToolBar.Buttons.Save.Caption");

    scope::CLPString s("a");
    s.appendDot().append(scope::CLPString(-3));
    EXPECT_EQ(s.str(), "a.-3");
    EXPECT_EQ(scope::CLPString("").length(), 0);
    EXPECT_STREQ(scope::CLPString().c_str(), "");
}

TEST(Binding, writesEveryValueEachTimeAndNamesThePathOnRefusal)
{
    RecordingLoader loader;
    QObject frame;
    scope::CTSLScope scope;
    ASSERT_TRUE(scope.Create(&frame));
    loader.take();
    scope.YAxis.Max.Value.Set(5.5);
    scope.YAxis.Max.Value.Set(5.5);
    EXPECT_EQ(loader.count("SetFloat 1001 YAxis.Max.Value = 5.5"), 2);

    loader.refusedPaths = {"Title.Text", "YAxis"};
    EXPECT_EQ(errorText([&] { scope.Title.Text.Set(QStringLiteral("x")); }), "Unable to set property : Title.Text");
    // An object fetched by path is asked for at every use.
    EXPECT_EQ(errorText([&] { scope.YAxis.GetInstance(); }), "Unable to get property : YAxis");
    loader.refusedPaths.clear();
    scope.Legend.GetInstance();
    scope.Legend.GetInstance();
    EXPECT_EQ(loader.count("GetObject 1001 Legend"), 2);
}

TEST(Binding, anObjectFromAGetterIsFetchedOnce)
{
    RecordingLoader loader;
    loader.results[kGetData] = 7000;
    QObject frame;
    scope::CTSLScope scope;
    scope.Create(&frame);
    const auto channel = scope.Channels.Item(0);
    channel->Data.Clear();
    channel->Data.Clear();
    EXPECT_EQ(loader.count("Call @Slscope@TSLScopeChannel@GetVC_Data$qqrv"), 1);
    EXPECT_EQ(loader.count("Call @Slscope@TSLChannelData@Clear$qqrv on 7000"), 2);
}

TEST(Binding, methodCallsAreNoOpsWithoutEntryOrInstanceAndLookUpAgain)
{
    RecordingLoader loader;
    loader.missingSymbols.insert("@Slscope@TSLDataDisplay@ZoomOff$qqrv");
    loader.failingPackages.insert(scope::kRtlPackage);
    QObject frame;
    scope::CTSLScope scope;

    scope.SetHold(true);  // no component yet: instance 0
    EXPECT_EQ(loader.count("Call"), 0);
    scope.Create(&frame);
    scope.ZoomOff();
    scope.ZoomOff();
    EXPECT_EQ(loader.count("Call"), 0);
    // Not found: looked up again at each call, at each level of the root chain
    // (three in the scope package, 100, then two in the basic package, 101).
    EXPECT_EQ(loader.count("FindSymbol 100 @Slscope@TSLDataDisplay@ZoomOff$qqrv"), 6);
    EXPECT_EQ(loader.count("FindSymbol 101 @Slscope@TSLDataDisplay@ZoomOff$qqrv"), 4);
    loader.missingSymbols.clear();
    scope.ZoomOff();
    EXPECT_EQ(loader.count("Call @Slscope@TSLDataDisplay@ZoomOff$qqrv on 1001"), 1);

    // A package that did not load is loaded again at the next need.
    scope.Invalidate();
    scope.CLPControl::Invalidate();
    scope.CLPControl::Invalidate();
    EXPECT_EQ(loader.count("LoadPackage rtl60.bpl"), 2);
    loader.failingPackages.clear();
    scope.CLPControl::Invalidate();
    EXPECT_EQ(loader.count("Call @Controls@TControl@Invalidate$qqrv on 1001"), 1);
    EXPECT_EQ(loader.count("Call @Slscope@TSLScope@Invalidate$qqrv on 1001"), 1);
}

TEST(Binding, aCreatedComponentIsFreedOnceAndReceivedOnesNever)
{
    RecordingLoader loader;
    QObject frame;
    {
        scope::CTSLScope scope;
        EXPECT_FALSE(scope.Create(static_cast<QObject*>(nullptr)));
        EXPECT_EQ(loader.count("CreateInWindow"), 0) << "never with a 0 window";
        ASSERT_TRUE(scope.Create(&frame));
        ASSERT_TRUE(scope.Create(&frame));
        const std::vector<std::string> order(loader.calls.end() - 2, loader.calls.end());
        EXPECT_EQ(order, (std::vector<std::string>{"FreeComponent 1", "CreateInWindow TSLScope 001"}));
        scope::CTSLChannelData received(4242);
        received.Clear();
    }
    EXPECT_EQ(loader.count("FreeComponent 1"), 1);
    EXPECT_EQ(loader.count("FreeComponent 2"), 1);
    EXPECT_EQ(loader.count("FreeComponent"), 2);

    loader.createFails = true;
    scope::CTSLScope failed;
    EXPECT_FALSE(failed.Create(&frame));
    EXPECT_EQ(failed.hostHandle(), 0u);
}
