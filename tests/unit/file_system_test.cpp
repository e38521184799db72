#include "support/file_system.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace velmar {
namespace {

using testing::TempFolder;
using testing::writeUnicodeFileAt;
using List = std::vector<std::wstring>;

struct SplitCase {
    const wchar_t* path;
    List expected;
};

class SplitPathTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitPathTest, GivesRootThenComponents)
{
    EXPECT_EQ(splitPath(GetParam().path), GetParam().expected) << "path: " << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitPathTest,
    ::testing::Values(
        SplitCase{L"C:\\a\\b\\f.txt", {L"C:", L"a", L"b", L"f.txt"}},
        SplitCase{L"\\\\srv\\share\\d\\f.txt", {L"\\\\srv", L"share", L"d", L"f.txt"}},
        SplitCase{L"\\\\?\\C:\\a\\f", {L"\\\\?\\C:", L"a", L"f"}},
        SplitCase{L"C:\\a\\\\b", {L"C:", L"a", L"", L"b"}},
        SplitCase{L"\\a\\b", {L"a", L"b"}},
        SplitCase{L"C:\\a\\", {L"C:", L"a"}},
        SplitCase{L"C:/a/b", {L"C:/a/b"}},
        SplitCase{L"", {}}));

TEST(PathKindsTest, TellsLongUncAndAbsolutePaths)
{
    EXPECT_TRUE(hasLongPathPrefix(L"\\\\?\\C:\\x"));
    EXPECT_FALSE(hasLongPathPrefix(L"\\\\srv\\x"));
    EXPECT_TRUE(isUncPath(L"\\\\srv"));
    EXPECT_FALSE(isUncPath(L"\\\\"));
    EXPECT_FALSE(isUncPath(L"\\\\?\\C:\\x"));
    EXPECT_TRUE(isAbsolutePath(L"C:x"));
    EXPECT_TRUE(isAbsolutePath(L"\\\\srv\\share"));
    EXPECT_FALSE(isAbsolutePath(L"\\lib\\a.jar"));
    EXPECT_FALSE(isAbsolutePath(L"C"));
}

TEST(FindFirstTest, YieldsTheFolderOfTheMatch)
{
    TempFolder folder;
    writeUnicodeFileAt(folder / L"app.ini", L"");
    FindFileState state;
    ASSERT_TRUE(state.findFirst(folder / L"app.ini"));
    EXPECT_EQ(state.root(), folder.path());
    EXPECT_STREQ(state.data().cFileName, L"app.ini");
    EXPECT_TRUE(state.found());
    EXPECT_FALSE(state.findFirst(folder / L"missing.ini"));
    EXPECT_FALSE(state.found());
}

// A chain of folders inside `folder` whose path is over 300 characters
// long; empty when one could not be made.
std::wstring makeDeepFolder(const TempFolder& folder)
{
    std::wstring path = folder.path();
    while (path.size() < 300) {
        path += L"\\" + std::wstring(40, L'd');
        if (!::CreateDirectoryW((L"\\\\?\\" + path).c_str(), nullptr)) {
            return {};
        }
    }
    return path;
}

TEST(FindFirstTest, FindsPathsOfMoreThan260Characters)
{
    TempFolder folder;
    const std::wstring path = makeDeepFolder(folder);
    ASSERT_FALSE(path.empty());
    std::wstring file = path + L"\\x.txt";
    writeUnicodeFileAt(L"\\\\?\\" + file, L"");
    FindFileState state;
    EXPECT_TRUE(state.findFirst(file));
    EXPECT_TRUE(state.findFirst(L"\\\\?\\" + file));
    testing::removeTree(L"\\\\?\\" + folder.path() + L"\\" + std::wstring(40, L'd'));
}

