#pragma once

// The seam between the program and the chart component: the operations of the
// component loader, one virtual function per ordinal. Handles, instances,
// packages and method entries are plain 32-bit numbers (0 = none), never
// pointers, so a stale number is refused instead of dereferenced.

#include <QString>

#include <cstdint>
#include <span>
#include <string>
#include <variant>

class QObject;

namespace trgui::scope {

using HostHandle = std::uint32_t;     // a component created by us
using Instance = std::uint32_t;       // a component object (root or sub-object)
using PackageHandle = std::uint32_t;
using MethodEntry = std::uint32_t;

inline constexpr const char* kRtlPackage = "rtl60.bpl";
inline constexpr const char* kScopePackage = "SignalLabScopePkgCB6.bpl";
inline constexpr const char* kBasicPackage = "SignalLabBasicPkgCB6.bpl";

// Arguments of a component method, in declared order after the instance.
using MethodArg = std::variant<std::int32_t, std::uint32_t, double, bool, const float*>;

// What a component method hands back: integers, booleans and object
// references in `integer`, floating-point results in `real`.
struct MethodValue {
    std::int64_t integer = 0;
    double real = 0;
};

class ComponentLoader {
public:
    virtual ~ComponentLoader() = default;

    virtual PackageHandle LoadPackage(const std::string& fileName) = 0;                            // 49
    virtual MethodEntry FindSymbol(PackageHandle package, const std::string& symbol) = 0;          // 51
    virtual HostHandle CreateInWindow(QObject* window, const std::string& className, int a, int b,
                                      int c) = 0;                                                  // 61
    virtual HostHandle CreateInComponent(Instance parent, const std::string& className, int a, int b,
                                         int c) = 0;                                               // 63
    virtual Instance InstanceOf(HostHandle handle) = 0;                                            // 56
    virtual void FreeComponent(HostHandle handle) = 0;                                             // 83
    virtual int SetStringProperty(Instance instance, const std::string& path, const QString& text) = 0;  // 98
    virtual int SetIntProperty(Instance instance, const std::string& path, std::int32_t value) = 0;         // 99
    virtual int SetUnsignedProperty(Instance instance, const std::string& path, std::uint32_t value) = 0;   // 101
    virtual int SetFloatProperty(Instance instance, const std::string& path, double value) = 0;             // 103
    virtual int GetObjectProperty(Instance instance, const std::string& path, Instance* result) = 0;        // 109
    virtual void BeginPageSetup(QObject* pageWindow) = 0;                                          // 52
    virtual void EndPageSetup() = 0;                                                               // 145

    // Calls a method entry as a method of the instance.
    virtual MethodValue CallMethod(MethodEntry entry, Instance instance, std::span<const MethodArg> args) = 0;
};

// The process-wide loader. Until one is installed every operation is refused.
ComponentLoader& componentLoader();
// Installs a loader (nullptr: none) and forgets every package handle and
// method entry found through the previous one. Returns the previous loader.
ComponentLoader* setComponentLoader(ComponentLoader* loader);
bool hasComponentLoader();
// Bumped by setComponentLoader; cached handles of an older generation are stale.
std::uint32_t loaderGeneration();

} // namespace trgui::scope
