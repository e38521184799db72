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

// ReadCommandLine hands these the process command line; the end-to-end
// tests check what main receives from a real one.
TEST(ArgumentsAfterProgramNameTest, DropsOnlyTheProgramName)
{
    const std::pair<const wchar_t*, std::vector<std::wstring>> cases[] = {
        {L"", {}},
        {L"   ", {}},
        {L"app.exe", {}},
        {L"app.exe  -nosplash", {L"-nosplash"}},
        {L"\"C:\\Program Files\\App\\app.exe\" a \"b c\"", {L"a", L"b c"}},
        {L"\"C:\\Program Files\\App\\app.exe\"doc.txt", {L"doc.txt"}},
        {L"\"C:\\Program Files\\App\\app.exe", {}},
        {L"\"\" first", {L"first"}},
    };
    for (const auto& [commandLine, arguments] : cases) {
        EXPECT_EQ(argumentsAfterProgramName(commandLine), arguments)
            << ::testing::PrintToString(std::wstring(commandLine));
    }
}

}  // namespace
}  // namespace velmar
