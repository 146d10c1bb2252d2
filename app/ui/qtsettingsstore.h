// The settings store of the Qt program: QSettings in one file per user (INI
// syntax, ~/.config/Quorvane/<name>.conf), organisation "Quorvane", application
// = the executable's base name, group "Params" (or the report menu's or the history's own). No
// fallbacks to system-wide files, so what the program reads is what it wrote.
#pragma once

#include "core/settingsstore.h"

#include <memory>
#include <optional>
#include <string>

class QtSettingsStore : public SettingsStore {
public:
    explicit QtSettingsStore(const std::string& applicationName,
                             const std::string& group = settingskey::kGroup);
    // A store in an explicit file (tests).
    static std::unique_ptr<QtSettingsStore> atFile(const std::string& path,
                                                   const std::string& group = settingskey::kGroup);
    ~QtSettingsStore() override;

    std::optional<std::string> value(const std::string& key) const override;
    void setValue(const std::string& key, const std::string& text) override;
    void sync();
    std::string fileName() const;

private:
    QtSettingsStore() = default;
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
