// The runtime search against runtimes registered under HKLM in both registry views,
// with the settings read from a real INI file beside this program.
#include "config/ini_file.h"
#include "config/settings.h"
#include "core/launcher.h"
#include "runtime/runtime_search.h"
#include "runtime_fixture.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

using namespace velmar::testing;

constexpr RegistryView kNative = kThisBuild.nativeView;
constexpr RegistryView kOther = kThisBuild.otherView;

class RegistrySearchTest : public RuntimeFolderTest {
protected:
    void TearDown() override
    {
        if (auto ini = launcherIniPath()) {
            ::DeleteFileW(ini->c_str());
        }
        RuntimeFolderTest::TearDown();
    }

    // The launcher INI: a main class, then the given lines.
    void settle(const std::wstring& lines)
    {
        const auto ini = launcherIniPath();
        ASSERT_TRUE(ini);
        writeUnicodeFileAt(*ini, L"[Java Runtime Environment]\r\nMain Class=a.Main\r\n" + lines);
        ASSERT_TRUE(launcher_.readSettings());
    }

    // A runtime folder with the given VM folders, registered as a classic
    // JavaSoft, JRockit or IBM runtime under HKLM\<key>\<subkey>.
    std::wstring registerJavaHome(RegistryView view, const std::wstring& key,
                                  const std::wstring& subkey, const std::wstring& home)
    {
        registerValue(view, key + L"\\" + subkey, L"JavaHome", home);
        return home;
    }

    std::wstring library(const std::wstring& home, const wchar_t* vm = L"client") const
    {
        return home + L"bin\\" + vm + L"\\jvm.dll";
    }

    Launcher launcher_;
};

constexpr const wchar_t* kJdkKey = L"Software\\JavaSoft\\Java Development Kit";
constexpr const wchar_t* kJreKey = L"Software\\JavaSoft\\Java Runtime Environment";
constexpr const wchar_t* kJrockitJreKey = L"Software\\JRockit\\Java Runtime Environment";
constexpr const wchar_t* kJrockitJdkKey = L"Software\\JRockit\\Java Development Kit";
constexpr const wchar_t* kIbmKey = L"Software\\IBM\\Java2 Runtime Environment";

TEST_F(RegistrySearchTest, EachJava8KeyIsSearched)
{
    struct Case {
        const wchar_t* key;
        bool jdk;
    };
    int index = 0;
    for (const Case c : {Case{kJdkKey, true}, Case{kJreKey, false}, Case{kJrockitJreKey, false},
                         Case{kJrockitJdkKey, true}, Case{kIbmKey, false}}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.key)));
        removeRegisteredRuntimes();
        const std::wstring home = folder(L"runtime" + std::to_wstring(++index));
        const std::wstring runtime = c.jdk ? home + L"jre\\" : home;
        makeRuntime(runtime, {L"client"});
        registerJavaHome(kNative, c.key, L"1.8.0_131", home);
        settle(L"VM Provider=any\r\n");
        ASSERT_TRUE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
        EXPECT_EQ(launcher_.runtime.jvmLibraryPath, library(runtime));
        EXPECT_EQ(launcher_.runtime.foundVersion, parseVersion(L"1.8.0.131", 0).value);
        EXPECT_FALSE(launcher_.runtime.relaunchPair);
    }
}

TEST_F(RegistrySearchTest, AnOldJdkKeyNeedsItsJreFolder)
{
    const std::wstring home = folder(L"jdk17");
    makeRuntime(home, {L"server"});
    registerJavaHome(kNative, kJdkKey, L"17.0.2", home);
    settle(L"");
    EXPECT_FALSE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
}

