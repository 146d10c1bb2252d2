// Modal message boxes with one OK button. The window passes a QMessageBox-backed
// implementation; tests record the calls instead of blocking.
#pragma once

#include <string>

enum class PromptIcon { Information, Warning };

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual void show(const std::string& text, PromptIcon icon, const std::string& title) = 0;
};

inline constexpr const char* kAppTitle = "LOG QVR";
