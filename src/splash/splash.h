// The splash shown while the Java VM starts: the runtime's own splash
// library when the settings ask for it and it is there, else the
// launcher's own window.
#pragma once

#include "splash/splash_window.h"

#include <string>

namespace velmar {

class Launcher;

// Reads the [Display] splash keys and shows the chosen splash; false only
// when the launcher INI cannot be located.
bool startSplash(Launcher& launcher);

// Loads the runtime's splash library and drives it with the picture;
// false when the library cannot be loaded or lacks an export it needs.
// Its SplashClose is kept in the splash state either way.
bool bindJavaSplash(Launcher& launcher, const std::wstring& libraryPath, const std::wstring& picturePath);

// Ends the launcher's own splash, if one is up (see SplashState).
void CloseNativeSplash(Launcher& launcher);

}  // namespace velmar
