#include "scope/object_model.h"

namespace trgui::scope {

namespace {

// Each component method has one process-wide entry slot.
#define TRGUI_CALL(symbol, ...)                                  \
    static MethodSlot slot{symbol};                              \
    return callMethod(*this, slot __VA_OPT__(, ) __VA_ARGS__)

#define TRGUI_DO(symbol, ...)                                    \
    static MethodSlot slot{symbol};                              \
    callMethod(*this, slot __VA_OPT__(, ) __VA_ARGS__)

std::int32_t asInt(MethodValue v)
{
    return static_cast<std::int32_t>(v.integer);
}
std::uint32_t asUnsigned(MethodValue v)
{
    return static_cast<std::uint32_t>(v.integer);
}
bool asBool(MethodValue v)
{
    return v.integer != 0;
}

} // namespace

// --- sub-objects

UInt CTSLDisplayBrush::GetColor() { return asUnsigned([&] { TRGUI_CALL("@Slfiltertypes@TSLDisplayBrush@GetColor$qqrv"); }()); }
void CTSLDisplayBrush::SetColor(UInt color) { TRGUI_DO("@Slfiltertypes@TSLDisplayBrush@SetColor$qqr15Graphics@TColor", color); }
Int CTSLDisplayBrush::GetStyle() { return asInt([&] { TRGUI_CALL("@Slfiltertypes@TSLDisplayBrush@GetStyle$qqrv"); }()); }
void CTSLDisplayBrush::SetStyle(Int style) { TRGUI_DO("@Slfiltertypes@TSLDisplayBrush@SetStyle$qqr20Graphics@TBrushStyle", style); }

double CTSLDisplayZoom::GetXMin() { return [&] { TRGUI_CALL("@Slscope@TSLDisplayZoom@GetXMin$qqrv"); }().real; }
double CTSLDisplayZoom::GetXMax() { return [&] { TRGUI_CALL("@Slscope@TSLDisplayZoom@GetXMax$qqrv"); }().real; }
double CTSLDisplayZoom::GetYMin() { return [&] { TRGUI_CALL("@Slscope@TSLDisplayZoom@GetYMin$qqrv"); }().real; }
double CTSLDisplayZoom::GetYMax() { return [&] { TRGUI_CALL("@Slscope@TSLDisplayZoom@GetYMax$qqrv"); }().real; }
bool CTSLDisplayZoom::GetIsZoomed() { return asBool([&] { TRGUI_CALL("@Slscope@TSLDisplayZoom@GetIsZoomed$qqrv"); }()); }

double CTSLDisplayAxisZoom::GetMax() { return [&] { TRGUI_CALL("@Slscope@TSLDisplayAxisZoom@GetMax$qqrv"); }().real; }
double CTSLDisplayAxisZoom::GetMin() { return [&] { TRGUI_CALL("@Slscope@TSLDisplayAxisZoom@GetMin$qqrv"); }().real; }
bool CTSLDisplayAxisZoom::GetIsZoomed() { return asBool([&] { TRGUI_CALL("@Slscope@TSLDisplayAxisZoom@GetIsZoomed$qqrv"); }()); }

Int CTSLDisplayView::GetLeftProp() { return asInt([&] { TRGUI_CALL("@Slscope@TSLDisplayView@GetLeftProp$qqrv"); }()); }
Int CTSLDisplayView::GetTopProp() { return asInt([&] { TRGUI_CALL("@Slscope@TSLDisplayView@GetTopProp$qqrv"); }()); }
Int CTSLDisplayView::GetWidthProp() { return asInt([&] { TRGUI_CALL("@Slscope@TSLDisplayView@GetWidthProp$qqrv"); }()); }
Int CTSLDisplayView::GetHeightProp() { return asInt([&] { TRGUI_CALL("@Slscope@TSLDisplayView@GetHeightProp$qqrv"); }()); }

Int CTSLAssociatedChannelLinkList::GetCount() { return asInt([&] { TRGUI_CALL("@Slscope@TSLAssociatedChannelLinkList@GetCount$qqrv"); }()); }

double CTSLDisplayAxis::GetCurrentMax() { return [&] { TRGUI_CALL("@Slscope@TSLDisplayAxis@GetCurrentMax$qqrv"); }().real; }
double CTSLDisplayAxis::GetCurrentMin() { return [&] { TRGUI_CALL("@Slscope@TSLDisplayAxis@GetCurrentMin$qqrv"); }().real; }
Instance CTSLDisplayAxis::GetVC_AssociatedChannels() { return asUnsigned([&] { TRGUI_CALL("@Slscope@TSLDisplayAxis@GetVC_AssociatedChannels$qqrv"); }()); }

Int CTSLBasicDisplayXAxis::GetVC_Samples() { return asInt([&] { TRGUI_CALL("@Slscope@TSLBasicDisplayXAxis@GetVC_Samples$qqrv"); }()); }

void CTSLChannelData::SetYData(const float* values, std::uint32_t n) { TRGUI_DO("@Slscope@TSLChannelData@SetYData$qqrpfui", values, n); }
void CTSLChannelData::Clear() { TRGUI_DO("@Slscope@TSLChannelData@Clear$qqrv"); }
double CTSLChannelData::GetSampleRate() { return [&] { TRGUI_CALL("@Slscope@TSLChannelData@GetSampleRate$qqrv"); }().real; }
void CTSLChannelData::SetSampleRate(double rate) { TRGUI_DO("@Slscope@TSLChannelData@SetSampleRate$qqrd", rate); }

Int CTSLDisplayChannel::GetXAxisIndex() { return asInt([&] { TRGUI_CALL("@Slscope@TSLDisplayChannel@GetXAxisIndex$qqrv"); }()); }
void CTSLDisplayChannel::SetXAxisIndex(Int index) { TRGUI_DO("@Slscope@TSLDisplayChannel@SetXAxisIndex$qqri", index); }
Int CTSLDisplayChannel::GetYAxisIndex() { return asInt([&] { TRGUI_CALL("@Slscope@TSLDisplayChannel@GetYAxisIndex$qqrv"); }()); }
void CTSLDisplayChannel::SetYAxisIndex(Int index) { TRGUI_DO("@Slscope@TSLDisplayChannel@SetYAxisIndex$qqri", index); }

Instance CTSLScopeChannel::GetVC_DrawMarkers() { return asUnsigned([&] { TRGUI_CALL("@Slscope@TSLScopeChannel@GetVC_DrawMarkers$qqrv"); }()); }
void CTSLScopeChannel::SetDrawMarkers(Instance markers) { TRGUI_DO("@Slscope@TSLScopeChannel@SetDrawMarkers$qqrp30Slscope@TSLScopeChannelMarkers", markers); }
Instance CTSLScopeChannel::GetVC_Data() { return asUnsigned([&] { TRGUI_CALL("@Slscope@TSLScopeChannel@GetVC_Data$qqrv"); }()); }

// --- root chain

bool CTSLCustomControlItem::GetHasEnable() { return asBool([&] { TRGUI_CALL("@Slcomponentcollection@TSLCustomControlItem@GetHasEnable$qqrv"); }()); }
bool CTSLCustomControlItem::GetCanDisable() { return asBool([&] { TRGUI_CALL("@Slcomponentcollection@TSLCustomControlItem@GetCanDisable$qqrv"); }()); }
Int CTSLCustomControlItem::GetIndex() { return asInt([&] { TRGUI_CALL("@Slcomponentcollection@TSLCustomControlItem@GetIndex$qqrv"); }()); }
void CTSLCustomControlItem::SetIndex(Int index) { TRGUI_DO("@Slcomponentcollection@TSLCustomControlItem@SetIndex$qqri", index); }

bool CTSLCustomControlItem::Create(CLPControl*)
{
    basicPackage_ = packageHandle(kBasicPackage);
    return false;
}

bool CTSLCustomControlItem::Create(QObject*)
{
    basicPackage_ = packageHandle(kBasicPackage);
    return false;
}

bool CTLPControlDrawLayer::Create(CLPControl* parent)
{
    CTSLCustomControlItem::Create(parent);
    drawLayerBasicPackage_ = basicPackage_;
    return false;
}

bool CTLPControlDrawLayer::Create(QObject* window)
{
    CTSLCustomControlItem::Create(window);
    drawLayerBasicPackage_ = basicPackage_;
    return false;
}

bool CTSLDataDisplay::Create(CLPControl* parent)
{
    CTLPControlDrawLayer::Create(parent);
    scopePackage_ = packageHandle(kScopePackage);
    return false;
}

bool CTSLDataDisplay::Create(QObject* window)
{
    CTLPControlDrawLayer::Create(window);
    scopePackage_ = packageHandle(kScopePackage);
    return false;
}

void CTSLDataDisplay::Print() { TRGUI_DO("@Slscope@TSLDataDisplay@Print$qqrv"); }
void CTSLDataDisplay::ZoomOff() { TRGUI_DO("@Slscope@TSLDataDisplay@ZoomOff$qqrv"); }
void CTSLDataDisplay::ZoomBy(double x, double y, bool keep) { TRGUI_DO("@Slscope@TSLDataDisplay@ZoomBy$qqrddo", x, y, keep); }
void CTSLDataDisplay::ZoomBy(double x, double y) { TRGUI_DO("@Slscope@TSLDataDisplay@ZoomBy$qqrdd", x, y); }
void CTSLDataDisplay::ZoomBy(double factor, bool keep) { TRGUI_DO("@Slscope@TSLDataDisplay@ZoomBy$qqrdo", factor, keep); }
void CTSLDataDisplay::ZoomBy(double factor) { TRGUI_DO("@Slscope@TSLDataDisplay@ZoomBy$qqrd", factor); }
void CTSLDataDisplay::ZoomTo(double a, double b, double c, double d, bool keep) { TRGUI_DO("@Slscope@TSLDataDisplay@ZoomTo$qqrddddo", a, b, c, d, keep); }
void CTSLDataDisplay::ZoomTo(double a, double b, double c, double d) { TRGUI_DO("@Slscope@TSLDataDisplay@ZoomTo$qqrdddd", a, b, c, d); }
void CTSLDataDisplay::ZoomToData(double a, double b, double c, double d, bool keep) { TRGUI_DO("@Slscope@TSLDataDisplay@ZoomToData$qqrddddo", a, b, c, d, keep); }
void CTSLDataDisplay::ZoomToData(double a, double b, double c, double d) { TRGUI_DO("@Slscope@TSLDataDisplay@ZoomToData$qqrdddd", a, b, c, d); }
void CTSLDataDisplay::UndoZoom() { TRGUI_DO("@Slscope@TSLDataDisplay@UndoZoom$qqrv"); }
void CTSLDataDisplay::RedoZoom() { TRGUI_DO("@Slscope@TSLDataDisplay@RedoZoom$qqrv"); }
void CTSLDataDisplay::ClearZoomUndo() { TRGUI_DO("@Slscope@TSLDataDisplay@ClearZoomUndo$qqrv"); }
bool CTSLDataDisplay::GetCanRedoZoom() { return asBool([&] { TRGUI_CALL("@Slscope@TSLDataDisplay@GetCanRedoZoom$qqrv"); }()); }
bool CTSLDataDisplay::GetCanUndoZoom() { return asBool([&] { TRGUI_CALL("@Slscope@TSLDataDisplay@GetCanUndoZoom$qqrv"); }()); }
bool CTSLDataDisplay::GetCanZoomOut() { return asBool([&] { TRGUI_CALL("@Slscope@TSLDataDisplay@GetCanZoomOut$qqrv"); }()); }
bool CTSLDataDisplay::GetCanZoomIn() { return asBool([&] { TRGUI_CALL("@Slscope@TSLDataDisplay@GetCanZoomIn$qqrv"); }()); }
bool CTSLDataDisplay::GetVC_Hold() { return asBool([&] { TRGUI_CALL("@Slscope@TSLDataDisplay@GetVC_Hold$qqrv"); }()); }
void CTSLDataDisplay::SetHold(bool hold) { TRGUI_DO("@Slscope@TSLDataDisplay@SetHold$qqro", hold); }

bool CTSLDataChart::Create(CLPControl* parent)
{
    CTSLDataDisplay::Create(parent);
    chartScopePackage_ = scopePackage_;
    return false;
}

bool CTSLDataChart::Create(QObject* window)
{
    CTSLDataDisplay::Create(window);
    chartScopePackage_ = scopePackage_;
    return false;
}

void CTSLDataChart::ZoomBy(double x, double y, bool keep) { TRGUI_DO("@Slscope@TSLDataChart@ZoomBy$qqrddo", x, y, keep); }
void CTSLDataChart::ZoomTo(double a, double b, double c, double d, bool keep) { TRGUI_DO("@Slscope@TSLDataChart@ZoomTo$qqrddddo", a, b, c, d, keep); }
void CTSLDataChart::ZoomToData(double a, double b, double c, double d, bool keep) { TRGUI_DO("@Slscope@TSLDataChart@ZoomToData$qqrddddo", a, b, c, d, keep); }
UInt CTSLDataChart::GetRefreshInterval() { return asUnsigned([&] { TRGUI_CALL("@Slscope@TSLDataChart@GetRefreshInterval$qqrv"); }()); }
void CTSLDataChart::SetRefreshInterval(UInt ms) { TRGUI_DO("@Slscope@TSLDataChart@SetRefreshInterval$qqrui", ms); }

void CTSLScope::Invalidate() { TRGUI_DO("@Slscope@TSLScope@Invalidate$qqrv"); }
void CTSLScope::Print() { TRGUI_DO("@Slscope@TSLScope@Print$qqrv"); }

bool CTSLScope::adopt(HostHandle handle)
{
    if (handle == 0)
        return false;
    control().reset(handle, true);
    return true;
}

bool CTSLScope::Create(CLPControl* parent)
{
    CTSLDataChart::Create(parent);
    ownScopePackage_ = scopePackage_;
    control().release();
    const Instance parentInstance = parent ? parent->GetInstance() : 0;
    return adopt(componentLoader().CreateInComponent(parentInstance, "TSLScope", 0, 0, 1));
}

bool CTSLScope::Create(QObject* window)
{
    CTSLDataChart::Create(window);
    ownScopePackage_ = scopePackage_;
    if (!window)
        return false;
    control().release();
    return adopt(componentLoader().CreateInWindow(window, "TSLScope", 0, 0, 1));
}

} // namespace trgui::scope
