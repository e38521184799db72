// What happens between the VM's creation and the end of main with a
// runtime as strict as a real one: the launcher helper that ends the VM
// over a class it rejects, threads that must detach, the entry points of
// today's Java, the endless wait only IBM runtimes get, and the runtime's
// own DLLs taken from its bin folder.
#include "stub_app.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace velmar::e2e {
namespace {

constexpr DWORD kFailure = 0xFFFFFFFF;
// A launcher that hangs fails here, well before the harness's own bound.
constexpr DWORD kHangBoundMs = 30000;

bool inOrder(const std::vector<std::string>& calls, std::initializer_list<const char*> wanted)
{
    auto at = calls.begin();
    for (const char* call : wanted) {
        at = std::find(at, calls.end(), call);
        if (at == calls.end()) {
            return false;
        }
        ++at;
    }
    return true;
}

std::string errorFileOf(StubApp& app)
{
    return readFileBytes(app.installation().path(L"err.log"));
}

struct RejectedCase {
    const char* name;
    const wchar_t* variant;
    const wchar_t* mainClass;
    const wchar_t* message;
    const char* printed;  // what the runtime put on System.err
};

class RejectedMainClassTest : public ::testing::TestWithParam<RejectedCase> {};

// The user is told in a box and the process ends with -1, whether the
// runtime's launcher helper or the launcher itself found the fault.
TEST_P(RejectedMainClassTest, IsReportedAndEndsTheProcessWithMinusOne)
{
    const RejectedCase& c = GetParam();
    StubApp app(c.variant);
    app.writeIni({{L"Java Runtime Environment", L"Main Class", c.mainClass},
                  {L"Application", L"Error File", app.installation().path(L"err.log")}});
    StubRun result = app.run({.arguments = L"-nosplash", .timeoutMs = kHangBoundMs});

    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.record.violations, std::vector<std::string>{});
    EXPECT_EQ(result.run.exitCode, kFailure);
    ASSERT_EQ(result.run.messageBoxes().size(), 1u);
    EXPECT_EQ(result.run.messageBoxes().front().text, c.message);
    EXPECT_NE(errorFileOf(app).find(c.printed), std::string::npos) << errorFileOf(app);
    EXPECT_FALSE(result.record.called("main " + ansi(c.mainClass)));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RejectedMainClassTest,
    ::testing::Values(
        RejectedCase{"missing_class", L"full", L"stub.Missing",
                     L"Could not find the main class stub.Missing.\n", "NoClassDefFoundError: stub/Missing"},
        RejectedCase{"missing_class_without_helper", L"plain", L"stub.Missing",
                     L"Could not find the main class stub.Missing.\n", "NoClassDefFoundError: stub/Missing"},
        RejectedCase{"failing_initializer", L"full", L"stub.BadInit",
                     L"Failed to load Main Class: stub.BadInit\njava.lang.ExceptionInInitializerError\n"
                     L"Caused by: java.lang.IllegalStateException: settings missing.\n",
                     "java.lang.ExceptionInInitializerError\r\nCaused by: java.lang.IllegalStateException: "
                     "settings missing\r\n\tat stub.BadInit.<clinit>(BadInit.java:3)"},
        RejectedCase{"no_main", L"full", L"stub.NoMain", L"No main method found in specified class.\n",
                     "Error: Main method not found in class stub.NoMain"},
        RejectedCase{"no_main_without_helper", L"plain", L"stub.NoMain",
                     L"No main method found in specified class.\n", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// The runtime calls the exit hook from a thread of its own, as HotSpot's
// VM thread runs the exit sequence; the message still comes, and the
// process still ends with -1.
TEST(RejectedMainClassTest, TheHelpersSystemExitIsTurnedIntoTheMessage)
{
    StubApp app(L"full");
    app.writeIni({{L"Java Runtime Environment", L"Main Class", L"stub.NoMain"}});
    StubRun result = app.run({.arguments = L"-nosplash", .timeoutMs = kHangBoundMs});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.record.exitHookCodes, std::vector<long>{1}) << "the helper ended the VM";
    ASSERT_EQ(result.run.messageBoxes().size(), 1u);
    EXPECT_EQ(result.run.messageBoxes().front().text, L"No main method found in specified class.\n");
    EXPECT_EQ(result.run.exitCode, kFailure) << "not the helper's 1";
}

// HotSpot's DestroyJavaVM waits for every attached thread, also one that
// ended without detaching; the stub does the same.
TEST(FailedLaunchTest, TheJavaMainThreadDetachesSoTheVmCanBeDestroyed)
{
    for (const wchar_t* mainClass : {L"stub.Missing", L"stub.NoMain"}) {
        SCOPED_TRACE(ansi(mainClass));
        StubApp app(L"plain");
        app.writeIni({{L"Java Runtime Environment", L"Main Class", mainClass}});
        StubRun result = app.run({.arguments = L"-nosplash", .timeoutMs = kHangBoundMs});
        ASSERT_FALSE(result.run.timedOut) << "the VM waited for a dead attached thread";
        EXPECT_EQ(result.run.exitCode, kFailure);
        EXPECT_TRUE(inOrder(result.record.calls, {"DetachCurrentThread", "DestroyJavaVM", "DestroyJavaVM end"}));
    }
}

struct EntryPointCase {
    const char* name;
    const wchar_t* mainClass;
    const char* form;
    bool getsArguments;
};

class EntryPointTest : public ::testing::TestWithParam<std::tuple<EntryPointCase, const wchar_t*>> {};

TEST_P(EntryPointTest, IsChosenAsTheJava25LauncherChoosesIt)
{
    const auto& [c, variant] = GetParam();
    StubApp app(variant);
    app.writeIni({{L"Java Runtime Environment", L"Main Class", c.mainClass}});
    StubRun result = app.run({.arguments = L"-nosplash one", .timeoutMs = kHangBoundMs});
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.record.violations, std::vector<std::string>{});
    EXPECT_EQ(result.run.exitCode, 0u);
    EXPECT_TRUE(result.run.messageBoxes().empty());
    EXPECT_EQ(result.record.mainForm, c.form);
    EXPECT_EQ(result.record.mainArguments.present, c.getsArguments);
    if (c.getsArguments) {
        EXPECT_EQ(result.record.mainArguments.values, (std::vector<std::wstring>{L"-nosplash", L"one"}));
    }
    EXPECT_TRUE(result.record.called("DestroyJavaVM end"));
}

INSTANTIATE_TEST_SUITE_P(
    Forms, EntryPointTest,
    ::testing::Combine(
        ::testing::Values(EntryPointCase{"static_with_arguments", L"stub.App", "static(String[])", true},
                          EntryPointCase{"static_without_arguments", L"stub.StaticNoArgs", "static()", false},
                          EntryPointCase{"instance_with_arguments", L"stub.InstanceMain", "instance(String[])", true},
                          EntryPointCase{"instance_without_arguments", L"stub.InstanceNoArgs", "instance()", false},
                          // main(String[]) comes first, even an instance one
                          // over a static main().
                          EntryPointCase{"arguments_first", L"stub.Mixed", "instance(String[])", true}),
        ::testing::Values(L"full", L"plain")),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) +
               (std::wstring(std::get<1>(info.param)) == L"full" ? "" : "_without_helper");
    });

