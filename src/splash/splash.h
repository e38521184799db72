// The splash shown while the Java VM starts.
#pragma once

namespace velmar {

class Launcher;

// The launcher's own splash window, drawn on a thread of its own.
class NativeSplashWindow {};

// Reads the splash settings and shows the chosen splash; false only when
// the launcher INI cannot be located.
bool startSplash(Launcher& launcher);

// Ends the native splash thread and deletes its window object.
void CloseNativeSplash(Launcher& launcher);

}  // namespace velmar
