// Files and folders for the tests: a temporary folder removed with its
// contents at scope exit, and writing, reading and removing files.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmar::testing {

class TempFolder {
public:
    explicit TempFolder(std::wstring_view prefix = L"velmar-test-");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// Makes every folder of a file path that is missing.
void createFoldersFor(const std::wstring& filePath);
// Writes the bytes, making the folders; throws when the file cannot be made.
void writeFileAt(const std::wstring& path, std::string_view bytes);
// UTF-16 text with a byte-order mark, as the profile API reads Unicode.
void writeUnicodeFileAt(const std::wstring& path, std::wstring_view text);
std::string readFileBytes(const std::wstring& path);
// UTF-8 bytes of the text, without a mark.
std::string utf8Of(std::wstring_view text);
void removeTree(const std::wstring& path);
// The names a find-first pattern matches, in the order the file system
// lists them.
std::vector<std::wstring> listedNames(const std::wstring& pattern);

// The long form of an existing file's or folder's path, upper-cased: two
// names of one file, its short and its long one, give the same. nullopt
// when the path does not exist; a path of 260 characters or more is looked
// up with the long-path prefix. (Not the file index: 32-bit Wine under
// qemu-user never returns from GetFileInformationByHandle for a folder
// whose name lies outside ASCII.)
using FileIdentity = std::wstring;
std::optional<FileIdentity> identityOf(std::wstring path);

}  // namespace velmar::testing
