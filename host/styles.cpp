#include "host/styles.h"

#include "host/instance.h"

#include <utility>

namespace host {

namespace {

constinit INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;
constinit HANDLE g_context = nullptr; // none: the host's look

BOOL CALLBACK CreateContext(INIT_ONCE*, void*, void**)
{
    wchar_t path[MAX_PATH];
    if (!GetModuleFileNameW(veldlg::ModuleInstance(), path, MAX_PATH)) return TRUE;
    ACTCTXW context{sizeof context};
    context.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = path;
    context.hModule = veldlg::ModuleInstance();
    context.lpResourceName = MAKEINTRESOURCEW(2);
    // A module without the manifest (a test program that links the runtime
    // in) keeps the host's look.
    const HANDLE created = CreateActCtxW(&context);
    g_context = created == INVALID_HANDLE_VALUE ? nullptr : created;
    return TRUE;
}

} // namespace

VisualStyles::VisualStyles()
{
    InitOnceExecuteOnce(&g_once, CreateContext, nullptr, nullptr);
    if (g_context && !ActivateActCtx(g_context, &cookie_)) cookie_ = 0;
}

VisualStyles::~VisualStyles()
{
    if (cookie_) DeactivateActCtx(0, cookie_);
}

void VisualStyles::Release() noexcept
{
    if (g_context) ReleaseActCtx(std::exchange(g_context, nullptr));
    InitOnceInitialize(&g_once);
}

} // namespace host
