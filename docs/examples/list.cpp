// VELDLG.CustomList from C++, bound early: pick a printer. Scripts cannot
// build the array of strings that ListArray takes; compiled clients can.
#include "example.h"

int main()
{
    return Main([] {
        ComPtr<_CustomList> c;
        Check(CoCreateInstance(__uuidof(CustomList), nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&c)));
        Check(c->put_FormCaption(Text(L"Pick a Printer")));

        // An array of strings numbered from 1: ListIndex reports the choice
        // in the array's own numbering.
        const wchar_t* const printers[] = {L"Front Office Laser", L"Warehouse Label Printer", L"Shipping Desk"};
        VARIANT list;
        VariantInit(&list);
        V_VT(&list) = VT_ARRAY | VT_BSTR;
        V_ARRAY(&list) = SafeArrayCreateVector(VT_BSTR, 1, 3);
        for (LONG i = 1; i <= 3; ++i) SafeArrayPutElement(V_ARRAY(&list), &i, Text(printers[i - 1]));
        const HRESULT hr = c->put_ListArray(list); // the list keeps a copy
        VariantClear(&list);
        Check(hr);
        Check(c->ShowForm());

        short index = 0;
        BSTR item = nullptr;
        Check(c->get_ListIndex(&index));
        Check(c->get_ListItem(&item));
        std::printf("Item %d: %ls\n", index, item); // -1: NONE SELECTED
        SysFreeString(item);
    });
}
