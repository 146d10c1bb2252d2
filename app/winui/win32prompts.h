// Message boxes of the Windows program: MessageBoxW with one OK button, the
// given icon and title, owned by the main window; and the question, whose
// buttons read "Sim" and "Não" whatever the system's language.
#pragma once

#include "core/prompts.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace winui {

class Win32Prompts : public Prompts {
public:
    void setOwner(HWND owner) { m_owner = owner; }
    void show(const std::string& text, PromptIcon icon, const std::string& title) override;
    // The system's box with OK and Cancel relabelled "Sim" and "Não": Enter
    // keeps what was read, Esc and the close button keep nothing, as Cancel
    // does.
    bool ask(const std::string& text, const std::string& title) override;

private:
    HWND m_owner = nullptr;
};

} // namespace winui
