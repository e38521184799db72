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

}  // namespace

std::wstring builtLauncherPath()
{
    std::wstring path = environmentValue(L"VELMAR_TEST_LAUNCHER");
    if (path.empty()) {
        throw std::runtime_error("VELMAR_TEST_LAUNCHER is not set");
    }
    return path;
}

Installation::Installation(std::wstring launcherName)
    : launcherName_(std::move(launcherName)),
      folder_(L"velmar-e2e-"),
      appData_(L"velmar-appdata-")
{
    copyLauncher(launcherName_);
}

std::wstring Installation::iniPath() const
{
    std::wstring path = launcherPath();
    return path.substr(0, path.rfind(L'.') + 1) + L"ini";
}

std::wstring Installation::path(std::wstring_view relative) const
{
    return folder_.path() + L"\\" + std::wstring(relative);
}

void Installation::writeIni(std::wstring_view text) const
{
    writeUnicodeFileAt(iniPath(), text);
}

void Installation::writeFile(std::wstring_view relative, std::string_view bytes) const
{
    testing::writeFileAt(path(relative), bytes);
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
