// The Win32 window in this process, as the system sees it: every control of
// the table (class, identifier, text, state, limit, place, order), the
// typing rules on real WM_CHAR messages and through the dialog keys, the
// option rule on EN_CHANGE, the folder ending with "\", the About box's
// place, and the question's own buttons. No library: the window must work
// without one until it connects.
#include "connection/dynamickestrune.h"
#include "core/formlayout.h"
#include "core/settingsstore.h"
#include "fixedclock.h"
#include "recordingprompts.h"
#include "scriptedfolders.h"
#include "scriptedkestrune.h"
#include "win32/widetext.h"
#include "winfiles.h"
#include "winui/controlids.h"
#include "winui/frmabout.h"
#include "winui/frmmain.h"
#include "winui/win32prompts.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

using namespace winui;

namespace {

std::string textOf(HWND hwnd)
{
    wchar_t buffer[512] = {};
    GetWindowTextW(hwnd, buffer, 512);
    return win32::narrow(buffer);
}

std::string classOf(HWND hwnd)
{
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return win32::narrow(name);
}

const char* classFor(ControlKind kind)
{
    switch (kind) {
    case ControlKind::TextBox:
        return "Edit";
    case ControlKind::ComboBox:
        return "ComboBox";
    case ControlKind::Button:
    case ControlKind::Option:
        return "Button";
    case ControlKind::ProgressBar:
        return "msctls_progress32";
    default:
        return "Static";
    }
}

// Runs `act` on a thread of its own once a box of this process with caption
// `caption` is up; the test thread meanwhile sits in the box's modal loop.
std::thread onDialog(const wchar_t* caption, std::function<void(HWND)> act)
{
    return std::thread([caption, act] {
        HWND box = nullptr;
        for (int i = 0; i < 200 && box == nullptr; ++i) {
            box = FindWindowW(L"#32770", caption);
            if (box == nullptr)
                std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        if (box != nullptr)
            act(box);
    });
}

void pressKey(HWND hwnd, WORD vk)
{
    PostMessageW(hwnd, WM_KEYDOWN, vk, 1);
    PostMessageW(hwnd, WM_KEYUP, vk, 0xC0000001);
}

class WinWindow : public testing::Test {
protected:
    void SetUp() override
    {
        m_window = std::make_unique<FrmMain>(ControllerServices{*m_api,
                                                                m_prompts,
                                                                m_store,
                                                                m_clock,
                                                                m_templateFolder,
                                                                [](int) {},
                                                                "C:\\LOG_QVR\\"},
                                             m_folders);
        ASSERT_TRUE(m_window->create(SW_SHOW));
        SetForegroundWindow(m_window->hwnd());
        m_window->processEvents();
    }

    HWND item(Control c) const { return GetDlgItem(m_window->hwnd(), controlId(c)); }
    void type(Control c, const char* characters)
    {
        for (const char* p = characters; *p != '\0'; ++p)
            SendMessageW(item(c), WM_CHAR, static_cast<WPARAM>(*p), 1);
    }
    void pump(int ms)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (std::chrono::steady_clock::now() < until) {
            m_window->processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    DynamicKestrune m_lib{"kestrune-absent.dll"};
    KestruneApi* m_api = &m_lib;
    std::string m_templateFolder = "C:\\LOG_QVR";
    RecordingPrompts m_prompts;
    MemorySettingsStore m_store;
    ScriptedFolders m_folders;
    FixedClock m_clock;
    std::unique_ptr<FrmMain> m_window;
};

TEST_F(WinWindow, EveryControlOfTheTableInCreationAndTabOrder)
{
    const std::map<Control, std::string> loaded = {{Control::txtTimeout, "200"},
                                                   {Control::txtRetry, "10"},
                                                   {Control::cboBaudRate, "     115200"},
                                                   {Control::txtCOM, "1"},
                                                   {Control::txtEnd, "1"},
                                                   {Control::txtCaminho, "C:\\LOG_QVR\\"}};
    HWND child = GetWindow(m_window->hwnd(), GW_CHILD);
    int fixed = kFirstFixedControlId;
    RECT client{};
    GetClientRect(m_window->hwnd(), &client);
    std::vector<std::pair<std::string, RECT>> shown;
    for (const ControlDesign& design : frmMainControls()) {
        SCOPED_TRACE(design.name);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(GetDlgCtrlID(child), design.id ? controlId(*design.id) : fixed++);
        EXPECT_EQ(classOf(child), classFor(design.kind));
        const auto was = design.id ? loaded.find(*design.id) : loaded.end();
        if (design.kind != ControlKind::ProgressBar) {
            EXPECT_EQ(textOf(child), was != loaded.end() ? was->second : design.text);
        }
        EXPECT_EQ(IsWindowEnabled(child) != FALSE, design.enabled);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        EXPECT_EQ((style & WS_TABSTOP) != 0, takesFocus(design.kind));
        if (design.kind == ControlKind::TextBox) {
            const auto limit = SendMessageW(child, EM_GETLIMITTEXT, 0, 0);
            // No limit is the system's largest.
            EXPECT_EQ(limit, design.typingLimit > 0 ? design.typingLimit : 0x7FFFFFFE);
            EXPECT_EQ((style & ES_CENTER) != 0, design.align == TextAlign::Centre);
        }
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, m_window->hwnd(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, design.rect.x);
        EXPECT_EQ(r.top, design.rect.y);
        // An etched line takes the system's own thickness and ends, and a
        // closed list may need more height than designed for its font.
        if (design.kind != ControlKind::Separator) {
            EXPECT_EQ(r.right - r.left, design.rect.width);
        }
        if (design.kind != ControlKind::Separator && design.kind != ControlKind::ComboBox) {
            EXPECT_EQ(r.bottom - r.top, design.rect.height);
        }
        shown.push_back({design.name, r});
        child = GetWindow(child, GW_HWNDNEXT);
    }
    for (std::size_t i = 0; i < shown.size(); ++i) {
        RECT inside{};
        EXPECT_TRUE(IntersectRect(&inside, &shown[i].second, &client) &&
                    EqualRect(&inside, &shown[i].second))
            << shown[i].first << " leaves the client area";
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            EXPECT_FALSE(IntersectRect(&inside, &shown[i].second, &shown[j].second))
                << shown[i].first << " overlaps " << shown[j].first;
        }
    }
    EXPECT_EQ(child, nullptr) << "a control beyond the table";

    // Tab, as the dialog manager walks it, with every control enabled.
    for (const ControlDesign& design : frmMainControls())
        if (design.id)
            m_window->setEnabled(*design.id, true);
    std::vector<Control> order;
    for (const ControlDesign& design : frmMainControls())
        if (takesFocus(design.kind))
            order.push_back(*design.id);
    for (std::size_t i = 0; i < order.size(); ++i)
        EXPECT_EQ(GetNextDlgTabItem(m_window->hwnd(), item(order[i]), FALSE),
                  item(order[(i + 1) % order.size()]))
            << frmMainControl(order[i]).name;
}

TEST_F(WinWindow, TitleSizeMenuAndTimer)
{
    EXPECT_EQ(textOf(m_window->hwnd()), "Log - QVR/KPW - Quorvane - V1.0.0 - Fw v1.24 r4");
    RECT client{};
    GetClientRect(m_window->hwnd(), &client);
    EXPECT_EQ(client.right, kFrmMainClientWidth);
    EXPECT_EQ(client.bottom, kFrmMainClientHeight);
    const LONG style = GetWindowLongW(m_window->hwnd(), GWL_STYLE);
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0);
    EXPECT_NE(style & WS_MINIMIZEBOX, 0);
    wchar_t entry[32] = {};
    const HMENU bar = GetMenu(m_window->hwnd());
    GetMenuStringW(bar, kMenuSobreId, entry, 32, MF_BYCOMMAND);
    EXPECT_EQ(win32::narrow(entry), "Sobre");
    // "Relatório" just before "Sobre", its two entries by their identifiers.
    const int count = GetMenuItemCount(bar);
    ASSERT_GE(count, 2);
    GetMenuStringW(bar, count - 2, entry, 32, MF_BYPOSITION);
    EXPECT_EQ(win32::narrow(entry), "Relatório");
    wchar_t sub[64] = {};
    GetMenuStringW(bar, kMenuUltimoLogId, sub, 64, MF_BYCOMMAND);
    EXPECT_EQ(win32::narrow(sub), "Abrir relatório do último LOG");
    GetMenuStringW(bar, kMenuArquivoId, sub, 64, MF_BYCOMMAND);
    EXPECT_EQ(win32::narrow(sub), "Abrir relatório de um arquivo...");
    EXPECT_TRUE(m_window->isEnabled(Control::Timer1));
    pump(700);
    EXPECT_EQ(textOf(item(Control::lblStatus)), "Desconectado.");
    m_window->setEnabled(Control::Timer1, false);
    EXPECT_FALSE(m_window->isEnabled(Control::Timer1));
}

// "Portas" lists what Windows reports: under Wine, the ports of SERIALCOMM,
// two of them written here as a serial driver would, beside Wine's own. In
// number order; one beyond the window's 255 cannot be chosen, nor any while
// connected; choosing one fills "Porta COM".
TEST_F(WinWindow, PortasListsTheComPortsWindowsReports)
{
    HKEY serialcomm = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                              L"HARDWARE\\DEVICEMAP\\SERIALCOMM",
                              0,
                              nullptr,
                              REG_OPTION_VOLATILE,
                              KEY_ALL_ACCESS,
                              nullptr,
                              &serialcomm,
                              nullptr),
              ERROR_SUCCESS);
    const std::pair<const wchar_t*, const wchar_t*> planted[] = {
        {L"\\Device\\LogQvrTest300", L"COM300"},
        {L"\\Device\\LogQvrTest57", L"COM57"}};
    for (const auto& [name, port] : planted)
        RegSetValueExW(serialcomm,
                       name,
                       0,
                       REG_SZ,
                       reinterpret_cast<const BYTE*>(port),
                       static_cast<DWORD>((wcslen(port) + 1) * sizeof(wchar_t)));
    const HMENU portas = GetSubMenu(GetMenu(m_window->hwnd()), 0);
    const auto open = [&] {
        SendMessageW(m_window->hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(portas), 0);
        std::vector<std::pair<std::string, bool>> entries;
        for (int i = 0; i < GetMenuItemCount(portas); ++i) {
            wchar_t text[128] = {};
            GetMenuStringW(portas, static_cast<UINT>(i), text, 128, MF_BYPOSITION);
            const bool on =
                !(GetMenuState(portas, static_cast<UINT>(i), MF_BYPOSITION) & MF_GRAYED);
            entries.emplace_back(win32::narrow(text), on);
            std::printf("Portas: %s%s\n", win32::narrow(text).c_str(), on ? "" : " (off)");
        }
        return entries;
    };
    wchar_t title[32] = {};
    GetMenuStringW(GetMenu(m_window->hwnd()), 0, title, 32, MF_BYPOSITION);
    EXPECT_EQ(win32::narrow(title), "Portas");

    std::vector<std::pair<std::string, bool>> entries = open();
    const auto at = [&](const std::string& text) {
        return std::find_if(entries.begin(), entries.end(), [&](const auto& e) {
            return e.first == text;
        });
    };
    ASSERT_NE(at("COM57"), entries.end());
    ASSERT_NE(at("COM300"), entries.end());
    EXPECT_LT(at("COM57"), at("COM300"));
    EXPECT_TRUE(at("COM57")->second);
    EXPECT_FALSE(at("COM300")->second);
    const auto index = static_cast<int>(at("COM57") - entries.begin());
    SendMessageW(m_window->hwnd(), WM_COMMAND, static_cast<WPARAM>(kFirstPortEntryId + index), 0);
    EXPECT_EQ(m_window->text(Control::txtCOM), "57");

    m_window->values().PortaAberta = true;
    entries = open();
    EXPECT_FALSE(at("COM57")->second);
    for (const auto& [name, port] : planted)
        RegDeleteValueW(serialcomm, name);
    RegCloseKey(serialcomm);
}

