#include "config/ini_file.h"

#include "config/ini_text.h"
#include "resources/resource.h"
#include "support/environment.h"
#include "support/file_system.h"
#include "support/handles.h"
#include "support/messages.h"
#include "support/text.h"

namespace velmar {

namespace {

constexpr DWORD kInitialValueBuffer = 256;
constexpr std::wstring_view kFolderNameForbidden = L"\\?\"|><:/*";

}  // namespace

DWORD IniFile::probe() const
{
    UniqueFile file(::CreateFileW(path_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return ::GetLastError();
    }
    char bytes[4];
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes, sizeof bytes, &read, nullptr)) {
        return ::GetLastError();
    }
    return 0;
}

namespace {

// The strings of a double-null-terminated list, of which `length`
// characters were written.
std::vector<std::wstring_view> listStrings(std::wstring_view buffer, size_t length)
{
    std::vector<std::wstring_view> strings;
    const std::wstring_view written = buffer.substr(0, length);
    for (size_t start = 0; start < written.size();) {
        size_t end = written.find(L'\0', start);
        if (end == std::wstring_view::npos) {
            end = written.size();
        }
        if (end > start) {
            strings.push_back(written.substr(start, end - start));
        }
        start = end + 1;
    }
    return strings;
}

}  // namespace

std::vector<std::pair<std::wstring, std::wstring>> parseSectionEntries(std::wstring_view block)
{
    std::vector<std::pair<std::wstring, std::wstring>> entries;
    for (std::wstring_view line : listStrings(block, block.size())) {
        entries.push_back(parseEntryLine(line));
    }
    return entries;
}

std::wstring lookUpEntry(const std::vector<std::pair<std::wstring, std::wstring>>& entries, std::wstring_view key)
{
    const std::wstring_view wanted = trimmedBlanks(key);
    for (const auto& [name, value] : entries) {
        if (equalsIgnoringCaseOrdinal(name, wanted)) {
            return value;
        }
    }
    return {};
}

std::optional<std::string> readIniBytes(const std::wstring& path)
{
    // Far above any INI file; a file past it is left to the profile API.
    constexpr size_t kMostBytes = 16 * 1024 * 1024;
    UniqueFile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }
    std::string bytes;
    char chunk[16384];
    for (DWORD read = 0;; bytes.append(chunk, read)) {
        if (!::ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr) || bytes.size() > kMostBytes) {
            return std::nullopt;
        }
        if (read == 0) {
            return bytes;
        }
    }
}

std::vector<IniFile::Section>& IniFile::sections() const
{
    if (sections_) {
        return *sections_;
    }
    sections_.emplace();
    const std::optional<std::string> bytes = readIniBytes(path_);
    const IniEncoding encoding = bytes ? detectIniEncoding(*bytes) : IniEncoding::kEmpty;
    if (isReadAsUtf8(encoding)) {
        for (IniTextSection& section : parseIniText(utf8FileText(*bytes, encoding))) {
            sections_->push_back({std::move(section.name), std::move(section.entries)});
        }
        return *sections_;
    }
    for (size_t size = kInitialValueBuffer;; size *= 2) {
        std::wstring buffer(size, L'\0');
        DWORD length = ::GetPrivateProfileSectionNamesW(buffer.data(), static_cast<DWORD>(size), path_.c_str());
        if (length != size - 2) {
            for (std::wstring_view name : listStrings(buffer, length)) {
                sections_->push_back({std::wstring(name), std::nullopt});
            }
            return *sections_;
        }
    }
}

const IniFile::Entries* IniFile::entriesOf(std::wstring_view section) const
{
    const std::wstring_view wanted = trimmedBlanks(section);
    for (Section& known : sections()) {
        if (!equalsIgnoringCaseOrdinal(trimmedBlanks(known.name), wanted)) {
            continue;
        }
        if (!known.entries) {
            for (DWORD size = kInitialValueBuffer * 16;; size *= 2) {
                std::wstring buffer(size, L'\0');
                DWORD length = ::GetPrivateProfileSectionW(known.name.c_str(), buffer.data(), size, path_.c_str());
                if (length != size - 2) {
                    known.entries = parseSectionEntries(std::wstring_view(buffer).substr(0, length));
                    break;
                }
            }
        }
        return &*known.entries;
    }
    return nullptr;
}

std::wstring IniFile::getString(std::wstring_view section, std::wstring_view key) const
{
    const Entries* entries = entriesOf(section);
    return entries ? lookUpEntry(*entries, key) : std::wstring();
}

std::vector<std::wstring> IniFile::getSectionNames() const
{
    std::vector<std::wstring> names;
    for (const Section& section : sections()) {
        names.push_back(section.name);
    }
    return names;
}

