// The runtime's splash library (calls, order, arguments, closing) and
// where GDI+ comes from.
#include "splash_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace velmar::e2e {
namespace {

std::string hexOf(std::string_view bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char b : bytes) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 0xF];
    }
    return hex;
}

std::vector<std::string> splashCalls(const stub::StubRecord& record)
{
    std::vector<std::string> calls;
    std::ranges::copy_if(record.calls, std::back_inserter(calls),
                         [](const std::string& call) { return call.starts_with("Splash"); });
    return calls;
}

size_t indexOf(const stub::StubRecord& record, const std::string& call)
{
    return static_cast<size_t>(std::ranges::find(record.calls, call) - record.calls.begin());
}

bool hasModule(const stub::StubRecord& record, std::wstring_view name)
{
    return std::ranges::any_of(record.modules, [&](const std::wstring& module) {
        return _wcsicmp(module.c_str(), std::wstring(name).c_str()) == 0;
    });
}

// The runtime's splash library: chosen by "Preffer Native Splash Screen",
// driven with four calls, closed at teardown.
struct JavaSplashCase {
    const char* name;
    const wchar_t* library;  // stub variant in bin\, null: none
    std::optional<std::wstring> prefer;
    bool javaSplash;
    std::vector<std::string> calls;  // Splash* calls, in order ("%p": the picture's hex)
};

class JavaSplashTest : public ::testing::TestWithParam<JavaSplashCase> {};

constexpr const wchar_t* kNonAsciiPicture = L"pictures\\splash-\u00e9.bmp";

std::vector<std::string> withPicture(const std::vector<std::string>& calls)
{
    const std::string picture = hexOf(ansi(kNonAsciiPicture));
    std::vector<std::string> expanded;
    for (std::string call : calls) {
        if (size_t at = call.find("%p"); at != std::string::npos) {
            call.replace(at, 2, picture);
        }
        expanded.push_back(call);
    }
    return expanded;
}

TEST_P(JavaSplashTest, LibraryIsDrivenOnlyWhenAskedForAndComplete)
{
    const JavaSplashCase& c = GetParam();
    SplashApp splash;
    splash.app().installation().writeFile(kNonAsciiPicture, bmpPicture(64, 64, kPictureColour));
    splash.set({{L"Display", L"Splash Screen", kNonAsciiPicture},
                {L"Display", L"Preffer Native Splash Screen", c.prefer}});
    if (c.library != nullptr) {
        giveRuntimeSplashLibrary(splash.app(), c.library);
    }
    splash.vmParameters(kStayBriefly);
    const StubRun result = splash.app().run();
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, 0u);
    EXPECT_TRUE(result.record.violations.empty()) << ::testing::PrintToString(result.record.violations);
    EXPECT_EQ(splashCalls(result.record), withPicture(c.calls));
    EXPECT_EQ(splashSeen(result.run), !c.javaSplash);
    if (c.javaSplash) {
        EXPECT_LT(indexOf(result.record, withPicture({"SplashSetFileJarName %p jar="}).front()),
                  indexOf(result.record, "JNI_CreateJavaVM"))
            << "the library is driven before the VM starts";
    }
    if (std::ranges::find(c.calls, "SplashClose") != c.calls.end()) {
        EXPECT_GT(indexOf(result.record, "SplashClose"), indexOf(result.record, "DestroyJavaVM end"))
            << "closed at teardown, not when main returned";
    }
}

const std::vector<std::string> kJavaSplashCalls = {"SplashInit", "SplashLoadFile %p",
                                                   "SplashSetFileJarName %p jar=", "SplashClose"};

