#include "winui/frmabout.h"

#include "core/formlayout.h"
#include "form/aboutbox.h"
#include "win32/widetext.h"
#include "winui/controls.h"

#include <cstring>
#include <memory>

namespace winui {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

// An empty dialog template: the controls are made from the table at
// WM_INITDIALOG, in pixels, rather than in dialog units of a template.
struct alignas(4) EmptyTemplate {
    DLGTEMPLATE dialog;
    WORD menu = 0;
    WORD windowClass = 0;
    WORD title = 0;
};

struct Session {
    FrmAbout* box;
    Fonts fonts;
};

} // namespace

int FrmAbout::controlId(const char* name)
{
    const auto controls = frmAboutControls();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        if (std::strcmp(controls[i].name, name) != 0)
            continue;
        // "OK" carries IDOK, which Enter and Esc both reach.
        return controls[i].kind == ControlKind::Button ? IDOK : 100 + static_cast<int>(i);
    }
    return -1;
}

void FrmAbout::showModal(HWND owner)
{
    EmptyTemplate empty{};
    empty.dialog.style = kStyle;
    empty.dialog.dwExtendedStyle = WS_EX_DLGMODALFRAME;
    Session session{this, {}};
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                            &empty.dialog,
                            owner,
                            dialogProc,
                            reinterpret_cast<LPARAM>(&session));
}

INT_PTR CALLBACK FrmAbout::dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        auto* session = reinterpret_cast<Session*>(lParam);
        for (const ControlDesign& design : frmAboutControls()) {
            const HWND control =
                createControl(hwnd, design, controlId(design.name), session->fonts);
            if (design.kind == ControlKind::Button)
                SendMessageW(control, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
        }
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, lParam);
        session->box->Form_Load(hwnd);
        SetFocus(GetDlgItem(hwnd, IDOK));
        // The focus is set here.
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(hwnd, IDOK);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

void FrmAbout::Form_Load(HWND hwnd)
{
    SetWindowTextW(hwnd, win32::widen(aboutCaption()).c_str());
    SetDlgItemTextW(hwnd, controlId("lblVersion"), win32::widen(aboutVersionText()).c_str());
    RECT frame{0, 0, kFrmAboutClientWidth, kFrmAboutClientHeight};
    AdjustWindowRectEx(&frame, kStyle, FALSE, WS_EX_DLGMODALFRAME);
    // Laid out centred first; the stored place (never written by the program,
    // so 0 unless set by hand) then wins, as it always has.
    const ScreenPoint place = aboutPosition(m_store);
    SetWindowPos(hwnd,
                 nullptr,
                 place.x,
                 place.y,
                 frame.right - frame.left,
                 frame.bottom - frame.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace winui
