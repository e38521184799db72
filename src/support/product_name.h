// The name the running program was branded with: what its boxes say they
// come from.
#pragma once

#include <string>

namespace velmar {

// ProductName of the program's version block, in the block's first
// language; empty when the program has no version block, no such string or
// the system's version library cannot read it. Read when a box is shown:
// the library is mapped only then.
std::wstring runningProductName();

}  // namespace velmar
