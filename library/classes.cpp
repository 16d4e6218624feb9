#include "library/classes.h"

#include "daterange/DateRange.h"
#include "library/com.h"
#include "message/CustomMessage.h"

namespace veldlg {

std::span<const ClassInfo> ServedClasses()
{
    static const ClassInfo classes[] = {
        {__uuidof(CustomMessage), __uuidof(_CustomMessage), L"CustomMessage", &CreateInstance<CustomMessage>},
        {__uuidof(DateRange), __uuidof(_DateRange), L"DateRange", &CreateInstance<DateRange>},
    };
    return classes;
}

} // namespace veldlg
