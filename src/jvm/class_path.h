// The class path of "Class Path": entries written as absolute paths are
// taken as they are; wildcard and relative entries are looked up in the
// file system, relative ones below the launcher's folder.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmar {

enum class ClassPathEntryKind { Wildcard, Absolute, Relative };

// "*" anywhere makes a wildcard; otherwise a drive colon in second place or
// two leading backslashes make it absolute; everything else is relative.
ClassPathEntryKind classifyClassPathEntry(std::wstring_view entry);

struct ClassPathSearch {
    std::wstring pattern;  // given to FindFirstFileW
    std::wstring prefix;   // put before each name found
};

// Where a wildcard or relative entry is looked for. The entry is appended
// to the launcher folder as written, so relative entries start with "\".
ClassPathSearch classPathSearchFor(std::wstring_view entry, std::wstring_view launcherFolder);

// An entry that found no file, and the pattern it was looked for as.
struct UnmatchedEntry {
    std::wstring entry;
    std::wstring pattern;

    bool operator==(const UnmatchedEntry&) const = default;
};

struct BuiltClassPath {
    std::wstring text;
    std::vector<UnmatchedEntry> unmatched;
};

// The class path of the given (already expanded) entries, each followed by
// ";". Wildcard and relative entries list what the file system finds, in
// its order; an entry that finds nothing adds nothing and is listed as
// unmatched, so that the packager can be told which one it was.
BuiltClassPath buildClassPath(const std::vector<std::wstring>& entries, std::wstring_view launcherFolder);

}  // namespace velmar
