#include "host/date_calendar.h"

#include "host/dates.h"
#include "library/module.h"

#include <commctrl.h>

#include <algorithm>
#include <new>

namespace host {

namespace {

// The field whose calendar is open on this thread: a click anywhere else
// closes it.
struct OpenCalendar {
    HWND field = nullptr;
    HWND calendar = nullptr;
};
thread_local OpenCalendar t_open;

LRESULT CALLBACK MouseHook(int code, WPARAM wp, LPARAM lp)
{
    if (code == HC_ACTION && t_open.field) {
        switch (wp) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_NCLBUTTONDOWN:
        case WM_NCRBUTTONDOWN:
        case WM_NCMBUTTONDOWN: {
            // The field handles clicks on itself and its button.
            const HWND target = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lp)->hwnd;
            const auto within = [target](HWND w) { return target == w || IsChild(w, target); };
            if (!within(t_open.field) && !within(t_open.calendar))
                PostMessageW(t_open.field, kCloseCalendar, FALSE, 0);
            break;
        }
        default:
            break;
        }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

} // namespace

SYSTEMTIME SystemTimeOf(DATE value)
{
    const CalendarDay d = DayOf(value);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(d.year);
    st.wMonth = static_cast<WORD>(d.month);
    st.wDay = static_cast<WORD>(d.day);
    return st;
}

std::optional<DATE> DateOfSystemTime(const SYSTEMTIME& st)
{
    const CalendarDay d{st.wYear, st.wMonth, st.wDay};
    if (!IsCalendarDay(d)) return std::nullopt;
    return DateOf(d);
}

CalendarDropDown::CalendarDropDown(HWND field, HWND window) : field_(field), window_(window)
{
    SetWindowSubclass(window_, &CalendarDropDown::Proc, 0, reinterpret_cast<DWORD_PTR>(this));
}

CalendarDropDown::~CalendarDropDown()
{
    if (hook_) UnhookWindowsHookEx(hook_);
    if (t_open.field == field_) t_open = {};
    if (!window_) return;
    RemoveWindowSubclass(window_, &CalendarDropDown::Proc, 0);
    DestroyWindow(window_);
}

std::unique_ptr<CalendarDropDown> CalendarDropDown::Open(HWND field, DATE date)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);
    const DWORD style = WS_POPUP | WS_BORDER, exStyle = WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    // Notifications go to the window named as parent: the field.
    const HWND window =
        CreateWindowExW(exStyle, MONTHCAL_CLASSW, L"", style, 0, 0, 0, 0, field, nullptr, veldlg::ModuleInstance(), nullptr);
    if (!window) return nullptr;
    std::unique_ptr<CalendarDropDown> c(new (std::nothrow) CalendarDropDown(field, window));
    if (!c) {
        DestroyWindow(window);
        return nullptr;
    }
    c->Select(date);

    RECT size{};
    SendMessageW(window, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&size));
    AdjustWindowRectEx(&size, style, FALSE, exStyle);
    const int w = size.right - size.left, h = size.bottom - size.top;
    RECT f;
    GetWindowRect(field, &f);
    MONITORINFO mi{sizeof mi};
    GetMonitorInfoW(MonitorFromWindow(field, MONITOR_DEFAULTTONEAREST), &mi);
    int y = f.bottom;
    if (y + h > mi.rcWork.bottom && f.top - h >= mi.rcWork.top) y = f.top - h;
    const int x = std::max<int>(mi.rcWork.left, std::min<int>(f.left, mi.rcWork.right - w));
    SetWindowPos(window, HWND_TOP, x, y, w, h, SWP_NOACTIVATE | SWP_SHOWWINDOW);

    c->hook_ = SetWindowsHookExW(WH_MOUSE, MouseHook, nullptr, GetCurrentThreadId());
    t_open = {field, window};
    return c;
}

std::optional<DATE> CalendarDropDown::Selected() const
{
    SYSTEMTIME st{};
    if (!window_ || !SendMessageW(window_, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&st))) return std::nullopt;
    return DateOfSystemTime(st);
}

void CalendarDropDown::Select(DATE date)
{
    SYSTEMTIME st = SystemTimeOf(date);
    if (window_) SendMessageW(window_, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
}

void CalendarDropDown::MoveDays(int days)
{
    if (const auto d = Selected(); d && IsDate(*d + days)) Select(*d + days);
}

void CalendarDropDown::MoveMonths(int months)
{
    if (const auto d = Selected())
        if (const auto moved = AddMonths(DayOf(*d), months)) Select(DateOf(*moved));
}

LRESULT CALLBACK CalendarDropDown::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR /*id*/, DWORD_PTR self)
{
    auto* c = reinterpret_cast<CalendarDropDown*>(self);
    switch (msg) {
    case WM_NCDESTROY:
        // Destroyed with its owner, the dialog: the handle must not be used
        // again, it may soon name another window.
        RemoveWindowSubclass(hwnd, &CalendarDropDown::Proc, 0);
        if (t_open.calendar == hwnd) t_open = {};
        c->window_ = nullptr;
        break;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // Should the calendar get the focus after all, its keys are the
        // field's; posted, since the field may close the calendar.
        PostMessageW(c->field_, msg, wp, lp);
        return 0;
    default:
        break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

} // namespace host
