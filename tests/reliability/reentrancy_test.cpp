// A second ShowForm of the same class on the same thread while that
// thread's dialog of that kind is up, as a client's timer can call it: a
// clear error, and neither dialog nor state disturbed.

#include "dialogs.h"
#include "support/robot.h"

#include <gtest/gtest.h>

namespace {

using namespace client;
using reliability::Dialogs;

// The timer's call, made from inside the first dialog's modal loop.
IDispatch* g_second = nullptr;
Outcome g_secondOutcome;
bool g_fired = false;

void CALLBACK ShowSecond(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    g_fired = true;
    g_secondOutcome = Call(g_second, L"ShowForm");
}

TEST(Reentrancy, SecondShowOfTheSameKindIsRefusedAndDisturbsNothing)
{
    Apartment apartment;
    for (const auto& kind : Dialogs()) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(kind.progId)));
        ComPtr<IDispatch> first = Create(kind.progId), second = Create(kind.progId);
        ASSERT_TRUE(first && second);
        // Both objects put the same inputs into their thread's one form.
        kind.setup(first.get(), 1);
        kind.setup(second.get(), 1);
        const auto secondBefore = reliability::Snapshot(second.get());
        g_second = second.get();
        g_fired = false;
        robot::WithDialog(
            [&] {
                SetTimer(nullptr, 0, 10, ShowSecond);
                EXPECT_EQ(Call(first.get(), L"ShowForm").hr, S_OK);
            },
            [&](HWND dialog) {
                for (int i = 0; i < 200 && !g_fired; ++i) Sleep(10);
                robot::Settle(dialog);
                EXPECT_TRUE(IsWindowVisible(dialog)) << "the first dialog went";
                kind.end(dialog, 1);
            });
        ASSERT_TRUE(g_fired) << "the timer never ran inside the dialog";
        EXPECT_EQ(g_secondOutcome.number(), 400);
        EXPECT_EQ(g_secondOutcome.source, L"VELDLG");
        EXPECT_EQ(g_secondOutcome.description, L"Form already displayed; can't show modally");
        kind.check(first.get(), 1);
        EXPECT_TRUE(reliability::Same(reliability::Snapshot(second.get()), secondBefore))
            << "the refused ShowForm changed the second object";
    }
}

} // namespace
