#include "scope/scope_model.h"

#include <array>

namespace trgui::scope {

namespace {
// Default channel colours, 0x00BBGGRR: red, blue, green, magenta.
constexpr std::array<uint, 4> kChannelColours{0x000000D0, 0x00D06000, 0x00008000, 0x00C000C0};
} // namespace

AxisNode::AxisNode(const QString& name, QObject* parent, double minValue, double maxValue)
    : ModelNode(name, parent),
      min(new AxisValueNode(QStringLiteral("Min"), this, minValue)),
      max(new AxisValueNode(QStringLiteral("Max"), this, maxValue)),
      format(new AxisFormatNode(QStringLiteral("Format"), this)),
      label(new LabelNode(QStringLiteral("AxisLabel"), this)),
      autoScaling(new AutoScalingNode(QStringLiteral("AutoScaling"), this))
{
}

QObject* CollectionNode::add()
{
    QObject* item = makeItem(QString::number(items_.size()));
    items_.push_back(item);
    emit itemAdded(count() - 1);
    return item;
}

ChannelNode::ChannelNode(const QString& objectName, QObject* parent, uint defaultColor)
    : ModelNode(objectName, parent), color(defaultColor), data(new ChannelDataNode(QStringLiteral("Data"), this))
{
}

QObject* ChannelsNode::makeItem(const QString& name)
{
    const auto index = static_cast<std::size_t>(count()) % kChannelColours.size();
    auto* channel = new ChannelNode(name, this, kChannelColours[index]);
    channel->name = QStringLiteral("Channel %1").arg(count());
    return channel;
}

AxisNode* AdditionalAxesNode::axis(int index) const
{
    QObject* entry = item(index);
    return entry ? entry->findChild<AxisNode*>(QStringLiteral("Axis"), Qt::FindDirectChildrenOnly) : nullptr;
}

QObject* AdditionalAxesNode::makeItem(const QString& name)
{
    auto* entry = new ModelNode(name, this);
    new AxisNode(QStringLiteral("Axis"), entry, 0, 10);
    return entry;
}

ScopeModel::ScopeModel(QObject* parent) : ModelNode(QStringLiteral("Scope"), parent)
{
    yAxis = new AxisNode(QStringLiteral("YAxis"), this, -1000, 1000);
    additionalAxes = new AdditionalAxesNode(QStringLiteral("AdditionalAxes"), yAxis);
    xAxis = new AxisNode(QStringLiteral("XAxis"), this, 0, 1000);
    xAxis->format->precision = 0;
    legend = new VisibleNode(QStringLiteral("Legend"), this, false);
    legendMarkerGroups = new VisibleNode(QStringLiteral("MarkerGroups"), legend);
    legendChannels = new VisibleNode(QStringLiteral("Channels"), legend);
    title = new LabelNode(QStringLiteral("Title"), this);
    auto* dataView = new ModelNode(QStringLiteral("DataView"), this);
    dataViewBackground = new BackgroundNode(QStringLiteral("Background"), dataView);
    channels = new ChannelsNode(QStringLiteral("Channels"), this);
    channels->add();  // a new scope has one channel
    toolBar = new VisibleNode(QStringLiteral("ToolBar"), this);
    auto* buttons = new ModelNode(QStringLiteral("Buttons"), toolBar);
    holdButton = new ToolButtonNode(QStringLiteral("Hold"), buttons, QStringLiteral("Hold"));
    zoomOffButton = new ToolButtonNode(QStringLiteral("ZoomOff"), buttons, QStringLiteral("Zoom off"));
    copyButton = new ToolButtonNode(QStringLiteral("Copy"), buttons, QStringLiteral("Copy"));
    saveButton = new ToolButtonNode(QStringLiteral("Save"), buttons, QStringLiteral("Save"));
    zooming = new ZoomNode(QStringLiteral("Zooming"), this);
}

QObject* resolveObjectPath(QObject* root, const QString& path)
{
    QObject* node = root;
    if (path.isEmpty())
        return node;
    for (const auto& name : path.split(QLatin1Char('.'))) {
        if (!node || name.isEmpty())
            return nullptr;
        node = node->findChild<QObject*>(name, Qt::FindDirectChildrenOnly);
    }
    return node;
}

} // namespace trgui::scope
