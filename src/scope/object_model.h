#pragma once

// The scope component's object model on our side: the root wrapper CTSLScope,
// which creates the component, and one wrapper class per published object
// type, each declaring the component's published names. Paths follow from
// the member names: the label text of additional Y axis 0 is
// YAxis.AdditionalAxes.0.Axis.AxisLabel.Text.

#include "scope/binding.h"

namespace trgui::scope {

// A wrapper class: inherits its base's constructors; members are proxies.
#define TRGUI_WRAPPER(Class, BaseClass) \
    class Class : public BaseClass {    \
    public:                             \
        using Inherited = BaseClass;    \
        using Inherited::Inherited;

// The wrapper's component class lives in this package.
#define TRGUI_FIND_IN(package)                                                \
    MethodEntry FindMethod(const std::string& symbol) override                \
    {                                                                          \
        if (const MethodEntry entry = findInPackage(package, symbol))          \
            return entry;                                                      \
        return Inherited::FindMethod(symbol);                                  \
    }

#define TRGUI_PROP(Type, Name) CLPProperty<Type> Name{this, #Name};
#define TRGUI_ENUM(Type, Name) CLPEnumProperty<Type> Name{this, #Name};
#define TRGUI_OBJ(Type, Name) Type Name{this, #Name};
#define TRGUI_EVENT(Type, Name) Type Name{this, #Name};

using Bool = bool;
using Int = std::int32_t;
using UInt = std::uint32_t;

// The component's enumerations; no part of the program writes them.
enum class CTSLChannelShadeMode : std::int32_t { None, Solid, Gradient };
enum class CTSLCoordinateMode : std::int32_t { Pixels, Relative };
enum class CTSLDisplayAxisTicksMode : std::int32_t { Auto, Samples };
enum class CTSLDisplayNavigateMode : std::int32_t { Zoom, Pan };
enum class CTSLDisplayZoomMode : std::int32_t { Both, Horizontal, Vertical };
enum class CTSLMajorTicksMode : std::int32_t { Auto, Step };
enum class CTSLMaxAxisMode : std::int32_t { Fixed, Samples };
enum class CTSLPrecisionMode : std::int32_t { Auto, Fixed };
enum class CTSLScaleMode : std::int32_t { Linear, Logarithmic };
enum class CTSLScopeChannelMode : std::int32_t { Lines, Points, Bars };
enum class CTSLScopePointsShape : std::int32_t { Circle, Square, Triangle, Cross };
enum class CTSLToolBarHostView : std::int32_t { Chart, DataView };
enum class CTSLViewAlign : std::int32_t { Left, Right, Top, Bottom };

// Event signatures: the sender first.
using Sender = Instance;
using NotifyEvent = CLPEventProperty_1<Sender>;
using KeyEvent = CLPEventProperty_3<Sender, Int, Int>;
using KeyPressEvent = CLPEventProperty_2<Sender, Int>;
using MouseEvent = CLPEventProperty_5<Sender, Int, Int, Int, Int>;
using MouseMoveEvent = CLPEventProperty_4<Sender, Int, Int, Int>;
using DataToolTipEvent = CLPEventProperty_6<Sender, Int, Int, Int, double, Instance>;
using ChannelEvent = CLPEventProperty_2<Sender, Int>;
using DrawEvent = CLPEventProperty_3<Sender, Instance, Int>;
using LabelEvent = CLPEventProperty_3<Sender, double, Instance>;
using PositionEvent = CLPEventProperty_2<Sender, Int>;

// --- plain groups

TRGUI_WRAPPER(CTSLDisplayComponent, CLPClassProperty) };
TRGUI_WRAPPER(CTSLDisplayPersistent, CLPClassProperty) };
TRGUI_WRAPPER(CTSLDisplayProperty, CLPClassProperty) };
TRGUI_WRAPPER(CTSLVisibleDisplayProperty, CTSLDisplayProperty) TRGUI_PROP(Bool, Visible) };
TRGUI_WRAPPER(CTSLDisplayGridLineSettings, CTSLVisibleDisplayProperty) TRGUI_OBJ(CTPen, Pen) };
TRGUI_WRAPPER(CTSLDisplayGridDirectionalLinesSettings, CTSLDisplayProperty)
    TRGUI_OBJ(CTSLDisplayGridLineSettings, Lines) TRGUI_OBJ(CTSLDisplayGridLineSettings, ZeroLine) };
TRGUI_WRAPPER(CTSLDisplayOptionalValue, CTSLDisplayPersistent) TRGUI_PROP(double, Value) TRGUI_PROP(Bool, Enabled) };
TRGUI_WRAPPER(CTSLDisplayValueRange, CLPClassProperty)
    TRGUI_OBJ(CTSLDisplayOptionalValue, High) TRGUI_OBJ(CTSLDisplayOptionalValue, Low) };
