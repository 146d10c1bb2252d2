// Records message boxes and questions instead of showing them; questions get
// the answer a test sets.
#pragma once

#include "core/prompts.h"

#include <string>
#include <vector>

struct RecordedPrompt {
    std::string text;
    PromptIcon icon;
    std::string title;
};

struct RecordedQuestion {
    std::string text;
    std::string title;
    std::size_t afterBoxes; // how many message boxes came before it
};

class RecordingPrompts : public Prompts {
public:
    void show(const std::string& text, PromptIcon icon, const std::string& title) override
    {
        shown.push_back({text, icon, title});
    }
    bool ask(const std::string& text, const std::string& title) override
    {
        questions.push_back({text, title, shown.size()});
        return answer;
    }
    std::vector<RecordedPrompt> shown;
    std::vector<RecordedQuestion> questions;
    bool answer = false; // "Não"
};
