// Functions of system libraries that only a dialog needs (the common
// controls, the shell, COM), looked up when first called, so that a start
// that shows no dialog never maps those libraries.
#pragma once

#include "support/library_export.h"

#include <windows.h>

namespace velmar {

// Maps the library from the system folder (once; it stays for the rest of
// the process), so that a later request for it by name, ours or the
// system's, gets that copy. A copy planted beside the launcher is never
// taken. Null when the library cannot be loaded.
HMODULE mapSystemLibrary(const wchar_t* library) noexcept;

// An export of a library in the system folder, mapping the library on
// first use: Function is the export's pointer type, usually written
// decltype(&::TheExport). Null when the library or the export is missing.
template <typename Function>
Function systemFunction(const wchar_t* library, const char* name) noexcept
{
    return exportOf<Function>(mapSystemLibrary(library), name);
}

// COM on the calling thread, single-threaded apartment, for as long as the
// object lives; the shell's folder browser needs it.
class ComApartment {
public:
    ComApartment() noexcept;
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_ = false;
};

}  // namespace velmar
