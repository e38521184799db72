// A machine without a runtime the launcher can find: the user is told what
// to install and may point at a runtime folder, which is remembered.
#include "dialog_driver.h"
#include "pe_image.h"
#include "stub_app.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>

namespace velmar::e2e {
namespace {

constexpr DWORD kFailure = 0xFFFFFFFF;
constexpr int kPathEdit = 201;
constexpr int kMessage = 203;
constexpr int kLink = 205;
constexpr DWORD kHangBoundMs = 60000;

std::wstring iniValue(const std::wstring& path, const wchar_t* section, const wchar_t* key)
{
    wchar_t value[512] = {};
    ::GetPrivateProfileStringW(section, key, L"<missing>", value, 512, path.c_str());
    return value;
}

std::wstring jrePathIn(const std::wstring& iniPath)
{
    return iniValue(iniPath, L"Java Runtime Environment", L"JRE Path");
}

bool exists(const std::wstring& path)
{
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isOkEnabled(HWND dialog)
{
    return ::IsWindowEnabled(::GetDlgItem(dialog, IDOK)) != FALSE;
}

// Picks `folder` and waits until the dialog shows it; the OK state after.
std::optional<bool> okAfterPicking(HWND dialog, const std::wstring& folder,
                                   const std::wstring& browserScreenshot = {})
{
    if (!pickFolder(dialog, kMissingRuntimeBrowseButton, folder, browserScreenshot) ||
        !waitUntil([&] { return controlText(dialog, kPathEdit) == folder; })) {
        return std::nullopt;
    }
    return isOkEnabled(dialog);
}

// An installation of the stub application with no "JRE Path" and nothing
// else that would find a runtime.
class MissingRuntimeTest : public ::testing::Test {
protected:
    MissingRuntimeTest()
    {
        app_.writeIni({{L"Java Runtime Environment", L"JRE Path", std::nullopt},
                       {L"Product Information", L"Product Name", L"Acme"},
                       {L"Product Information", L"Product Code", L"X1"}});
        app_.installation().copyFile(stubRuntimeFile(L"full"), L"client-jre\\bin\\client\\jvm.dll");
    }

    std::wstring perUserIni(const wchar_t* base = L"myapp.ini")
    {
        return app_.installation().appData() + L"\\Acme\\X1\\" + base;
    }
    std::wstring serverFolder() const { return app_.runtimeFolder(); }
    std::wstring clientFolder() { return app_.installation().path(L"client-jre"); }

    StubApp app_;
};

struct EndingCase {
    const char* name;
    const wchar_t* jvmType;
    const wchar_t* minimum;
    const wchar_t* maximum;
    const wchar_t* message;
    void (*end)(HWND dialog);
};

class MissingRuntimeEndingTest : public MissingRuntimeTest,
                                 public ::testing::WithParamInterface<EndingCase> {};

// The dialog says what is needed; every way of closing it ends the launcher
// with -1 and leaves every INI file alone.
TEST_P(MissingRuntimeEndingTest, ShowsTheRequirementAndEndsWithoutSaving)
{
    const EndingCase& c = GetParam();
    app_.writeIni({{L"Java Runtime Environment", L"JVM Type", c.jvmType},
                   {L"Java Runtime Environment", L"Minimum Version", c.minimum},
                   {L"Java Runtime Environment", L"Maximum Version", c.maximum}});
    RECT workArea{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    bool okDisabled = false;
    bool editReadOnly = false;
    StubRun result = app_.run({.arguments = L"-nosplash",
                               .onWindow =
                                   [&](HWND window, const WindowSeen&) {
                                       okDisabled = !isOkEnabled(window);
                                       editReadOnly = (::GetWindowLongW(::GetDlgItem(window, kPathEdit),
                                                                        GWL_STYLE) &
                                                       ES_READONLY) != 0;
                                       c.end(window);
                                   },
                               .timeoutMs = kHangBoundMs});

    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, kFailure);
    ASSERT_EQ(result.run.windows.size(), 1u);
    const WindowSeen& dialog = result.run.windows.front();
    EXPECT_EQ(dialog.caption, kMissingRuntimeCaption);
    EXPECT_FALSE(dialog.hasOwner);
    EXPECT_TRUE(dialog.errorIcon);
    EXPECT_TRUE(okDisabled);
    EXPECT_TRUE(editReadOnly);
    auto control = [&](int id) {
        for (const ControlSeen& seen : dialog.controls) {
            if (seen.id == id) {
                return seen.text;
            }
        }
        return std::wstring(L"<none>");
    };
    EXPECT_EQ(control(kMessage), c.message);
    EXPECT_EQ(control(kLink), L"https://java.com/");
    EXPECT_EQ(control(kPathEdit), L"");
    // Without an owner: centred on the work area.
    EXPECT_NEAR((dialog.rect.left + dialog.rect.right) / 2, (workArea.left + workArea.right) / 2, 1);
    EXPECT_NEAR((dialog.rect.top + dialog.rect.bottom) / 2, (workArea.top + workArea.bottom) / 2, 1);
    EXPECT_FALSE(exists(app_.installation().appData() + L"\\Acme"));
    EXPECT_EQ(jrePathIn(app_.installation().iniPath()), L"<missing>");
    EXPECT_FALSE(result.record.exists);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MissingRuntimeEndingTest,
    ::testing::Values(
        EndingCase{"server_cancel", L"server", L"1.6", L"any",
                   L"The Java Runtime Environment (JRE) was not found. Please  download and install "
                   L"a JRE with a server JVM (minimum version 1.6) from:",
                   [](HWND dialog) { pressButton(dialog, IDCANCEL); }},
        EndingCase{"default_escape", L"", L"1.6", L"1.8",
                   L"The Java Runtime Environment (JRE) was not found. Please  download and install "
                   L"a JRE (version between 1.6 and 1.8) from:",
                   pressEscape},
        EndingCase{"favor_server_close_box", L"favor_server", L"1.8", L"1.8",
                   L"The Java Runtime Environment (JRE) was not found. Please  download and install "
                   L"a JRE (version between 1.8 and 1.8) from:",
                   pressCloseBox}),
    [](const auto& info) { return std::string(info.param.name); });

struct VmTypeCase {
    const char* name;
    const wchar_t* jvmType;
    bool clientFolderAccepted;
};

class MissingRuntimeVmTypeTest : public MissingRuntimeTest,
                                 public ::testing::WithParamInterface<VmTypeCase> {};

// A folder counts only when it holds a VM library for the configured type;
// each pick decides OK anew.
TEST_P(MissingRuntimeVmTypeTest, OkFollowsEachPick)
{
    const VmTypeCase& c = GetParam();
    app_.writeIni({{L"Java Runtime Environment", L"JVM Type", c.jvmType}});
    std::vector<std::optional<bool>> states;
    StubRun result = app_.run({.arguments = L"-nosplash",
                               .onWindow =
                                   [&](HWND window, const WindowSeen& seen) {
                                       if (seen.caption != kMissingRuntimeCaption) {
                                           return;
                                       }
                                       states.push_back(okAfterPicking(window, clientFolder()));
                                       states.push_back(okAfterPicking(window, serverFolder()));
                                       states.push_back(okAfterPicking(window, app_.installation().folder()));
                                       pressButton(window, IDCANCEL);
                                   },
                               .timeoutMs = kHangBoundMs});

    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(states, (std::vector<std::optional<bool>>{c.clientFolderAccepted, true, false}));
    EXPECT_EQ(result.run.exitCode, kFailure);
    EXPECT_FALSE(exists(app_.installation().appData() + L"\\Acme"));
}

INSTANTIATE_TEST_SUITE_P(Cases, MissingRuntimeVmTypeTest,
                         ::testing::Values(VmTypeCase{"server", L"server", false},
                                           VmTypeCase{"default", L"", true},
                                           VmTypeCase{"favor_server", L"favor_server", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// OK reaching the dialog while it is disabled (sent to it, as another
// program or a stuck key may) takes nothing: not before any pick, and not
// after a pick of a folder without a VM library.
TEST_F(MissingRuntimeTest, OkWithoutARuntimeFolderIsIgnored)
{
    std::vector<bool> stillOpen;
    StubRun result = app_.run({.arguments = L"-nosplash",
                               .onWindow =
                                   [&](HWND window, const WindowSeen& seen) {
                                       if (seen.caption != kMissingRuntimeCaption) {
                                           return;
                                       }
                                       ::SendMessageW(window, WM_COMMAND, IDOK, 0);
                                       stillOpen.push_back(okAfterPicking(window, app_.installation().folder()) == false);
                                       ::SendMessageW(window, WM_COMMAND, IDOK, 0);
                                       stillOpen.push_back(::IsWindowVisible(window) != FALSE);
                                       pressButton(window, IDCANCEL);
                                   },
                               .timeoutMs = kHangBoundMs});

    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(stillOpen, (std::vector<bool>{true, true}));
    EXPECT_EQ(result.run.exitCode, kFailure);
    EXPECT_EQ(result.run.windows.size(), 1u) << "no message after the dialog";
    EXPECT_FALSE(exists(app_.installation().appData() + L"\\Acme")) << "no empty \"JRE Path\" saved";
    EXPECT_FALSE(result.record.exists);
}

// The pick outside the version bounds is taken, saved for the user with its
// trailing "\", and the next start goes straight to the application.
TEST_F(MissingRuntimeTest, ThePickIsSavedForTheUserAndFoundNextTime)
{
    app_.writeIni({{L"Java Runtime Environment", L"Minimum Version", L"99"},
                   {L"Application", L"Pair Product", std::nullopt}});
    std::optional<bool> okState;
    StubRun first = app_.run({.arguments = L"-nosplash",
                              .onWindow =
                                  [&](HWND window, const WindowSeen& seen) {
                                      if (seen.caption != kMissingRuntimeCaption) {
                                          pressButton(window, IDOK);
                                          return;
                                      }
                                      okState = okAfterPicking(window, serverFolder(), L"folder-browser");
                                      keepScreenshot(window, L"jre-not-found");
                                      pressButton(window, IDOK);
                                  },
                              .timeoutMs = kHangBoundMs});
    ASSERT_FALSE(first.run.timedOut);
    EXPECT_EQ(okState, true);
    EXPECT_EQ(first.run.exitCode, 0u);
    EXPECT_TRUE(first.record.called("main stub/App"));
    EXPECT_EQ(jrePathIn(perUserIni()), serverFolder() + L"\\");
    EXPECT_EQ(jrePathIn(app_.installation().iniPath()), L"<missing>");

    StubRun second = app_.run({.arguments = L"-nosplash", .timeoutMs = kHangBoundMs});
    ASSERT_FALSE(second.run.timedOut);
    EXPECT_TRUE(second.run.windows.empty());
    EXPECT_EQ(second.run.exitCode, 0u);
    EXPECT_TRUE(second.record.called("main stub/App"));
}

// A folder named in characters the ANSI code page lacks is saved without
// loss (the new per-user file is UTF-8) and found again without asking.
TEST_F(MissingRuntimeTest, APickUnderAChineseFolderIsFoundNextTime)
{
    const std::wstring folder = app_.installation().path(L"运行时\\jre");
    app_.installation().copyFile(stubRuntimeFile(L"full"), L"运行时\\jre\\bin\\server\\jvm.dll");
    BOOL lossy = FALSE;
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, folder.c_str(), -1, nullptr, 0, nullptr, &lossy);
    std::printf("ANSI code page %u\n", ::GetACP());
    ASSERT_TRUE(lossy) << "the ANSI code page holds the folder: nothing would need converting";
    StubRun first = app_.run({.arguments = L"-nosplash",
                              .onWindow =
                                  [&](HWND window, const WindowSeen& seen) {
                                      const bool picked = seen.caption == kMissingRuntimeCaption &&
                                                          okAfterPicking(window, folder) == true;
                                      pressButton(window, picked ? IDOK : IDCANCEL);
                                  },
                              .timeoutMs = kHangBoundMs});
    ASSERT_FALSE(first.run.timedOut);
    EXPECT_EQ(first.run.exitCode, 0u);
    EXPECT_EQ(jrePathIn(perUserIni()), folder + L"\\");
    EXPECT_TRUE(readFileBytes(perUserIni()).starts_with("\xEF\xBB\xBF[Java Runtime Environment]\r\n"));

    StubRun second = app_.run({.arguments = L"-nosplash", .timeoutMs = kHangBoundMs});
    ASSERT_FALSE(second.run.timedOut);
    EXPECT_TRUE(second.run.windows.empty());
    EXPECT_EQ(second.run.exitCode, 0u);
    EXPECT_TRUE(second.record.called("main stub/App"));
}

// A VM library at C:\bin\server, removed again at scope exit.
class DriveRootRuntime {
public:
    DriveRootRuntime()
    {
        if (exists(L"C:\\bin")) {
            throw std::runtime_error("C:\\bin exists already; the test would not own it");
        }
        ::CreateDirectoryW(L"C:\\bin", nullptr);
        ::CreateDirectoryW(L"C:\\bin\\server", nullptr);
        if (!::CopyFileW(stubRuntimeFile(L"full").c_str(), kLibrary, FALSE)) {
            throw std::runtime_error("cannot place a VM library at the drive root");
        }
    }
    ~DriveRootRuntime()
    {
        ::DeleteFileW(kLibrary);
        ::RemoveDirectoryW(L"C:\\bin\\server");
        ::RemoveDirectoryW(L"C:\\bin");
    }
    DriveRootRuntime(const DriveRootRuntime&) = delete;
    DriveRootRuntime& operator=(const DriveRootRuntime&) = delete;

private:
    static constexpr const wchar_t* kLibrary = L"C:\\bin\\server\\jvm.dll";
};

// The browser returns a drive root with its "\" already; it is saved as
// it is, and found again.
TEST_F(MissingRuntimeTest, ADriveRootIsSavedWithASingleBackslash)
{
    const DriveRootRuntime runtime;
    std::optional<bool> okState;
    StubRun first = app_.run({.arguments = L"-nosplash",
                              .onWindow =
                                  [&](HWND window, const WindowSeen&) {
                                      okState = okAfterPicking(window, L"C:\\");
                                      pressButton(window, okState == true ? IDOK : IDCANCEL);
                                  },
                              .timeoutMs = kHangBoundMs});
    ASSERT_FALSE(first.run.timedOut);
    EXPECT_EQ(okState, true);
    EXPECT_EQ(first.run.exitCode, 0u);
    EXPECT_EQ(jrePathIn(perUserIni()), L"C:\\");

    StubRun second = app_.run({.arguments = L"-nosplash", .timeoutMs = kHangBoundMs});
    ASSERT_FALSE(second.run.timedOut);
    EXPECT_TRUE(second.run.windows.empty());
    EXPECT_EQ(second.run.exitCode, 0u);
    EXPECT_TRUE(second.record.called("main stub/App"));
}

// A service has no user of its own: the launcher's INI and the pair's take
// the choice.
TEST_F(MissingRuntimeTest, AServiceSavesIntoTheLaunchersAndThePairsIni)
{
    app_.installation().copyLauncher(L"pair\\other.exe");
    app_.writeIni({{L"Application", L"Application Type", L"service"},
                   {L"Application", L"Pair Product", app_.installation().path(L"pair\\other.exe")}});
    StubRun result = app_.run({.arguments = L"-nosplash",
                               .onWindow =
                                   [&](HWND window, const WindowSeen& seen) {
                                       if (seen.caption == kMissingRuntimeCaption &&
                                           okAfterPicking(window, serverFolder()) == true) {
                                           pressButton(window, IDOK);
                                       } else {
                                           pressButton(window, IDCANCEL);
                                       }
                                   },
                               .timeoutMs = kHangBoundMs});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, 0u);
    EXPECT_EQ(jrePathIn(app_.installation().iniPath()), serverFolder() + L"\\");
    EXPECT_EQ(jrePathIn(app_.installation().path(L"pair\\other.ini")), serverFolder() + L"\\");
    EXPECT_FALSE(exists(app_.installation().appData() + L"\\Acme"));
}

std::wstring probePath()
{
    wchar_t path[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"VELMAR_TEST_PAIR_PROBE", path, MAX_PATH);
    return path;
}

// A runtime of the other architecture is saved for both launchers, and the
// start is handed to the pair.
TEST_F(MissingRuntimeTest, AnOtherArchitecturePickGoesThroughThePair)
{
#ifdef _WIN64
    const WORD otherMachine = velmar::testing::kI386;
#else
    const WORD otherMachine = velmar::testing::kAmd64;
#endif
    Installation& installation = app_.installation();
    installation.writeFile(L"other-jre\\bin\\server\\jvm.dll", velmar::testing::peImage(otherMachine));
    installation.copyFile(probePath(), L"pair\\pair.exe");
    app_.writeIni({{L"Application", L"Pair Product", installation.path(L"pair\\pair.exe")},
                   {L"Application", L"Pair Return Code", L"yes"}});
    const std::wstring probeRecord = installation.path(L"probe.txt");
    StubRun result = app_.run({.arguments = L"doc.txt",
                               .environment = {{L"VELMAR_PROBE_RECORD", probeRecord},
                                               {L"VELMAR_PROBE_EXIT", L"7"}},
                               .onWindow =
                                   [&](HWND window, const WindowSeen& seen) {
                                       const bool picked =
                                           seen.caption == kMissingRuntimeCaption &&
                                           okAfterPicking(window, installation.path(L"other-jre")) == true;
                                       pressButton(window, picked ? IDOK : IDCANCEL);
                                   },
                               .timeoutMs = kHangBoundMs});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, 7u);
    EXPECT_TRUE(waitUntil([&] { return exists(probeRecord); }));
    EXPECT_EQ(jrePathIn(perUserIni()), installation.path(L"other-jre\\"));
    EXPECT_EQ(jrePathIn(perUserIni(L"pair.ini")), installation.path(L"other-jre\\"));
}

}  // namespace
}  // namespace velmar::e2e
