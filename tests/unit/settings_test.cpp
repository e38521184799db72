#include "config/settings.h"

#include "core/launcher.h"
#include "test_files.h"
#include "test_program.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

using testing::TempFolder;
using testing::writeUnicodeFileAt;

TEST(DecodeJvmTypeTest, ComparesExactly)
{
    EXPECT_EQ(decodeJvmType(L"server"), 1);
    EXPECT_EQ(decodeJvmType(L"favor_server"), 2);
    EXPECT_EQ(decodeJvmType(L"Server"), 0);
    EXPECT_EQ(decodeJvmType(L"client"), 0);
    EXPECT_EQ(decodeJvmType(L""), 0);
}

TEST(DownloadAddressTest, TakesOnlyWebAddresses)
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"https://adoptium.net/temurin/releases/?version=17", L"https://adoptium.net/temurin/releases/?version=17"},
        {L"HTTP://intranet/java", L"HTTP://intranet/java"},
        {L"", L"https://java.com/"},
        {L"https://", L"https://java.com/"},
        {L"ftp://example.com/jdk.zip", L"https://java.com/"},
        // The shell would run these rather than show a page.
        {L"C:\\Windows\\System32\\calc.exe", L"https://java.com/"},
        {L"file:///C:/Windows/System32/calc.exe", L"https://java.com/"},
        {L"httpsx://example.com", L"https://java.com/"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(downloadAddressFrom(text), expected) << ::testing::PrintToString(std::wstring(text));
    }
}

struct SourceCase {
    const wchar_t* text;
    RuntimeKinds expected;
};

class DecodeJvmSourceTest : public ::testing::TestWithParam<SourceCase> {};

TEST_P(DecodeJvmSourceTest, FollowsTheTable)
{
    RuntimeKinds kinds = decodeJvmSource(GetParam().text);
    EXPECT_EQ(kinds.jdkSelected, GetParam().expected.jdkSelected) << GetParam().text;
    EXPECT_EQ(kinds.jreSelected, GetParam().expected.jreSelected) << GetParam().text;
    EXPECT_EQ(kinds.bothKindsAllowed, GetParam().expected.bothKindsAllowed) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Cases, DecodeJvmSourceTest,
                         ::testing::Values(SourceCase{L"", {true, true, true}},
                                           SourceCase{L"favor_JDK", {true, false, true}},
                                           SourceCase{L"favor_JRE", {false, true, true}},
                                           SourceCase{L"only_JDK", {true, false, false}},
                                           SourceCase{L"only_JRE", {false, true, false}},
                                           SourceCase{L"only_jre", {false, false, false}},
                                           SourceCase{L"JDK", {false, false, false}}));

struct ProviderCase {
    const wchar_t* text;
    ProviderPolicy expected;
};

class DecodeVmProviderTest : public ::testing::TestWithParam<ProviderCase> {};

TEST_P(DecodeVmProviderTest, FollowsTheTableIgnoringLetterCase)
{
    EXPECT_TRUE(decodeVmProvider(GetParam().text) == GetParam().expected) << GetParam().text;
}

// Flags: JRockit accepted/favored, Sun accepted/favored, IBM accepted/favored.
INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeVmProviderTest,
    ::testing::Values(ProviderCase{L"", {false, false, true, true, false, false}},
                      ProviderCase{L"sun", {false, false, true, true, false, false}},
                      ProviderCase{L"oracle", {false, false, true, true, false, false}},
                      ProviderCase{L"jrockit", {true, true, false, false, false, false}},
                      ProviderCase{L"IBM", {false, false, false, false, true, true}},
                      ProviderCase{L"favor_sun", {true, false, true, true, true, false}},
                      ProviderCase{L"Favor_JRockit", {true, true, true, false, true, false}},
                      ProviderCase{L"favor_ibm", {true, false, true, false, true, true}},
                      ProviderCase{L"ANY", {true, false, true, false, true, false}}));

struct ValueCase {
    const SettingKey* key;
    const wchar_t* value;
    const wchar_t* word;
    bool matches;
};

class ValueIsTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ValueIsTest, ComparesAsTheKeysRuleSays)
{
    const ValueCase& c = GetParam();
    EXPECT_EQ(valueIs(*c.key, c.value, c.word), c.matches) << std::wstring(c.key->name) << L" = " << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    LetterCaseRules, ValueIsTest,
    ::testing::Values(ValueCase{&kFailureCheckKey, L"YES", L"Yes", true},
                      ValueCase{&kFailureCheckKey, L"yes", L"Yes", true},
                      ValueCase{&kFailureCheckKey, L"y", L"Yes", false},
                      ValueCase{&kSingleInstanceKey, L"yes", L"yes", true},
                      ValueCase{&kSingleInstanceKey, L"Yes", L"yes", false},
                      ValueCase{&kApplicationTypeKey, L"Service", L"service", false},
                      ValueCase{&kMainClassKey, L"a.B", L"a.b", false}));

// loadSettings reads the INI beside the running program: this test's own.
class LoadSettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        iniPath_ = testing::kTestProgramIni;
        ::SetEnvironmentVariableW(L"APPDATA", appData_.path().c_str());
    }
    void TearDown() override
    {
        ::DeleteFileW(iniPath_.c_str());
        ::SetEnvironmentVariableW(L"APPDATA", nullptr);
    }
    void writeIni(const std::wstring& text) { writeUnicodeFileAt(iniPath_, text); }
    // Where the per-user INI of "Sample Suite", code "{code}", belongs.
    std::wstring perUserIni() const { return appData_ / L"Sample Suite\\{code}\\velmar_unit_tests.ini"; }

    std::wstring iniPath_;
    TempFolder appData_;
};

TEST_F(LoadSettingsTest, ReadsTheWorkedExample)
{
    writeIni(L"[Product Information]\r\nProduct Name=Sample Suite\r\n"
             L"Product Code={6F1C2A40-0000-4000-8000-000000000001}\r\n"
             L"[Java Runtime Environment]\r\nMain Class=com.example.app.Main\r\n"
             L"Minimum Version=1.8\r\nMaximum Version=any\r\nJVM Type=favor_server\r\n"
             L"JVM Source=favor_JRE\r\nVM Provider=any\r\nPreferred versions=1.8;;11\r\n"
             L"System Path=D:\\App\\bin\r\nLibrary Path=D:\\App\\native;\r\n"
             L"[Application]\r\nFailure Check=Yes\r\nOverride WorkingDir=yes\r\n"
             L"Pair Product=C:\\App\\pair.exe\r\nPair Return Code=YES\r\n");
    Launcher launcher;
    ASSERT_TRUE(launcher.readSettings());
    EXPECT_EQ(launcher.settings.productName, L"Sample Suite");
    EXPECT_EQ(launcher.settings.productCode, L"{6F1C2A40-0000-4000-8000-000000000001}");
    EXPECT_EQ(launcher.mainClass, L"com/example/app/Main");
    EXPECT_EQ(launcher.settings.minimumVersion, (JavaVersion{{1, 8, 0, 0}}));
    EXPECT_EQ(launcher.settings.maximumVersion, (JavaVersion{{65535, 65535, 65535, 65535}}));
    EXPECT_EQ(launcher.settings.jvmType, 2);
    EXPECT_FALSE(launcher.settings.jdkSelected);
    EXPECT_TRUE(launcher.settings.jreSelected);
    EXPECT_TRUE(launcher.settings.bothKindsAllowed);
    EXPECT_TRUE(launcher.settings.provider.jrockitAccepted && launcher.settings.provider.sunAccepted && launcher.settings.provider.ibmAccepted);
    EXPECT_FALSE(launcher.settings.provider.jrockitFavored || launcher.settings.provider.sunFavored || launcher.settings.provider.ibmFavored);
    EXPECT_EQ(launcher.settings.preferredVersions, (std::vector<std::wstring>{L"1.8", L"", L"11"}));
    EXPECT_EQ(launcher.settings.systemPath, L"D:\\App\\bin");
    EXPECT_EQ(launcher.settings.libraryPath, L"D:\\App\\native;");
    EXPECT_TRUE(launcher.settings.failureCheck);
    EXPECT_TRUE(launcher.settings.overrideWorkingDir);
    EXPECT_EQ(launcher.settings.pairProduct, L"C:\\App\\pair.exe");
    EXPECT_TRUE(launcher.settings.pairReturnCode);
    EXPECT_FALSE(launcher.settings.isService);
}

