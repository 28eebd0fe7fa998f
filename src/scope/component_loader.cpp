#include "scope/component_loader.h"

namespace trgui::scope {

namespace {

// Stands in while no loader is installed: nothing loads, nothing is created.
class NoLoader final : public ComponentLoader {
public:
    PackageHandle LoadPackage(const std::string&) override { return 0; }
    MethodEntry FindSymbol(PackageHandle, const std::string&) override { return 0; }
    HostHandle CreateInWindow(QObject*, const std::string&, int, int, int) override { return 0; }
    HostHandle CreateInComponent(Instance, const std::string&, int, int, int) override { return 0; }
    Instance InstanceOf(HostHandle) override { return 0; }
    void FreeComponent(HostHandle) override {}
    int SetStringProperty(Instance, const std::string&, const QString&) override { return 0; }
    int SetIntProperty(Instance, const std::string&, std::int32_t) override { return 0; }
    int SetUnsignedProperty(Instance, const std::string&, std::uint32_t) override { return 0; }
    int SetFloatProperty(Instance, const std::string&, double) override { return 0; }
    int GetObjectProperty(Instance, const std::string&, Instance* result) override
    {
        if (result)
            *result = 0;
        return 0;
    }
    void BeginPageSetup(QObject*) override {}
    void EndPageSetup() override {}
    MethodValue CallMethod(MethodEntry, Instance, std::span<const MethodArg>) override { return {}; }
};

NoLoader noLoader;
ComponentLoader* current = nullptr;
std::uint32_t generation = 1;

} // namespace

ComponentLoader& componentLoader()
{
    return current ? *current : noLoader;
}

ComponentLoader* setComponentLoader(ComponentLoader* loader)
{
    ComponentLoader* previous = current;
    current = loader;
    ++generation;
    return previous;
}

bool hasComponentLoader()
{
    return current != nullptr;
}

std::uint32_t loaderGeneration()
{
    return generation;
}

} // namespace trgui::scope
