#include "stub_app.h"

#include <stdexcept>

namespace velmar::e2e {

std::wstring stubRuntimeFile(std::wstring_view variant)
{
    wchar_t root[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"VELMAR_STUB_RUNTIME_DIR", root, MAX_PATH) == 0) {
        throw std::runtime_error("VELMAR_STUB_RUNTIME_DIR is not set");
    }
    return std::wstring(root) + L"\\" + std::wstring(variant) + L"\\jvm.dll";
}

std::string ansi(std::wstring_view text)
{
    int size = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                                     static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                          result.data(), size, nullptr, nullptr);
    return result;
}

StubApp::StubApp(std::wstring_view variant, std::wstring_view folderPrefix)
    : installation_(L"myapp.exe", folderPrefix)
{
    installation_.copyFile(stubRuntimeFile(variant), L"jre\\bin\\server\\jvm.dll");
    installation_.writeFile(L"app.jar", "");
    ini_[{L"Java Runtime Environment", L"JRE Path"}] = runtimeFolder();
    ini_[{L"Java Runtime Environment", L"Main Class"}] = L"stub.App";
    ini_[{L"Class Path", L"Class Path"}] = L"\\app.jar";
}

void StubApp::writeIni(std::initializer_list<IniEntry> entries)
{
    for (const IniEntry& entry : entries) {
        if (entry.value) {
            ini_[{entry.section, entry.key}] = *entry.value;
        } else {
            ini_.erase({entry.section, entry.key});
        }
    }
}

void StubApp::saveIni() const
{
    std::wstring text;
    std::wstring section;
    for (const auto& [name, value] : ini_) {
        if (name.first != section) {
            section = name.first;
            text += L"[" + section + L"]\r\n";
        }
        text += name.second + L"=" + value + L"\r\n";
    }
    installation_.writeIni(text);
}

StubRun StubApp::run(RunOptions options)
{
    saveIni();
    return runWithIniAsIs(std::move(options));
}

StubRun StubApp::runWithIniAsIs(RunOptions options)
{
    ::DeleteFileW(recordPath().c_str());
    options.environment.emplace_back(L"VELMAR_STUB_RECORD", recordPath());
    StubRun result{runLauncher(installation_, std::move(options)), {}};
    result.record = stub::readStubRecord(recordPath());
    return result;
}

}  // namespace velmar::e2e
