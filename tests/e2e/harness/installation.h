// A temporary installation of the launcher: a folder with a copy of the
// built launcher under a chosen name, its INI file, any other files a test
// needs, and a per-user application-data folder of its own. Everything is
// removed at scope exit.
#pragma once

#include "test_files.h"

#include <string>
#include <string_view>

namespace velmar::e2e {

class Installation {
public:
    // The folder's name starts with `folderPrefix`.
    explicit Installation(std::wstring launcherName = L"myapp.exe",
                          std::wstring_view folderPrefix = L"velmar-e2e-");
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    const std::wstring& folder() const { return folder_.path(); }
    const std::wstring& appData() const { return appData_.path(); }
    std::wstring launcherPath() const { return path(launcherName_); }
    // The launcher INI: the launcher's name with "ini" for its extension.
    std::wstring iniPath() const;
    std::wstring path(std::wstring_view relative) const;

    // Writes the launcher INI (UTF-16 with a byte-order mark).
    void writeIni(std::wstring_view text) const;
    // Files below the installation folder; folders are made as needed.
    void writeFile(std::wstring_view relative, std::string_view bytes) const;
    void writeUnicodeFile(std::wstring_view relative, std::wstring_view text) const;
    void copyFile(const std::wstring& source, std::wstring_view relative) const;
    // Another copy of the built launcher, e.g. as a pair product.
    void copyLauncher(std::wstring_view relative) const;
    // Adds to the launcher copy's manifest the request for UTF-8 as the
    // process's ANSI code page, which the launcher and the runtime then see
    // as on a system set to UTF-8 for all languages.
    void askForUtf8CodePage() const;

private:
    std::wstring launcherName_;
    testing::TempFolder folder_;
    testing::TempFolder appData_;
};

// The built launcher, from the environment the test runner sets.
std::wstring builtLauncherPath();

using testing::createFoldersFor;
using testing::readFileBytes;
using testing::removeTree;
using testing::writeFileAt;
using testing::writeUnicodeFileAt;

}  // namespace velmar::e2e