TEST_F(WinWindow, TypingRulesOnRealCharacters)
{
    SetWindowTextW(item(Control::txtCOM), L"");
    type(Control::txtCOM, "1a2-3");
    EXPECT_EQ(textOf(item(Control::txtCOM)), "123");
    type(Control::txtCOM, "4");
    EXPECT_EQ(textOf(item(Control::txtCOM)), "123");
    type(Control::txtCOM, "\b");
    EXPECT_EQ(textOf(item(Control::txtCOM)), "12");
    // Ctrl+V, Ctrl+X arrive as their control characters: discarded.
    if (OpenClipboard(m_window->hwnd())) {
        EmptyClipboard();
        HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 8);
        std::memcpy(GlobalLock(text), L"xyz", 8);
        GlobalUnlock(text);
        SetClipboardData(CF_UNICODETEXT, text);
        CloseClipboard();
    }
    SendMessageW(item(Control::txtCOM), EM_SETSEL, 0, -1);
    type(Control::txtCOM, "\x16\x18");
    EXPECT_EQ(textOf(item(Control::txtCOM)), "12");

    SetWindowTextW(item(Control::txtEnd), L"");
    type(Control::txtEnd, "a1bc");
    EXPECT_EQ(textOf(item(Control::txtEnd)), "a1b");
    SetWindowTextW(item(Control::txtTimeout), L"");
    type(Control::txtTimeout, "1234567");
    EXPECT_EQ(textOf(item(Control::txtTimeout)), "12345");
    // Text the program writes is kept whole.
    m_window->setText(Control::txtTimeout, "1234567");
    EXPECT_EQ(m_window->text(Control::txtTimeout), "1234567");
}

