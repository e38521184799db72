// The diagnostic trace's pure parts: the bytes of one line and the
// encoding an INI file's first bytes announce. (The reasons it gives for a
// registry row or a runtime passed over are tested with the search.)
#include "config/ini_text.h"
#include "config/settings_trace.h"
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

// Narrow literals and wide texts, as the call sites mix them.
TEST(TracePieceTest, NarrowAndWidePiecesJoinInOrder)
{
    const std::wstring value = L"-D\u00e9=1";
    EXPECT_EQ(traceLine(7, L"vm", {"option ", value, true ? " (hook)" : "", false ? "" : " on",
                                   L"", std::wstring_view(L" wide"), ""}),
              "[7] vm: option -D\xC3\xA9=1 (hook) on wide\r\n");
}

TEST(IniEncodingNameTest, NamesWhatTheReadingDecided)
{
    struct Case {
        std::string_view bytes;
        std::wstring_view name;
    };
    const Case cases[] = {
        {"\xFF\xFE[", L"UTF-16 little-endian with byte-order mark"},
        {"\xFE\xFF\0", L"UTF-16 big-endian with byte-order mark"},
        {"\xEF\xBB\xBF", L"UTF-8 with byte-order mark"},
        {"[S]\r\nK=d\xC3\xA9marrage", L"UTF-8 without byte-order mark"},
        {"\xEF\xBB[", L"no byte-order mark, not UTF-8, read in the ANSI code page"},
        {"\xFF", L"no byte-order mark, not UTF-8, read in the ANSI code page"},
        {"[Ja", L"no byte-order mark, ASCII only, read in the ANSI code page"},
        {"", L"empty"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(iniEncodingName(detectIniEncoding(c.bytes)), c.name)
            << ::testing::PrintToString(std::string(c.bytes));
    }
}

}  // namespace
}  // namespace velmar
