#include "jvm/vm_hosting.h"

#include "core/launcher.h"

namespace velmar {

// VM hosting is not built yet; until it is, no runtime is ever chosen, so
// none of these is reached with a runtime to host.
void prepareNativePaths(Launcher&) {}

bool BindJvmLibrary(Launcher&, const std::wstring&)
{
    return false;
}

bool assembleJvmOptions(Launcher&)
{
    return false;
}

DWORD StartJavaMainThread(Launcher&)
{
    return 1;
}

void DestroyJvm(Launcher& launcher)
{
    if (launcher.javaVm != nullptr) {
        launcher.javaVm->functions->DestroyJavaVM(launcher.javaVm);
        launcher.javaVm = nullptr;
    }
}

}  // namespace velmar
