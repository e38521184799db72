// Inputs near the platform's limits: command lines close to the 32,767
// characters CreateProcessW takes, thousands of arguments, and a class
// path wildcard that matches ten thousand files. Everything arrives whole
// and in order.
#include "stub_app.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace velmar::e2e {
namespace {

constexpr DWORD kBoundMs = 60000;

struct CommandLine {
    std::wstring typed;  // after the program name
    std::vector<std::wstring> arguments;  // what main should get
};

// Each argument, quoted where it holds a blank, with one blank between.
CommandLine commandLineOf(const std::vector<std::wstring>& arguments)
{
    CommandLine line{L"", arguments};
    for (const std::wstring& argument : arguments) {
        if (!line.typed.empty()) {
            line.typed += L' ';
        }
        const bool quoted = argument.find(L' ') != std::wstring::npos;
        line.typed += quoted ? L"\"" + argument + L"\"" : argument;
    }
    return line;
}

struct CommandLineCase {
    const char* name;
    CommandLine (*make)();
};

void PrintTo(const CommandLineCase& c, std::ostream* os)
{
    *os << c.name;
}

class LongCommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(LongCommandLineTest, ReachesMainWholeAndInOrder)
{
    const CommandLine line = GetParam().make();
    ASSERT_LT(line.typed.size(), 32000u) << "CreateProcessW takes at most 32,767 characters";
    StubApp app;
    const StubRun result = app.run({.arguments = line.typed, .timeoutMs = kBoundMs});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, 0u);
    EXPECT_TRUE(result.run.windows.empty());
    ASSERT_TRUE(result.record.mainArguments.present);
    EXPECT_FALSE(result.record.mainArguments.hadNull);
    ASSERT_EQ(result.record.mainArguments.values.size(), line.arguments.size());
    EXPECT_TRUE(result.record.mainArguments.values == line.arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LongCommandLineTest,
    ::testing::Values(
        CommandLineCase{"thirty_thousand_characters",
                        [] {
                            // Three long arguments, one with blanks inside.
                            std::vector<std::wstring> arguments{L"-nosplash", std::wstring(15000, L'a'),
                                                                std::wstring(7000, L'b'), L""};
                            arguments.back() = std::wstring(3000, L'c') + L" " + std::wstring(4990, L'd');
                            return commandLineOf(arguments);
                        }},
        CommandLineCase{"five_thousand_arguments",
                        [] {
                            std::vector<std::wstring> arguments{L"-nosplash"};
                            for (int index = 1; index < 5000; ++index) {
                                arguments.push_back(index % 100 == 0 ? L"w " + std::to_wstring(index)
                                                                     : std::to_wstring(index));
                            }
                            return commandLineOf(arguments);
                        }}),
    [](const auto& info) { return std::string(info.param.name); });

// Every match of the wildcard is on the class path exactly once.
TEST(ClassPathWildcardTest, TenThousandMatchesAreAllOnTheClassPath)
{
    constexpr int kJars = 10000;
    StubApp app;
    Installation& inst = app.installation();
    const std::wstring lib = inst.path(L"lib");
    ASSERT_TRUE(::CreateDirectoryW(lib.c_str(), nullptr));
    std::set<std::string> expected;
    for (int index = 0; index < kJars; ++index) {
        const std::wstring path = lib + L"\\j" + std::to_wstring(index) + L".jar";
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        ::CloseHandle(file);
        expected.insert(ansi(path));
    }
    app.writeIni({{L"Class Path", L"Class Path", L"\\lib\\*.jar"}});

    const StubRun result = app.run({.arguments = L"-nosplash", .timeoutMs = kBoundMs});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, 0u);
    EXPECT_EQ(result.record.mainClass, "stub/App");
    const std::string prefix = "-Djava.class.path=";
    std::vector<std::string> entries;
    for (const std::string& option : result.record.options) {
        if (option.starts_with(prefix)) {
            for (size_t at = prefix.size(); at < option.size();) {
                const size_t end = option.find(';', at);
                ASSERT_NE(end, std::string::npos) << "every entry ends with ;";
                entries.push_back(option.substr(at, end - at));
                at = end + 1;
            }
        }
    }
    EXPECT_EQ(entries.size(), static_cast<size_t>(kJars));
    EXPECT_TRUE(std::set<std::string>(entries.begin(), entries.end()) == expected);
}

}  // namespace
}  // namespace velmar::e2e
