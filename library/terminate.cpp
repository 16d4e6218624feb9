// The compiler runtime's default terminate handler prints the demangled type
// of an escaped exception, which links a C++ demangler (about 50 KB) into the
// DLL. Nothing escapes ComBoundary, so terminating plainly is enough.

#include <cstdlib>

namespace __gnu_cxx {

// The runtime's own name, which this definition takes the place of.
void __verbose_terminate_handler() // NOLINT(bugprone-reserved-identifier)
{
    std::abort();
}

} // namespace __gnu_cxx
