// Starting the Java application with the stub runtime: exit codes, the
// messages of each failure, and the arguments main receives.
#include "stub_app.h"

#include <gtest/gtest.h>

namespace velmar::e2e {
namespace {

constexpr DWORD kFailure = 0xFFFFFFFF;
constexpr const wchar_t* kFailingInitializer =
    L"Failed to load Main Class: stub.BadInit\njava.lang.ExceptionInInitializerError\n"
    L"Caused by: java.lang.IllegalStateException: settings missing.\n";

std::string caseName(const char* text)
{
    std::string name = text;
    for (char& c : name) {
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return name;
}

struct ExitCase {
    const char* name;
    const wchar_t* variant;
    const wchar_t* mainClass;
    const wchar_t* vmParameters;
    DWORD exitCode;
    const wchar_t* message;  // nullptr: no window at all
};

class ExitCodeTest : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ExitCodeTest, EndsWithTheApplicationsCodeOrReportsTheFailure)
{
    const ExitCase& c = GetParam();
    StubApp app(c.variant);
    app.writeIni({{L"Java Runtime Environment", L"Main Class", c.mainClass},
                  {L"Java Runtime Environment", L"Virtual Machine Parameters", c.vmParameters}});
    StubRun result = app.run({.arguments = L"-nosplash"});

    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.record.violations, std::vector<std::string>{});
    EXPECT_EQ(result.run.exitCode, c.exitCode);
    if (c.message == nullptr) {
        EXPECT_TRUE(result.run.windows.empty());
        return;
    }
    ASSERT_EQ(result.run.windows.size(), 1u);
    const WindowSeen& box = result.run.windows.front();
    EXPECT_TRUE(box.isMessageBox());
    EXPECT_TRUE(box.errorIcon);
    EXPECT_EQ(box.text, c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExitCodeTest,
    ::testing::Values(
        ExitCase{"main returns", L"full", L"stub.App", L"", 0, nullptr},
        ExitCase{"main returns without the launcher helper", L"plain", L"stub.App", L"", 0, nullptr},
        ExitCase{"System.exit(3)", L"full", L"stub.App", L"-Dstub.exit=3", 3, nullptr},
        ExitCase{"System.exit(-7)", L"full", L"stub.App", L"-Dstub.exit=-7", 0xFFFFFFF9, nullptr},
        // As java.exe ends: scripts and installers read the code.
        ExitCase{"uncaught exception, no failure check", L"full", L"stub.App", L"-Dstub.throw=boom", 1,
                 nullptr},
        ExitCase{"creation -1", L"full", L"stub.App", L"-Dstub.create=-1", kFailure,
                 L"JNI exception: failed to create the Java VM\nReason: unknown.\n"},
        ExitCase{"creation -2", L"full", L"stub.App", L"-Dstub.create=-2", kFailure,
                 L"JNI exception: failed to create the Java VM\nReason: thread detached from VM.\n"},
        ExitCase{"creation -3", L"full", L"stub.App", L"-Dstub.create=-3", kFailure,
                 L"JNI exception: failed to create the Java VM\nReason: JNI version error.\n"},
        ExitCase{"creation -4", L"full", L"stub.App", L"-Dstub.create=-4", kFailure,
                 L"JNI exception: failed to create the Java VM\nReason: not enough memory.\n"},
        ExitCase{"creation -5", L"full", L"stub.App", L"-Dstub.create=-5", kFailure,
                 L"JNI exception: failed to create the Java VM\nReason: VM already created.\n"},
        ExitCase{"creation -6", L"full", L"stub.App", L"-Dstub.create=-6", kFailure,
                 L"JNI exception: failed to create the Java VM\nReason: invalid arguments.\n"},
        ExitCase{"creation -9", L"full", L"stub.App", L"-Dstub.create=-9", kFailure,
                 L"JNI exception: failed to create the Java VM\nReason: .\n"},
        // The reason is the runtime's own, which it printed.
        ExitCase{"unknown option", L"full", L"stub.App", L"-bogus", kFailure,
                 L"JNI exception: failed to create the Java VM\nReason: Unrecognized option: -bogus.\n"},
        ExitCase{"missing main class", L"full", L"stub.Missing", L"", kFailure,
                 L"Could not find the main class stub.Missing.\n"},
        ExitCase{"missing main class without the launcher helper", L"plain", L"stub.Missing", L"",
                 kFailure, L"Could not find the main class stub.Missing.\n"},
        // The class is there, but its static initializer threw.
        ExitCase{"failing static initializer", L"full", L"stub.BadInit", L"", kFailure,
                 kFailingInitializer},
        ExitCase{"failing static initializer without the launcher helper", L"plain", L"stub.BadInit",
                 L"", kFailure, kFailingInitializer},
        // The runtime raises NoSuchMethodError: printed, and the user told.
        ExitCase{"no main method", L"full", L"stub.NoMain", L"", kFailure,
                 L"No main method found in specified class.\n"},
        ExitCase{"no main method without the launcher helper", L"plain", L"stub.NoMain", L"",
                 kFailure, L"No main method found in specified class.\n"},
        ExitCase{"no JNI_CreateJavaVM", L"no-create", L"stub.App", L"", kFailure,
                 L"Windows exception: cannot find CreateJavaVM JNI (errno = 127).\n"},
        ExitCase{"no JNI_GetDefaultJavaVMInitArgs", L"no-default-args", L"stub.App", L"", kFailure,
                 L"Windows exception: cannot find CreateJavaVM JNI (errno = 127).\n"}),
    [](const auto& info) { return caseName(info.param.name); });

// A start without a dialog maps no library that only a dialog needs.
TEST(LoadedModulesTest, NoDialogLibraryIsLoadedWhenTheVmIsCreated)
{
    StubApp app;
    StubRun result = app.run({.arguments = L"-nosplash"});
    ASSERT_EQ(result.run.exitCode, 0u);
    ASSERT_FALSE(result.record.modules.empty());
    for (const wchar_t* library :
         {L"comctl32.dll", L"shell32.dll", L"ole32.dll", L"combase.dll", L"dbghelp.dll", L"gdiplus.dll"}) {
        for (const std::wstring& module : result.record.modules) {
            EXPECT_NE(::lstrcmpiW(module.c_str(), library), 0) << "loaded: " << ::testing::PrintToString(module);
        }
    }
}

TEST(BindJvmLibraryTest, ReportsALibraryThatCannotBeLoaded)
{
    StubApp app;
    app.installation().writeFile(L"jre\\bin\\server\\jvm.dll", "not a library");
    StubRun result = app.run({.arguments = L"-nosplash"});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, kFailure);
    ASSERT_EQ(result.run.windows.size(), 1u);
    EXPECT_EQ(result.run.windows.front().text,
              L"Failed to load Java VM library: " + app.jvmPath() + L" (errno = 193).\n");
}

TEST(MainClassTest, LoadsThroughTheLauncherHelperWithDotsAndDirectlyWithSlashes)
{
    for (const wchar_t* written : {L"stub.App", L"stub/App"}) {
        StubApp full;
        full.writeIni({{L"Java Runtime Environment", L"Main Class", written}});
        StubRun viaHelper = full.run({.arguments = L"-nosplash"});
        EXPECT_EQ(viaHelper.run.exitCode, 0u);
        EXPECT_TRUE(viaHelper.record.called("checkAndLoadMain 1 stub.App"));
        EXPECT_EQ(viaHelper.record.mainClass, "stub/App");

        StubApp plain(L"plain");
        plain.writeIni({{L"Java Runtime Environment", L"Main Class", written}});
        StubRun direct = plain.run({.arguments = L"-nosplash"});
        EXPECT_EQ(direct.run.exitCode, 0u);
        EXPECT_TRUE(direct.record.called("FindClass stub/App"));
        EXPECT_EQ(direct.record.mainClass, "stub/App");
    }
}

TEST(ArgumentsTest, MainReceivesTheCommandLineThenCmdUnchanged)
{
    StubApp app;
    app.writeIni({{L"Application", L"Cmd", L"-mode \"red blue\"  -fast"}});
    StubRun result = app.run(
        {.arguments = L"plain \"two words\" -nosplash \x65E5\x672C \x03A9\x0416 caf\x00E9"});
    ASSERT_EQ(result.run.exitCode, 0u);
    const std::vector<std::wstring> expected{
        L"plain", L"two words", L"-nosplash", L"\x65E5\x672C", L"\x03A9\x0416", L"caf\x00E9",
        L"-mode", L"red blue", L"-fast"};
    EXPECT_TRUE(result.record.mainArguments.present);
    EXPECT_FALSE(result.record.mainArguments.hadNull);
    EXPECT_EQ(result.record.mainArguments.values, expected);
}

TEST(ArgumentsTest, MainReceivesAnEmptyArrayWithoutArguments)
{
    StubApp app;
    StubRun result = app.run();
    ASSERT_EQ(result.run.exitCode, 0u);
    EXPECT_TRUE(result.record.mainArguments.present);
    EXPECT_FALSE(result.record.mainArguments.hadNull);
    EXPECT_TRUE(result.record.mainArguments.values.empty());
}

TEST(ClassPathTest, MissingClassPathIsReportedAndTheVmStillStarts)
{
    StubApp app;
    app.writeIni({{L"Class Path", L"Class Path", L"\\nothing\\*.jar;\\missing.jar"},
                  {L"Java Runtime Environment", L"Virtual Machine Parameters", L"-Dstub.out=x"},
                  {L"Application", L"Cmd", L"extra"}});
    StubRun result = app.run({.arguments = L"-nosplash"});
    ASSERT_FALSE(result.run.timedOut);
    ASSERT_EQ(result.run.windows.size(), 1u);
    EXPECT_EQ(result.run.windows.front().text, L"No file matches these entries of \"Class Path\":\n\\nothing\\*.jar (looked for as "
                                                   + app.installation().path(L"nothing\\*.jar") + L")\n\\missing.jar (looked for as "
                                                   + app.installation().path(L"missing.jar") + L")");
    EXPECT_EQ(result.record.createResult, 0L);
    EXPECT_EQ(result.record.options, (std::vector<std::string>{"vfprintf", "abort", "exit"}))
        << "no class path, no VM parameters";
    EXPECT_EQ(result.record.mainArguments.values, std::vector<std::wstring>{L"-nosplash"})
        << "no Cmd arguments";
    EXPECT_EQ(result.run.exitCode, 0u);
}

}  // namespace
}  // namespace velmar::e2e
