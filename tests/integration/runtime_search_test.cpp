// The first two places the runtime search looks: the folder of "JRE Path" and the
// runtime shipped beside the launcher (here: beside this test program).
#include "config/ini_file.h"
#include "core/launcher.h"
#include "runtime/jvm_location.h"
#include "runtime/runtime_search.h"
#include "runtime_fixture.h"
#include "support/file_system.h"

#include <gtest/gtest.h>

namespace velmar {
namespace {

using namespace velmar::testing;

class ConfiguredFolderTest : public RuntimeFolderTest {
protected:
    Launcher launcher_;
};

TEST_F(ConfiguredFolderTest, UsesTheLibraryOfJrePathWithOrWithoutBackslash)
{
    const std::wstring home = folder(L"jre");
    makeRuntime(home, {L"server"});
    for (std::wstring setting : {home, home.substr(0, home.size() - 1)}) {
        SCOPED_TRACE(setting);
        launcher_.settings.jrePathSetting = setting;
        launcher_.runtime.jvmLibraryPath.clear();
        ASSERT_TRUE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
        EXPECT_EQ(launcher_.runtime.jvmLibraryPath, home + L"bin\\server\\jvm.dll");
        EXPECT_FALSE(launcher_.runtime.relaunchPair);
    }
}

// A relative "JRE Path" is the launcher's, wherever the start began.
TEST(ConfiguredRuntimeFolderTest, RelativeSettingsLieBelowTheLauncherFolder)
{
    struct Case {
        const wchar_t* setting;
        const wchar_t* folder;
    };
    const Case cases[] = {
        {L"jre", L"C:\\App\\jre\\"},
        {L"jre\\", L"C:\\App\\jre\\"},
        {L".\\runtime\\jre", L"C:\\App\\runtime\\jre\\"},
        {L"..\\shared\\jre", L"C:\\shared\\jre\\"},
        {L"\\jre", L"C:\\App\\jre\\"},  // as "Class Path" reads "\lib\*.jar"
        {L"D:\\Java\\jre", L"D:\\Java\\jre\\"},
        {L"\\\\server\\java\\", L"\\\\server\\java\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(configuredRuntimeFolder(c.setting, L"C:\\App\\"), c.folder)
            << ::testing::PrintToString(std::wstring(c.setting));
    }
}

TEST_F(ConfiguredFolderTest, IgnoresTheVersionBounds)
{
    const std::wstring home = folder(L"jre");
    makeRuntime(home, {L"client"});
    launcher_.settings.jrePathSetting = home;
    launcher_.settings.minimumVersion = boundFromText(L"99", BoundKind::minimum);
    launcher_.settings.maximumVersion = boundFromText(L"100", BoundKind::maximum);
    ASSERT_TRUE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
    EXPECT_EQ(launcher_.runtime.jvmLibraryPath, home + L"bin\\client\\jvm.dll");
}

TEST_F(ConfiguredFolderTest, AFolderWithoutTheWantedVmIsPassedOver)
{
    const std::wstring home = folder(L"jre");
    makeRuntime(home, {L"client"});
    launcher_.settings.jrePathSetting = home;
    launcher_.settings.jvmType = kVmTypeServer;
    EXPECT_FALSE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
    EXPECT_EQ(launcher_.runtime.jvmLibraryPath, L"");

    launcher_.settings.jrePathSetting = folder(L"empty");
    launcher_.settings.jvmType = kVmTypeDefault;
    EXPECT_FALSE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
}

TEST_F(ConfiguredFolderTest, ARuntimeOfTheOtherMachineGoesToThePair)
{
    const std::wstring home = folder(L"jre");
    makeRuntime(home, {L"client"}, false, otherMachine());
    launcher_.settings.jrePathSetting = home;
    launcher_.settings.pairProduct = L"C:\\pair\\myapp.exe";
    ASSERT_TRUE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
    EXPECT_TRUE(launcher_.runtime.relaunchPair);

    launcher_.settings.pairProduct.clear();
    ASSERT_TRUE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
    EXPECT_FALSE(launcher_.runtime.relaunchPair) << "no pair: the load reports the mismatch later";
}

struct LocalCase {
    const char* name;
    bool ownJavaDll;
    bool jre64JavaDll;
    bool jreJavaDll;
    // A JDK 8 copied whole: its runtime in jre64\jre\ and jre\jre\.
    bool nestedJavaDll;
    // Expected subfolder for the x86-64 and the x86 build; nullptr: none.
    const wchar_t* x64;
    const wchar_t* x86;
};

class LocalRuntimeTest : public RuntimeFolderTest,
                         public ::testing::WithParamInterface<LocalCase> {};

TEST_P(LocalRuntimeTest, PrefersTheOwnFolderThenTheBuildsSubfolder)
{
    const LocalCase& c = GetParam();
    const std::wstring base = folder(L"app");
    ::CreateDirectoryW(base.c_str(), nullptr);
    makeRuntime(base, {}, c.ownJavaDll);
    makeRuntime(base + L"jre64\\", {}, c.jre64JavaDll);
    makeRuntime(base + L"jre\\", {}, c.jreJavaDll);
    makeRuntime(base + L"jre64\\jre\\", {}, c.nestedJavaDll);
    makeRuntime(base + L"jre\\jre\\", {}, c.nestedJavaDll);
    auto expected = [&](const wchar_t* sub) { return sub ? base + sub : std::wstring(); };
    EXPECT_EQ(findLocalRuntime(base, kX64Build), expected(c.x64));
    EXPECT_EQ(findLocalRuntime(base, kX86Build), expected(c.x86));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, LocalRuntimeTest,
    ::testing::Values(LocalCase{"own_folder_first", true, true, true, true, L"", L""},
                      LocalCase{"jre64_and_jre", false, true, true, false, L"jre64\\", L"jre\\"},
                      LocalCase{"only_jre64", false, true, false, false, L"jre64\\", nullptr},
                      LocalCase{"only_jre", false, false, true, false, nullptr, L"jre\\"},
                      LocalCase{"jdk8_copied_whole", false, false, false, true, L"jre64\\jre\\", L"jre\\jre\\"},
                      LocalCase{"a_runtime_before_its_nested_jre", false, true, true, true, L"jre64\\", L"jre\\"},
                      LocalCase{"none", false, false, false, false, nullptr, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// A runtime shipped beside the launcher, which here is this test program.
class ShippedRuntimeTest : public RuntimeFolderTest {
protected:
    void SetUp() override
    {
        RuntimeFolderTest::SetUp();
        home_ = launcherFolder() + std::wstring(kThisBuild.localRuntimeFolder);
        ASSERT_FALSE(entryFound(home_.substr(0, home_.size() - 1))) << "left over: " << home_;
    }
    void TearDown() override
    {
        removeTree(home_.substr(0, home_.size() - 1));
        RuntimeFolderTest::TearDown();
    }

    Launcher launcher_;
    std::wstring home_;
};

TEST_F(ShippedRuntimeTest, IsUsedWithoutBoundsOrArchitectureCheck)
{
    makeRuntime(home_, {L"client"}, true, otherMachine());
    launcher_.settings.minimumVersion = boundFromText(L"99", BoundKind::minimum);
    launcher_.settings.pairProduct = L"C:\\pair\\myapp.exe";
    ASSERT_TRUE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
    EXPECT_EQ(launcher_.runtime.jvmLibraryPath, home_ + L"bin\\client\\jvm.dll");
    EXPECT_FALSE(launcher_.runtime.relaunchPair);
}

TEST_F(ShippedRuntimeTest, ComesAfterJrePath)
{
    makeRuntime(home_, {L"client"}, true);
    const std::wstring configured = folder(L"configured");
    makeRuntime(configured, {L"server"});
    launcher_.settings.jrePathSetting = configured;
    ASSERT_TRUE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
    EXPECT_EQ(launcher_.runtime.jvmLibraryPath, configured + L"bin\\server\\jvm.dll");

    launcher_.settings.jrePathSetting = folder(L"empty");
    ASSERT_TRUE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
    EXPECT_EQ(launcher_.runtime.jvmLibraryPath, home_ + L"bin\\client\\jvm.dll");
}

TEST_F(ShippedRuntimeTest, WithoutTheWantedVmIsPassedOver)
{
    makeRuntime(home_, {L"client"}, true);
    launcher_.settings.jvmType = kVmTypeServer;
    EXPECT_FALSE(searchRuntime(launcher_.settings, launcher_.trace, launcher_.runtime));
}

}  // namespace
}  // namespace velmar
