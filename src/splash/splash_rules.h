// The plain-value rules of the splash: which kind a start shows, where the
// runtime's splash library is looked for, where the launcher's own window
// goes, and which pictures it refuses to render.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace velmar {

enum class SplashPlan {
    none,          // no picture named
    javaFirst,     // try the runtime's library, the own window if that fails
    nativeWindow,  // the launcher's own window
};

// "Preffer Native Splash Screen" asks for the runtime's library with "Yes"
// in any letter case; the library counts only when it was found.
SplashPlan planSplash(std::wstring_view picturePath, std::wstring_view preferSetting,
                      std::wstring_view libraryPath);

// splashscreen.dll beside the bin folder of a jvm.dll path: two cuts at
// the last backslash (a cut without one leaves the text), then the name.
// Empty when nothing is left; no file is looked at.
std::wstring splashLibraryCandidate(std::wstring_view jvmLibraryPath);

// Only the exact text "true" turns the shadow on.
bool shadowWanted(std::wstring_view shadowSetting);
// "Yes" in any letter case.
bool autoCloseWanted(std::wstring_view autoCloseSetting);

// The top-left corner that centres a picture on a screen; each coordinate
// a signed division that truncates toward zero.
POINT centredOrigin(SIZE screen, SIZE picture);

// Pictures larger than these are not rendered: their bitmap alone could
// take a gigabyte, and no screen shows them whole.
inline constexpr unsigned kLargestPictureSide = 16384;
inline constexpr unsigned long long kLargestPictureArea = 16ull * 1024 * 1024;

bool pictureSizeAccepted(unsigned width, unsigned height);

}  // namespace velmar
