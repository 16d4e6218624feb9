#pragma once
// The calendar drop-down of a date field: a button at the field's right end
// and, while open, a month calendar below the field. The calendar is a popup
// that does not take activation, so that the focus and the keys stay with
// the field, which passes them on; the arrows, Page Up and Page Down move
// its day, Enter, F4, Alt+Up, Alt+Down or a click takes the day, and Escape
// or a click anywhere but on the field or the calendar closes it unchanged.

#include <windows.h>
#include <wtypes.h>

#include <functional>
#include <memory>
#include <optional>

namespace host {

class CalendarDropDown {
public:
    // `shown` gives the day to open on; `take` gets the day the user takes.
    CalendarDropDown(HWND field, std::function<DATE()> shown, std::function<void(DATE)> take);
    CalendarDropDown(const CalendarDropDown&) = delete;
    CalendarDropDown& operator=(const CalendarDropDown&) = delete;
    ~CalendarDropDown();

    // Makes the button once the field's window exists; false when it cannot.
    bool MakeButton();
    // Places the button at the field's right end; gives the width it takes.
    int Place() const;
    bool IsOpen() const { return calendar_ != nullptr; }
    void Open();
    void Close(bool takeDay);
    // A key while the calendar is open; false when it belongs to the dialog.
    bool Key(WPARAM vk, bool alt);
    // The field's messages that concern the drop-down, before the field
    // handles them; a result when the drop-down answered alone.
    std::optional<LRESULT> Handle(UINT msg, WPARAM wp, LPARAM lp);

private:
    class Calendar;
    void Pressed();
    static LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR self);

    HWND field_;
    HWND button_ = nullptr;
    std::function<DATE()> shown_;
    std::function<void(DATE)> take_;
    std::unique_ptr<Calendar> calendar_;
};

} // namespace host
