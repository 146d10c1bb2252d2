#include "winui/controls.h"

#include "win32/widetext.h"

#include <commctrl.h>

namespace winui {

namespace {

// Character height in pixels of a size in points at the screen's density;
// negative, so that the font's characters, not its cells, have that height.
int pixelHeight(double points)
{
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return -static_cast<int>(points * dpi / 72.0 + 0.5);
}

HFONT verdana(double points, bool bold)
{
    // Where Verdana is missing the system picks a sans-serif face of its own.
    return CreateFontW(pixelHeight(points),
                       0,
                       0,
                       0,
                       bold ? FW_BOLD : FW_NORMAL,
                       FALSE,
                       FALSE,
                       FALSE,
                       DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS,
                       CLEARTYPE_QUALITY,
                       VARIABLE_PITCH | FF_SWISS,
                       L"Verdana");
}

HFONT dialogFont(bool title)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW font = metrics.lfMessageFont;
    if (title) {
        font.lfWeight = FW_BOLD;
        font.lfHeight = font.lfHeight * 6 / 5;
    }
    return CreateFontIndirectW(&font);
}

DWORD alignStyle(const ControlDesign& design)
{
    switch (design.kind) {
    case ControlKind::Label:
        return design.align == TextAlign::Centre  ? SS_CENTER
               : design.align == TextAlign::Right ? SS_RIGHT
                                                  : SS_LEFT;
    case ControlKind::TextBox:
        return design.align == TextAlign::Centre  ? ES_CENTER
               : design.align == TextAlign::Right ? ES_RIGHT
                                                  : ES_LEFT;
    default:
        return 0;
    }
}

struct Kind {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

Kind kindOf(const ControlDesign& design)
{
    switch (design.kind) {
    case ControlKind::Label:
        // One line, centred in its height, as the captions were designed;
        // "&" is text, not a mnemonic.
        return {L"STATIC", SS_NOPREFIX | (design.wordWrap ? 0u : SS_CENTERIMAGE), 0};
    case ControlKind::TextBox:
        return {L"EDIT", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case ControlKind::ComboBox:
        return {L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0};
    case ControlKind::Button:
        return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
    case ControlKind::Option:
        // Checked by the window itself, which keeps the three apart.
        return {L"BUTTON", WS_TABSTOP | BS_RADIOBUTTON, 0};
    case ControlKind::ProgressBar:
        return {PROGRESS_CLASSW, 0, 0};
    case ControlKind::Separator:
        return {L"STATIC", SS_ETCHEDHORZ, 0};
    case ControlKind::Icon:
        return {L"STATIC", SS_ICON, 0};
    }
    return {L"STATIC", 0, 0};
}

// The drop-down list hangs below the edit line; the window's height is the
// two together.
constexpr int kListHeight = 160;

void fitComboHeight(HWND combo, int height)
{
    // The closed list's height follows its edit line's, plus borders that
    // differ between systems and themes: adjust until it matches.
    for (int pass = 0; pass < 3; ++pass) {
        RECT shown{};
        GetWindowRect(combo, &shown);
        const LRESULT field = SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
        const int grow = height - (shown.bottom - shown.top);
        if (field <= 0 || grow == 0)
            return;
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field + grow);
    }
}

} // namespace

Fonts::Fonts()
{
    m_fonts[FontRole::Field] = verdana(9.75, false);
    m_fonts[FontRole::Button] = verdana(9.0, false);
    m_fonts[FontRole::Status] = verdana(9.75, true);
    m_fonts[FontRole::Dialog] = dialogFont(false);
    m_fonts[FontRole::DialogTitle] = dialogFont(true);
}

Fonts::~Fonts()
{
    for (const auto& [role, font] : m_fonts)
        DeleteObject(font);
}

HWND createControl(HWND parent, const ControlDesign& design, int id, const Fonts& fonts)
{
    const Kind kind = kindOf(design);
    const PixelRect& r = design.rect;
    const int height = design.kind == ControlKind::ComboBox ? r.height + kListHeight : r.height;
    const HWND hwnd = CreateWindowExW(kind.exStyle,
                                      kind.className,
                                      win32::widen(design.text).c_str(),
                                      WS_CHILD | WS_VISIBLE | kind.style | alignStyle(design),
                                      r.x,
                                      r.y,
                                      r.width,
                                      height,
                                      parent,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                      GetModuleHandleW(nullptr),
                                      nullptr);
    if (hwnd == nullptr)
        return nullptr;
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.of(design.font)), FALSE);
    switch (design.kind) {
    case ControlKind::TextBox:
        // 0 lifts the system's default limit of some 30000 characters.
        SendMessageW(hwnd, EM_SETLIMITTEXT, static_cast<WPARAM>(design.typingLimit), 0);
        break;
    case ControlKind::ComboBox:
        for (const char* entry : kBaudRateEntries)
            SendMessageW(hwnd,
                         CB_ADDSTRING,
                         0,
                         reinterpret_cast<LPARAM>(win32::widen(entry).c_str()));
        fitComboHeight(hwnd, r.height);
        break;
    case ControlKind::ProgressBar:
        SendMessageW(hwnd, PBM_SETRANGE32, 0, 100);
        break;
    case ControlKind::Icon:
        SendMessageW(hwnd,
                     STM_SETICON,
                     reinterpret_cast<WPARAM>(LoadIconW(nullptr, MAKEINTRESOURCEW(32512))),
                     0);
        break;
    default:
        break;
    }
    EnableWindow(hwnd, design.enabled);
    return hwnd;
}

COLORREF colourOf(TextColour colour)
{
    switch (colour) {
    case TextColour::Blue:
        return RGB(0, 0, 192);
    case TextColour::Red:
        return RGB(192, 0, 0);
    case TextColour::Default:
        break;
    }
    return CLR_INVALID;
}

} // namespace winui
