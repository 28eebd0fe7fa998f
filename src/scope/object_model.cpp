#include "scope/object_model.h"

#include <algorithm>
#include <cstddef>
#include <type_traits>

namespace trgui::scope {

namespace {

// A method's symbol as a template argument: each method gets an entry slot
// of its own.
template <std::size_t N>
struct Symbol {
    constexpr Symbol(const char (&text)[N]) { std::copy_n(text, N, name); }  // NOLINT: written as literals
    char name[N];
};

// Calls the component method Name on the wrapper with typed arguments and
// reads its answer as R: nothing for void, the real result for double, the
// integer one otherwise (bool: not 0). The entry is looked up at the first
// call, and again only while it is not found or after another loader was
// installed.
template <Symbol Name, typename R = void, typename... Args>
R call(CLPBaseClass& wrapper, Args... args)
{
    static MethodSlot slot{Name.name};
    if constexpr (std::is_void_v<R>) {
        callMethod(wrapper, slot, args...);
    } else {
        const MethodValue answer = callMethod(wrapper, slot, args...);
        if constexpr (std::is_same_v<R, double>)
            return answer.real;
        else if constexpr (std::is_same_v<R, bool>)
            return answer.integer != 0;
        else
            return static_cast<R>(answer.integer);
    }
}

} // namespace

// --- sub-objects

UInt CTSLDisplayBrush::GetColor() { return call<"@Slfiltertypes@TSLDisplayBrush@GetColor$qqrv", UInt>(*this); }
void CTSLDisplayBrush::SetColor(UInt color) { call<"@Slfiltertypes@TSLDisplayBrush@SetColor$qqr15Graphics@TColor">(*this, color); }
Int CTSLDisplayBrush::GetStyle() { return call<"@Slfiltertypes@TSLDisplayBrush@GetStyle$qqrv", Int>(*this); }
void CTSLDisplayBrush::SetStyle(Int style) { call<"@Slfiltertypes@TSLDisplayBrush@SetStyle$qqr20Graphics@TBrushStyle">(*this, style); }

double CTSLDisplayZoom::GetXMin() { return call<"@Slscope@TSLDisplayZoom@GetXMin$qqrv", double>(*this); }
double CTSLDisplayZoom::GetXMax() { return call<"@Slscope@TSLDisplayZoom@GetXMax$qqrv", double>(*this); }
double CTSLDisplayZoom::GetYMin() { return call<"@Slscope@TSLDisplayZoom@GetYMin$qqrv", double>(*this); }
double CTSLDisplayZoom::GetYMax() { return call<"@Slscope@TSLDisplayZoom@GetYMax$qqrv", double>(*this); }
bool CTSLDisplayZoom::GetIsZoomed() { return call<"@Slscope@TSLDisplayZoom@GetIsZoomed$qqrv", bool>(*this); }

double CTSLDisplayAxisZoom::GetMax() { return call<"@Slscope@TSLDisplayAxisZoom@GetMax$qqrv", double>(*this); }
double CTSLDisplayAxisZoom::GetMin() { return call<"@Slscope@TSLDisplayAxisZoom@GetMin$qqrv", double>(*this); }
bool CTSLDisplayAxisZoom::GetIsZoomed() { return call<"@Slscope@TSLDisplayAxisZoom@GetIsZoomed$qqrv", bool>(*this); }

Int CTSLDisplayView::GetLeftProp() { return call<"@Slscope@TSLDisplayView@GetLeftProp$qqrv", Int>(*this); }
Int CTSLDisplayView::GetTopProp() { return call<"@Slscope@TSLDisplayView@GetTopProp$qqrv", Int>(*this); }
Int CTSLDisplayView::GetWidthProp() { return call<"@Slscope@TSLDisplayView@GetWidthProp$qqrv", Int>(*this); }
Int CTSLDisplayView::GetHeightProp() { return call<"@Slscope@TSLDisplayView@GetHeightProp$qqrv", Int>(*this); }

Int CTSLAssociatedChannelLinkList::GetCount() { return call<"@Slscope@TSLAssociatedChannelLinkList@GetCount$qqrv", Int>(*this); }

double CTSLDisplayAxis::GetCurrentMax() { return call<"@Slscope@TSLDisplayAxis@GetCurrentMax$qqrv", double>(*this); }
double CTSLDisplayAxis::GetCurrentMin() { return call<"@Slscope@TSLDisplayAxis@GetCurrentMin$qqrv", double>(*this); }
Instance CTSLDisplayAxis::GetVC_AssociatedChannels() { return call<"@Slscope@TSLDisplayAxis@GetVC_AssociatedChannels$qqrv", Instance>(*this); }

Int CTSLBasicDisplayXAxis::GetVC_Samples() { return call<"@Slscope@TSLBasicDisplayXAxis@GetVC_Samples$qqrv", Int>(*this); }

void CTSLChannelData::SetYData(const float* values, std::uint32_t n) { call<"@Slscope@TSLChannelData@SetYData$qqrpfui">(*this, values, n); }
void CTSLChannelData::Clear() { call<"@Slscope@TSLChannelData@Clear$qqrv">(*this); }
double CTSLChannelData::GetSampleRate() { return call<"@Slscope@TSLChannelData@GetSampleRate$qqrv", double>(*this); }
void CTSLChannelData::SetSampleRate(double rate) { call<"@Slscope@TSLChannelData@SetSampleRate$qqrd">(*this, rate); }

Int CTSLDisplayChannel::GetXAxisIndex() { return call<"@Slscope@TSLDisplayChannel@GetXAxisIndex$qqrv", Int>(*this); }
void CTSLDisplayChannel::SetXAxisIndex(Int index) { call<"@Slscope@TSLDisplayChannel@SetXAxisIndex$qqri">(*this, index); }
Int CTSLDisplayChannel::GetYAxisIndex() { return call<"@Slscope@TSLDisplayChannel@GetYAxisIndex$qqrv", Int>(*this); }
void CTSLDisplayChannel::SetYAxisIndex(Int index) { call<"@Slscope@TSLDisplayChannel@SetYAxisIndex$qqri">(*this, index); }

Instance CTSLScopeChannel::GetVC_DrawMarkers() { return call<"@Slscope@TSLScopeChannel@GetVC_DrawMarkers$qqrv", Instance>(*this); }
void CTSLScopeChannel::SetDrawMarkers(Instance markers) { call<"@Slscope@TSLScopeChannel@SetDrawMarkers$qqrp30Slscope@TSLScopeChannelMarkers">(*this, markers); }
Instance CTSLScopeChannel::GetVC_Data() { return call<"@Slscope@TSLScopeChannel@GetVC_Data$qqrv", Instance>(*this); }

// --- root chain

bool CTSLCustomControlItem::GetHasEnable() { return call<"@Slcomponentcollection@TSLCustomControlItem@GetHasEnable$qqrv", bool>(*this); }
bool CTSLCustomControlItem::GetCanDisable() { return call<"@Slcomponentcollection@TSLCustomControlItem@GetCanDisable$qqrv", bool>(*this); }
Int CTSLCustomControlItem::GetIndex() { return call<"@Slcomponentcollection@TSLCustomControlItem@GetIndex$qqrv", Int>(*this); }
void CTSLCustomControlItem::SetIndex(Int index) { call<"@Slcomponentcollection@TSLCustomControlItem@SetIndex$qqri">(*this, index); }

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

void CTSLDataDisplay::Print() { call<"@Slscope@TSLDataDisplay@Print$qqrv">(*this); }
void CTSLDataDisplay::ZoomOff() { call<"@Slscope@TSLDataDisplay@ZoomOff$qqrv">(*this); }
void CTSLDataDisplay::ZoomBy(double x, double y, bool keep) { call<"@Slscope@TSLDataDisplay@ZoomBy$qqrddo">(*this, x, y, keep); }
void CTSLDataDisplay::ZoomBy(double x, double y) { call<"@Slscope@TSLDataDisplay@ZoomBy$qqrdd">(*this, x, y); }
void CTSLDataDisplay::ZoomBy(double factor, bool keep) { call<"@Slscope@TSLDataDisplay@ZoomBy$qqrdo">(*this, factor, keep); }
void CTSLDataDisplay::ZoomBy(double factor) { call<"@Slscope@TSLDataDisplay@ZoomBy$qqrd">(*this, factor); }
void CTSLDataDisplay::ZoomTo(double a, double b, double c, double d, bool keep) { call<"@Slscope@TSLDataDisplay@ZoomTo$qqrddddo">(*this, a, b, c, d, keep); }
void CTSLDataDisplay::ZoomTo(double a, double b, double c, double d) { call<"@Slscope@TSLDataDisplay@ZoomTo$qqrdddd">(*this, a, b, c, d); }
void CTSLDataDisplay::ZoomToData(double a, double b, double c, double d, bool keep) { call<"@Slscope@TSLDataDisplay@ZoomToData$qqrddddo">(*this, a, b, c, d, keep); }
void CTSLDataDisplay::ZoomToData(double a, double b, double c, double d) { call<"@Slscope@TSLDataDisplay@ZoomToData$qqrdddd">(*this, a, b, c, d); }
void CTSLDataDisplay::UndoZoom() { call<"@Slscope@TSLDataDisplay@UndoZoom$qqrv">(*this); }
void CTSLDataDisplay::RedoZoom() { call<"@Slscope@TSLDataDisplay@RedoZoom$qqrv">(*this); }
void CTSLDataDisplay::ClearZoomUndo() { call<"@Slscope@TSLDataDisplay@ClearZoomUndo$qqrv">(*this); }
bool CTSLDataDisplay::GetCanRedoZoom() { return call<"@Slscope@TSLDataDisplay@GetCanRedoZoom$qqrv", bool>(*this); }
bool CTSLDataDisplay::GetCanUndoZoom() { return call<"@Slscope@TSLDataDisplay@GetCanUndoZoom$qqrv", bool>(*this); }
bool CTSLDataDisplay::GetCanZoomOut() { return call<"@Slscope@TSLDataDisplay@GetCanZoomOut$qqrv", bool>(*this); }
bool CTSLDataDisplay::GetCanZoomIn() { return call<"@Slscope@TSLDataDisplay@GetCanZoomIn$qqrv", bool>(*this); }
bool CTSLDataDisplay::GetVC_Hold() { return call<"@Slscope@TSLDataDisplay@GetVC_Hold$qqrv", bool>(*this); }
void CTSLDataDisplay::SetHold(bool hold) { call<"@Slscope@TSLDataDisplay@SetHold$qqro">(*this, hold); }

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

void CTSLDataChart::ZoomBy(double x, double y, bool keep) { call<"@Slscope@TSLDataChart@ZoomBy$qqrddo">(*this, x, y, keep); }
void CTSLDataChart::ZoomTo(double a, double b, double c, double d, bool keep) { call<"@Slscope@TSLDataChart@ZoomTo$qqrddddo">(*this, a, b, c, d, keep); }
void CTSLDataChart::ZoomToData(double a, double b, double c, double d, bool keep) { call<"@Slscope@TSLDataChart@ZoomToData$qqrddddo">(*this, a, b, c, d, keep); }
UInt CTSLDataChart::GetRefreshInterval() { return call<"@Slscope@TSLDataChart@GetRefreshInterval$qqrv", UInt>(*this); }
void CTSLDataChart::SetRefreshInterval(UInt ms) { call<"@Slscope@TSLDataChart@SetRefreshInterval$qqrui">(*this, ms); }

void CTSLScope::Invalidate() { call<"@Slscope@TSLScope@Invalidate$qqrv">(*this); }
void CTSLScope::Print() { call<"@Slscope@TSLScope@Print$qqrv">(*this); }

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
