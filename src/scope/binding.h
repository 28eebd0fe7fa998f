#pragma once

// The property binding layer: a typed object model on our side of the
// component loader. A wrapper keeps no copy of the component's state; writing
// a value proxy sends the value at once, and an object-valued proxy asks the
// component for its sub-object each time it is used.

#include "scope/component_loader.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace trgui::scope {

inline constexpr const char* kUnableToSet = "Unable to set property : ";
inline constexpr const char* kUnableToGet = "Unable to get property : ";

// A refused property write or sub-object lookup; the text names the path.
class BindingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The layer's own text: an owned zero-terminated buffer (none for the empty
// text) and its length. Used for property names and paths.
class CLPString {
public:
    CLPString() = default;
    CLPString(const char* text);  // NOLINT: names are written as literals
    CLPString(const std::string& text);
    explicit CLPString(int number);
    CLPString(const CLPString& other);
    CLPString& operator=(const CLPString& other);
    CLPString(CLPString&&) noexcept = default;
    CLPString& operator=(CLPString&&) noexcept = default;

    CLPString& appendDot();
    CLPString& append(const CLPString& other);

    const char* c_str() const { return buffer_ ? buffer_.get() : ""; }
    int length() const { return length_; }
    std::string str() const { return std::string(c_str(), static_cast<std::size_t>(length_)); }
    bool operator==(const CLPString& other) const { return str() == other.str(); }

private:
    void assign(const char* text, std::size_t length);

    std::unique_ptr<char[]> buffer_;
    int length_ = 0;
};

// Holds one component reference: a host handle we created (owned) or an
// instance handed out by the component (never freed).
class CVCLObject {
public:
    CVCLObject() = default;
    CVCLObject(std::uint32_t value, bool owned) : value_(value), owned_(owned) {}
    virtual ~CVCLObject();
    CVCLObject(const CVCLObject&) = delete;
    CVCLObject& operator=(const CVCLObject&) = delete;

    virtual scope::Instance Instance() const { return value_; }

    std::uint32_t value() const { return value_; }
    bool owned() const { return owned_; }
    void reset(std::uint32_t value, bool owned);
    // Frees the component when owned, then forgets it.
    void release();

private:
    std::uint32_t value_ = 0;
    bool owned_ = false;
};

// A control we created: its instance is asked of the loader by host handle.
class CVCLControl : public CVCLObject {
public:
    using CVCLObject::CVCLObject;
    scope::Instance Instance() const override;
};

// One loader call's target: the object whose instance is used, and the path.
template <class Object>
struct CVCLProperty {
    const Object* object;
    const CLPString& path;

    scope::Instance instance() const { return object ? object->Instance() : 0; }
    int setString(const QString& v) const { return componentLoader().SetStringProperty(instance(), path.str(), v); }
    int setInt(std::int32_t v) const { return componentLoader().SetIntProperty(instance(), path.str(), v); }
    int setUnsigned(std::uint32_t v) const { return componentLoader().SetUnsignedProperty(instance(), path.str(), v); }
    int setFloat(double v) const { return componentLoader().SetFloatProperty(instance(), path.str(), v); }
    int getObject(scope::Instance* result) const
    {
        return componentLoader().GetObjectProperty(instance(), path.str(), result);
    }
};

class CLPControl;

// Root of all wrappers.
class CLPBaseClass {
public:
    CLPBaseClass() = default;
    virtual ~CLPBaseClass() = default;
    CLPBaseClass(const CLPBaseClass&) = delete;
    CLPBaseClass& operator=(const CLPBaseClass&) = delete;

    virtual scope::Instance ResolveInstance() { return 0; }
    virtual CVCLObject* HostObject() { return nullptr; }
    virtual scope::Instance GetInstance() { return ResolveInstance(); }
    virtual MethodEntry FindMethod(const std::string& symbol);
};

// Looks a symbol up in a package, loading the package on first need. A
// package that did not load is tried again at the next lookup.
PackageHandle packageHandle(const char* fileName);
MethodEntry findInPackage(const char* fileName, const std::string& symbol);

// The process-wide entry of one component method, empty at start. Entries
// found through an earlier loader count as empty.
struct MethodSlot {
    const char* symbol;
    const char* package = nullptr;  // set: looked up there directly (run-time library methods)
    MethodEntry entry = 0;
    std::uint32_t generation = 0;

    MethodEntry current() const { return generation == loaderGeneration() ? entry : 0; }
    void fill(MethodEntry found)
    {
        entry = found;
        generation = loaderGeneration();
    }
};

MethodValue callMethodWith(CLPBaseClass& wrapper, MethodSlot& slot, std::span<const MethodArg> args);

