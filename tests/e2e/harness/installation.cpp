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

Installation::Installation(std::wstring launcherName, std::wstring_view folderPrefix)
    : launcherName_(std::move(launcherName)),
      folder_(folderPrefix),
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

namespace {

// The launcher's manifest as built: resource 1 of type RT_MANIFEST, in its
// one language.
struct ManifestResource {
    std::string text;
    WORD language = 0;
};

BOOL CALLBACK takeFirstLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found)
{
    *reinterpret_cast<WORD*>(found) = language;
    return FALSE;
}

ManifestResource readManifest(const std::wstring& program)
{
    HMODULE module = ::LoadLibraryExW(program.c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (module == nullptr) {
        throw std::runtime_error("cannot open the launcher's resources");
    }
    ManifestResource manifest;
    ::EnumResourceLanguagesW(module, RT_MANIFEST, MAKEINTRESOURCEW(1), takeFirstLanguage,
                             reinterpret_cast<LONG_PTR>(&manifest.language));
    HRSRC info = ::FindResourceExW(module, RT_MANIFEST, MAKEINTRESOURCEW(1), manifest.language);
    HGLOBAL data = info != nullptr ? ::LoadResource(module, info) : nullptr;
    if (data != nullptr) {
        manifest.text.assign(static_cast<const char*>(::LockResource(data)), ::SizeofResource(module, info));
    }
    ::FreeLibrary(module);
    if (manifest.text.empty()) {
        throw std::runtime_error("the launcher has no manifest");
    }
    return manifest;
}

}  // namespace

void Installation::askForUtf8CodePage() const
{
    ManifestResource manifest = readManifest(launcherPath());
    constexpr std::string_view kSettings = "<windowsSettings>";
    size_t settings = manifest.text.find(kSettings);
    if (settings == std::string::npos) {
        throw std::runtime_error("the launcher's manifest has no windowsSettings");
    }
    manifest.text.insert(settings + kSettings.size(),
                         "<activeCodePage xmlns=\"http://schemas.microsoft.com/SMI/2019/"
                         "WindowsSettings\">UTF-8</activeCodePage>");
    HANDLE update = ::BeginUpdateResourceW(launcherPath().c_str(), FALSE);
    if (update == nullptr) {
        throw std::runtime_error("cannot update the launcher's resources");
    }
    const BOOL replaced =
        ::UpdateResourceW(update, RT_MANIFEST, MAKEINTRESOURCEW(1), manifest.language,
                          manifest.text.data(), static_cast<DWORD>(manifest.text.size()));
    if (!::EndUpdateResourceW(update, !replaced) || !replaced) {
        throw std::runtime_error("cannot write the launcher's manifest");
    }
}

}  // namespace velmar::e2e
