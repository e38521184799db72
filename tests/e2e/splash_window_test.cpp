// The launcher's own splash window: class, styles, place and picture,
// the shadow, the owner of the launcher's boxes, pictures it cannot show,
// when it closes, and the auto-close key.
#include "dialog_driver.h"
#include "splash_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <functional>
#include <optional>

namespace velmar::e2e {
namespace {

constexpr const wchar_t* kApplicationClass = L"StubApplicationWindow";

SIZE screenSize()
{
    return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

// The screen's pixel at the middle of the part of the window on screen
// (the harness's picture of a window needs the whole window on screen).
bool visiblePartShows(HWND window, COLORREF colour, int tolerance = 0)
{
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT rect{};
    ::GetWindowRect(window, &rect);
    const SIZE screen = screenSize();
    const RECT whole{0, 0, screen.cx, screen.cy};
    RECT shown{};
    if (!::IntersectRect(&shown, &rect, &whole)) {
        return false;
    }
    HDC dc = ::GetDC(nullptr);
    const COLORREF pixel = ::GetPixel(dc, (shown.left + shown.right) / 2, (shown.top + shown.bottom) / 2);
    ::ReleaseDC(nullptr, dc);
    const auto within = [tolerance](int a, int b) { return a - b <= tolerance && b - a <= tolerance; };
    return pixel != CLR_INVALID && within(GetRValue(pixel), GetRValue(colour)) &&
           within(GetGValue(pixel), GetGValue(colour)) && within(GetBValue(pixel), GetBValue(colour));
}

// Place and size of the window for pictures smaller and larger than the
// screen; the class, styles and the picture drawn.
struct GeometryCase {
    const char* name;
    std::function<SIZE(SIZE screen)> picture;
    std::function<POINT(SIZE screen)> origin;
    const wchar_t* screenshot;
};

class SplashGeometryTest : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(SplashGeometryTest, IsABorderlessToolWindowCentredOnTheScreenAtThePicturesSize)
{
    const GeometryCase& c = GetParam();
    const SIZE screen = screenSize();
    const SIZE size = c.picture(screen);
    SplashApp splash(bmpPicture(size.cx, size.cy, kPictureColour));
    splash.vmParameters(kStayUp);
    const auto process = splash.start();
    HWND window = waitForWindowOfClass(::GetProcessId(process->handle()), kSplashClass);
    ASSERT_NE(window, nullptr) << "no splash window";

    RECT rect{};
    ::GetWindowRect(window, &rect);
    const POINT origin = c.origin(screen);
    EXPECT_EQ(rect.left, origin.x);
    EXPECT_EQ(rect.top, origin.y);
    EXPECT_EQ(rect.right - rect.left, size.cx);
    EXPECT_EQ(rect.bottom - rect.top, size.cy);
    const auto style = static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
    EXPECT_EQ(style & ~(WS_VISIBLE | WS_CLIPSIBLINGS), static_cast<DWORD>(WS_POPUP));
    EXPECT_EQ(::GetWindowLongPtrW(window, GWL_EXSTYLE), WS_EX_TOOLWINDOW);
    EXPECT_EQ(::GetClassLongPtrW(window, GCL_STYLE), CS_SAVEBITS | CS_DBLCLKS) << "no shadow asked for";
    EXPECT_EQ(::GetWindow(window, GW_OWNER), nullptr);
    EXPECT_EQ(::GetParent(window), nullptr);
    EXPECT_TRUE(textOf(window).empty());
    EXPECT_TRUE(waitUntil([&] { return visiblePartShows(window, kPictureColour); }, kWindowBoundMs))
        << "the picture is not drawn";
    if (c.screenshot != nullptr) {
        keepScreenshot(window, c.screenshot);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, SplashGeometryTest,
    ::testing::Values(
        GeometryCase{"FourHundredByThreeHundred", [](SIZE) { return SIZE{400, 300}; },
                     [](SIZE s) { return POINT{(s.cx - 400) / 2, (s.cy - 300) / 2}; }, L"splash"},
        GeometryCase{"OddSizes", [](SIZE) { return SIZE{201, 77}; },
                     [](SIZE s) { return POINT{(s.cx - 201) / 2, (s.cy - 77) / 2}; }, nullptr},
        GeometryCase{"OnePixelWiderThanTheScreen", [](SIZE s) { return SIZE{s.cx + 1, 100}; },
                     [](SIZE s) { return POINT{0, (s.cy - 100) / 2}; }, nullptr},
        GeometryCase{"ThreePixelsWiderThanTheScreen", [](SIZE s) { return SIZE{s.cx + 3, 100}; },
                     [](SIZE s) { return POINT{-1, (s.cy - 100) / 2}; }, nullptr},
        GeometryCase{"ThreePixelsTallerThanTheScreen", [](SIZE s) { return SIZE{100, s.cy + 3}; },
                     [](SIZE s) { return POINT{(s.cx - 100) / 2, -1}; }, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// The picture formats besides BMP, from tests/e2e/pictures (made by its
// MakePictures.java): each is decoded, drawn, and sizes the window.
class SplashFormatTest : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(SplashFormatTest, IsDrawnAtItsOwnSize)
{
    const std::wstring name = std::wstring(L"splash.") + GetParam();
    SplashApp splash;
    splash.app().installation().copyFile(std::wstring(VELMAR_E2E_PICTURES) + L"\\" + name, name);
    splash.set({{L"Display", L"Splash Screen", name}});
    splash.vmParameters(kStayUp);
    const auto process = splash.start();
    HWND window = waitForWindowOfClass(::GetProcessId(process->handle()), kSplashClass);
    ASSERT_NE(window, nullptr) << "no splash window";
    RECT rect{};
    ::GetWindowRect(window, &rect);
    EXPECT_EQ(rect.right - rect.left, 64);
    EXPECT_EQ(rect.bottom - rect.top, 48);
    // JPEG keeps the colour only nearly.
    EXPECT_TRUE(waitUntil([&] { return visiblePartShows(window, kPictureColour, 8); }, kWindowBoundMs))
        << "the picture is not drawn";
}

INSTANTIATE_TEST_SUITE_P(Formats, SplashFormatTest, ::testing::Values(L"png", L"gif", L"jpg"),
                         [](const auto& info) {
                             return std::string(info.param, info.param + std::wcslen(info.param));
                         });

// Only the exact "true" gives the class its drop shadow.
struct ShadowCase {
    const char* name;
    std::optional<std::wstring> value;
    bool shadow;
};

class SplashShadowTest : public ::testing::TestWithParam<ShadowCase> {};

TEST_P(SplashShadowTest, ClassHasTheDropShadowOnlyForExactlyTrue)
{
    SplashApp splash;
    splash.set({{L"Display", L"Splash Screen Shadow", GetParam().value}});
    splash.vmParameters(kStayUp);
    const auto process = splash.start();
    HWND window = waitForWindowOfClass(::GetProcessId(process->handle()), kSplashClass);
    ASSERT_NE(window, nullptr);
    const auto classStyle = static_cast<UINT>(::GetClassLongPtrW(window, GCL_STYLE));
    EXPECT_EQ((classStyle & CS_DROPSHADOW) != 0, GetParam().shadow);
    EXPECT_EQ(classStyle & ~CS_DROPSHADOW, static_cast<UINT>(CS_SAVEBITS | CS_DBLCLKS));
}

INSTANTIATE_TEST_SUITE_P(Values, SplashShadowTest,
                         ::testing::Values(ShadowCase{"true", L"true", true},
                                           ShadowCase{"True", L"True", false},
                                           ShadowCase{"TRUE", L"TRUE", false},
                                           ShadowCase{"missing", std::nullopt, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// The class path is missing, so a box comes up after the splash started.
struct OwnerCase {
    const char* name;
    const wchar_t* arguments;
    bool writePicture;
    bool ownedBySplash;
};

class SplashOwnerTest : public ::testing::TestWithParam<OwnerCase> {};

TEST_P(SplashOwnerTest, BoxesAreOwnedByTheSplashWhileItIsUp)
{
    const OwnerCase& c = GetParam();
    SplashApp splash(c.writePicture ? bmpPicture(400, 300, kPictureColour) : std::string());
    splash.app().writeIni({{L"Class Path", L"Class Path", std::nullopt}});
    std::vector<std::wstring> ownerClasses;
    const StubRun result = splash.app().run(
        {.arguments = c.arguments, .onWindow = [&](HWND window, const WindowSeen& seen) {
             if (seen.isMessageBox()) {
                 HWND owner = ::GetWindow(window, GW_OWNER);
                 ownerClasses.push_back(owner != nullptr ? classOf(owner) : L"");
             }
             pressButton(window, seen.isMessageBox() ? IDOK : IDCANCEL);
         }});
    ASSERT_FALSE(result.run.timedOut);
    ASSERT_EQ(result.run.messageBoxes().size(), 1u);
    EXPECT_EQ(result.run.messageBoxes().front().text, L"Java Class Path was not specified in INI file.");
    EXPECT_EQ(ownerClasses, std::vector<std::wstring>{c.ownedBySplash ? kSplashClass : L""});
    EXPECT_EQ(splashSeen(result.run), c.ownedBySplash);
    EXPECT_EQ(result.run.exitCode, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Starts, SplashOwnerTest,
    ::testing::Values(OwnerCase{"WithSplash", L"", true, true},
                      OwnerCase{"MissingPictureZeroSizeWindow", L"", false, true},
                      OwnerCase{"DashNoSplash", L"-nosplash", true, false},
                      OwnerCase{"SlashNoSplash", L"one /nosplash", true, false},
                      OwnerCase{"OtherCaseIsNoSwitch", L"-NoSplash", true, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Pictures that cannot be shown never block the start: the window has no
// size. A header that claims a huge picture keeps Wine's decoder busy for
// seconds; the launcher does not wait for it, so no window may show then.
struct BadPictureCase {
    const char* name;
    std::optional<std::string> bytes;  // nullopt: no file
    bool decodedAtOnce;
};

class SplashBadPictureTest : public ::testing::TestWithParam<BadPictureCase> {};

TEST_P(SplashBadPictureTest, GivesAZeroSizeWindowAndTheApplicationRuns)
{
    const BadPictureCase& c = GetParam();
    SplashApp splash(c.bytes.value_or(""));
    if (c.bytes && c.bytes->empty()) {
        splash.app().installation().writeFile(kPicture, "");
    }
    splash.vmParameters(kStayBriefly);
    const StubRun result = splash.app().run({.timeoutMs = 60000});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, 0u);
    EXPECT_TRUE(result.record.called("main stub/App"));
    bool seen = false;
    for (const WindowSeen& window : result.run.windows) {
        if (window.className == kSplashClass) {
            seen = true;
            EXPECT_EQ(window.rect.right - window.rect.left, 0);
            EXPECT_EQ(window.rect.bottom - window.rect.top, 0);
        }
    }
    if (GetParam().decodedAtOnce) {
        EXPECT_TRUE(seen) << "the window still serves as owner";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, SplashBadPictureTest,
    ::testing::Values(BadPictureCase{"Missing", std::nullopt, true},
                      BadPictureCase{"Empty", "", true},
                      BadPictureCase{"NotAPicture", "not a picture at all", true},
                      BadPictureCase{"WiderThanTheLimit", bmpPicture(20000, 1, kPictureColour), true},
                      BadPictureCase{"HeaderClaimsHugeWithoutPixels", truncatedBmpPicture(30000, 30000), false}),
    [](const auto& info) { return std::string(info.param.name); });

// main ends with an exception: the splash closes before the dialog, and
// teardown closing it again does no harm.
TEST(SplashClosingTest, AnUncaughtExceptionClosesTheSplashBeforeTheDialogThenTeardownAgain)
{
    SplashApp splash;
    splash.set({{L"Application", L"Failure Check", L"Yes"}});
    splash.vmParameters(L"-Dstub.throw=boom");
    bool dialogSeen = false;
    bool splashGoneAtDialog = false;
    const StubRun result = splash.app().run({.onWindow = [&](HWND window, const WindowSeen& seen) {
        if (seen.caption == L"Java Exception") {
            DWORD processId = 0;
            ::GetWindowThreadProcessId(window, &processId);
            dialogSeen = true;
            splashGoneAtDialog = windowOfClass(processId, kSplashClass) == nullptr;
            pressButton(window, IDOK);  // Ignore
        }
    }});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.record.windowClasses, std::vector<std::wstring>{kSplashClass})
        << "the splash was up while the VM started";
    EXPECT_TRUE(dialogSeen);
    EXPECT_TRUE(splashGoneAtDialog);
    EXPECT_EQ(result.run.exitCode, 1u) << "main threw, and Ignore does not make it a success";
}

TEST(SplashClosingTest, TeardownEndsTheSplashAndTheProcess)
{
    SplashApp splash;
    splash.vmParameters(L"-Dstub.linger=500");
    const auto process = splash.start();
    ASSERT_NE(waitForWindowOfClass(::GetProcessId(process->handle()), kSplashClass), nullptr);
    EXPECT_EQ(process->waitForExit(kWindowBoundMs), std::optional<DWORD>(0));
}

// "Splash Screen Auto Close": the splash goes when the application's own
// window shows, and stays without the key.
struct AutoCloseCase {
    const char* name;
    std::optional<std::wstring> value;
    bool closes;
};

class SplashAutoCloseTest : public ::testing::TestWithParam<AutoCloseCase> {};

TEST_P(SplashAutoCloseTest, ClosesWhenTheApplicationsWindowShowsOnlyWithYes)
{
    SplashApp splash;
    splash.set({{L"Display", L"Splash Screen Auto Close", GetParam().value}});
    splash.vmParameters(L"-Dstub.window=700");
    const auto process = splash.start();
    const DWORD processId = ::GetProcessId(process->handle());
    HWND window = waitForWindowOfClass(processId, kSplashClass);
    ASSERT_NE(window, nullptr);
    HWND application = waitForWindowOfClass(processId, kApplicationClass);
    ASSERT_NE(application, nullptr) << "the application's window never showed";
    ASSERT_TRUE(::IsWindow(window)) << "the splash went before the application's window showed";
    // Gone from the screen: Wine without a window manager takes up to 2 s
    // more before a hidden, once active window is destroyed.
    const bool closed = waitUntil([&] { return !::IsWindowVisible(window); }, 1500);
    EXPECT_EQ(closed, GetParam().closes);
    EXPECT_TRUE(::IsWindow(application)) << "the application still runs";
    EXPECT_EQ(process->waitForExit(kWindowBoundMs), std::optional<DWORD>(0));
}

INSTANTIATE_TEST_SUITE_P(Values, SplashAutoCloseTest,
                         ::testing::Values(AutoCloseCase{"Yes", L"Yes", true},
                                           AutoCloseCase{"yes", L"yes", true},
                                           AutoCloseCase{"True", L"true", false},
                                           AutoCloseCase{"Missing", std::nullopt, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmar::e2e
