#include "splash/splash_rules.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

TEST(SplashLibraryCandidateTest, CutsTwiceAtTheLastBackslash)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\Java\\jre8\\bin\\server\\jvm.dll", L"C:\\Java\\jre8\\bin\\splashscreen.dll"},
        {L"C:\\jvm.dll", L"C:\\splashscreen.dll"},
        {L"jvm.dll", L"jvm.dll\\splashscreen.dll"},
        {L"\\jvm.dll", L""},
        {L"", L""},
        {L"C:\\a\\\\jvm.dll", L"C:\\a\\splashscreen.dll"},
        {L"C:/Java/bin/server/jvm.dll", L"C:/Java/bin/server/jvm.dll\\splashscreen.dll"},
        {L"C:/Java\\bin/\\jvm.dll", L"C:/Java\\splashscreen.dll"},
        {L"D:\\Java/\\server\\jvm.dll", L"D:\\Java/splashscreen.dll"},
    };
    for (const auto& [jvm, library] : cases) {
        EXPECT_EQ(splashLibraryCandidate(jvm), library) << "for " << ::testing::PrintToString(std::wstring(jvm));
    }
}

TEST(PlanSplashTest, PictureFirstThenTheSettingThenTheLibrary)
{
    struct Case {
        const wchar_t* picture;
        const wchar_t* prefer;
        const wchar_t* library;
        SplashPlan plan;
    };
    const wchar_t* library = L"C:\\jre\\bin\\splashscreen.dll";
    const Case cases[] = {
        {L"", L"Yes", library, SplashPlan::none},
        {L"", L"", L"", SplashPlan::none},
        {L"s.png", L"Yes", library, SplashPlan::javaFirst},
        {L"s.png", L"yes", library, SplashPlan::javaFirst},
        {L"s.png", L"YES", library, SplashPlan::javaFirst},
        {L"s.png", L"Yes", L"", SplashPlan::nativeWindow},
        {L"s.png", L"true", library, SplashPlan::nativeWindow},
        {L"s.png", L"1", library, SplashPlan::nativeWindow},
        {L"s.png", L"Yes ", library, SplashPlan::nativeWindow},
        {L"s.png", L"", library, SplashPlan::nativeWindow},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(planSplash(c.picture, c.prefer, c.library), c.plan)
            << ::testing::PrintToString(std::wstring(c.picture)) << " "
            << ::testing::PrintToString(std::wstring(c.prefer));
    }
}

TEST(SplashSwitchesTest, ShadowIsExactAutoCloseIgnoresCase)
{
    EXPECT_TRUE(shadowWanted(L"true"));
    for (const wchar_t* other : {L"True", L"TRUE", L"yes", L"1", L"", L"true "}) {
        EXPECT_FALSE(shadowWanted(other)) << ::testing::PrintToString(std::wstring(other));
    }
    for (const wchar_t* yes : {L"Yes", L"yes", L"YES", L"yEs"}) {
        EXPECT_TRUE(autoCloseWanted(yes));
    }
    for (const wchar_t* other : {L"No", L"true", L"1", L"", L"Y"}) {
        EXPECT_FALSE(autoCloseWanted(other)) << ::testing::PrintToString(std::wstring(other));
    }
}

TEST(CentredOriginTest, DividesTowardZero)
{
    struct Case {
        SIZE screen;
        SIZE picture;
        POINT origin;
    };
    const Case cases[] = {
        {{1920, 1080}, {400, 300}, {760, 390}},
        {{1920, 1080}, {1921, 1080}, {0, 0}},
        {{1920, 1080}, {1923, 1083}, {-1, -1}},
        {{1920, 1080}, {1924, 1}, {-2, 539}},
        {{1280, 1024}, {0, 0}, {640, 512}},
        {{1280, 1024}, {16384, 16384}, {-7552, -7680}},
        {{1281, 1025}, {0, 0}, {640, 512}},
    };
    for (const Case& c : cases) {
        const POINT origin = centredOrigin(c.screen, c.picture);
        EXPECT_EQ(origin.x, c.origin.x) << c.picture.cx << " on " << c.screen.cx;
        EXPECT_EQ(origin.y, c.origin.y) << c.picture.cy << " on " << c.screen.cy;
    }
}

TEST(PictureSizeTest, RefusesSidesAndAreasBeyondTheLimits)
{
    struct Case {
        unsigned width;
        unsigned height;
        bool accepted;
    };
    const Case cases[] = {
        {0, 0, true},
        {400, 300, true},
        {16384, 1024, true},
        {4096, 4096, true},
        {16385, 1, false},
        {1, 16385, false},
        {4097, 4096, false},
        {16384, 16384, false},
        {0xFFFFFFFFu, 0xFFFFFFFFu, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pictureSizeAccepted(c.width, c.height), c.accepted) << c.width << " x " << c.height;
    }
}

}  // namespace
}  // namespace velmar
