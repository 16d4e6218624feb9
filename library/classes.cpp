#include "library/classes.h"

#include "library/com.h"
#include "message/CustomMessage.h"

namespace veldlg {

std::span<const ClassInfo> ServedClasses()
{
    static const ClassInfo classes[] = {
        {__uuidof(CustomMessage), __uuidof(_CustomMessage), L"CustomMessage", &CreateInstance<CustomMessage>},
    };
    return classes;
}

} // namespace veldlg
