// The Qt window's settings file on Linux, read and written without Qt (the
// command has none): $XDG_CONFIG_HOME/Quorvane/<name>.conf, ~/.config when
// unset, one group of it. Every read reads the file afresh. A write takes the
// lock file QSettings takes (<file>.lock), reads the file again, changes the
// one line and puts the whole file in place with a rename, as QSettings does:
// a window that writes meanwhile waits for the lock and then reads the file
// before it writes its own changes, so neither loses the other's value, and
// no reader ever sees half a file.
#pragma once

#include "core/settingsstore.h"

#include <chrono>
#include <string>

class IniSettingsStore : public SettingsStore {
public:
    IniSettingsStore(std::string path, std::string group);

    // Where the window of that name keeps its settings.
    static std::string userFile(const std::string& applicationName);

    std::optional<std::string> value(const std::string& key) const override;
    // A value that cannot be written (the lock never came, a file that cannot
    // be read, a full disk) is lost, as in every store, and the file is left
    // as it was; writeFailure() tells why.
    void setValue(const std::string& key, const std::string& text) override;

    // Why the last write failed, in Portuguese; empty when it did not.
    const std::string& writeFailure() const { return m_writeFailure; }
    const std::string& path() const { return m_path; }

    // How long a write waits for a lock another program holds.
    std::chrono::milliseconds lockWait{5000};

private:
    std::string m_path;
    std::string m_group;
    std::string m_writeFailure;
};
