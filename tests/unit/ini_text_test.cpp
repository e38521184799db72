#include "config/ini_file.h"
#include "config/ini_text.h"

#include "test_files.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <string>

namespace velmar {
namespace {

using testing::TempFolder;
using testing::utf8Of;

TEST(IniEncodingTest, DecidedFromAllTheBytes)
{
    struct Case {
        std::string_view bytes;
        IniEncoding encoding;
    };
    const std::string asciiThenAnsi = std::string(5000, 'a') + "caf\xE9";
    const Case cases[] = {
        {"", IniEncoding::kEmpty},
        {"[S]\r\nK=v\r\n", IniEncoding::kAscii},
        {"\xFF\xFE[\0", IniEncoding::kUtf16Le},
        {"\xFE\xFF\0[", IniEncoding::kUtf16Be},
        {"\xEF\xBB\xBF[S]", IniEncoding::kUtf8WithMark},
        {"\xEF\xBB\xBF", IniEncoding::kUtf8WithMark},
        {"\xEF\xBB\xBFK=caf\xE9", IniEncoding::kUtf8WithMark},  // the mark decides, broken or not
        {"\xEF\xBB[", IniEncoding::kAnsi},
        {"K=d\xC3\xA9marrage", IniEncoding::kUtf8},
        {"K=\xE8\xBF\x90\xE8\xA1\x8C", IniEncoding::kUtf8},     // three-byte forms
        {"K=\xF0\x9F\x98\x80", IniEncoding::kUtf8},             // four bytes, a surrogate pair
        {"K=caf\xE9", IniEncoding::kAnsi},                      // 1252 text
        {"K=caf\xC3", IniEncoding::kAnsi},                      // cut at the end
        {"K=\xC3(", IniEncoding::kAnsi},                        // no continuation
        {"K=\xC0\xAF", IniEncoding::kAnsi},                     // overlong "/"
        {"K=\xE0\x80\xAF", IniEncoding::kAnsi},                 // overlong, three bytes
        {"K=\xED\xA0\x80", IniEncoding::kAnsi},                 // an encoded surrogate
        {"K=\xF4\x90\x80\x80", IniEncoding::kAnsi},             // above U+10FFFF
        {"K=\xF5\x80\x80\x80", IniEncoding::kAnsi},
        {"K=\x80", IniEncoding::kAnsi},                         // a lone continuation
        {asciiThenAnsi, IniEncoding::kAnsi},                    // not from the first bytes only
    };
    for (const Case& c : cases) {
        EXPECT_EQ(detectIniEncoding(c.bytes), c.encoding) << ::testing::PrintToString(std::string(c.bytes));
    }
    EXPECT_EQ(decodeUtf8("a\xC3\xA9\xE8\xBF\x90\xF0\x9F\x98\x80"), std::wstring(L"a\u00E9\u8FD0\U0001F600"));
    EXPECT_EQ(utf8FileText("\xEF\xBB\xBF" "caf\xE9 \xC3\xA9", IniEncoding::kUtf8WithMark), L"caf\uFFFD \u00E9");
}

struct EditCase {
    const char* name;
    std::wstring_view before;
    std::wstring_view after;
};

TEST(IniEditTest, SetsOneEntryAndKeepsEveryOtherLine)
{
    const EditCase cases[] = {
        {"new file", L"", L"[Java Runtime Environment]\r\nJRE Path=C:\\运行时\\\r\n"},
        {"replaced in place, whatever its letter case and blanks",
         L"; top\r\n[java runtime environment]\r\n  jre path = \"old\" \r\nMain Class=a.B\r\n",
         L"; top\r\n[java runtime environment]\r\nJRE Path=C:\\运行时\\\r\nMain Class=a.B\r\n"},
        {"added after the section's last entry",
         L"[Java Runtime Environment]\r\nMain Class=a.B\r\n\r\n[Display]\r\nX=1\r\n",
         L"[Java Runtime Environment]\r\nMain Class=a.B\r\nJRE Path=C:\\运行时\\\r\n\r\n[Display]\r\nX=1\r\n"},
        {"only the first of two sections of that name",
         L"[ Java Runtime Environment ]\r\nA=1\r\n[Java Runtime Environment]\r\nJRE Path=second\r\n",
         L"[ Java Runtime Environment ]\r\nA=1\r\nJRE Path=C:\\运行时\\\r\n[Java Runtime Environment]\r\n"
         L"JRE Path=second\r\n"},
        {"a comment is no entry", L"[Java Runtime Environment]\r\n;JRE Path=x\r\n",
         L"[Java Runtime Environment]\r\n;JRE Path=x\r\nJRE Path=C:\\运行时\\\r\n"},
        {"section added at the end of a file without a last line end", L"[Display]\nX=1",
         L"[Display]\nX=1\r\n[Java Runtime Environment]\r\nJRE Path=C:\\运行时\\\r\n"},
        {"a last entry without a line end", L"[Java Runtime Environment]\nA=1",
         L"[Java Runtime Environment]\nA=1\r\nJRE Path=C:\\运行时\\\r\n"},
        {"Unix line ends kept", L"[Java Runtime Environment]\nJRE Path=old\nB=2\n",
         L"[Java Runtime Environment]\nJRE Path=C:\\运行时\\\nB=2\n"},
    };
    for (const EditCase& c : cases) {
        EXPECT_EQ(withIniEntry(c.before, L"Java Runtime Environment", L"JRE Path", L"C:\\运行时\\"), c.after)
            << c.name;
    }
}

std::string utf16Of(std::wstring_view text)
{
    return "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

struct WriteCase {
    const char* name;
    std::optional<std::string> before;  // nullopt: no file
    std::wstring_view folder;
    std::string_view expectedStart;     // the encoding's mark, or the first bytes
    IniEncoding expectedEncoding;
    std::wstring_view otherValue = L"images\\démarrage.png";
};

// The folder is read back as written, the other line is still there, and
// the file is in the encoding that can hold both.
TEST(IniWriteTest, KeepsTheEncodingOrMovesToUtf8WithItsMark)
{
    if (::GetACP() != 1252) {
        // Not GTEST_SKIP: under qemu a 32-bit test program dies at a skip.
        std::printf("IniWriteTest: the cases are for the ANSI code page 1252, this is %u: not run\n", ::GetACP());
        return;
    }
    const std::wstring other = L"[Display]\r\nSplash Screen=images\\démarrage.png\r\n";
    const WriteCase cases[] = {
        {"no file", std::nullopt, L"C:\\运行时\\", "\xEF\xBB\xBF[", IniEncoding::kUtf8WithMark},
        {"UTF-16", utf16Of(other), L"C:\\运行时\\", "\xFF\xFE[", IniEncoding::kUtf16Le},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + utf8Of(other), L"C:\\运行时\\", "\xEF\xBB\xBF[",
         IniEncoding::kUtf8WithMark},
        {"UTF-8 without mark", utf8Of(other), L"C:\\运行时\\", "[Display]", IniEncoding::kUtf8},
        {"ANSI holding the folder", "[Display]\r\nSplash Screen=images\\d\xE9marrage.png\r\n", L"C:\\Jävä\\",
         "[Display]", IniEncoding::kAnsi},
        {"ANSI not holding it", "[Display]\r\nSplash Screen=images\\d\xE9marrage.png\r\n", L"C:\\运行时\\",
         "\xEF\xBB\xBF[Display]", IniEncoding::kUtf8WithMark},
        {"ASCII with a folder that would pass for UTF-8", "[Display]\r\nSplash Screen=images\\demarrage.png\r\n",
         L"C:\\Ã©\\", "\xEF\xBB\xBF[Display]", IniEncoding::kUtf8WithMark, L"images\\demarrage.png"},
    };
    TempFolder folder;
    const std::wstring path = folder / L"per-user.ini";
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        ::DeleteFileW(path.c_str());
        if (c.before) {
            testing::writeFileAt(path, *c.before);
        }
        ASSERT_TRUE(IniFile(path).putString(L"Java Runtime Environment", L"JRE Path", c.folder));
        const std::string bytes = testing::readFileBytes(path);
        EXPECT_TRUE(bytes.starts_with(c.expectedStart)) << ::testing::PrintToString(bytes);
        EXPECT_EQ(detectIniEncoding(bytes), c.expectedEncoding);
        IniFile ini(path);
        EXPECT_EQ(ini.getString(L"Java Runtime Environment", L"JRE Path"), c.folder);
        if (c.before) {
            EXPECT_EQ(ini.getString(L"Display", L"Splash Screen"), c.otherValue);
        }
        EXPECT_FALSE(testing::listedNames(folder / L"*.velmar-new").size()) << "no temporary file left";
    }
}

}  // namespace
}  // namespace velmar