TEST_F(WinWindow, EnterAndEscThroughTheDialogKeys)
{
    SetWindowTextW(item(Control::txtCOM), L"0");
    SetFocus(item(Control::txtCOM));
    pressKey(item(Control::txtCOM), VK_RETURN);
    m_window->processEvents();
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_EQ(m_prompts.shown[0].text, "Porta COM deve ser maior que 0 e menor que 256.");
    EXPECT_EQ(textOf(item(Control::txtCOM)), "0");

    // In txtEnd too; there the missing library is told, not fatal.
    m_prompts.shown.clear();
    SetWindowTextW(item(Control::txtCOM), L"3");
    SetFocus(item(Control::txtEnd));
    pressKey(item(Control::txtEnd), VK_RETURN);
    m_window->processEvents();
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_NE(m_prompts.shown[0].text.find("kestrune-absent.dll"), std::string::npos);
    EXPECT_EQ(m_window->text(Control::cmdOK), "Conectar");

    // Esc while no download runs changes nothing.
    pressKey(item(Control::txtEnd), VK_ESCAPE);
    m_window->processEvents();
    EXPECT_EQ(m_window->text(Control::lblRestante), "");
    EXPECT_FALSE(m_window->values().cancelRequested);
    // While a download runs ("Cancelar" on), Esc asks it to stop.
    m_window->setEnabled(Control::cmdCancelar, true);
    pressKey(item(Control::txtEnd), VK_ESCAPE);
    m_window->processEvents();
    EXPECT_TRUE(m_window->values().cancelRequested);
    EXPECT_EQ(m_window->text(Control::lblRestante), "Cancelando...");
}

