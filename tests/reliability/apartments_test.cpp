// Threads and apartments: eight STA threads showing their dialogs at the
// same time, and a client in the MTA calling an object of an STA thread
// through the standard marshaller.

#include "support/dialogs.h"
#include "support/robot.h"
#include "support/wine.h"
#include "veldlg_h.h"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace client;
using reliability::Dialogs;

// Holds every arriving thread until all have arrived. Win32's own event:
// the compiler's std::latch and condition variables were seen to miss
// wake-ups under Wine.
class Gate {
public:
    explicit Gate(LONG count) : left_(count), open_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Gate() { CloseHandle(open_); }
    Gate(const Gate&) = delete;
    Gate& operator=(const Gate&) = delete;
    void ArriveAndWait()
    {
        if (InterlockedDecrement(&left_) == 0) SetEvent(open_);
        WaitForSingleObject(open_, INFINITE);
    }

private:
    LONG left_;
    HANDLE open_;
};

TEST(Apartments, EightStaThreadsShowTheirDialogsAtOnce)
{
    Apartment apartment;
    constexpr int kThreads = 8;
    std::vector<DWORD> ids(kThreads);
    Gate created(kThreads + 1);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            Apartment apartment;
            ids[static_cast<size_t>(t)] = GetCurrentThreadId();
            const auto& kind = Dialogs()[static_cast<size_t>(t) % Dialogs().size()];
            ComPtr<IDispatch> o = Create(kind.progId);
            kind.setup(o.get(), t);
            created.ArriveAndWait();
            EXPECT_EQ(Call(o.get(), L"ShowForm").hr, S_OK);
            kind.check(o.get(), t);
        });
    }
    created.ArriveAndWait();

    // Every thread's dialog is up, and its thread in its modal loop, before
    // the robot ends any of them.
    std::vector<HWND> dialogs(kThreads);
    for (int i = 0; i < 1000; ++i) {
        int up = 0;
        for (int t = 0; t < kThreads; ++t) {
            HWND& d = dialogs[static_cast<size_t>(t)];
            d = robot::FindForm(ids[static_cast<size_t>(t)]);
            if (d) robot::Settle(d);
            up += d != nullptr;
        }
        if (up == kThreads) break;
        Sleep(10);
    }
    // Side by side, so that the robot can reach each of them.
    for (int t = 0; t < kThreads; ++t)
        if (const HWND d = dialogs[static_cast<size_t>(t)])
            SetWindowPos(d, nullptr, (t % 3) * 426, (t / 3) * 340, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    for (int t = 0; t < kThreads; ++t) {
        SCOPED_TRACE(testing::Message() << "thread " << t);
        const HWND d = dialogs[static_cast<size_t>(t)];
        EXPECT_TRUE(d) << "not every dialog came up at once";
        if (!d) continue;
        robot::Settle(d);
        EXPECT_TRUE(robot::BringToFront(d));
        Dialogs()[static_cast<size_t>(t) % Dialogs().size()].end(d, t);
        EXPECT_TRUE(robot::WaitUntilGone(d));
    }
    // Whatever the robot could not end is closed, so the threads finish.
    for (DWORD id : ids)
        if (const HWND d = robot::FindForm(id)) PostMessageW(d, WM_CLOSE, 0, 0);
    for (auto& thread : threads) thread.join();
}

constexpr wchar_t kErrorInfo[] = L"  error info: ";

