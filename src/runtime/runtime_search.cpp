#include "runtime/runtime_search.h"

#include "core/launcher.h"

namespace velmar {

// No runtime search yet: nothing is found, which ends the launch as a
// cancelled missing-runtime dialog does.
bool findRuntime(Launcher&)
{
    return false;
}

}  // namespace velmar