TEST_F(WinWindow, TabIntoThePortFieldSelectsItAll)
{
    SetWindowTextW(item(Control::txtCOM), L"12");
    SetFocus(item(Control::cboBaudRate));
    pressKey(GetFocus(), VK_TAB);
    m_window->processEvents();
    ASSERT_EQ(GetFocus(), item(Control::txtCOM));
    DWORD start = 9;
    DWORD end = 9;
    SendMessageW(item(Control::txtCOM),
                 EM_GETSEL,
                 reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 2u);
}

TEST_F(WinWindow, OptionFollowsTheEditedNumberAndStaysAlone)
{
    m_window->setChecked(Control::optInteira, true);
    SetWindowTextW(item(Control::txtDe), L"5");
    EXPECT_TRUE(m_window->isChecked(Control::optAte));
    EXPECT_FALSE(m_window->isChecked(Control::optInteira));
    EnableWindow(item(Control::txtUltimos), TRUE);
    type(Control::txtUltimos, "7");
    EXPECT_TRUE(m_window->isChecked(Control::optUltimos));
    EXPECT_FALSE(m_window->isChecked(Control::optAte));
    EnableWindow(item(Control::optInteira), TRUE);
    SendMessageW(item(Control::optInteira), BM_CLICK, 0, 0);
    EXPECT_TRUE(m_window->isChecked(Control::optInteira));
    EXPECT_FALSE(m_window->isChecked(Control::optUltimos));
    m_window->setChecked(Control::optInteira, false);
    EXPECT_FALSE(m_window->isChecked(Control::optInteira));
}

TEST_F(WinWindow, TypedBaudRateSelectsNoEntry)
{
    EXPECT_EQ(m_window->listIndex(Control::cboBaudRate), 5);
    SetWindowTextW(item(Control::cboBaudRate), L"9600");
    EXPECT_EQ(m_window->listIndex(Control::cboBaudRate), -1);
    m_window->setListIndex(Control::cboBaudRate, 1);
    EXPECT_EQ(m_window->text(Control::cboBaudRate), "     9600");
    EXPECT_EQ(m_window->listIndex(Control::cboBaudRate), 1);
    m_window->setListIndex(Control::cboBaudRate, -1);
    EXPECT_EQ(m_window->text(Control::cboBaudRate), "");
}

