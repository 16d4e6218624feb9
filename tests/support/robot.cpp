#include "robot.h"

#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <thread>

namespace robot {

std::function<void(const std::string&)> OnFailure = [](const std::string& what) {
    std::fprintf(stderr, "robot: %s\n", what.c_str());
};

namespace {

constexpr DWORD kMove = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;

template <class Predicate>
bool Poll(Timeout timeout, Predicate&& done)
{
    for (const auto until = std::chrono::steady_clock::now() + timeout; !done(); Sleep(10))
        if (std::chrono::steady_clock::now() > until) return false;
    return true;
}

// A visible top-level window of a thread (0: any): a form of the library, or
// a dialog that is none (a message box).
HWND FindVisible(DWORD thread, bool form)
{
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (!IsWindowVisible(w) || (thread && GetWindowThreadProcessId(w, nullptr) != thread)) continue;
        const bool isForm = GetPropW(w, L"VELDLG.Form") != nullptr;
        if (form ? isForm : !isForm && ClassOf(w) == L"#32770") return w;
    }
    return nullptr;
}

bool ReadyForInput(HWND hwnd)
{
    return IsWindowVisible(hwnd) && IsWindowEnabled(hwnd) && GetForegroundWindow() == hwnd && Settle(hwnd);
}

HWND WaitFor(bool form, DWORD thread, Timeout timeout, const std::function<bool()>& giveUp = {})
{
    HWND found = nullptr;
    Poll(timeout, [&] { return (giveUp && giveUp()) || ((found = FindVisible(thread, form)) && ReadyForInput(found)); });
    return found && ReadyForInput(found) ? found : nullptr;
}

void Send(std::vector<INPUT> inputs)
{
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent != inputs.size()) OnFailure("SendInput took " + std::to_string(sent) + " of " + std::to_string(inputs.size()));
    Sleep(20);
}

INPUT Key(WORD vk, DWORD flags, WORD scan = 0)
{
    INPUT in{INPUT_KEYBOARD};
    in.ki = {vk, scan ? scan : static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC)), flags};
    return in;
}

INPUT Mouse(DWORD flags, POINT screen = {})
{
    INPUT in{INPUT_MOUSE};
    in.mi.dwFlags = flags;
    in.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    in.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    return in;
}

void ClickAt(POINT screen)
{
    Send({Mouse(kMove, screen)});
    Send({Mouse(MOUSEEVENTF_LEFTDOWN), Mouse(MOUSEEVENTF_LEFTUP)});
}

// The middle of a window on the screen; of its title bar with `titleBar`.
POINT Centre(HWND hwnd, bool titleBar = false)
{
    RECT r;
    GetWindowRect(hwnd, &r);
    const int titleY = r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    return {(r.left + r.right) / 2, titleBar ? titleY : (r.top + r.bottom) / 2};
}

} // namespace

HWND WaitForForm(DWORD thread, Timeout timeout, const std::function<bool()>& giveUp)
{
    return WaitFor(true, thread, timeout, giveUp);
}

HWND FindForm(DWORD thread)
{
    return FindVisible(thread, true);
}

bool BringToFront(HWND dialog, Timeout timeout)
{
    const POINT title = Centre(dialog, true);
    return Poll(timeout, [&] {
        if (ReadyForInput(dialog)) return true;
        if (GetAncestor(WindowFromPoint(title), GA_ROOT) == dialog) ClickAt(title);
        return false;
    });
}

HWND WaitForMessageBox(DWORD thread, Timeout timeout)
{
    return WaitFor(false, thread, timeout);
}

bool WaitUntilGone(HWND hwnd, Timeout timeout)
{
    return Poll(timeout, [&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); });
}

bool Settle(HWND hwnd)
{
    DWORD_PTR ignored;
    return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored) != 0;
}

std::wstring Text(HWND hwnd)
{
    std::wstring s(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    s.resize(static_cast<size_t>(GetWindowTextW(hwnd, s.data(), static_cast<int>(s.size()))));
    return s;
}

std::wstring ClassOf(HWND hwnd)
{
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return name;
}

std::vector<HWND> Children(HWND parent, std::wstring_view windowClass)
{
    std::vector<HWND> out;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsWindowVisible(c) && (windowClass.empty() || _wcsicmp(ClassOf(c).c_str(), std::wstring(windowClass).c_str()) == 0))
            out.push_back(c);
    return out;
}

