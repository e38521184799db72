// The registry keys of today's installers, each in both registry views, and
// the machines of the acceptance checks: a registered JDK 17 and nothing else.
#include "config/ini_file.h"
#include "config/settings.h"
#include "core/launcher.h"
#include "runtime/runtime_search.h"
#include "runtime_fixture.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

using namespace velmar::testing;

class InstallerKeyTest : public RuntimeFolderTest {
protected:
    void TearDown() override
    {
        if (auto ini = launcherIniPath()) {
            ::DeleteFileW(ini->c_str());
        }
        RuntimeFolderTest::TearDown();
    }

    bool found(const std::wstring& settings)
    {
        const auto ini = launcherIniPath();
        EXPECT_TRUE(ini);
        writeUnicodeFileAt(*ini, L"[Java Runtime Environment]\r\nMain Class=a.Main\r\n" + settings);
        launcher_ = std::make_unique<Launcher>();
        EXPECT_TRUE(launcher_->readSettings());
        return searchRuntime(launcher_->settings, launcher_->trace, launcher_->runtime);
    }

    std::unique_ptr<Launcher> launcher_;
};

struct InstallerKey {
    const char* name;
    const wchar_t* key;
    const wchar_t* key32;  // the key in the 32-bit view
    const wchar_t* subkey;
    const wchar_t* valuePath;
    const wchar_t* value;
    bool jdk;
    bool openj9;
};

class EachInstallerKeyTest : public InstallerKeyTest,
                             public ::testing::WithParamInterface<InstallerKey> {};

