// The diagnostic trace's pure parts: the bytes of one line, the encoding
// an INI file's first bytes announce, and the reasons given for a registry
// row left out and for a runtime passed over.
#include "config/settings.h"
#include "config/settings_trace.h"
#include "runtime/runtime_candidates.h"
#include "support/trace.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

struct LineCase {
    const char* name;
    std::wstring_view stage;
    std::vector<std::wstring_view> pieces;
    std::string bytes;
};

void PrintTo(const LineCase& c, std::ostream* os)
{
    *os << c.name;
}

class TraceLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(TraceLineTest, IsOneUtf8LineWithItsProcessAndStage)
{
    const LineCase& c = GetParam();
    std::string line;
    // The pieces of a case are passed as a caller passes them.
    switch (c.pieces.size()) {
    case 1:
        line = traceLine(4242, c.stage, {c.pieces[0]});
        break;
    case 3:
        line = traceLine(4242, c.stage, {c.pieces[0], c.pieces[1], c.pieces[2]});
        break;
    default:
        FAIL() << "no such case";
    }
    EXPECT_EQ(line, c.bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TraceLineTest,
    ::testing::Values(
        LineCase{"ascii_pieces_joined", L"exit", {L"code ", L"-1", L": no runtime"},
                 "[4242] exit: code -1: no runtime\r\n"},
        LineCase{"latin_path", L"runtime", {L"VM library C:\\Users\\J\u00fcrgen\\jvm.dll"},
                 "[4242] runtime: VM library C:\\Users\\J\xC3\xBCrgen\\jvm.dll\r\n"},
        LineCase{"cjk_path", L"ini", {L"launcher INI ", L"D:\\\u65E5\u672C\\a.ini", L": empty"},
                 "[4242] ini: launcher INI D:\\\xE6\x97\xA5\xE6\x9C\xAC\\a.ini: empty\r\n"},
        LineCase{"surrogate_pair", L"java", {L"argument \U0001F600.txt"},
                 "[4242] java: argument \xF0\x9F\x98\x80.txt\r\n"},
        LineCase{"line_breaks_in_a_value", L"ini", {L"[A] Cmd = ", L"one\r\ntwo\n", L"three"},
                 "[4242] ini: [A] Cmd = one  two three\r\n"},
        LineCase{"empty_pieces", L"instance", {L"", L"handed over", L""},
                 "[4242] instance: handed over\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniEncodingNameTest, NamesTheByteOrderMarkOrItsAbsence)
{
    struct Case {
        std::string_view bytes;
        std::wstring_view name;
    };
    const Case cases[] = {
        {"\xFF\xFE[", L"UTF-16 little-endian with byte-order mark"},
        {"\xFE\xFF\0", L"UTF-16 big-endian with byte-order mark"},
        {"\xEF\xBB\xBF", L"UTF-8 with byte-order mark"},
        {"\xEF\xBB[", L"no byte-order mark, read in the ANSI code page"},
        {"\xFF", L"no byte-order mark, read in the ANSI code page"},
        {"[Ja", L"no byte-order mark, read in the ANSI code page"},
        {"", L"empty"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(iniEncodingName(c.bytes), c.name) << ::testing::PrintToString(std::string(c.bytes));
    }
}

SearchPolicy policyOf(std::wstring_view jvmSource, std::wstring_view vmProvider, int jvmType = 0)
{
    SearchPolicy policy;
    policy.kinds = decodeJvmSource(jvmSource);
    policy.providers = decodeVmProvider(vmProvider);
    policy.jvmType = jvmType;
    return policy;
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

RuntimeCandidate candidate(std::wstring_view version, bool server, bool preferred)
{
    return {parseVersion(version, 0).value, L"C:\\rt\\", server, preferred};
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
        {"older", policyOf(L"", L""), candidate(L"11", true, true), candidate(L"17", true, true), false,
         L"older than the one taken"},
        {"same version found later", policyOf(L"", L""), candidate(L"17", true, true),
         candidate(L"17", true, true), false, L"the same version as the one taken, found after it"},
        {"newer but not preferred", policyOf(L"favor_JRE", L""), candidate(L"21", true, false),
         candidate(L"17", true, true), false,
         L"not preferred: its kind is not the favoured one or its provider not favoured"},
        {"preference does not count with one kind only", policyOf(L"only_JRE", L"any"),
         candidate(L"11", true, false), candidate(L"17", true, true), false, L"older than the one taken"},
        {"newer without a server VM", policyOf(L"", L"", 2), candidate(L"21", false, true),
         candidate(L"17", true, true), false, L"no server VM, which \"JVM Type\" favours"},
        {"server VM does not count unless favoured", policyOf(L"", L"", 0), candidate(L"11", false, true),
         candidate(L"17", true, true), false, L"older than the one taken"},
        {"newer, but a preferred version was asked for", policyOf(L"", L""), candidate(L"21", true, true),
         candidate(L"17", true, true), true, L"not of a version \"Preferred versions\" asks for"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(passedOverReason(c.passed, c.taken, c.policy, c.sortedBefore), c.reason) << c.name;
    }
}

}  // namespace
}  // namespace velmar
