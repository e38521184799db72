// The three points in which the x86-64 and the x86 launcher differ. Both
// sets of values are always compiled, so the tests of either build can
// check the behaviour of both; kThisBuild is the set the launcher uses.
#pragma once

#include <windows.h>

#include <string_view>

namespace velmar {

enum class RegistryView { bits64, bits32 };

struct BuildTraits {
    // Folder beside the launcher that may hold a shipped runtime.
    std::wstring_view localRuntimeFolder;
    // The registry view native to the build, read without a view flag.
    RegistryView nativeView;
    // The view of the second registry pass and the flag that opens it.
    RegistryView otherView;
    REGSAM otherViewFlag;
    // Whether a jvm.dll built for i386 belongs to the other architecture;
    // when false, every jvm.dll not built for i386 does.
    bool relaunchWhenI386;
};

inline constexpr BuildTraits kX64Build{
    L"jre64\\", RegistryView::bits64, RegistryView::bits32, KEY_WOW64_32KEY, true};
inline constexpr BuildTraits kX86Build{
    L"jre\\", RegistryView::bits32, RegistryView::bits64, KEY_WOW64_64KEY, false};

#ifdef _WIN64
inline constexpr const BuildTraits& kThisBuild = kX64Build;
#else
inline constexpr const BuildTraits& kThisBuild = kX86Build;
#endif

}  // namespace velmar
