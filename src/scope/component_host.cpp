#include "scope/component_host.h"

#include "scope/scope_component.h"

#include <QCoreApplication>
#include <QLayout>
#include <QMetaProperty>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <functional>
#include <optional>
#include <tuple>
#include <type_traits>
#include <utility>

namespace trgui::scope {

namespace {

constexpr std::array<const char*, 3> kPackages{kRtlPackage, kScopePackage, kBasicPackage};
enum Package : PackageHandle { Rtl = 1, Scope = 2, Basic = 3 };

ScopeComponent* componentOf(QObject* object)
{
    for (QObject* o = object; o; o = o->parent()) {
        if (auto* component = qobject_cast<ScopeComponent*>(o))
            return component;
    }
    return nullptr;
}

struct Call {
    ComponentHost& host;
    QObject* target;
    std::span<const MethodArg> args;
};

// The call's arguments as the types A, in order; a missing one or one of
// another type refuses the call. Arguments after them are passed over.
template <typename... A, std::size_t... I>
std::optional<std::tuple<A...>> argumentsAs(std::span<const MethodArg> args, std::index_sequence<I...>)
{
    if (args.size() < sizeof...(A) || !(std::holds_alternative<A>(args[I]) && ...))
        return std::nullopt;
    return std::tuple<A...>{std::get<A>(args[I])...};
}

// How a method is carried out: on the target as a Node, with the component
// that holds it when WithComponent, and the arguments as the types A.
template <typename Node, bool WithComponent, bool WithNode, typename... A>
struct Shape {
    // The one guard of every method: act runs when the target is a Node, the
    // component is there when needed and the arguments have the types A;
    // otherwise nothing runs and the answer is 0. What act returns is
    // answered as the component does: integers, booleans and object
    // references in the integer, floating-point values in the real.
    template <typename Act>
    static MethodValue perform(const Call& c, const Act& act)
    {
        Node* node = qobject_cast<Node*>(c.target);
        ScopeComponent* component = componentOf(c.target);
        const auto values = argumentsAs<A...>(c.args, std::index_sequence_for<A...>{});
        if (!node || (WithComponent && !component) || !values)
            return {};
        const auto run = [&] {
            return std::apply(
                [&](A... a) {
                    if constexpr (WithComponent && WithNode)
                        return std::invoke(act, *component, *node, a...);
                    else if constexpr (WithComponent)
                        return std::invoke(act, *component, a...);
                    else
                        return std::invoke(act, *node, a...);
                },
                *values);
        };
        using Result = decltype(run());
        if constexpr (std::is_void_v<Result>) {
            run();
            return {};
        } else if constexpr (std::is_floating_point_v<Result>) {
            return {0, run()};
        } else {
            return {static_cast<std::int64_t>(run()), 0};
        }
    }
};

// The shape a method asks for, read from the parameters of the function
// that carries it out: (ScopeComponent&, args...) acts on the scope itself,
// the target being the scope's model; (Node&, args...) on the target as a
// Node; (ScopeComponent&, Node&, args...) on both.
template <typename F>
struct Parameters : Parameters<decltype(&F::operator())> {};
template <typename R, typename F, typename... P>
struct Parameters<R (F::*)(P...) const> {
    using Types = std::tuple<P...>;
};
template <typename R, typename... P>
struct Parameters<R (ScopeComponent::*)(P...)> {
    using Types = std::tuple<ScopeComponent&, P...>;
};
template <typename R, typename... P>
struct Parameters<R (ScopeComponent::*)(P...) const> {
    using Types = std::tuple<ScopeComponent&, P...>;
};

template <typename Types>
struct ShapeOf;
template <typename... A>
struct ShapeOf<std::tuple<ScopeComponent&, A...>> : Shape<ScopeModel, true, false, A...> {};
template <typename Node, typename... A>
struct ShapeOf<std::tuple<Node&, A...>> : Shape<Node, false, true, A...> {};
template <typename Node, typename... A>
struct ShapeOf<std::tuple<ScopeComponent&, Node&, A...>> : Shape<Node, true, true, A...> {};

// Carries out a call with act, as its parameters ask.
template <typename Act>
MethodValue perform(const Call& c, const Act& act)
{
    return ShapeOf<typename Parameters<Act>::Types>::perform(c, act);
}

// A method that is one of the scope's own.
template <auto ScopeMethod>
MethodValue scopeMethod(const Call& c)
{
    return perform(c, ScopeMethod);
}

using Handler = MethodValue (*)(const Call&);

struct Symbol {
    Package package;
    std::array<const char*, 2> names;  // one method may go by two names
    Handler handler;
};

// The component methods our scope implements, by package and symbol.
const Symbol kSymbols[] = {
    {Rtl, {"@Classes@TCollection@Add$qqrv"},
     [](const Call& c) { return perform(c, [&c](CollectionNode& items) { return c.host.instanceOf(items.add()); }); }},
    {Rtl, {"@Controls@TControl@Invalidate$qqrv"},
     [](const Call& c) { return perform(c, [](ScopeComponent& s, QObject&) { s.modelChanged(); }); }},
    {Scope, {"@Slscope@TSLScope@Invalidate$qqrv"}, scopeMethod<&ScopeComponent::modelChanged>},
    {Scope, {"@Slscope@TSLScope@Print$qqrv", "@Slscope@TSLDataDisplay@Print$qqrv"}, scopeMethod<&ScopeComponent::print>},
    {Scope, {"@Slscope@TSLDataChart@SetRefreshInterval$qqrui"}, scopeMethod<&ScopeComponent::setRefreshInterval>},
    {Scope, {"@Slscope@TSLDataChart@GetRefreshInterval$qqrv"}, scopeMethod<&ScopeComponent::refreshInterval>},
    {Scope, {"@Slscope@TSLDataDisplay@SetHold$qqro"}, scopeMethod<&ScopeComponent::setHold>},
    {Scope, {"@Slscope@TSLDataDisplay@GetVC_Hold$qqrv"}, scopeMethod<&ScopeComponent::hold>},
    {Scope, {"@Slscope@TSLDataDisplay@ZoomOff$qqrv"}, scopeMethod<&ScopeComponent::zoomOff>},
    {Scope, {"@Slscope@TSLDataDisplay@ZoomBy$qqrd"},
     [](const Call& c) { return perform(c, [](ScopeComponent& s, double factor) { s.zoomBy(factor, factor); }); }},
    // The chart's variants take a flag after the factors or the corners, which is passed over.
    {Scope, {"@Slscope@TSLDataDisplay@ZoomBy$qqrdd", "@Slscope@TSLDataChart@ZoomBy$qqrddo"},
     scopeMethod<&ScopeComponent::zoomBy>},
    {Scope, {"@Slscope@TSLDataDisplay@ZoomTo$qqrdddd", "@Slscope@TSLDataChart@ZoomTo$qqrddddo"},
     scopeMethod<&ScopeComponent::zoomTo>},
    {Scope, {"@Slscope@TSLDataDisplay@UndoZoom$qqrv"}, scopeMethod<&ScopeComponent::undoZoom>},
    {Scope, {"@Slscope@TSLDataDisplay@RedoZoom$qqrv"}, scopeMethod<&ScopeComponent::redoZoom>},
    {Scope, {"@Slscope@TSLDataDisplay@ClearZoomUndo$qqrv"}, scopeMethod<&ScopeComponent::clearZoomUndo>},
    {Scope, {"@Slscope@TSLDataDisplay@GetCanUndoZoom$qqrv"}, scopeMethod<&ScopeComponent::canUndoZoom>},
    {Scope, {"@Slscope@TSLDataDisplay@GetCanRedoZoom$qqrv"}, scopeMethod<&ScopeComponent::canRedoZoom>},
    {Scope, {"@Slscope@TSLDataDisplay@GetCanZoomOut$qqrv"}, scopeMethod<&ScopeComponent::isZoomed>},
    {Scope, {"@Slscope@TSLDataDisplay@GetCanZoomIn$qqrv"},
     [](const Call& c) { return perform(c, [](ScopeModel&) { return true; }); }},
    {Scope, {"@Slscope@TSLDisplayZoom@GetIsZoomed$qqrv"},
     [](const Call& c) { return perform(c, [](ScopeComponent& s, ZoomNode&) { return s.isZoomed(); }); }},
    {Scope, {"@Slscope@TSLScopeChannel@GetVC_Data$qqrv"},
     [](const Call& c) { return perform(c, [&c](ChannelNode& channel) { return c.host.instanceOf(channel.data); }); }},
    {Scope, {"@Slscope@TSLDisplayChannel@SetYAxisIndex$qqri"},
     [](const Call& c) {
         return perform(c, [](ChannelNode& channel, std::int32_t index) {
             channel.yAxisIndex = index;
             if (auto* s = componentOf(&channel))
                 s->modelChanged();
         });
     }},
    {Scope, {"@Slscope@TSLDisplayChannel@GetYAxisIndex$qqrv"},
     [](const Call& c) { return perform(c, [](ChannelNode& channel) { return channel.yAxisIndex; }); }},
    {Scope, {"@Slscope@TSLDisplayChannel@SetXAxisIndex$qqri"},
     [](const Call& c) {
         return perform(c, [](ChannelNode& channel, std::int32_t index) { channel.xAxisIndex = index; });
     }},
    {Scope, {"@Slscope@TSLDisplayChannel@GetXAxisIndex$qqrv"},
     [](const Call& c) { return perform(c, [](ChannelNode& channel) { return channel.xAxisIndex; }); }},
    {Scope, {"@Slscope@TSLChannelData@SetYData$qqrpfui"},
     [](const Call& c) {
         return perform(c, [](ScopeComponent& s, ChannelDataNode& data, const float* values, std::uint32_t n) {
             s.setYData(&data, values, n);
         });
     }},
    {Scope, {"@Slscope@TSLChannelData@Clear$qqrv"},
     [](const Call& c) { return perform(c, [](ScopeComponent& s, ChannelDataNode& data) { s.clearData(&data); }); }},
    {Scope, {"@Slscope@TSLChannelData@SetSampleRate$qqrd"},
     [](const Call& c) {
         return perform(c, [](ChannelDataNode& data, double rate) {
             if (rate > 0)
                 data.sampleRate = rate;
         });
     }},
    {Scope, {"@Slscope@TSLChannelData@GetSampleRate$qqrv"},
     [](const Call& c) { return perform(c, [](ChannelDataNode& data) { return data.sampleRate; }); }},
    {Basic, {"@Slcomponentcollection@TSLCustomControlItem@SetIndex$qqri"}, scopeMethod<&ScopeComponent::setIndex>},
    {Basic, {"@Slcomponentcollection@TSLCustomControlItem@GetIndex$qqrv"}, scopeMethod<&ScopeComponent::index>},
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
        const Symbol& s = kSymbols[i];
        if (s.package == package && std::any_of(s.names.begin(), s.names.end(), [&](const char* name) {
                return name && symbol == name;
            }))
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
