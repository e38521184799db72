// The form each entry of "-Djava.class.path=" and "-Djava.library.path="
// takes, against real folders of the prefix: Wine, like NTFS with 8.3 names
// on, gives every name that is no 8.3 name a short one.
#include "jvm/option_encoding.h"
#include "support/file_system.h"
#include "support/text.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace velmar {
namespace {

using testing::TempFolder;

const std::wstring kCyrillicAndCjk = L"\x041F\x0440\x0438\x0432\x0435\x0442-\x65E5\x672C";

std::wstring fromCodePage(const std::string& bytes, UINT codePage)
{
    std::wstring text(bytes.size(), L'\0');
    int length = ::MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()),
                                       text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(std::max(length, 0)));
    return text;
}

std::string toCodePageAsWritten(const std::wstring& text, UINT codePage)
{
    std::optional<NarrowText> converted = toCodePage(text, codePage);
    return converted ? converted->bytes : "(conversion failed)";
}

// The encoded entry holds no default character and, read back, names the
// same file or folder as the entry.
void expectNamesTheSameWithoutLoss(const std::string& encoded, const std::wstring& entry)
{
    EXPECT_EQ(encoded.find('?'), std::string::npos) << encoded;
    EXPECT_FALSE(hasLongPathPrefix(fromCodePage(encoded, 1252))) << encoded;
    std::optional<testing::FileIdentity> expected = testing::identityOf(entry);
    ASSERT_TRUE(expected) << "the entry itself is missing";
    EXPECT_EQ(testing::identityOf(fromCodePage(encoded, 1252)), expected) << encoded;
}

class PathEntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::writeFileAt(folder_ / (kCyrillicAndCjk + L"\\app.jar"), "");
        ::CreateDirectoryW((folder_ / L"ascii-folder-name-longer-than-8.3").c_str(), nullptr);
        deep_ = folder_ / kCyrillicAndCjk;
        while (deep_.size() < 300) {
            deep_ += L"\\" + std::wstring(40, L'd');
            ASSERT_TRUE(::CreateDirectoryW((std::wstring(kLongPathPrefix) + deep_).c_str(), nullptr));
        }
    }
    void TearDown() override
    {
        testing::removeTree(std::wstring(kLongPathPrefix) + (folder_ / kCyrillicAndCjk));
    }

    TempFolder folder_;
    std::wstring deep_;
};

TEST_F(PathEntryTest, WineGivesShortNamesToNamesThatAreNot83)
{
    // The cases below rely on it.
    const std::wstring shortForm = shortPathOf(folder_ / kCyrillicAndCjk);
    ASSERT_FALSE(shortForm.empty());
    EXPECT_NE(shortForm, folder_ / kCyrillicAndCjk);
    EXPECT_FALSE(toCodePage(shortForm, 1252)->lossy) << toCodePageAsWritten(shortForm, 1252);
    EXPECT_NE(shortPathOf(folder_ / L"ascii-folder-name-longer-than-8.3"),
              folder_ / L"ascii-folder-name-longer-than-8.3");
}

TEST_F(PathEntryTest, TakesTheShortFormOnlyForWhatTheCodePageCannotHold)
{
    const std::wstring ascii = folder_ / L"ascii-folder-name-longer-than-8.3";
    const std::wstring folder = folder_ / kCyrillicAndCjk;
    const std::wstring jar = folder + L"\\app.jar";
    const std::wstring missing = folder_ / L"\x041D\x0435\x0442\\x.jar";
    struct Case {
        const char* name;
        std::wstring entry;
        UINT codePage;
        // Empty: the entry must arrive as its short form, without loss.
        std::optional<std::string> expected;
    };
    const Case cases[] = {
        {"held by the code page: as written", ascii, 1252, toCodePageAsWritten(ascii, 1252)},
        {"folder outside the code page", folder, 1252, std::nullopt},
        {"folder with a trailing backslash", folder + L"\\", 1252, std::nullopt},
        {"file outside the code page", jar, 1252, std::nullopt},
        {"longer than MAX_PATH", deep_, 1252, std::nullopt},
        {"missing: as written, with the default character", missing, 1252,
         toCodePageAsWritten(folder_.path(), 1252) + "\\???\\x.jar"},
        {"UTF-8 holds every name", jar, CP_UTF8, toCodePageAsWritten(jar, CP_UTF8)},
        {"empty", L"", 1252, ""},
        {"current folder", L".", 1252, "."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<std::string> encoded = encodePathEntry(c.entry, c.codePage);
        ASSERT_TRUE(encoded);
        if (c.expected) {
            EXPECT_EQ(*encoded, *c.expected);
        } else {
            expectNamesTheSameWithoutLoss(*encoded, c.entry);
        }
    }
}

TEST_F(PathEntryTest, ListKeepsEverySeparatorAndEncodesEachEntry)
{
    const std::wstring jar = folder_ / (kCyrillicAndCjk + L"\\app.jar");
    std::optional<std::string> encoded =
        encodePathList(L"C:\\a.jar;" + jar + L";;" + jar + L";", 1252);
    ASSERT_TRUE(encoded);
    std::vector<std::string> entries;
    for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
        end = encoded->find(';', start);
        entries.push_back(encoded->substr(start, end == std::string::npos ? end : end - start));
    }
    ASSERT_EQ(entries.size(), 5u) << *encoded;
    EXPECT_EQ(entries[0], "C:\\a.jar");
    expectNamesTheSameWithoutLoss(entries[1], jar);
    EXPECT_EQ(entries[2], "");
    EXPECT_EQ(entries[3], entries[1]);
    EXPECT_EQ(entries[4], "");
}

TEST(PathEntryFailureTest, AnEntryUtf8CannotEncodeFailsTheList)
{
    ::SetLastError(0);
    EXPECT_FALSE(encodePathList(L"C:\\a;C:\\b\xD800;C:\\c", CP_UTF8));
    EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
}

}  // namespace
}  // namespace velmar
