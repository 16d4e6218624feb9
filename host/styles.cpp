#include "host/styles.h"

#include "host/instance.h"

namespace host {

namespace {

constinit INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;
constinit HANDLE g_context = INVALID_HANDLE_VALUE;

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
    g_context = CreateActCtxW(&context);
    return TRUE;
}

} // namespace

VisualStyles::VisualStyles()
{
    InitOnceExecuteOnce(&g_once, CreateContext, nullptr, nullptr);
    if (g_context != INVALID_HANDLE_VALUE && !ActivateActCtx(g_context, &cookie_)) cookie_ = 0;
}

VisualStyles::~VisualStyles()
{
    if (cookie_) DeactivateActCtx(0, cookie_);
}

void VisualStyles::Release() noexcept
{
    if (g_context != INVALID_HANDLE_VALUE) ReleaseActCtx(g_context);
    g_context = INVALID_HANDLE_VALUE;
    InitOnceInitialize(&g_once);
}

} // namespace host
