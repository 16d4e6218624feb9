#include "robot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace robot {
namespace {

constexpr DWORD kMove = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;

// The robot's one way of waiting.
template <class Predicate>
bool Poll(Timeout timeout, Predicate&& done)
{
    for (const auto until = std::chrono::steady_clock::now() + timeout; !done(); Sleep(10))
        if (std::chrono::steady_clock::now() > until) return false;
    return true;
}

// Its one way of finding a window: a visible top-level window of a thread
// (0: any), a form of the library or a dialog that is none (a message box).
HWND FindVisible(DWORD thread, bool form)
{
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
        if (!IsWindowVisible(w) || (thread && GetWindowThreadProcessId(w, nullptr) != thread)) continue;
        const bool isForm = GetPropW(w, L"VELDLG.Form") != nullptr;
        if (form ? isForm : !isForm && ClassOf(w) == L"#32770") return w;
    }
    return nullptr;
}

HWND WaitFor(bool form, DWORD thread, Timeout timeout, const std::function<bool()>& giveUp = {})
{
    HWND found = nullptr;
    const auto ready = [&] {
        found = FindVisible(thread, form);
        return found && IsWindowEnabled(found) && GetForegroundWindow() == found && Settle(found);
    };
    return Poll(timeout, [&] { return ready() || (giveUp && giveUp()); }) && ready() ? found : nullptr;
}

void Send(std::vector<INPUT> inputs)
{
    const UINT n = static_cast<UINT>(inputs.size());
    EXPECT_EQ(SendInput(n, inputs.data(), sizeof(INPUT)), n) << "SendInput";
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

POINT Centre(HWND hwnd)
{
    RECT r;
    GetWindowRect(hwnd, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

} // namespace

HWND WaitForForm(DWORD thread, Timeout timeout, const std::function<bool()>& giveUp)
{
    return WaitFor(true, thread, timeout, giveUp);
}

HWND WaitForMessageBox(DWORD thread, Timeout timeout) { return WaitFor(false, thread, timeout); }

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
    wchar_t text[1024] = {};
    GetWindowTextW(hwnd, text, 1024);
    return text;
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
    const std::wstring wanted(windowClass);
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        if (IsWindowVisible(c) && (wanted.empty() || !_wcsicmp(ClassOf(c).c_str(), wanted.c_str())))
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

int Px(HWND hwnd, int twips)
{
    const HDC dc = GetDC(hwnd);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(hwnd, dc);
    return MulDiv(twips, dpi, 1440);
}

void Click(HWND hwnd) { ClickAt(Centre(hwnd)); }

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
    const int y = r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    for (int x = r.right - 1; x > r.left; --x)
        if (SendMessageW(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE) return ClickAt({x - 3, y});
    ADD_FAILURE() << "no close box on the title bar";
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
    for (wchar_t c : text) Send({Key(0, KEYEVENTF_UNICODE, c), Key(0, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP, c)});
}

void WithDialog(const std::function<void()>& show, const std::function<void(HWND dialog)>& act)
{
    const DWORD thread = GetCurrentThreadId();
    std::atomic<bool> returned{false};
    std::thread driver([&] {
        const HWND dialog = WaitForForm(thread, 10s, [&] { return returned.load(); });
        if (!dialog) {
            EXPECT_TRUE(returned) << "no dialog appeared";
            return;
        }
        act(dialog);
        if (WaitUntilGone(dialog, 5s)) return;
        ADD_FAILURE() << "the dialog is still open; the robot closes it";
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    show();
    returned = true;
    driver.join();
}

} // namespace robot
