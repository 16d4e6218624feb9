#include "host/thread_forms.h"

#include "host/date_field.h"
#include "host/styles.h"
#include "host/error.h"
#include "host/instance.h"
#include "host/ole.h"

#include <utility>
#include <vector>

namespace host {

namespace {

struct ThreadForms {
    std::vector<std::pair<const void*, std::unique_ptr<Form>>> forms;
    HWND owner = nullptr;
    DWORD thread = GetCurrentThreadId();
    ThreadForms* prev = nullptr;
    ThreadForms* next = nullptr;
};

// Every thread's forms are also on one list, so that unloading the library
// can free those of threads that are still running.
constinit SRWLOCK g_lock = SRWLOCK_INIT;
constinit ThreadForms* g_threads = nullptr;
constinit INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;
constinit DWORD g_slot = TLS_OUT_OF_INDEXES;

// A class of our own for the owner: a system class such as "Static" may be
// registered lazily per thread, and eight threads making their first window
// at once have seen it missing.
constexpr wchar_t kOwnerClass[] = L"VELDLG.Owner";
constinit INIT_ONCE g_ownerClass = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK RegisterOwnerClass(INIT_ONCE*, void*, void**)
{
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = veldlg::ModuleInstance();
    wc.lpszClassName = kOwnerClass;
    // Left over from an earlier load whose other threads still held owners.
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// The owner goes first, on its own thread, so that no form is left owned by
// a window that outlives it.
void DestroyOwner(ThreadForms& t) noexcept
{
    if (t.owner && t.thread == GetCurrentThreadId()) DestroyWindow(t.owner);
    t.owner = nullptr;
}

BOOL CALLBACK AllocateSlot(INIT_ONCE*, void*, void**)
{
    g_slot = TlsAlloc();
    return g_slot != TLS_OUT_OF_INDEXES;
}

ThreadForms* Existing()
{
    return g_slot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<ThreadForms*>(TlsGetValue(g_slot));
}

ThreadForms& Current()
{
    veldlg::ThrowLastErrorIf(!InitOnceExecuteOnce(&g_once, AllocateSlot, nullptr, nullptr));
    // cppcheck-suppress constVariable ; handed out for changing
    if (ThreadForms* const existing = Existing()) return *existing;
    auto t = std::make_unique<ThreadForms>();
    veldlg::ThrowLastErrorIf(!TlsSetValue(g_slot, t.get()));
    veldlg::ExclusiveLock guard(g_lock);
    t->next = g_threads;
    if (g_threads) g_threads->prev = t.get();
    g_threads = t.get();
    return *t.release();
}

void Unlink(ThreadForms* t)
{
    veldlg::ExclusiveLock guard(g_lock);
    if (t->prev) t->prev->next = t->next;
    if (t->next) t->next->prev = t->prev;
    if (g_threads == t) g_threads = t->next;
}

} // namespace

namespace detail {

Form* FindForm(const void* kind)
{
    if (ThreadForms* t = Existing())
        for (auto& [k, form] : t->forms)
            if (k == kind) return form.get();
    return nullptr;
}

Form& AddForm(const void* kind, std::unique_ptr<Form> form)
{
    ThreadForms& t = Current();
    t.forms.emplace_back(kind, std::move(form));
    return *t.forms.back().second;
}

} // namespace detail

HWND ThreadOwner()
{
    ThreadForms& t = Current();
    if (t.owner && IsWindow(t.owner)) return t.owner;
    veldlg::ThrowLastErrorIf(!InitOnceExecuteOnce(&g_ownerClass, RegisterOwnerClass, nullptr, nullptr));
    t.owner = CreateWindowExW(0, kOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              veldlg::ModuleInstance(), nullptr);
    veldlg::ThrowLastErrorIf(!t.owner);
    return t.owner;
}

void ThreadDetach() noexcept
{
    ThreadForms* t = Existing();
    if (!t) return;
    TlsSetValue(g_slot, nullptr);
    Unlink(t);
    DestroyOwner(*t);
    delete t;
}

void ProcessDetach() noexcept
{
    ThreadForms* t = nullptr;
    {
        veldlg::ExclusiveLock guard(g_lock);
        t = std::exchange(g_threads, nullptr);
    }
    for (; t; delete std::exchange(t, t->next)) DestroyOwner(*t);
    // Fails while another thread still has its owner; the class is then
    // found again by a later load.
    UnregisterClassW(kOwnerClass, veldlg::ModuleInstance());
    InitOnceInitialize(&g_ownerClass);
    UnregisterFormClasses();
    UnregisterDateFieldClass();
    VisualStyles::Release();
    if (g_slot != TLS_OUT_OF_INDEXES) TlsFree(std::exchange(g_slot, TLS_OUT_OF_INDEXES));
}

} // namespace host