// A component method called on a wrapper: a no-op returning 0 while the
// entry or the instance is 0; an empty entry is looked up again next time.
template <typename... Args>
MethodValue callMethod(CLPBaseClass& wrapper, MethodSlot& slot, Args... args)
{
    const std::array<MethodArg, sizeof...(Args)> list{MethodArg(args)...};
    return callMethodWith(wrapper, slot, list);
}

inline constexpr const char* kCollectionAdd = "@Classes@TCollection@Add$qqrv";
inline constexpr const char* kControlInvalidate = "@Controls@TControl@Invalidate$qqrv";

// A proxy for one published property.
class CLPBaseProperty : public CLPBaseClass {
public:
    using Getter = std::function<scope::Instance()>;

    CLPBaseProperty(CLPControl* control, const CLPString& name);       // directly under a control
    CLPBaseProperty(CLPBaseProperty* owner, const CLPString& name);    // under another proxy
    explicit CLPBaseProperty(scope::Instance reference);               // handed back by a method
    CLPBaseProperty(CLPBaseClass* owner, Getter getter);               // fetched once by a getter method

    scope::Instance ResolveInstance() override;
    CVCLObject* HostObject() override { return object_.get(); }
    scope::Instance GetInstance() override { return ResolveInstance(); }
    MethodEntry FindMethod(const std::string& symbol) override;

    const CLPString& path() const { return path_; }
    CLPControl* root() const { return root_; }
    CLPBaseClass* owner() const { return owner_; }

protected:
    // The root's host object: value paths start from its instance.
    const CVCLObject* rootObject() const;

private:
    std::unique_ptr<CVCLObject> object_;
    CLPString path_;
    CLPBaseClass* owner_ = nullptr;
    CLPControl* root_ = nullptr;
    Getter getter_;
};

// A proxy for an object-valued property; all sub-object wrappers derive from it.
class CLPClassProperty : public CLPBaseProperty {
public:
    using CLPBaseProperty::CLPBaseProperty;
};

// Value types without a writer of their own in this program.
enum class CTAlign : std::int32_t { None, Top, Bottom, Left, Right, Client, Custom };
enum class CTFontPitch : std::int32_t { Default, Variable, Fixed };
enum class CTPenMode : std::int32_t { Black, White, Nop, Not, Copy };
enum class CTPenStyle : std::int32_t { Solid, Dash, Dot, DashDot, DashDotDot, Clear, InsideFrame };
enum class CTFontStyle : std::int32_t { Bold, Italic, Underline, StrikeOut };

// A small set of flags, sent as a bit mask.
template <typename E>
class CTSet {
public:
    CTSet() = default;
    CTSet(std::initializer_list<E> items)
    {
        for (E e : items)
            bits_ |= 1u << static_cast<unsigned>(e);
    }
    bool contains(E e) const { return bits_ & (1u << static_cast<unsigned>(e)); }
    std::uint32_t bits() const { return bits_; }

private:
    std::uint32_t bits_ = 0;
};

// Typed value property: Set sends the value through the loader setter of
// its type; a refusal raises "Unable to set property : " and the path.
template <typename T>
class CLPProperty : public CLPBaseProperty {
public:
    using CLPBaseProperty::CLPBaseProperty;

    void Set(const T& value)
    {
        const CVCLProperty<CVCLObject> target{rootObject(), path()};
        if (send(target, value) == 0)
            throw BindingError(std::string(kUnableToSet) + path().str());
    }

private:
    static int send(const CVCLProperty<CVCLObject>& t, const T& v)
    {
        if constexpr (std::is_same_v<T, QString>)
            return t.setString(v);
        else if constexpr (std::is_same_v<T, bool>)
            return t.setInt(v ? 1 : 0);
        else if constexpr (std::is_same_v<T, std::uint32_t>)
            return t.setUnsigned(v);
        else if constexpr (std::is_same_v<T, double>)
            return t.setFloat(v);
        else if constexpr (std::is_same_v<T, std::int32_t> || std::is_same_v<T, std::uint8_t>)
            return t.setInt(static_cast<std::int32_t>(v));
        else if constexpr (std::is_enum_v<T>)
            return t.setInt(static_cast<std::int32_t>(v));
        else
            return t.setUnsigned(v.bits());
    }
};

// A property of one of the component's enumerations.
template <typename E>
class CLPEnumProperty : public CLPProperty<E> {
public:
    using CLPProperty<E>::CLPProperty;
};

// A named event of the component; no handler is connected in this program.
class CLPBaseEventProperty : public CLPBaseProperty {
public:
    using CLPBaseProperty::CLPBaseProperty;
};