TRGUI_WRAPPER(CTSLOffset, CLPClassProperty) TRGUI_PROP(Int, CX) TRGUI_PROP(Int, CY) };
TRGUI_WRAPPER(CTSLCoordinateOffset, CTSLOffset) TRGUI_ENUM(CTSLCoordinateMode, CoordinateMode) };
TRGUI_WRAPPER(CTSLToolBarPosition, CTSLCoordinateOffset)
    TRGUI_ENUM(CTSLCoordinateMode, CoordinateMode) TRGUI_ENUM(CTSLToolBarHostView, HostView) };
TRGUI_WRAPPER(CTSLDisplayAxisCursorSettings, CLPClassProperty) TRGUI_PROP(Bool, SnapToSample) };
TRGUI_WRAPPER(CTSLDisplayViewSize, CLPClassProperty) TRGUI_PROP(Bool, AutoSize) TRGUI_PROP(Int, Size) };
TRGUI_WRAPPER(CTSLDisplayViewBackground, CLPClassProperty) TRGUI_PROP(UInt, Color) TRGUI_PROP(Bool, UseControlColor) };
TRGUI_WRAPPER(CTSLMinorTicks, CLPClassProperty) TRGUI_PROP(Int, Count) };
TRGUI_WRAPPER(CTSLMajorTicksParam, CLPClassProperty) TRGUI_ENUM(CTSLMajorTicksMode, Mode) };
TRGUI_WRAPPER(CTSLTicksStart, CTSLMajorTicksParam) TRGUI_PROP(double, StartFrom) };
TRGUI_WRAPPER(CTSLMajorTicks, CTSLMajorTicksParam) TRGUI_OBJ(CTSLTicksStart, StartFrom) TRGUI_PROP(double, Step) };
TRGUI_WRAPPER(CTSLAxisFormat, CLPClassProperty)
    TRGUI_ENUM(CTSLPrecisionMode, PrecisionMode) TRGUI_PROP(Int, Precision) TRGUI_PROP(Bool, FixedPrecision) };
TRGUI_WRAPPER(CTSLScopeAutoScalingSpace, CLPClassProperty) TRGUI_PROP(double, Space) TRGUI_PROP(double, Threshold) };
TRGUI_WRAPPER(CTSLScopeAutoScaling, CLPClassProperty)
    TRGUI_OBJ(CTSLScopeAutoScalingSpace, SpaceAbove) TRGUI_OBJ(CTSLScopeAutoScalingSpace, SpaceBelow)
    TRGUI_PROP(Bool, Enabled) TRGUI_PROP(UInt, MaxHistory) };
TRGUI_WRAPPER(CTSLScopeXAxisUnitScale, CLPClassProperty) TRGUI_PROP(Bool, AutoScale) TRGUI_PROP(Int, Exponent) };
TRGUI_WRAPPER(CTSLScopeMaxSample, CLPClassProperty) TRGUI_PROP(Bool, Autosize) TRGUI_PROP(UInt, Value) };
TRGUI_WRAPPER(CTSLDisplayTrails, CLPClassProperty) TRGUI_OBJ(CTFont, Font) TRGUI_PROP(UInt, Color) };
TRGUI_WRAPPER(CTOWPinListBasicProperty, CLPClassProperty) };
TRGUI_WRAPPER(CTOWPinListProperty, CTOWPinListBasicProperty) };
TRGUI_WRAPPER(CTLPComponentElements, CLPComponentCollectionBase) };

// Brush colour and style are reached through methods only.
TRGUI_WRAPPER(CTSLDisplayBrush, CLPClassProperty)
    TRGUI_FIND_IN(kBasicPackage)
    UInt GetColor();
    void SetColor(UInt color);
    Int GetStyle();
    void SetStyle(Int style);
    CLPAccessProperty<CTSLDisplayBrush, UInt> Color{this, &CTSLDisplayBrush::GetColor, &CTSLDisplayBrush::SetColor};
    CLPAccessProperty<CTSLDisplayBrush, Int> Style{this, &CTSLDisplayBrush::GetStyle, &CTSLDisplayBrush::SetStyle};
};

// --- labels, buttons, tool bars

TRGUI_WRAPPER(CTSLBasicOptionalLabel, CLPClassProperty) TRGUI_PROP(Bool, Visible) };
TRGUI_WRAPPER(CTSLOptionalLabel, CTSLBasicOptionalLabel) TRGUI_OBJ(CTFont, Font) };
TRGUI_WRAPPER(CTSLDisplayLabel, CTSLOptionalLabel) TRGUI_PROP(QString, Text) };
TRGUI_WRAPPER(CTSLDisplayTitleLabel, CTSLDisplayLabel) };

// Caption is our component's own addition: the page gives the buttons their
// texts in the program's language.
TRGUI_WRAPPER(CTSLDisplayToolBarButton, CLPClassProperty)
    TRGUI_EVENT(NotifyEvent, OnClick) TRGUI_PROP(Bool, Visible) TRGUI_PROP(QString, Caption) };
