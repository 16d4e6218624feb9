#pragma once
// Arrays as compiled clients hand them to ListArray: arrays of strings with
// any bounds.

#include "support/com_client.h"

#include <oleauto.h>

#include <string>
#include <vector>

namespace lists {

using client::Variant;
using veldlg::SafeArray;

// A one-dimensional array of strings over lower..lower + n - 1.
inline SafeArray Strings(const std::vector<std::wstring>& items, LONG lower = 0)
{
    SafeArray a(SafeArrayCreateVector(VT_BSTR, lower, static_cast<ULONG>(items.size())));
    for (size_t i = 0; i < items.size(); ++i) // a new vector is not locked: its data may be written
        static_cast<BSTR*>(a.get()->pvData)[i] = veldlg::Bstr(items[i]).detach();
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
