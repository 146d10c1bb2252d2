// A folder browser that answers what the test set, and remembers the titles
// it was asked with; nothing modal.
#pragma once

#include "core/folderpicker.h"

#include <optional>
#include <string>
#include <vector>

class ScriptedFolders : public FolderPicker {
public:
    std::optional<std::string> chooseFolder(const std::string& title) override
    {
        titles.push_back(title);
        return answer;
    }
    std::optional<std::string> answer; // none: cancelled
    std::vector<std::string> titles;
};