bool IniFile::putString(std::wstring_view section, std::wstring_view key,
                        std::wstring_view value) const
{
    sections_.reset();
    return writeIniEntry(path_, section, key, value);
}

bool IniFile::deleteFile() const
{
    sections_.reset();
    return ::DeleteFileW(path_.c_str()) != FALSE;
}

std::wstring LayeredIniFile::getString(std::wstring_view section, std::wstring_view key) const
{
    std::wstring value = IniFile::getString(section, key);
    if (!value.empty()) {
        return value;
    }
    std::wstring appended = IniFile::getString(std::wstring(section) + L"+", key);
    if (appended.empty() || appended.front() == L' ') {
        return appended;
    }
    return L" " + appended;
}

std::optional<std::wstring> modulePath()
{
    // Read whole, however deep the installation: a cut path would name
    // another INI file and another instance.
    DWORD error = 0;
    std::optional<std::wstring> path = moduleFilePath(nullptr, error);
    if (!path) {
        ReportWindowsError(nullptr, IDS_WINDOWS_EXCEPTION, LoadMessage(IDS_NO_MODULE_PATH), error);
    }
    return path;
}

std::wstring executableFolder(std::wstring_view executablePath)
{
    size_t slash = executablePath.rfind(L'\\');
    return slash == std::wstring_view::npos ? std::wstring()
                                            : std::wstring(executablePath.substr(0, slash + 1));
}

std::wstring launcherFolder()
{
    std::optional<std::wstring> path = modulePath();
    return path ? executableFolder(*path) : std::wstring();
}

std::optional<std::wstring> iniPathFor(std::wstring_view executablePath)
{
    size_t dot = executablePath.rfind(L'.');
    if (dot == std::wstring_view::npos) {
        return std::nullopt;
    }
    return std::wstring(executablePath.substr(0, dot + 1)) + L"ini";
}

std::optional<std::wstring> launcherIniPath()
{
    std::optional<std::wstring> path = modulePath();
    return path ? iniPathFor(*path) : std::nullopt;
}

std::wstring cleanProductName(std::wstring_view productName)
{
    std::wstring clean;
    for (wchar_t c : productName) {
        if (kFolderNameForbidden.find(c) == std::wstring_view::npos) {
            clean.push_back(c);
        }
    }
    return clean;
}

namespace {

std::wstring baseIniName(std::wstring_view executablePath)
{
    size_t slash = executablePath.rfind(L'\\');
    std::wstring_view name =
        slash == std::wstring_view::npos ? executablePath : executablePath.substr(slash + 1);
    size_t dot = name.rfind(L'.');
    if (dot != std::wstring_view::npos) {
        name = name.substr(0, dot);
    }
    return std::wstring(name) + L".ini";
}

}  // namespace

std::wstring composePerUserIniPath(std::wstring_view appData, std::wstring_view productName,
                                   std::wstring_view productCode,
                                   std::wstring_view executablePath)
{
    return std::wstring(appData) + L"\\" + cleanProductName(productName) + L"\\" +
           std::wstring(productCode) + L"\\" + baseIniName(executablePath);
}

std::wstring perUserIniPath(std::wstring_view executablePath, std::wstring_view productName,
                            std::wstring_view productCode, bool createFolders)
{
    const std::wstring productFolder =
        environmentValue(L"APPDATA").value_or(std::wstring()) + L"\\" + cleanProductName(productName);
    const std::wstring codeFolder = productFolder + L"\\" + std::wstring(productCode);
    if (createFolders) {
        // Either may exist already; a folder that cannot be made shows
        // later as a write that fails, which costs only the saved choice.
        ::CreateDirectoryW(folderPathForCreation(productFolder).c_str(), nullptr);
        ::CreateDirectoryW(folderPathForCreation(codeFolder).c_str(), nullptr);
    }
    return codeFolder + L"\\" + baseIniName(executablePath);
}

std::wstring workingFolderOf(std::wstring_view executablePath)
{
    const size_t lastBackslash = executablePath.rfind(L'\\');
    // A path rooted without a drive ("\app.exe") or without any folder
    // has no folder to go to.
    if (lastBackslash == std::wstring_view::npos || lastBackslash == 0) {
        return {};
    }
    std::wstring folder(executablePath.substr(0, lastBackslash));
    // "E:" alone names the current directory of drive E, not its root.
    if (folder.back() == L':') {
        folder += L'\\';
    }
    return folder;
}

void applyWorkingDirOverride()
{
    const std::optional<std::wstring> path = modulePath();
    const std::wstring folder = path ? workingFolderOf(*path) : std::wstring();
    if (!folder.empty()) {
        ::SetCurrentDirectoryW(folder.c_str());
    }
}

}  // namespace velmar
