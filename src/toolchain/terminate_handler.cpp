// libstdc++'s own terminate handler writes the exception's demangled type
// to a standard error that nobody sees, and its demangler is a fifth of the
// executable. Defining the handler in the program keeps that one out of the
// link; it must be linked into the program itself, not taken from a
// library, or the link would already have settled on libstdc++'s.
#include "support/boundary_guard.h"

namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    velmar::reportTermination();
}
}  // namespace __gnu_cxx
