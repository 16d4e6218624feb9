#pragma once
// One form object per dialog kind and thread, created on first reference and
// kept, with its values, for as long as the library stays loaded.

#include "host/form.h"

#include <memory>

namespace host {

namespace detail {
Form* FindForm(const void* kind);
Form& AddForm(const void* kind, std::unique_ptr<Form> form);
} // namespace detail

// The calling thread's form of kind F. Referring to it neither loads it nor
// shows it.
template <class F>
F& FormRef()
{
    static const char kind = 0; // one address per form kind
    if (Form* f = detail::FindForm(&kind)) return static_cast<F&>(*f);
    return static_cast<F&>(detail::AddForm(&kind, std::make_unique<F>()));
}

// The calling thread ends: its forms go.
void ThreadDetach() noexcept;
// The library is unloaded: every thread's forms go.
void ProcessDetach() noexcept;

} // namespace host
