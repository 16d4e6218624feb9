// VELDLG.LabelStartPosition from C++, bound early: a sheet of 3 x 10 labels.
#include "example.h"

int main()
{
    return Main([] {
        ComPtr<_LabelStartPosition> s;
        Check(CoCreateInstance(__uuidof(LabelStartPosition), nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&s)));
        Check(s->put_NumRows(10));
        Check(s->put_NumColumns(3));
        Check(s->put_FormCaption(Text(L"Start printing at which label?")));
        Check(s->ShowForm());

        short column = 0, row = 0;
        Check(s->get_StartColumn(&column));
        Check(s->get_StartRow(&row));
        if (column == 0)
            std::printf("Closed without a choice\n");
        else
            std::printf("Column %d, row %d\n", column, row);

        // The sizes are checked by ShowForm.
        Check(s->put_NumRows(21));
        const HRESULT hr = s->ShowForm();
        if (FAILED(hr)) Report(hr);
    });
}
