#pragma once
// The date field of the forms runtime: the platform's text field (its caret,
// selection, clipboard, undo, context menu, IME and accessibility) held to
// the MM/DD/YYYY mask of host/date_mask.h, with a button that drops down a
// month calendar.
//
// Keys beyond a text field's own: digits fill the mask from the selection's
// first position, skipping separators; a separator pads the part being typed
// ("7/4/2024" gives 07/04/2024); Delete and Backspace empty the selected
// slots, or one slot; Up and Down step the part where the selection starts;
// F3 puts today's date; F4, Alt+Down or the button open the calendar, where
// the arrows, Page Up and Page Down move, Enter, F4 or a click takes the day
// and Escape leaves the field as it was. Enter and Escape otherwise belong
// to the dialog. A double click selects the part under the pointer.

#include "host/controls.h"

#include <string>
#include <string_view>

namespace host {

class DateField : public Control {
public:
    DateField(Form& form, const ControlDesign& design) : Control(form, design) {}

    void Text(std::wstring_view text);
    std::wstring Text() const;

protected:
    // Registers the window class on first use.
    const wchar_t* WindowClass() const override;
    DWORD WindowStyle() const override { return WS_TABSTOP | WS_CLIPCHILDREN | ES_AUTOHSCROLL; }
    void OnCreated() override;
    void OnUnloaded() override { text_.clear(); }

private:
    std::wstring text_; // the content while there is no window
};

// The library is unloaded: the window class goes.
void UnregisterDateFieldClass() noexcept;

} // namespace host
