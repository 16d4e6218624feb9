// The date field as a user and a screen reader meet it, in the date range
// dialog: editing through the real input queue, with virtual keys and with
// Unicode input; OK after an entry was cleared; what MSAA reads.

#include "support/com_client.h"
#include "support/robot.h"
#include "support/wine.h"

#include <oleacc.h>
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

namespace {

using namespace client;

constexpr DATE k4July2024 = 45477, k31July2024 = 45504;

// A text of the tables with the user's date separator.
std::wstring Local(std::wstring s)
{
    wchar_t separator[8] = L"/";
    GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDATE, separator, 8);
    for (auto at = s.find(L'/'); at != std::wstring::npos; at = s.find(L'/', at + wcslen(separator)))
        s.replace(at, 1, separator);
    return s;
}

// Shows the dialog with both dates preset, so that the stored dates are
// neither read nor, as long as nothing is confirmed, written.
void Show(const std::function<void(HWND dialog, HWND begin, HWND end)>& act, bool* succeed = nullptr)
{
    Apartment apartment;
    ComPtr<IDispatch> o = Create(L"VELDLG.DateRange");
    ASSERT_TRUE(Put(o.get(), L"BeginDate", Date(k4July2024).get()).ok());
    ASSERT_TRUE(Put(o.get(), L"EndDate", Date(k31July2024).get()).ok());
    robot::WithDialog([&] { EXPECT_EQ(Call(o.get(), L"ShowForm").hr, S_OK); },
                      [&](HWND dialog) {
                          Apartment robotApartment;
                          const auto fields = robot::Children(dialog, L"VELDLG.DateField");
                          ASSERT_EQ(fields.size(), 2u);
                          act(dialog, fields[0], fields[1]);
                      });
    if (succeed) *succeed = V_BOOL(&Get(o.get(), L"Succeed").value.get()) == VARIANT_TRUE;
}

// A point inside the character at a position of a field, or at its left edge.
POINT At(HWND field, int position, bool inside)
{
    const LRESULT p = SendMessageW(field, EM_POSFROMCHAR, static_cast<WPARAM>(position), 0);
    RECT r;
    GetClientRect(field, &r);
    return {static_cast<short>(LOWORD(p)) + (inside ? 2 : 0), r.bottom / 2};
}

POINT OnScreen(HWND field, POINT p)
{
    ClientToScreen(field, &p);
    return p;
}

// Keys of the tables: characters are typed; {NAME} or {NAME n} presses a
// key n times; + and ^ before a key or a character hold Shift or Ctrl;
// {DBL i} double-clicks the character at position i; {DRAG i j} drags from
// position i to position j. Unicode input types the characters that no
// modifier holds.
void Keys(HWND field, std::wstring_view keys, bool unicode)
{
    static const std::map<std::wstring, WORD> named = {
        {L"LEFT", VK_LEFT}, {L"RIGHT", VK_RIGHT}, {L"HOME", VK_HOME}, {L"END", VK_END}, {L"UP", VK_UP},
        {L"DOWN", VK_DOWN}, {L"DEL", VK_DELETE},  {L"BS", VK_BACK},   {L"INS", VK_INSERT}, {L"TAB", VK_TAB},
        {L"F3", VK_F3},     {L"F10", VK_F10}};
    std::vector<WORD> held;
    for (size_t i = 0; i < keys.size(); ++i) {
        const wchar_t k = keys[i];
        if (k == L'+' || k == L'^') {
            held.push_back(k == L'+' ? VK_SHIFT : VK_CONTROL);
            continue;
        }
        if (k == L'{') {
            const size_t close = keys.find(L'}', i);
            std::wistringstream token(std::wstring(keys.substr(i + 1, close - i - 1)));
            std::wstring name;
            int n = 1, m = 0;
            token >> name >> n >> m;
            i = close;
            if (name == L"DBL")
                robot::DoubleClick(field, At(field, n, true));
            else if (name == L"DRAG")
                robot::Drag(OnScreen(field, At(field, n, false)), OnScreen(field, At(field, m, false)));
            else
                for (int r = 0; r < n; ++r) robot::Press(named.at(name), held);
        } else if (unicode && held.empty()) {
            robot::TypeUnicode(std::wstring_view(&k, 1));
        } else {
            const SHORT scan = VkKeyScanW(k);
            if (HIBYTE(scan) & 1) held.push_back(VK_SHIFT);
            robot::Press(LOBYTE(scan), held);
        }
        held.clear();
    }
}

