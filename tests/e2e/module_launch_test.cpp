// Applications written as named modules: the options java's --module gives
// the VM, the main class loaded through the runtime's launcher helper in
// module mode, and module options written as on java's command line.
#include "running_instance.h"
#include "stub_app.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace velmar::e2e {
namespace {

constexpr DWORD kFailure = 0xFFFFFFFF;
constexpr DWORD kHangBoundMs = 30000;

struct ModuleCase {
    const char* name;
    std::vector<IniEntry> entries;
    DWORD exitCode;
    std::vector<std::string> options;  // each among the VM's options ("mods" stands for the module folder)
    std::vector<std::string> absentPrefixes;
    const char* helperCall;             // empty when the helper is not asked
    const wchar_t* message;             // empty when no box is shown
};

class ModuleLaunchTest : public ::testing::TestWithParam<ModuleCase> {};

bool hasOptionStartingWith(const std::vector<std::string>& options, const std::string& prefix)
{
    return std::ranges::any_of(options, [&](const std::string& option) { return option.starts_with(prefix); });
}

TEST_P(ModuleLaunchTest, GivesTheVmWhatJavasCommandLineWould)
{
    const ModuleCase& c = GetParam();
    StubApp app;
    app.installation().writeFile(L"mods\\stub.mod.jar", "");
    for (const IniEntry& entry : c.entries) {
        app.writeIni({entry});
    }
    StubRun result = app.run({.arguments = L"-nosplash", .timeoutMs = kHangBoundMs});

    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, c.exitCode);
    EXPECT_EQ(result.record.violations, std::vector<std::string>{});
    for (std::string option : c.options) {
        if (option.ends_with("=mods")) {
            option.replace(option.size() - 4, 4, ansi(app.installation().path(L"mods")));
        }
        EXPECT_NE(std::ranges::find(result.record.options, option), result.record.options.end()) << option;
    }
    for (const std::string& prefix : c.absentPrefixes) {
        EXPECT_FALSE(hasOptionStartingWith(result.record.options, prefix)) << prefix;
    }
    if (*c.helperCall != '\0') {
        EXPECT_TRUE(result.record.called(c.helperCall)) << c.helperCall;
    }
    if (*c.message == L'\0') {
        EXPECT_TRUE(result.run.messageBoxes().empty());
        EXPECT_EQ(result.record.mainClass, "stub/App");
    } else {
        ASSERT_EQ(result.run.messageBoxes().size(), 1u);
        EXPECT_EQ(result.run.messageBoxes().front().text, c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModuleLaunchTest,
    ::testing::Values(
        // No class path at all, and no message about it.
        ModuleCase{"module_on_a_module_path",
                   {{L"Java Runtime Environment", L"Main Module", L"stub.mod/stub.App"},
                    {L"Java Runtime Environment", L"Main Class", std::nullopt},
                    {L"Class Path", L"Class Path", std::nullopt},
                    {L"Class Path", L"Module Path", L"\\mods"}},
                   0, {"--module-path=mods", "-Djdk.module.main=stub.mod"}, {"-Djava.class.path="},
                   "checkAndLoadMain 3 stub.mod/stub.App", L""},
        // A module of the runtime's image, whose own main class runs.
        ModuleCase{"module_naming_its_main_class",
                   {{L"Java Runtime Environment", L"Main Module", L"stub.mod"},
                    {L"Java Runtime Environment", L"Virtual Machine Parameters", L"-Dstub.moduleMainClass=stub.App"}},
                   0, {"-Djdk.module.main=stub.mod"}, {"--module-path="}, "checkAndLoadMain 3 stub.mod", L""},
        ModuleCase{"module_without_a_main_class",
                   {{L"Java Runtime Environment", L"Main Module", L"stub.mod"}},
                   kFailure, {"-Djdk.module.main=stub.mod"}, {}, "checkAndLoadMain 3 stub.mod",
                   L"Could not find the main class stub.mod.\n"},
        // Copied from a java command line: the VM takes only the joined form.
        ModuleCase{"options_written_as_on_javas_command_line",
                   {{L"Java Runtime Environment", L"Virtual Machine Parameters",
                     L"--add-opens java.base/java.lang=ALL-UNNAMED -p \"C:\\some dir\" -Xss2m"}},
                   0, {"--add-opens=java.base/java.lang=ALL-UNNAMED", "--module-path=C:\\some dir", "-Xss2m"},
                   {"-Djdk.module.main="}, "checkAndLoadMain 1 stub.App", L""}),
    [](const auto& info) { return std::string(info.param.name); });

// A module that names its own main class: the launcher learns the class
// only from the runtime, and a later start's arguments still reach its
// secondaryMain.
TEST(ModuleInstanceTest, ALaterStartReachesSecondaryMainOfTheModulesOwnClass)
{
    RunningInstance instance(L"stub.Missing", L"-Dstub.secondaryResult=7 -Dstub.moduleMainClass=stub.InstanceInt",
                             {{L"Java Runtime Environment", L"Main Module", L"stub.mod"},
                              {L"Java Runtime Environment", L"Main Class", std::nullopt}});
    ASSERT_TRUE(instance.start());

    const RunResult later = instance.later(L"from-later");
    ASSERT_FALSE(later.timedOut);
    EXPECT_EQ(later.exitCode, 7u);
    const stub::StubRecord record
        = instance.recordWhen([](const stub::StubRecord& r) { return !r.secondaryMainCalls.empty(); });
    EXPECT_EQ(record.violations, std::vector<std::string>{});
    EXPECT_EQ(record.mainClass, "stub/InstanceInt");
    ASSERT_EQ(record.secondaryMainCalls.size(), 1u);
    EXPECT_EQ(record.secondaryMainCalls.front().arguments.values, std::vector<std::wstring>{L"from-later"});
}

}  // namespace
}  // namespace velmar::e2e
