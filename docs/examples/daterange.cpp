// VELDLG.DateRange from C++, bound early: the dates of July 2024, as presets.
#include "example.h"

namespace {

DATE Date(WORD year, WORD month, WORD day)
{
    SYSTEMTIME t{year, month, 0, day};
    DATE d = 0;
    SystemTimeToVariantTime(&t, &d);
    return d;
}

void Print(DATE d)
{
    SYSTEMTIME t{};
    VariantTimeToSystemTime(d, &t);
    std::printf("%04d-%02d-%02d", t.wYear, t.wMonth, t.wDay);
}

} // namespace

int main()
{
    return Main([] {
        ComPtr<_DateRange> r;
        Check(CoCreateInstance(__uuidof(DateRange), nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&r)));
        Check(r->put_BeginDate(Date(2024, 7, 1)));
        Check(r->put_EndDate(Date(2024, 7, 31)));
        Check(r->ShowForm());

        VARIANT_BOOL succeed = VARIANT_FALSE;
        Check(r->get_Succeed(&succeed));
        if (succeed == VARIANT_FALSE) {
            std::printf("Cancelled\n");
            return;
        }
        DATE begin = 0, end = 0;
        Check(r->get_BeginDate(&begin));
        Check(r->get_EndDate(&end));
        std::printf("From ");
        Print(begin);
        std::printf(" to ");
        Print(end);
        std::printf("\n");
    });
}
