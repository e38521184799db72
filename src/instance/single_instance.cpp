#include "instance/single_instance.h"

#include "core/launcher.h"

namespace velmar {

// Single-instance coordination is not built yet: every start runs as an
// instance of its own.
bool setupSingleInstance(Launcher& launcher)
{
    launcher.singleInstance = false;
    launcher.isPrimaryInstance = false;
    return true;
}

DWORD waitForPrimaryInstance(Launcher&)
{
    return kFailureExitCode;
}

}  // namespace velmar
