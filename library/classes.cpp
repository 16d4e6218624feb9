#include "library/classes.h"

#include "library/com.h"
#include "message/CustomMessage.h"
#include "startpos/LabelStartPosition.h"

namespace veldlg {

std::span<const ClassInfo> ServedClasses()
{
    static const ClassInfo classes[] = {
        {__uuidof(CustomMessage), __uuidof(_CustomMessage), L"CustomMessage", &CreateInstance<CustomMessage>},
        {__uuidof(LabelStartPosition), __uuidof(_LabelStartPosition), L"LabelStartPosition",
         &CreateInstance<LabelStartPosition>},
    };
    return classes;
}

} // namespace veldlg
