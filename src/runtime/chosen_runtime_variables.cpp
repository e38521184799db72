#include "runtime/chosen_runtime_variables.h"

#include "support/text.h"

#include <windows.h>

namespace velmar {

std::wstring runtimeHomeOfLibrary(std::wstring_view jvmLibraryPath)
{
    std::wstring_view home = jvmLibraryPath;
    for (int component = 0; component < 3; ++component) {
        home = cutAtLastBackslash(home);
    }
    return std::wstring(home);
}

void publishRuntimeChoice(const std::wstring& jvmLibraryPath)
{
    ::SetEnvironmentVariableW(L"KESTO_JVM_PATH", jvmLibraryPath.c_str());
    ::SetEnvironmentVariableW(L"KESTO_JVM_HOME", runtimeHomeOfLibrary(jvmLibraryPath).c_str());
}

}  // namespace velmar
