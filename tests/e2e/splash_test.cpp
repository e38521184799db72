// The splash: the launcher's own window (class, styles, place, picture,
// shadow, closing, owner of the boxes), the runtime's splash library
// (calls, order, arguments, closing), the auto-close key, and where GDI+
// comes from.
#include "dialog_driver.h"
#include "splash_pictures.h"
#include "stub_app.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

namespace velmar::e2e {
namespace {

constexpr const wchar_t* kSplashClass = L"SplashScreenWindow";
constexpr const wchar_t* kApplicationClass = L"StubApplicationWindow";
constexpr COLORREF kPictureColour = RGB(0x20, 0x80, 0xC0);
constexpr const wchar_t* kPicture = L"splash.bmp";
constexpr DWORD kWindowBoundMs = 20000;
// Long enough to look at the splash; the process is ended after the look.
constexpr const wchar_t* kStayUp = L"-Dstub.linger=20000";
// Long enough for the run's watcher to see the splash.
constexpr const wchar_t* kStayBriefly = L"-Dstub.linger=1500";

std::wstring classOf(HWND window)
{
    wchar_t name[256] = {};
    ::GetClassNameW(window, name, 256);
    return name;
}

HWND windowOfClass(DWORD processId, const wchar_t* className)
{
    for (HWND window : processWindows(processId)) {
        if (classOf(window) == className) {
            return window;
        }
    }
    return nullptr;
}

HWND waitForWindowOfClass(DWORD processId, const wchar_t* className)
{
    HWND found = nullptr;
    waitUntil([&] { return (found = windowOfClass(processId, className)) != nullptr; }, kWindowBoundMs);
    return found;
}

bool splashSeen(const RunResult& run)
{
    return std::ranges::any_of(run.windows, [](const WindowSeen& w) { return w.className == kSplashClass; });
}

SIZE screenSize()
{
    return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

// The screen's pixel at the middle of the part of the window on screen
// (the harness's picture of a window needs the whole window on screen).
bool visiblePartShows(HWND window, COLORREF colour)
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
    return pixel == colour;
}

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

// A file of the built stub runtime's folder for `variant`.
std::wstring stubFile(std::wstring_view variant, std::wstring_view name)
{
    std::wstring path = stubRuntimeFile(variant);
    return path.substr(0, path.rfind(L'\\') + 1) + std::wstring(name);
}

void giveRuntimeSplashLibrary(StubApp& app, std::wstring_view variant)
{
    app.installation().copyFile(stubFile(L"splash-" + std::wstring(variant), L"splashscreen.dll"),
                                L"jre\\bin\\splashscreen.dll");
}

bool hasModule(const stub::StubRecord& record, std::wstring_view name)
{
    return std::ranges::any_of(record.modules, [&](const std::wstring& module) {
        return _wcsicmp(module.c_str(), std::wstring(name).c_str()) == 0;
    });
}

// A stub application with a picture named as its splash.
class SplashApp {
public:
    explicit SplashApp(const std::string& picture = bmpPicture(400, 300, kPictureColour),
                       std::wstring_view variant = L"full")
        : app_(variant, L"velmar-splash-")
    {
        if (!picture.empty()) {
            app_.installation().writeFile(kPicture, picture);
        }
        app_.writeIni({{L"Display", L"Splash Screen", kPicture}});
    }

    StubApp& app() { return app_; }
    void set(std::initializer_list<IniEntry> entries) { app_.writeIni(entries); }
    void vmParameters(const std::wstring& parameters)
    {
        app_.writeIni({{L"Java Runtime Environment", L"Virtual Machine Parameters", parameters}});
    }

    // A launcher left running, for a test that looks at its windows.
    std::unique_ptr<LauncherProcess> start(RunOptions options = {})
    {
        app_.saveIni();
        ::DeleteFileW(app_.recordPath().c_str());
        options.environment.emplace_back(L"VELMAR_STUB_RECORD", app_.recordPath());
        return std::make_unique<LauncherProcess>(app_.installation(), options);
    }

private:
    StubApp app_;
};

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
                                           ShadowCase{"yes", L"yes", false},
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
    std::string bytes;  // empty: no file
    bool decodedAtOnce;
};

class SplashBadPictureTest : public ::testing::TestWithParam<BadPictureCase> {};

TEST_P(SplashBadPictureTest, GivesAZeroSizeWindowAndTheApplicationRuns)
{
    SplashApp splash(GetParam().bytes);
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
    ::testing::Values(BadPictureCase{"Missing", "", true},
                      BadPictureCase{"NotAPicture", "not a picture at all", true},
                      BadPictureCase{"WiderThanTheLimit", bmpPicture(20000, 1, kPictureColour), true},
                      BadPictureCase{"HeaderClaimsHugeWithoutPixels", truncatedBmpPicture(30000, 30000), false}),
    [](const auto& info) { return std::string(info.param.name); });

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
        JavaSplashCase{"YES", L"full", L"YES", true, kJavaSplashCalls},
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
    EXPECT_EQ(result.run.exitCode, 0u);
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
                                           AutoCloseCase{"No", L"No", false},
                                           AutoCloseCase{"True", L"true", false},
                                           AutoCloseCase{"Missing", std::nullopt, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// GDI+ is loaded only for the launcher's own splash, and only from the
// system folder.
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

TEST(SplashGdiplusPlantedTest, ACopyBesideTheLauncherOrOnPathIsNotLoaded)
{
    SplashApp splash;
    const std::wstring planted = stubFile(L"planted", L"gdiplus.dll");
    splash.app().installation().copyFile(planted, L"gdiplus.dll");
    splash.app().installation().copyFile(planted, L"on-path\\gdiplus.dll");
    // Wine prefers its own copy of a system library unless the test run
    // tells it to search as Windows does, application folder first.
    wchar_t overrides[256] = {};
    ::GetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides, 256);
    ASSERT_NE(std::wstring_view(overrides).find(L"gdiplus=n,b"), std::wstring_view::npos)
        << "without the override a planted copy is never loaded, whatever the launcher does";
    std::wstring path(32767, L'\0');
    path.resize(::GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
    splash.vmParameters(kStayBriefly);
    const StubRun result = splash.app().run(
        {.environment = {{L"PATH", splash.app().installation().path(L"on-path") + L";" + path}}});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_FALSE(result.record.called("planted library loaded"));
    EXPECT_TRUE(hasModule(result.record, L"gdiplus.dll")) << "the system's copy is used";
    auto window = std::ranges::find(result.run.windows, std::wstring(kSplashClass), &WindowSeen::className);
    ASSERT_NE(window, result.run.windows.end());
    EXPECT_EQ(window->rect.right - window->rect.left, 400) << "the picture was decoded";
}

}  // namespace
}  // namespace velmar::e2e
