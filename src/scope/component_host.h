#pragma once

// Our component host: the component loader in process. The packages are
// built-in names, the only class is "TSLScope" (our ScopeComponent), and
// every handle, instance and method entry is a number in a table.

#include "scope/component_loader.h"

#include <QHash>
#include <QPointer>
#include <QVector>

#include <functional>

class QWidget;

namespace trgui::scope {

class ScopeComponent;

class ComponentHost final : public ComponentLoader {
public:
    ComponentHost() = default;
    ~ComponentHost() override;

    PackageHandle LoadPackage(const std::string& fileName) override;
    MethodEntry FindSymbol(PackageHandle package, const std::string& symbol) override;
    HostHandle CreateInWindow(QObject* window, const std::string& className, int a, int b, int c) override;
    HostHandle CreateInComponent(Instance parent, const std::string& className, int a, int b, int c) override;
    Instance InstanceOf(HostHandle handle) override;
    void FreeComponent(HostHandle handle) override;
    int SetStringProperty(Instance instance, const std::string& path, const QString& text) override;
    int SetIntProperty(Instance instance, const std::string& path, std::int32_t value) override;
    int SetUnsignedProperty(Instance instance, const std::string& path, std::uint32_t value) override;
    int SetFloatProperty(Instance instance, const std::string& path, double value) override;
    int GetObjectProperty(Instance instance, const std::string& path, Instance* result) override;
    void BeginPageSetup(QObject* pageWindow) override;
    void EndPageSetup() override;
    MethodValue CallMethod(MethodEntry entry, Instance instance, std::span<const MethodArg> args) override;

    // The component behind a host handle (nullptr when freed or unknown).
    ScopeComponent* component(HostHandle handle) const;
    QObject* object(Instance instance) const;
    Instance instanceOf(QObject* object);

private:
    HostHandle create(QWidget* parent, const std::string& className);
    int setProperty(Instance instance, const std::string& path, const QVariant& value);

    QVector<QPointer<ScopeComponent>> components_;  // handle - 1
    QVector<QPointer<QObject>> instances_;          // instance - 1
    QHash<QObject*, Instance> instanceIds_;
    bool inPageSetup_ = false;
    QVector<QPointer<ScopeComponent>> createdInSetup_;
};

// The host of this program, installed as the process-wide loader unless
// another loader (a test's) is installed already.
ComponentHost& builtInComponentHost();
void useBuiltInComponentHost();

} // namespace trgui::scope