// A "VM Provider" that merely accepts IBM does not make a runtime of another
// vendor keep the process alive after main.
TEST(ProviderTest, AnyProviderEndsAfterMainWithARuntimeThatIsNotIbms)
{
    for (const wchar_t* provider : {L"any", L"favor_sun", L"favor_ibm", L"ibm"}) {
        SCOPED_TRACE(ansi(provider));
        StubApp app;
        app.writeIni({{L"Java Runtime Environment", L"VM Provider", provider}});
        StubRun result = app.run({.arguments = L"-nosplash", .timeoutMs = kHangBoundMs});
        ASSERT_FALSE(result.run.timedOut) << "the Java main thread slept for good";
        EXPECT_EQ(result.run.exitCode, 0u);
        EXPECT_TRUE(inOrder(result.record.calls, {"main stub/App", "DetachCurrentThread", "DestroyJavaVM end"}));
    }
}

// The runtime's jvm.dll imports a library of its bin folder, as jvm.dll
// imports the C runtime its vendor ships. Copies of that library in the
// current directory and in a PATH folder are never the ones loaded.
TEST(RuntimeDllTest, DependenciesComeFromTheRuntimesBinFolder)
{
    StubApp app(L"dependent");
    Installation& inst = app.installation();
    const std::wstring dependency = stubRuntimeFile(L"dependent");
    const std::wstring library = dependency.substr(0, dependency.rfind(L'\\') + 1) + L"stubdep.dll";
    inst.copyFile(library, L"jre\\bin\\stubdep.dll");
    inst.copyFile(library, L"documents\\stubdep.dll");
    inst.copyFile(library, L"other-product\\stubdep.dll");
    std::wstring path(32767, L'\0');
    path.resize(::GetEnvironmentVariableW(L"PATH", path.data(), static_cast<DWORD>(path.size())));
    StubRun result = app.run({.arguments = L"-nosplash",
                              .environment = {{L"PATH", inst.path(L"other-product") + L";" + path}},
                              .currentDirectory = inst.path(L"documents"),
                              .timeoutMs = kHangBoundMs});
    ASSERT_FALSE(result.run.timedOut);
    ASSERT_EQ(result.run.exitCode, 0u);
    EXPECT_EQ(result.record.dependencyPath, inst.path(L"jre\\bin\\stubdep.dll"));
}

}  // namespace
}  // namespace velmar::e2e
