#pragma once
// Arrays as clients hand them to ListArray: compiled clients build arrays of
// strings with any bounds; scripts build arrays of Variants.

#include "support/com_client.h"

#include <oleauto.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace lists {

using client::Variant;
using veldlg::SafeArray;

// A one-dimensional array of strings over lower..lower + n - 1.
inline SafeArray Strings(const std::vector<std::wstring>& items, LONG lower = 0)
{
    SafeArray a(SafeArrayCreateVector(VT_BSTR, lower, static_cast<ULONG>(items.size())));
    for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
        LONG index = lower + i;
        client::Bstr text(items[static_cast<size_t>(i)]);
        SafeArrayPutElement(a.get(), &index, text.get());
    }
    return a;
}

// n strings "0", "1", ... over lower..lower + n - 1.
inline SafeArray Numbered(LONG lower, LONG n)
{
    std::vector<std::wstring> items;
    for (LONG i = 0; i < n; ++i) items.push_back(std::to_wstring(i));
    return Strings(items, lower);
}

// An array of strings of two dimensions, bounds 0..rows-1 and 0..columns-1.
inline SafeArray Strings2D(ULONG rows, ULONG columns)
{
    SAFEARRAYBOUND bounds[2] = {{rows, 0}, {columns, 0}};
    return SafeArray(SafeArrayCreate(VT_BSTR, 2, bounds));
}

// An array of Variants holding strings, as VBScript's Array() builds.
inline SafeArray Variants(std::initializer_list<const wchar_t*> items)
{
    SafeArray a(SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size())));
    LONG index = 0;
    for (const wchar_t* item : items) {
        Variant v = Variant::FromString(item);
        SafeArrayPutElement(a.get(), &index, const_cast<VARIANT*>(&v.get()));
        ++index;
    }
    return a;
}

// A variant that owns the array, of type VT_ARRAY | element type.
inline Variant Holding(SafeArray a, VARTYPE elements = VT_BSTR)
{
    Variant v;
    VARIANT* p = v.put();
    V_VT(p) = static_cast<VARTYPE>(VT_ARRAY | elements);
    V_ARRAY(p) = a.detach();
    return v;
}

inline Variant StringList(const std::vector<std::wstring>& items, LONG lower = 0)
{
    return Holding(Strings(items, lower));
}

} // namespace lists
