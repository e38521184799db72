// The console launcher: the same start as the windowed launcher, with the
// application's output, the launcher's messages and Ctrl+C where the user
// of a console has them, and no window at all.
#include "pe_image.h"
#include "stub_app.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace velmar::e2e {
namespace {

using velmar::testing::peImage;

constexpr DWORD kFailure = 0xFFFFFFFF;
constexpr DWORD kBoundMs = 60000;

#ifdef _WIN64
constexpr WORD kOtherMachine = velmar::testing::kI386;
#else
constexpr WORD kOtherMachine = velmar::testing::kAmd64;
#endif

std::wstring builtProgram(const wchar_t* variable)
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(variable, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        throw std::runtime_error("a test program's variable is not set");
    }
    return path;
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// The stub application installed with the console launcher as myapp.exe.
class ConsoleLauncherTest : public ::testing::Test {
protected:
    ConsoleLauncherTest() { consoleLauncherAt(L"myapp.exe"); }

    void consoleLauncherAt(const wchar_t* relative)
    {
        app_.installation().copyFile(builtProgram(L"VELMAR_TEST_CONSOLE_LAUNCHER"), relative);
    }

    StubRun run(const wchar_t* arguments = L"")
    {
        return app_.run({.arguments = arguments, .captureOutput = true});
    }

    StubApp app_;
};

TEST_F(ConsoleLauncherTest, TheApplicationWritesToTheStandardHandlesAndGivesTheExitCode)
{
    app_.writeIni({{L"Java Runtime Environment", L"Virtual Machine Parameters",
                    L"-Dstub.out=to-the-output -Dstub.err=to-the-errors -Dstub.exit=3"}});
    const StubRun result = run(L"alpha");
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, 3u);
    EXPECT_TRUE(contains(result.run.output, "to-the-output\r\n")) << result.run.output;
    EXPECT_TRUE(contains(result.run.errors, "to-the-errors\r\n")) << result.run.errors;
    EXPECT_FALSE(contains(result.run.output, "to-the-errors"));
    EXPECT_EQ(result.record.mainArguments.values, std::vector<std::wstring>{L"alpha"});
    EXPECT_TRUE(result.run.windows.empty());
}

struct FailureCase {
    const char* name;
    std::vector<IniEntry> entries;
    // What standard error says, in the order given.
    std::vector<std::string> said;
};

class ConsoleFailureTest : public ConsoleLauncherTest, public ::testing::WithParamInterface<FailureCase> {};

// Where the windowed launcher shows a box or one of its two dialogs, the
// console launcher writes the text to standard error and ends as Cancel or
// Stop would.
TEST_P(ConsoleFailureTest, SaysWhatWentWrongOnStandardErrorAndShowsNoWindow)
{
    for (const IniEntry& entry : GetParam().entries) {
        app_.writeIni({entry});
    }
    const StubRun result = run();
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, kFailure);
    EXPECT_TRUE(result.run.windows.empty()) << "a window: " << result.run.windows.size();
    size_t from = 0;
    for (const std::string& text : GetParam().said) {
        from = result.run.errors.find(text, from);
        ASSERT_NE(from, std::string::npos) << "missing \"" << text << "\" in:\n" << result.run.errors;
    }
    EXPECT_TRUE(result.run.errors.ends_with("\r\n")) << result.run.errors;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConsoleFailureTest,
    ::testing::Values(
        FailureCase{"no_runtime",
                    {{L"Java Runtime Environment", L"JRE Path", std::nullopt},
                     {L"Java Runtime Environment", L"Minimum Version", L"17"}},
                    {"The Java Runtime Environment (JRE) was not found.", "(minimum version 17.0) from:\r\n",
                     "https://java.com/\r\n"}},
        FailureCase{"no_runtime_with_download_address",
                    {{L"Java Runtime Environment", L"JRE Path", std::nullopt},
                     {L"Java Runtime Environment", L"Download Address", L"https://example.com/java17"}},
                    {"install a JRE (latest version) from:\r\nhttps://example.com/java17\r\n"}},
        FailureCase{"main_class_missing",
                    {{L"Java Runtime Environment", L"Main Class", L"stub.Missing"}},
                    {"stub", "Missing"}},
        FailureCase{"vm_refused",
                    {{L"Java Runtime Environment", L"Virtual Machine Parameters", L"-Dstub.create=-6"}},
                    {"JNI exception: failed to create the Java VM\r\nReason: invalid arguments."}},
        // The runtime's own line as it prints it, then the message naming it.
        FailureCase{"vm_refused_an_option",
                    {{L"Java Runtime Environment", L"Virtual Machine Parameters", L"-bogus"}},
                    {"Unrecognized option: -bogus\r\n",
                     "JNI exception: failed to create the Java VM\r\nReason: Unrecognized option: -bogus.\r\n"}},
        FailureCase{"uncaught_exception",
                    {{L"Java Runtime Environment", L"Virtual Machine Parameters", L"-Dstub.throw=console-boom"},
                     {L"Application", L"Failure Check", L"Yes"}},
                    {"console-boom", "at stub.App.main"}}),
    [](const auto& info) { return std::string(info.param.name); });

