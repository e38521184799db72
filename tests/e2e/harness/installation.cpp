#include "installation.h"

#include <windows.h>

#include <stdexcept>
#include <vector>

namespace velmar::e2e {

namespace {

std::wstring environmentValue(const wchar_t* name)
{
    DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) {
        return {};
    }
    std::wstring value(size, L'\0');
    value.resize(::GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

std::wstring makeTempFolder(const wchar_t* prefix)
{
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        std::wstring candidate = std::wstring(temp) + prefix +
                                 std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                 std::to_wstring(++counter);
        if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
            return candidate;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

void writeBytes(const std::wstring& path, const void* data, size_t size)
{
    createFoldersFor(path);
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot write a test file");
    }
    DWORD written = 0;
    BOOL ok = ::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
    ::CloseHandle(file);
    if (!ok || written != size) {
        throw std::runtime_error("cannot write a test file");
    }
}

}  // namespace

std::wstring builtLauncherPath()
{
    std::wstring path = environmentValue(L"VELMAR_TEST_LAUNCHER");
    if (path.empty()) {
        throw std::runtime_error("VELMAR_TEST_LAUNCHER is not set");
    }
    return path;
}

void createFoldersFor(const std::wstring& filePath)
{
    for (size_t slash = filePath.find(L'\\', 3); slash != std::wstring::npos;
         slash = filePath.find(L'\\', slash + 1)) {
        ::CreateDirectoryW(filePath.substr(0, slash).c_str(), nullptr);
    }
}

void writeUnicodeFileAt(const std::wstring& path, std::wstring_view text)
{
    std::wstring content = L"\xFEFF" + std::wstring(text);
    writeBytes(path, content.data(), content.size() * sizeof(wchar_t));
}

void removeTree(const std::wstring& path)
{
    WIN32_FIND_DATAW data{};
    HANDLE search = ::FindFirstFileW((path + L"\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            std::wstring child = path + L"\\" + name;
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

Installation::Installation(std::wstring launcherName)
    : launcherName_(std::move(launcherName)),
      folder_(makeTempFolder(L"velmar-e2e-")),
      appData_(makeTempFolder(L"velmar-appdata-"))
{
    copyLauncher(launcherName_);
}

Installation::~Installation()
{
    removeTree(folder_);
    removeTree(appData_);
}

std::wstring Installation::iniPath() const
{
    std::wstring path = launcherPath();
    return path.substr(0, path.rfind(L'.') + 1) + L"ini";
}

std::wstring Installation::path(std::wstring_view relative) const
{
    return folder_ + L"\\" + std::wstring(relative);
}

void Installation::writeIni(std::wstring_view text) const
{
    writeUnicodeFileAt(iniPath(), text);
}

void Installation::writeFile(std::wstring_view relative, std::string_view bytes) const
{
    writeBytes(path(relative), bytes.data(), bytes.size());
}

void Installation::writeUnicodeFile(std::wstring_view relative, std::wstring_view text) const
{
    writeUnicodeFileAt(path(relative), text);
}

void Installation::copyFile(const std::wstring& source, std::wstring_view relative) const
{
    std::wstring target = path(relative);
    createFoldersFor(target);
    if (!::CopyFileW(source.c_str(), target.c_str(), FALSE)) {
        throw std::runtime_error("cannot copy a file into the installation");
    }
}

void Installation::copyLauncher(std::wstring_view relative) const
{
    copyFile(builtLauncherPath(), relative);
}

}  // namespace velmar::e2e
