// A runtime of the other processor architecture is handed to the paired
// launcher with the launcher's own command line.
#include "launcher_run.h"
#include "pe_image.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <optional>
#include <vector>

namespace velmar::e2e {
namespace {

using velmar::testing::kAmd64;
using velmar::testing::kI386;
using velmar::testing::peImage;
using velmar::testing::withNewHeaderOffset;

constexpr DWORD kFailure = 0xFFFFFFFF;

#ifdef _WIN64
constexpr WORD kOtherMachine = kI386;
constexpr WORD kOwnMachine = kAmd64;
#else
constexpr WORD kOtherMachine = kAmd64;
constexpr WORD kOwnMachine = kI386;
#endif

std::wstring probePath()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"VELMAR_TEST_PAIR_PROBE", path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        throw std::runtime_error("VELMAR_TEST_PAIR_PROBE is not set");
    }
    return path;
}

// The command line the pair recorded; nothing when it never ran. The
// launcher may end before the pair has written, so wait a bounded time.
std::optional<std::wstring> recordedCommandLine(const std::wstring& record, DWORD waitMs)
{
    for (DWORD waited = 0;; waited += 50) {
        if (::GetFileAttributesW(record.c_str()) != INVALID_FILE_ATTRIBUTES) {
            // The pair keeps the file to itself while it writes.
            std::string bytes;
            try {
                bytes = readFileBytes(record);
            } catch (const std::runtime_error&) {
            }
            if (!bytes.empty()) {
                return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()),
                                    bytes.size() / sizeof(wchar_t));
            }
        }
        if (waited >= waitMs) {
            return std::nullopt;
        }
        ::Sleep(50);
    }
}

class RelaunchTest : public ::testing::Test {
protected:
    // A runtime whose jvm.dll has the given bytes, named by "JRE Path", and
    // a pair product at `pair` (relative to the installation).
    void install(const std::string& library, const std::wstring& pair, bool passCode,
                 const wchar_t* vmFolder = L"server")
    {
        installation_.writeFile(std::wstring(L"rt\\bin\\") + vmFolder + L"\\jvm.dll", library);
        installation_.copyFile(probePath(), L"pair\\pair.exe");
        installation_.writeIni(L"[Java Runtime Environment]\r\nMain Class=a.b.Main\r\nJRE Path=" +
                               installation_.path(L"rt") + L"\r\n[Application]\r\nPair Product=" +
                               installation_.path(pair) + L"\r\n" +
                               (passCode ? L"Pair Return Code=yES\r\n" : L""));
    }

    RunResult run(const wchar_t* arguments = L"doc.txt \"two words\"", const std::wstring& currentDirectory = {})
    {
        RunOptions options;
        options.arguments = arguments;
        options.currentDirectory = currentDirectory;
        options.environment = {{L"VELMAR_PROBE_RECORD", record()}, {L"VELMAR_PROBE_EXIT", L"7"}};
        return runLauncher(installation_, options);
    }

    std::wstring record() const { return installation_.path(L"probe.txt"); }

    Installation installation_;
};

TEST_F(RelaunchTest, ThePairGetsTheCommandLineAndItsCodeIsPassedThrough)
{
    for (const wchar_t* vm : {L"server", L"client"}) {
        install(peImage(kOtherMachine), L"pair\\pair.exe", true, vm);
        const RunResult result = run();
        ASSERT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, 7u);
        EXPECT_TRUE(result.windows.empty());
        EXPECT_EQ(recordedCommandLine(record(), 0),
                  L"\"" + installation_.launcherPath() + L"\" doc.txt \"two words\"");
        ::DeleteFileW(record().c_str());
        ::DeleteFileW(installation_.path(std::wstring(L"rt\\bin\\") + vm + L"\\jvm.dll").c_str());
    }
}

TEST_F(RelaunchTest, WithoutPairReturnCodeTheLauncherEndsWithZero)
{
    install(peImage(kOtherMachine), L"pair\\pair.exe", false);
    const RunResult result = run(L"");
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(recordedCommandLine(record(), 20000), L"\"" + installation_.launcherPath() + L"\"");
}

// A runtime named by "Java Home Variables" that only the other build can
// host goes to the pair when there is one; without one it is passed over, as
// the other registry view is, rather than taken and failing to load.
TEST_F(RelaunchTest, AVariableNamedRuntimeOfTheOtherMachineNeedsThePair)
{
    installation_.writeFile(L"rt\\bin\\server\\jvm.dll", peImage(kOtherMachine));
    installation_.copyFile(probePath(), L"pair\\pair.exe");
    for (const bool paired : {true, false}) {
        SCOPED_TRACE(paired ? "with a pair" : "without a pair");
        installation_.writeIni(
            L"[Java Runtime Environment]\r\nMain Class=a.b.Main\r\nJava Home Variables=VELMAR_E2E_RT\r\n"
            L"[Application]\r\nPair Return Code=yes\r\n" +
            (paired ? L"Pair Product=" + installation_.path(L"pair\\pair.exe") + L"\r\n" : L""));
        RunOptions options;
        options.environment = {{L"VELMAR_PROBE_RECORD", record()},
                               {L"VELMAR_PROBE_EXIT", L"7"},
                               {L"VELMAR_E2E_RT", installation_.path(L"rt")}};
        const RunResult result = runLauncher(installation_, options);
        ASSERT_FALSE(result.timedOut);
        if (paired) {
            EXPECT_EQ(result.exitCode, 7u);
            EXPECT_TRUE(result.windows.empty());
            EXPECT_TRUE(recordedCommandLine(record(), 0).has_value());
        } else {
            EXPECT_EQ(result.exitCode, kFailure);
            ASSERT_EQ(result.windows.size(), 1u);
            EXPECT_EQ(result.windows.front().caption, L"JRE Not Found");
            EXPECT_FALSE(recordedCommandLine(record(), 0).has_value());
        }
        ::DeleteFileW(record().c_str());
    }
}

