#include "jvm/class_path.h"

#include "support/file_system.h"

namespace velmar {

namespace {

// The text up to and including the last backslash; empty without one.
std::wstring_view folderPart(std::wstring_view path)
{
    size_t slash = path.rfind(L'\\');
    return slash == std::wstring_view::npos ? std::wstring_view() : path.substr(0, slash + 1);
}

// False when nothing matched.
bool appendMatches(const ClassPathSearch& search, std::wstring& classPath)
{
    // No sorting: the class path keeps the order the file system lists.
    WIN32_FIND_DATAW data{};
    UniqueFindHandle handle(::FindFirstFileW(longPathForm(search.pattern).c_str(), &data));
    if (!handle) {
        return false;
    }
    do {
        classPath.append(search.prefix).append(data.cFileName).push_back(L';');
    } while (::FindNextFileW(handle.get(), &data));
    return true;
}

}  // namespace

ClassPathEntryKind classifyClassPathEntry(std::wstring_view entry)
{
    if (entry.find(L'*') != std::wstring_view::npos) {
        return ClassPathEntryKind::Wildcard;
    }
    return isAbsolutePath(entry) ? ClassPathEntryKind::Absolute : ClassPathEntryKind::Relative;
}

ClassPathSearch classPathSearchFor(std::wstring_view entry, std::wstring_view launcherFolder)
{
    if (isAbsolutePath(entry)) {
        return {std::wstring(entry), std::wstring(folderPart(entry))};
    }
    std::wstring pattern = std::wstring(launcherFolder) + std::wstring(entry);
    return {pattern, std::wstring(launcherFolder) + std::wstring(folderPart(entry))};
}

BuiltClassPath buildClassPath(const std::vector<std::wstring>& entries, std::wstring_view launcherFolder)
{
    BuiltClassPath built;
    for (const std::wstring& entry : entries) {
        if (classifyClassPathEntry(entry) == ClassPathEntryKind::Absolute) {
            built.text.append(entry).push_back(L';');
            continue;
        }
        ClassPathSearch search = classPathSearchFor(entry, launcherFolder);
        if (!appendMatches(search, built.text)) {
            built.unmatched.push_back({entry, std::move(search.pattern)});
        }
    }
    return built;
}

}  // namespace velmar