TRGUI_WRAPPER(CTSLDisplayToolBarButtons, CLPClassProperty)
    TRGUI_OBJ(CTSLDisplayToolBarButton, Setup) TRGUI_OBJ(CTSLDisplayToolBarButton, Hold)
    TRGUI_OBJ(CTSLDisplayToolBarButton, ZoomOff) TRGUI_OBJ(CTSLDisplayToolBarButton, ZoomPrevious)
    TRGUI_OBJ(CTSLDisplayToolBarButton, ZoomNext) TRGUI_OBJ(CTSLDisplayToolBarButton, ZoomIn)
    TRGUI_OBJ(CTSLDisplayToolBarButton, ZoomOut) TRGUI_OBJ(CTSLDisplayToolBarButton, ZoomMode)
    TRGUI_OBJ(CTSLDisplayToolBarButton, XYZoomOn) TRGUI_OBJ(CTSLDisplayToolBarButton, Copy)
    TRGUI_OBJ(CTSLDisplayToolBarButton, Print) TRGUI_OBJ(CTSLDisplayToolBarButton, Save) };
TRGUI_WRAPPER(CTSLAxisToolBarButtons, CLPClassProperty)
    TRGUI_OBJ(CTSLDisplayToolBarButton, ZoomIn) TRGUI_OBJ(CTSLDisplayToolBarButton, ZoomOut)
    TRGUI_OBJ(CTSLDisplayToolBarButton, ZoomOff) TRGUI_OBJ(CTSLDisplayToolBarButton, ZoomOneDir) };
TRGUI_WRAPPER(CTSLBasicDisplayToolBar, CTSLDisplayComponent)
    TRGUI_PROP(Bool, Visible) TRGUI_PROP(Bool, AutoHide) TRGUI_PROP(UInt, GlyphColor) TRGUI_PROP(UInt, BorderColor)
    TRGUI_PROP(UInt, ButtonColor) TRGUI_PROP(UInt, MouseOverBorderColor) TRGUI_PROP(UInt, MouseOverButtonColor)
    TRGUI_PROP(UInt, MouseDownBorderColor) TRGUI_PROP(UInt, MouseDownButtonColor) TRGUI_PROP(UInt, DisabledColor)
    TRGUI_PROP(Int, Cursor) };
TRGUI_WRAPPER(CTSLDisplayToolBar, CTSLBasicDisplayToolBar)
    TRGUI_OBJ(CTSLToolBarPosition, Position) TRGUI_OBJ(CTSLDisplayToolBarButtons, Buttons) };
TRGUI_WRAPPER(CTSLAxisToolBar, CTSLBasicDisplayToolBar) TRGUI_OBJ(CTSLAxisToolBarButtons, Buttons) };
TRGUI_WRAPPER(CTSLViewButtonSettings, CLPClassProperty)
    TRGUI_PROP(UInt, MouseOverBorderColor) TRGUI_PROP(UInt, MouseOverColor) TRGUI_PROP(UInt, MouseDownBorderColor)
    TRGUI_PROP(UInt, MouseDownColor) TRGUI_PROP(Int, Cursor) TRGUI_PROP(Bool, Enabled) };
TRGUI_WRAPPER(CTSLLegendViewButtonSettings, CTSLViewButtonSettings)
    TRGUI_PROP(UInt, GlyphColor) TRGUI_PROP(UInt, BorderColor) TRGUI_PROP(UInt, ButtonColor)
    TRGUI_PROP(UInt, DisabledColor) };

// --- zooming

TRGUI_WRAPPER(CTSLDisplayZoom, CTSLDisplayPersistent)
    TRGUI_FIND_IN(kScopePackage)
    TRGUI_PROP(Bool, MouseZoom) TRGUI_PROP(Bool, KeyboardZoom) TRGUI_PROP(UInt, SelectionColor)
    TRGUI_PROP(Bool, MouseWheelEnabled) TRGUI_PROP(Bool, HoldOnZoom) TRGUI_PROP(Bool, HoldOnPan)
    TRGUI_ENUM(CTSLDisplayZoomMode, Mode)
    // Our component's own addition: what the chart says while the user's
    // view is kept and new samples arrive outside it.
    TRGUI_PROP(QString, HeldNotice)
    double GetXMin();
    double GetXMax();
    double GetYMin();
    double GetYMax();
    bool GetIsZoomed();
    CLPReadAccessProperty<CTSLDisplayZoom, double> XMin{this, &CTSLDisplayZoom::GetXMin};
    CLPReadAccessProperty<CTSLDisplayZoom, double> XMax{this, &CTSLDisplayZoom::GetXMax};
    CLPReadAccessProperty<CTSLDisplayZoom, double> YMin{this, &CTSLDisplayZoom::GetYMin};
    CLPReadAccessProperty<CTSLDisplayZoom, double> YMax{this, &CTSLDisplayZoom::GetYMax};
    CLPReadAccessProperty<CTSLDisplayZoom, bool> IsZoomed{this, &CTSLDisplayZoom::GetIsZoomed};
};
TRGUI_WRAPPER(CTSLDisplayAxisZoom, CTSLDisplayPersistent)
    TRGUI_FIND_IN(kScopePackage)
    TRGUI_OBJ(CTSLDisplayValueRange, Range)
    double GetMax();
    double GetMin();
    bool GetIsZoomed();
    CLPReadAccessProperty<CTSLDisplayAxisZoom, double> Max{this, &CTSLDisplayAxisZoom::GetMax};
    CLPReadAccessProperty<CTSLDisplayAxisZoom, double> Min{this, &CTSLDisplayAxisZoom::GetMin};
    CLPReadAccessProperty<CTSLDisplayAxisZoom, bool> IsZoomed{this, &CTSLDisplayAxisZoom::GetIsZoomed};
};

