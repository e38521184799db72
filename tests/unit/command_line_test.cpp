#include "core/command_line.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

struct SplitCase {
    const wchar_t* text;
    std::vector<std::wstring> expected;
};

class SplitArgumentsTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitArgumentsTest, SplitsByTheLaunchersRules)
{
    std::vector<std::wstring> arguments;
    SplitArguments(GetParam().text, arguments);
    EXPECT_EQ(arguments, GetParam().expected) << "text: [" << GetParam().text << "]";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitArgumentsTest,
    ::testing::Values(
        SplitCase{L"", {}},
        SplitCase{L" \t \r\n ", {}},
        SplitCase{L"app.exe", {L"app.exe"}},
        SplitCase{L"a b", {L"a", L"b"}},
        SplitCase{L"a  b", {L"a", L"b"}},
        SplitCase{L"  a b  ", {L"a", L"b"}},
        SplitCase{L"a\tb", {L"a\tb"}},
        SplitCase{L"\"a b\" c", {L"a b", L"c"}},
        SplitCase{L"\"a b\"c", {L"a b", L"c"}},
        SplitCase{L"a\"b c", {L"a\"b", L"c"}},
        SplitCase{L"\"\"", {L""}},
        SplitCase{L"a \"\" b", {L"a", L"", L"b"}},
        SplitCase{L"\"unterminated rest  of line", {L"unterminated rest  of line"}},
        SplitCase{L"a \"", {L"a", L""}},
        SplitCase{L"C:\\path\\ \"x\\\" y", {L"C:\\path\\", L"x\\", L"y"}},
        SplitCase{L"-nosplash /nosplash", {L"-nosplash", L"/nosplash"}}));

TEST(ReadCommandLineTest, DropsTheProgramName)
{
    // The test program is started with no arguments of its own by ctest.
    std::vector<std::wstring> all;
    SplitArguments(::GetCommandLineW(), all);
    std::vector<std::wstring> arguments = ReadCommandLine();
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(arguments.size(), all.size() - 1);
    EXPECT_TRUE(std::equal(arguments.begin(), arguments.end(), all.begin() + 1));
}

}  // namespace
}  // namespace velmar
