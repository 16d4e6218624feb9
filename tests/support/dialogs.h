#pragma once
// One way to drive each of the four dialogs, with inputs and answers that
// depend on a tag, so that objects on different threads can tell their own
// results from another's.

#include "support/com_client.h"

#include <windows.h>

#include <functional>
#include <vector>

namespace reliability {

struct DialogKind {
    const wchar_t* progId;
    // Puts the inputs of an object for the tag.
    std::function<void(IDispatch*, int tag)> setup;
    // Ends the dialog the way its user would, for the tag.
    std::function<void(HWND dialog, int tag)> end;
    // Checks the object's results after `end`.
    std::function<void(IDispatch*, int tag)> check;
};

const std::vector<DialogKind>& Dialogs();

// The object's own members (not IUnknown's or IDispatch's), one entry per
// accessor, as its type information describes them.
struct Function {
    MEMBERID id;
    INVOKEKIND kind;
};
std::vector<Function> OwnFunctions(IDispatch* object);

// Everything an object's gets return, in DISPID order, as deep copies.
std::vector<client::Variant> Snapshot(IDispatch* object);
bool Same(const std::vector<client::Variant>& a, const std::vector<client::Variant>& b);

// Shows an object's dialog and lets the robot end it.
void ShowAndEnd(const DialogKind& kind, IDispatch* object, int tag);

} // namespace reliability