// --- views

TRGUI_WRAPPER(CTSLDisplayView, CTSLDisplayComponent)
    TRGUI_FIND_IN(kScopePackage)
    Int GetLeftProp();
    Int GetTopProp();
    Int GetWidthProp();
    Int GetHeightProp();
    CLPReadAccessProperty<CTSLDisplayView, Int> LeftProp{this, &CTSLDisplayView::GetLeftProp};
    CLPReadAccessProperty<CTSLDisplayView, Int> TopProp{this, &CTSLDisplayView::GetTopProp};
    CLPReadAccessProperty<CTSLDisplayView, Int> WidthProp{this, &CTSLDisplayView::GetWidthProp};
    CLPReadAccessProperty<CTSLDisplayView, Int> HeightProp{this, &CTSLDisplayView::GetHeightProp};
};
TRGUI_WRAPPER(CTSLCustomColorDisplayView, CTSLDisplayView) TRGUI_OBJ(CTSLDisplayViewBackground, Background) };
TRGUI_WRAPPER(CTSLCustomSizeDisplayView, CTSLCustomColorDisplayView) TRGUI_OBJ(CTSLDisplayViewSize, ViewSize) };
TRGUI_WRAPPER(CTSLOptionalView, CTSLCustomSizeDisplayView) TRGUI_ENUM(CTSLViewAlign, Align) TRGUI_PROP(Bool, Visible) };
TRGUI_WRAPPER(CTSLDisplayTitle, CTSLOptionalView) TRGUI_OBJ(CTFont, Font) TRGUI_PROP(QString, Text) };
TRGUI_WRAPPER(CTSLScopeDataView, CTSLCustomColorDisplayView) TRGUI_OBJ(CTPen, Border) };

// --- collections

TRGUI_WRAPPER(CTSLDisplayCollectionItem, CLPClassProperty) TRGUI_PROP(QString, Name) TRGUI_PROP(Int, Tag) };
TRGUI_WRAPPER(CTSLOptionalDisplayCollectionItem, CTSLDisplayCollectionItem) TRGUI_PROP(Bool, Visible) };

template <class Item>
TRGUI_WRAPPER(CTSLDisplayCollection, CLPCollectionProperty<Item>) };
template <class Item>
TRGUI_WRAPPER(CTSLOptionalDisplayCollection, CTSLDisplayCollection<Item>) };
template <class Item>
TRGUI_WRAPPER(CTSLDisplayChannels, CTSLOptionalDisplayCollection<Item>) };
template <class Item>
TRGUI_WRAPPER(CTSLBasicDisplayZones, CTSLOptionalDisplayCollection<Item>) };

TRGUI_WRAPPER(CTSLDisplayChannelLink, CTSLOptionalDisplayCollectionItem) };
TRGUI_WRAPPER(CTSLDisplayCursorLink, CTSLDisplayCollectionItem) };
TRGUI_WRAPPER(CTSLDisplayCursor, CTSLOptionalDisplayCollectionItem) };
TRGUI_WRAPPER(CTSLDisplayZone, CTSLOptionalDisplayCollectionItem) };
TRGUI_WRAPPER(CTSLDisplayEllipticZone, CTSLOptionalDisplayCollectionItem) };
TRGUI_WRAPPER(CTSLScopeMarkerGroup, CTSLOptionalDisplayCollectionItem) };
TRGUI_WRAPPER(CTSLScopeChannelMarker, CTSLOptionalDisplayCollectionItem) };
TRGUI_WRAPPER(CTSLLegendGroupCollectionItem, CTSLDisplayCollectionItem) };

TRGUI_WRAPPER(CTSLDisplayChannelLinks, CTSLOptionalDisplayCollection<CTSLDisplayChannelLink>) };
TRGUI_WRAPPER(CTSLDisplayCursorLinks, CTSLDisplayCollection<CTSLDisplayCursorLink>)
    TRGUI_EVENT(PositionEvent, OnPositionChange) };
TRGUI_WRAPPER(CTSLDisplayCursors, CTSLOptionalDisplayCollection<CTSLDisplayCursor>)
    TRGUI_EVENT(PositionEvent, OnPositionChange) };
TRGUI_WRAPPER(CTSLDisplayZones, CTSLBasicDisplayZones<CTSLDisplayZone>) };
TRGUI_WRAPPER(CTSLDisplayEllipticZones, CTSLBasicDisplayZones<CTSLDisplayEllipticZone>) };
TRGUI_WRAPPER(CTSLScopeMarkerGroups, CTSLOptionalDisplayCollection<CTSLScopeMarkerGroup>)
    TRGUI_EVENT(NotifyEvent, OnClick) };
