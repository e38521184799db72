#include "support/standard_streams.h"

#include "support/handles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace velmar {
namespace {

struct PieceCase {
    const char* name;
    std::wstring text;
    size_t limit;
    size_t expected;
};

class PieceLengthTest : public ::testing::TestWithParam<PieceCase> {};

TEST_P(PieceLengthTest, NeverCutsASurrogatePair)
{
    EXPECT_EQ(pieceLength(GetParam().text, GetParam().limit), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PieceLengthTest,
    ::testing::Values(PieceCase{"shorter_than_the_limit", L"abc", 8, 3},
                      PieceCase{"exactly_the_limit", L"abcd", 4, 4},
                      PieceCase{"plain_cut", L"abcdef", 4, 4},
                      PieceCase{"pair_across_the_cut", L"abc\xD83D\xDE00x", 4, 3},
                      PieceCase{"pair_before_the_cut", L"ab\xD83D\xDE00x", 4, 4},
                      PieceCase{"a_limit_of_one_still_advances", L"\xD83D\xDE00", 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// Standard error pointed at a pipe for the test's scope.
class CapturedError {
public:
    CapturedError() : previous_(::GetStdHandle(STD_ERROR_HANDLE))
    {
        HANDLE readEnd = nullptr;
        HANDLE writeEnd = nullptr;
        ::CreatePipe(&readEnd, &writeEnd, nullptr, 1 << 16);
        read_.reset(readEnd);
        write_.reset(writeEnd);
        ::SetStdHandle(STD_ERROR_HANDLE, writeEnd);
    }
    ~CapturedError() { ::SetStdHandle(STD_ERROR_HANDLE, previous_); }
    CapturedError(const CapturedError&) = delete;
    CapturedError& operator=(const CapturedError&) = delete;

    std::string bytes() const
    {
        DWORD available = 0;
        ::PeekNamedPipe(read_.get(), nullptr, 0, nullptr, &available, nullptr);
        std::string text(available, '\0');
        DWORD read = 0;
        if (available > 0) {
            ::ReadFile(read_.get(), text.data(), available, &read, nullptr);
        }
        text.resize(read);
        return text;
    }

private:
    HANDLE previous_;
    UniqueHandle read_;
    UniqueHandle write_;
};

struct WriteCase {
    const char* name;
    std::wstring text;
    std::string written;
};

class StandardErrorTest : public ::testing::TestWithParam<WriteCase> {};

// A redirected standard error gets Windows line breaks, one at the end, and
// every character however long the text.
TEST_P(StandardErrorTest, WritesLinesWithOneBreakAtTheEnd)
{
    CapturedError error;
    ASSERT_TRUE(writeStandardError(GetParam().text));
    EXPECT_EQ(error.bytes(), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StandardErrorTest,
    ::testing::Values(WriteCase{"one_line", L"Main class was not specified.", "Main class was not specified.\r\n"},
                      WriteCase{"lines", L"JNI exception: x\nReason: y.\n", "JNI exception: x\r\nReason: y.\r\n"},
                      WriteCase{"windows_breaks_kept", L"a\r\nb", "a\r\nb\r\n"},
                      WriteCase{"breaks_at_the_end_become_one", L"a\n\r\n\n", "a\r\n"},
                      WriteCase{"empty", L"", "\r\n"},
                      WriteCase{"longer_than_a_piece", std::wstring(700, L'x') + L"\nz",
                                std::string(700, 'x') + "\r\nz\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

struct BytesCase {
    const char* name;
    std::string bytes;
    std::string written;
};

class StandardErrorBytesTest : public ::testing::TestWithParam<BytesCase> {};

// What the VM prints arrives as its C runtime's text mode would write it.
TEST_P(StandardErrorBytesTest, WritesEveryBreakAsAWindowsOne)
{
    CapturedError error;
    ASSERT_TRUE(writeStandardErrorBytes(GetParam().bytes));
    EXPECT_EQ(error.bytes(), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StandardErrorBytesTest,
    ::testing::Values(BytesCase{"no_break", "Unrecognized option: -x", "Unrecognized option: -x"},
                      BytesCase{"breaks", "a\nb\n", "a\r\nb\r\n"},
                      BytesCase{"windows_break_gets_a_second_return", "a\r\nb", "a\r\r\nb"},
                      BytesCase{"breaks_only", "\n\n", "\r\n\r\n"},
                      BytesCase{"empty", "", ""},
                      BytesCase{"other_bytes_as_they_are", std::string("\xC3\xA4\0z", 4),
                                std::string("\xC3\xA4\0z", 4)}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StandardErrorAbsentTest, IsReportedSoTheCallerCanShowABox)
{
    const HANDLE previous = ::GetStdHandle(STD_ERROR_HANDLE);
    ::SetStdHandle(STD_ERROR_HANDLE, nullptr);
    const bool written = writeStandardError(L"nobody reads this");
    const bool bytesWritten = writeStandardErrorBytes("nobody reads this either\n");
    ::SetStdHandle(STD_ERROR_HANDLE, previous);
    EXPECT_FALSE(written);
    EXPECT_FALSE(bytesWritten);
}

}  // namespace
}  // namespace velmar
