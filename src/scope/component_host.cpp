#include "scope/component_host.h"

#include "scope/scope_component.h"

#include <qcustomplot.h>

#include <QCoreApplication>
#include <QLayout>
#include <QMetaProperty>
#include <QVBoxLayout>

#include <array>

namespace trgui::scope {

namespace {

constexpr std::array<const char*, 3> kPackages{kRtlPackage, kScopePackage, kBasicPackage};
enum Package : PackageHandle { Rtl = 1, Scope = 2, Basic = 3 };

// Typed access to method arguments; a wrong count or type refuses the call.
template <typename T>
bool take(std::span<const MethodArg> args, std::size_t i, T& out)
{
    if (i >= args.size() || !std::holds_alternative<T>(args[i]))
        return false;
    out = std::get<T>(args[i]);
    return true;
}

ScopeComponent* componentOf(QObject* object)
{
    for (QObject* o = object; o; o = o->parent()) {
        if (auto* component = qobject_cast<ScopeComponent*>(o))
            return component;
    }
    return nullptr;
}

MethodValue integer(std::int64_t v)
{
    return {v, 0};
}
MethodValue real(double v)
{
    return {0, v};
}

struct Call {
    ComponentHost& host;
    QObject* target;
    std::span<const MethodArg> args;
    ScopeComponent* component() const { return componentOf(target); }
    template <typename T>
    T* as() const { return qobject_cast<T*>(target); }
};

using Handler = MethodValue (*)(const Call&);

struct Symbol {
    Package package;
    const char* name;
    Handler handler;
};

// The component methods our scope implements, by package and symbol.
const Symbol kSymbols[] = {
    {Rtl, "@Classes@TCollection@Add$qqrv",
     [](const Call& c) {
         auto* collection = c.as<CollectionNode>();
         return collection ? integer(c.host.instanceOf(collection->add())) : MethodValue{};
     }},
    {Rtl, "@Controls@TControl@Invalidate$qqrv",
     [](const Call& c) {
         if (auto* s = c.component())
             s->modelChanged();
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLScope@Invalidate$qqrv",
     [](const Call& c) {
         if (auto* s = c.component(); s && c.as<ScopeModel>())
             s->modelChanged();
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLScope@Print$qqrv",
     [](const Call& c) {
         if (auto* s = c.component(); s && c.as<ScopeModel>())
             s->print();
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLDataDisplay@Print$qqrv",
     [](const Call& c) {
         if (auto* s = c.component(); s && c.as<ScopeModel>())
             s->print();
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLDataChart@SetRefreshInterval$qqrui",
     [](const Call& c) {
         std::uint32_t ms = 0;
         if (auto* s = c.component(); s && c.as<ScopeModel>() && take(c.args, 0, ms))
             s->setRefreshInterval(ms);
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLDataChart@GetRefreshInterval$qqrv",
     [](const Call& c) {
         auto* s = c.component();
         return s && c.as<ScopeModel>() ? integer(s->refreshInterval()) : MethodValue{};
     }},
    {Scope, "@Slscope@TSLDataDisplay@SetHold$qqro",
     [](const Call& c) {
         bool hold = false;
         if (auto* s = c.component(); s && c.as<ScopeModel>() && take(c.args, 0, hold))
             s->setHold(hold);
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLDataDisplay@GetVC_Hold$qqrv",
     [](const Call& c) {
         auto* s = c.component();
         return s && c.as<ScopeModel>() ? integer(s->hold()) : MethodValue{};
     }},
    {Scope, "@Slscope@TSLDataDisplay@ZoomOff$qqrv",
     [](const Call& c) {
         if (auto* s = c.component(); s && c.as<ScopeModel>())
             s->zoomOff();
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLDataDisplay@ZoomBy$qqrd",
     [](const Call& c) {
         double f = 0;
         if (auto* s = c.component(); s && c.as<ScopeModel>() && take(c.args, 0, f))
             s->zoomBy(f, f);
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLDataDisplay@ZoomBy$qqrdd",
     [](const Call& c) {
         double x = 0, y = 0;
         if (auto* s = c.component(); s && c.as<ScopeModel>() && take(c.args, 0, x) && take(c.args, 1, y))
             s->zoomBy(x, y);
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLDataChart@ZoomBy$qqrddo",
     [](const Call& c) {
         double x = 0, y = 0;
         if (auto* s = c.component(); s && c.as<ScopeModel>() && take(c.args, 0, x) && take(c.args, 1, y))
             s->zoomBy(x, y);
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLDataDisplay@ZoomTo$qqrdddd",
     [](const Call& c) {
         double v[4]{};
         if (auto* s = c.component(); s && c.as<ScopeModel>() && take(c.args, 0, v[0]) && take(c.args, 1, v[1])
             && take(c.args, 2, v[2]) && take(c.args, 3, v[3]))
             s->zoomTo(v[0], v[1], v[2], v[3]);
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLDataChart@ZoomTo$qqrddddo",
     [](const Call& c) {
         double v[4]{};
         if (auto* s = c.component(); s && c.as<ScopeModel>() && take(c.args, 0, v[0]) && take(c.args, 1, v[1])
             && take(c.args, 2, v[2]) && take(c.args, 3, v[3]))
             s->zoomTo(v[0], v[1], v[2], v[3]);
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLDataDisplay@UndoZoom$qqrv",
     [](const Call& c) {
         if (auto* s = c.component(); s && c.as<ScopeModel>())
             s->undoZoom();
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLDataDisplay@RedoZoom$qqrv",
     [](const Call& c) {
         if (auto* s = c.component(); s && c.as<ScopeModel>())
             s->redoZoom();
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLDataDisplay@ClearZoomUndo$qqrv",
     [](const Call& c) {
         if (auto* s = c.component(); s && c.as<ScopeModel>())
             s->clearZoomUndo();
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLDataDisplay@GetCanUndoZoom$qqrv",
     [](const Call& c) {
         auto* s = c.component();
         return s && c.as<ScopeModel>() ? integer(s->canUndoZoom()) : MethodValue{};
     }},
    {Scope, "@Slscope@TSLDataDisplay@GetCanRedoZoom$qqrv",
     [](const Call& c) {
         auto* s = c.component();
         return s && c.as<ScopeModel>() ? integer(s->canRedoZoom()) : MethodValue{};
     }},
    {Scope, "@Slscope@TSLDataDisplay@GetCanZoomOut$qqrv",
     [](const Call& c) {
         auto* s = c.component();
         return s && c.as<ScopeModel>() ? integer(s->isZoomed()) : MethodValue{};
     }},
    {Scope, "@Slscope@TSLDataDisplay@GetCanZoomIn$qqrv",
     [](const Call& c) { return c.as<ScopeModel>() ? integer(1) : MethodValue{}; }},
    {Scope, "@Slscope@TSLDisplayZoom@GetIsZoomed$qqrv",
     [](const Call& c) {
         auto* s = c.component();
         return s && c.as<ZoomNode>() ? integer(s->isZoomed()) : MethodValue{};
     }},
    {Scope, "@Slscope@TSLScopeChannel@GetVC_Data$qqrv",
     [](const Call& c) {
         auto* channel = c.as<ChannelNode>();
         return channel ? integer(c.host.instanceOf(channel->data)) : MethodValue{};
     }},
    {Scope, "@Slscope@TSLDisplayChannel@SetYAxisIndex$qqri",
     [](const Call& c) {
         std::int32_t index = 0;
         if (auto* channel = c.as<ChannelNode>(); channel && take(c.args, 0, index)) {
             channel->yAxisIndex = index;
             if (auto* s = c.component())
                 s->modelChanged();
         }
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLDisplayChannel@GetYAxisIndex$qqrv",
     [](const Call& c) {
         auto* channel = c.as<ChannelNode>();
         return channel ? integer(channel->yAxisIndex) : MethodValue{};
     }},
    {Scope, "@Slscope@TSLDisplayChannel@SetXAxisIndex$qqri",
     [](const Call& c) {
         std::int32_t index = 0;
         if (auto* channel = c.as<ChannelNode>(); channel && take(c.args, 0, index))
             channel->xAxisIndex = index;
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLDisplayChannel@GetXAxisIndex$qqrv",
     [](const Call& c) {
         auto* channel = c.as<ChannelNode>();
         return channel ? integer(channel->xAxisIndex) : MethodValue{};
     }},
    {Scope, "@Slscope@TSLChannelData@SetYData$qqrpfui",
     [](const Call& c) {
         const float* values = nullptr;
         std::uint32_t n = 0;
         auto* data = c.as<ChannelDataNode>();
         auto* s = c.component();
         if (data && s && take(c.args, 0, values) && take(c.args, 1, n))
             s->setYData(data, values, n);
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLChannelData@Clear$qqrv",
     [](const Call& c) {
         if (auto* data = c.as<ChannelDataNode>(); data && c.component())
             c.component()->clearData(data);
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLChannelData@SetSampleRate$qqrd",
     [](const Call& c) {
         double rate = 0;
         if (auto* data = c.as<ChannelDataNode>(); data && take(c.args, 0, rate) && rate > 0)
             data->sampleRate = rate;
         return MethodValue{};
     }},
    {Scope, "@Slscope@TSLChannelData@GetSampleRate$qqrv",
     [](const Call& c) {
         auto* data = c.as<ChannelDataNode>();
         return data ? real(data->sampleRate) : MethodValue{};
     }},
    {Basic, "@Slcomponentcollection@TSLCustomControlItem@SetIndex$qqri",
     [](const Call& c) {
         std::int32_t index = 0;
         if (auto* s = c.component(); s && c.as<ScopeModel>() && take(c.args, 0, index))
             s->setIndex(index);
         return MethodValue{};
     }},
    {Basic, "@Slcomponentcollection@TSLCustomControlItem@GetIndex$qqrv",
     [](const Call& c) {
         auto* s = c.component();
         return s && c.as<ScopeModel>() ? integer(s->index()) : MethodValue{};
     }},
};

} // namespace

ComponentHost::~ComponentHost()
{
    // Widgets can only go while the application exists; at process exit the
    // built-in host outlives it and leaves the rest to the system.
    if (!QCoreApplication::instance())
        return;
    for (const auto& component : std::as_const(components_))
        delete component.data();
}

PackageHandle ComponentHost::LoadPackage(const std::string& fileName)
{
    for (std::size_t i = 0; i < kPackages.size(); ++i) {
        if (fileName == kPackages[i])
            return static_cast<PackageHandle>(i + 1);
    }
    return 0;
}

MethodEntry ComponentHost::FindSymbol(PackageHandle package, const std::string& symbol)
{
    for (std::size_t i = 0; i < std::size(kSymbols); ++i) {
        if (kSymbols[i].package == package && symbol == kSymbols[i].name)
            return static_cast<MethodEntry>(i + 1);
    }
    return 0;
}

HostHandle ComponentHost::create(QWidget* parent, const std::string& className)
{
    if (!parent || className != "TSLScope")
        return 0;
    auto* component = new ScopeComponent(parent);
    if (!parent->layout()) {
        auto* layout = new QVBoxLayout(parent);
        layout->setContentsMargins(2, 2, 2, 2);
    }
    parent->layout()->addWidget(component);
    component->show();
    if (inPageSetup_) {
        component->setDeferred(true);
        createdInSetup_.push_back(component);
    }
    components_.push_back(component);
    return static_cast<HostHandle>(components_.size());
}

HostHandle ComponentHost::CreateInWindow(QObject* window, const std::string& className, int, int, int)
{
    return create(qobject_cast<QWidget*>(window), className);
}

HostHandle ComponentHost::CreateInComponent(Instance parent, const std::string& className, int, int, int)
{
    return create(componentOf(object(parent)), className);
}

ScopeComponent* ComponentHost::component(HostHandle handle) const
{
    if (handle == 0 || handle > static_cast<HostHandle>(components_.size()))
        return nullptr;
    return components_[static_cast<qsizetype>(handle) - 1].data();
}

Instance ComponentHost::InstanceOf(HostHandle handle)
{
    ScopeComponent* c = component(handle);
    return c ? instanceOf(c->model()) : 0;
}

void ComponentHost::FreeComponent(HostHandle handle)
{
    if (ScopeComponent* c = component(handle)) {
        components_[static_cast<qsizetype>(handle) - 1].clear();
        delete c;
    }
}

QObject* ComponentHost::object(Instance instance) const
{
    if (instance == 0 || instance > static_cast<Instance>(instances_.size()))
        return nullptr;
    return instances_[static_cast<qsizetype>(instance) - 1].data();
}

Instance ComponentHost::instanceOf(QObject* o)
{
    if (!o)
        return 0;
    const auto it = instanceIds_.constFind(o);
    if (it != instanceIds_.constEnd() && object(*it) == o)
        return *it;
    instances_.push_back(o);
    const auto id = static_cast<Instance>(instances_.size());
    instanceIds_.insert(o, id);
    // A later object at the same address must not inherit this number.
    QObject::connect(o, &QObject::destroyed, [this, o] { instanceIds_.remove(o); });
    return id;
}

int ComponentHost::setProperty(Instance instance, const std::string& path, const QVariant& value)
{
    QObject* root = object(instance);
    const QString full = QString::fromStdString(path);
    const qsizetype dot = full.lastIndexOf(QLatin1Char('.'));
    QObject* target = root ? resolveObjectPath(root, dot < 0 ? QString() : full.left(dot)) : nullptr;
    if (!target)
        return 0;
    const QByteArray name = full.mid(dot + 1).toLatin1();
    const int index = target->metaObject()->indexOfProperty(name.constData());
    if (index < 0)
        return 0;
    const QMetaProperty property = target->metaObject()->property(index);
    if (!property.isWritable())
        return 0;
    // Only the type the property has: a text is not written to a number.
    QVariant written = value;
    const int type = property.metaType().id();
    if (type == QMetaType::Bool && value.metaType().id() == QMetaType::Int) {
        const int v = value.toInt();
        if (v != 0 && v != 1)
            return 0;
        written = QVariant(v == 1);
    } else if (type != value.metaType().id()) {
        return 0;
    }
    if (!property.write(target, written))
        return 0;
    if (auto* component = componentOf(target))
        component->modelChanged();
    return 1;
}

int ComponentHost::SetStringProperty(Instance instance, const std::string& path, const QString& text)
{
    return setProperty(instance, path, QVariant(text));
}

int ComponentHost::SetIntProperty(Instance instance, const std::string& path, std::int32_t value)
{
    return setProperty(instance, path, QVariant(static_cast<int>(value)));
}

int ComponentHost::SetUnsignedProperty(Instance instance, const std::string& path, std::uint32_t value)
{
    return setProperty(instance, path, QVariant(static_cast<uint>(value)));
}

int ComponentHost::SetFloatProperty(Instance instance, const std::string& path, double value)
{
    return setProperty(instance, path, QVariant(value));
}

int ComponentHost::GetObjectProperty(Instance instance, const std::string& path, Instance* result)
{
    QObject* root = object(instance);
    QObject* found = root ? resolveObjectPath(root, QString::fromStdString(path)) : nullptr;
    const Instance id = found && found != root ? instanceOf(found) : 0;
    if (result)
        *result = id;
    return id != 0 ? 1 : 0;
}

void ComponentHost::BeginPageSetup(QObject*)
{
    // Components created during a page's set-up draw once, when it ends.
    inPageSetup_ = true;
}

void ComponentHost::EndPageSetup()
{
    inPageSetup_ = false;
    for (const auto& component : std::as_const(createdInSetup_)) {
        if (component)
            component->setDeferred(false);
    }
    createdInSetup_.clear();
}

MethodValue ComponentHost::CallMethod(MethodEntry entry, Instance instance, std::span<const MethodArg> args)
{
    QObject* target = object(instance);
    if (entry == 0 || entry > std::size(kSymbols) || !target)
        return {};
    return kSymbols[entry - 1].handler(Call{*this, target, args});
}

ComponentHost& builtInComponentHost()
{
    static ComponentHost host;
    return host;
}

void useBuiltInComponentHost()
{
    if (!hasComponentLoader())
        setComponentLoader(&builtInComponentHost());
}

} // namespace trgui::scope