TRGUI_WRAPPER(CTSLScopeChannelMarkers, CTSLDisplayCollection<CTSLScopeChannelMarker>) };
TRGUI_WRAPPER(CTSLLegendGroupCollection, CTSLDisplayCollection<CTSLLegendGroupCollectionItem>) };

// --- axes

TRGUI_WRAPPER(CTSLAssociatedChannelLinkList, CLPClassProperty)
    TRGUI_FIND_IN(kScopePackage)
    Int GetCount();
    CLPReadAccessProperty<CTSLAssociatedChannelLinkList, Int> Count{this, &CTSLAssociatedChannelLinkList::GetCount};
};

TRGUI_WRAPPER(CTSLOptionalAxis, CTSLOptionalView)
    TRGUI_EVENT(LabelEvent, OnCustomStep) TRGUI_OBJ(CTSLMinorTicks, MinorTicks) TRGUI_OBJ(CTSLMajorTicks, MajorTicks) };
TRGUI_WRAPPER(CTSLTrackingOptionalAxis, CTSLOptionalAxis) TRGUI_PROP(Bool, TrackCursor) TRGUI_PROP(UInt, TrackColor) };
TRGUI_WRAPPER(CTSLDisplayAxis, CTSLTrackingOptionalAxis)
    TRGUI_EVENT(LabelEvent, OnCustomLabel) TRGUI_OBJ(CTSLAxisFormat, Format) TRGUI_OBJ(CTFont, Font)
    TRGUI_OBJ(CTSLAxisToolBar, ToolBar) TRGUI_OBJ(CTSLViewButtonSettings, Button)
    TRGUI_OBJ(CTSLDisplayTitleLabel, AxisLabel) TRGUI_ENUM(CTSLScaleMode, ScaleMode)
    double GetCurrentMax();
    double GetCurrentMin();
    Instance GetVC_AssociatedChannels();
    CLPReadAccessProperty<CTSLDisplayAxis, double> CurrentMax{this, &CTSLDisplayAxis::GetCurrentMax};
    CLPReadAccessProperty<CTSLDisplayAxis, double> CurrentMin{this, &CTSLDisplayAxis::GetCurrentMin};
    CTSLAssociatedChannelLinkList AssociatedChannels{this, [this] { return GetVC_AssociatedChannels(); }};
};

TRGUI_WRAPPER(CTSLBasicAxisValue, CLPClassProperty)
    TRGUI_PROP(Bool, AutoScale) TRGUI_PROP(double, Value) TRGUI_OBJ(CTSLDisplayValueRange, Range)
    TRGUI_PROP(double, DataValue) };
TRGUI_WRAPPER(CTSLBasicScopeAxisValue, CTSLBasicAxisValue) };
TRGUI_WRAPPER(CTSLScopeAxisValue, CTSLBasicScopeAxisValue) TRGUI_OBJ(CTSLDisplayOptionalValue, Tick) };
TRGUI_WRAPPER(CTSLMaxScopeAxisValue, CTSLScopeAxisValue) TRGUI_ENUM(CTSLMaxAxisMode, Mode) };

TRGUI_WRAPPER(CTSLBasicDisplayYAxis, CTSLDisplayAxis)
    TRGUI_OBJ(CTSLDisplayAxisCursorSettings, CursorSettings) TRGUI_OBJ(CTSLDisplayAxisZoom, Zooming)
    TRGUI_PROP(Bool, Reversed) };
TRGUI_WRAPPER(CTSLDisplayYAxis, CTSLBasicDisplayYAxis) TRGUI_OBJ(CTSLDisplayGridDirectionalLinesSettings, DataView) };
TRGUI_WRAPPER(CTSLBasicScopeYAxis, CTSLDisplayYAxis)
    TRGUI_OBJ(CTSLBasicScopeAxisValue, Min) TRGUI_OBJ(CTSLBasicScopeAxisValue, Max)
    TRGUI_OBJ(CTSLScopeAutoScaling, AutoScaling) };
TRGUI_WRAPPER(CTSLAdditionalScopeYAxis, CTSLBasicScopeYAxis) };
TRGUI_WRAPPER(CTSLScopeYAxesCollectionItem, CTSLDisplayCollectionItem) TRGUI_OBJ(CTSLAdditionalScopeYAxis, Axis) };
TRGUI_WRAPPER(CTSLScopeYAxesCollection, CTSLDisplayCollection<CTSLScopeYAxesCollectionItem>) };
TRGUI_WRAPPER(CTSLScopeYAxis, CTSLBasicScopeYAxis) TRGUI_OBJ(CTSLScopeYAxesCollection, AdditionalAxes) };

