// File-system helpers on wide paths: a find-first search that also yields
// the folder of its match, creation of the folders of a file path, path
// splitting with long-path and network-path handling, existence queries and
// the expansion of a time-stamp pattern in a file name. None shows a
// message; results carry the failure.
#pragma once

#include "support/handles.h"

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmar {

inline constexpr std::wstring_view kLongPathPrefix = L"\\\\?\\";
inline constexpr size_t kLongPathThreshold = 260;

// The path with the long-path prefix in front ("\\?\UNC\" for a network
// path) when it has `threshold` characters or more and no prefix yet;
// shorter paths unchanged. Any other path is prefixed as it stands, a
// relative one too: the caller knows it is full (longPathForm below leaves
// the paths the prefix would change the meaning of as written).
std::wstring withLongPathPrefix(std::wstring_view path, size_t threshold = kLongPathThreshold);

// CreateDirectoryW takes a folder path without the long-path prefix only
// while there is room left for an 8.3 file name in it: MAX_PATH less 12.
inline constexpr size_t kFolderPathThreshold = 248;

// The path in the form the file functions take at any length: with the
// long-path prefix ("\\?\UNC\" for a network path) once it has `threshold`
// characters or more. Paths the prefix would change the meaning of
// (relative ones, forward slashes, doubled separators, "." or ".."
// components) stay as written.
std::wstring longPathForm(std::wstring_view path, size_t threshold = kLongPathThreshold);

// The folder path in the form CreateDirectoryW takes at any length: its
// long form from 248 characters.
std::wstring folderPathForCreation(std::wstring_view path);

// The signature of GetModuleFileNameW, so that a test can truncate as the
// system does.
using ModuleFileFunction = DWORD(WINAPI*)(HMODULE, LPWSTR, DWORD);

// The whole path of a module: the buffer grows from 260 characters until
// the path fits, up to 32,768. nullopt with `error` set when the system
// gives no path or the path is longer still.
std::optional<std::wstring> moduleFilePath(HMODULE module, DWORD& error,
                                           ModuleFileFunction query = ::GetModuleFileNameW);

// Whether FindFirstFileW finds an entry for the pattern, given in its long
// form (longPathForm); any entry counts, whatever its attributes. The
// search is closed again; when nothing is found the last error is the
// search's.
bool entryFound(std::wstring_view pattern);

// Whether the system says that the folder (in its long form) does not exist:
// then no search finds anything below it. Any other failure (access
// denied, a name with wildcards) proves nothing and gives false.
bool folderMissing(std::wstring_view folder);

// One find-first search. Destroying the state closes an open search.
class FindFileState {
public:
    // Starts a new search ("*.*" without a pattern); true when an entry
    // matches. On success root() is the folder holding the matches.
    bool findFirst(std::optional<std::wstring_view> pattern = std::nullopt);
    bool findNext();

    const WIN32_FIND_DATAW& data() const noexcept { return data_; }
    bool found() const noexcept { return found_; }
    const std::wstring& root() const noexcept { return root_; }

private:
    WIN32_FIND_DATAW data_{};
    UniqueFindHandle search_;
    bool found_ = false;
    std::wstring root_;
};

// The full path as the system resolves it against the current directory.
std::optional<std::wstring> fullPathOf(std::wstring_view path);

bool hasLongPathPrefix(std::wstring_view path);
// More than two characters, two leading backslashes, and no "?" third.
bool isUncPath(std::wstring_view path);
// Two leading backslashes, or ":" as the second character.
bool isAbsolutePath(std::wstring_view path);

// A path from the INI file: an absolute one as written; any other below the
// launcher's folder (leading "\" included, as "Class Path" reads
// "\lib\*.jar"), with "." and ".." resolved, so that what the launcher
// starts or loads does not depend on the current directory.
std::wstring launcherRelativePath(std::wstring_view setting, std::wstring_view launcherFolder);

// The signature of GetShortPathNameW. Wine finds paths of any length
// without the long-path prefix, so a test can put a stricter function in
// its place.
using ShortPathFunction = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);

// The short (8.3) form of an existing path, as GetShortPathNameW gives it:
// each component that has a short name is replaced by it. Empty when the
// system gives none. A path of 260 characters or more is looked up with
// the long-path prefix, which the result then does not carry unless the
// path did.
std::wstring shortPathOf(std::wstring_view path, ShortPathFunction query = ::GetShortPathNameW);

// Root first, then the components. Forward slashes do not separate.
std::vector<std::wstring> splitPath(std::wstring_view path);

// Creates every folder of a file path between its root and its file name.
// Returns 0 or a Windows error code.
// Each folder goes to `createFolder` in the form of folderPathForCreation.
using CreateFolderFunction = BOOL(WINAPI*)(LPCWSTR, LPSECURITY_ATTRIBUTES);
DWORD createFileDirectories(std::wstring_view filePath,
                            CreateFolderFunction createFolder = ::CreateDirectoryW);

struct PathInfo {
    uint64_t lastWriteTime = 0;
    DWORD sizeLow = 0;
};
// 0 or a Windows error code; relative paths give ERROR_PATH_NOT_FOUND.
DWORD queryPathInfo(std::wstring_view path, PathInfo& info);
// queryPathInfo would succeed: an absolute path that find-first finds.
bool pathExists(std::wstring_view path);
bool removeFolder(std::wstring_view path);

// The signature of GetTimeFormatW and GetDateFormatW, so that the parsers'
// native build can put formatters of its own in their place.
using StampFormatter = int(WINAPI*)(LCID, DWORD, const SYSTEMTIME*, LPCWSTR, LPWSTR, int);

// Replaces the text from the first to the last "%" by the time formatted
// with the picture between them ("L" stands for the milliseconds). The name
// stays as it is when either formatter fails or its text would exceed 260
// characters.
void expandTimestamp(std::wstring& name, const SYSTEMTIME& time,
                     StampFormatter formatTime = ::GetTimeFormatW,
                     StampFormatter formatDate = ::GetDateFormatW);

}  // namespace velmar