TEST_F(RelaunchTest, AMissingPairIsReported)
{
    install(peImage(kOtherMachine), L"pair\\missing.exe", true);
    const RunResult result = run();
    ASSERT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, kFailure);
    ASSERT_EQ(result.messageBoxes().size(), 1u);
    EXPECT_EQ(result.messageBoxes().front().text, L"Windows exception: failed to start the paired launcher "
                                                       + installation_.path(L"pair\\missing.exe") + L" (errno = 2).\n");
}

// A relative "Pair Product" lies below the launcher's folder, as "Class
// Path" does: an unzipped folder finds its pair from any current directory.
TEST_F(RelaunchTest, ARelativePairIsFoundFromAnyCurrentDirectory)
{
    install(peImage(kOtherMachine), L"pair\\pair.exe", true);
    installation_.writeIni(L"[Java Runtime Environment]\r\nMain Class=a.b.Main\r\nJRE Path=" + installation_.path(L"rt")
                           + L"\r\n[Application]\r\nPair Product=pair\\pair.exe\r\nPair Return Code=Yes\r\n");
    for (const std::wstring& start : {installation_.folder(), installation_.path(L"rt")}) {
        const RunResult result = run(L"doc.txt", start);
        ASSERT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, 7u) << "started in " << ::testing::PrintToString(start);
        EXPECT_TRUE(result.windows.empty());
    }
}

TEST_F(RelaunchTest, ALibraryOfTheOwnMachineOrNoLibraryAtAllStaysHere)
{
    const std::string own = peImage(kOwnMachine);
    const std::string other = peImage(kOtherMachine);
    const std::pair<const char*, std::string> libraries[] = {
        {"own machine", own},
        {"not a PE file", "just some text"},
        {"truncated", other.substr(0, 100)},
        {"new header offset out of range", withNewHeaderOffset(other, 0x7FFFFFF0)},
        {"signature as the last bytes", withNewHeaderOffset(other.substr(0, 0x84), 0x80)},
    };
    for (const auto& [name, bytes] : libraries) {
        SCOPED_TRACE(name);
        install(bytes, L"pair\\pair.exe", true);
        const RunResult result = run();
        ASSERT_FALSE(result.timedOut);
        // The headers-only library cannot be hosted here; what matters is
        // that the search neither crashed nor handed it to the pair.
        EXPECT_EQ(result.exitCode, kFailure);
        EXPECT_EQ(recordedCommandLine(record(), 0), std::nullopt);
    }
}

// A launcher that only hands the start to its pair lets go of its instance
// first: a later start then meets no listener of a process without a VM,
// and goes to the pair with its own arguments as the first start did.
TEST_F(RelaunchTest, WithSingleInstanceEachStartReachesThePair)
{
    for (const bool passCode : {true, false}) {
        SCOPED_TRACE(passCode ? "Pair Return Code" : "no Pair Return Code");
        install(peImage(kOtherMachine), L"pair\\pair.exe", passCode);
        installation_.writeIni(L"[Java Runtime Environment]\r\nMain Class=a.b.Main\r\nJRE Path=" +
                               installation_.path(L"rt") + L"\r\n[Application]\r\nSingle Instance=yes\r\n"
                               L"Pair Product=" + installation_.path(L"pair\\pair.exe") + L"\r\n" +
                               (passCode ? L"Pair Return Code=Yes\r\n" : L""));
        const std::wstring hold = L"velmar-probe-hold-" + std::to_wstring(::GetCurrentProcessId());
        HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, hold.c_str());
        const std::wstring records[] = {installation_.path(L"probe-1.txt"), installation_.path(L"probe-2.txt")};
        std::vector<std::unique_ptr<LauncherProcess>> starts;
        for (int i = 0; i < 2; ++i) {
            RunOptions options;
            options.arguments = L"doc" + std::to_wstring(i + 1) + L".txt";
            options.environment = {{L"VELMAR_PROBE_RECORD", records[i]},
                                   {L"VELMAR_PROBE_EXIT", L"7"},
                                   {L"VELMAR_PROBE_HOLD", hold}};
            starts.push_back(std::make_unique<LauncherProcess>(installation_, options));
            // The pair holds, so the first start keeps running (with the code
            // passed on) while the second comes.
            EXPECT_EQ(recordedCommandLine(records[i], 60000),
                      L"\"" + installation_.launcherPath() + L"\" " + options.arguments);
        }
        ::SetEvent(release);
        for (const auto& start : starts) {
            EXPECT_EQ(start->waitForExit(60000), std::optional<DWORD>(passCode ? 7u : 0u));
        }
        ::CloseHandle(release);
    }
}

}  // namespace
}  // namespace velmar::e2e