template <typename... Args>
class CLPEventProperty : public CLPBaseEventProperty {
public:
    using CLPBaseEventProperty::CLPBaseEventProperty;
    static constexpr std::size_t arity = sizeof...(Args);
};
template <class A>
using CLPEventProperty_1 = CLPEventProperty<A>;
template <class A, class B>
using CLPEventProperty_2 = CLPEventProperty<A, B>;
template <class A, class B, class C>
using CLPEventProperty_3 = CLPEventProperty<A, B, C>;
template <class A, class B, class C, class D>
using CLPEventProperty_4 = CLPEventProperty<A, B, C, D>;
template <class A, class B, class C, class D, class E>
using CLPEventProperty_5 = CLPEventProperty<A, B, C, D, E>;
template <class A, class B, class C, class D, class E, class F>
using CLPEventProperty_6 = CLPEventProperty<A, B, C, D, E, F>;

// A collection: "Count" and Add.
class CLPBaseCollectionProperty : public CLPClassProperty {
public:
    using CLPClassProperty::CLPClassProperty;
    // Adds one item; returns the component's answer (0 when nothing was called).
    MethodValue Add();

    CLPProperty<std::int32_t> Count{this, "Count"};
};

// Items are built per use under the collection, named by their index.
template <class ItemType>
class CLPCollectionProperty : public CLPBaseCollectionProperty {
public:
    using CLPBaseCollectionProperty::CLPBaseCollectionProperty;
    std::unique_ptr<ItemType> Item(int index) { return std::make_unique<ItemType>(this, CLPString(index)); }
};

// A collection of component elements, without "Count".
class CLPComponentCollectionBase : public CLPClassProperty {
public:
    using CLPClassProperty::CLPClassProperty;
};

// A property reached through methods of its owner wrapper instead of a path.
template <class Owner, typename T>
class CLPReadAccessProperty : public CLPBaseClass {
public:
    using GetterFn = T (Owner::*)();
    CLPReadAccessProperty(Owner* owner, GetterFn getter) : owner_(owner), getter_(getter) {}
    T Get()
    {
        // Called through locals: GCC's vptr check mis-addresses owner_->*getter_.
        Owner* owner = owner_;
        const GetterFn getter = getter_;
        return (owner->*getter)();
    }

protected:
    Owner* owner_;
    GetterFn getter_;
};

template <class Owner, typename T>
class CLPAccessProperty : public CLPReadAccessProperty<Owner, T> {
public:
    using SetterFn = void (Owner::*)(T);
    CLPAccessProperty(Owner* owner, typename CLPReadAccessProperty<Owner, T>::GetterFn getter, SetterFn setter)
        : CLPReadAccessProperty<Owner, T>(owner, getter), setter_(setter)
    {
    }
    void Set(T value)
    {
        Owner* owner = this->owner_;
        const SetterFn setter = setter_;
        (owner->*setter)(value);
    }

private:
    SetterFn setter_;
};

// Root wrapper of a created control.
class CLPControl : public CLPBaseClass {
public:
    CLPControl() = default;

    scope::Instance ResolveInstance() override { return host_->Instance(); }
    CVCLObject* HostObject() override { return host_; }
    scope::Instance GetInstance() override { return ResolveInstance(); }
    MethodEntry FindMethod(const std::string&) override { return 0; }
    virtual void Invalidate();

    HostHandle hostHandle() const { return control_.value(); }

protected:
    CVCLControl& control() { return control_; }

private:
    CVCLObject* host_ = &control_;
    CVCLControl control_;

public:
    CLPProperty<std::uint32_t> Color{this, "Color"};
    CLPProperty<std::int32_t> Left{this, "Left"};
    CLPProperty<std::int32_t> Top{this, "Top"};
    CLPProperty<std::int32_t> Width{this, "Width"};
    CLPProperty<std::int32_t> Height{this, "Height"};
    CLPProperty<CTAlign> Align{this, "Align"};
};

class CTFont : public CLPClassProperty {
public:
    using CLPClassProperty::CLPClassProperty;
    CLPProperty<std::int32_t> Height{this, "Height"};
    CLPProperty<std::int32_t> Size{this, "Size"};
    CLPProperty<std::uint32_t> Color{this, "Color"};
    CLPProperty<QString> Name{this, "Name"};
    CLPProperty<std::uint8_t> Charset{this, "Charset"};
    CLPProperty<CTFontPitch> Pitch{this, "Pitch"};
    CLPProperty<CTSet<CTFontStyle>> Style{this, "Style"};
};

class CTPen : public CLPClassProperty {
public:
    using CLPClassProperty::CLPClassProperty;
    CLPProperty<std::int32_t> Width{this, "Width"};
    CLPProperty<std::uint32_t> Color{this, "Color"};
    CLPProperty<CTPenMode> Mode{this, "Mode"};
    CLPProperty<CTPenStyle> Style{this, "Style"};
};

} // namespace trgui::scope
