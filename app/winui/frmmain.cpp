#include "winui/frmmain.h"

#include "connection/comports.h"
#include "core/formlayout.h"
#include "form/reportmenu.h"
#include "win32/widetext.h"
#include "winui/controlids.h"
#include "winui/frmabout.h"

#include <commctrl.h>

#include <utility>

namespace winui {

namespace {

constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// Tab and the arrow keys move between the controls of the window itself.
constexpr DWORD kExStyle = WS_EX_CONTROLPARENT;

std::wstring windowText(HWND hwnd)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), int(text.size()))));
    return text;
}

// Caret at the start and the whole text selected, so that typing replaces it.
void selectAllFromStart(HWND edit)
{
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(GetWindowTextLengthW(edit)), 0);
}

} // namespace

bool FrmMain::registerClass()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = FrmMain::windowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFrmMainClass;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

FrmMain::FrmMain(ControllerServices services, FolderPicker& folders)
    : m_services(std::move(services)), m_folders(folders),
      m_events(std::make_unique<FormEvents>(m_services, *this, m_folders, [this] {
          if (m_hwnd != nullptr)
              DestroyWindow(m_hwnd);
      }))
{
}

FrmMain::~FrmMain()
{
    if (m_hwnd != nullptr)
        DestroyWindow(m_hwnd);
}

