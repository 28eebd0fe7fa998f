#pragma once

// The published object model of our scope component: a tree of QObjects
// whose object names are the property names of a path and whose Q_PROPERTYs
// are the values. The component reads it when it draws.

#include <QObject>
#include <QString>
#include <QVector>

#include <cstdint>

namespace trgui::scope {

class ModelNode : public QObject {
    Q_OBJECT
public:
    ModelNode(const QString& name, QObject* parent) : QObject(parent) { setObjectName(name); }
};

class AxisValueNode : public ModelNode {
    Q_OBJECT
    Q_PROPERTY(double Value MEMBER value)
    Q_PROPERTY(bool AutoScale MEMBER autoScale)
    Q_PROPERTY(double DataValue MEMBER dataValue)
public:
    AxisValueNode(const QString& name, QObject* parent, double initial) : ModelNode(name, parent), value(initial) {}
    double value = 0;
    bool autoScale = false;
    double dataValue = 0;
};

class AxisFormatNode : public ModelNode {
    Q_OBJECT
    Q_PROPERTY(int Precision MEMBER precision)
    Q_PROPERTY(bool FixedPrecision MEMBER fixedPrecision)
    Q_PROPERTY(int PrecisionMode MEMBER precisionMode)
public:
    using ModelNode::ModelNode;
    int precision = 2;
    bool fixedPrecision = false;
    int precisionMode = 0;
};

class LabelNode : public ModelNode {
    Q_OBJECT
    Q_PROPERTY(QString Text MEMBER text)
    Q_PROPERTY(bool Visible MEMBER visible)
public:
    using ModelNode::ModelNode;
    QString text;
    bool visible = true;
};

class AutoScalingNode : public ModelNode {
    Q_OBJECT
    Q_PROPERTY(bool Enabled MEMBER enabled)
    Q_PROPERTY(uint MaxHistory MEMBER maxHistory)
public:
    using ModelNode::ModelNode;
    bool enabled = false;
    uint maxHistory = 0;
};

class VisibleNode : public ModelNode {
    Q_OBJECT
    Q_PROPERTY(bool Visible MEMBER visible)
public:
    VisibleNode(const QString& name, QObject* parent, bool initial = true) : ModelNode(name, parent), visible(initial) {}
    bool visible = true;
};

class BackgroundNode : public ModelNode {
    Q_OBJECT
    Q_PROPERTY(uint Color MEMBER color)
    Q_PROPERTY(bool UseControlColor MEMBER useControlColor)
public:
    using ModelNode::ModelNode;
    uint color = 0x00FFFFFF;
    bool useControlColor = false;
};

class ToolButtonNode : public ModelNode {
    Q_OBJECT
    Q_PROPERTY(bool Visible MEMBER visible)
    Q_PROPERTY(QString Caption MEMBER caption)
public:
    ToolButtonNode(const QString& name, QObject* parent, const QString& initial)
        : ModelNode(name, parent), caption(initial)
    {
    }
    bool visible = true;
    QString caption;
};

class ZoomNode : public ModelNode {
    Q_OBJECT
    Q_PROPERTY(bool MouseZoom MEMBER mouseZoom)
    Q_PROPERTY(bool MouseWheelEnabled MEMBER mouseWheelEnabled)
    Q_PROPERTY(bool KeyboardZoom MEMBER keyboardZoom)
    Q_PROPERTY(bool HoldOnZoom MEMBER holdOnZoom)
    Q_PROPERTY(bool HoldOnPan MEMBER holdOnPan)
    Q_PROPERTY(QString HeldNotice MEMBER heldNotice)
public:
    using ModelNode::ModelNode;
    QString heldNotice;  // shown while the view is zoomed or moved
    bool mouseZoom = true;
    bool mouseWheelEnabled = true;
    bool keyboardZoom = true;
    bool holdOnZoom = false;
    bool holdOnPan = false;
};

// An axis: Min, Max, Format, AxisLabel, AutoScaling.
class AxisNode : public ModelNode {
    Q_OBJECT
    Q_PROPERTY(bool Visible MEMBER visible)
public:
    AxisNode(const QString& name, QObject* parent, double min, double max);
    bool visible = true;
    AxisValueNode* min;
    AxisValueNode* max;
    AxisFormatNode* format;
    LabelNode* label;
    AutoScalingNode* autoScaling;
};

// A collection: items are children named by their index.
class CollectionNode : public ModelNode {
    Q_OBJECT
    Q_PROPERTY(int Count READ count)
public:
    using ModelNode::ModelNode;
    int count() const { return static_cast<int>(items_.size()); }
    QObject* item(int index) const { return index >= 0 && index < count() ? items_[index] : nullptr; }
    QObject* add();

signals:
    void itemAdded(int index);

protected:
    virtual QObject* makeItem(const QString& name) = 0;

private:
    QVector<QObject*> items_;
};

class ChannelDataNode : public ModelNode {
    Q_OBJECT
public:
    using ModelNode::ModelNode;
    QVector<double> values;
    double sampleRate = 1;
};

class ChannelNode : public ModelNode {
    Q_OBJECT
    Q_PROPERTY(QString Name MEMBER name)
    Q_PROPERTY(uint Color MEMBER color)
    Q_PROPERTY(int Width MEMBER width)
    Q_PROPERTY(bool Visible MEMBER visible)
    Q_PROPERTY(int Tag MEMBER tag)
public:
    ChannelNode(const QString& name, QObject* parent, uint defaultColor);
    QString name;
    uint color;
    int width = 2;
    bool visible = true;
    int tag = 0;
    int xAxisIndex = 0;
    int yAxisIndex = 0;
    ChannelDataNode* data;
};

class ChannelsNode : public CollectionNode {
    Q_OBJECT
public:
    using CollectionNode::CollectionNode;
    ChannelNode* channel(int index) const { return static_cast<ChannelNode*>(item(index)); }

protected:
    QObject* makeItem(const QString& name) override;
};

class AdditionalAxesNode : public CollectionNode {
    Q_OBJECT
public:
    using CollectionNode::CollectionNode;
    AxisNode* axis(int index) const;

protected:
    QObject* makeItem(const QString& name) override;
};

// The root of the model: the paths of a component start here.
class ScopeModel : public ModelNode {
    Q_OBJECT
    Q_PROPERTY(bool Vertical MEMBER vertical)
    Q_PROPERTY(uint SizeLimit MEMBER sizeLimit)
    Q_PROPERTY(bool CursorsStayInView MEMBER cursorsStayInView)
public:
    explicit ScopeModel(QObject* parent);

    bool vertical = false;
    uint sizeLimit = 0;
    bool cursorsStayInView = false;

    AxisNode* yAxis;
    AdditionalAxesNode* additionalAxes;
    AxisNode* xAxis;
    VisibleNode* legend;
    VisibleNode* legendMarkerGroups;
    VisibleNode* legendChannels;
    LabelNode* title;
    BackgroundNode* dataViewBackground;
    ChannelsNode* channels;
    VisibleNode* toolBar;
    ToolButtonNode* holdButton;
    ToolButtonNode* zoomOffButton;
    ToolButtonNode* copyButton;
    ToolButtonNode* saveButton;
    ZoomNode* zooming;
};

// Resolves a dot-separated path of child names from root; nullptr when a
// name is missing.
QObject* resolveObjectPath(QObject* root, const QString& path);

} // namespace trgui::scope
