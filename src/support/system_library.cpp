#include "support/system_library.h"

#include <objbase.h>

namespace velmar {

namespace {

constexpr const wchar_t* kComLibrary = L"ole32.dll";

}  // namespace

HMODULE mapSystemLibrary(const wchar_t* library) noexcept
{
    if (HMODULE loaded = ::GetModuleHandleW(library)) {
        return loaded;
    }
    // A side-by-side assembly named in the manifest (the common controls)
    // still takes precedence over the system folder.
    return ::LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

ComApartment::ComApartment() noexcept
{
    auto initialise = systemFunction<decltype(&::CoInitializeEx)>(kComLibrary, "CoInitializeEx");
    // S_FALSE: already initialised on this thread, which still needs its
    // matching uninitialise. A thread in another apartment keeps it.
    initialised_ = initialise != nullptr &&
                   SUCCEEDED(initialise(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
}

ComApartment::~ComApartment()
{
    if (initialised_) {
        if (auto uninitialise = systemFunction<decltype(&::CoUninitialize)>(kComLibrary, "CoUninitialize")) {
            uninitialise();
        }
    }
}

}  // namespace velmar