TRGUI_WRAPPER(CTSLBasicDisplayXAxis, CTSLDisplayAxis)
    TRGUI_FIND_IN(kScopePackage)
    TRGUI_OBJ(CTSLDisplayAxisCursorSettings, CursorSettings) TRGUI_OBJ(CTSLDisplayAxisZoom, Zooming)
    TRGUI_ENUM(CTSLDisplayAxisTicksMode, TicksMode)
    Int GetVC_Samples();
    CLPReadAccessProperty<CTSLBasicDisplayXAxis, Int> Samples{this, &CTSLBasicDisplayXAxis::GetVC_Samples};
};
TRGUI_WRAPPER(CTSLDisplayXAxis, CTSLBasicDisplayXAxis) TRGUI_OBJ(CTSLDisplayGridDirectionalLinesSettings, DataView) };
TRGUI_WRAPPER(CTSLBasicScopeXAxis, CTSLDisplayXAxis)
    TRGUI_OBJ(CTSLScopeXAxisUnitScale, UnitScale) TRGUI_OBJ(CTSLScopeAxisValue, Min)
    TRGUI_OBJ(CTSLMaxScopeAxisValue, Max) TRGUI_OBJ(CTSLScopeMaxSample, MaxSample) };
TRGUI_WRAPPER(CTSLAdditionalScopeXAxis, CTSLBasicScopeXAxis) };
TRGUI_WRAPPER(CTSLScopeXAxesCollectionItem, CTSLDisplayCollectionItem) TRGUI_OBJ(CTSLAdditionalScopeXAxis, Axis) };
TRGUI_WRAPPER(CTSLScopeXAxesCollection, CTSLDisplayCollection<CTSLScopeXAxesCollectionItem>) };
TRGUI_WRAPPER(CTSLScopeXAxis, CTSLBasicScopeXAxis)
    TRGUI_OBJ(CTSLScopeXAxesCollection, AdditionalAxes) };

// --- legend, highlighting

TRGUI_WRAPPER(CTSLLegendGroup, CLPClassProperty)
    TRGUI_EVENT(ChannelEvent, OnItemClick) TRGUI_OBJ(CTSLDisplayLabel, Caption) TRGUI_PROP(Bool, Visible)
    TRGUI_PROP(Int, Cursor) };
TRGUI_WRAPPER(CTSLLegendView, CTSLOptionalView)
    TRGUI_OBJ(CTFont, Font) TRGUI_OBJ(CTSLLegendViewButtonSettings, Buttons) };
TRGUI_WRAPPER(CTSLScopeLegendView, CTSLLegendView)
    TRGUI_OBJ(CTSLLegendGroup, Channels) TRGUI_OBJ(CTSLLegendGroup, ChannelLinks) TRGUI_OBJ(CTSLLegendGroup, MarkerGroups)
    TRGUI_OBJ(CTSLLegendGroup, Zones) TRGUI_OBJ(CTSLLegendGroup, Ellipses) TRGUI_OBJ(CTSLLegendGroup, Cursors)
    TRGUI_OBJ(CTSLLegendGroup, CursorLinks) TRGUI_OBJ(CTSLLegendGroupCollection, CustomGroups) };

TRGUI_WRAPPER(CTSLDisplayItemHighlighting, CTSLDisplayPersistent)
    TRGUI_PROP(Bool, HiglightLegendButton) TRGUI_PROP(Bool, HiglightFromLegend) TRGUI_PROP(Bool, HiglightFromMouse)
    TRGUI_PROP(UInt, Color) };
TRGUI_WRAPPER(CTSLChannelItemHighlighting, CTSLDisplayItemHighlighting) TRGUI_PROP(Bool, HiglightFromMouse) };
TRGUI_WRAPPER(CTSLChannelMouseHitPoint, CTSLDisplayPersistent)
    TRGUI_OBJ(CTSLDisplayLabel, PointLabel) TRGUI_PROP(Bool, Enabled) TRGUI_PROP(UInt, Color)
    TRGUI_PROP(Bool, UseChannelColor) };
TRGUI_WRAPPER(CTSLDisplayHighlighting, CLPClassProperty)
    TRGUI_OBJ(CTSLChannelItemHighlighting, Channels) TRGUI_OBJ(CTSLDisplayItemHighlighting, ChannelLinks)
    TRGUI_OBJ(CTSLDisplayItemHighlighting, Markers) TRGUI_OBJ(CTSLDisplayItemHighlighting, Zones)
    TRGUI_OBJ(CTSLDisplayItemHighlighting, Ellipses) TRGUI_OBJ(CTSLDisplayItemHighlighting, Cursors)
    TRGUI_OBJ(CTSLDisplayItemHighlighting, CursorLinks) TRGUI_OBJ(CTSLChannelMouseHitPoint, MouseHitPoint) };

// --- channels

TRGUI_WRAPPER(CTSLScopePoints, CLPClassProperty)
    TRGUI_OBJ(CTSLDisplayBrush, Brush) TRGUI_OBJ(CTPen, Pen) TRGUI_PROP(Bool, Visible)
    TRGUI_ENUM(CTSLScopePointsShape, Shape) TRGUI_PROP(Int, Size) TRGUI_PROP(Bool, UseChannelColor) };