HWND Child(HWND parent, std::wstring_view text, std::wstring_view windowClass)
{
    for (HWND c : Children(parent, windowClass))
        if (Text(c) == text) return c;
    return nullptr;
}

RECT PlaceIn(HWND child, HWND parent)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

SIZE ClientSize(HWND hwnd)
{
    RECT r;
    GetClientRect(hwnd, &r);
    return {r.right, r.bottom};
}

int Px(HWND hwnd, int twips)
{
    const HDC dc = GetDC(hwnd);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(hwnd, dc);
    return MulDiv(twips, dpi, 1440);
}

std::wstring ToolTipOf(HWND dialog, HWND control)
{
    // Tool tips come when the mouse rests on a control, as for a user: the
    // pointer moves onto it (by one pixel more, so that it moves even when
    // it was there already) until the dialog has made its tool tip window.
    POINT p = Centre(control);
    HWND tips = nullptr;
    Poll(5s, [&] {
        p.x ^= 1;
        Send({Mouse(kMove, p)});
        Settle(dialog);
        for (tips = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); tips && GetWindow(tips, GW_OWNER) != dialog;)
            tips = FindWindowExW(nullptr, tips, TOOLTIPS_CLASSW, nullptr);
        return tips != nullptr;
    });
    wchar_t text[512] = L"<no tool tip window>";
    TOOLINFOW ti{TTTOOLINFOW_V2_SIZE, 0, dialog, reinterpret_cast<UINT_PTR>(control)};
    ti.lpszText = text;
    if (tips) SendMessageW(tips, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&ti));
    return text;
}

void Click(HWND hwnd)
{
    ClickAt(Centre(hwnd));
}

void DoubleClick(HWND hwnd, POINT client)
{
    ClientToScreen(hwnd, &client);
    Send({Mouse(kMove, client)});
    const INPUT down = Mouse(MOUSEEVENTF_LEFTDOWN), up = Mouse(MOUSEEVENTF_LEFTUP);
    Send({down, up, down, up});
}

void ClickCloseBox(HWND dialog)
{
    // Find the close box by asking the window itself, along its title bar.
    RECT r;
    GetWindowRect(dialog, &r);
    const int y = Centre(dialog, true).y;
    for (int x = r.right - 1; x > r.left; --x)
        if (SendMessageW(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) return ClickAt({x - 3, y});
    OnFailure("no close box on the title bar");
}

void Press(WORD vk, const std::vector<WORD>& modifiers)
{
    std::vector<INPUT> in;
    for (WORD m : modifiers) in.push_back(Key(m, 0));
    in.push_back(Key(vk, 0));
    in.push_back(Key(vk, KEYEVENTF_KEYUP));
    for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) in.push_back(Key(*m, KEYEVENTF_KEYUP));
    Send(in);
}

void TypeUnicode(std::wstring_view text)
{
    for (wchar_t ch : text) Send({Key(0, KEYEVENTF_UNICODE, ch), Key(0, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP, ch)});
}

void Drag(POINT from, POINT to)
{
    Send({Mouse(kMove, from), Mouse(MOUSEEVENTF_LEFTDOWN)});
    Send({Mouse(kMove, to), Mouse(MOUSEEVENTF_LEFTUP)});
}

void WithDialog(const std::function<void()>& show, const std::function<void(HWND dialog)>& act)
{
    const DWORD thread = GetCurrentThreadId();
    std::atomic<bool> returned{false};
    std::thread driver([&] {
        const HWND dialog = WaitForForm(thread, 10s, [&] { return returned.load(); });
        if (!dialog) {
            if (!returned) OnFailure("no dialog appeared");
            return;
        }
        act(dialog);
        if (WaitUntilGone(dialog, 5s)) return;
        OnFailure("the dialog is still open; the robot closes it");
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    const auto finish = [&] {
        returned = true;
        driver.join();
    };
    try {
        show();
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

} // namespace robot
