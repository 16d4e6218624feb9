#pragma once
// One form object per dialog kind and thread, created on first reference and
// kept, with its values, for as long as the library stays loaded.

#include "host/form.h"

#include <memory>
#include <type_traits>
#include <utility>

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

// Copy, then commit: a value that an object keeps and also puts into its
// thread's form is copied for both before either changes, and the stores are
// moves that cannot fail, so a put that fails changes neither.
template <class F, class T>
void PutBoth(T& field, T value, void (F::*formPut)(T) noexcept)
{
    static_assert(std::is_nothrow_move_assignable_v<T> && std::is_nothrow_move_constructible_v<T>);
    // cppcheck-suppress constVariable ; the put changes it
    F& form = FormRef<F>();
    T forForm(value);
    (form.*formPut)(std::move(forForm));
    field = std::move(value);
}

// The calling thread's hidden owner of its dialogs, made on first use and
// kept until the thread's forms go: it keeps the dialogs out of the task bar
// without making them children of any window of the client.
HWND ThreadOwner();

// The calling thread ends: its forms go.
void ThreadDetach() noexcept;
// The library is unloaded: every thread's forms go.
void ProcessDetach() noexcept;

} // namespace host
