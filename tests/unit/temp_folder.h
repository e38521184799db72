// A fresh folder under the temporary folder, removed with its contents at
// scope exit.
#pragma once

#include <windows.h>

#include <string>

namespace velmar::testing {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

void writeTextFile(const std::wstring& path, const std::wstring& text);
void removeTree(const std::wstring& path);

}  // namespace velmar::testing
