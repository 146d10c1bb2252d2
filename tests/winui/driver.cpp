// logqvr-driver.exe: works the real LOG_QVR.exe from another process as a
// technician would, through its controls: finds the window by its class and
// each control by its identifier, writes texts, presses buttons and keys,
// waits for the texts the program writes and answers its boxes. The
// program's own window procedure handles every click. Each step prints what
// it saw; the calling script judges those lines.
//   logqvr-driver.exe run             connect, both downloads, About, the
//                                     folder browser, disconnect, close
//   logqvr-driver.exe downloads OUT   the folder field as it came, then OUT
//                                     in it; connect, both downloads,
//                                     disconnect, close
//   logqvr-driver.exe repeat          connect, print what the window offers,
//                                     one click on "Gerar Arquivo de LOG",
//                                     disconnect, close
//   logqvr-driver.exe connect         connect and print the window's place
//   logqvr-driver.exe about           open the About box and print its place
//   logqvr-driver.exe close           close the About box if open, then the window
#include "winui/controlids.h"
#include "winui/frmabout.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

using namespace winui;

namespace {

constexpr int kMessageBoxTextId = 0xFFFF;
constexpr auto kStep = std::chrono::milliseconds(50);

std::string utf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8,
                                      0,
                                      text.data(),
                                      int(text.size()),
                                      nullptr,
                                      0,
                                      nullptr,
                                      nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring wide(const std::string& text)
{
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n);
    return out;
}

[[noreturn]] void fail(const std::string& what)
{
    std::printf("driver: FAILED: %s\n", what.c_str());
    std::fflush(stdout);
    std::exit(1);
}

// Control texts of another process come through WM_GETTEXT, which the system
// carries across; GetWindowTextW would only see captions.
std::string textOf(HWND hwnd)
{
    wchar_t buffer[1024] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(hwnd,
                             WM_GETTEXT,
                             std::size(buffer),
                             reinterpret_cast<LPARAM>(buffer),
                             SMTO_NORMAL,
                             10000,
                             &copied))
        return "(no answer)";
    return utf8(std::wstring(buffer, copied));
}

bool waitFor(const std::function<bool()>& done, int seconds)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(kStep);
    }
    return true;
}

class Window {
public:
    explicit Window(int seconds)
    {
        waitFor([this] { return (m_hwnd = FindWindowW(kFrmMainClass, nullptr)) != nullptr; },
                seconds);
        if (m_hwnd == nullptr)
            fail("no LOG_QVR window");
        // Until the window is shown, its load has not finished.
        if (!waitFor([this] { return IsWindowVisible(m_hwnd) != FALSE; }, seconds))
            fail("the window never showed");
    }

    HWND hwnd() const { return m_hwnd; }
    HWND item(Control c) const
    {
        const HWND hwnd = GetDlgItem(m_hwnd, controlId(c));
        if (hwnd == nullptr)
            fail("no control " + std::to_string(controlId(c)));
        return hwnd;
    }
    std::string text(Control c) const { return textOf(item(c)); }
    void setText(Control c, const std::string& text) const
    {
        const std::wstring w = wide(text);
        DWORD_PTR result = 0;
        SendMessageTimeoutW(item(c),
                            WM_SETTEXT,
                            0,
                            reinterpret_cast<LPARAM>(w.c_str()),
                            SMTO_NORMAL,
                            10000,
                            &result);
    }
    // Posted, not sent: the handler may open a box, which would hold a sent
    // message until someone answers it.
    void click(Control c) const
    {
        const HWND button = item(c);
        if (!IsWindowEnabled(button))
            fail("clicked a disabled control " + std::to_string(controlId(c)));
        PostMessageW(button, BM_CLICK, 0, 0);
    }
    // A key pressed and released in control `c`, as the keyboard delivers it
    // to the program's message loop.
    void key(Control c, WORD vk) const
    {
        PostMessageW(item(c), WM_KEYDOWN, vk, 1);
        PostMessageW(item(c), WM_KEYUP, vk, 0xC0000001);
    }
    bool checked(Control c) const
    {
        DWORD_PTR state = 0;
        SendMessageTimeoutW(item(c), BM_GETCHECK, 0, 0, SMTO_NORMAL, 10000, &state);
        return state == BST_CHECKED;
    }
    void waitText(Control c, const std::string& prefix, int seconds) const
    {
        std::string last;
        if (!waitFor([&] { return (last = text(c)).rfind(prefix, 0) == 0; }, seconds))
            fail("control " + std::to_string(controlId(c)) + " shows \"" + last +
                 "\", waited for \"" + prefix + "\"");
    }
    void show(const char* name, Control c) const
    {
        std::printf("driver: %s = %s\n", name, text(c).c_str());
    }

private:
    HWND m_hwnd = nullptr;
};

