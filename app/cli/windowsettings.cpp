#include "windowsettings.h"

#include "connection/inisettingsstore.h"

std::unique_ptr<SettingsStore> windowSettings(const std::string& group)
{
    return std::make_unique<IniSettingsStore>(IniSettingsStore::userFile(kProgramName), group);
}
