#include "support/text.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

TEST(SplitListTest, KeepsEmptyItemsBeforeASeparatorOnly)
{
    using List = std::vector<std::wstring>;
    EXPECT_EQ(splitList(L""), List{});
    EXPECT_EQ(splitList(L"1.8"), List{L"1.8"});
    EXPECT_EQ(splitList(L"1.8;;11"), (List{L"1.8", L"", L"11"}));
    EXPECT_EQ(splitList(L"1.8;"), List{L"1.8"});
    EXPECT_EQ(splitList(L";"), List{L""});
    EXPECT_EQ(splitList(L";a"), (List{L"", L"a"}));
}

TEST(EqualsIgnoringCaseTest, IgnoresAsciiLetterCaseOnly)
{
    EXPECT_TRUE(equalsIgnoringCase(L"Yes", L"yES"));
    EXPECT_TRUE(equalsIgnoringCase(L"favor_IBM", L"FAVOR_ibm"));
    EXPECT_FALSE(equalsIgnoringCase(L"Yes", L"Yes "));
    EXPECT_FALSE(equalsIgnoringCase(L"yes", L"ye"));
}

TEST(ToThreadAnsiTest, NeverMapsToALookAlike)
{
    // A fullwidth backslash and quote must not become real ones.
    std::string converted = toThreadAnsi(L"a\xFF3C" L"b\xFF02");
    EXPECT_EQ(converted.find('\\'), std::string::npos);
    EXPECT_EQ(converted.find('"'), std::string::npos);
    EXPECT_EQ(toThreadAnsi(L"plain -Dx=1"), "plain -Dx=1");
}

TEST(Utf8Test, RoundTrips)
{
    std::wstring text = L"caf\x00E9 \x65E5\x672C";
    EXPECT_EQ(fromUtf8(toUtf8(text)), text);
}

}  // namespace
}  // namespace velmar
