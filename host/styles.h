#pragma once
// The look of the platform in any host: the module's manifest (resource 2)
// asks for the common controls of version 6, and its activation context is
// active while the runtime makes windows, so that every control, message box
// and calendar takes the current look even in a host whose own manifest
// asks for none. Windows made so keep it after the context goes.

#include <windows.h>

namespace host {

class VisualStyles {
public:
    VisualStyles();
    ~VisualStyles();
    VisualStyles(const VisualStyles&) = delete;
    VisualStyles& operator=(const VisualStyles&) = delete;

    // The library is unloaded: the context goes.
    static void Release() noexcept;

private:
    ULONG_PTR cookie_ = 0;
};

} // namespace host
