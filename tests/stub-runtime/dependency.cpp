// A library that the "dependent" stub jvm.dll imports, as a real jvm.dll
// imports the C runtime its vendor ships in the runtime's bin folder. It
// tells where it was loaded from, so a test sees which copy the system
// picked.
#include <windows.h>

extern "C" __declspec(dllexport) DWORD stubDependencyPath(wchar_t* buffer, DWORD size)
{
    HMODULE self = nullptr;
    ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&stubDependencyPath), &self);
    return ::GetModuleFileNameW(self, buffer, size);
}
