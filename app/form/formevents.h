// frmMain's events as both windows route them: the handler object of every
// control, the input rules of the text boxes (as the control table gives
// them), Enter and Esc, the closing of the window while a handler runs, the
// "Portas" menu's entries, and the error report that stands behind every
// handler. A window turns its own events (a Qt signal, a WM_COMMAND) into
// these calls and does nothing else with them.
#pragma once

#include "core/controllercontext.h"
#include "core/formvalues.h"
#include "core/formview.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

class FolderPicker;
class FormLifecycle;
class ConnectController;
class PollController;
class DataLogDownload;
class ResetLogDownload;
class CancelController;
class FolderChoice;

namespace logexport {
class DeviceHistory;
}

// The character codes keyPress() takes, as the system delivers them.
inline constexpr char16_t kEnterKey = 13;
inline constexpr char16_t kBackspaceKey = 8;

class FormEvents {
public:
    // `view` is the window; `folders` serves "Procurar..."; `closeWindow`
    // closes it for good, once a close asked for while a handler ran may
    // happen (see requestClose).
    FormEvents(ControllerServices services,
               FormView& view,
               FolderPicker& folders,
               std::function<void()> closeWindow = {});
    ~FormEvents();
    FormEvents(const FormEvents&) = delete;
    FormEvents& operator=(const FormEvents&) = delete;

    FormValues& values() { return m_values; }
    const ControllerServices& services() const { return m_services; }

    void Form_Load();
    // Closes the port; only the first call does anything.
    void Form_Unload();
    void Timer1_Timer();
    // A click on cmdOK, cmdGerar, cmdLogReset, cmdProcurar or cmdCancelar;
    // false (and nothing done) for any other control.
    bool click(Control button);
    // A character typed into `field`, as the system delivers it (kEnterKey,
    // kBackspaceKey, 3/22/24 for Ctrl+C/V/X; 0 for a key that gives none).
    // Enter in a field that connects connects first. True when the field must
    // not receive it: in a digits-only field, all but digits and Backspace.
    bool keyPress(Control field, char16_t code);
    // Enter, with the focus on `focused` and no text box taking it: a focused
    // button is pressed, once, whatever its handler does meanwhile to the
    // focus or to the window; anything else ignores it.
    void enter(Control focused);
    // Esc, wherever the focus is: presses the button Esc presses, which does
    // nothing unless a download runs.
    void escape();
    // The text of `field` changed, typed or written by the program: editing
    // a number of the range choice selects its option.
    void textChanged(Control field);
    // The window's close box (or Alt+F4, or the system menu). True when the
    // window may unload now. While a handler runs below (a download yielding,
    // a box open) it may not: a running download is asked to stop after the
    // record in flight, offers to keep what it read, and once the outermost
    // handler has returned, closeWindow is called.
    bool requestClose();
    // Whether the entries of "Portas" may be chosen: only while the port field
    // may be edited, so never while connected or while a download runs.
    bool portChoiceOpen() const;
    // An entry of "Portas" chosen: its number into "Porta COM".
    void portChosen(int32_t port);
    // Runs a handler of the window's own (the About box, say) with the same
    // report of what it throws.
    void guarded(const std::function<void()>& handler);

private:
    ControllerServices m_services;
    FormView& m_view;
    FormValues m_values;
    std::function<void()> m_closeWindow;
    bool m_unloaded = false;
    // Handlers running, nested through the downloads' yields and modal boxes.
    int m_depth = 0;
    bool m_closePending = false;
    std::unique_ptr<FormLifecycle> m_lifecycle;
    std::unique_ptr<logexport::DeviceHistory> m_history;
    std::unique_ptr<ConnectController> m_connect;
    std::unique_ptr<PollController> m_poll;
    std::unique_ptr<DataLogDownload> m_dataLog;
    std::unique_ptr<ResetLogDownload> m_resetLog;
    std::unique_ptr<CancelController> m_cancel;
    std::unique_ptr<FolderChoice> m_folderChoice;
    // The handler behind each button.
    std::map<Control, std::function<void()>> m_clicks;
};
