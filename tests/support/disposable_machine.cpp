#include "disposable_machine.h"

#include <windows.h>

namespace velmar::testing {

bool runsUnderWine()
{
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string registryRefusal()
{
    if (runsUnderWine()) {
        return {};
    }
    wchar_t value[8] = {};
    const DWORD length = ::GetEnvironmentVariableW(kDisposableMachineVariable, value, 8);
    if (length == 1 && value[0] == L'1') {
        return {};
    }
    return "Refused to run: these tests delete every Java runtime registered under "
           "HKEY_LOCAL_MACHINE (JavaSoft, JRockit, IBM, Eclipse Adoptium, AdoptOpenJDK, "
           "Microsoft\\JDK, Azul Systems, BellSoft, Semeru; both registry views), and this is "
           "not Wine. Run them under Wine, or set VELMAR_TEST_DISPOSABLE_MACHINE=1 on a "
           "machine whose Java registrations may be lost.";
}

}  // namespace velmar::testing
