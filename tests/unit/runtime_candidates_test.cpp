#include "config/settings.h"
#include "runtime/runtime_candidates.h"

#include <gtest/gtest.h>

#include <random>
#include <utility>

namespace velmar {
namespace {

SearchPolicy policyOf(std::wstring_view jvmSource, std::wstring_view vmProvider, int jvmType = 0)
{
    SearchPolicy policy;
    policy.kinds = decodeJvmSource(jvmSource);
    policy.providers = decodeVmProvider(vmProvider);
    policy.jvmType = jvmType;
    return policy;
}

JavaVersion version(std::wstring_view text)
{
    return parseVersion(text, 0).value;
}

// The keys a pass visits, by their place in the vendor table.
std::vector<size_t> visitedRows(const SearchPolicy& policy)
{
    std::vector<size_t> rows;
    for (size_t i = 0; i < vendorRows().size(); ++i) {
        if (rowVisited(vendorRows()[i], policy)) {
            rows.push_back(i);
        }
    }
    return rows;
}

TEST(RowVisitedTest, KindsAndProvidersChooseTheKeys)
{
    using Rows = std::vector<size_t>;
    const Rows sun = {0, 1, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    const Rows sunJre = {1, 6, 8, 10, 13, 15};
    const Rows sunJdk = {0, 5, 7, 9, 11, 12, 14};
    const Rows ibm = {4, 16, 17};
    const Rows jrockit = {2, 3};
    struct Case {
        const char* name;
        SearchPolicy policy;
        Rows rows;
    };
    const Case cases[] = {
        {"defaults", policyOf(L"", L""), sun},
        {"sun is no keyword", policyOf(L"", L"sun"), sun},
        {"only_JRE", policyOf(L"only_JRE", L""), sunJre},
        {"only_JDK", policyOf(L"only_JDK", L""), sunJdk},
        {"favor_JRE searches JDKs too", policyOf(L"favor_JRE", L""), sun},
        {"only_jre in other case", policyOf(L"only_jre", L"any"), {}},
        {"ibm", policyOf(L"", L"IBM"), ibm},
        {"jrockit", policyOf(L"", L"jrockit"), jrockit},
        {"ibm JREs only", policyOf(L"only_JRE", L"ibm"), {4, 17}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(visitedRows(c.policy), c.rows) << c.name;
    }
    EXPECT_EQ(visitedRows(policyOf(L"", L"any")).size(), vendorRows().size());
}

TEST(RowPreferredTest, SelectedKindOfAFavouredProvider)
{
    const VendorRow& sunJdk = vendorRows()[0];
    const VendorRow& sunJre = vendorRows()[1];
    const VendorRow& jrockitJre = vendorRows()[2];
    const VendorRow& semeruJdk = vendorRows()[16];
    struct Case {
        const char* name;
        SearchPolicy policy;
        bool sunJdk, sunJre, jrockitJre, semeruJdk;
    };
    const Case cases[] = {
        {"defaults", policyOf(L"", L""), true, true, false, false},
        {"favor_JRE, favor_sun", policyOf(L"favor_JRE", L"favor_sun"), false, true, false, false},
        {"any provider", policyOf(L"", L"any"), false, false, false, false},
        {"favor_ibm", policyOf(L"", L"favor_ibm"), false, false, false, true},
        {"favor_jrockit", policyOf(L"", L"favor_jrockit"), false, false, true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(rowPreferred(sunJdk, c.policy), c.sunJdk) << c.name;
        EXPECT_EQ(rowPreferred(sunJre, c.policy), c.sunJre) << c.name;
        EXPECT_EQ(rowPreferred(jrockitJre, c.policy), c.jrockitJre) << c.name;
        EXPECT_EQ(rowPreferred(semeruJdk, c.policy), c.semeruJdk) << c.name;
    }
}

TEST(RowVmTypeTest, OnlyTheJavaSoftJreKeyLooksUpAFavouredServerAsDefault)
{
    for (size_t i = 0; i < vendorRows().size(); ++i) {
        const int expected = i == 1 ? 0 : 2;
        EXPECT_EQ(rowVmType(vendorRows()[i], 2), expected) << "row " << i;
        EXPECT_EQ(rowVmType(vendorRows()[i], 1), 1) << "row " << i;
        EXPECT_EQ(rowVmType(vendorRows()[i], 0), 0) << "row " << i;
    }
}

TEST(WithinBoundsTest, AnEmptyMaximumIsNoMaximum)
{
    struct Case {
        const wchar_t* minimum;
        const wchar_t* maximum;
        const wchar_t* registered;
        bool admitted;
    };
    const Case cases[] = {
        {L"1.6", L"1.8", L"1.8.0_131", true},  {L"1.6", L"1.8", L"9", false},
        {L"1.6", L"1.8", L"11.0.2", false},    {L"1.6", L"1.8", L"1.5.0", false},
        {L"1.6", L"1.8", L"1.6", true},        {L"11", L"", L"17.0.2", true},
        {L"11", L"", L"1.8", false},           {L"", L"", L"21.0.1.12", true},
        {L"", L"none", L"21", true},           {L"any", L"any", L"1.4", true},
        {L"", L"17", L"17.0.9", true},         {L"", L"17", L"21", false},
        {L"1.8", L"1.8", L"1.8.0_401", true},
    };
    for (const Case& c : cases) {
        SearchPolicy policy;
        policy.minimum = boundFromText(c.minimum, BoundKind::minimum);
        policy.maximum = boundFromText(c.maximum, BoundKind::maximum);
        EXPECT_EQ(withinBounds(version(c.registered), policy), c.admitted)
            << ::testing::PrintToString(std::wstring(c.minimum) + L" .. " + c.maximum + L": " +
                                        c.registered);
    }
}

RuntimeCandidate candidate(std::wstring_view home, std::wstring_view text, bool server,
                           bool preferred)
{
    return {version(text), std::wstring(home), server, preferred};
}

std::vector<std::wstring> homesOf(const std::vector<RuntimeCandidate>& candidates)
{
    std::vector<std::wstring> homes;
    for (const RuntimeCandidate& c : candidates) {
        homes.push_back(c.home);
    }
    return homes;
}

TEST(SortCandidatesTest, PreferredThenServerThenNewest)
{
    using Homes = std::vector<std::wstring>;
    // Found in this order: a JDK 1.8.0_131 with a server VM, a favoured JRE
    // 1.8.0_121 found by its client VM, a favoured JRE 1.7.0_80 with only a
    // server VM, and a JRockit 1.6.0_45 with a server VM.
    const std::vector<RuntimeCandidate> found = {
        candidate(L"jdk8", L"1.8.0_131", true, false),
        candidate(L"jre8", L"1.8.0_121", false, true),
        candidate(L"jre7", L"1.7.0_80", true, true),
        candidate(L"jrockit6", L"1.6.0_45", true, false),
    };
    struct Case {
        const char* name;
        SearchPolicy policy;
        bool noneFavoured;  // "VM Provider" any: no candidate is preferred
        Homes order;
    };
    const Case cases[] = {
        {"favor_JRE, favor_sun, favor_server", policyOf(L"favor_JRE", L"favor_sun", 2), false,
         {L"jre7", L"jre8", L"jdk8", L"jrockit6"}},
        {"any provider, favor_server", policyOf(L"", L"any", 2), true,
         {L"jdk8", L"jre7", L"jrockit6", L"jre8"}},
        {"default VM type", policyOf(L"favor_JRE", L"favor_sun", 0), false,
         {L"jre8", L"jre7", L"jdk8", L"jrockit6"}},
        {"one kind only: preference unused", policyOf(L"only_JRE", L"favor_sun", 0), false,
         {L"jdk8", L"jre8", L"jre7", L"jrockit6"}},
    };
    for (const Case& c : cases) {
        std::vector<RuntimeCandidate> sorted = found;
        for (RuntimeCandidate& candidate : sorted) {
            candidate.preferred = candidate.preferred && !c.noneFavoured;
        }
        sortCandidates(sorted, c.policy);
        EXPECT_EQ(homesOf(sorted), c.order) << c.name;
    }

    std::vector<RuntimeCandidate> twins = {candidate(L"first", L"17", false, false),
                                          candidate(L"second", L"17.0.0", false, false)};
    sortCandidates(twins, policyOf(L"", L"any"));
    EXPECT_EQ(homesOf(twins), (Homes{L"first", L"second"})) << "equal ones keep their order";
}

// Lists of every length up to a few merge widths, with many ties: the
// result holds each candidate once, preferred before not, server VM before
// not, newer before older, and equal ones in the order they were found.
TEST(SortCandidatesTest, AnyLengthOrderedAndStable)
{
    const wchar_t* const versions[] = {L"1.6", L"1.7.0_80", L"1.8", L"11", L"17.0.2"};
    const SearchPolicy policy = policyOf(L"favor_JRE", L"favor_sun", 2);
    std::mt19937 random(7);
    for (size_t length = 0; length <= 70; ++length) {
        std::vector<RuntimeCandidate> sorted;
        for (size_t i = 0; i < length; ++i) {
            sorted.push_back(candidate(std::to_wstring(i), versions[random() % 5], random() % 2 == 0,
                                       random() % 3 == 0));
        }
        const std::vector<RuntimeCandidate> found = sorted;
        sortCandidates(sorted, policy);
        ASSERT_EQ(sorted.size(), length);
        std::vector<bool> seen(length);
        for (size_t i = 0; i < length; ++i) {
            const size_t place = std::stoul(sorted[i].home);
            ASSERT_FALSE(seen[place]) << "length " << length;
            seen[place] = true;
            EXPECT_EQ(sorted[i].version, found[place].version);
            if (i == 0) {
                continue;
            }
            const RuntimeCandidate& a = sorted[i - 1];
            const RuntimeCandidate& b = sorted[i];
            const auto key = [](const RuntimeCandidate& c) {
                return std::make_pair(c.preferred, c.hasServerVm);
            };
            ASSERT_GE(key(a), key(b)) << "length " << length << " at " << i;
            if (key(a) == key(b)) {
                const int order = compareVersions(a.version, b.version);
                ASSERT_GE(order, 0) << "length " << length << " at " << i;
                if (order == 0) {
                    EXPECT_LT(std::stoul(a.home), place) << "length " << length << " at " << i;
                }
            }
        }
    }
}

TEST(ChooseCandidateTest, FirstMatchOfThePreferredVersionsInTheirOrder)
{
    const std::vector<RuntimeCandidate> sorted = {
        candidate(L"jdk17", L"17.0.2", false, true),
        candidate(L"jre8u131", L"1.8.0_131", false, true),
        candidate(L"jre8", L"1.8", false, true),
        candidate(L"jre7", L"1.7.0_80", false, true),
    };
    struct Case {
        std::vector<std::wstring> preferred;
        const wchar_t* chosen;
    };
    const Case cases[] = {
        {{}, L"jdk17"},
        {{L"1.7", L"1.8"}, L"jre7"},
        {{L"1.8"}, L"jre8u131"},
        {{L"1.8.0"}, L"jre8u131"},
        {{L"1.8.0_0"}, L"jre8u131"},
        {{L"1.8.0.1"}, L"jdk17"},
        {{L"11", L"1.8"}, L"jre8u131"},
        {{L"", L"1.7"}, L"jdk17"},
        {{L"1.6"}, L"jdk17"},
        {{L"1.8.0_131-b11"}, L"jre8u131"},
    };
    for (const Case& c : cases) {
        const auto chosen = chooseCandidate(sorted, c.preferred);
        ASSERT_TRUE(chosen);
        EXPECT_EQ(chosen->home, c.chosen) << ::testing::PrintToString(c.preferred);
    }
    EXPECT_FALSE(chooseCandidate({}, {L"1.8"}));
}

// The reason is given exactly for the rows the search leaves out, and
// names the setting that left each out.
TEST(RowSkipReasonTest, IsGivenForEveryRowNotVisitedAndNoOther)
{
    struct Case {
        const char* name;
        SearchPolicy policy;
    };
    const Case cases[] = {
        {"defaults", policyOf(L"", L"")},
        {"only_JRE", policyOf(L"only_JRE", L"")},
        {"only_JDK ibm", policyOf(L"only_JDK", L"ibm")},
        {"favor_JRE any", policyOf(L"favor_JRE", L"any")},
        {"unknown source", policyOf(L"only_jre", L"any")},
        {"jrockit", policyOf(L"", L"jrockit")},
    };
    for (const Case& c : cases) {
        for (const VendorRow& row : vendorRows()) {
            const std::wstring_view reason = rowSkipReason(row, c.policy);
            EXPECT_EQ(reason.empty(), rowVisited(row, c.policy)) << c.name << ": " << ::testing::PrintToString(std::wstring(row.key));
            if (!reason.empty()) {
                const bool kindLeftOut = !c.policy.kinds.bothKindsAllowed &&
                                         !(row.kind == RuntimeKind::jdk ? c.policy.kinds.jdkSelected
                                                                        : c.policy.kinds.jreSelected);
                EXPECT_NE(reason.find(kindLeftOut ? L"\"JVM Source\"" : L"\"VM Provider\""),
                          std::wstring_view::npos)
                    << c.name;
            }
        }
    }
    const VendorRow& javaSoftJdk = vendorRows()[0];
    EXPECT_EQ(rowSkipReason(javaSoftJdk, policyOf(L"only_JRE", L"")), L"JDKs not selected by \"JVM Source\"");
}

TEST(PassedOverReasonTest, NamesTheFirstSortKeyTheCandidateLostIn)
{
    struct Case {
        const char* name;
        SearchPolicy policy;
        RuntimeCandidate passed;
        RuntimeCandidate taken;
        bool sortedBefore;
        std::wstring_view reason;
    };
    const Case cases[] = {
        {"older", policyOf(L"", L""), candidate(L"C:\\rt\\", L"11", true, true), candidate(L"C:\\rt\\", L"17", true, true), false,
         L"older than the one taken"},
        {"same version found later", policyOf(L"", L""), candidate(L"C:\\rt\\", L"17", true, true),
         candidate(L"C:\\rt\\", L"17", true, true), false, L"the same version as the one taken, found after it"},
        {"newer but not preferred", policyOf(L"favor_JRE", L""), candidate(L"C:\\rt\\", L"21", true, false),
         candidate(L"C:\\rt\\", L"17", true, true), false,
         L"not preferred: its kind is not the favoured one or its provider not favoured"},
        {"preference does not count with one kind only", policyOf(L"only_JRE", L"any"),
         candidate(L"C:\\rt\\", L"11", true, false), candidate(L"C:\\rt\\", L"17", true, true), false, L"older than the one taken"},
        {"newer without a server VM", policyOf(L"", L"", 2), candidate(L"C:\\rt\\", L"21", false, true),
         candidate(L"C:\\rt\\", L"17", true, true), false, L"no server VM, which \"JVM Type\" favours"},
        {"server VM does not count unless favoured", policyOf(L"", L"", 0), candidate(L"C:\\rt\\", L"11", false, true),
         candidate(L"C:\\rt\\", L"17", true, true), false, L"older than the one taken"},
        {"newer, but a preferred version was asked for", policyOf(L"", L""), candidate(L"C:\\rt\\", L"21", true, true),
         candidate(L"C:\\rt\\", L"17", true, true), true, L"not of a version \"Preferred versions\" asks for"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(passedOverReason(c.passed, c.taken, c.policy, c.sortedBefore), c.reason) << c.name;
    }
}

}  // namespace
}  // namespace velmar