// A channel's data, handed out by the channel through a method.
TRGUI_WRAPPER(CTSLChannelData, CLPClassProperty)
    TRGUI_FIND_IN(kScopePackage)
    // n values from the address given; the component reads them as a count.
    void SetYData(const float* values, std::uint32_t n);
    void Clear();
    double GetSampleRate();
    void SetSampleRate(double rate);
    CLPAccessProperty<CTSLChannelData, double> SampleRate{this, &CTSLChannelData::GetSampleRate,
                                                          &CTSLChannelData::SetSampleRate};
};

TRGUI_WRAPPER(CTSLDisplayChannel, CTSLOptionalDisplayCollectionItem)
    TRGUI_FIND_IN(kScopePackage)
    TRGUI_OBJ(CTSLScopePoints, Points) TRGUI_PROP(UInt, Color) TRGUI_PROP(Int, Width)
    TRGUI_ENUM(CTSLScopeChannelMode, ChannelMode)
    Int GetXAxisIndex();
    void SetXAxisIndex(Int index);
    Int GetYAxisIndex();
    void SetYAxisIndex(Int index);
    CLPAccessProperty<CTSLDisplayChannel, Int> XAxisIndex{this, &CTSLDisplayChannel::GetXAxisIndex,
                                                          &CTSLDisplayChannel::SetXAxisIndex};
    CLPAccessProperty<CTSLDisplayChannel, Int> YAxisIndex{this, &CTSLDisplayChannel::GetYAxisIndex,
                                                          &CTSLDisplayChannel::SetYAxisIndex};
};

TRGUI_WRAPPER(CTSLScopeChannel, CTSLDisplayChannel)
    TRGUI_EVENT(DrawEvent, OnSampleDraw) TRGUI_EVENT(DrawEvent, OnChannelDraw)
    TRGUI_OBJ(CTSLScopeChannelMarkers, Markers)
    Instance GetVC_DrawMarkers();
    void SetDrawMarkers(Instance markers);
    Instance GetVC_Data();
    CLPAccessProperty<CTSLScopeChannel, Instance> DrawMarkers{this, &CTSLScopeChannel::GetVC_DrawMarkers,
                                                              &CTSLScopeChannel::SetDrawMarkers};
    CTSLChannelData Data{this, [this] { return GetVC_Data(); }};
};

TRGUI_WRAPPER(CTSLScopeChannels, CTSLDisplayChannels<CTSLScopeChannel>) TRGUI_EVENT(NotifyEvent, OnClick) };

// --- the root chain

class CTSLCustomControlItem : public CLPControl {
public:
    using Inherited = CLPControl;
    TRGUI_FIND_IN(kBasicPackage)
    virtual bool GetHasEnable();
    virtual bool GetCanDisable();
    // At this level creating only loads the basic package.
    virtual bool Create(CLPControl* parent);
    virtual bool Create(QObject* window);

    Int GetIndex();
    void SetIndex(Int index);
    CLPAccessProperty<CTSLCustomControlItem, Int> Index{this, &CTSLCustomControlItem::GetIndex,
                                                        &CTSLCustomControlItem::SetIndex};

protected:
    PackageHandle basicPackage_ = 0;
};

class CTLPControlDrawLayer : public CTSLCustomControlItem {
public:
    using Inherited = CTSLCustomControlItem;
    TRGUI_FIND_IN(kBasicPackage)
    bool Create(CLPControl* parent) override;
    bool Create(QObject* window) override;

protected:
    PackageHandle drawLayerBasicPackage_ = 0;
};

class CTSLDataDisplay : public CTLPControlDrawLayer {
public:
    using Inherited = CTLPControlDrawLayer;
    TRGUI_FIND_IN(kScopePackage)
    bool Create(CLPControl* parent) override;
    bool Create(QObject* window) override;

    virtual void Print();
    virtual void ZoomOff();
    virtual void ZoomBy(double x, double y, bool keepHistory);
    virtual void ZoomBy(double x, double y);
    virtual void ZoomBy(double factor, bool keepHistory);
    virtual void ZoomBy(double factor);
    virtual void ZoomTo(double xMin, double yMin, double xMax, double yMax, bool keepHistory);
    virtual void ZoomTo(double xMin, double yMin, double xMax, double yMax);
    virtual void ZoomToData(double xMin, double yMin, double xMax, double yMax, bool keepHistory);
    virtual void ZoomToData(double xMin, double yMin, double xMax, double yMax);
    virtual void UndoZoom();
    virtual void RedoZoom();
    virtual void ClearZoomUndo();

    bool GetCanRedoZoom();
    bool GetCanUndoZoom();
    bool GetCanZoomOut();
    bool GetCanZoomIn();
    bool GetVC_Hold();
    void SetHold(bool hold);

