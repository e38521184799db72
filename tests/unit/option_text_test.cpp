#include "jvm/option_text.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

using List = std::vector<std::wstring>;

TEST(VmParametersTest, CutsAtBlanksOutsideQuotedSpans)
{
    const std::pair<const wchar_t*, List> cases[] = {
        {L"", {}},
        {L"   ", {}},
        {L"-Xms64m   -Xmx512m", {L"-Xms64m", L"-Xmx512m"}},
        {L"  -Da=1 ", {L"-Da=1"}},
        {L"-Dapp.home=\"C:\\Program Files\\Sample\" -Xmx512m",
         {L"-Dapp.home=\"C:\\Program Files\\Sample\"", L"-Xmx512m"}},
        {L"\"-Da=x y\"z -Db", {L"\"-Da=x y\"z", L"-Db"}},
        {L"-Da=\"x y\"\" z\" -Db", {L"-Da=\"x y\"\"", L"z\"", L"-Db"}},  // a quote after the span belongs to it
        {L"-Da=\"x y -Db", {L"-Da=\"x", L"y", L"-Db"}},              // no partner, no span
        {L"\tx y", {L"\tx", L"y"}},                                  // only the blank separates
    };
    for (const auto& [text, tokens] : cases) {
        EXPECT_EQ(cutVmParameters(text), tokens) << ::testing::PrintToString(std::wstring(text));
    }
}

TEST(VmParametersTest, RemovesEachQuotedSpan)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"-Dapp.home=\"C:\\Program Files\\Sample\"", L"-Dapp.home=C:\\Program Files\\Sample"},
        {L"\"-Da=x y\"z", L"-Da=x yz"},
        {L"-Da=\"x\"\"y\"", L"-Da=x\"y\""},  // the extended span keeps one quote
        {L"-Da=\"\"", L"-Da="},
        {L"-Da=\"x", L"-Da=\"x"},
        {L"\"a\"\"b\"c\"", L"a\"bc"},  // the search goes on after the inserted text
        {L"plain", L"plain"},
    };
    for (const auto& [token, unquoted] : cases) {
        EXPECT_EQ(removeQuotes(token), unquoted) << ::testing::PrintToString(std::wstring(token));
    }
}

TEST(VmParametersTest, JoinsTheLongOptionsJavaTakesWithASeparateValue)
{
    const std::pair<List, List> cases[] = {
        {{L"--add-opens", L"java.base/java.lang=ALL-UNNAMED", L"-Xmx1g"},
         {L"--add-opens=java.base/java.lang=ALL-UNNAMED", L"-Xmx1g"}},
        {{L"-p", L"C:\\mods", L"--add-modules", L"ALL-MODULE-PATH"},
         {L"--module-path=C:\\mods", L"--add-modules=ALL-MODULE-PATH"}},
        {{L"--add-exports=a/b=c", L"--add-reads", L"a=b"}, {L"--add-exports=a/b=c", L"--add-reads=a=b"}},
        {{L"--upgrade-module-path", L"u", L"--limit-modules", L"m", L"--patch-module", L"m=p",
          L"--enable-native-access", L"ALL-UNNAMED", L"--module-path", L"x"},
         {L"--upgrade-module-path=u", L"--limit-modules=m", L"--patch-module=m=p",
          L"--enable-native-access=ALL-UNNAMED", L"--module-path=x"}},
        {{L"--add-opens", L"--add-opens"}, {L"--add-opens=--add-opens"}},  // the next token is the value
        {{L"-Xmx1g", L"--add-opens"}, {L"-Xmx1g", L"--add-opens"}},        // no value: the VM says so
        {{L"--ADD-OPENS", L"a=b", L"-P", L"x", L"--add-opensx", L"y"},       // names are exact
         {L"--ADD-OPENS", L"a=b", L"-P", L"x", L"--add-opensx", L"y"}},
        {{}, {}},
    };
    for (const auto& [tokens, options] : cases) {
        EXPECT_EQ(joinSeparateValues(tokens), options) << ::testing::PrintToString(tokens);
    }
}

TEST(CmdPiecesTest, QuotesCountOnlyWherePiecesStart)
{
    const std::pair<const wchar_t*, List> cases[] = {
        {L"-mode \"red blue\" -fast", {L"-mode", L"red blue", L"-fast"}},
        {L"a  b", {L"a", L"b"}},
        {L" a", {L"", L"a"}},
        {L"", {L""}},
        {L"\"unterminated rest", {L"unterminated rest"}},
        {L"\"a b\"c", {L"a b", L"c"}},
        {L"x\"y z", {L"x\"y", L"z"}},
        {L"\"\"", {L""}},
        {L"a ", {L"a"}},
    };
    for (const auto& [text, pieces] : cases) {
        EXPECT_EQ(cutCmdPieces(text), pieces) << ::testing::PrintToString(std::wstring(text));
    }
}

}  // namespace
}  // namespace velmar
