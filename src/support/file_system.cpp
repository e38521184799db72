#include "support/file_system.h"

#include "support/text.h"

#include <algorithm>

namespace velmar {

namespace {

constexpr std::wstring_view kUncLongPathPrefix = L"\\\\?\\UNC\\";

}  // namespace

std::wstring withLongPathPrefix(std::wstring_view path, size_t threshold)
{
    if (path.size() < threshold || hasLongPathPrefix(path)) {
        return std::wstring(path);
    }
    // "\\?\" before "\\server" would name no server at all.
    if (isUncPath(path)) {
        return std::wstring(kUncLongPathPrefix) + std::wstring(path.substr(2));
    }
    return std::wstring(kLongPathPrefix) + std::wstring(path);
}

bool entryFound(std::wstring_view pattern)
{
    WIN32_FIND_DATAW data{};
    UniqueFindHandle search(::FindFirstFileW(longPathForm(pattern).c_str(), &data));
    return static_cast<bool>(search);
}

bool folderMissing(std::wstring_view folder)
{
    // Searches below an empty folder start in the current directory.
    if (folder.empty() || ::GetFileAttributesW(longPathForm(folder).c_str()) != INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

namespace {

// withLongPathPrefix for the two kinds of full path the prefix keeps the
// meaning of, a drive path ("C:\...") and a network path; other paths stay.
std::wstring withPrefixForLength(std::wstring_view path, size_t threshold = kLongPathThreshold)
{
    const bool drivePath = path.size() > 2 && path[1] == L':' && path[2] == L'\\';
    return drivePath || isUncPath(path) ? withLongPathPrefix(path, threshold) : std::wstring(path);
}

// The prefix turns off the system's own path parsing, so only a path that
// needs none may take it: no "/", no doubled separator after a network
// path's leading pair, no "." or ".." component.
bool parsesAsWritten(std::wstring_view path)
{
    if (path.find(L'/') != std::wstring_view::npos || path.find(L"\\\\", 1) != std::wstring_view::npos) {
        return false;
    }
    for (size_t start = 0; start <= path.size();) {
        size_t end = std::min(path.find(L'\\', start), path.size());
        std::wstring_view part = path.substr(start, end - start);
        if (part == L"." || part == L"..") {
            return false;
        }
        start = end + 1;
    }
    return true;
}

// Undoes withPrefixForLength on a path the system returned.
std::wstring withoutAddedPrefix(std::wstring path, std::wstring_view original)
{
    if (hasLongPathPrefix(original)) {
        return path;
    }
    if (path.starts_with(kUncLongPathPrefix)) {
        return L"\\\\" + path.substr(kUncLongPathPrefix.size());
    }
    if (hasLongPathPrefix(path)) {
        return path.substr(kLongPathPrefix.size());
    }
    return path;
}

// The picture formatted into at most kStampCapacity characters, the
// terminator included; nullopt when the formatter fails, for instance
// because the text would be longer. The buffer is read only as far as the
// formatter says it wrote.
std::optional<std::wstring> formatStamp(StampFormatter format, const SYSTEMTIME& time,
                                        const std::wstring& picture)
{
    constexpr int kStampCapacity = 260;
    wchar_t text[kStampCapacity];
    int written = format(LOCALE_USER_DEFAULT, 0, &time, picture.c_str(), text, kStampCapacity);
    if (written <= 0 || written > kStampCapacity) {
        return std::nullopt;
    }
    return std::wstring(text, static_cast<size_t>(written - 1));
}

}  // namespace

std::wstring longPathForm(std::wstring_view path, size_t threshold)
{
    return parsesAsWritten(path) ? withPrefixForLength(path, threshold) : std::wstring(path);
}

std::wstring folderPathForCreation(std::wstring_view path)
{
    return longPathForm(path, kFolderPathThreshold);
}

std::optional<std::wstring> moduleFilePath(HMODULE module, DWORD& error, ModuleFileFunction query)
{
    // A cut path fills the whole buffer (terminated or not, by the
    // system's age) and then the buffer is too small, whatever the last
    // error says.
    constexpr DWORD kFirstSize = 260;
    constexpr DWORD kLargestSize = 32768;
    for (DWORD size = kFirstSize;; size = std::min(size * 2, kLargestSize)) {
        std::wstring buffer(size, L'\0');
        ::SetLastError(ERROR_SUCCESS);
        const DWORD length = query(module, buffer.data(), size);
        if (length == 0) {
            error = ::GetLastError();
            return std::nullopt;
        }
        if (length < size) {
            buffer.resize(length);
            return buffer;
        }
        if (size >= kLargestSize) {
            error = ERROR_INSUFFICIENT_BUFFER;
            return std::nullopt;
        }
    }
}

bool FindFileState::findFirst(std::optional<std::wstring_view> pattern)
{
    search_.reset();
    found_ = false;
    root_.clear();

    std::wstring searchPattern = withLongPathPrefix(pattern.value_or(L"*.*"));
    search_.reset(::FindFirstFileW(searchPattern.c_str(), &data_));
    if (!search_) {
        return false;
    }
    std::optional<std::wstring> full = fullPathOf(searchPattern);
    if (!full) {
        search_.reset();
        ::SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    size_t separator = full->find_last_of(L"\\/");
    root_ = separator == std::wstring::npos ? *full : full->substr(0, separator);
    found_ = true;
    return true;
}

bool FindFileState::findNext()
{
    found_ = search_ && ::FindNextFileW(search_.get(), &data_);
    return found_;
}

std::optional<std::wstring> fullPathOf(std::wstring_view relative)
{
    const std::wstring path(relative);
    DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        return std::nullopt;
    }
    std::wstring full(size, L'\0');
    DWORD length = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) {
        return std::nullopt;
    }
    full.resize(length);
    return full;
}

std::wstring shortPathOf(std::wstring_view path, ShortPathFunction query)
{
    const std::wstring prefixed = withPrefixForLength(path);
    // The first call gives the size the result needs, its terminator
    // included; each later one the length written, or a larger size again
    // when the path was renamed in between. A few rounds are enough.
    std::wstring buffer;
    DWORD result = query(prefixed.c_str(), nullptr, 0);
    for (int round = 0; round < 4 && result > buffer.size(); ++round) {
        buffer.resize(result);
        result = query(prefixed.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    }
    if (result == 0 || result >= buffer.size()) {
        return {};
    }
    buffer.resize(result);
    return withoutAddedPrefix(std::move(buffer), path);
}

bool hasLongPathPrefix(std::wstring_view path)
{
    return path.substr(0, kLongPathPrefix.size()) == kLongPathPrefix;
}

bool isUncPath(std::wstring_view path)
{
    return path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?';
}

bool isAbsolutePath(std::wstring_view path)
{
    return path.size() >= 2 && ((path[0] == L'\\' && path[1] == L'\\') || path[1] == L':');
}

std::wstring launcherRelativePath(std::wstring_view setting, std::wstring_view launcherFolder)
{
    if (isAbsolutePath(setting) || launcherFolder.empty()) {
        return std::wstring(setting);
    }
    while (setting.starts_with(L'\\')) {
        setting.remove_prefix(1);
    }
    const std::wstring joined = std::wstring(launcherFolder) + std::wstring(setting);
    return fullPathOf(joined).value_or(joined);
}

std::vector<std::wstring> splitPath(std::wstring_view path)
{
    std::wstring root;
    std::wstring_view rest = path;
    if (hasLongPathPrefix(rest)) {
        rest.remove_prefix(kLongPathPrefix.size());
        root = kLongPathPrefix;
    }
    size_t k = rest.find(L'\\', isUncPath(rest) ? 2 : 0);
    if (k == std::wstring_view::npos) {
        k = rest.size();
    }
    root.append(rest.substr(0, k));
    rest.remove_prefix(std::min(k + 1, rest.size()));

    std::vector<std::wstring> parts;
    if (!root.empty()) {
        parts.push_back(root);
    }
    while (!rest.empty()) {
        size_t slash = rest.find(L'\\');
        if (slash == std::wstring_view::npos) {
            parts.emplace_back(rest);
            break;
        }
        parts.emplace_back(rest.substr(0, slash));
        rest.remove_prefix(slash + 1);
    }
    return parts;
}

DWORD createFileDirectories(std::wstring_view filePath, CreateFolderFunction createFolder)
{
    if (pathExists(filePath)) {
        return 0;
    }
    const bool network = isUncPath(filePath);
    std::vector<std::wstring> parts = splitPath(filePath);
    if (parts.empty()) {
        return 0;
    }
    std::wstring built = parts.front();
    bool createdBuilt = false;
    DWORD error = 0;
    for (size_t i = 1; i + 1 < parts.size(); ++i) {
        std::wstring candidate = built + L"\\" + parts[i];
        if (createFolder(folderPathForCreation(candidate).c_str(), nullptr)) {
            createdBuilt = true;
        } else {
            error = ::GetLastError();
            if (error != ERROR_ALREADY_EXISTS && !network) {
                // Leave no half-made folder behind that only this call made.
                if (i > 1 && createdBuilt) {
                    removeFolder(built);
                }
                break;
            }
            createdBuilt = false;
        }
        built = std::move(candidate);
    }
    return (error == 0 || error == ERROR_ALREADY_EXISTS) ? 0 : error;
}

DWORD queryPathInfo(std::wstring_view path, PathInfo& info)
{
    if (path.empty()) {
        return ERROR_INVALID_PARAMETER;
    }
    if (!isAbsolutePath(path)) {
        return ERROR_PATH_NOT_FOUND;
    }
    WIN32_FIND_DATAW data{};
    UniqueFindHandle search(::FindFirstFileW(std::wstring(path).c_str(), &data));
    if (!search) {
        return ::GetLastError();
    }
    info.lastWriteTime = (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                         data.ftLastWriteTime.dwLowDateTime;
    info.sizeLow = data.nFileSizeLow;
    return 0;
}

bool pathExists(std::wstring_view path)
{
    return isAbsolutePath(path) && entryFound(path);
}

bool removeFolder(std::wstring_view path)
{
    return ::RemoveDirectoryW(withLongPathPrefix(path).c_str()) != FALSE;
}

void expandTimestamp(std::wstring& name, const SYSTEMTIME& time, StampFormatter formatTime,
                     StampFormatter formatDate)
{
    size_t first = name.find(L'%');
    if (first == std::wstring::npos) {
        return;
    }
    size_t last = name.rfind(L'%');
    std::wstring picture = last > first ? name.substr(first + 1, last - first - 1) : std::wstring();
    if (picture.find(L'L') != std::wstring::npos) {
        std::wstring millis = decimalText(time.wMilliseconds);
        for (size_t at = picture.find(L'L'); at != std::wstring::npos;
             at = picture.find(L'L', at + millis.size())) {
            picture.replace(at, 1, millis);
        }
    }
    std::optional<std::wstring> timeText = formatStamp(formatTime, time, picture);
    std::optional<std::wstring> dateText =
        timeText ? formatStamp(formatDate, time, *timeText) : std::nullopt;
    if (dateText) {
        name = name.substr(0, first) + *dateText + name.substr(last + 1);
    }
}

}  // namespace velmar
