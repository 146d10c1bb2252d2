// The system folder browser behind "Procurar...", as an interface so that
// tests can answer it without a modal dialog.
#pragma once

#include <optional>
#include <string>

class FolderPicker {
public:
    virtual ~FolderPicker() = default;
    // The chosen folder (UTF-8), or nothing when the user cancelled.
    virtual std::optional<std::string> chooseFolder(const std::string& title) = 0;
};