TEST_F(WinWindow, ProcurarPutsTheFolderWithABackslash)
{
    const auto procurar = [this] { SendMessageW(item(Control::cmdProcurar), BM_CLICK, 0, 0); };
    m_folders.answer = "C:\\Dados";
    procurar();
    EXPECT_EQ(m_window->text(Control::txtCaminho), "C:\\Dados\\");
    EXPECT_EQ(m_folders.titles.back(), "Caminho:");
    m_folders.answer = "C:\\";
    procurar();
    EXPECT_EQ(m_window->text(Control::txtCaminho), "C:\\");
    m_folders.answer = std::nullopt;
    procurar();
    m_folders.answer = "";
    procurar();
    EXPECT_EQ(m_window->text(Control::txtCaminho), "C:\\");
}

TEST_F(WinWindow, AboutBoxAtItsStoredPlaceClosesWithEnter)
{
    m_store.setValue("TopAbout", "750");
    m_store.setValue("LeftAbout", "3000");
    RECT frame{};
    std::string version;
    std::atomic<bool> seen = false;
    std::thread helper = onDialog(L"Sobre LOG QVR", [&](HWND box) {
        GetWindowRect(box, &frame);
        version = textOf(GetDlgItem(box, FrmAbout::controlId("lblVersion")));
        seen = true;
        GUITHREADINFO gui{};
        gui.cbSize = sizeof gui;
        GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &gui);
        pressKey(gui.hwndFocus != nullptr ? gui.hwndFocus : box, VK_RETURN);
    });
    PostMessageW(m_window->hwnd(), WM_COMMAND, kMenuSobreId, 0);
    m_window->processEvents(); // returns once the box has closed
    helper.join();
    ASSERT_TRUE(seen);
    EXPECT_EQ(version, "Versão 1.0.0");
    EXPECT_EQ(frame.left, 200);
    EXPECT_EQ(frame.top, 50);
}

// A device that answers, from a script, and the reset template copied where
// the downloads fill it.
class WinWindowWithDevice : public WinWindow {
protected:
    WinWindowWithDevice()
    {
        m_api = &m_device;
        m_templateFolder = m_templates.path().substr(0, m_templates.path().size() - 1);
        const std::string linux =
            wintest::fromLinux(std::string(LOGQVR_LINUX_BIN) + "/LOG_RESET_QVR.mdb");
        CopyFileW(win32::widen(linux).c_str(),
                  win32::widen(m_templates.file("LOG_RESET_QVR.mdb")).c_str(),
                  FALSE);
    }

    // The window goes before the device it holds.
    void TearDown() override { m_window.reset(); }

    CallLog m_calls;
    ScriptedKestrune m_device{m_calls};
    wintest::TempFolder m_templates;
};

// Enter presses the focused button, and that one only. "LOG de Reset" turns
// itself off while it runs, which hands the focus on to "Procurar...": that
// button must not be pressed as well once the download is over.
TEST_F(WinWindowWithDevice, EnterPressesTheFocusedButtonOnce)
{
    m_device.registers[17172] = 5;  // the reset log holds entries
    m_device.failing[17600] = true; // but none can be read
    m_window->setText(Control::txtRetry, "1");
    m_window->setEnabled(Control::cmdLogReset, true);
    SetFocus(item(Control::cmdLogReset));
    pressKey(item(Control::cmdLogReset), VK_RETURN);
    m_window->processEvents();

    EXPECT_EQ(std::count(m_calls.begin(), m_calls.end(), "modbus_rd(1,17172,1)"), 1);
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_EQ(m_prompts.shown[0].text, "Erro ao ler o LOG");
    EXPECT_TRUE(m_folders.titles.empty()) << "\"Procurar...\" was pressed too";
}

TEST(WinPrompts, TheQuestionsButtonsReadSimAndNao)
{
    Win32Prompts prompts;
    for (const int press : {IDOK, IDCANCEL, 0}) {
        std::string sim;
        std::string nao;
        std::thread helper = onDialog(L"LOG QVR", [&](HWND box) {
            sim = textOf(GetDlgItem(box, IDOK));
            nao = textOf(GetDlgItem(box, IDCANCEL));
            if (press != 0)
                PostMessageW(GetDlgItem(box, press), BM_CLICK, 0, 0);
            else
                pressKey(GetDlgItem(box, IDOK), VK_ESCAPE);
        });
        const bool answer = prompts.ask("Salvar os 3 registros lidos?", "LOG QVR");
        helper.join();
        EXPECT_EQ(sim, "Sim");
        EXPECT_EQ(nao, "Não");
        EXPECT_EQ(answer, press == IDOK) << press;
    }
}

} // namespace
