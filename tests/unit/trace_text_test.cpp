// The way a stack trace travels from the runtime into the dialog: modified
// UTF-8 from GetStringUTFChars to UTF-16, then line ends an edit control
// breaks lines at.
#include "ui/exception_dialog.h"
#include "jvm/java_strings.h"
#include "jvm/uncaught_exception.h"

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

struct HeadlineCase {
    const char* name;
    std::wstring trace;
    std::wstring headlines;
};

class HeadlinesTest : public ::testing::TestWithParam<HeadlineCase> {};

TEST_P(HeadlinesTest, KeepTheExceptionsAndDropTheFrames)
{
    EXPECT_EQ(exceptionHeadlines(GetParam().trace), GetParam().headlines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeadlinesTest,
    ::testing::Values(
        HeadlineCase{"empty", L"", L""},
        HeadlineCase{"initializer_error",
                     L"java.lang.ExceptionInInitializerError\r\n"
                     L"Caused by: java.lang.IllegalStateException: no settings\r\n"
                     L"\tat a.Main.<clinit>(Main.java:3)\r\n",
                     L"java.lang.ExceptionInInitializerError\n"
                     L"Caused by: java.lang.IllegalStateException: no settings"},
        HeadlineCase{"elided_and_suppressed",
                     L"java.lang.Error: a\r\n\tat a.B.c(B.java:1)\r\n\tSuppressed: java.lang.Error: s\r\n"
                     L"\t\tat a.B.d(B.java:2)\r\nCaused by: java.io.IOException: b\r\n\t... 1 more\r\n",
                     L"java.lang.Error: a\nCaused by: java.io.IOException: b"},
        HeadlineCase{"message_of_two_lines_without_end", L"java.lang.Error: one\ntwo",
                     L"java.lang.Error: one\ntwo"},
        HeadlineCase{"blank_lines_dropped", L"\r\njava.lang.Error\r\n\r\n", L"java.lang.Error"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmar
