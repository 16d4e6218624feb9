#pragma once
// The month calendar that drops down from a date field: a popup that does
// not take activation, so that the focus and the keys stay with the field,
// which moves the calendar's day and takes it. A click anywhere but on the
// field or the calendar posts kCloseCalendar to the field.

#include <windows.h>
#include <wtypes.h>

#include <memory>
#include <optional>

namespace host {

// Posted to a field: close its calendar, taking the day chosen when wParam
// is nonzero.
inline constexpr UINT kCloseCalendar = WM_APP + 1;

class CalendarDropDown {
public:
    // Opens below the field, or above it when the screen ends first, on a
    // date; nothing when the window cannot be made.
    static std::unique_ptr<CalendarDropDown> Open(HWND field, DATE date);
    CalendarDropDown(const CalendarDropDown&) = delete;
    CalendarDropDown& operator=(const CalendarDropDown&) = delete;
    ~CalendarDropDown();

    HWND Window() const { return window_; }
    bool Contains(HWND w) const { return w && window_ && (w == window_ || IsChild(window_, w)); }
    std::optional<DATE> Selected() const;
    void Select(DATE date);
    // Moves the day by days or by months.
    void MoveDays(int days);
    void MoveMonths(int months);

private:
    CalendarDropDown(HWND field, HWND window);
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);

    HWND field_;
    HWND window_;
    HHOOK hook_ = nullptr;
};

// The calendar's day of an automation date and back.
SYSTEMTIME SystemTimeOf(DATE value);
std::optional<DATE> DateOfSystemTime(const SYSTEMTIME& st);

} // namespace host
