#pragma once
// The library's classes built into the test program, with forms that run
// without windows: what Form_Load made of a form, and what each way of
// ending a dialog reports, read with no display and no registration.

#include "host/form.h"
#include "host/thread_forms.h"
#include "library/com.h"
#include "support/com_client.h"

#include <gtest/gtest.h>

namespace windowless {

using Boxes = std::vector<host::Windowless::Box>;

template <class T>
client::ComPtr<IDispatch> New()
{
    client::ComPtr<IDispatch> o;
    EXPECT_EQ(veldlg::CreateInstance<T>(IID_IDispatch, o.put_void()), S_OK);
    return o;
}

// ShowForm, with `act` playing the user on the loaded form of kind F.
template <class F>
client::Outcome Show(IDispatch* o, const std::function<void(F&)>& act, Boxes* boxes = nullptr)
{
    host::Windowless w([&](host::Form& f) { act(static_cast<F&>(f)); });
    client::Outcome r = client::Call(o, L"ShowForm");
    if (boxes) *boxes = w.boxes;
    return r;
}

// The visible buttons in tab order, as a user sees them.
inline std::vector<host::CommandButton*> Buttons(const host::Form& f)
{
    std::vector<host::CommandButton*> out;
    for (host::Control* c : f.TabOrder())
        if (auto* b = dynamic_cast<host::CommandButton*>(c); b && b->Visible()) out.push_back(b);
    return out;
}

// A click on the visible button with that caption.
inline void Press(const host::Form& f, std::wstring_view caption)
{
    for (host::CommandButton* b : Buttons(f))
        if (b->Caption() == caption) return b->Press();
    ADD_FAILURE() << "no button captioned " << testing::PrintToString(std::wstring(caption));
}

} // namespace windowless
