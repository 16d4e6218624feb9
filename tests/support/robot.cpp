#include "robot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace robot {
namespace {

// The robot's one way of waiting.
template <class Predicate>
bool Poll(Timeout timeout, Predicate&& done)
{
    for (const auto until = std::chrono::steady_clock::now() + timeout; !done(); Sleep(10))
        if (std::chrono::steady_clock::now() > until) return false;
    return true;
}

// The first visible top-level window of a thread (0: any) that is a form of
// the library, or a dialog that is none (a message box), once it is ready for input.
HWND WaitFor(bool form, DWORD thread, Timeout timeout, const std::function<bool()>& giveUp = {})
{
    HWND found = nullptr;
    const auto ready = [&] {
        found = nullptr;
        for (HWND w = GetTopWindow(nullptr); w && !found; w = GetWindow(w, GW_HWNDNEXT))
            if (IsWindowVisible(w) && (!thread || GetWindowThreadProcessId(w, nullptr) == thread) &&
                (GetPropW(w, L"VELDLG.Form") ? form : !form && ClassOf(w) == L"#32770"))
                found = w;
        return found && IsWindowEnabled(found) && GetForegroundWindow() == found && Settle(found);
    };
    return Poll(timeout, [&] { return ready() || (giveUp && giveUp()); }) && ready() ? found : nullptr;
}

// A window's text or its class name.
template <int(WINAPI* get)(HWND, LPWSTR, int)>
std::wstring Read(HWND hwnd)
{
    wchar_t text[1024] = {};
    get(hwnd, text, 1024);
    return text;
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

void ClickAt(POINT screen, int clicks = 1)
{
    SetCursorPos(screen.x, screen.y);
    std::vector<INPUT> in(2 * clicks, INPUT{INPUT_MOUSE});
    for (size_t i = 0; i < in.size(); ++i) in[i].mi.dwFlags = i % 2 ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_LEFTDOWN;
    Send(in);
}

} // namespace

HWND WaitForForm(DWORD thread, Timeout timeout, const std::function<bool()>& giveUp)
{
    return WaitFor(true, thread, timeout, giveUp);
}

HWND WaitForMessageBox(DWORD thread, Timeout timeout) { return WaitFor(false, thread, timeout); }

// A window that is gone is not visible either.
bool WaitUntilGone(HWND hwnd, Timeout timeout) { return Poll(timeout, [&] { return !IsWindowVisible(hwnd); }); }
bool Settle(HWND hwnd) { return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr) != 0; }

std::wstring Text(HWND hwnd) { return Read<GetWindowTextW>(hwnd); }
std::wstring ClassOf(HWND hwnd) { return Read<GetClassNameW>(hwnd); }

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

void Click(HWND hwnd)
{
    const RECT r = PlaceIn(hwnd, HWND_DESKTOP);
    ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}

void DoubleClick(HWND hwnd, POINT client)
{
    ClientToScreen(hwnd, &client);
    ClickAt(client, 2);
}

void ClickCloseBox(HWND dialog)
{
    // Find the close box by asking the window itself, along its title bar.
    const RECT r = PlaceIn(dialog, HWND_DESKTOP);
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
        EXPECT_TRUE(dialog || returned) << "no dialog appeared";
        if (!dialog) return;
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
