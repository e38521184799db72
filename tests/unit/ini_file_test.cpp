#include "config/ini_file.h"

#include "test_files.h"
#include "test_program.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace velmar {
namespace {

using testing::kTestProgramFolder;
using testing::kTestProgramIni;
using testing::TempFolder;
using testing::writeUnicodeFileAt;

TEST(IniPathForTest, ReplacesEverythingAfterTheLastDot)
{
    EXPECT_EQ(iniPathFor(L"D:\\Apps\\velmar.exe"), L"D:\\Apps\\velmar.ini");
    EXPECT_EQ(iniPathFor(L"D:\\my.apps\\velmar"), L"D:\\my.ini");
    EXPECT_EQ(iniPathFor(L"D:\\Apps\\velmar"), std::nullopt);
}

TEST(ExecutableFolderTest, KeepsEverythingUpToTheLastBackslash)
{
    EXPECT_EQ(executableFolder(L"D:\\App\\myapp.exe"), L"D:\\App\\");
    EXPECT_EQ(executableFolder(L"D:\\myapp.exe"), L"D:\\");
    EXPECT_EQ(executableFolder(L"\\\\srv\\share\\my.app\\run"), L"\\\\srv\\share\\my.app\\");
    EXPECT_EQ(executableFolder(L"myapp.exe"), L"");
}

TEST(LauncherIniPathTest, IsTheModulePathWithIni)
{
    EXPECT_EQ(launcherIniPath(), kTestProgramIni);
    EXPECT_EQ(launcherFolder(), std::wstring(kTestProgramFolder) + L"\\");
}

struct PerUserCase {
    const wchar_t* appData;
    const wchar_t* productName;
    const wchar_t* productCode;
    const wchar_t* executable;
    const wchar_t* expected;
};

class PerUserPathTest : public ::testing::TestWithParam<PerUserCase> {};

TEST_P(PerUserPathTest, ComposesAppDataProductCodeAndBaseName)
{
    const PerUserCase& c = GetParam();
    EXPECT_EQ(composePerUserIniPath(c.appData, c.productName, c.productCode, c.executable),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PerUserPathTest,
    ::testing::Values(
        PerUserCase{L"C:\\Users\\ann\\AppData\\Roaming", L"Sample: Suite/2",
                    L"{6F1C2A40-0000-4000-8000-000000000001}", L"D:\\Apps\\velmar.exe",
                    L"C:\\Users\\ann\\AppData\\Roaming\\Sample Suite2\\"
                    L"{6F1C2A40-0000-4000-8000-000000000001}\\velmar.ini"},
        PerUserCase{L"C:\\A", L"\\?\"|><:/*", L"c", L"x.exe", L"C:\\A\\\\c\\x.ini"},
        PerUserCase{L"", L"P", L"c", L"D:\\a.b\\run", L"\\P\\c\\run.ini"},
        PerUserCase{L"C:\\A", L"P", L"a|b", L"D:\\my.tool.exe", L"C:\\A\\P\\a|b\\my.tool.ini"}));

TEST(PerUserIniPathTest, CreatesBothFoldersOnRequestOnly)
{
    TempFolder folder;
    ::SetEnvironmentVariableW(L"APPDATA", folder.path().c_str());
    std::wstring path = perUserIniPath(L"D:\\Apps\\velmar.exe", L"Sample", L"code", false);
    EXPECT_EQ(path, folder / L"Sample\\code\\velmar.ini");
    EXPECT_EQ(::GetFileAttributesW((folder / L"Sample").c_str()), INVALID_FILE_ATTRIBUTES);
    perUserIniPath(L"D:\\Apps\\velmar.exe", L"Sample", L"code", true);
    EXPECT_NE(::GetFileAttributesW((folder / L"Sample\\code").c_str()), INVALID_FILE_ATTRIBUTES);
    ::SetEnvironmentVariableW(L"APPDATA", nullptr);
    EXPECT_EQ(perUserIniPath(L"D:\\velmar.exe", L"S", L"c", false), L"\\S\\c\\velmar.ini");
}

TEST(IniFileTest, ReadsLongValuesWhole)
{
    TempFolder folder;
    std::wstring path = folder / L"long.ini";
    for (size_t length : {254u, 255u, 256u, 300u, 511u, 1500u}) {
        std::wstring value(length, L'v');
        value.back() = L'!';
        writeUnicodeFileAt(path, L"[S]\r\nK=" + value + L"\r\n");
        EXPECT_EQ(IniFile(path).getString(L"S", L"K"), value) << "length " << length;
    }
}

TEST(IniFileTest, MissingFileSectionOrKeyIsEmpty)
{
    TempFolder folder;
    std::wstring path = folder / L"a.ini";
    EXPECT_EQ(IniFile(path).getString(L"S", L"K"), L"");
    writeUnicodeFileAt(path, L"[S]\r\nK= \"quoted value\" \r\nEmpty=\r\n");
    IniFile ini(path);
    EXPECT_EQ(ini.getString(L"S", L"K"), L"quoted value");
    EXPECT_EQ(ini.getString(L"s", L"k"), L"quoted value") << "names ignore letter case";
    EXPECT_EQ(ini.getString(L"S", L"Empty"), L"");
    EXPECT_EQ(ini.getString(L"Other", L"K"), L"");
}

TEST(IniFileTest, WritesReadsSectionsProbesAndDeletes)
{
    TempFolder folder;
    IniFile ini(folder / L"w.ini");
    EXPECT_NE(ini.probe(), 0u);
    EXPECT_TRUE(ini.putString(L"Java Runtime Environment", L"JRE Path", L"C:\\Java\\jre8\\"));
    EXPECT_TRUE(ini.putString(L"Second", L"K", L"v"));
    EXPECT_EQ(ini.getString(L"Java Runtime Environment", L"JRE Path"), L"C:\\Java\\jre8\\");
    EXPECT_EQ(ini.getSectionNames(), (std::vector<std::wstring>{L"Java Runtime Environment", L"Second"}));
    EXPECT_EQ(ini.probe(), 0u);
    EXPECT_TRUE(ini.deleteFile());
    EXPECT_NE(ini.probe(), 0u);
}

std::string utf16WithBom(std::wstring_view text)
{
    std::string bytes = "\xFF\xFE";
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return bytes;
}

std::wstring profileApiValue(const std::wstring& path, const std::wstring& section, const std::wstring& key)
{
    std::wstring buffer(100000, L'\0');
    DWORD length = ::GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buffer.data(),
                                              static_cast<DWORD>(buffer.size()), path.c_str());
    buffer.resize(length);
    return buffer;
}

struct ProfileCase {
    const char* name;
    std::string bytes;
    std::vector<std::pair<std::wstring, std::wstring>> lookups;  // section, key
};

// The accessor reads each section once and answers from memory; what it
// answers must be what the profile API answers for the same file, key by key.
TEST(IniFileTest, AnswersEveryLookupAsTheProfileApiDoes)
{
    const std::wstring longValue(40000, L'x');
    const ProfileCase cases[] = {
        {"blanks around keys and values",
         utf16WithBom(L"[S]\r\n  K1  =  v1  \r\nK2=\tv2\t\r\nK 3 = a b \r\n"),
         {{L"S", L"K1"}, {L"S", L"K2"}, {L"S", L"K 3"}, {L"S", L" K1 "}}},
        {"enclosing quotes",
         utf16WithBom(L"[S]\r\nA=\"a\"\r\nB='b'\r\nC=\"c'\r\nD=\"\"\r\nE=\" x \"\r\nF=\"\"f\"\"\r\n"
                      L"G=\"g\r\nH=h\"\r\nI=\"\r\nJ= \"j\" \r\n"),
         {{L"S", L"A"}, {L"S", L"B"}, {L"S", L"C"}, {L"S", L"D"}, {L"S", L"E"}, {L"S", L"F"},
          {L"S", L"G"}, {L"S", L"H"}, {L"S", L"I"}, {L"S", L"J"}}},
        {"letter case of sections and keys",
         utf16WithBom(L"[Java Runtime Environment]\r\nJRE Path=C:\\jre\r\n[class path]\r\nCLASS PATH=a.jar\r\n"),
         {{L"java runtime environment", L"jre path"}, {L"JAVA RUNTIME ENVIRONMENT", L"JRE PATH"},
          {L"Class Path", L"Class Path"}}},
        {"duplicate keys and sections",
         utf16WithBom(L"[S]\r\nK=first\r\nk=second\r\n[T]\r\nK=t\r\n[S]\r\nK=third\r\nOnlyLater=later\r\n"),
         {{L"S", L"K"}, {L"T", L"K"}, {L"S", L"OnlyLater"}}},
        {"long values", utf16WithBom(L"[S]\r\nK=" + longValue + L"\r\nShort=s\r\n"), {{L"S", L"K"}, {L"S", L"Short"}}},
        {"UTF-16 text outside ASCII",
         utf16WithBom(L"[Приложение]\r\nКлюч=значение 日本\r\n[S]\r\nK=ü\r\n"),
         {{L"Приложение", L"Ключ"}, {L"S", L"K"}}},
        {"ANSI bytes", "[S]\r\nK=caf\xE9\r\n", {{L"S", L"K"}}},
        {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF[S]\r\nK=v\r\n[T]\r\nK=w\r\n", {{L"S", L"K"}, {L"T", L"K"}}},
        {"lines without a value or a key",
         utf16WithBom(L"[S]\r\nJustAKey\r\n=novalue\r\n;Comment=c\r\nK=\r\nL=l\r\n"),
         // The launcher never asks for a key that starts with ";".
         {{L"S", L"JustAKey"}, {L"S", L""}, {L"S", L"K"}, {L"S", L"L"}}},
        {"blanks in section headers and odd headers",
         utf16WithBom(L"[ S ]\r\nK=s\r\n[T]junk\r\nK=t\r\n[U\r\nK=u\r\n[V]x]\r\nK=v\r\n  [W]\r\nK=w\r\n"),
         {{L"S", L"K"}, {L" S ", L"K"}, {L"T", L"K"}, {L"U", L"K"}, {L"V", L"K"}, {L"V]x", L"K"}, {L"W", L"K"}}},
        // Nor for a section without a name.
        {"keys before any section", utf16WithBom(L"K=none\r\n[S]\r\nK=s\r\n"), {{L"S", L"K"}}},
        {"append sections present and absent",
         utf16WithBom(L"[Application]\r\nK=a\r\n[Application+]\r\nL=b\r\n"),
         {{L"Application+", L"L"}, {L"Application+", L"K"}, {L"Class Path+", L"Class Path"}}},
        {"empty file", "", {{L"S", L"K"}}},
        {"missing section and key", utf16WithBom(L"[S]\r\nK=v\r\n"), {{L"Other", L"K"}, {L"S", L"Other"}}},
    };
    TempFolder folder;
    const std::wstring path = folder / L"compare.ini";
    auto compare = [&](const ProfileCase& c, const std::string& bytes) {
        testing::writeFileAt(path, bytes);
        IniFile ini(path);
        for (const auto& [section, key] : c.lookups) {
            EXPECT_EQ(ini.getString(section, key), profileApiValue(path, section, key))
                << "[" << ::testing::PrintToString(section) << "] " << ::testing::PrintToString(key);
        }
        std::wstring names(100000, L'\0');
        names.resize(::GetPrivateProfileSectionNamesW(names.data(), static_cast<DWORD>(names.size()), path.c_str()));
        std::wstring listed;
        for (const std::wstring& name : ini.getSectionNames()) {
            listed += name + L'\0';
        }
        EXPECT_EQ(listed, names);
    };
    for (const ProfileCase& c : cases) {
        SCOPED_TRACE(c.name);
        compare(c, c.bytes);
        // The launcher reads UTF-8 itself; the profile API reads it too
        // when it has its mark, and must agree on every answer.
        if (c.bytes.starts_with("\xFF\xFE")) {
            SCOPED_TRACE("as UTF-8 with its mark");
            const std::wstring text(reinterpret_cast<const wchar_t*>(c.bytes.data() + 2), (c.bytes.size() - 2) / 2);
            compare(c, "\xEF\xBB\xBF" + testing::utf8Of(text));
        }
    }
}

TEST(IniFileTest, AWriteIsSeenByTheNextLookup)
{
    TempFolder folder;
    IniFile ini(folder / L"rewrite.ini");
    EXPECT_EQ(ini.getString(L"S", L"K"), L"");
    ASSERT_TRUE(ini.putString(L"S", L"K", L"one"));
    EXPECT_EQ(ini.getString(L"S", L"K"), L"one");
    ASSERT_TRUE(ini.putString(L"S", L"K", L"two"));
    EXPECT_EQ(ini.getString(L"S", L"K"), L"two");
}

TEST(LayeredIniFileTest, FallsBackToTheAppendSectionKeyByKey)
{
    TempFolder folder;
    std::wstring path = folder / L"layered.ini";
    writeUnicodeFileAt(path,
                  L"[Class Path]\r\nOther=x\r\n"
                  L"[Class Path+]\r\nClass Path=a.jar\r\nSpaced=\" b.jar\"\r\n"
                  L"[App]\r\nK=b.jar\r\n[App+]\r\nK=never.jar\r\n");
    LayeredIniFile ini(path);
    EXPECT_EQ(ini.getString(L"Class Path", L"Class Path"), L" a.jar");
    EXPECT_EQ(ini.getString(L"Class Path", L"Spaced"), L" b.jar") << "no second blank";
    EXPECT_EQ(ini.getString(L"App", L"K"), L"b.jar");
    EXPECT_EQ(ini.getString(L"App", L"Missing"), L"");
    EXPECT_EQ(IniFile(path).getString(L"Class Path", L"Class Path"), L"") << "plain reads no layer";
}

TEST(WorkingDirOverrideTest, FolderOfTheProgramPath)
{
    struct Case {
        const wchar_t* program;
        const wchar_t* folder;
    };
    const Case cases[] = {
        {L"C:\\Apps\\Tool\\run.exe", L"C:\\Apps\\Tool"},
        {L"E:\\app.exe", L"E:\\"},  // "E:" would be drive E's own current directory
        {L"\\\\?\\E:\\app.exe", L"\\\\?\\E:\\"},
        {L"\\\\server\\share\\app.exe", L"\\\\server\\share"},
        {L"\\app.exe", L""},
        {L"app.exe", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(workingFolderOf(c.program), c.folder) << ::testing::PrintToString(std::wstring(c.program));
    }
}

TEST(WorkingDirOverrideTest, MakesTheProgramFolderCurrent)
{
    TempFolder folder;
    wchar_t previous[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, previous);
    ::SetCurrentDirectoryW(folder.path().c_str());
    applyWorkingDirOverride();
    wchar_t current[MAX_PATH];
    ::GetCurrentDirectoryW(MAX_PATH, current);
    ::SetCurrentDirectoryW(previous);
    EXPECT_EQ(std::wstring(current), kTestProgramFolder);
}

}  // namespace
}  // namespace velmar
