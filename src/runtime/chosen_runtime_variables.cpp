#include "runtime/chosen_runtime_variables.h"

#include "core/launcher.h"
#include "support/text.h"

namespace velmar {

std::wstring runtimeHomeOfLibrary(std::wstring_view jvmLibraryPath)
{
    std::wstring_view home = jvmLibraryPath;
    for (int component = 0; component < 3; ++component) {
        home = cutAtLastBackslash(home);
    }
    return std::wstring(home);
}

void publishRuntimeChoice(const Launcher& launcher)
{
    ::SetEnvironmentVariableW(L"KESTO_JVM_PATH", launcher.jvmLibraryPath.c_str());
    ::SetEnvironmentVariableW(L"KESTO_JVM_HOME",
                              runtimeHomeOfLibrary(launcher.jvmLibraryPath).c_str());
}

}  // namespace velmar
