// The compiler runtime's default terminate handler prints the demangled type
// of an escaped exception, which links a C++ demangler (about 50 KB) into the
// DLL. Nothing escapes ComBoundary, so terminating plainly is enough.

#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    std::abort();
}

} // namespace __gnu_cxx
