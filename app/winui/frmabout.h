// The About box on Windows: a modal dialog (no minimise or maximise button,
// not in the task bar) built from the shared table, at the stored place.
// "OK" is the default and the cancel button, so Enter and Esc both close it.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

class SettingsStore;

namespace winui {

class FrmAbout {
public:
    explicit FrmAbout(const SettingsStore& store) : m_store(store) {}
    // Shows the box owned by `owner`, which waits until it is closed.
    void showModal(HWND owner);
    // The identifier of the control named `name` in the table; -1 for none.
    static int controlId(const char* name);

private:
    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Form_Load(HWND hwnd);

    const SettingsStore& m_store;
};

} // namespace winui
