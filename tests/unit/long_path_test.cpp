// Paths past 260 characters go to the system in the form the Win32
// documentation says it takes without the system-wide long-path setting;
// Wine takes them in any form, so these tests hold the rule, not Wine.
#include "support/file_system.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmar {
namespace {

std::wstring repeated(size_t count, wchar_t c = L'a') { return std::wstring(count, c); }

struct FolderFormCase {
    const char* name;
    std::wstring path;
    std::wstring expected;
};

const std::wstring kDeep = L"C:\\" + repeated(200) + L"\\" + repeated(43, L'b');  // 247
const std::wstring kDeeper = kDeep + L"c";                                           // 248
const std::wstring kUncDeep = L"\\\\srv\\share\\" + repeated(236);                   // 248

TEST(FolderPathForCreationTest, PrefixesFromTheFolderLimitOfCreateDirectory)
{
    ASSERT_EQ(kDeep.size(), 247u);
    ASSERT_EQ(kUncDeep.size(), 248u);
    const std::vector<FolderFormCase> cases = {
        {"short path unchanged", L"C:\\logs", L"C:\\logs"},
        {"247 characters unchanged", kDeep, kDeep},
        {"248 characters prefixed", kDeeper, L"\\\\?\\" + kDeeper},
        {"already prefixed kept", L"\\\\?\\" + kDeeper, L"\\\\?\\" + kDeeper},
        {"network path takes the UNC form", kUncDeep, L"\\\\?\\UNC\\srv\\share\\" + repeated(236)},
        {"relative path cannot take it", repeated(300), repeated(300)},
        {"forward slash would stop being a separator", kDeeper + L"/d", kDeeper + L"/d"},
        {"dot component would stop being resolved", kDeeper + L"\\..\\d", kDeeper + L"\\..\\d"},
        {"rooted without a drive cannot take it", L"\\" + repeated(300), L"\\" + repeated(300)},
    };
    for (const FolderFormCase& c : cases) {
        EXPECT_EQ(folderPathForCreation(c.path), c.expected) << c.name;
    }
}

TEST(WithLongPathPrefixTest, GivesTheFormTheSystemFindsFrom260Characters)
{
    const std::wstring drive259 = L"C:\\" + repeated(256);
    const std::wstring network = L"\\\\srv\\share\\" + repeated(260);
    const std::vector<FolderFormCase> cases = {
        {"259 characters unchanged", drive259, drive259},
        {"260 characters prefixed", drive259 + L"x", L"\\\\?\\" + drive259 + L"x"},
        {"already prefixed kept", L"\\\\?\\" + drive259 + L"x", L"\\\\?\\" + drive259 + L"x"},
        {"network path takes the UNC form", network, L"\\\\?\\UNC\\srv\\share\\" + repeated(260)},
        {"relative path prefixed as it stands", repeated(300), L"\\\\?\\" + repeated(300)},
    };
    for (const FolderFormCase& c : cases) {
        EXPECT_EQ(withLongPathPrefix(c.path), c.expected) << c.name;
    }
}

TEST(LongPathFormTest, PrefixesOnlyPathsTheSystemNeedNotParse)
{
    const std::wstring deep = L"C:\\app\\" + repeated(250);  // 257
    const std::vector<FolderFormCase> cases = {
        {"short pattern unchanged", L"C:\\app\\lib\\*.jar", L"C:\\app\\lib\\*.jar"},
        {"259 characters unchanged", deep + L"\\x", deep + L"\\x"},
        {"a wildcard pattern of 260 prefixed", deep + L"\\*j", L"\\\\?\\" + deep + L"\\*j"},
        {"doubled separator would stop being one", L"C:\\app\\\\" + repeated(260),
         L"C:\\app\\\\" + repeated(260)},
        {"dot component kept for the system to resolve", deep + L"\\.\\x", deep + L"\\.\\x"},
    };
    for (const FolderFormCase& c : cases) {
        EXPECT_EQ(longPathForm(c.path), c.expected) << c.name;
    }
}

// CreateDirectoryW as the documentation states it for a system without
// the long-path setting: an unprefixed path of 248 characters or more
// fails. Records what it was asked; creates nothing.
std::vector<std::wstring> strictCalls;
BOOL WINAPI strictCreateDirectory(LPCWSTR path, LPSECURITY_ATTRIBUTES)
{
    strictCalls.emplace_back(path);
    const std::wstring_view text(path);
    if (text.size() >= 248 && !text.starts_with(L"\\\\?\\")) {
        ::SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return FALSE;
    }
    return TRUE;
}

TEST(CreateFileDirectoriesTest, GivesEveryFolderPastTheLimitWithThePrefix)
{
    const std::wstring top = L"C:\\velmar-missing-" + repeated(180);
    const std::wstring file = top + L"\\" + repeated(60, L'm') + L"\\" + repeated(60, L'n') + L"\\out.log";
    strictCalls.clear();
    EXPECT_EQ(createFileDirectories(file, strictCreateDirectory), 0u);
    const std::vector<std::wstring> expected = {
        top,
        L"\\\\?\\" + top + L"\\" + repeated(60, L'm'),
        L"\\\\?\\" + top + L"\\" + repeated(60, L'm') + L"\\" + repeated(60, L'n'),
    };
    EXPECT_EQ(strictCalls, expected);
}

// GetModuleFileNameW as documented: the path cut to the buffer, which it
// fills, then ERROR_INSUFFICIENT_BUFFER; older systems leave the cut text
// unterminated.
std::wstring fakeModulePath;
bool fakeTerminates = true;
DWORD fakeFailure = 0;
DWORD WINAPI fakeModuleFileName(HMODULE, LPWSTR buffer, DWORD size)
{
    if (fakeFailure != 0) {
        ::SetLastError(fakeFailure);
        return 0;
    }
    if (fakeModulePath.size() < size) {
        fakeModulePath.copy(buffer, fakeModulePath.size());
        buffer[fakeModulePath.size()] = L'\0';
        return static_cast<DWORD>(fakeModulePath.size());
    }
    const size_t kept = fakeTerminates ? size - 1 : size;
    fakeModulePath.copy(buffer, kept);
    if (fakeTerminates) {
        buffer[size - 1] = L'\0';
    }
    ::SetLastError(fakeTerminates ? ERROR_INSUFFICIENT_BUFFER : ERROR_SUCCESS);
    return size;
}

struct ModulePathCase {
    const char* name;
    size_t length;
    bool terminates;
    DWORD failure;
    bool found;
    DWORD error;
};

TEST(ModuleFilePathTest, GrowsTheBufferUntilTheWholePathFits)
{
    const std::vector<ModulePathCase> cases = {
        {"short", 30, true, 0, true, 0},
        {"259 fits the first buffer", 259, true, 0, true, 0},
        {"260 needs a larger one", 260, true, 0, true, 0},
        {"cut without terminator", 700, false, 0, true, 0},
        {"longest path", 32767, true, 0, true, 0},
        {"longer than any path", 32768, true, 0, false, ERROR_INSUFFICIENT_BUFFER},
        {"system failure passed on", 30, true, ERROR_ACCESS_DENIED, false, ERROR_ACCESS_DENIED},
    };
    for (const ModulePathCase& c : cases) {
        fakeModulePath = L"C:\\" + repeated(c.length - 9) + L"\\a.exe";
        ASSERT_EQ(fakeModulePath.size(), c.length) << c.name;
        fakeTerminates = c.terminates;
        fakeFailure = c.failure;
        DWORD error = 0;
        std::optional<std::wstring> path = moduleFilePath(nullptr, error, fakeModuleFileName);
        EXPECT_EQ(path.has_value(), c.found) << c.name;
        if (c.found && path) {
            EXPECT_EQ(*path, fakeModulePath) << c.name;
        } else {
            EXPECT_EQ(error, c.error) << c.name;
        }
    }
}

}  // namespace
}  // namespace velmar
