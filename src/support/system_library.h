// Functions of system libraries that only a dialog needs (the common
// controls, the shell, COM), looked up when first called, so that a start
// that shows no dialog never maps those libraries.
#pragma once

#include <windows.h>

namespace velmar {

// The address of an export of a library in the system folder, loading the
// library there on first use (a copy planted beside the launcher is never
// taken); null when the library or the export is missing. The library stays
// loaded for the rest of the process.
FARPROC systemProcedure(const wchar_t* library, const char* name) noexcept;

// Maps the library from the system folder (once; it stays for the rest of
// the process), so that a later request for it by name, ours or the
// system's, gets that copy.
void mapSystemLibrary(const wchar_t* library) noexcept;

// The same as systemProcedure, typed: Function is the export's pointer
// type, usually written decltype(&::TheExport).
template <typename Function>
Function systemFunction(const wchar_t* library, const char* name) noexcept
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(systemProcedure(library, name)));
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
