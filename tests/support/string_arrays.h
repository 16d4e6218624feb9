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

// A one-dimensional array over lower..lower + n - 1 of strings, or of
// Variants holding them.
inline SafeArray Strings(const std::vector<std::wstring>& items, LONG lower = 0, VARTYPE type = VT_BSTR)
{
    SafeArray a(SafeArrayCreateVector(type, lower, static_cast<ULONG>(items.size())));
    for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) {
        LONG index = lower + i;
        const Variant v = Variant::FromString(items[static_cast<size_t>(i)]);
        auto* p = const_cast<VARIANT*>(&v.get()); // the array takes a copy
        SafeArrayPutElement(a.get(), &index, type == VT_BSTR ? static_cast<void*>(V_BSTR(p)) : p);
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
