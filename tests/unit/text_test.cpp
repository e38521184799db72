#include "support/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>

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

TEST(DecimalTextTest, WritesEveryValueWithItsSign)
{
    const std::pair<long long, const wchar_t*> cases[] = {
        {0, L"0"}, {7, L"7"}, {-1, L"-1"}, {10, L"10"}, {1234567890123LL, L"1234567890123"},
        {LLONG_MAX, L"9223372036854775807"}, {LLONG_MIN, L"-9223372036854775808"},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(decimalText(value), expected);
    }
}

struct LetterCaseCase {
    const char* name;
    std::wstring a;
    std::wstring b;
    bool asciiRule;    // the switches' values
    bool ordinalRule;  // paths, INI section and key names
};

TEST(EqualsIgnoringCaseTest, TheSwitchesIgnoreAsciiCaseTheSystemEveryLetters)
{
    const LetterCaseCase cases[] = {
        {"ASCII letters", L"Yes", L"yES", true, true},
        {"a switch's word", L"favor_IBM", L"FAVOR_ibm", true, true},
        {"a path in other case", L"C:\\Logs\\app.log", L"c:\\logs\\APP.LOG", true, true},
        {"non-ASCII letters", L"C:\\Logs\\\x00C4.log", L"C:\\logs\\\x00E4.log", false, true},
        {"a trailing blank", L"Yes", L"Yes ", false, false},
        {"one text the start of the other", L"app.log", L"app.log2", false, false},
        {"other names", L"out.log", L"err.log", false, false},
        {"both empty", L"", L"", true, true},
        {"one empty", L"", L"a", false, false},
    };
    for (const LetterCaseCase& c : cases) {
        EXPECT_EQ(equalsIgnoringCase(c.a, c.b), c.asciiRule) << c.name;
        EXPECT_EQ(equalsIgnoringCaseOrdinal(c.a, c.b), c.ordinalRule) << c.name;
        EXPECT_EQ(equalsIgnoringCaseOrdinal(c.b, c.a), c.ordinalRule) << c.name << " (swapped)";
    }
}

TEST(IsDigitTest, TakesAsciiDigitsOnly)
{
    const std::pair<wchar_t, bool> cases[] = {
        {L'0', true}, {L'9', true}, {L'/', false}, {L':', false}, {L'a', false},
        {L'\x0660', false},  // ARABIC-INDIC DIGIT ZERO
        {L'\xFF11', false},  // FULLWIDTH DIGIT ONE
    };
    for (const auto& [c, digit] : cases) {
        EXPECT_EQ(isDigit(c), digit) << static_cast<int>(c);
    }
}

// WideCharToMultiByte held to the parameter rules its documentation
// states, which Wine does not enforce: for UTF-8 only the flag
// WC_ERR_INVALID_CHARS is allowed and no default-character argument;
// WC_ERR_INVALID_CHARS is allowed for no other code page here.
int WINAPI documentedWideCharToMultiByte(UINT codePage, DWORD flags, LPCWCH text, int length,
                                         LPSTR out, int size, LPCCH defaultChar, LPBOOL usedDefault)
{
    if (codePage == CP_UTF8 ? (flags & ~WC_ERR_INVALID_CHARS) != 0
                            : (flags & WC_ERR_INVALID_CHARS) != 0) {
        ::SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    if (codePage == CP_UTF8 && (defaultChar != nullptr || usedDefault != nullptr)) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return ::WideCharToMultiByte(codePage, flags, text, length, out, size, defaultChar, usedDefault);
}

struct CodePageCase {
    const char* label;
    std::wstring text;
    UINT codePage;
    std::optional<std::string> expected;  // nullopt: the conversion fails
    bool lossy = false;
    DWORD error = 0;  // the last error of a failed conversion

    friend void PrintTo(const CodePageCase& c, std::ostream* out) { *out << c.label; }
};

class ToCodePageTest : public ::testing::TestWithParam<CodePageCase> {};

TEST_P(ToCodePageTest, ConvertsOrFailsAsTheSystemDocuments)
{
    const CodePageCase& c = GetParam();
    ::SetLastError(0);
    std::optional<NarrowText> converted = toCodePage(c.text, c.codePage, documentedWideCharToMultiByte);
    const DWORD error = ::GetLastError();
    if (!c.expected) {
        EXPECT_FALSE(converted) << converted->bytes;
        EXPECT_EQ(error, c.error);
        return;
    }
    ASSERT_TRUE(converted) << "error " << error;
    EXPECT_EQ(converted->bytes, *c.expected);
    EXPECT_EQ(converted->lossy, c.lossy);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ToCodePageTest,
    ::testing::Values(
        CodePageCase{"utf8 Cyrillic and CJK", L"-Dn=\x041F\x0440\x0438 \x65E5\x672C", CP_UTF8,
                     "-Dn=\xD0\x9F\xD1\x80\xD0\xB8 \xE6\x97\xA5\xE6\x9C\xAC"},
        CodePageCase{"utf8 surrogate pair", L"\xD83D\xDE00", CP_UTF8, "\xF0\x9F\x98\x80"},
        CodePageCase{"utf8 lone surrogate", L"-Dx=a\xD800" L"b", CP_UTF8, std::nullopt, false,
                     ERROR_NO_UNICODE_TRANSLATION},
        CodePageCase{"utf8 empty", L"", CP_UTF8, ""},
        CodePageCase{"1252 Cyrillic", L"-Dn=\x041F\x0440\x0438", 1252, "-Dn=???", true},
        // A fullwidth backslash and quote must not become real ones.
        CodePageCase{"1252 no look-alike", L"a\xFF3C" L"b\xFF02", 1252, "a?b?", true},
        CodePageCase{"1252 Latin letters", L"caf\x00E9", 1252, "caf\xE9"},
        CodePageCase{"1252 empty", L"", 1252, ""},
        CodePageCase{"thread code page", L"plain -Dx=1", CP_THREAD_ACP, "plain -Dx=1"}),
    [](const auto& info) {
        std::string name = info.param.label;
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

TEST(Utf8Test, RoundTrips)
{
    std::wstring text = L"caf\x00E9 \x65E5\x672C";
    EXPECT_EQ(fromUtf8(toUtf8(text)), text);
}

}  // namespace
}  // namespace velmar