    TRGUI_EVENT(NotifyEvent, OnZoomChanged) TRGUI_EVENT(DataToolTipEvent, OnDataToolTip)
    TRGUI_EVENT(KeyEvent, OnKeyDown) TRGUI_EVENT(KeyPressEvent, OnKeyPress) TRGUI_EVENT(KeyEvent, OnKeyUp)
    TRGUI_EVENT(NotifyEvent, OnClick) TRGUI_EVENT(NotifyEvent, OnDblClick) TRGUI_EVENT(MouseEvent, OnMouseDown)
    TRGUI_EVENT(MouseMoveEvent, OnMouseMove) TRGUI_EVENT(MouseEvent, OnMouseUp)
    TRGUI_OBJ(CTSLDisplayToolBar, ToolBar) TRGUI_OBJ(CTSLDisplayZoom, Zooming) TRGUI_OBJ(CTLPComponentElements, Elements)
    TRGUI_PROP(UInt, Color) TRGUI_PROP(Int, Cursor) TRGUI_ENUM(CTSLDisplayNavigateMode, NavigateMode)
    TRGUI_PROP(Bool, Visible)
    CLPReadAccessProperty<CTSLDataDisplay, bool> CanRedoZoom{this, &CTSLDataDisplay::GetCanRedoZoom};
    CLPReadAccessProperty<CTSLDataDisplay, bool> CanUndoZoom{this, &CTSLDataDisplay::GetCanUndoZoom};
    CLPReadAccessProperty<CTSLDataDisplay, bool> CanZoomOut{this, &CTSLDataDisplay::GetCanZoomOut};
    CLPReadAccessProperty<CTSLDataDisplay, bool> CanZoomIn{this, &CTSLDataDisplay::GetCanZoomIn};
    CLPAccessProperty<CTSLDataDisplay, bool> Hold{this, &CTSLDataDisplay::GetVC_Hold, &CTSLDataDisplay::SetHold};

protected:
    PackageHandle scopePackage_ = 0;
};

class CTSLDataChart : public CTSLDataDisplay {
public:
    using Inherited = CTSLDataDisplay;
    TRGUI_FIND_IN(kScopePackage)
    bool Create(CLPControl* parent) override;
    bool Create(QObject* window) override;
    using CTSLDataDisplay::ZoomBy;
    using CTSLDataDisplay::ZoomTo;
    using CTSLDataDisplay::ZoomToData;
    void ZoomBy(double x, double y, bool keepHistory) override;
    void ZoomTo(double xMin, double yMin, double xMax, double yMax, bool keepHistory) override;
    void ZoomToData(double xMin, double yMin, double xMax, double yMax, bool keepHistory) override;

    UInt GetRefreshInterval();
    void SetRefreshInterval(UInt milliseconds);

    TRGUI_OBJ(CTOWPinListProperty, InputPins) TRGUI_OBJ(CTOWPinListProperty, XInputPins)
    TRGUI_EVENT(ChannelEvent, OnOverChannel) TRGUI_EVENT(ChannelEvent, OnLeaveChannel)
    TRGUI_OBJ(CTSLScopeYAxis, YAxis) TRGUI_OBJ(CTSLScopeXAxis, XAxis) TRGUI_OBJ(CTSLScopeLegendView, Legend)
    TRGUI_OBJ(CTSLDisplayTitle, Title) TRGUI_OBJ(CTSLScopeDataView, DataView) TRGUI_OBJ(CTSLDisplayTrails, Trails)
    TRGUI_OBJ(CTSLDisplayHighlighting, Highlighting) TRGUI_PROP(Bool, CursorsStayInView)
    CLPAccessProperty<CTSLDataChart, UInt> RefreshInterval{this, &CTSLDataChart::GetRefreshInterval,
                                                           &CTSLDataChart::SetRefreshInterval};

protected:
    PackageHandle chartScopePackage_ = 0;
};

// The root wrapper: creates the "TSLScope" component and frees it once.
class CTSLScope : public CTSLDataChart {
public:
    using Inherited = CTSLDataChart;
    CTSLScope() = default;

    TRGUI_FIND_IN(kScopePackage)
    // Creates the component in the parent (a 0 window is refused), freeing
    // one this wrapper created before. False when nothing was created.
    bool Create(CLPControl* parent) override;
    bool Create(QObject* window) override;
    void Invalidate() override;
    void Print() override;

    TRGUI_EVENT(LabelEvent, OnCustomMouseHitLabel)
    TRGUI_OBJ(CTSLScopeMarkerGroups, MarkerGroups) TRGUI_OBJ(CTSLDisplayZones, Zones)
    TRGUI_OBJ(CTSLDisplayEllipticZones, Ellipses) TRGUI_OBJ(CTSLScopeChannels, Channels)
    TRGUI_OBJ(CTSLDisplayCursors, Cursors) TRGUI_OBJ(CTSLDisplayCursorLinks, CursorLinks)
    TRGUI_OBJ(CTSLDisplayChannelLinks, ChannelLinks)
    TRGUI_PROP(Bool, Vertical) TRGUI_PROP(UInt, SizeLimit)

private:
    bool adopt(HostHandle handle);
    PackageHandle ownScopePackage_ = 0;
};

} // namespace trgui::scope
