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

constexpr wchar_t kFormProperty[] = L"VELDLG.Form";

template <class Predicate>
bool Poll(Timeout timeout, Predicate&& done)
{
    const auto until = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() > until) return false;
        Sleep(10);
    }
}

struct Search {
    DWORD thread;
    bool form;
    HWND found = nullptr;
};

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM lp)
{
    auto* s = reinterpret_cast<Search*>(lp);
    if (!IsWindowVisible(hwnd)) return TRUE;
    if (s->thread && GetWindowThreadProcessId(hwnd, nullptr) != s->thread) return TRUE;
    const bool isForm = GetPropW(hwnd, kFormProperty) != nullptr;
    if (s->form ? !isForm : (isForm || ClassOf(hwnd) != L"#32770")) return TRUE;
    s->found = hwnd;
    return FALSE;
}

HWND FindVisible(DWORD thread, bool form)
{
    Search s{thread, form};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

bool ReadyForInput(HWND hwnd)
{
    if (!IsWindowVisible(hwnd) || !IsWindowEnabled(hwnd) || GetForegroundWindow() != hwnd) return false;
    DWORD_PTR ignored;
    return SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored) != 0;
}

void Send(std::vector<INPUT> inputs)
{
    const UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent != inputs.size()) OnFailure("SendInput took " + std::to_string(sent) + " of " + std::to_string(inputs.size()));
    Sleep(20);
}

INPUT KeyInput(WORD vk, bool up)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

INPUT MouseInput(DWORD flags, POINT screen = {})
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
        in.mi.dx = MulDiv(screen.x, 65535, w - 1);
        in.mi.dy = MulDiv(screen.y, 65535, h - 1);
    }
    return in;
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
    HWND found = nullptr;
    Poll(timeout, [&] {
        if (giveUp && giveUp()) return true;
        found = FindVisible(thread, true);
        return found && ReadyForInput(found);
    });
    return found && ReadyForInput(found) ? found : nullptr;
}

HWND FindForm(DWORD thread)
{
    return FindVisible(thread, true);
}

bool BringToFront(HWND dialog, Timeout timeout)
{
    // As a user does: a click on its title bar.
    RECT r;
    GetWindowRect(dialog, &r);
    const POINT caption{(r.left + r.right) / 2, r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
    return Poll(timeout, [&] {
        if (ReadyForInput(dialog)) return true;
        if (GetAncestor(WindowFromPoint(caption), GA_ROOT) == dialog) ClickAt(caption);
        return false;
    });
}

HWND WaitForMessageBox(DWORD thread, Timeout timeout)
{
    HWND found = nullptr;
    Poll(timeout, [&] {
        found = FindVisible(thread, false);
        return found && ReadyForInput(found);
    });
    return found;
}

bool WaitUntilGone(HWND hwnd, Timeout timeout)
{
    return Poll(timeout, [&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); });
}

void Settle(HWND hwnd)
{
    DWORD_PTR ignored;
    SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
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

SIZE OuterSize(HWND hwnd)
{
    RECT r;
    GetWindowRect(hwnd, &r);
    return {r.right - r.left, r.bottom - r.top};
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
    const auto tipWindow = [&]() -> HWND {
        for (HWND w = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr); w;
             w = FindWindowExW(nullptr, w, TOOLTIPS_CLASSW, nullptr))
            if (GetWindow(w, GW_OWNER) == dialog) return w;
        return nullptr;
    };
    POINT p = Centre(control);
    HWND tips = nullptr;
    Poll(5s, [&] {
        p.x ^= 1;
        Send({MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, p)});
        Settle(dialog);
        return (tips = tipWindow()) != nullptr;
    });
    if (!tips) return L"<no tool tip window>";
    wchar_t text[512] = {};
    TOOLINFOW ti{};
    ti.cbSize = TTTOOLINFOW_V2_SIZE;
    ti.hwnd = dialog;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = text;
    SendMessageW(tips, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&ti));
    return text;
}

void ClickAt(POINT screen)
{
    Send({MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, screen)});
    Send({MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP)});
}

void Click(HWND hwnd)
{
    ClickAt(Centre(hwnd));
}

void DoubleClick(HWND hwnd, POINT client)
{
    ClientToScreen(hwnd, &client);
    Send({MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, client)});
    Send({MouseInput(MOUSEEVENTF_LEFTDOWN), MouseInput(MOUSEEVENTF_LEFTUP), MouseInput(MOUSEEVENTF_LEFTDOWN),
          MouseInput(MOUSEEVENTF_LEFTUP)});
}

POINT ListItemCentre(HWND list, int position)
{
    RECT r{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(position), reinterpret_cast<LPARAM>(&r));
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void ClickListItem(HWND list, int position)
{
    POINT p = ListItemCentre(list, position);
    ClientToScreen(list, &p);
    ClickAt(p);
}

void ClickCloseBox(HWND dialog)
{
    // Find the close box by asking the window itself, along its title bar.
    RECT r;
    GetWindowRect(dialog, &r);
    const int y = r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    for (int x = r.right - 1; x > r.left; --x) {
        const LRESULT hit = SendMessageW(dialog, WM_NCHITTEST, 0, MAKELPARAM(x, y));
        if (hit == HTCLOSE) {
            ClickAt({x - 3, y});
            return;
        }
    }
    OnFailure("no close box on the title bar");
}

void Press(WORD vk, const std::vector<WORD>& modifiers)
{
    std::vector<INPUT> in;
    for (WORD m : modifiers) in.push_back(KeyInput(m, false));
    in.push_back(KeyInput(vk, false));
    in.push_back(KeyInput(vk, true));
    for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) in.push_back(KeyInput(*m, true));
    Send(in);
}

void Type(std::wstring_view text)
{
    for (wchar_t ch : text) {
        const SHORT scan = VkKeyScanW(ch);
        const auto vk = static_cast<WORD>(LOBYTE(scan));
        if (HIBYTE(scan) & 1)
            Press(vk, {VK_SHIFT});
        else
            Press(vk);
    }
}

void TypeUnicode(std::wstring_view text)
{
    for (wchar_t ch : text) {
        INPUT in[2] = {};
        for (INPUT& i : in) {
            i.type = INPUT_KEYBOARD;
            i.ki.wScan = ch;
            i.ki.dwFlags = KEYEVENTF_UNICODE;
        }
        in[1].ki.dwFlags |= KEYEVENTF_KEYUP;
        Send({in[0], in[1]});
    }
}

void Drag(POINT from, POINT to)
{
    Send({MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, from), MouseInput(MOUSEEVENTF_LEFTDOWN)});
    Send({MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, to), MouseInput(MOUSEEVENTF_LEFTUP)});
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
        if (!WaitUntilGone(dialog, 5s)) {
            OnFailure("the dialog is still open; the robot closes it");
            PostMessageW(dialog, WM_CLOSE, 0, 0);
        }
    });
    try {
        show();
    } catch (...) {
        returned = true;
        driver.join();
        throw;
    }
    returned = true;
    driver.join();
}

} // namespace robot
