// Copies of system libraries planted where the standard search order
// would find them (beside the launcher, in the current directory, in a
// folder on Path) are never loaded, on any start that loads the library:
// each planted copy records in the stub runtime's record that it was
// loaded, and every start proves it reached the code that needs the
// library. Wine prefers its own copies unless the test run overrides
// these names to "native, then builtin" (see CMakeLists.txt), which makes
// it search as Windows does.
#include "dialog_driver.h"
#include "registry_key.h"
#include "splash_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace velmar::e2e {
namespace {

constexpr DWORD kFailure = 0xFFFFFFFF;
constexpr DWORD kBoundMs = 90000;
constexpr int kLink = 205;
constexpr const wchar_t* kExceptionCaption = L"Java Exception";
constexpr const wchar_t* kHttpsHandlerKey = L"https\\shell\\open\\command";

// Every system library the launcher loads at run time, or once did.
constexpr const wchar_t* kPlantedNames[] = {L"comctl32.dll", L"shell32.dll", L"ole32.dll",
                                            L"gdiplus.dll", L"dbghelp.dll"};

enum class Place { besideLauncher, currentDirectory, pathFolder };

// A start driven into the code that loads some of the libraries. `drive`
// sets the installation up, runs it, and says whether the start reached
// that code (with a test failure naming what was missing when not).
struct Start {
    const char* name;
    const wchar_t* libraries;  // what this start loads, for the failure message
    bool (*drive)(SplashApp& splash, RunOptions options);
};

std::wstring withSeparators(std::wstring path)
{
    std::ranges::replace(path, L'/', L'\\');
    return path;
}

std::wstring environmentValue(const wchar_t* name)
{
    std::wstring value(32767, L'\0');
    value.resize(::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
    return value;
}

ULONGLONG fileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::vector<std::string> plantedLoads(const stub::StubRecord& record)
{
    std::vector<std::string> loads;
    std::ranges::copy_if(record.calls, std::back_inserter(loads),
                         [](const std::string& call) { return call.starts_with("planted "); });
    return loads;
}

void withoutRuntime(SplashApp& splash)
{
    splash.set({{L"Java Runtime Environment", L"JRE Path", std::nullopt},
                {L"Display", L"Splash Screen", std::nullopt}});
}

bool normalStart(SplashApp& splash, RunOptions options)
{
    splash.set({{L"Display", L"Splash Screen", std::nullopt}});
    const StubRun result = splash.app().run(std::move(options));
    EXPECT_EQ(result.run.exitCode, 0u);
    return result.record.called("main stub/App");
}

bool ownSplash(SplashApp& splash, RunOptions options)
{
    // A relative picture path would be looked up in the current directory.
    splash.set({{L"Display", L"Splash Screen", splash.app().installation().path(kPicture)}});
    splash.vmParameters(kStayBriefly);
    const StubRun result = splash.app().run(std::move(options));
    auto window = std::ranges::find(result.run.windows, std::wstring(kSplashClass), &WindowSeen::className);
    return window != result.run.windows.end() && window->rect.right - window->rect.left == 400;
}

bool folderBrowser(SplashApp& splash, RunOptions options)
{
    withoutRuntime(splash);
    bool picked = false;
    options.onWindow = [&](HWND window, const WindowSeen& seen) {
        if (seen.caption == kMissingRuntimeCaption) {
            picked = pickFolder(window, kMissingRuntimeBrowseButton, splash.app().runtimeFolder());
        }
        pressButton(window, IDCANCEL);
    };
    const StubRun result = splash.app().run(std::move(options));
    EXPECT_EQ(result.run.exitCode, kFailure);
    return picked;
}

bool downloadLink(SplashApp& splash, RunOptions options)
{
    withoutRuntime(splash);
    const std::wstring opened = splash.app().installation().path(L"opened.txt");
    ScopedRegistryValue handler(HKEY_CLASSES_ROOT, kHttpsHandlerKey, L"",
                                L"\"" + withSeparators(environmentValue(L"VELMAR_TEST_URL_RECORDER")) +
                                    L"\" \"" + opened + L"\" \"%1\"");
    bool recorded = false;
    options.onWindow = [&](HWND window, const WindowSeen& seen) {
        if (seen.caption == kMissingRuntimeCaption) {
            HWND link = ::GetDlgItem(window, kLink);
            ::SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
            ::SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
            recorded = waitUntil([&] { return fileSize(opened) > 0; }, 20000);
        }
        pressButton(window, IDCANCEL);
    };
    const StubRun result = splash.app().run(std::move(options));
    EXPECT_EQ(result.run.exitCode, kFailure);
    return recorded;
}

bool exceptionDialog(SplashApp& splash, RunOptions options)
{
    splash.set({{L"Display", L"Splash Screen", std::nullopt},
                {L"Application", L"Failure Check", L"Yes"}});
    splash.vmParameters(L"-Dstub.throw=planted");
    bool shown = false;
    options.onWindow = [&](HWND window, const WindowSeen& seen) {
        shown = shown || seen.caption == kExceptionCaption;
        pressButton(window, IDCANCEL);
    };
    const StubRun result = splash.app().run(std::move(options));
    EXPECT_EQ(result.run.exitCode, kFailure);
    return shown;
}

const Start kStarts[] = {
    {"NormalStart", L"none (the VM library's machine type is read in place)", normalStart},
    {"OwnSplash", L"gdiplus", ownSplash},
    {"FolderBrowser", L"comctl32, ole32, shell32", folderBrowser},
    {"DownloadLink", L"comctl32, shell32", downloadLink},
    {"ExceptionDialog", L"none of its own", exceptionDialog},
};

class PlantedLibraryTest : public ::testing::TestWithParam<std::tuple<Start, Place>> {};

TEST_P(PlantedLibraryTest, IsNeverLoaded)
{
    const auto& [start, place] = GetParam();
    const std::wstring overrides = environmentValue(L"WINEDLLOVERRIDES");
    for (const wchar_t* name : kPlantedNames) {
        const std::wstring_view base(name, wcslen(name) - 4);
        ASSERT_NE(overrides.find(std::wstring(base)), std::wstring::npos)
            << "without an override to native Wine never loads a planted "
            << ::testing::PrintToString(std::wstring(name)) << ", whatever the launcher does";
    }
    SplashApp splash;
    Installation& installation = splash.app().installation();
    const std::wstring folder = place == Place::besideLauncher     ? installation.folder()
                                : place == Place::currentDirectory ? installation.path(L"current")
                                                                   : installation.path(L"on-path");
    const std::wstring planted = stubFile(L"planted", L"gdiplus.dll");
    for (const wchar_t* name : kPlantedNames) {
        installation.copyFile(planted, folder == installation.folder() ? std::wstring(name)
                                                                       : folder.substr(installation.folder().size() + 1) +
                                                                             L"\\" + name);
    }
    const std::wstring elsewhere = installation.path(L"elsewhere");
    ::CreateDirectoryW(elsewhere.c_str(), nullptr);
    RunOptions options{.arguments = L"", .timeoutMs = kBoundMs};
    options.currentDirectory = place == Place::currentDirectory ? folder : elsewhere;
    if (place == Place::pathFolder) {
        options.environment.emplace_back(L"PATH", folder + L";" + environmentValue(L"PATH"));
    }

    const bool reached = start.drive(splash, std::move(options));

    EXPECT_TRUE(reached) << "the start did not reach the code that loads " << ::testing::PrintToString(std::wstring(start.libraries));
    const stub::StubRecord record = stub::readStubRecord(splash.app().recordPath());
    EXPECT_EQ(plantedLoads(record), std::vector<std::string>{});
}

std::string placeName(Place place)
{
    switch (place) {
    case Place::besideLauncher:
        return "BesideTheLauncher";
    case Place::currentDirectory:
        return "InTheCurrentDirectory";
    case Place::pathFolder:
        return "OnPath";
    }
    return "?";
}

INSTANTIATE_TEST_SUITE_P(Starts, PlantedLibraryTest,
                         ::testing::Combine(::testing::ValuesIn(kStarts),
                                            ::testing::Values(Place::besideLauncher, Place::currentDirectory,
                                                              Place::pathFolder)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) + "_" +
                                    placeName(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace velmar::e2e
