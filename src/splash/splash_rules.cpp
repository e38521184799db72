#include "splash/splash_rules.h"

#include "config/setting_keys.h"
#include "support/text.h"

namespace velmar {

SplashPlan planSplash(std::wstring_view picturePath, std::wstring_view preferSetting,
                      std::wstring_view libraryPath)
{
    if (picturePath.empty()) {
        return SplashPlan::none;
    }
    if (valueIs(kPreferNativeSplashKey, preferSetting, L"Yes") && !libraryPath.empty()) {
        return SplashPlan::javaFirst;
    }
    return SplashPlan::nativeWindow;
}

std::wstring splashLibraryCandidate(std::wstring_view jvmLibraryPath)
{
    std::wstring folder(cutAtLastBackslash(cutAtLastBackslash(jvmLibraryPath)));
    if (folder.empty()) {
        return {};
    }
    if (folder.back() != L'\\' && folder.back() != L'/') {
        folder += L'\\';
    }
    return folder + L"splashscreen.dll";
}

bool shadowWanted(std::wstring_view shadowSetting)
{
    return valueIs(kSplashShadowKey, shadowSetting, L"true");
}

bool autoCloseWanted(std::wstring_view autoCloseSetting)
{
    return valueIs(kSplashAutoCloseKey, autoCloseSetting, L"Yes");
}

POINT centredOrigin(SIZE screen, SIZE picture)
{
    return {(screen.cx - picture.cx) / 2, (screen.cy - picture.cy) / 2};
}

bool pictureSizeAccepted(unsigned width, unsigned height)
{
    return width <= kLargestPictureSide && height <= kLargestPictureSide &&
           static_cast<unsigned long long>(width) * height <= kLargestPictureArea;
}

}  // namespace velmar
