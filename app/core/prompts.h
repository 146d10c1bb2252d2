// Modal message boxes: with one OK button, and the one question a download
// asks, answered "Sim" or "Não" whatever the system's language. The window
// passes a QMessageBox-backed implementation; tests record the calls instead
// of blocking.
#pragma once

#include <string>

enum class PromptIcon { Information, Warning };

class Prompts {
public:
    virtual ~Prompts() = default;
    virtual void show(const std::string& text, PromptIcon icon, const std::string& title) = 0;
    // True for "Sim", false for "Não" or a box closed without an answer.
    virtual bool ask(const std::string& text, const std::string& title) = 0;
};

inline constexpr const char* kAppTitle = "LOG QVR";