TEST_F(RegistrySearchTest, TheSortOfTheExampleChoosesTheOldestJre)
{
    const std::wstring jdk8 = folder(L"jdk8"), jre8 = folder(L"jre8"), jre7 = folder(L"jre7"),
                       jrockit6 = folder(L"jrockit6");
    makeRuntime(jdk8 + L"jre\\", {L"server"});
    makeRuntime(jre8, {L"client", L"server"});
    makeRuntime(jre7, {L"server"});
    makeRuntime(jrockit6, {L"server"});
    registerJavaHome(kNative, kJdkKey, L"1.8.0_131", jdk8);
    registerJavaHome(kNative, kJreKey, L"1.8.0_121", jre8);
    registerJavaHome(kNative, kJreKey, L"1.7.0_80", jre7);
    registerJavaHome(kNative, kJrockitJreKey, L"1.6.0_45", jrockit6);
    const std::wstring settings =
        L"JVM Source=favor_JRE\r\nVM Provider=favor_sun\r\nJVM Type=favor_server\r\n";

    settle(settings);
    ASSERT_TRUE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
    EXPECT_EQ(launcher_.runtime.jvmLibraryPath, library(jre7, L"server"));

    // Found by its client VM, hosted by its server VM.
    settle(settings + L"Preferred versions=1.8\r\n");
    ASSERT_TRUE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
    EXPECT_EQ(launcher_.runtime.jvmLibraryPath, library(jre8, L"server"));
}

TEST_F(RegistrySearchTest, PreferredVersionsPickInTheirOrder)
{
    const std::wstring jre8 = folder(L"jre8"), jre7 = folder(L"jre7");
    makeRuntime(jre8, {L"client"});
    makeRuntime(jre7, {L"client"});
    registerJavaHome(kNative, kJreKey, L"1.8.0_131", jre8);
    registerJavaHome(kNative, kJreKey, L"1.7.0_80", jre7);
    struct Case {
        const wchar_t* preferred;
        std::wstring chosen;
    };
    for (const Case& c : {Case{L"1.7;1.8", jre7}, Case{L";1.7", jre8}, Case{L"1.6;", jre8},
                          Case{L"11;1.7.0_80", jre7}}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.preferred)));
        settle(L"Preferred versions=" + std::wstring(c.preferred) + L"\r\n");
        ASSERT_TRUE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
        EXPECT_EQ(launcher_.runtime.jvmLibraryPath, library(c.chosen));
    }
}

TEST_F(RegistrySearchTest, TwoNamesOfOneRuntimeGiveTwoCandidates)
{
    const std::wstring jre8 = folder(L"jre8");
    makeRuntime(jre8, {L"client"});
    registerJavaHome(kNative, kJreKey, L"1.8", jre8);
    registerJavaHome(kNative, kJreKey, L"1.8.0_131", jre8);
    settle(L"Preferred versions=1.8\r\n");
    ASSERT_TRUE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
    EXPECT_EQ(launcher_.runtime.foundVersion, parseVersion(L"1.8.0_131", 0).value);
}

TEST_F(RegistrySearchTest, VersionBoundsFilterTheSubkeys)
{
    const std::wstring jre8 = folder(L"jre8"), jre9 = folder(L"jre9"), jdk11 = folder(L"jdk11");
    makeRuntime(jre8, {L"client"});
    makeRuntime(jre9, {L"client"});
    makeRuntime(jdk11 + L"jre\\", {L"client"});
    registerJavaHome(kNative, kJreKey, L"1.8.0_131", jre8);
    registerJavaHome(kNative, kJreKey, L"9", jre9);
    registerJavaHome(kNative, kJdkKey, L"11.0.2", jdk11);
    struct Case {
        const wchar_t* bounds;
        std::wstring chosen;  // empty: none
    };
    for (const Case& c : {Case{L"Minimum Version=1.6\r\nMaximum Version=1.8\r\n", jre8},
                          Case{L"Minimum Version=9\r\n", jdk11 + L"jre\\"},
                          Case{L"Minimum Version=1.6\r\nMaximum Version=9\r\n", jre9},
                          Case{L"Maximum Version=any\r\n", jdk11 + L"jre\\"},
                          Case{L"Minimum Version=12\r\n", L""}}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.bounds)));
        launcher_.runtime.jvmLibraryPath.clear();
        settle(c.bounds);
        EXPECT_EQ(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime), !c.chosen.empty());
        EXPECT_EQ(launcher_.runtime.jvmLibraryPath, c.chosen.empty() ? L"" : library(c.chosen));
    }
}

