// Launcher INI files saved as UTF-8, with or without the mark, by an
// editor: a runtime folder named outside ASCII is found, whether or not
// the ANSI code page has its characters.
#include "stub_app.h"

#include <gtest/gtest.h>

namespace velmar::e2e {
namespace {

constexpr DWORD kBoundMs = 60000;

struct Utf8Case {
    const char* name;
    const wchar_t* runtimeFolder;
    bool withMark;
};

class Utf8IniTest : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8IniTest, FindsTheRuntimeTheFileNames)
{
    const Utf8Case& c = GetParam();
    StubApp app;
    Installation& installation = app.installation();
    installation.copyFile(stubRuntimeFile(L"full"), std::wstring(c.runtimeFolder) + L"\\bin\\server\\jvm.dll");
    app.writeIni({{L"Java Runtime Environment", L"JRE Path", installation.path(c.runtimeFolder)}});
    app.saveIni();
    const std::string utf16 = readFileBytes(installation.iniPath());
    const std::wstring text(reinterpret_cast<const wchar_t*>(utf16.data()) + 1, utf16.size() / 2 - 1);
    writeFileAt(installation.iniPath(), (c.withMark ? "\xEF\xBB\xBF" : "") + testing::utf8Of(text));
    removeTree(app.runtimeFolder());  // only the folder the INI names holds a runtime

    const StubRun result = app.runWithIniAsIs(
        {.arguments = L"-nosplash",
         .onWindow = [](HWND window, const WindowSeen&) { ::SendMessageW(window, WM_COMMAND, IDCANCEL, 0); },
         .timeoutMs = kBoundMs});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_TRUE(result.run.windows.empty()) << "no missing-runtime dialog";
    EXPECT_EQ(result.run.exitCode, 0u);
    EXPECT_EQ(result.record.mainClass, "stub/App");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Utf8IniTest,
    ::testing::Values(Utf8Case{"ansi_letters_without_mark", L"Laufzeit-é", false},
                      Utf8Case{"chinese_without_mark", L"运行时", false},
                      Utf8Case{"chinese_with_mark", L"运行时", true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmar::e2e
