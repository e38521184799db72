#include "splash/splash.h"

#include "core/launcher.h"

namespace velmar {

// No splash is drawn yet; the launch goes on without one.
bool startSplash(Launcher&)
{
    return true;
}

void CloseNativeSplash(Launcher& launcher)
{
    launcher.nativeSplash.reset();
}

}  // namespace velmar
