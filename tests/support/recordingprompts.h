// Records message boxes instead of showing them.
#pragma once

#include "core/prompts.h"

#include <string>
#include <vector>

struct RecordedPrompt {
    std::string text;
    PromptIcon icon;
    std::string title;
};

class RecordingPrompts : public Prompts {
public:
    void show(const std::string& text, PromptIcon icon, const std::string& title) override
    {
        shown.push_back({text, icon, title});
    }
    std::vector<RecordedPrompt> shown;
};
