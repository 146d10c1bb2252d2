#include "windowsettings.h"

#include "connection/registrysettingsstore.h"

std::unique_ptr<SettingsStore> windowSettings(const std::string& group)
{
    return std::make_unique<RegistrySettingsStore>(kProgramName, group);
}
