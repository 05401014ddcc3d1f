// The registry library gate (see registry_library.h).
#include "setup/registry_library.h"

#include "setup/setup_session.h"

bool LoadRegistryLibrary() {
    RegistryLibrary& registry = Session.Registry;
    registry.module = LoadLibraryA("ADVAPI32.DLL");
    if (registry.module == nullptr)
        return false;
    registry.closeKey = GetProcAddress(registry.module, "RegCloseKey");
    registry.createKey = GetProcAddress(registry.module, "RegCreateKeyA");
    registry.deleteKey = GetProcAddress(registry.module, "RegDeleteKeyA");
    registry.openKey = GetProcAddress(registry.module, "RegOpenKeyA");
    registry.queryValue = GetProcAddress(registry.module, "RegQueryValueA");
    registry.setValue = GetProcAddress(registry.module, "RegSetValueA");
    if (registry.closeKey && registry.createKey && registry.deleteKey && registry.openKey &&
        registry.queryValue && registry.setValue)
        return true;
    ReleaseRegistryLibrary();
    return false;
}

void ReleaseRegistryLibrary() {
    RegistryLibrary& registry = Session.Registry;
    if (registry.module != nullptr)
        FreeLibrary(registry.module);
    registry = RegistryLibrary{};
}
