#include "temp_folder.h"

#include <stdexcept>

namespace velmar::testing {

TempFolder::TempFolder()
{
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    for (unsigned attempt = 0;; ++attempt) {
        std::wstring candidate = std::wstring(temp) + L"velmar-unit-" +
                                 std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                 std::to_wstring(::GetTickCount() + attempt);
        if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
        if (attempt > 100) {
            throw std::runtime_error("cannot create a temporary folder");
        }
    }
}

TempFolder::~TempFolder()
{
    removeTree(path_);
}

void writeTextFile(const std::wstring& path, const std::wstring& text)
{
    // UTF-16 with a byte-order mark: the profile API reads it as Unicode.
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot write a test file");
    }
    const wchar_t bom = 0xFEFF;
    DWORD written = 0;
    ::WriteFile(file, &bom, sizeof bom, &written, nullptr);
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written,
                nullptr);
    ::CloseHandle(file);
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

}  // namespace velmar::testing
