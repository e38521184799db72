// What the splash tests share: pictures written at run time, the windows
// of a launcher looked up by class, and a stub application with a picture
// named as its splash.
#pragma once

#include "launcher_run.h"
#include "stub_app.h"

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>

namespace velmar::e2e {

inline constexpr const wchar_t* kSplashClass = L"SplashScreenWindow";
inline constexpr COLORREF kPictureColour = RGB(0x20, 0x80, 0xC0);
inline constexpr const wchar_t* kPicture = L"splash.bmp";
inline constexpr DWORD kWindowBoundMs = 20000;
// Long enough to look at the splash; the process is ended after the look.
inline constexpr const wchar_t* kStayUp = L"-Dstub.linger=20000";
// Long enough for the run's watcher to see the splash.
inline constexpr const wchar_t* kStayBriefly = L"-Dstub.linger=1500";

// A complete bottom-up 24-bit BMP of width x height pixels of `colour`.
std::string bmpPicture(int width, int height, COLORREF colour);
// A BMP header for width x height with no pixel data after it.
std::string truncatedBmpPicture(int width, int height);

std::wstring classOf(HWND window);
// A visible top-level window of the process with that class; null if none.
HWND windowOfClass(DWORD processId, const wchar_t* className);
HWND waitForWindowOfClass(DWORD processId, const wchar_t* className);
// The run's watcher saw the launcher's own splash window.
bool splashSeen(const RunResult& run);

// A file of the built stub runtime's folder for `variant`.
std::wstring stubFile(std::wstring_view variant, std::wstring_view name);
// The runtime's bin\splashscreen.dll from one of the stub splash libraries.
void giveRuntimeSplashLibrary(StubApp& app, std::wstring_view variant);

// A stub application with a picture named as its splash.
class SplashApp {
public:
    explicit SplashApp(const std::string& picture = bmpPicture(400, 300, kPictureColour),
                       std::wstring_view variant = L"full");

    StubApp& app() { return app_; }
    void set(std::initializer_list<IniEntry> entries) { app_.writeIni(entries); }
    void vmParameters(const std::wstring& parameters);
    // A launcher left running, for a test that looks at its windows.
    std::unique_ptr<LauncherProcess> start(RunOptions options = {});

private:
    StubApp app_;
};

}  // namespace velmar::e2e
