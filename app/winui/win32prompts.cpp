#include "winui/win32prompts.h"

#include "win32/widetext.h"

namespace winui {

namespace {

// The box is made inside MessageBoxW; a hook on this thread sees it activate
// before it is shown and relabels its buttons. YES and NO would take the
// system's language, and a box with them has no Esc.
thread_local HHOOK t_relabel = nullptr;

LRESULT CALLBACK relabelButtons(int code, WPARAM wParam, LPARAM lParam)
{
    const HHOOK hook = t_relabel;
    if (code == HCBT_ACTIVATE) {
        const auto box = reinterpret_cast<HWND>(wParam);
        SetDlgItemTextW(box, IDOK, L"Sim");
        SetDlgItemTextW(box, IDCANCEL, L"N\u00e3o");
        UnhookWindowsHookEx(hook);
        t_relabel = nullptr;
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

} // namespace

void Win32Prompts::show(const std::string& text, PromptIcon icon, const std::string& title)
{
    const UINT style = MB_OK | (icon == PromptIcon::Warning ? MB_ICONWARNING : MB_ICONINFORMATION);
    MessageBoxW(m_owner, win32::widen(text).c_str(), win32::widen(title).c_str(), style);
}

bool Win32Prompts::ask(const std::string& text, const std::string& title)
{
    t_relabel = SetWindowsHookExW(WH_CBT, relabelButtons, nullptr, GetCurrentThreadId());
    const int answer = MessageBoxW(m_owner,
                                   win32::widen(text).c_str(),
                                   win32::widen(title).c_str(),
                                   MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1);
    if (t_relabel != nullptr) {
        UnhookWindowsHookEx(t_relabel);
        t_relabel = nullptr;
    }
    return answer == IDOK;
}

} // namespace winui
