#pragma once
// One way to drive each of the four dialogs, with inputs and answers that
// depend on a tag, so that objects on different threads can tell their own
// results from another's; and what the gets of an object read, to tell
// whether a call changed it.

#include "support/com_client.h"

#include <functional>
#include <vector>

namespace reliability {

struct DialogKind {
    const wchar_t* progId;
    std::function<void(IDispatch*, int tag)> setup;  // puts the inputs for the tag
    std::function<void(HWND dialog, int tag)> end;   // ends the dialog as its user would
    std::function<void(IDispatch*, int tag)> check;  // checks the results after `end`
};
const std::vector<DialogKind>& Dialogs();

// What the gets of the object's properties (DISPIDs 0x68030000 and up)
// answer, bit for bit: a NaN equals itself, texts and arrays compare by
// content.
std::vector<std::string> Snapshot(IDispatch* object);

} // namespace reliability