TEST_F(RegistrySearchTest, AServerVmIsRequiredOnlyWhenAskedFor)
{
    const std::wstring jre8 = folder(L"jre8");
    makeRuntime(jre8, {L"client"});
    registerJavaHome(kNative, kJreKey, L"1.8.0_131", jre8);
    settle(L"JVM Type=server\r\n");
    EXPECT_FALSE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
    settle(L"JVM Type=favor_server\r\n");
    ASSERT_TRUE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
    EXPECT_EQ(launcher_.runtime.jvmLibraryPath, library(jre8));
}

TEST_F(RegistrySearchTest, KindsAndProvidersDecideWhichKeysAreRead)
{
    const std::wstring jdk8 = folder(L"jdk8"), ibm = folder(L"ibm");
    makeRuntime(jdk8 + L"jre\\", {L"client"});
    makeRuntime(ibm, {L"client"});
    registerJavaHome(kNative, kJdkKey, L"1.8.0_131", jdk8);
    registerJavaHome(kNative, kIbmKey, L"1.8.0", ibm);
    struct Case {
        const wchar_t* settings;
        std::wstring chosen;
    };
    for (const Case& c : {Case{L"", jdk8 + L"jre\\"},
                          Case{L"VM Provider=sun\r\n", jdk8 + L"jre\\"},
                          Case{L"VM Provider=IBM\r\n", ibm},
                          Case{L"VM Provider=favor_ibm\r\n", ibm},
                          Case{L"JVM Source=only_JRE\r\n", L""},
                          Case{L"JVM Source=only_JRE\r\nVM Provider=any\r\n", ibm},
                          Case{L"JVM Source=only_jre\r\nVM Provider=any\r\n", L""},
                          Case{L"JVM Source=favor_JRE\r\nVM Provider=any\r\n", jdk8 + L"jre\\"}}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(c.settings)));
        launcher_.runtime.jvmLibraryPath.clear();
        launcher_.runtime.ibmRuntimeChosen = false;
        settle(c.settings);
        EXPECT_EQ(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime), !c.chosen.empty());
        EXPECT_EQ(launcher_.runtime.jvmLibraryPath, c.chosen.empty() ? L"" : library(c.chosen));
        // Only an IBM runtime keeps the Java main thread in the VM after main.
        EXPECT_EQ(launcher_.runtime.ibmRuntimeChosen, c.chosen == ibm);
    }
}

TEST_F(RegistrySearchTest, TheOtherViewIsReadOnlyForAPair)
{
    const std::wstring other = folder(L"other"), native = folder(L"native");
    makeRuntime(other, {L"client"}, false, otherMachine());
    registerJavaHome(kOther, kJreKey, L"1.8.0_131", other);

    settle(L"");
    EXPECT_FALSE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime)) << "no pair product: the other view is not read";

    settle(L"[Application]\r\nPair Product=C:\\pair\\myapp.exe\r\n");
    ASSERT_TRUE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
    EXPECT_EQ(launcher_.runtime.jvmLibraryPath, library(other));
    EXPECT_TRUE(launcher_.runtime.relaunchPair);

    makeRuntime(native, {L"client"});
    registerJavaHome(kNative, kJreKey, L"1.6.0_45", native);
    launcher_.runtime.relaunchPair = false;
    settle(L"[Application]\r\nPair Product=C:\\pair\\myapp.exe\r\n");
    ASSERT_TRUE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
    EXPECT_EQ(launcher_.runtime.jvmLibraryPath, library(native)) << "the own view wins, even older";
    EXPECT_FALSE(launcher_.runtime.relaunchPair);
}

}  // namespace
}  // namespace velmar
