// A start writes no file but the configured output files (with the folders
// made for them) and, after the user picked a runtime, the per-user INI
// file: the file trees a start could touch are listed before and after it
// and compared. Watched: the installation folder (also the current
// directory), the installation's per-user application-data folder, %TEMP%,
// the user profile's own entries and its AppData tree.
#include "dialog_driver.h"
#include "stub_app.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

namespace velmar::e2e {
namespace {

constexpr DWORD kBoundMs = 90000;

struct EntryState {
    bool folder = false;
    ULONGLONG size = 0;
    ULONGLONG lastWrite = 0;

    bool operator==(const EntryState&) const = default;
};

// Full path, upper case (the file system ignores letter case) -> state.
using Snapshot = std::map<std::wstring, EntryState>;

std::wstring upper(std::wstring text)
{
    ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::wstring environmentValue(const wchar_t* name)
{
    std::wstring value(32767, L'\0');
    value.resize(::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
    return value;
}

// Links (the profile's Documents and the like may lead to the Unix home
// folder) are listed but not followed.
void addTree(Snapshot& snapshot, const std::wstring& folder, bool recursive)
{
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring_view name = found.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const std::wstring path = folder + L"\\" + found.cFileName;
        const bool isFolder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        EntryState state{isFolder};
        if (!isFolder) {
            state.size = (static_cast<ULONGLONG>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
            state.lastWrite = (static_cast<ULONGLONG>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                              found.ftLastWriteTime.dwLowDateTime;
        }
        snapshot[upper(path)] = state;
        if (isFolder && recursive && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
            addTree(snapshot, path, true);
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

std::wstring withoutTrailingSeparator(std::wstring path)
{
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) {
        path.pop_back();
    }
    return path;
}

Snapshot snapshotOf(const Installation& installation)
{
    Snapshot snapshot;
    const std::wstring profile = withoutTrailingSeparator(environmentValue(L"USERPROFILE"));
    if (!profile.empty()) {
        addTree(snapshot, profile, false);
        addTree(snapshot, profile + L"\\AppData", true);
    }
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    addTree(snapshot, withoutTrailingSeparator(temp), true);
    addTree(snapshot, installation.folder(), true);
    addTree(snapshot, installation.appData(), true);
    return snapshot;
}

// Every path that appeared, went or changed (a folder's own times change
// with its content and are not compared).
std::set<std::wstring> differences(const Snapshot& before, const Snapshot& after)
{
    std::set<std::wstring> changed;
    for (const auto& [path, state] : after) {
        auto earlier = before.find(path);
        if (earlier == before.end() || !(earlier->second == state)) {
            changed.insert(path);
        }
    }
    for (const auto& [path, state] : before) {
        if (!after.contains(path)) {
            changed.insert(path);
        }
    }
    return changed;
}

struct StrayCase {
    const char* name;
    // Sets the installation up and says how to run it; the files the start
    // may write, below the installation folder ("i:") or the per-user
    // application-data folder ("a:").
    std::function<RunOptions(StubApp& app)> prepare;
    std::vector<std::wstring> expected;
};

RunOptions outputFiles(StubApp& app)
{
    app.writeIni({{L"Application", L"Output File", app.installation().path(L"logs\\out.log")},
                  {L"Application", L"Error File", app.installation().path(L"logs\\errors\\err.log")},
                  {L"Java Runtime Environment", L"Virtual Machine Parameters",
                   L"-Dstub.out=hello -Dstub.err=oops"}});
    return {.arguments = L"-nosplash", .timeoutMs = kBoundMs};
}

RunOptions missingRuntime(StubApp& app, bool pick)
{
    app.writeIni({{L"Java Runtime Environment", L"JRE Path", std::nullopt},
                  {L"Product Information", L"Product Name", L"Acme"},
                  {L"Product Information", L"Product Code", L"X1"}});
    const std::wstring runtime = app.runtimeFolder();
    return {.arguments = L"-nosplash",
            .onWindow =
                [pick, runtime](HWND window, const WindowSeen& seen) {
                    if (pick && seen.caption == kMissingRuntimeCaption &&
                        pickFolder(window, kMissingRuntimeBrowseButton, runtime)) {
                        pressButton(window, IDOK);
                        return;
                    }
                    pressButton(window, IDCANCEL);
                },
            .timeoutMs = kBoundMs};
}

class StrayFileTest : public ::testing::TestWithParam<StrayCase> {};

TEST_P(StrayFileTest, OnlyTheExpectedFilesAreWritten)
{
    const StrayCase& c = GetParam();
    StubApp app;
    RunOptions options = c.prepare(app);
    app.saveIni();
    const Installation& installation = app.installation();
    const Snapshot before = snapshotOf(installation);
    ASSERT_TRUE(before.contains(upper(installation.iniPath()))) << "the watched trees hold the installation";

    // Run as StubApp::run does, without its rewrite of the INI file, which
    // is watched too.
    options.environment.emplace_back(L"VELMAR_STUB_RECORD", app.recordPath());
    const RunResult result = runLauncher(installation, std::move(options));

    ASSERT_FALSE(result.timedOut);
    std::set<std::wstring> written = differences(before, snapshotOf(installation));
    // The stub runtime's record is the test's own.
    written.erase(upper(app.recordPath()));
    std::set<std::wstring> expected;
    for (const std::wstring& entry : c.expected) {
        const std::wstring& root = entry.starts_with(L"i:") ? installation.folder() : installation.appData();
        expected.insert(upper(root + L"\\" + entry.substr(2)));
    }
    EXPECT_EQ(written, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Starts, StrayFileTest,
    ::testing::Values(
        StrayCase{"OutputFiles", outputFiles,
                  {L"i:logs", L"i:logs\\out.log", L"i:logs\\errors", L"i:logs\\errors\\err.log"}},
        StrayCase{"MissingRuntimeCancelled", [](StubApp& app) { return missingRuntime(app, false); }, {}},
        StrayCase{"MissingRuntimePicked", [](StubApp& app) { return missingRuntime(app, true); },
                  {L"a:Acme", L"a:Acme\\X1", L"a:Acme\\X1\\myapp.ini"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmar::e2e