struct DialogSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK matchDialog(HWND hwnd, LPARAM lParam)
{
    auto* search = reinterpret_cast<DialogSearch*>(lParam);
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (std::wstring(cls) != L"#32770" || GetWindow(hwnd, GW_OWNER) != search->owner ||
        !IsWindowVisible(hwnd))
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

// A dialog of the program's (a message box, the About box, the folder
// browser): a #32770 window owned by the main window.
HWND ownedDialog(HWND owner)
{
    DialogSearch search{owner, nullptr};
    EnumWindows(matchDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitDialog(const Window& w, int seconds)
{
    HWND box = nullptr;
    if (!waitFor([&] { return (box = ownedDialog(w.hwnd())) != nullptr; }, seconds))
        fail("no dialog came up");
    return box;
}

void waitGone(HWND box)
{
    if (!waitFor([box] { return !IsWindow(box) || !IsWindowVisible(box); }, 20))
        fail("a dialog did not close");
}

// Prints "[title] text" of the message box that comes up, and presses OK.
void answerBox(const Window& w, int seconds)
{
    const HWND box = waitDialog(w, seconds);
    std::printf("driver: box [%s] %s\n",
                textOf(box).c_str(),
                textOf(GetDlgItem(box, kMessageBoxTextId)).c_str());
    PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    waitGone(box);
}

void noBox(const Window& w, const char* after)
{
    if (const HWND box = ownedDialog(w.hwnd()))
        fail(std::string("a box came up after ") + after + ": " +
             textOf(GetDlgItem(box, kMessageBoxTextId)));
}

void connect(const Window& w)
{
    w.waitText(Control::lblStatus, "Desconectado.", 10);
    w.show("lblStatus", Control::lblStatus);
    // Enter in the port field connects, through the program's message loop.
    w.key(Control::txtCOM, VK_RETURN);
    w.waitText(Control::cmdOK, "Desconectar", 30);
    w.waitText(Control::lblStatus, "Conectado.", 10);
    noBox(w, "connecting");
    for (const auto& [name, c] : {std::pair{"lblStatus", Control::lblStatus},
                                  std::pair{"lblNS", Control::lblNS},
                                  std::pair{"lblAte", Control::lblAte},
                                  std::pair{"txtAte", Control::txtAte},
                                  std::pair{"txtCOM", Control::txtCOM}})
        w.show(name, c);
}

void printPlace(const char* what, HWND hwnd)
{
    RECT frame{};
    GetWindowRect(hwnd, &frame);
    std::printf("driver: %s %ldx%ld+%ld+%ld\n",
                what,
                frame.right - frame.left,
                frame.bottom - frame.top,
                frame.left,
                frame.top);
}

HWND openAbout(const Window& w)
{
    PostMessageW(w.hwnd(), WM_COMMAND, kMenuSobreId, 0);
    return waitDialog(w, 10);
}

// Esc, to whatever has the focus in the box.
void escape(HWND box)
{
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &gui);
    const HWND focus = gui.hwndFocus != nullptr ? gui.hwndFocus : box;
    PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageW(focus, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    waitGone(box);
}

void about(const Window& w)
{
    const HWND box = openAbout(w);
    std::printf("driver: about [%s] %s\n",
                textOf(box).c_str(),
                textOf(GetDlgItem(box, FrmAbout::controlId("lblVersion"))).c_str());
    escape(box);
    std::printf("driver: about closed by Esc\n");
}

void browse(const Window& w)
{
    const std::string before = w.text(Control::txtCaminho);
    for (const int answer : {IDCANCEL, IDOK}) {
        w.click(Control::cmdProcurar);
        const HWND box = waitDialog(w, 20);
        // The browser fills its tree after it shows; OK waits for a folder.
        if (answer == IDOK &&
            !waitFor([box] { return IsWindowEnabled(GetDlgItem(box, IDOK)) != FALSE; }, 10))
            fail("the folder browser's OK never came on");
        PostMessageW(GetDlgItem(box, answer), BM_CLICK, 0, 0);
        waitGone(box);
        waitFor([&] { return answer == IDCANCEL || w.text(Control::txtCaminho) != before; }, 5);
        std::printf("driver: browse %s: txtCaminho = %s\n",
                    answer == IDOK ? "OK" : "Cancel",
                    w.text(Control::txtCaminho).c_str());
    }
}

// The last 300 records, then the reset log, each box answered.
void downloads(const Window& w)
{
    // The option follows the number written.
    w.setText(Control::txtUltimos, "300");
    std::printf("driver: optUltimos checked = %d\n", w.checked(Control::optUltimos));
    w.click(Control::cmdGerar);
    answerBox(w, 120);
    w.show("lblTexto", Control::lblTexto);
    w.show("lblPercentual", Control::lblPercentual);

    w.click(Control::cmdLogReset);
    answerBox(w, 120);
    w.show("lblTexto", Control::lblTexto);
}

void disconnectAndClose(const Window& w)
{
    w.click(Control::cmdOK);
    w.waitText(Control::cmdOK, "Conectar", 10);
    w.waitText(Control::lblStatus, "Desconectado.", 10);
    w.show("lblStatus", Control::lblStatus);

    const HWND main = w.hwnd();
    PostMessageW(main, WM_CLOSE, 0, 0);
    if (!waitFor([main] { return !IsWindow(main); }, 20))
        fail("the window did not close");
    std::printf("driver: closed\n");
}

void runAll()
{
    const Window w(60);
    std::printf("driver: title = %s\n", textOf(w.hwnd()).c_str());
    w.show("txtCaminho", Control::txtCaminho);
    connect(w);
    downloads(w);
    about(w);
    browse(w);
    disconnectAndClose(w);
}

// A device met before: the connect offers what is new, one click reads it.
void runRepeat()
{
    const Window w(60);
    connect(w);
    w.show("lblTexto", Control::lblTexto);
    w.show("txtDe", Control::txtDe);
    std::printf("driver: optAte checked = %d\n", w.checked(Control::optAte));
    w.click(Control::cmdGerar);
    answerBox(w, 120);
    w.show("lblTexto", Control::lblTexto);
    disconnectAndClose(w);
}

void runDownloads(const std::string& out)
{
    const Window w(60);
    w.show("txtCaminho", Control::txtCaminho);
    w.setText(Control::txtCaminho, out);
    connect(w);
    downloads(w);
    disconnectAndClose(w);
}

} // namespace

int main(int argc, char* argv[])
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "run") {
        runAll();
    } else if (mode == "downloads" && argc > 2) {
        runDownloads(argv[2]);
    } else if (mode == "repeat") {
        runRepeat();
    } else if (mode == "connect") {
        const Window w(60);
        connect(w);
        printPlace("window", w.hwnd());
    } else if (mode == "about") {
        const Window w(10);
        printPlace("about", openAbout(w));
    } else if (mode == "close") {
        const Window w(10);
        if (const HWND box = ownedDialog(w.hwnd()))
            escape(box);
        PostMessageW(w.hwnd(), WM_CLOSE, 0, 0);
    } else {
        std::fprintf(stderr,
                     "usage: logqvr-driver.exe run | downloads OUT | repeat | connect | about | "
                     "close\n");
        return 2;
    }
    std::printf("driver: done\n");
    return 0;
}
