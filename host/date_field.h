#pragma once
// The date field of the forms runtime: dates shown and typed as MM/DD/YYYY
// (the user's separator between the parts), a calendar drop-down, and the
// two operations that forms use: set the content to a text, read it back.
//
// Keys: digits fill the mask from the caret on; a separator pads the part
// being typed ("7/4/2024" gives 07/04/2024); Backspace and Delete empty a
// slot; Left, Right, Home and End move the caret; Up and Down step the part
// under the caret; F3 puts today's date; F4, Alt+Down or the button on the
// field open the calendar, where the arrows, Page Up and Page Down move,
// Enter, F4 or a click takes the day and Escape leaves the field as it was.
// Enter and Escape otherwise belong to the dialog. Ctrl+C and Ctrl+V copy
// and paste the content.

#include "host/controls.h"
#include "host/dates.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace host {

// What a date field holds and how keys edit it, apart from any window:
// eight digit slots shown as MM/DD/YYYY, or a text that is not a date,
// shown as it stands until the user edits it.
class DateMask {
public:
    static constexpr int kSlots = 8;

    explicit DateMask(std::wstring separator = DateSeparator());

    // Set the content: a text laid out as the mask fills its slots, even when
    // incomplete or not a real day; a date in any other written form is
    // shown as MM/DD/YYYY; anything else is kept as it stands.
    void SetText(std::wstring_view text);
    // Read the content: the mask as shown when any slot is filled ('_' for
    // the empty ones, so an incomplete entry fails the is-date test), "" when
    // none is, or the text kept as it stands.
    std::wstring Text() const;
    // What the field shows.
    std::wstring Display() const;

    // The caret: a slot, 0 to 8 (after the year), and its place in Display().
    int Caret() const { return caret_; }
    int CaretPosition() const;
    // Puts the caret on the slot nearest a place in Display().
    void PlaceCaret(int position);

    // A character typed; false when the field does not take it.
    bool Typed(wchar_t ch);
    void Backspace();
    void Delete();
    void Left();
    void Right();
    void Home();
    void End();
    // Up (+1) or Down (-1) on the part under the caret. A complete date
    // steps as a date (31 January + 1 day is 1 February; 31 January + 1
    // month is 28 or 29 February); an incomplete part steps alone, within
    // its range, and an empty one takes today's value first; an empty field
    // or a text takes today's date.
    void Step(int delta);
    // Shows the day of a date.
    void SetDate(DATE value);
    // The date shown, when all slots make a real day.
    std::optional<DATE> Date() const;

private:
    enum class Part { Month, Day, Year };
    static Part PartOf(int slot);
    static int PartStart(Part p);
    static int PartLength(Part p);
    int SlotPosition(int slot) const;
    bool Empty() const;
    // Editing a text kept as it stands starts a new, empty entry.
    void StartEntry();
    std::optional<int> PartValue(Part p) const;
    void SetPart(Part p, int value);

    std::wstring separator_;
    std::array<wchar_t, kSlots> slots_{}; // a digit, or 0 when empty
    std::optional<std::wstring> text_;  // a text that is not a date
    int caret_ = 0;
    int typedInPart_ = 0; // digits typed one after another from the start of the caret's part
};

class DateField : public Control {
public:
    DateField(Form& form, const ControlDesign& design) : Control(form, design) {}

    void Text(std::wstring_view text);
    std::wstring Text() const;

protected:
    // Registers the window class on first use.
    const wchar_t* WindowClass() const override;
    DWORD WindowStyle() const override { return WS_TABSTOP; }
    void OnCreated() override;
    void OnUnloaded() override { text_.clear(); }

private:
    std::wstring text_; // the content while there is no window
};

// The library is unloaded: the window class goes.
void UnregisterDateFieldClass() noexcept;

} // namespace host
