#pragma once
// The label grid as the platform alone makes it: a dialog from an empty
// template and one plain CreateWindowEx per push button, at the grid's
// places and with its captions, shown modally until a button is clicked.
// The grid's peer in the benchmark; each extra adds one thing the forms
// runtime does, so that its cost can be measured by itself.

#include <windows.h>

namespace bare {

struct Extras {
    bool font = false;        // WM_SETFONT of the dialog font to every button
    bool hiddenOwner = false; // a hidden popup owns the dialog
    bool properties = false;  // a window property on every button
    bool toolTips = false;    // a tool tip window with one tool per button, made at show
    bool destroyEach = false; // every button destroyed by itself, then the dialog
    bool dialogFocus = false; // the first focus through WM_NEXTDLGCTL, not SetFocus
    bool annotations = false; // an accessible name annotated on every button (IAccPropServices)
    // Made in this module's activation context (common controls 6, as the
    // runtime's forms are): the visual-styles buttons instead of the classic.
    HINSTANCE contextModule = nullptr;
    // The window's icons, big and small, from this module's resource: loaded
    // and set by WM_SETICON at every show, or with byClass those of a window
    // class registered once and named in the dialog's template.
    HINSTANCE iconModule = nullptr;
    int iconId = 0;
    bool byClass = false;
};

// The top-level window of the dialog carries this property, as the
// runtime's forms do, so that the benchmark finds both the same way.
inline constexpr wchar_t kFormProperty[] = L"VELDLG.Form";

// The activation context of a module's manifest (resource 2) made active on
// this thread while it lives: what is made meanwhile has the module's look.
class Look {
public:
    explicit Look(HINSTANCE module);
    ~Look();
    Look(const Look&) = delete;
    Look& operator=(const Look&) = delete;

private:
    ULONG_PTR cookie_ = 0;
    bool active_ = false;
};

// Returns the 1-based index of the button clicked (column-major, as the
// grid numbers its buttons), or 0 when the dialog was closed otherwise.
int ShowGrid(int rows, int columns, const Extras& extras = {});

} // namespace bare
