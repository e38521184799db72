// The launcher as a user meets it before any runtime is involved.
#include "launcher_run.h"

#include <gtest/gtest.h>

namespace velmar::e2e {
namespace {

constexpr DWORD kFailure = 0xFFFFFFFF;
constexpr const wchar_t* kNoMainClass = L"Main class was not specified in INI file.";

struct MissingMainClassCase {
    const char* name;
    const wchar_t* ini;  // nullptr: no INI file at all
};

class MissingMainClassTest : public ::testing::TestWithParam<MissingMainClassCase> {};

TEST_P(MissingMainClassTest, ShowsMessage210AndExitsWithMinusOne)
{
    Installation installation;
    if (GetParam().ini != nullptr) {
        installation.writeIni(GetParam().ini);
    }
    RunResult result = runLauncher(installation, {.arguments = L"document.txt"});
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, kFailure);
    ASSERT_EQ(result.windows.size(), 1u);
    const WindowSeen& box = result.windows.front();
    EXPECT_TRUE(box.isMessageBox());
    // Without the file, the box also says which file was looked for.
    const std::wstring expected = GetParam().ini != nullptr
        ? std::wstring(kNoMainClass)
        : std::wstring(kNoMainClass) + L"\n\nThe INI file " + installation.iniPath() + L" does not exist.";
    EXPECT_EQ(box.text, expected);
    EXPECT_TRUE(box.errorIcon);
    EXPECT_FALSE(box.hasOwner);
    EXPECT_EQ(box.caption, L"velmar") << "the built launcher's product name";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MissingMainClassTest,
    ::testing::Values(
        MissingMainClassCase{"no INI file", nullptr},
        MissingMainClassCase{"INI without Main Class",
                             L"[Java Runtime Environment]\r\nMinimum Version=1.8\r\n"},
        MissingMainClassCase{"Main Class in another section",
                             L"[Application]\r\nMain Class=a.b.Main\r\n"}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

}  // namespace
}  // namespace velmar::e2e
