// The splash shown while the Java VM starts: the runtime's own splash
// library when the settings ask for it and it is there, else the
// launcher's own window.
#pragma once

#include "splash/splash_state.h"

#include <string>

namespace velmar {

class IniFile;
class Trace;

// Reads the [Display] splash keys of the launcher INI and shows the chosen
// splash; the runtime's splash library is looked for beside its VM library.
void startSplash(SplashState& splash, const IniFile& ini, const std::wstring& jvmLibraryPath,
                 const Trace& trace);

// Loads the runtime's splash library and drives it with the picture;
// false when the library cannot be loaded or lacks an export it needs.
// Its SplashClose is kept in the splash state either way.
bool bindJavaSplash(SplashState& splash, const std::wstring& libraryPath, const std::wstring& picturePath);

}  // namespace velmar
