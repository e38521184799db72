#include "jvm/class_path.h"
#include "test_files.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

using Kind = ClassPathEntryKind;

TEST(ClassPathEntryTest, ClassifiesWildcardAbsoluteAndRelative)
{
    const std::pair<const wchar_t*, Kind> cases[] = {
        {L"\\lib\\*.jar", Kind::Wildcard},     {L"C:\\lib\\*", Kind::Wildcard},
        {L"*", Kind::Wildcard},                {L"C:\\Shared\\util.jar", Kind::Absolute},
        {L"C:x.jar", Kind::Absolute},          {L"\\\\server\\share\\x.jar", Kind::Absolute},
        {L"\\app.jar", Kind::Relative},        {L"lib\\a.jar", Kind::Relative},
        {L" C:\\a.jar", Kind::Relative},       {L"a", Kind::Relative},
        {L"", Kind::Relative},                 {L"\\x", Kind::Relative},
    };
    for (const auto& [entry, kind] : cases) {
        EXPECT_EQ(classifyClassPathEntry(entry), kind) << ::testing::PrintToString(std::wstring(entry));
    }
}

TEST(ClassPathEntryTest, SearchesRelativeEntriesBelowTheLauncherFolder)
{
    struct Case {
        const wchar_t* entry;
        const wchar_t* pattern;
        const wchar_t* prefix;
    };
    const Case cases[] = {
        {L"\\lib\\*.jar", L"D:\\App\\lib\\*.jar", L"D:\\App\\lib\\"},
        {L"\\app.jar", L"D:\\App\\app.jar", L"D:\\App\\"},
        {L"lib\\a.jar", L"D:\\Applib\\a.jar", L"D:\\Applib\\"},
        {L"a.jar", L"D:\\Appa.jar", L"D:\\App"},
        {L"C:\\jars\\*.jar", L"C:\\jars\\*.jar", L"C:\\jars\\"},
        {L"C:*.jar", L"C:*.jar", L""},
    };
    for (const Case& c : cases) {
        ClassPathSearch search = classPathSearchFor(c.entry, L"D:\\App");
        EXPECT_EQ(search.pattern, c.pattern);
        EXPECT_EQ(search.prefix, c.prefix);
    }
}

TEST(BuildClassPathTest, ListsWhatTheFileSystemFindsAndTakesAbsoluteEntriesAsWritten)
{
    testing::TempFolder app;
    ::CreateDirectoryW((app / L"lib").c_str(), nullptr);
    testing::writeUnicodeFileAt(app / L"lib\\a.jar", L"");
    testing::writeUnicodeFileAt(app / L"lib\\b.jar", L"");
    testing::writeUnicodeFileAt(app / L"lib\\notes.txt", L"");
    testing::writeUnicodeFileAt(app / L"App.jar", L"");
    std::wstring lib = app.path() + L"\\lib\\";

    const BuiltClassPath built = buildClassPath(
        {L"\\lib\\*.jar", L"\\app.jar", L"C:\\Shared\\util.jar", L"\\missing.jar"}, app.path());
    const std::wstring& classPath = built.text;

    // The two jars in whatever order the system lists them, then the rest.
    const std::wstring ab = lib + L"a.jar;" + lib + L"b.jar;";
    const std::wstring ba = lib + L"b.jar;" + lib + L"a.jar;";
    const std::wstring rest = app.path() + L"\\App.jar;C:\\Shared\\util.jar;";
    EXPECT_TRUE(classPath == ab + rest || classPath == ba + rest) << ::testing::PrintToString(classPath);
    EXPECT_EQ(built.unmatched, (std::vector<UnmatchedEntry>{{L"\\missing.jar", app.path() + L"\\missing.jar"}}));

    // Without its leading "\" an entry is looked for beside the folder's name.
    const BuiltClassPath none = buildClassPath({L"\\nothing\\*.jar", L"lib\\a.jar"}, app.path());
    EXPECT_EQ(none.text, L"");
    EXPECT_EQ(none.unmatched, (std::vector<UnmatchedEntry>{{L"\\nothing\\*.jar", app.path() + L"\\nothing\\*.jar"},
                                                           {L"lib\\a.jar", app.path() + L"lib\\a.jar"}}));
}

}  // namespace
}  // namespace velmar
