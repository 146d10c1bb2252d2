// The main window on Windows, in user32 and comctl32 alone: its controls
// from the shared table, FormView over them, and every event handed to the
// shared FormEvents. The message loop passes keys through IsDialogMessageW,
// so Tab, Shift+Tab, Enter on a button and Esc behave as in any dialog.
#pragma once

#include "connection/serialports.h"
#include "core/controllercontext.h"
#include "core/formview.h"
#include "form/formevents.h"
#include "winui/controls.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class FolderPicker;
class LogFilePicker;
class ReportMenu;

namespace winui {

class FrmMain : public FormView {
public:
    FrmMain(ControllerServices services, FolderPicker& folders);
    ~FrmMain() override;
    FrmMain(const FrmMain&) = delete;
    FrmMain& operator=(const FrmMain&) = delete;

    // Makes the window and its controls, centred on the screen, starts
    // Timer1 and loads the settings; then shows it with `showCommand`.
    // False when the system refuses the window.
    bool create(int showCommand);
    // The message loop, until the window is gone; the exit code.
    int run();

    // "Relatório" acts through `menu`, which the downloads' services tell of
    // each file they write; without it the menu's entries stay disabled.
    void setReportMenu(ReportMenu& menu, LogFilePicker& picker);

    HWND hwnd() const { return m_hwnd; }
    HWND control(Control c) const;
    FormValues& values() { return m_events->values(); }

    // FormView
    std::string text(Control c) const override;
    void setText(Control c, const std::string& utf8) override;
    bool isEnabled(Control c) const override;
    void setEnabled(Control c, bool enabled) override;
    bool isChecked(Control c) const override;
    void setChecked(Control c, bool checked) override;
    int listIndex(Control c) const override;
    void setListIndex(Control c, int index) override;
    void setValue(Control c, int percent) override;
    void setTitle(const std::string& utf8) override;
    int topTwips() const override;
    int leftTwips() const override;
    void processEvents() override;

private:
    static bool registerClass();
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK
    fieldProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT fieldMessage(Control field, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void buildControls();
    void command(int id, int notification, HWND from);
    std::optional<Control> controlOf(HWND hwnd) const;
    LRESULT colour(HDC dc, HWND from, bool edit);
    // Now, or once the handler running below has returned.
    void close();
    void menu_sobre_Click();
    void enableReportMenu(HMENU popup);
    // "Portas": the COM ports present, read afresh each time it opens.
    void fillPortsMenu();

    ControllerServices m_services;
    ReportMenu* m_reportMenu = nullptr;
    LogFilePicker* m_logPicker = nullptr;
    FolderPicker& m_folders;
    std::unique_ptr<FormEvents> m_events;
    Fonts m_fonts;
    HWND m_hwnd = nullptr;
    std::map<Control, HWND> m_controls;
    std::map<HWND, TextColour> m_colours;
    bool m_timerRunning = false;
    bool m_quitWithWindow = false;
    HWND m_lastFocus = nullptr;
    HMENU m_menuPortas = nullptr;
    std::vector<PortEntry> m_ports; // as the menu lists them
};

} // namespace winui