// GetShortPathNameW held to its documentation, which Wine does not
// enforce: without the long-path prefix a path has fewer than MAX_PATH
// characters.
DWORD WINAPI documentedGetShortPathNameW(LPCWSTR path, LPWSTR buffer, DWORD size)
{
    if (std::wstring_view(path).size() >= MAX_PATH && !hasLongPathPrefix(path)) {
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    return ::GetShortPathNameW(path, buffer, size);
}

TEST(ShortPathOfTest, FindsPathsOfMoreThan260Characters)
{
    TempFolder folder;
    const std::wstring path = makeDeepFolder(folder);
    ASSERT_FALSE(path.empty());
    const std::wstring shortForm = shortPathOf(path, documentedGetShortPathNameW);
    EXPECT_FALSE(shortForm.empty());
    EXPECT_LT(shortForm.size(), path.size());
    EXPECT_FALSE(hasLongPathPrefix(shortForm)) << shortForm;
    const std::wstring prefixed = shortPathOf(L"\\\\?\\" + path, documentedGetShortPathNameW);
    EXPECT_EQ(prefixed, L"\\\\?\\" + shortForm) << "a prefix given is kept";
    testing::removeTree(L"\\\\?\\" + folder.path() + L"\\" + std::wstring(40, L'd'));
}

// Results no sound call gives: a size that is never enough, and a length
// that leaves no room for the terminator.
DWORD WINAPI neverEnough(LPCWSTR, LPWSTR, DWORD size)
{
    return size + 1;
}

DWORD WINAPI fillsWithoutTerminator(LPCWSTR, LPWSTR buffer, DWORD size)
{
    if (buffer != nullptr) {
        std::fill_n(buffer, size, L'x');
    }
    return size == 0 ? 8 : size;
}

TEST(ShortPathOfTest, GivesNothingWhenTheSystemGivesNoSoundResult)
{
    EXPECT_EQ(shortPathOf(L"C:\\x", neverEnough), L"");
    EXPECT_EQ(shortPathOf(L"C:\\x", fillsWithoutTerminator), L"");
    TempFolder folder;
    EXPECT_EQ(shortPathOf(folder / L"missing\\x.jar"), L"");
}

TEST(CreateFileDirectoriesTest, CreatesEveryFolderButTheFile)
{
    TempFolder folder;
    std::wstring file = folder / L"x\\y\\z\\out.log";
    EXPECT_EQ(createFileDirectories(file), 0u);
    EXPECT_TRUE(pathExists(folder / L"x\\y\\z"));
    EXPECT_FALSE(pathExists(file));
    EXPECT_EQ(createFileDirectories(file), 0u) << "existing folders are no failure";
}

TEST(CreateFileDirectoriesTest, TakesTheFirstComponentOfARelativePathAsRoot)
{
    TempFolder folder;
    wchar_t previous[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ::SetCurrentDirectoryW(folder.path().c_str());
    EXPECT_EQ(createFileDirectories(L"logs\\out.log"), 0u);
    EXPECT_EQ(::GetFileAttributesW((folder / L"logs").c_str()), INVALID_FILE_ATTRIBUTES);
    ::SetCurrentDirectoryW(previous);
}

TEST(CreateFileDirectoriesTest, StopsAtAFileInTheWayAndRemovesTheParentItMade)
{
    TempFolder folder;
    ASSERT_TRUE(::CreateDirectoryW((folder / L"a").c_str(), nullptr));
    writeUnicodeFileAt(folder / L"a\\b", L"");
    // a\b is a file: b\c cannot be made below it.
    EXPECT_NE(createFileDirectories(folder / L"a\\b\\c\\out.log"), 0u);
    EXPECT_TRUE(pathExists(folder / L"a")) << "a folder it did not make stays";

    // "n" is made by the call, then the invalid name below it fails.
    EXPECT_NE(createFileDirectories(folder / L"n\\bad?name\\c\\out.log"), 0u);
    EXPECT_FALSE(pathExists(folder / L"n"));
}

TEST(PathExistsTest, RelativePathsNeverExist)
{
    TempFolder folder;
    writeUnicodeFileAt(folder / L"here.txt", L"");
    wchar_t previous[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ::SetCurrentDirectoryW(folder.path().c_str());
    EXPECT_FALSE(pathExists(L"here.txt"));
    ::SetCurrentDirectoryW(previous);
    EXPECT_TRUE(pathExists(folder / L"here.txt"));
    PathInfo info;
    EXPECT_EQ(queryPathInfo(L"", info), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(queryPathInfo(L"here.txt", info), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST(EntryFoundTest, AnyEntryMatchingThePatternAsWritten)
{
    TempFolder folder;
    writeUnicodeFileAt(folder / L"lib\\a.jar", L"");
    const std::pair<std::wstring, bool> cases[] = {
        {folder / L"lib\\a.jar", true},
        {folder / L"lib", true},  // a folder counts like a file
        {folder / L"lib\\*.jar", true},
        {folder / L"lib\\b.jar", false},
        {folder / L"missing\\a.jar", false},
        {L"", false},
    };
    for (const auto& [pattern, found] : cases) {
        EXPECT_EQ(entryFound(pattern), found) << ::testing::PrintToString(pattern);
    }
    wchar_t previous[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ::SetCurrentDirectoryW(folder.path().c_str());
    EXPECT_TRUE(entryFound(L"lib\\a.jar")) << "relative to the current directory";
    ::SetCurrentDirectoryW(previous);
}

// A folder counts as missing only when the system says so: then no search
// below it can find anything. Anything else must leave the searches to run.
TEST(FolderMissingTest, OnlyWhatTheSystemReportsAsNotFound)
{
    TempFolder folder;
    writeUnicodeFileAt(folder / L"rt\\bin\\server\\jvm.dll", L"");
    const std::pair<std::wstring, bool> cases[] = {
        {folder / L"rt\\", false},
        {folder / L"rt", false},
        {folder / L"rt\\bin\\server\\jvm.dll", false},  // a file is no proof of absence
        {folder / L"gone\\", true},
        {folder / L"gone\\jre\\", true},
        {folder / L"r*\\", false},  // wildcards: the search decides
        {L"", false},  // the current directory
    };
    for (const auto& [path, missing] : cases) {
        EXPECT_EQ(folderMissing(path), missing) << ::testing::PrintToString(path);
        if (missing) {
            EXPECT_FALSE(entryFound(path + L"bin\\server\\jvm.dll")) << "no search may find what a missing folder holds";
        }
    }
}

// `piece`, `count` times over.
std::wstring repeated(std::wstring_view piece, size_t count)
{
    std::wstring text;
    for (size_t i = 0; i < count; ++i) {
        text += piece;
    }
    return text;
}

struct StampCase {
    const char* label;
    std::wstring name;
    std::wstring expected;
    WORD hour = 14;
    WORD month = 3;

    friend void PrintTo(const StampCase& c, std::ostream* out) { *out << c.label; }
};

class ExpandTimestampTest : public ::testing::TestWithParam<StampCase> {};

TEST_P(ExpandTimestampTest, FormatsThePictureBetweenTheFirstAndLastPercent)
{
    SYSTEMTIME time{};
    time.wYear = 2024;
    time.wMonth = GetParam().month;
    time.wDay = 5;
    time.wHour = GetParam().hour;
    time.wMinute = 5;
    time.wSecond = 9;
    time.wMilliseconds = 45;
    std::wstring name = GetParam().name;
    expandTimestamp(name, time);
    EXPECT_EQ(name, GetParam().expected);
}

// The formatters write at most 260 characters; a longer text is a failure
// of the formatter, and a failed formatter leaves the name as it was. The
// long pictures stay below 280 characters: Wine 8's formatters truncate a
// date text at 255 characters and crash on pictures of about 300.
INSTANTIATE_TEST_SUITE_P(
    Cases, ExpandTimestampTest,
    ::testing::Values(
        StampCase{"date", L"out_%yyyyMMdd%.log", L"out_20240305.log"},
        StampCase{"milliseconds", L"run-%HH.mm.ss.L%.txt", L"run-14.05.09.45.txt"},
        StampCase{"date and time", L"C:\\logs\\app_%yyyyMMdd_HHmmss%.log",
                  L"C:\\logs\\app_20240305_140509.log"},
        StampCase{"no percent", L"plain.log", L"plain.log"},
        StampCase{"long picture that fits", L"a%" + repeated(L"yyyyMMdd-", 28) + L"%z",
                  L"a" + repeated(L"20240305-", 28) + L"z"},
        StampCase{"time text longer than 260", L"a%" + repeated(L"yyyyMMdd-", 29) + L"%z",
                  L"a%" + repeated(L"yyyyMMdd-", 29) + L"%z"},
        StampCase{"time formatter fails", L"out_%HH%.log", L"out_%HH%.log", 25},
        StampCase{"date formatter fails", L"out_%yyyy%.log", L"out_%yyyy%.log", 14, 13}),
    [](const auto& info) {
        std::string name = info.param.label;
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

}  // namespace
}  // namespace velmar