TEST_F(LoadSettingsTest, DefaultsWhenOnlyTheMainClassIsSet)
{
    writeIni(L"[Java Runtime Environment]\r\nMain Class=Main\r\nJVM Type=Server\r\n"
             L"[Application]\r\nApplication Type=Service\r\n");
    Launcher launcher;
    ASSERT_TRUE(launcher.readSettings());
    EXPECT_EQ(launcher.mainClass, L"Main");
    EXPECT_EQ(launcher.settings.jvmType, 0);
    EXPECT_EQ(launcher.settings.minimumVersion, JavaVersion{});
    EXPECT_EQ(launcher.settings.maximumVersion, JavaVersion{}) << "an empty maximum gives 0.0.0.0";
    EXPECT_TRUE(launcher.settings.jdkSelected && launcher.settings.jreSelected && launcher.settings.bothKindsAllowed);
    EXPECT_TRUE(launcher.settings.provider.sunAccepted && launcher.settings.provider.sunFavored);
    EXPECT_FALSE(launcher.settings.provider.ibmAccepted || launcher.settings.provider.jrockitAccepted);
    EXPECT_FALSE(launcher.settings.isService) << "\"service\" is compared exactly";
    EXPECT_FALSE(launcher.settings.pairReturnCode);
    EXPECT_TRUE(launcher.settings.preferredVersions.empty());
}

TEST_F(LoadSettingsTest, TakesKeysFromTheAppendSection)
{
    writeIni(L"[Java Runtime Environment]\r\nMain Class=Main\r\n"
             L"[Java Runtime Environment+]\r\nSystem Path=C:\\extra\r\n");
    Launcher launcher;
    ASSERT_TRUE(launcher.readSettings());
    EXPECT_EQ(launcher.settings.systemPath, L" C:\\extra");
}

struct JrePathCase {
    const wchar_t* name;
    bool service;
    const wchar_t* perUserFile;  // nullptr: no per-user INI
    const wchar_t* expected;
};

class JrePathSourceTest : public LoadSettingsTest,
                          public ::testing::WithParamInterface<JrePathCase> {};

TEST_P(JrePathSourceTest, ReadsJrePathFromTheRightFile)
{
    const JrePathCase& c = GetParam();
    writeIni(std::wstring(L"[Product Information]\r\nProduct Name=Sample Suite\r\n"
                          L"Product Code={code}\r\n"
                          L"[Java Runtime Environment]\r\nMain Class=Main\r\n"
                          L"JRE Path=C:\\FromLauncher\\\r\n[Application]\r\n") +
             (c.service ? L"Application Type=service\r\n" : L""));
    if (c.perUserFile != nullptr) {
        writeUnicodeFileAt(perUserIni(), c.perUserFile);
    }
    Launcher launcher;
    ASSERT_TRUE(launcher.readSettings());
    EXPECT_EQ(launcher.settings.jrePathSetting, c.expected) << c.name;
    EXPECT_EQ(launcher.settings.isService, c.service);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JrePathSourceTest,
    ::testing::Values(
        JrePathCase{L"no per-user file", false, nullptr, L"C:\\FromLauncher\\"},
        JrePathCase{L"per-user value wins", false,
                    L"[Java Runtime Environment]\r\nJRE Path=C:\\Chosen\\\r\n", L"C:\\Chosen\\"},
        JrePathCase{L"per-user file without the key", false, L"[Other]\r\nK=v\r\n", L""},
        JrePathCase{L"a service ignores the per-user file", true,
                    L"[Java Runtime Environment]\r\nJRE Path=C:\\Chosen\\\r\n",
                    L"C:\\FromLauncher\\"}));

}  // namespace
}  // namespace velmar
