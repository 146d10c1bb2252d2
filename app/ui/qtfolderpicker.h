// The folder browser of the Qt program.
#pragma once

#include "core/folderpicker.h"

// QFileDialog::getExistingDirectory, folders only, owned by the active window.
class QtFolderPicker : public FolderPicker {
public:
    std::optional<std::string> chooseFolder(const std::string& title) override;
};
