#pragma once
// Controls of the forms runtime: a design (in twips, relative to the
// container), the run-time state that the form's code reads and changes, and
// a window made from that state while the form is shown. Unloading a form
// starts each designed control again from its design.

#include "host/integer.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace host {

class Form;
class Control;
class Frame;

enum class Alignment { Left, Center };

struct ControlDesign {
    std::wstring_view caption;
    short left = 0;
    short top = 0;
    short width = 0;
    short height = 0;
    short tabIndex = 0;
    bool isDefault = false;
    bool isCancel = false;
    std::wstring_view toolTip;
    const Frame* container = nullptr;
    // Labels: the control the label names, which screen readers find by the
    // label standing just before it among the windows.
    const Control* labelFor = nullptr;
    Alignment alignment = Alignment::Left; // labels
    bool useMnemonic = true;               // labels: "&" marks an access key
};

class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    void Caption(std::wstring_view text);
    const std::wstring& Caption() const { return now_.caption; }
    void Width(Integer twips);
    void Height(Integer twips);
    Integer Left() const { return now_.left; }
    Integer Top() const { return now_.top; }
    Integer Width() const { return now_.width; }
    Integer Height() const { return now_.height; }
    // Left and top only; width and height stay.
    void Move(Integer left, Integer top);
    void Visible(bool visible);
    bool Visible() const { return now_.visible; }
    void Tag(std::wstring_view text) { now_.tag = text; }
    const std::wstring& Tag() const { return now_.tag; }
    void ToolTipText(std::wstring_view text);
    const std::wstring& ToolTipText() const { return now_.toolTip; }
    // What a screen reader speaks for the control when its caption (without
    // the access-key mark) would not do; empty for the caption.
    void AccessibleName(std::wstring_view text) { now_.accessibleName = text; }
    const std::wstring& AccessibleName() const { return now_.accessibleName; }

    const ControlDesign& Design() const { return design_; }
    HWND Window() const { return hwnd_; }
    // The place in twips from the form's client area, containers included.
    RECT FormRect() const;

protected:
    // A designed control, created with its form.
    Control(Form& form, const ControlDesign& design);
    // A run-time copy of a designed control (a control array's Load).
    Control(Form& form, const ControlDesign& design, bool runtimeElement);

    Form& form() const { return form_; }

    virtual const wchar_t* WindowClass() const = 0;
    virtual DWORD WindowStyle() const = 0;
    virtual bool IsFrame() const { return false; }
    // The window's text: the caption, or for a control that shows none, the
    // accessible name, which screen readers then find there too.
    virtual const std::wstring& WindowText() const { return now_.caption; }
    virtual void OnCreated() {}
    virtual void OnUnloaded() {}
    // A WM_COMMAND notification from the control's window.
    virtual void OnNotify(WORD /*code*/) {}

private:
    friend class Form;
    friend class ControlArrayBase;
    struct State {
        std::wstring caption;
        short left = 0, top = 0, width = 0, height = 0;
        bool visible = true;
        std::wstring tag;
        std::wstring toolTip;
        std::wstring accessibleName;
    };

    void CreateWindowIn(HWND parent, int id, HFONT font);
    void WindowGone() { hwnd_ = nullptr; }
    State DesignState() const;
    void Unloaded();
    void Place();
    RECT PixelRect() const;

    Form& form_;
    bool runtime_; // loaded at run time as an element of a control array
    ControlDesign design_;
    std::wstring designCaption_;
    std::wstring designToolTip_;
    State now_;
    HWND hwnd_ = nullptr;
    RECT placed_{}; // where the window stands, in pixels
};

class CommandButton : public Control {
public:
    CommandButton(Form& form, const ControlDesign& design) : Control(form, design) {}
    CommandButton(Form& form, const ControlDesign& design, bool runtimeElement)
        : Control(form, design, runtimeElement) {}

    void Default(bool on);
    void Cancel(bool on);
    bool Default() const;
    bool Cancel() const;
    // What a click, Enter on the default button or Escape on the cancel
    // button does.
    void Press() const;

