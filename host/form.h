#pragma once
// A form of the forms runtime: one object per dialog kind and thread that
// keeps the dialog's values. Its design and run-time state (caption, outer
// size, every control's place, texts and visibility, the default and cancel
// buttons) are plain data that Form_Load and the handlers read and change
// whether or not windows exist; Show makes the windows from that data and
// keeps them in step. This is the one place that knows about HWNDs,
// messages and twips.

#include "host/controls.h"
#include "host/integer.h"
#include "host/ole.h"

#include <windows.h>
#include <oleacc.h>

#include <exception>
#include <functional>
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
    // it, and returns when it is hidden or unloaded. An error in Form_Load
    // or a handler ends the show, unloads the form and reaches the caller.
    void Show();
    // Ends the modal show; the form stays loaded.
    void Hide();
    // Windows and controls go, run-time array elements included; the form's
    // own values stay. Does nothing when the form is not loaded. The close
    // box does this and nothing else.
    void Unload();
    bool Loaded() const { return loaded_; }
    bool Visible() const { return visible_; }

    void Caption(std::wstring_view text);
    const std::wstring& Caption() const { return caption_; }
    // Outer size in twips, title bar and borders included.
    void Width(Integer twips) { Resize(twips, outerHeight_); }
    void Height(Integer twips) { Resize(outerWidth_, twips); }
    Integer Width() const { return outerWidth_; }
    Integer Height() const { return outerHeight_; }

    // What a key that no control takes does: key preview first, then Enter
    // presses the default button and Escape the cancel button.
    void KeyDown(Integer keyCode, Integer shift);

    // The modal message box of the forms runtime; its answer is not used.
    void MsgBox(std::wstring_view prompt, UINT style, std::wstring_view title);

    // The controls in tab order: designed ones by tab index, then those
    // loaded at run time; frames last, beneath what they hold; each label
    // just before the control it names.
    std::vector<Control*> TabOrder() const;

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
    void Resize(Integer width, Integer height);
    void DesignedSize();
    void MakeWindows();
    void DestroyWindows();
    void MakeToolTips();
    void Annotate();
    void SetToolTip(const Control& c);
    void SetDefaultButton(CommandButton* b);
    int TwipsToPixels(int twips) const { return MulDiv(twips, dpi_, 1440); }
    HFONT Font() const;
    SIZE OuterPixels(int dpi) const;
    void SizeWindow();
    void SetDpi(int dpi, const RECT& work, bool size = true);
    void SizeAndCentre();
    // Runs an event handler from a window message; an error it raises ends
    // the modal show.
    template <class F>
    void Fire(F&& handler);
    void RunModalLoop();
    void EndModal();
    void DisableThreadWindows();
    void FocusFirstControl();
    Control* ControlOf(HWND hwnd) const;
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    const FormDesign design_;
    std::wstring caption_;
    Integer outerWidth_;
    Integer outerHeight_;
    std::vector<Control*> controls_; // construction order
    std::vector<ControlArrayBase*> arrays_;
    CommandButton* defaultButton_ = nullptr;
    CommandButton* cancelButton_ = nullptr;
    bool loaded_ = false;
    bool visible_ = false;
    bool modal_ = false;
    std::exception_ptr handlerError_;

    // Exist only while the form is shown with windows.
    HWND hwnd_ = nullptr;
    HWND toolTips_ = nullptr;
    HFONT ownFont_ = nullptr; // made for a DPI other than 96
    veldlg::ComPtr<IAccPropServices> annotations_;
    int dpi_ = 96;
    std::vector<HWND> disabled_;
};

// The window classes of forms with an icon go when the library is unloaded.
void UnregisterFormClasses() noexcept;

// Forms without windows: while one lives on a thread, Show loads the form
// and hands it to `user`, who acts as a user would (presses a button or a
// key, closes the form), and message boxes are recorded instead of shown.
class Windowless {
public:
    struct Box {
        std::wstring prompt;
        UINT style;
        std::wstring title;
    };

    explicit Windowless(std::function<void(Form&)> user);
    ~Windowless();
    Windowless(const Windowless&) = delete;
    Windowless& operator=(const Windowless&) = delete;

    static Windowless* Current();
    std::vector<Box> boxes;

private:
    friend class Form;
    std::function<void(Form&)> user_;
    Windowless* outer_;
};

} // namespace host
