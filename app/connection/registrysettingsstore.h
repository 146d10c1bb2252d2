// The settings store of the Windows programs (the window and the command): string values under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\Params,
// where Windows programs of this kind keep per-user settings, so a
// technician's existing settings are picked up. Values of other types, set
// by hand: a number (REG_DWORD, REG_QWORD) reads as its decimal text, an
// expandable string as expanded; binary and multi-string values read as
// absent, so their key's default applies.
#pragma once

#include "core/settingsstore.h"

#include <string>

class RegistrySettingsStore : public SettingsStore {
public:
    // applicationName: the executable's base name (UTF-8); group: "Params",
    // or the report menu's or the devices' history's own.
    explicit RegistrySettingsStore(const std::string& applicationName,
                                   const std::string& group = settingskey::kGroup);

    std::optional<std::string> value(const std::string& key) const override;
    // A value that cannot be written is lost, as a settings store has no one
    // to tell; the program goes on with what the window shows.
    void setValue(const std::string& key, const std::string& text) override;

    // The key below HKEY_CURRENT_USER, UTF-16.
    const std::wstring& keyPath() const { return m_keyPath; }

private:
    std::wstring m_keyPath;
};
