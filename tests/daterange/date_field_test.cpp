// The date field as a user meets it, in the date range dialog: editing
// through the real input queue, with virtual keys and with Unicode input,
// and OK after an entry was cleared.

#include "host/dates.h"
#include "support/com_client.h"
#include "support/robot.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

// From the mask's tests: a text with its selection marked, and a text with
// one string replaced by another throughout.
std::wstring Marked(std::wstring s, int start, int end);
std::wstring Replaced(std::wstring s, std::wstring_view from, std::wstring_view to);

namespace {

using namespace client;

// Keys of the table: characters are typed; {NAME} or {NAME n} presses a
// key n times; + and ^ before a key or a character hold Shift or Ctrl;
// {DBL i} double-clicks the character at position i; {OK} presses OK,
// which must refuse. Unicode input types the characters that no modifier
// holds.
void Keys(HWND field, std::wstring_view keys, bool unicode)
{
    static const std::map<std::wstring, WORD> named = {
        {L"RIGHT", VK_RIGHT}, {L"HOME", VK_HOME}, {L"END", VK_END}, {L"UP", VK_UP}, {L"DOWN", VK_DOWN},
        {L"DEL", VK_DELETE}, {L"BS", VK_BACK}, {L"INS", VK_INSERT}, {L"TAB", VK_TAB}, {L"F10", VK_F10}};
    const DWORD thread = GetWindowThreadProcessId(field, nullptr);
    for (size_t i = 0; i < keys.size(); ++i) {
        std::vector<WORD> held;
        for (; keys[i] == L'+' || keys[i] == L'^'; ++i) held.push_back(keys[i] == L'+' ? VK_SHIFT : VK_CONTROL);
        if (keys[i] == L'{') {
            std::wistringstream token(std::wstring(keys.substr(i + 1, keys.find(L'}', i) - i - 1)));
            std::wstring name;
            int n = 1;
            token >> name >> n;
            i = keys.find(L'}', i);
            const LRESULT at = SendMessageW(field, EM_POSFROMCHAR, static_cast<WPARAM>(n), 0);
            if (name == L"DBL") robot::DoubleClick(field, {LOWORD(at) + 2, HIWORD(at) + 4});
            if (name == L"OK") { // refused with a message box; the dialog stays once it is closed
                robot::Press(VK_RETURN);
                const HWND box = robot::WaitForMessageBox(thread);
                ASSERT_NE(box, nullptr) << "OK took the entry";
                EXPECT_NE(robot::Child(box, L"Enter valid dates or press CANCEL", L"Static"), nullptr);
                robot::Press(VK_RETURN);
                EXPECT_TRUE(robot::WaitUntilGone(box) && robot::WaitForForm(thread) == GetParent(field));
            }
            for (int r = 0; named.count(name) && r < n; ++r) robot::Press(named.at(name), held);
        } else if (unicode && held.empty()) {
            robot::TypeUnicode(keys.substr(i, 1));
        } else {
            const SHORT scan = VkKeyScanW(keys[i]);
            if (HIBYTE(scan) & 1) held.push_back(VK_SHIFT);
            robot::Press(LOBYTE(scan), held);
        }
    }
}

// Each row starts from 07/04/2024 and runs with virtual keys and with
// Unicode input; then come what the field shows, its selection marked, and
// the value a screen reader reads. What the mask does is tested without a
// window; these are the ways keys, the mouse, the clipboard, the menu and
// OK reach it.
TEST(DateField, EditingSequences)
{
    // Typing and the keys that erase; Tab into the field selects the whole
    // entry, so does Ctrl+A with the caret at its start, where typing begins;
    // typing replaces a selection from its first position, Delete and
    // Backspace empty it; a double click selects a part; the clipboard by keys and by the context menu,
    // each row with another text than the row before, so that a copy left
    // out shows; Undo by key and by the menu; Up and Down step the part where
    // the selection starts; OK refuses an entry left empty or incomplete,
    // which stays.
    const wchar_t* const cases[][2] = {
        {L"^a7/4/2025", L"07/04/2025|"}, {L"{RIGHT}{DEL}{END}{BS 2}", L"0_/04/20|__"}, {L"{TAB}+{TAB}", L"[07/04/2024]"},
        {L"^a+{RIGHT}8", L"08/|__/____"}, {L"{RIGHT}+{RIGHT 3}5", L"05/|_4/2024"}, {L"{END}+{HOME}{DEL}", L"|__/__/____"},
        {L"{RIGHT 3}+{END}{BS}", L"07/|__/____"}, {L"{DBL 4}", L"07/[04]/2024"},
        {L"+{RIGHT 2}^x{RIGHT 3}^v", L"__/07/|2024"}, {L"{RIGHT 6}+{END}+{DEL}{HOME}+{INS}", L"20/24/|____"},
        {L"{DBL 4}^{INS}{HOME}+{F10}p", L"04/|04/2024"}, {L"{DBL 1}+{F10}t{RIGHT 3}+{F10}p", L"__/07/|2024"},
        {L"{DBL 7}^c{HOME}^v", L"20/24/|2024"}, {L"+{F10}a+{F10}d", L"|__/__/____"}, {L"^a{DEL}^z", L"[07/04/2024]"},
        {L"{DBL 4}{DEL}+{F10}u", L"[07/04/2024]"}, {L"{RIGHT 3}{UP}", L"07/|05/2024"}, {L"^a{DOWN}", L"[06/04/2024]"},
        {L"^a{DEL}{OK}", L"|__/__/____"}, {L"{DBL 4}{DEL}{OK}", L"07/|__/2024"},
    };
    // Both dates preset (4 and 31 July 2024), so that the stored dates are
    // neither read nor, as long as nothing is confirmed, written; Escape ends
    // the dialog.
    Apartment apartment;
    ComPtr<IDispatch> o = Create(L"VELDLG.DateRange");
    ASSERT_TRUE(Put(o.get(), L"BeginDate", Date(45477).get()).ok() && Put(o.get(), L"EndDate", Date(45504).get()).ok());
    const auto local = [](const wchar_t* s) { return Replaced(s, L"/", host::DateSeparator()); }; // user's separator
    robot::WithDialog([&] { EXPECT_EQ(Call(o.get(), L"ShowForm").hr, S_OK); }, [&](HWND dialog) {
        const auto fields = robot::Children(dialog, L"VELDLG.DateField");
        ASSERT_EQ(fields.size(), 2u);
        const HWND field = fields[0];
        for (const bool unicode : {false, true}) {
            for (const auto& [keys, expected] : cases) {
                SCOPED_TRACE(testing::Message() << (unicode ? "Unicode " : "keys ") << keys);
                SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
                SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(local(L"07/04/2024").c_str()));
                Keys(field, keys, unicode);
                std::wstring shown, value = local(expected);
                // Input arrives in its own time: read until as expected, or for two seconds.
                for (int i = 0; i < 100 && shown != value; ++i, Sleep(20)) {
                    wchar_t line[64] = {63};
                    DWORD from = 0, to = 0;
                    SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
                    const LRESULT n = SendMessageW(field, EM_GETLINE, 0, reinterpret_cast<LPARAM>(line));
                    shown = Marked(std::wstring(line, n), from, to);
                }
                EXPECT_EQ(shown, value);
            }
        }
        robot::Press(VK_ESCAPE);
    });
}

} // namespace
