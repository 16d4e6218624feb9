#include "library/classes.h"

#include "daterange/DateRange.h"
#include "library/com.h"
#include "list/CustomList.h"
#include "message/CustomMessage.h"
#include "startpos/LabelStartPosition.h"

namespace veldlg {

std::span<const ClassInfo> ServedClasses()
{
    static const ClassInfo classes[] = {
        {__uuidof(CustomMessage), __uuidof(_CustomMessage), L"CustomMessage", &CreateInstance<CustomMessage>},
        {__uuidof(LabelStartPosition), __uuidof(_LabelStartPosition), L"LabelStartPosition",
         &CreateInstance<LabelStartPosition>},
        {__uuidof(CustomList), __uuidof(_CustomList), L"CustomList", &CreateInstance<CustomList>},
        {__uuidof(DateRange), __uuidof(_DateRange), L"DateRange", &CreateInstance<DateRange>},
    };
    return classes;
}

} // namespace veldlg
