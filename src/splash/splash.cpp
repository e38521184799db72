#include "splash/splash.h"

#include "config/ini_file.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "core/launcher.h"
#include "splash/splash_rules.h"
#include "support/file_system.h"
#include "support/text.h"

#include <memory>

namespace velmar {

namespace {

using SplashInitFunction = void(__cdecl*)();
using SplashLoadFileFunction = int(__cdecl*)(const char*);
using SplashSetFileJarNameFunction = void(__cdecl*)(const char*, const char*);

// A thread still creating the splash after this long is not waited for,
// and a box shown meanwhile has no owner.
constexpr DWORD kPublishBoundMs = 2000;

template <typename Function>
Function exportOf(HMODULE library, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

// The runtime's splashscreen.dll, when a find-first search finds it.
std::wstring findSplashLibrary(std::wstring_view jvmLibraryPath)
{
    std::wstring candidate = splashLibraryCandidate(jvmLibraryPath);
    FindFileState search;
    if (candidate.empty() || !search.findFirst(candidate)) {
        return {};
    }
    return candidate;
}

void startNativeSplash(Launcher& launcher, bool autoClose)
{
    launcher.nativeSplash = std::make_unique<NativeSplashWindow>(
        launcher, SplashRequest{launcher.splashImagePath, shadowWanted(launcher.splashShadow), autoClose});
    DWORD threadId = 0;
    launcher.splashThread.reset(::CreateThread(nullptr, 0, NativeSplashWindow::threadMain,
                                               launcher.nativeSplash.get(), 0, &threadId));
    launcher.splashThreadId = threadId;
    if (!launcher.splashThread) {
        return;
    }
    // Until the window exists, a box would have no owner and the splash,
    // shown after it, would cover it.
    const HANDLE waitFor[] = {launcher.nativeSplash->publishedEvent(), launcher.splashThread.get()};
    ::WaitForMultipleObjects(2, waitFor, FALSE, kPublishBoundMs);
}

}  // namespace

bool bindJavaSplash(Launcher& launcher, const std::wstring& libraryPath, const std::wstring& picturePath)
{
    // Loaded for good: the Java side keeps using it once the VM runs.
    HMODULE library = ::LoadLibraryW(libraryPath.c_str());
    if (library == nullptr) {
        return false;
    }
    auto splashInit = exportOf<SplashInitFunction>(library, "SplashInit");
    auto splashLoadFile = exportOf<SplashLoadFileFunction>(library, "SplashLoadFile");
    auto splashSetFileJarName = exportOf<SplashSetFileJarNameFunction>(library, "SplashSetFileJarName");
    auto splashClose = exportOf<SplashCloseFunction>(library, "SplashClose");
    // Kept before the others are checked, so a library that lacks one of
    // them is still closed at failure or teardown.
    if (splashClose != launcher.splashClose) {
        if (launcher.splashClose != nullptr) {
            launcher.splashClose();
        }
        launcher.splashClose = splashClose;
    }
    if (splashInit == nullptr || splashLoadFile == nullptr || splashSetFileJarName == nullptr) {
        return false;
    }
    const std::optional<NarrowText> narrow = toCodePage(picturePath, CP_THREAD_ACP);
    const std::string path = narrow ? narrow->bytes : std::string();
    splashInit();
    splashLoadFile(path.c_str());
    splashSetFileJarName(path.c_str(), "");
    return true;
}

bool startSplash(Launcher& launcher)
{
    const LayeredIniFile* settings = launcherSettings(launcher);
    if (settings == nullptr) {
        return false;
    }
    // The splash keys have no append sections; readSetting reads them plain.
    const IniFile& ini = *settings;
    launcher.splashImagePath = readSetting(ini, kSplashScreenKey);
    launcher.splashShadow = readSetting(ini, kSplashShadowKey);
    const std::wstring preferSetting = readSetting(ini, kPreferNativeSplashKey);
    const std::wstring autoCloseSetting = readSetting(ini, kSplashAutoCloseKey);

    const std::wstring library =
        launcher.splashImagePath.empty() ? std::wstring() : findSplashLibrary(launcher.jvmLibraryPath);
    switch (planSplash(launcher.splashImagePath, preferSetting, library)) {
    case SplashPlan::none:
        return true;
    case SplashPlan::javaFirst:
        if (bindJavaSplash(launcher, library, launcher.splashImagePath)) {
            return true;
        }
        break;
    case SplashPlan::nativeWindow:
        break;
    }
    startNativeSplash(launcher, autoCloseWanted(autoCloseSetting));
    return true;
}

}  // namespace velmar