TEST_P(EachInstallerKeyTest, IsFoundInBothViewsUnderItsKindAndProvider)
{
    const InstallerKey& k = GetParam();
    const std::wstring provider = k.openj9 ? L"VM Provider=ibm\r\n" : L"";
    const std::wstring wrongProvider = k.openj9 ? L"" : L"VM Provider=ibm\r\n";
    const std::wstring wrongKind =
        k.jdk ? L"JVM Source=only_JRE\r\nVM Provider=any\r\n" : L"JVM Source=only_JDK\r\nVM Provider=any\r\n";
    const std::wstring pair = L"[Application]\r\nPair Product=C:\\pair\\myapp.exe\r\n";
    int index = 0;
    for (RegistryView view : {kThisBuild.nativeView, kThisBuild.otherView}) {
        const bool other = view == kThisBuild.otherView;
        // A JDK of today keeps its VM in its own bin; one of Java 8 in jre\.
        for (bool java8Layout : {false, true}) {
            if (java8Layout && !k.jdk) {
                continue;
            }
            SCOPED_TRACE(std::string(other ? "other view" : "own view") +
                         (java8Layout ? ", Java 8 layout" : ""));
            removeRegisteredRuntimes();
            const std::wstring home = folder(L"runtime" + std::to_wstring(++index));
            const std::wstring runtime = java8Layout ? home + L"jre\\" : home;
            makeRuntime(runtime, {L"server"}, false, other ? otherMachine() : nativeMachine());
            std::wstring key = view == RegistryView::bits32 ? k.key32 : k.key;
            key += L"\\" + std::wstring(k.subkey);
            if (*k.valuePath != L'\0') {
                key += L"\\" + std::wstring(k.valuePath);
            }
            registerValue(view, key, k.value, home);

            const std::wstring extra = other ? pair : L"";
            ASSERT_TRUE(found(provider + extra));
            EXPECT_EQ(launcher_->runtime.jvmLibraryPath, runtime + L"bin\\server\\jvm.dll");
            EXPECT_EQ(launcher_->runtime.relaunchPair, other);
            EXPECT_EQ(launcher_->runtime.foundVersion, parseVersion(k.subkey, 0).value);
            EXPECT_FALSE(launcher_->runtime.ibmRuntimeChosen)
                << "the main thread stays in the VM for the old IBM runtimes alone";
            EXPECT_FALSE(found(wrongKind + extra)) << "JVM Source governs the key";
            EXPECT_FALSE(found(wrongProvider + extra)) << "VM Provider governs the key";
            if (other) {
                EXPECT_FALSE(found(provider)) << "without a pair the other view is not read";
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, EachInstallerKeyTest,
    ::testing::Values(
        InstallerKey{"javasoft_jdk", L"Software\\JavaSoft\\JDK", L"Software\\JavaSoft\\JDK",
                     L"17.0.2", L"", L"JavaHome", true, false},
        InstallerKey{"javasoft_jre", L"Software\\JavaSoft\\JRE", L"Software\\JavaSoft\\JRE",
                     L"1.8.0_401", L"", L"JavaHome", false, false},
        InstallerKey{"adoptium_jdk", L"Software\\Eclipse Adoptium\\JDK",
                     L"Software\\Eclipse Adoptium\\JDK", L"17.0.2.8", L"hotspot\\MSI", L"Path",
                     true, false},
        InstallerKey{"adoptium_jre", L"Software\\Eclipse Adoptium\\JRE",
                     L"Software\\Eclipse Adoptium\\JRE", L"17.0.2.8", L"hotspot\\MSI", L"Path",
                     false, false},
        InstallerKey{"adoptopenjdk_jdk", L"Software\\AdoptOpenJDK\\JDK",
                     L"Software\\AdoptOpenJDK\\JDK", L"11.0.11.9", L"hotspot\\MSI", L"Path", true,
                     false},
        InstallerKey{"adoptopenjdk_jre", L"Software\\AdoptOpenJDK\\JRE",
                     L"Software\\AdoptOpenJDK\\JRE", L"11.0.11.9", L"hotspot\\MSI", L"Path", false,
                     false},
        InstallerKey{"microsoft_jdk", L"Software\\Microsoft\\JDK", L"Software\\Microsoft\\JDK",
                     L"21.0.1.12", L"hotspot\\MSI", L"Path", true, false},
        InstallerKey{"zulu_jdk", L"Software\\Azul Systems\\Zulu",
                     L"Software\\Azul Systems\\Zulu 32-bit", L"zulu-17", L"", L"InstallationPath",
                     true, false},
        InstallerKey{"zulu_jre", L"Software\\Azul Systems\\Zulu",
                     L"Software\\Azul Systems\\Zulu 32-bit", L"zulu-17-jre", L"",
                     L"InstallationPath", false, false},
        InstallerKey{"liberica_jdk", L"Software\\BellSoft\\Liberica", L"Software\\BellSoft\\Liberica",
                     L"jdk-21", L"", L"InstallationPath", true, false},
        InstallerKey{"liberica_jre", L"Software\\BellSoft\\Liberica", L"Software\\BellSoft\\Liberica",
                     L"jre-21", L"", L"InstallationPath", false, false},
        InstallerKey{"semeru_jdk", L"Software\\Semeru\\JDK", L"Software\\Semeru\\JDK", L"17.0.9.9",
                     L"openj9\\MSI", L"Path", true, true},
        InstallerKey{"semeru_jre", L"Software\\Semeru\\JRE", L"Software\\Semeru\\JRE", L"17.0.9.9",
                     L"openj9\\MSI", L"Path", false, true}),
    [](const auto& info) { return std::string(info.param.name); });

struct Jdk17Key {
    const char* name;
    const wchar_t* key;
    const wchar_t* value;
};

class OnlyAJdk17Test : public InstallerKeyTest, public ::testing::WithParamInterface<Jdk17Key> {};

TEST_P(OnlyAJdk17Test, IsFoundWithDefaultsAndAMinimumOf11)
{
    const std::wstring jdk17 = folder(L"jdk-17");
    makeRuntime(jdk17, {L"server"});
    registerValue(kThisBuild.nativeView, GetParam().key, GetParam().value, jdk17);
    const std::wstring library = jdk17 + L"bin\\server\\jvm.dll";

    for (const wchar_t* settings : {L"", L"Minimum Version=11\r\n"}) {
        SCOPED_TRACE(::testing::PrintToString(std::wstring(settings)));
        ASSERT_TRUE(found(settings));
        EXPECT_EQ(launcher_->runtime.jvmLibraryPath, library);
    }

    const std::wstring jre8 = folder(L"jre1.8");
    makeRuntime(jre8, {L"client"});
    registerValue(kThisBuild.nativeView, L"Software\\JavaSoft\\Java Runtime Environment\\1.8",
                  L"JavaHome", jre8);
    ASSERT_TRUE(found(L"Maximum Version=1.8\r\n"));
    EXPECT_EQ(launcher_->runtime.jvmLibraryPath, jre8 + L"bin\\client\\jvm.dll");
    ASSERT_TRUE(found(L""));
    EXPECT_EQ(launcher_->runtime.jvmLibraryPath, library) << "the newest, without a maximum";
}

INSTANTIATE_TEST_SUITE_P(
    Keys, OnlyAJdk17Test,
    ::testing::Values(Jdk17Key{"javasoft", L"Software\\JavaSoft\\JDK\\17.0.2", L"JavaHome"},
                      Jdk17Key{"adoptium", L"Software\\Eclipse Adoptium\\JDK\\17.0.2.8\\hotspot\\MSI",
                               L"Path"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmar
