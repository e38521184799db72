#include "splash/splash.h"

#include "config/ini_file.h"
#include "config/setting_keys.h"
#include "splash/splash_rules.h"
#include "support/file_system.h"
#include "support/library_export.h"
#include "support/text.h"
#include "support/trace.h"

#include <memory>

namespace velmar {

namespace {

using SplashInitFunction = void(__cdecl*)();
using SplashLoadFileFunction = int(__cdecl*)(const char*);
using SplashSetFileJarNameFunction = void(__cdecl*)(const char*, const char*);

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

void startNativeSplash(SplashState& splash, bool autoClose)
{
    splash.startNative(SplashRequest{splash.imagePath, shadowWanted(splash.shadow), autoClose});
}

}  // namespace

bool bindJavaSplash(SplashState& splash, const std::wstring& libraryPath, const std::wstring& picturePath)
{
    // Loaded for good: the Java side keeps using it once the VM runs.
    HMODULE library = ::LoadLibraryW(libraryPath.c_str());
    if (library == nullptr) {
        return false;
    }
    auto splashInit = exportOf<SplashInitFunction>(library, "SplashInit");
    auto splashLoadFile = exportOf<SplashLoadFileFunction>(library, "SplashLoadFile");
    auto splashSetFileJarName = exportOf<SplashSetFileJarNameFunction>(library, "SplashSetFileJarName");
    // Kept before the others are checked, so a library that lacks one of
    // them is still closed at failure or teardown.
    splash.keepJavaSplashClose(exportOf<SplashCloseFunction>(library, "SplashClose"));
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

void startSplash(SplashState& splash, const IniFile& ini, const std::wstring& jvmLibraryPath,
                 const Trace& trace)
{
    // The splash keys have no append sections; readSetting reads them plain.
    splash.imagePath = readSetting(ini, kSplashScreenKey);
    splash.shadow = readSetting(ini, kSplashShadowKey);
    const std::wstring preferSetting = readSetting(ini, kPreferNativeSplashKey);
    const std::wstring autoCloseSetting = readSetting(ini, kSplashAutoCloseKey);

    const std::wstring library = splash.imagePath.empty() ? std::wstring() : findSplashLibrary(jvmLibraryPath);
    switch (planSplash(splash.imagePath, preferSetting, library)) {
    case SplashPlan::none:
        trace.line(L"splash", {"none: no \"Splash Screen\" picture"});
        return;
    case SplashPlan::javaFirst:
        if (bindJavaSplash(splash, library, splash.imagePath)) {
            trace.line(L"splash", {"the runtime's splash library ", library});
            return;
        }
        trace.line(L"splash", {"the runtime's splash library failed: the launcher's own window instead"});
        break;
    case SplashPlan::nativeWindow:
        break;
    }
    if (trace.on()) {
        trace.line(L"splash", {"the launcher's own window with ", splash.imagePath,
                               entryFound(splash.imagePath) ? "" : ", which does not exist"});
    }
    startNativeSplash(splash, autoCloseWanted(autoCloseSetting));
}

}  // namespace velmar
