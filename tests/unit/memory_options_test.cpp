#include "jvm/memory_options.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

using Numbers = std::vector<uint64_t>;

TEST(ReadNumbersTest, ReadsColonSeparatedNumbersFromTheValueStart)
{
    struct Case {
        const wchar_t* text;
        size_t valueStart;
        Numbers numbers;
    };
    const Case cases[] = {
        {L"-Xmx25P", 4, {25}},
        {L"-Xmx25:256:1024P", 4, {25, 256, 1024}},
        {L"-Xmx:256P", 4, {0, 256}},
        {L"-XmxP", 5, {}},
        {L"", 0, {}},
        {L"65536", 0, {65536}},
        {L"512k", 0, {512}},
        {L"1:2M", 0, {1, 2}},
        {L"=1M", 1, {1}},
        {L"1x2M", 0, {12}},   // other characters are skipped
        {L"12", 0, {12}},     // a last digit is read
        {L"1:", 0, {1}},      // a last ":" is not
        {L"18446744073709551615", 0, {18446744073709551615ull}},
        // Longer numbers stay at the largest, never wrap round to a small one.
        {L"18446744073709551616", 0, {18446744073709551615ull}},
        {L"99999999999999999999999:1k", 0, {18446744073709551615ull, 1}},
    };
    for (const Case& c : cases) {
        NumberRun run = readNumbers(c.text);
        EXPECT_EQ(run.valueStart, c.valueStart) << ::testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(run.numbers, c.numbers) << ::testing::PrintToString(std::wstring(c.text));
    }
}

TEST(ParseStackSizeTest, TakesOnePlainNumberWithAUnit)
{
    const std::pair<const wchar_t*, uint64_t> cases[] = {
        {L"1M", 1048576},  {L"1m", 1048576}, {L"512k", 524288}, {L"512K", 524288},
        {L"2g", 2147483648ull}, {L"65536", 65536}, {L"7b", 7},  {L"1:2M", 0},
        {L"=1M", 0},       {L"", 0},         {L"M", 0},         {L":", 0},
        // Sizes beyond 64 bits are refused, not wrapped round.
        {L"17179869185g", 0}, {L"18014398509481985k", 0}, {L"18446744073709551616", 0},
        {L"17179869183g", 18446744072635809792ull},
    };
    for (const auto& [text, bytes] : cases) {
        EXPECT_EQ(parseStackSize(text), bytes) << ::testing::PrintToString(std::wstring(text));
    }
}

TEST(MemoryFormTest, ConvertsShareOfPhysicalOrAvailableMemory)
{
    // 16 GiB of physical memory, 2 GiB of address space left.
    const MemoryFacts memory{17179869184ull, 2147483648ull};
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"-Xmx25P", L"-Xmx4194304K"},
        {L"-Xmx25p", L"-Xmx4194304K"},
        {L"-Xmx25:256:1024P", L"-Xmx1048576K"},  // maximum applied
        {L"-Xms10:8192P", L"-Xms8388608K"},      // minimum applied
        {L"-Xmx1:4096:1024P", L"-Xmx4194304K"},  // minimum wins over maximum
        {L"-Xmx25:0:0:7P", L"-Xmx4194304K"},     // a fourth number is ignored
        {L"-Xss50T", L"-Xss1048576K"},
        {L"-Xms10t", L"-Xms209715K"},            // truncated, not rounded
        {L"-XmxP", L"-XmxP0K"},
        {L"-Xmx:512P", L"-Xmx524288K"},
        // Beyond what a size can say: the largest size, never a product
        // that wraps round (found by fuzzing).
        {L"-Xmx1000000000000000P", L"-Xmx9223372036854775807K"},
        {L"-Xmx1:18014398509481984P", L"-Xmx9223372036854775807K"},
        {L"-Xmx25:0:18014398509481984P", L"-Xmx4194304K"},
    };
    for (const auto& [token, converted] : cases) {
        EXPECT_TRUE(isMemoryForm(token)) << ::testing::PrintToString(std::wstring(token));
        EXPECT_EQ(convertMemoryForm(token, memory), converted);
    }
}

TEST(MemoryFormTest, RecognisesOnlyTheThreeOptionsWithASuffix)
{
    for (const wchar_t* token : {L"-Xmx512m", L"-XX:MaxRAMPercentage=50", L"-xmx25P", L"-Xmn25P",
                                 L"-Xss", L"-Xmx", L"-Dp=50P", L""}) {
        EXPECT_FALSE(isMemoryForm(token)) << ::testing::PrintToString(std::wstring(token));
    }
}

TEST(ProcessVmTokenTest, SetsTheStackSizeFromEveryXssToken)
{
    struct Case {
        const wchar_t* token;
        const wchar_t* result;  // nullptr: a converted form, checked by suffix
        size_t stackSize;
    };
    const Case cases[] = {
        {L"-Xss1M", L"-Xss1M", 1048576},
        {L"-Xss512k", L"-Xss512k", 524288},
        {L"-Xss65536", L"-Xss65536", 65536},
        {L"-Xss1:2M", L"-Xss1:2M", 0},
        {L"-Xss=1M", L"-Xss=1M", 0},
        {L"-Xss17179869185g", L"-Xss17179869185g", 0},
        // More than a 32-bit build can address is refused there, not cut.
        {L"-Xss5g", L"-Xss5g", sizeof(size_t) == 4 ? 0 : static_cast<size_t>(5368709120ull)},
        {L"-Xss1000000000000000P", L"-Xss9223372036854775807K", 0},
    };
    for (const Case& c : cases) {
        size_t stackSize = 12345;
        EXPECT_EQ(processVmToken(c.token, stackSize), c.result);
        EXPECT_EQ(stackSize, c.stackSize) << ::testing::PrintToString(std::wstring(c.token));
    }
}

TEST(ProcessVmTokenTest, ConvertsAPercentageStackBeforeTakingItsSize)
{
    size_t stackSize = 0;
    std::wstring converted = processVmToken(L"-Xss0:3P", stackSize);  // 0 %, at least 3 MB
    EXPECT_EQ(converted, L"-Xss3072K");
    EXPECT_EQ(stackSize, 3u * 1024 * 1024);
    EXPECT_EQ(processVmToken(L"-Xmx512m", stackSize), L"-Xmx512m");
    EXPECT_EQ(stackSize, 3u * 1024 * 1024) << "only -Xss sets it";
}

}  // namespace
}  // namespace velmar