bool FrmMain::create(int showCommand)
{
    if (!registerClass())
        return false;
    RECT frame{0, 0, kFrmMainClientWidth, kFrmMainClientHeight};
    const HMENU menu = CreateMenu();
    m_menuPortas = CreatePopupMenu();
    AppendMenuW(menu,
                MF_POPUP,
                reinterpret_cast<UINT_PTR>(m_menuPortas),
                win32::widen(kMenuPortas).c_str());
    const HMENU relatorio = CreatePopupMenu();
    AppendMenuW(relatorio, MF_STRING, kMenuUltimoLogId, win32::widen(kMenuUltimoLog).c_str());
    AppendMenuW(relatorio, MF_STRING, kMenuArquivoId, win32::widen(kMenuArquivo).c_str());
    AppendMenuW(menu,
                MF_POPUP,
                reinterpret_cast<UINT_PTR>(relatorio),
                win32::widen(kMenuRelatorio).c_str());
    AppendMenuW(menu, MF_STRING, kMenuSobreId, win32::widen(kMenuSobre).c_str());
    AdjustWindowRectEx(&frame, kStyle, TRUE, kExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    m_hwnd = CreateWindowExW(kExStyle,
                             kFrmMainClass,
                             L"",
                             kStyle,
                             work.left + (work.right - work.left - width) / 2,
                             work.top + (work.bottom - work.top - height) / 2,
                             width,
                             height,
                             nullptr,
                             menu,
                             GetModuleHandleW(nullptr),
                             this);
    if (m_hwnd == nullptr) {
        DestroyMenu(menu);
        return false;
    }
    buildControls();
    setEnabled(Control::Timer1, true);
    // Load begins by selecting txtCOM's design text; the stored texts written
    // after it replace that selection, so no field starts highlighted.
    selectAllFromStart(control(Control::txtCOM));
    m_events->Form_Load();
    ShowWindow(m_hwnd, showCommand);
    UpdateWindow(m_hwnd);
    SetFocus(control(Control::txtTimeout));
    return true;
}

void FrmMain::buildControls()
{
    int fixed = kFirstFixedControlId;
    for (const ControlDesign& design : frmMainControls()) {
        const int id = design.id ? controlId(*design.id) : fixed++;
        const HWND hwnd = createControl(m_hwnd, design, id, m_fonts);
        if (design.colour != TextColour::Default)
            m_colours[hwnd] = design.colour;
        if (!design.id)
            continue;
        m_controls[*design.id] = hwnd;
        if (design.kind == ControlKind::TextBox)
            SetWindowSubclass(hwnd,
                              fieldProc,
                              static_cast<UINT_PTR>(*design.id),
                              reinterpret_cast<DWORD_PTR>(this));
    }
}

int FrmMain::run()
{
    m_quitWithWindow = true;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (m_hwnd != nullptr && IsDialogMessageW(m_hwnd, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

void FrmMain::processEvents()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The loop of run() must see it too.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (m_hwnd != nullptr && IsDialogMessageW(m_hwnd, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

LRESULT CALLBACK FrmMain::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* self = static_cast<FrmMain*>(created->lpCreateParams);
        self->m_hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<FrmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT FrmMain::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_INITMENUPOPUP:
        if (reinterpret_cast<HMENU>(wParam) == m_menuPortas)
            m_events->guarded([this] { fillPortsMenu(); });
        else
            enableReportMenu(reinterpret_cast<HMENU>(wParam));
        return 0;
    case WM_TIMER:
        if (wParam == kTimer1Id)
            m_events->Timer1_Timer();
        return 0;
    case WM_CTLCOLORSTATIC:
        return colour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), false);
    case WM_CTLCOLOREDIT:
        return colour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), true);
    case WM_ACTIVATE:
        // The focus comes back to where it was when the window is left and
        // entered again, as in a dialog.
        if (LOWORD(wParam) == WA_INACTIVE) {
            m_lastFocus = GetFocus();
        } else {
            const HWND back = m_lastFocus != nullptr && IsChild(m_hwnd, m_lastFocus)
                                  ? m_lastFocus
                                  : GetNextDlgTabItem(m_hwnd, nullptr, FALSE);
            SetFocus(back);
        }
        return 0;
    case WM_CLOSE:
        close();
        return 0;
    case WM_DESTROY:
        KillTimer(m_hwnd, kTimer1Id);
        m_timerRunning = false;
        m_events->Form_Unload();
        if (m_quitWithWindow)
            PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        m_hwnd = nullptr;
        m_controls.clear();
        break;
    default:
        break;
    }
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

void FrmMain::command(int id, int notification, HWND from)
{
    if (id == kMenuSobreId && from == nullptr) {
        m_events->guarded([this] { menu_sobre_Click(); });
        return;
    }
    if (id == kMenuUltimoLogId && from == nullptr && m_reportMenu != nullptr) {
        m_events->guarded([this] { m_reportMenu->openLastLog(); });
        return;
    }
    if (id == kMenuArquivoId && from == nullptr && m_reportMenu != nullptr) {
        m_events->guarded(
            [this] { m_reportMenu->openChosen(*m_logPicker, text(Control::txtCaminho)); });
        return;
    }
    if (id >= kFirstPortEntryId && id <= kLastPortEntryId && from == nullptr) {
        const auto index = static_cast<std::size_t>(id - kFirstPortEntryId);
        if (index < m_ports.size() && m_ports[index].port)
            m_events->portChosen(*m_ports[index].port);
        return;
    }
    // Enter outside the two connection fields, which the dialog manager
    // turns into IDOK: the focused control decides, and nothing of the
    // window is looked at after its handler (which may close the window).
    if (id == IDOK && notification == BN_CLICKED) {
        if (const std::optional<Control> focused = controlOf(GetFocus()))
            m_events->enter(*focused);
        return;
    }
    if (id == IDCANCEL && notification == BN_CLICKED) {
        m_events->escape();
        return;
    }
    const std::optional<Control> c = controlOf(from);
    if (!c)
        return;
    const ControlKind kind = frmMainControl(*c).kind;
    if (notification == BN_CLICKED && kind == ControlKind::Button)
        m_events->click(*c);
    else if (notification == BN_CLICKED && kind == ControlKind::Option)
        setChecked(*c, true);
    else if (notification == EN_CHANGE)
        m_events->textChanged(*c);
}

std::optional<Control> FrmMain::controlOf(HWND hwnd) const
{
    if (hwnd == nullptr)
        return std::nullopt;
    for (const auto& [c, control] : m_controls) {
        if (control == hwnd)
            return c;
    }
    return std::nullopt;
}

LRESULT FrmMain::fieldMessage(Control field, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    const ControlDesign& design = frmMainControl(field);
    switch (message) {
    case WM_GETDLGCODE: {
        LRESULT code = DefSubclassProc(hwnd, message, wParam, lParam);
        // The field selects its text itself when it gets the focus, with the
        // caret at the start.
        if (design.selectAllOnFocus)
            code &= ~DLGC_HASSETSEL;
        // It wants Enter, which connects.
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (design.enterConnects && msg != nullptr &&
            (msg->message == WM_KEYDOWN || msg->message == WM_CHAR) && msg->wParam == VK_RETURN)
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_CHAR: {
        // Enter connects, and may close the window meanwhile: the field is
        // not handed the key then.
        const bool discard = m_events->keyPress(field, static_cast<char16_t>(wParam));
        // A one-line field would only beep at Enter.
        if (discard || wParam == kEnterKey)
            return 0;
        break;
    }
    case WM_SETFOCUS:
    case WM_LBUTTONUP:
        if (message == WM_SETFOCUS ? design.selectAllOnFocus : design.selectAllOnClick) {
            const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            selectAllFromStart(hwnd);
            return result;
        }
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(hwnd, fieldProc, static_cast<UINT_PTR>(field));
        break;
    default:
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK FrmMain::fieldProc(HWND hwnd,
                                    UINT message,
                                    WPARAM wParam,
                                    LPARAM lParam,
                                    UINT_PTR id,
                                    DWORD_PTR self)
{
    return reinterpret_cast<FrmMain*>(self)->fieldMessage(static_cast<Control>(id),
                                                          hwnd,
                                                          message,
                                                          wParam,
                                                          lParam);
}

LRESULT FrmMain::colour(HDC dc, HWND from, bool edit)
{
    auto it = m_colours.find(from);
    // The list's edit line is a child of the list.
    if (it == m_colours.end())
        it = m_colours.find(GetParent(from));
    // A disabled control keeps the system's grey.
    if (it == m_colours.end() || !IsWindowEnabled(from))
        return DefWindowProcW(m_hwnd,
                              edit ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC,
                              reinterpret_cast<WPARAM>(dc),
                              reinterpret_cast<LPARAM>(from));
    const int background = edit ? COLOR_WINDOW : COLOR_BTNFACE;
    SetTextColor(dc, colourOf(it->second));
    SetBkColor(dc, GetSysColor(background));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(background));
}

void FrmMain::close()
{
    if (m_events->requestClose())
        DestroyWindow(m_hwnd);
}

void FrmMain::fillPortsMenu()
{
    while (GetMenuItemCount(m_menuPortas) > 0)
        DeleteMenu(m_menuPortas, 0, MF_BYPOSITION);
    m_ports = listComPorts();
    if (m_ports.size() > static_cast<std::size_t>(kLastPortEntryId - kFirstPortEntryId + 1))
        m_ports.resize(static_cast<std::size_t>(kLastPortEntryId - kFirstPortEntryId + 1));
    if (m_ports.empty())
        AppendMenuW(m_menuPortas, MF_STRING | MF_GRAYED, 0, win32::widen(kNoPortsEntry).c_str());
    const bool open = m_events->portChoiceOpen();
    for (std::size_t i = 0; i < m_ports.size(); ++i) {
        // While connected or downloading the list only informs.
        const UINT state = m_ports[i].port && open ? MF_ENABLED : MF_GRAYED;
        AppendMenuW(m_menuPortas,
                    MF_STRING | state,
                    static_cast<UINT_PTR>(kFirstPortEntryId + static_cast<int>(i)),
                    win32::widen(describeComPort(m_ports[i])).c_str());
    }
}

void FrmMain::setReportMenu(ReportMenu& menu, LogFilePicker& picker)
{
    m_reportMenu = &menu;
    m_logPicker = &picker;
}

// The last file may have been written, or removed, since the menu last opened.
void FrmMain::enableReportMenu(HMENU popup)
{
    const bool last = m_reportMenu != nullptr && m_reportMenu->lastLog().has_value();
    EnableMenuItem(popup, kMenuUltimoLogId, MF_BYCOMMAND | (last ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(popup,
                   kMenuArquivoId,
                   MF_BYCOMMAND | (m_reportMenu != nullptr ? MF_ENABLED : MF_GRAYED));
}

void FrmMain::menu_sobre_Click()
{
    FrmAbout about(m_services.store);
    about.showModal(m_hwnd);
}

HWND FrmMain::control(Control c) const
{
    auto it = m_controls.find(c);
    return it == m_controls.end() ? nullptr : it->second;
}

std::string FrmMain::text(Control c) const
{
    const HWND hwnd = control(c);
    return hwnd != nullptr ? win32::narrow(windowText(hwnd)) : std::string();
}

void FrmMain::setText(Control c, const std::string& utf8)
{
    const HWND hwnd = control(c);
    // Rewriting the same text changes nothing, and fires no change rule.
    if (hwnd == nullptr || text(c) == utf8)
        return;
    SetWindowTextW(hwnd, win32::widen(utf8).c_str());
}

bool FrmMain::isEnabled(Control c) const
{
    if (c == Control::Timer1)
        return m_timerRunning;
    const HWND hwnd = control(c);
    return hwnd != nullptr && IsWindowEnabled(hwnd);
}

void FrmMain::setEnabled(Control c, bool enabled)
{
    if (c == Control::Timer1) {
        if (enabled)
            SetTimer(m_hwnd, kTimer1Id, kTimer1IntervalMs, nullptr);
        else
            KillTimer(m_hwnd, kTimer1Id);
        m_timerRunning = enabled;
        return;
    }
    const HWND hwnd = control(c);
    if (hwnd == nullptr)
        return;
    // A disabled control cannot keep the focus, and a window whose focus is
    // nowhere takes no keys: hand it on along the tab order.
    if (!enabled && GetFocus() == hwnd)
        SetFocus(GetNextDlgTabItem(m_hwnd, hwnd, FALSE));
    EnableWindow(hwnd, enabled);
}

bool FrmMain::isChecked(Control c) const
{
    const HWND hwnd = control(c);
    return hwnd != nullptr && SendMessageW(hwnd, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void FrmMain::setChecked(Control c, bool checked)
{
    if (control(c) == nullptr || frmMainControl(c).kind != ControlKind::Option)
        return;
    // One checked option of a group means the others are not.
    for (Control option : optionGroupOf(c)) {
        const bool on = option == c ? checked : checked ? false : isChecked(option);
        SendMessageW(control(option), BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}

int FrmMain::listIndex(Control c) const
{
    const HWND hwnd = control(c);
    if (hwnd == nullptr)
        return -1;
    // A typed text selects no entry, even if an entry was picked before.
    const auto index = static_cast<int>(SendMessageW(hwnd, CB_GETCURSEL, 0, 0));
    if (index < 0)
        return -1;
    const auto length = SendMessageW(hwnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    std::wstring entry(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(hwnd,
                 CB_GETLBTEXT,
                 static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(entry.data()));
    entry.resize(static_cast<std::size_t>(length));
    return entry == windowText(hwnd) ? index : -1;
}

void FrmMain::setListIndex(Control c, int index)
{
    const HWND hwnd = control(c);
    if (hwnd == nullptr)
        return;
    const auto count = static_cast<int>(SendMessageW(hwnd, CB_GETCOUNT, 0, 0));
    SendMessageW(hwnd, CB_SETCURSEL, index >= 0 && index < count ? index : -1, 0);
    if (index < 0 || index >= count)
        SetWindowTextW(hwnd, L"");
}

void FrmMain::setValue(Control c, int percent)
{
    if (const HWND hwnd = control(c))
        SendMessageW(hwnd, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
}

void FrmMain::setTitle(const std::string& utf8)
{
    SetWindowTextW(m_hwnd, win32::widen(utf8).c_str());
}

int FrmMain::topTwips() const
{
    RECT frame{};
    GetWindowRect(m_hwnd, &frame);
    return frame.top * kTwipsPerPixel;
}

int FrmMain::leftTwips() const
{
    RECT frame{};
    GetWindowRect(m_hwnd, &frame);
    return frame.left * kTwipsPerPixel;
}

} // namespace winui
