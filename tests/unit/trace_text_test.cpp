// The way a stack trace travels from the runtime into the dialog: modified
// UTF-8 from GetStringUTFChars to UTF-16, then line ends an edit control
// breaks lines at.
#include "jvm/exception_dialog.h"
#include "jvm/java_strings.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

struct DecodingCase {
    const char* name;
    std::string bytes;
    std::wstring text;
};

class ModifiedUtf8Test : public ::testing::TestWithParam<DecodingCase> {};

TEST_P(ModifiedUtf8Test, GivesOneUnitPerSequence)
{
    EXPECT_EQ(fromModifiedUtf8(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModifiedUtf8Test,
    ::testing::Values(
        DecodingCase{"empty", "", L""},
        DecodingCase{"ascii", "at a.B.main(B.java:7)\r\n", L"at a.B.main(B.java:7)\r\n"},
        DecodingCase{"two_bytes", "caf\xC3\xA9", L"caf\x00E9"},
        DecodingCase{"nul_as_two_bytes", "a\xC0\x80z", std::wstring(L"a\0z", 3)},
        DecodingCase{"three_bytes", "\xE6\x97\xA5\xE6\x9C\xAC", L"\x65E5\x672C"},
        // U+1D11E as the runtime gives it: each surrogate on its own.
        DecodingCase{"surrogate_pair", "\xED\xA0\xB4\xED\xB4\x9E", L"\xD834\xDD1E"},
        DecodingCase{"stray_continuation", "a\x80z", L"a\xFFFDz"},
        DecodingCase{"cut_short", "a\xE6\x97", L"a\xFFFD\xFFFD"},
        DecodingCase{"lead_without_continuation", "\xC3z", L"\xFFFDz"},
        DecodingCase{"four_byte_form", "\xF0\x9D\x84\x9E", L"\xFFFD\xFFFD\xFFFD\xFFFD"}),
    [](const auto& info) { return std::string(info.param.name); });

struct LineEndCase {
    const char* name;
    std::wstring text;
    std::wstring shown;
};

class LineEndTest : public ::testing::TestWithParam<LineEndCase> {};

TEST_P(LineEndTest, EveryLineEndBecomesCrLf)
{
    EXPECT_EQ(withWindowsLineEnds(GetParam().text), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineEndTest,
    ::testing::Values(LineEndCase{"empty", L"", L""},
                      LineEndCase{"crlf_kept", L"a\r\n\tat b\r\n", L"a\r\n\tat b\r\n"},
                      LineEndCase{"lone_lf", L"a\nb\n", L"a\r\nb\r\n"},
                      LineEndCase{"lone_cr", L"a\rb", L"a\r\nb"},
                      LineEndCase{"lf_cr_is_two_ends", L"a\n\rb", L"a\r\n\r\nb"},
                      LineEndCase{"cr_cr_lf", L"a\r\r\nb", L"a\r\n\r\nb"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmar
