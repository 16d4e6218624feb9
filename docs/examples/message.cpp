// VELDLG.CustomMessage from C++, bound early: a message box with three buttons.
#include "example.h"

int main()
{
    return Main([] {
        ComPtr<_CustomMessage> m;
        Check(CoCreateInstance(__uuidof(CustomMessage), nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&m)));
        Check(m->put_FormCaption(Text(L"Print Labels")));
        Check(m->put_Message(Text(L"Print the labels of the selected orders now?")));
        Check(m->put_NumButtons(3));
        Check(m->put_ButtonCaptions(Text(L"&Yes,&No,Cancel")));
        Check(m->put_DefaultButton(1)); // Enter presses Yes
        Check(m->put_Cancelbutton(3));  // Escape and F2 press Cancel
        Check(m->ShowForm());

        // The results are variants: a short and a string.
        VARIANT value, caption;
        VariantInit(&value);
        VariantInit(&caption);
        Check(m->get_ButtonResultValue(&value));
        Check(m->get_ButtonResultCaption(&caption));
        std::printf("Button %d: %ls\n", V_I2(&value), V_BSTR(&caption));
        VariantClear(&caption);

        // Refused input: the call fails and the object stays as it was.
        const HRESULT hr = m->put_ButtonCaptions(Text(L"Yes,No"));
        if (FAILED(hr)) Report(hr);
    });
}