struct CtrlCCase {
    const char* name;
    const wchar_t* options;
    // The VM's 128 + SIGINT, or the system's default handler's code, which
    // Windows gives as STATUS_CONTROL_C_EXIT and Wine as 0.
    bool vmHandlesIt;
};

class ConsoleCtrlCTest : public ConsoleLauncherTest, public ::testing::WithParamInterface<CtrlCCase> {};

// Ctrl+C at the console reaches the VM, which runs its shutdown hooks and
// ends with 130; with -Xrs the VM leaves it alone and the system ends the
// process. The launcher takes no part in either.
TEST_P(ConsoleCtrlCTest, ReachesTheVmUnlessItReducesItsSignals)
{
    app_.writeIni({{L"Java Runtime Environment", L"Virtual Machine Parameters",
                    std::wstring(L"-Dstub.linger=60000 ") + GetParam().options}});
    app_.saveIni();
    LauncherProcess launcher(app_.installation(),
                             {.environment = {{L"VELMAR_STUB_RECORD", app_.recordPath()}},
                              .captureOutput = true,
                              .creationFlags = CREATE_NEW_CONSOLE});
    for (ULONGLONG deadline = ::GetTickCount64() + kBoundMs;
         ::GetTickCount64() < deadline && !stub::readStubRecord(app_.recordPath()).mainArguments.present;) {
        ::Sleep(50);
    }
    ASSERT_TRUE(stub::readStubRecord(app_.recordPath()).mainArguments.present);

    // Judged by the launcher alone: under Wine the sender, still attached
    // to a console whose last other process it just ended, may not come
    // back (seen under qemu); it is ended at scope exit.
    const LauncherProcess signal(app_.installation(),
                                 {.arguments = std::to_wstring(::GetProcessId(launcher.handle())),
                                  .programPath = builtProgram(L"VELMAR_TEST_CONSOLE_SIGNAL")});
    const std::optional<DWORD> exitCode = launcher.waitForExit(kBoundMs);
    ASSERT_TRUE(exitCode.has_value()) << "still running after Ctrl+C; the sender's exit code: "
                                      << signal.waitForExit(0).value_or(STILL_ACTIVE);
    const bool vmHandlesIt = GetParam().vmHandlesIt;
    EXPECT_EQ(*exitCode == 130u, vmHandlesIt) << "exit code " << *exitCode;
    const stub::StubRecord record = stub::readStubRecord(app_.recordPath());
    EXPECT_EQ(record.called("shutdown hooks on Ctrl+C"), vmHandlesIt);
    EXPECT_EQ(record.exitHookCodes, vmHandlesIt ? std::vector<long>{130} : std::vector<long>{});
}

INSTANTIATE_TEST_SUITE_P(Cases, ConsoleCtrlCTest,
                         ::testing::Values(CtrlCCase{"vm_handles_it", L"", true},
                                           CtrlCCase{"reduced_signals", L"-Xrs", false}),
                         [](const auto& info) { return std::string(info.param.name); });

class ConsolePairTest : public ConsoleLauncherTest, public ::testing::WithParamInterface<bool> {};

// A runtime of the other architecture goes to the pair, itself a console
// launcher: its output reaches this launcher's standard handles, and the
// command ends when the pair has ended, with its exit code when asked.
TEST_P(ConsolePairTest, ThePairWritesWhereTheLauncherWritesAndIsWaitedFor)
{
    const bool passCode = GetParam();
    Installation& installation = app_.installation();
    installation.writeFile(L"rt\\bin\\server\\jvm.dll", peImage(kOtherMachine));
    consoleLauncherAt(L"pair\\pair.exe");
    installation.writeUnicodeFile(L"pair\\pair.ini",
                                  L"[Java Runtime Environment]\r\nJRE Path=" + app_.runtimeFolder()
                                      + L"\r\nMain Class=stub.App\r\nVirtual Machine Parameters="
                                        L"-Dstub.out=from-the-pair -Dstub.exit=6\r\n"
                                        L"[Class Path]\r\nClass Path="
                                      + installation.path(L"app.jar") + L"\r\n");
    app_.writeIni({{L"Java Runtime Environment", L"JRE Path", installation.path(L"rt")},
                   {L"Application", L"Pair Product", installation.path(L"pair\\pair.exe")},
                   {L"Application", L"Pair Return Code", passCode ? L"yes" : L"no"}});
    const StubRun result = run(L"beta");
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, passCode ? 6u : 0u);
    EXPECT_TRUE(contains(result.run.output, "from-the-pair\r\n")) << result.run.output;
    EXPECT_EQ(result.record.mainArguments.values, std::vector<std::wstring>{L"beta"});
}

INSTANTIATE_TEST_SUITE_P(Cases, ConsolePairTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "with_return_code" : "without_return_code"; });

}  // namespace
}  // namespace velmar::e2e