    std::function<void()> Click;

protected:
    const wchar_t* WindowClass() const override { return L"Button"; }
    DWORD WindowStyle() const override { return BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP; }
    void OnNotify(WORD code) override;
};

class Label : public Control {
public:
    Label(Form& form, const ControlDesign& design) : Control(form, design) {}

protected:
    const wchar_t* WindowClass() const override { return L"Static"; }
    DWORD WindowStyle() const override;
};

class Frame : public Control {
public:
    Frame(Form& form, const ControlDesign& design) : Control(form, design) {}

protected:
    const wchar_t* WindowClass() const override { return L"Button"; }
    DWORD WindowStyle() const override { return BS_GROUPBOX; }
    bool IsFrame() const override { return true; }
};

class ListBox : public Control {
public:
    ListBox(Form& form, const ControlDesign& design) : Control(form, design) {}

    void Clear();
    // Inserts at a 0-based position no greater than the number of items.
    void AddItem(std::wstring_view text, Integer index);
    // The selected item's position, -1 when none.
    Integer ListIndex() const { return selected_; }
    void ListIndex(Integer index);
    // The selected item's text, empty when none.
    std::wstring Text() const;

    std::function<void()> DblClick;

protected:
    const wchar_t* WindowClass() const override { return L"ListBox"; }
    const std::wstring& WindowText() const override { return AccessibleName(); }
    DWORD WindowStyle() const override
    {
        return LBS_NOTIFY | LBS_HASSTRINGS | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
    }
    void OnNotify(WORD code) override;
    void OnCreated() override;
    void OnUnloaded() override
    {
        items_.clear();
        selected_ = -1;
    }

private:
    std::vector<std::wstring> items_;
    short selected_ = -1;
};

// Base of ControlArray: the form tells it when it unloads.
class ControlArrayBase {
public:
    virtual void DropRuntimeElements() = 0;

    ControlArrayBase(const ControlArrayBase&) = delete;
    ControlArrayBase& operator=(const ControlArrayBase&) = delete;

protected:
    explicit ControlArrayBase(Form& form);
    ~ControlArrayBase();
    // A new element gets its window at once when the form has windows.
    void Loaded(Control& element);

private:
    Form& owner_;
};

// A control array: the designed element and those loaded at run time,
// indexed as in the design. cmdButton(i) reads like the forms runtime.
// Destroyed only as a member of its form, never through its base.
template <class T>
class ControlArray final : public ControlArrayBase { // NOLINT(cppcoreguidelines-virtual-class-destructor)
public:
    ControlArray(Form& form, Integer designedIndex, const ControlDesign& design)
        : ControlArrayBase(form), form_(form), designedIndex_(designedIndex), designed_(form, design)
    {
        Wire(designed_, designedIndex_);
    }

    T& operator()(Integer index)
    {
        if (index == designedIndex_) return designed_;
        const auto it = loaded_.find(index.value());
        if (it == loaded_.end()) veldlg::Raise(veldlg::RuntimeError::ElementDoesNotExist);
        return *it->second;
    }

    // A copy of the designed element, invisible until Visible is set.
    void Load(Integer index)
    {
        if (index == designedIndex_ || loaded_.contains(index.value()))
            veldlg::Raise(veldlg::RuntimeError::ObjectAlreadyLoaded);
        auto element = std::make_unique<T>(form_, designed_.Design(), true);
        Wire(*element, index);
        try {
            Loaded(*loaded_.emplace(index.value(), std::move(element)).first->second);
        } catch (...) {
            loaded_.erase(index.value());
            throw;
        }
    }

    std::function<void(Integer index)> Click;

    void DropRuntimeElements() override { loaded_.clear(); }

private:
    void Wire(T& element, Integer index)
    {
        element.Click = [this, index] {
            if (Click) Click(index);
        };
    }

    Form& form_;
    Integer designedIndex_;
    T designed_;
    std::map<short, std::unique_ptr<T>> loaded_;
};

} // namespace host
