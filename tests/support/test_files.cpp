#include "test_files.h"

#include <stdexcept>

namespace velmar::testing {

TempFolder::TempFolder(std::wstring_view prefix)
{
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::wstring candidate = std::wstring(temp) + std::wstring(prefix) +
                                 std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                 std::to_wstring(++counter);
        if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempFolder::~TempFolder()
{
    removeTree(path_);
}

void createFoldersFor(const std::wstring& filePath)
{
    for (size_t slash = filePath.find(L'\\', 3); slash != std::wstring::npos;
         slash = filePath.find(L'\\', slash + 1)) {
        ::CreateDirectoryW(filePath.substr(0, slash).c_str(), nullptr);
    }
}

void writeFileAt(const std::wstring& path, std::string_view bytes)
{
    createFoldersFor(path);
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot write a test file");
    }
    DWORD written = 0;
    const BOOL ok =
        ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    if (!ok || written != bytes.size()) {
        throw std::runtime_error("cannot write a test file");
    }
}

void writeUnicodeFileAt(const std::wstring& path, std::wstring_view text)
{
    std::wstring content = L"\xFEFF" + std::wstring(text);
    writeFileAt(path, std::string_view(reinterpret_cast<const char*>(content.data()),
                                       content.size() * sizeof(wchar_t)));
}

std::string readFileBytes(const std::wstring& path)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot read a test file");
    }
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        bytes.append(buffer, read);
    }
    ::CloseHandle(file);
    return bytes;
}

void removeTree(const std::wstring& path)
{
    WIN32_FIND_DATAW data{};
    HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = path + L"\\" + name;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(child);
            } else {
                ::SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(child.c_str());
            }
        } while (::FindNextFileW(search, &data));
        ::FindClose(search);
    }
    ::RemoveDirectoryW(path.c_str());
}

std::optional<FileIdentity> identityOf(std::wstring path)
{
    const std::wstring prefix = L"\\\\?\\";
    if (path.size() >= MAX_PATH && path.rfind(prefix, 0) != 0) {
        path.insert(0, prefix);
    }
    std::wstring longForm(::GetLongPathNameW(path.c_str(), nullptr, 0), L'\0');
    const DWORD length = ::GetLongPathNameW(path.c_str(), longForm.data(), static_cast<DWORD>(longForm.size()));
    if (length == 0 || length >= longForm.size()) {
        return std::nullopt;
    }
    longForm.resize(length);
    if (longForm.rfind(prefix, 0) == 0) {
        longForm.erase(0, prefix.size());
    }
    ::CharUpperBuffW(longForm.data(), length);
    return longForm;
}

std::vector<std::wstring> listedNames(const std::wstring& pattern)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    HANDLE search = ::FindFirstFileW(pattern.c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        names.emplace_back(data.cFileName);
    } while (::FindNextFileW(search, &data));
    ::FindClose(search);
    return names;
}

std::string utf8Of(std::wstring_view text)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size > 0 ? size : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size, nullptr,
                          nullptr);
    return bytes;
}

}  // namespace velmar::testing
