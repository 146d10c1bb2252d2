// The folder browser of the Windows program: the shell's SHBrowseForFolderW,
// file-system folders only, not below the domain level, from the desktop.
#pragma once

#include "core/folderpicker.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace winui {

class ShellFolderPicker : public FolderPicker {
public:
    void setOwner(HWND owner) { m_owner = owner; }
    // The path as SHGetPathFromIDListW gives it; empty when it gives none.
    std::optional<std::string> chooseFolder(const std::string& title) override;

private:
    HWND m_owner = nullptr;
};

} // namespace winui
