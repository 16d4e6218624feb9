#pragma once
// A form of the forms runtime: one object per dialog kind and thread that
// keeps the dialog's values, and a window with its controls that exists only
// between Load and Unload. This is the one place that knows about HWNDs,
// messages and twips.

#include "host/controls.h"
#include "host/integer.h"

#include <windows.h>

#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace host {

enum class BorderStyle { FixedDialog, Sizable };

struct FormDesign {
    std::wstring_view caption;
    short clientWidth = 0;  // twips
    short clientHeight = 0; // twips
    BorderStyle border = BorderStyle::FixedDialog;
    bool closeBox = true;
    int icon = 0; // resource id of the window's icon; 0 for none
    bool keyPreview = false;
};

// Marks the top-level window of every form, so that tools find dialogs.
inline constexpr wchar_t kFormWindowProperty[] = L"VELDLG.Form";

class Form {
public:
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    // Modal show (style 1, no owner form): loads the form if needed, shows
    // it, and returns when it is hidden or unloaded. An error in a handler
    // ends the show, unloads the form and reaches the caller.
    void Show();
    // Ends the modal show; the form stays loaded.
    void Hide();
    // The window and its controls go, run-time array elements included; the
    // form's own values stay. Does nothing when the form is not loaded.
    void Unload();
    bool Loaded() const { return hwnd_ != nullptr; }

    void Caption(std::wstring_view text);
    const std::wstring& Caption() const { return caption_; }
    // Outer size in twips, title bar and borders included.
    void Width(Integer twips);
    void Height(Integer twips);
    Integer Width() const;
    Integer Height() const;

    // The modal message box of the forms runtime; its answer is not used.
    void MsgBox(std::wstring_view prompt, UINT style, std::wstring_view title);

    HWND Window() const { return hwnd_; }
    int TwipsToPixels(int twips) const;

protected:
    explicit Form(const FormDesign& design);

    virtual void Form_Load() {}
    // Sees every key first when the design has key preview on.
    virtual void Form_KeyDown(Integer /*keyCode*/, Integer /*shift*/) {}

private:
    friend class Control;
    friend class CommandButton;
    friend class ControlArrayBase;

    void Load();
    void CreateControlWindow(Control& c);
    void Register(Control& c);
    void Deregister(Control& c);
    void SetDefaultButton(CommandButton* b);
    void SetCancelButton(CommandButton* b);
    void SetToolTip(Control& c);
    void MakeToolTips();
    // Runs an event handler; an error it raises ends the modal show.
    template <class F>
    void Fire(F&& handler);
    void RunModalLoop();
    void PreviewKey(const MSG& msg);
    void DisableThreadWindows();
    void EnableThreadWindows();
    void FocusFirstControl();
    Control* ControlOf(HWND hwnd) const;
    void CentreOnScreen();
    SIZE MinimumOuterSize() const;
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    const FormDesign design_;
    std::wstring caption_;
    std::vector<Control*> controls_; // creation (tab) order
    std::vector<ControlArrayBase*> arrays_;
    CommandButton* defaultButton_ = nullptr;
    CommandButton* cancelButton_ = nullptr;

    // Exists only while loaded.
    HWND hwnd_ = nullptr;
    HWND owner_ = nullptr;
    HWND toolTips_ = nullptr;
    bool building_ = false; // in Form_Load: control windows are made after it
    HFONT font_ = nullptr;    // the stock font or ownFont_
    HFONT ownFont_ = nullptr; // made for a DPI other than 96
    HICON bigIcon_ = nullptr;
    HICON smallIcon_ = nullptr;
    int dpi_ = 96;
    int nextId_ = 100;
    bool modal_ = false;
    std::vector<HWND> disabled_;
    std::exception_ptr handlerError_;
};

} // namespace host
