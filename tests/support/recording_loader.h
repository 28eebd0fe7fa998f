#pragma once

// A component loader that records every call as a line of text and answers
// as configured: packages load, symbols are found, properties are accepted,
// unless a test says otherwise.

#include "scope/component_loader.h"

#include <QString>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace trgui::testing {

class RecordingLoader : public scope::ComponentLoader {
public:
    RecordingLoader() { previous_ = scope::setComponentLoader(this); }
    ~RecordingLoader() override { scope::setComponentLoader(previous_); }

    std::vector<std::string> calls;
    std::set<std::string> refusedPaths;      // setters and GetObjectProperty answer 0
    std::set<std::string> missingSymbols;    // FindSymbol answers 0
    std::set<std::string> failingPackages;   // LoadPackage answers 0
    bool createFails = false;
    std::map<std::string, std::int64_t> results;  // method symbol -> integer result

    std::vector<std::string> take()
    {
        auto out = std::move(calls);
        calls.clear();
        return out;
    }
    int count(const std::string& prefix) const
    {
        int n = 0;
        for (const auto& c : calls)
            n += c.rfind(prefix, 0) == 0 ? 1 : 0;
        return n;
    }

    scope::PackageHandle LoadPackage(const std::string& name) override
    {
        calls.push_back("LoadPackage " + name);
        if (failingPackages.count(name))
            return 0;
        const auto [it, added] = packages_.try_emplace(name, static_cast<scope::PackageHandle>(packages_.size() + 100));
        return it->second;
    }
    scope::MethodEntry FindSymbol(scope::PackageHandle package, const std::string& symbol) override
    {
        calls.push_back("FindSymbol " + std::to_string(package) + " " + symbol);
        if (missingSymbols.count(symbol))
            return 0;
        symbols_.push_back(symbol);
        return static_cast<scope::MethodEntry>(symbols_.size());
    }
    scope::HostHandle CreateInWindow(QObject*, const std::string& className, int a, int b, int c) override
    {
        calls.push_back("CreateInWindow " + className + " " + std::to_string(a) + std::to_string(b) + std::to_string(c));
        return createFails ? 0 : ++nextHandle_;
    }
    scope::HostHandle CreateInComponent(scope::Instance parent, const std::string& className, int, int, int) override
    {
        calls.push_back("CreateInComponent " + std::to_string(parent) + " " + className);
        return createFails ? 0 : ++nextHandle_;
    }
    scope::Instance InstanceOf(scope::HostHandle handle) override
    {
        calls.push_back("InstanceOf " + std::to_string(handle));
        return handle + 1000;
    }
    void FreeComponent(scope::HostHandle handle) override { calls.push_back("FreeComponent " + std::to_string(handle)); }
    int SetStringProperty(scope::Instance i, const std::string& path, const QString& text) override
    {
        return set("SetString", i, path, text.toStdString());
    }
    int SetIntProperty(scope::Instance i, const std::string& path, std::int32_t v) override
    {
        return set("SetInt", i, path, std::to_string(v));
    }
    int SetUnsignedProperty(scope::Instance i, const std::string& path, std::uint32_t v) override
    {
        return set("SetUnsigned", i, path, std::to_string(v));
    }
    int SetFloatProperty(scope::Instance i, const std::string& path, double v) override
    {
        return set("SetFloat", i, path, QString::number(v).toStdString());
    }
    int GetObjectProperty(scope::Instance i, const std::string& path, scope::Instance* result) override
    {
        calls.push_back("GetObject " + std::to_string(i) + " " + path);
        const bool refused = i == 0 || refusedPaths.count(path);
        *result = refused ? 0 : ++nextObject_;
        return refused ? 0 : 1;
    }
    void BeginPageSetup(QObject*) override { calls.push_back("Ordinal52"); }
    void EndPageSetup() override { calls.push_back("Ordinal145"); }
    scope::MethodValue CallMethod(scope::MethodEntry entry, scope::Instance instance,
                                  std::span<const scope::MethodArg> args) override
    {
        const std::string& symbol = symbols_.at(entry - 1);
        std::string line = "Call " + symbol + " on " + std::to_string(instance);
        for (const auto& arg : args) {
            line += " ";
            std::visit(
                [&](auto v) {
                    if constexpr (std::is_pointer_v<decltype(v)>)
                        line += v ? "ptr" : "null";
                    else
                        line += QString::number(v).toStdString();
                },
                arg);
        }
        calls.push_back(line);
        const auto it = results.find(symbol);
        return {it == results.end() ? 0 : it->second, 0};
    }

private:
    int set(const char* kind, scope::Instance i, const std::string& path, const std::string& value)
    {
        calls.push_back(std::string(kind) + " " + std::to_string(i) + " " + path + " = " + value);
        return i == 0 || refusedPaths.count(path) ? 0 : 1;
    }

    scope::ComponentLoader* previous_ = nullptr;
    std::map<std::string, scope::PackageHandle> packages_;
    std::vector<std::string> symbols_;
    scope::HostHandle nextHandle_ = 0;
    scope::Instance nextObject_ = 5000;
};

} // namespace trgui::testing
