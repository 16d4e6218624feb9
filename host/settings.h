#pragma once
// The forms runtime's per-user settings store, where the classic runtime
// keeps it, so that other programs of the same application find the same
// values: HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>,
// one REG_SZ value per key.

#include <string>
#include <string_view>

namespace host {

// The text saved under a key; the default when the value is missing,
// unreadable or not REG_SZ.
std::wstring GetSetting(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                        std::wstring_view defaultText);
// Saves a text under a key, creating the section when needed. A failure is
// a COM error carrying the system's HRESULT and its description.
void SaveSetting(std::wstring_view application, std::wstring_view section, std::wstring_view key,
                 std::wstring_view text);

} // namespace host
