#include "scope/binding.h"

#include <cstring>
#include <map>

namespace trgui::scope {

// --- CLPString

CLPString::CLPString(const char* text)
{
    if (text)
        assign(text, std::strlen(text));
}

CLPString::CLPString(const std::string& text)
{
    assign(text.data(), text.size());
}

CLPString::CLPString(int number)
{
    const std::string digits = std::to_string(number);
    assign(digits.data(), digits.size());
}

CLPString::CLPString(const CLPString& other)
{
    assign(other.c_str(), static_cast<std::size_t>(other.length_));
}

CLPString& CLPString::operator=(const CLPString& other)
{
    if (this != &other)
        assign(other.c_str(), static_cast<std::size_t>(other.length_));
    return *this;
}

void CLPString::assign(const char* text, std::size_t length)
{
    if (length == 0) {
        buffer_.reset();
        length_ = 0;
        return;
    }
    auto buffer = std::make_unique<char[]>(length + 1);
    std::memcpy(buffer.get(), text, length);
    buffer[length] = '\0';
    buffer_ = std::move(buffer);
    length_ = static_cast<int>(length);
}

CLPString& CLPString::appendDot()
{
    return append(CLPString("."));
}

CLPString& CLPString::append(const CLPString& other)
{
    if (other.length_ == 0)
        return *this;
    std::string joined = str();
    joined.append(other.c_str(), static_cast<std::size_t>(other.length_));
    assign(joined.data(), joined.size());
    return *this;
}

// --- CVCLObject, CVCLControl

CVCLObject::~CVCLObject()
{
    release();
}

void CVCLObject::reset(std::uint32_t value, bool owned)
{
    value_ = value;
    owned_ = owned;
}

void CVCLObject::release()
{
    if (owned_ && value_ != 0)
        componentLoader().FreeComponent(value_);
    value_ = 0;
    owned_ = false;
}

scope::Instance CVCLControl::Instance() const
{
    return value() ? componentLoader().InstanceOf(value()) : 0;
}

// --- packages and method entries

namespace {

struct LoadedPackage {
    PackageHandle handle = 0;
    std::uint32_t generation = 0;
};

std::map<std::string, LoadedPackage, std::less<>>& packages()
{
    static std::map<std::string, LoadedPackage, std::less<>> loaded;
    return loaded;
}

} // namespace

PackageHandle packageHandle(const char* fileName)
{
    LoadedPackage& package = packages()[fileName];
    if (package.generation != loaderGeneration() || package.handle == 0) {
        package.handle = componentLoader().LoadPackage(fileName);
        package.generation = loaderGeneration();
    }
    return package.handle;
}

MethodEntry findInPackage(const char* fileName, const std::string& symbol)
{
    const PackageHandle package = packageHandle(fileName);
    return package ? componentLoader().FindSymbol(package, symbol) : 0;
}

MethodEntry CLPBaseClass::FindMethod(const std::string&)
{
    return 0;
}

MethodValue callMethodWith(CLPBaseClass& wrapper, MethodSlot& slot, std::span<const MethodArg> args)
{
    if (slot.current() == 0)
        slot.fill(slot.package ? findInPackage(slot.package, slot.symbol) : wrapper.FindMethod(slot.symbol));
    const scope::Instance instance = wrapper.GetInstance();
    const MethodEntry entry = slot.current();
    if (entry == 0 || instance == 0)
        return {};
    return componentLoader().CallMethod(entry, instance, args);
}

// --- proxies

CLPBaseProperty::CLPBaseProperty(CLPControl* control, const CLPString& name)
    : path_(name), owner_(control), root_(control)
{
}

CLPBaseProperty::CLPBaseProperty(CLPBaseProperty* owner, const CLPString& name)
    : path_(owner->path()), owner_(owner), root_(owner->root())
{
    path_.appendDot().append(name);
}

CLPBaseProperty::CLPBaseProperty(scope::Instance reference)
    : object_(std::make_unique<CVCLObject>(reference, false))
{
}

CLPBaseProperty::CLPBaseProperty(CLPBaseClass* owner, Getter getter) : owner_(owner), getter_(std::move(getter))
{
}

const CVCLObject* CLPBaseProperty::rootObject() const
{
    return root_ ? root_->HostObject() : nullptr;
}

scope::Instance CLPBaseProperty::ResolveInstance()
{
    if (object_)
        return object_->Instance();
    if (getter_ && owner_) {
        // Fetched once: the component hands out the same object every time.
        object_ = std::make_unique<CVCLObject>(getter_(), false);
        return object_->Instance();
    }
    scope::Instance result = 0;
    const CVCLProperty<CVCLObject> target{rootObject(), path_};
    if (target.getObject(&result) == 0 || result == 0)
        throw BindingError(std::string(kUnableToGet) + path_.str());
    return result;
}

MethodEntry CLPBaseProperty::FindMethod(const std::string& symbol)
{
    return root_ ? root_->FindMethod(symbol) : 0;
}

MethodValue CLPBaseCollectionProperty::Add()
{
    static MethodSlot slot{kCollectionAdd, kRtlPackage};
    return callMethod(*this, slot);
}

void CLPControl::Invalidate()
{
    static MethodSlot slot{kControlInvalidate, kRtlPackage};
    callMethod(*this, slot);
}

} // namespace trgui::scope
