#include "config/java_version.h"

#include <gtest/gtest.h>

namespace velmar {

void PrintTo(const JavaVersion& v, std::ostream* out)
{
    *out << v.c[0] << '.' << v.c[1] << '.' << v.c[2] << '.' << v.c[3];
}

namespace {

constexpr int32_t kOpen = kOpenFill;

struct ParseCase {
    const wchar_t* text;
    int32_t fill;
    bool ok;
    JavaVersion expected;
};

class ParseVersionTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseVersionTest, ReadsEveryRunOfDigits)
{
    ParsedVersion parsed = parseVersion(GetParam().text, GetParam().fill);
    EXPECT_EQ(parsed.ok, GetParam().ok) << "text: " << GetParam().text;
    EXPECT_EQ(parsed.value, GetParam().expected) << "text: " << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ParseVersionTest,
    ::testing::Values(
        ParseCase{L"1.8.0_131", 0, true, {{1, 8, 0, 131}}},
        ParseCase{L"1.8.0.131", 0, true, {{1, 8, 0, 131}}},
        ParseCase{L"1.8.0_45", 0, true, {{1, 8, 0, 45}}},
        ParseCase{L"jdk1.7.0", 0, true, {{1, 7, 0, 0}}},
        ParseCase{L"9", kOpen, true, {{9, kOpen, kOpen, kOpen}}},
        ParseCase{L"11.0.2+9", 0, true, {{11, 0, 2, 9}}},
        ParseCase{L"1.8.0_131-b11", 0, true, {{1, 8, 0, 131}}},
        ParseCase{L"1.8", 0, true, {{1, 8, 0, 0}}},
        ParseCase{L"zulu-17", 0, true, {{17, 0, 0, 0}}},
        ParseCase{L"2147483647", 0, true, {{2147483647, 0, 0, 0}}},
        ParseCase{L"1.99999999999", 0, false, {}},
        ParseCase{L"2147483648", kOpen, false, {}},
        ParseCase{L"", 0, false, {}},
        ParseCase{L"any", kOpen, false, {}},
        ParseCase{L"Any", 0, false, {}}));

struct BoundCase {
    const wchar_t* text;
    BoundKind kind;
    JavaVersion expected;
};

class BoundFromTextTest : public ::testing::TestWithParam<BoundCase> {};

TEST_P(BoundFromTextTest, GivesTheBound)
{
    EXPECT_EQ(boundFromText(GetParam().text, GetParam().kind), GetParam().expected)
        << "text: " << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BoundFromTextTest,
    ::testing::Values(BoundCase{L"any", BoundKind::minimum, {}},
                      BoundCase{L"any", BoundKind::maximum, {{kOpen, kOpen, kOpen, kOpen}}},
                      BoundCase{L"Any", BoundKind::minimum, {}},
                      BoundCase{L"Any", BoundKind::maximum, {}},
                      BoundCase{L"", BoundKind::maximum, {}},
                      BoundCase{L"1.8", BoundKind::minimum, {{1, 8, 0, 0}}},
                      BoundCase{L"1.8", BoundKind::maximum, {{1, 8, kOpen, kOpen}}}));

TEST(CompareVersionsTest, ComparesComponentsInOrderAsSignedNumbers)
{
    EXPECT_GT(compareVersions({{1, 8, 0, 131}}, {{1, 8, 0, 45}}), 0);
    EXPECT_GT(compareVersions({{11, 0, 0, 0}}, {{1, 8, 0, 999}}), 0);
    EXPECT_LT(compareVersions({{1, 8, 0, 0}}, {{1, 8, 0, 131}}), 0);
    EXPECT_EQ(compareVersions({{1, 8, 0, 131}}, {{1, 8, 0, 131}}), 0);
    EXPECT_LT(compareVersions({{-1, 0, 0, 0}}, {{0, 0, 0, 0}}), 0);
}

struct FormatCase {
    JavaVersion version;
    const wchar_t* expected;
};

class FormatVersionTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatVersionTest, PrintsSignificantComponentsAndAtLeastTwo)
{
    EXPECT_EQ(formatVersion(GetParam().version), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatVersionTest,
    ::testing::Values(FormatCase{{{1, 8, 0, 0}}, L"1.8"},
                      FormatCase{{{1, 8, kOpen, kOpen}}, L"1.8"},
                      FormatCase{{{9, 0, 0, 0}}, L"9.0"},
                      FormatCase{{{9, kOpen, kOpen, kOpen}}, L"9.65535"},
                      FormatCase{{{1, 6, 0, 45}}, L"1.6.0.45"},
                      FormatCase{{{1, kOpen, 2, 0}}, L"1.65535.2"},
                      FormatCase{{{0, 0, 0, 0}}, L"0.0.0.0"},
                      FormatCase{{{kOpen, kOpen, kOpen, kOpen}}, L"0.0.0.0"}));

struct MatchCase {
    JavaVersion installed;
    const wchar_t* preferred;
    bool matches;
};

class MatchesPreferredTest : public ::testing::TestWithParam<MatchCase> {};

TEST_P(MatchesPreferredTest, MatchesUpToTheLastNonZeroComponent)
{
    JavaVersion preferred = parseVersion(GetParam().preferred, 0).value;
    EXPECT_EQ(matchesPreferred(GetParam().installed, preferred), GetParam().matches)
        << "preferred: " << GetParam().preferred;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MatchesPreferredTest,
    ::testing::Values(MatchCase{{{1, 8, 0, 131}}, L"1.8", true},
                      MatchCase{{{1, 8, 0, 131}}, L"1.8.0", true},
                      MatchCase{{{1, 8, 0, 131}}, L"1.8.0_131", true},
                      MatchCase{{{1, 8, 0, 121}}, L"1.8.0_131", false},
                      MatchCase{{{1, 7, 0, 80}}, L"1.8", false},
                      MatchCase{{{11, 0, 2, 9}}, L"11", true},
                      MatchCase{{{11, 0, 2, 9}}, L"1", false},
                      MatchCase{{{17, 0, 1, 0}}, L"", true},
                      MatchCase{{{17, 0, 1, 0}}, L"none", true}));

struct PhraseCase {
    const wchar_t* minimum;
    const wchar_t* maximum;
    const wchar_t* expected;
};

class RequirementPhraseTest : public ::testing::TestWithParam<PhraseCase> {};

TEST_P(RequirementPhraseTest, NamesTheBoundsThatApply)
{
    JavaVersion minimum = boundFromText(GetParam().minimum, BoundKind::minimum);
    JavaVersion maximum = boundFromText(GetParam().maximum, BoundKind::maximum);
    EXPECT_EQ(requirementPhrase(minimum, maximum), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RequirementPhraseTest,
    ::testing::Values(PhraseCase{L"any", L"any", L"latest version"},
                      PhraseCase{L"1.6", L"any", L"minimum version 1.6"},
                      PhraseCase{L"any", L"1.8", L"maximum version 1.8"},
                      PhraseCase{L"1.8", L"1.8", L"version between 1.8 and 1.8"},
                      PhraseCase{L"1.8.0.0", L"1.8.0.0", L"version 1.8 is required"},
                      PhraseCase{L"1.6", L"1.8", L"version between 1.6 and 1.8"},
                      PhraseCase{L"any", L"9", L"maximum version 9.65535"},
                      PhraseCase{L"1.6", L"", L"minimum version 1.6"}));

TEST(IsOpenBoundTest, OnlyAllZeroOrAll65535)
{
    EXPECT_TRUE(isOpenBound({}));
    EXPECT_TRUE(isOpenBound({{kOpen, kOpen, kOpen, kOpen}}));
    EXPECT_FALSE(isOpenBound({{1, 8, kOpen, kOpen}}));
    EXPECT_FALSE(isOpenBound({{0, 0, 0, 1}}));
}

}  // namespace
}  // namespace velmar