// What the field shows, its selection marked: '|' a caret, '[' and ']'
// the ends of a selection.
std::wstring Marked(HWND field)
{
    wchar_t line[64] = {63};
    std::wstring s(line, static_cast<size_t>(SendMessageW(field, EM_GETLINE, 0, reinterpret_cast<LPARAM>(line))));
    DWORD start = 0, end = 0;
    SendMessageW(field, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    if (start == end) return s.insert(start, 1, L'|');
    s.insert(end, 1, L']');
    return s.insert(start, 1, L'[');
}

// Input arrives in its own time: the field is read until it shows what is
// expected, or for two seconds.
std::wstring Seen(HWND field, const std::wstring& expected)
{
    std::wstring seen = Marked(field);
    for (int i = 0; i < 100 && seen != expected; ++i) {
        Sleep(20);
        seen = Marked(field);
    }
    return seen;
}

TEST(DateField, EditingSequences)
{
    // What the mask does is tested without a window; these are the ways
    // keys, the mouse, the clipboard and the menu reach it.
    const struct {
        const wchar_t* start;
        const wchar_t* keys;
        const wchar_t* shown;
    } cases[] = {
        {L"", L"07042024", L"07/04/2024|"},
        {L"", L"7/4/2024", L"07/04/2024|"},
        {L"07/04/2024", L"{END}{BS 2}", L"07/04/20|__"},
        {L"07/04/2024", L"{RIGHT}{DEL}", L"0|_/04/2024"},
        {L"07/04/2024", L"{TAB}+{TAB}", L"[07/04/2024]"}, // tabbing in selects the whole entry
        {L"07/04/2024", L"^a8", L"8|_/__/____"},       // typing replaces a selection from its first position
        {L"07/04/2024", L"{END}+{HOME}{DEL}", L"|__/__/____"},
        {L"07/04/2024", L"{RIGHT}+{RIGHT 3}5", L"05/|_4/2024"},
        {L"07/04/2024", L"{RIGHT 3}+{END}{BS}", L"07/|__/____"},
        {L"07/04/2024", L"{DBL 4}", L"07/[04]/2024"},  // a double click selects the part
        {L"07/04/2024", L"{DRAG 1 7}", L"0[7/04/2]024"},
        {L"07/04/2024", L"+{RIGHT 2}^x{RIGHT 3}^v", L"__/07/|2024"},
        {L"07/04/2024", L"+{RIGHT 2}+{DEL}{RIGHT 3}+{INS}", L"__/07/|2024"},
        {L"07/04/2024", L"{DBL 4}^{INS}{HOME}^v", L"04/|04/2024"},
        {L"07/04/2024", L"^a^c{DEL}^v", L"07/04/2024|"}, // a whole date pasted replaces the entry
        {L"07/04/2024", L"^a{DEL}^z", L"[07/04/2024]"},  // Undo
        {L"07/04/2024", L"+{F10}a{DEL}", L"|__/__/____"}, // the context menu: Select All
        {L"07/04/2024", L"{DBL 1}+{F10}d", L"|__/04/2024"}, // and Delete
        {L"01/31/2024", L"{RIGHT 3}{UP}", L"02/|01/2024"}, // Up and Down step the part under the caret
        {L"01/31/2024", L"^a{DOWN}", L"[12/31/2023]"},
    };
    Show([&](HWND dialog, HWND field, HWND) {
        for (const bool unicode : {false, true}) {
            for (const auto& c : cases) {
                SCOPED_TRACE(testing::Message() << (unicode ? "Unicode " : "keys ") << std::wstring(c.keys));
                SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE);
                SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Local(c.start).c_str()));
                Keys(field, c.keys, unicode);
                EXPECT_EQ(Seen(field, Local(c.shown)), Local(c.shown));
            }
        }
        robot::Press(VK_ESCAPE);
    });
}

TEST(DateField, OkRefusesAnEntryClearedByEditing)
{
    const struct {
        const wchar_t* keys;
        const wchar_t* content;
    } cases[] = {{L"^a{DEL}", L""}, {L"{DBL 4}{DEL}", L"07/__/2024"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << std::wstring(c.keys));
        bool succeed = true;
        Show(
            [&](HWND dialog, HWND field, HWND) {
                const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
                Keys(field, c.keys, false);
                robot::Press(VK_RETURN);
                const HWND box = robot::WaitForMessageBox(thread);
                ASSERT_NE(box, nullptr) << "OK took the entry";
                EXPECT_NE(robot::Child(box, L"Enter valid dates or press CANCEL", L"Static"), nullptr);
                robot::Press(VK_RETURN);
                EXPECT_TRUE(robot::WaitUntilGone(box));
                EXPECT_EQ(robot::WaitForForm(thread), dialog) << "the dialog went";
                EXPECT_EQ(robot::Text(field), Local(c.content)) << "the entry stays";
                robot::Press(VK_ESCAPE);
            },
            &succeed);
        EXPECT_FALSE(succeed);
    }
}

struct Accessible {
    LONG role = 0;
    std::wstring name, value;
};

Accessible Read(HWND hwnd)
{
    ComPtr<IAccessible> a;
    Accessible r;
    EXPECT_EQ(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible), a.put_void()), S_OK);
    if (!a) return r;
    VARIANT self;
    V_VT(&self) = VT_I4;
    V_I4(&self) = CHILDID_SELF;
    Variant role;
    Bstr name, value;
    a->get_accRole(self, role.put());
    a->get_accName(self, name.put());
    a->get_accValue(self, value.put());
    return {V_VT(&role.get()) == VT_I4 ? V_I4(&role.get()) : -1, std::wstring(name.view()), std::wstring(value.view())};
}

TEST(DateField, ScreenReadersReadLabelledTextFieldsAndANamedButton)
{
    Show([](HWND, HWND begin, HWND end) {
        const struct {
            HWND field;
            const wchar_t* name;
            std::wstring value;
        } fields[] = {{begin, L"Begin Date:", Local(L"07/04/2024")}, {end, L"End Date:", Local(L"07/31/2024")}};
        for (const auto& f : fields) {
            SCOPED_TRACE(testing::Message() << std::wstring(f.name));
            const Accessible a = Read(f.field);
            EXPECT_EQ(a.role, ROLE_SYSTEM_TEXT);
            EXPECT_EQ(a.name, f.name);
            EXPECT_EQ(a.value, f.value);
            const Accessible button = Read(GetWindow(f.field, GW_CHILD));
            EXPECT_EQ(button.name, L"Open calendar");
            // Wine's oleacc gives buttons no role of their own.
            EXPECT_EQ(button.role, platform::OnWine() ? ROLE_SYSTEM_CLIENT : ROLE_SYSTEM_PUSHBUTTON);
        }
        // The value follows the editing.
        Keys(begin, L"^a8", false);
        Seen(begin, Local(L"8|_/__/____"));
        EXPECT_EQ(Read(begin).value, Local(L"8_/__/____"));
        robot::Press(VK_ESCAPE);
    });
}

} // namespace
