#include "port_slot.h"

namespace trgui::app {

device::PortNameResolver portResolver(const SettingsRecord& settings)
{
    // Copy the path: the resolver may outlive a temporary record.
    return [path = settings.settingsFilePath](const std::string& comName) {
#ifndef _WIN32
        SettingsRecord lookup;
        lookup.settingsFilePath = path;
        if (auto mapped = lookup.mappedPortDevice(comName); !mapped.empty())
            return mapped;
#endif
        return device::defaultPortDevice(comName);
    };
}

} // namespace trgui::app