INSTANTIATE_TEST_SUITE_P(
    Settings, JavaSplashTest,
    ::testing::Values(
        JavaSplashCase{"Yes", L"full", L"Yes", true, kJavaSplashCalls},
        JavaSplashCase{"yes", L"full", L"yes", true, kJavaSplashCalls},
        JavaSplashCase{"TrueIsNative", L"full", L"true", false, {}},
        JavaSplashCase{"OneIsNative", L"full", L"1", false, {}},
        JavaSplashCase{"MissingIsNative", L"full", std::nullopt, false, {}},
        JavaSplashCase{"NoLibraryIsNative", nullptr, L"Yes", false, {}},
        JavaSplashCase{"NoJarNameIsNativeButClosed", L"no-jar-name", L"Yes", false, {"SplashClose"}},
        JavaSplashCase{"NoCloseIsStillJava", L"no-close", L"Yes", true,
                       {"SplashInit", "SplashLoadFile %p", "SplashSetFileJarName %p jar="}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(JavaSplashFailureTest, AFailedVmStartClosesTheLibraryOnce)
{
    SplashApp splash;
    splash.set({{L"Display", L"Preffer Native Splash Screen", L"Yes"}});
    giveRuntimeSplashLibrary(splash.app(), L"full");
    splash.vmParameters(L"-Dstub.create=-4");
    const StubRun result = splash.app().run();
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, 0xFFFFFFFFu);
    EXPECT_EQ(std::ranges::count(result.record.calls, "SplashClose"), 1) << "closed by Run, not again";
    EXPECT_GT(indexOf(result.record, "SplashClose"), indexOf(result.record, "JNI_CreateJavaVM"));
    EXPECT_FALSE(splashSeen(result.run));
}

// The splash library is the first of the runtime's libraries loaded: the
// library it imports comes from the runtime's bin folder, never from a copy
// planted in the current directory.
TEST(JavaSplashDependencyTest, ComesFromTheRuntimesBinFolder)
{
    SplashApp splash;
    splash.set({{L"Display", L"Preffer Native Splash Screen", L"Yes"}});
    giveRuntimeSplashLibrary(splash.app(), L"full");
    Installation& inst = splash.app().installation();
    inst.copyFile(stubFile(L"dependent", L"stubdep.dll"), L"documents\\stubdep.dll");
    splash.vmParameters(kStayBriefly);
    const StubRun result = splash.app().run({.currentDirectory = inst.path(L"documents")});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, 0u);
    EXPECT_TRUE(result.record.called("SplashInit"));
    EXPECT_EQ(result.record.dependencyPath, inst.path(L"jre\\bin\\stubdep.dll"));
}

// GDI+ is loaded only for the launcher's own splash (that no planted copy
// is taken: planted_library_test.cpp).
struct GdiplusCase {
    const char* name;
    bool picture;
    const wchar_t* arguments;
    bool javaSplash;
    bool gdiplusLoaded;
};

class SplashGdiplusTest : public ::testing::TestWithParam<GdiplusCase> {};

TEST_P(SplashGdiplusTest, IsLoadedOnlyForTheOwnWindow)
{
    const GdiplusCase& c = GetParam();
    SplashApp splash;
    if (!c.picture) {
        splash.set({{L"Display", L"Splash Screen", std::nullopt}});
    }
    if (c.javaSplash) {
        splash.set({{L"Display", L"Preffer Native Splash Screen", L"Yes"}});
        giveRuntimeSplashLibrary(splash.app(), L"full");
    }
    const StubRun result = splash.app().run({.arguments = c.arguments});
    ASSERT_FALSE(result.run.timedOut);
    ASSERT_FALSE(result.record.modules.empty());
    EXPECT_EQ(hasModule(result.record, L"gdiplus.dll"), c.gdiplusLoaded);
}

INSTANTIATE_TEST_SUITE_P(Starts, SplashGdiplusTest,
                         ::testing::Values(GdiplusCase{"NoPicture", false, L"", false, false},
                                           GdiplusCase{"NoSplashSwitch", true, L"-nosplash", false, false},
                                           GdiplusCase{"JavaSplash", true, L"", true, false},
                                           GdiplusCase{"OwnWindow", true, L"", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmar::e2e