// What a client sees of one sequence of early- and late-bound calls,
// errors included, as text.
std::vector<std::wstring> ClientSequence(_CustomMessage* o, DWORD dialogThread)
{
    std::vector<std::wstring> seen;
    const auto note = [&](const wchar_t* what, HRESULT hr) {
        seen.push_back(std::wstring(what) + L": " + std::to_wstring(static_cast<unsigned long>(hr)));
        ComPtr<IErrorInfo> info;
        if (FAILED(hr) && GetErrorInfo(0, info.put()) == S_OK) {
            Bstr source, description;
            info->GetSource(source.put());
            info->GetDescription(description.put());
            seen.push_back(kErrorInfo + std::wstring(source.view()) + L" / " + std::wstring(description.view()));
        }
    };
    note(L"ShowForm without inputs", o->ShowForm());
    note(L"put ButtonCaptions", o->put_ButtonCaptions(Bstr(L"Yes,No").get()));
    note(L"put NumButtons 3", o->put_NumButtons(3));
    note(L"put NumButtons 2", o->put_NumButtons(2));
    short n = 0;
    note(L"get NumButtons", o->get_NumButtons(&n));
    seen.push_back(L"NumButtons " + std::to_wstring(n));

    std::thread driver([&] {
        const HWND d = robot::WaitForForm(dialogThread);
        if (d) robot::Click(robot::Child(d, L"No", L"Button"));
    });
    note(L"ShowForm", o->ShowForm());
    driver.join();
    VARIANT caption, value;
    note(L"get ButtonResultCaption", o->get_ButtonResultCaption(&caption));
    note(L"get ButtonResultValue", o->get_ButtonResultValue(&value));
    seen.push_back(L"result " + std::to_wstring(V_VT(&caption)) + L" " +
                   (V_VT(&caption) == VT_BSTR ? std::wstring(Bstr::View(V_BSTR(&caption))) : L"") + L" " +
                   std::to_wstring(V_VT(&value)) + L" " + (V_VT(&value) == VT_I2 ? std::to_wstring(V_I2(&value)) : L""));
    VariantClear(&caption);
    VariantClear(&value);

    // Late-bound through the same pointer.
    ComPtr<IDispatch> late;
    note(L"QueryInterface IDispatch", o->QueryInterface(IID_IDispatch, late.put_void()));
    if (late) {
        const Outcome r = Put(late.get(), L"NumButtons", I2(5).get());
        seen.push_back(L"late put " + std::to_wstring(r.number()) + L" " + r.source + L" / " + r.description);
    }
    return seen;
}

TEST(Apartments, MtaClientGetsWhatADirectCallerGets)
{
    // Direct: the object on the caller's own STA thread.
    std::vector<std::wstring> direct;
    std::thread([&] {
        Apartment apartment;
        ComPtr<_CustomMessage> o;
        ASSERT_EQ(CoCreateInstance(CLSID_CustomMessage, nullptr, CLSCTX_INPROC_SERVER, IID__CustomMessage,
                                   o.put_void()),
                  S_OK);
        direct = ClientSequence(o.get(), GetCurrentThreadId());
    }).join();

    // Marshalled: the object lives on an STA thread that pumps messages; the
    // client is in the MTA and holds a proxy.
    std::promise<std::pair<IStream*, DWORD>> marshalled;
    std::thread owner([&] {
        Apartment apartment;
        ComPtr<_CustomMessage> o;
        IStream* stream = nullptr;
        EXPECT_EQ(CoCreateInstance(CLSID_CustomMessage, nullptr, CLSCTX_INPROC_SERVER, IID__CustomMessage,
                                   o.put_void()),
                  S_OK);
        EXPECT_EQ(CoMarshalInterThreadInterfaceInStream(IID__CustomMessage, o.get(), &stream), S_OK);
        marshalled.set_value({stream, GetCurrentThreadId()});
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    });
    const auto [stream, ownerThread] = marshalled.get_future().get();
    std::vector<std::wstring> remote;
    std::thread([&, stream = stream, ownerThread = ownerThread] {
        Apartment apartment(COINIT_MULTITHREADED);
        ComPtr<_CustomMessage> proxy;
        ASSERT_EQ(CoGetInterfaceAndReleaseStream(stream, IID__CustomMessage, proxy.put_void()), S_OK);
        remote = ClientSequence(proxy.get(), ownerThread);
    }).join();
    PostThreadMessageW(ownerThread, WM_QUIT, 0, 0);
    owner.join();

    EXPECT_EQ(direct.size(), 14u);
    if (platform::OnWine()) {
        // Wine's proxies carry no error info back from a vtable call; the
        // late-bound call has it, in its EXCEPINFO.
        std::vector<std::wstring> withoutInfo;
        for (const auto& line : direct)
            if (line.rfind(kErrorInfo, 0) != 0) withoutInfo.push_back(line);
        EXPECT_EQ(remote, withoutInfo) << "if Wine now marshals error info, drop this mark";
    } else {
        EXPECT_EQ(remote, direct);
    }
}

} // namespace
