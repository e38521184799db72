// The diagnostic trace as a support person reads it: with VELMAR_TRACE
// naming a file, a start appends one UTF-8 line per decision, each with
// its process id; the pair it hands over to and a later start write to the
// same file. Without the variable no file appears.
#include "pe_image.h"
#include "registry_key.h"
#include "running_instance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velmar::e2e {
namespace {

using velmar::testing::kAmd64;
using velmar::testing::kI386;
using velmar::testing::peImage;

#ifdef _WIN64
constexpr WORD kOtherMachine = kI386;
constexpr wchar_t kNativeView[] = L"pass 1, 64-bit view";
#else
constexpr WORD kOtherMachine = kAmd64;
constexpr wchar_t kNativeView[] = L"pass 1, 32-bit view";
#endif

struct TraceLine {
    DWORD processId = 0;
    std::wstring text;  // after the process id: "stage: ..."
};

std::wstring fromUtf8(const std::string& bytes)
{
    const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                           static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                          text.data(), size);
    return text;
}

// Every line must be whole: "[pid] stage: text" ended by CRLF, valid UTF-8.
std::vector<TraceLine> readTrace(const std::wstring& path)
{
    const std::string bytes = readFileBytes(path);
    EXPECT_TRUE(bytes.ends_with("\r\n"));
    const std::wstring text = fromUtf8(bytes);
    EXPECT_FALSE(text.empty()) << "not UTF-8, or empty";
    std::vector<TraceLine> lines;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find(L"\r\n", start);
        if (end == std::wstring::npos) {
            end = text.size();
        }
        const std::wstring line = text.substr(start, end - start);
        const size_t close = line.find(L"] ");
        EXPECT_TRUE(line.starts_with(L"[") && close != std::wstring::npos) << "line: " << ansi(line);
        if (close != std::wstring::npos) {
            lines.push_back({static_cast<DWORD>(std::stoul(line.substr(1, close - 1))), line.substr(close + 2)});
        }
        start = end + 2;
    }
    return lines;
}

std::set<DWORD> processesOf(const std::vector<TraceLine>& lines)
{
    std::set<DWORD> ids;
    for (const TraceLine& line : lines) {
        ids.insert(line.processId);
    }
    return ids;
}

std::string dump(const std::vector<TraceLine>& lines)
{
    std::string text;
    for (const TraceLine& line : lines) {
        text += "[" + std::to_string(line.processId) + "] " + ansi(line.text) + "\n";
    }
    return text;
}

// Each expected line is among the lines of the process (of any when 0).
void expectLines(const std::vector<TraceLine>& lines, const std::vector<std::wstring>& expected,
                 DWORD processId = 0)
{
    for (const std::wstring& text : expected) {
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const TraceLine& line) {
            return line.text == text && (processId == 0 || line.processId == processId);
        })) << "missing: " << ansi(text) << "\nin:\n" << dump(lines);
    }
}

RunOptions traced(const std::wstring& tracePath, const wchar_t* arguments = L"-nosplash")
{
    return {.arguments = arguments, .environment = {{L"VELMAR_TRACE", tracePath}}};
}

TEST(TraceTest, ARegistrySearchSaysWhyEachRuntimeWasTakenOrPassedOver)
{
    StubApp app;
    Installation& folder = app.installation();
    folder.copyFile(stubRuntimeFile(L"full"), L"jre11\\bin\\server\\jvm.dll");
    folder.writeFile(L"empty21\\release", "");
    app.writeIni({{L"Java Runtime Environment", L"JRE Path", std::nullopt},
                  {L"Java Runtime Environment", L"Minimum Version", L"1.8"},
                  {L"Java Runtime Environment", L"Maximum Version", L"22"},
                  {L"Java Runtime Environment", L"JVM Source", L"only_JRE"},
                  {L"Java Runtime Environment", L"Virtual Machine Parameters", L"-Dfirst=1 -Dsecond=\u00e9"}});
    const std::wstring jre = L"Software\\JavaSoft\\JRE\\";
    ScopedRegistryKey taken(jre + L"17");
    taken.setString(L"JavaHome", app.runtimeFolder());
    ScopedRegistryKey older(jre + L"11");
    older.setString(L"JavaHome", folder.path(L"jre11"));
    ScopedRegistryKey empty(jre + L"21");
    empty.setString(L"JavaHome", folder.path(L"empty21"));
    ScopedRegistryKey tooOld(jre + L"1.6");
    tooOld.setString(L"JavaHome", app.runtimeFolder());
    ScopedRegistryKey tooNew(jre + L"25");
    tooNew.setString(L"JavaHome", app.runtimeFolder());
    const std::wstring tracePath = folder.path(L"trace.txt");

    const StubRun result = app.run(traced(tracePath));
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, 0u);
    const std::vector<TraceLine> lines = readTrace(tracePath);
    EXPECT_EQ(processesOf(lines).size(), 1u);

    const std::wstring key = L"registry: HKLM\\" + jre;
    expectLines(lines, {
        L"ini: launcher INI " + folder.iniPath() + L": UTF-16 little-endian with byte-order mark",
        L"ini: [Java Runtime Environment] JVM Source = only_JRE",
        L"settings: versions from 1.8 to 22.65535",
        L"runtime: no \"JRE Path\"",
        std::wstring(L"registry: ") + kNativeView,
        L"registry: HKLM\\Software\\JavaSoft\\JDK: not searched, JDKs not selected by \"JVM Source\"",
        L"registry: HKLM\\Software\\JRockit\\Java Runtime Environment: not searched, provider not "
        L"accepted by \"VM Provider\"",
        key + L"1.6: passed over: version 1.6 below the minimum 1.8",
        key + L"25: passed over: version 25.0 above the maximum 22.65535",
        key + L"21: passed over: no jvm.dll in bin\\client, classic, hotspot, server or jrockit in " +
            folder.path(L"empty21"),
        key + L"17: candidate 17.0 in " + app.runtimeFolder() + L"\\, server VM, preferred",
        L"registry: taken: 17.0 in " + app.runtimeFolder() + L"\\",
        L"registry: passed over: 11.0 in " + folder.path(L"jre11") + L"\\: older than the one taken",
        L"runtime: VM library " + app.jvmPath(),
        L"vm: option -Djava.class.path=" + folder.path(L"app.jar") + L";",
        L"vm: option -Dfirst=1",
        L"vm: option -Dsecond=\u00e9",
        L"vm: option exit (hook)",
        L"exit: code 0: main returned",
    });
}

// The pair is this launcher's own copy with an INI of its own: both write
// to the one file, the pair's lines under its own process id.
TEST(TraceTest, APairRelaunchIsFollowedByThePairsOwnLines)
{
    StubApp app;
    Installation& folder = app.installation();
    folder.writeFile(L"rt\\bin\\server\\jvm.dll", peImage(kOtherMachine));
    folder.copyLauncher(L"pair\\pair.exe");
    folder.writeFile(L"pair\\app.jar", "");
    folder.writeUnicodeFile(L"pair\\pair.ini", L"[Java Runtime Environment]\r\nMain Class=stub.App\r\nJRE Path=" +
                                                   app.runtimeFolder() + L"\r\n[Class Path]\r\nClass Path=\\app.jar\r\n");
    const std::wstring pair = folder.path(L"pair\\pair.exe");
    app.writeIni({{L"Java Runtime Environment", L"JRE Path", folder.path(L"rt")},
                  {L"Application", L"Pair Product", pair},
                  {L"Application", L"Pair Return Code", L"Yes"}});
    const std::wstring tracePath = folder.path(L"trace.txt");

    const StubRun result = app.run(traced(tracePath));
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, 0u);
    EXPECT_EQ(result.record.mainClass, "stub/App");
    const std::vector<TraceLine> lines = readTrace(tracePath);
    ASSERT_EQ(processesOf(lines).size(), 2u) << dump(lines);
    const DWORD first = lines.front().processId;
    const auto pairLine = std::find_if(lines.begin(), lines.end(), [](const TraceLine& line) {
        return line.text.starts_with(L"pair: the pair runs as process ");
    });
    ASSERT_NE(pairLine, lines.end()) << dump(lines);
    const DWORD second = static_cast<DWORD>(std::stoul(pairLine->text.substr(31)));
    EXPECT_NE(second, first);

    expectLines(lines,
                {L"runtime: a VM of the other architecture: the pair hosts it",
                 L"pair: relaunching the pair " + pair,
                 L"pair: the right to come to the front passed to process " + std::to_wstring(second),
                 L"exit: code 0: the pair's exit code"},
                first);
    expectLines(lines,
                {L"ini: launcher INI " + folder.path(L"pair\\pair.ini") +
                     L": UTF-16 little-endian with byte-order mark",
                 L"runtime: VM library " + app.jvmPath(), L"exit: code 0: main returned"},
                second);
}

TEST(TraceTest, AForwardedStartSaysWhomItHandedOverToAndWhatCameBack)
{
    RunningInstance instance(L"stub.InstanceInt", L"-Dstub.secondaryResult=7");
    ASSERT_TRUE(instance.start());
    const std::wstring tracePath = instance.app().installation().path(L"trace.txt");

    RunOptions options = traced(tracePath, L"a bc");
    options.timeoutMs = kInstanceBoundMs;
    const RunResult later = runLauncher(instance.app().installation(), options);
    ASSERT_FALSE(later.timedOut);
    EXPECT_EQ(later.exitCode, 7u);

    const std::vector<TraceLine> lines = readTrace(tracePath);
    ASSERT_EQ(processesOf(lines).size(), 1u) << dump(lines);
    expectLines(lines, {
        L"instance: a first instance runs as process " +
            std::to_wstring(::GetProcessId(instance.first().handle())) + L": handing over 2 arguments",
        // secondaryMain's toFront() needs it, or the window only flashes.
        L"instance: the right to come to the front passed to process " +
            std::to_wstring(::GetProcessId(instance.first().handle())),
        L"instance: handed over",
        L"instance: the first instance answered",
        L"exit: code 7: the first instance's answer",
    });
    // A later start that hands over looks for no runtime.
    EXPECT_FALSE(std::any_of(lines.begin(), lines.end(), [](const TraceLine& line) {
        return line.text.starts_with(L"runtime:") || line.text.starts_with(L"registry:");
    })) << dump(lines);
}

struct ExitCase {
    const char* name;
    const wchar_t* vmParameters;
    DWORD exitCode;
    const wchar_t* lastLine;
};

void PrintTo(const ExitCase& c, std::ostream* os)
{
    *os << c.name;
}

class ExitLineTest : public ::testing::TestWithParam<ExitCase> {};

// The last line says how the process ended, also when the runtime ends it.
TEST_P(ExitLineTest, IsTheLastLineWithTheCodeAndItsCause)
{
    const ExitCase& c = GetParam();
    StubApp app;
    app.writeIni({{L"Java Runtime Environment", L"Virtual Machine Parameters", c.vmParameters}});
    const std::wstring tracePath = app.installation().path(L"trace.txt");

    const StubRun result = app.run(traced(tracePath));
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, c.exitCode);
    const std::vector<TraceLine> lines = readTrace(tracePath);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().text, c.lastLine) << dump(lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExitLineTest,
    ::testing::Values(
        ExitCase{"main_returns", L"-Dstub.out=x", 0, L"exit: code 0: main returned"},
        ExitCase{"system_exit", L"-Dstub.exit=3", 3, L"exit: code 3: System.exit in the application"},
        ExitCase{"uncaught_exception", L"-Dstub.throw=boom", 1, L"exit: code 1: main ended with an exception"},
        ExitCase{"vm_not_created", L"-Dstub.create=-6", 0xFFFFFFFF,
                 L"exit: code -1: the VM or the main class could not be started"}),
    [](const auto& info) { return std::string(info.param.name); });

struct SilentCase {
    const char* name;
    std::optional<std::wstring> variable;  // relative to the installation; nullopt: unset
};

void PrintTo(const SilentCase& c, std::ostream* os)
{
    *os << c.name;
}

std::set<std::wstring> filesBelow(const std::wstring& folder)
{
    const std::vector<std::wstring> names = testing::listedNames(folder + L"\\*");
    return {names.begin(), names.end()};
}

class SilentTraceTest : public ::testing::TestWithParam<SilentCase> {};

// Whatever the variable says, the start goes on as it would without it,
// and no file of the trace's appears in the folder it starts in.
TEST_P(SilentTraceTest, TheStartRunsAndWritesNoTrace)
{
    StubApp app;
    app.saveIni();
    Installation& folder = app.installation();
    RunOptions options{.arguments = L"-nosplash"};
    if (GetParam().variable) {
        options.environment.emplace_back(L"VELMAR_TRACE", GetParam().variable->empty()
                                                              ? std::wstring()
                                                              : folder.path(*GetParam().variable));
    } else {
        ASSERT_EQ(::GetEnvironmentVariableW(L"VELMAR_TRACE", nullptr, 0), 0u);
    }
    std::set<std::wstring> before = filesBelow(folder.folder());
    before.insert(L"stub-record.txt");

    const StubRun result = app.runWithIniAsIs(options);
    ASSERT_FALSE(result.run.timedOut);
    EXPECT_EQ(result.run.exitCode, 0u);
    EXPECT_TRUE(result.run.windows.empty());
    EXPECT_EQ(result.record.mainClass, "stub/App");
    EXPECT_EQ(filesBelow(folder.folder()), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, SilentTraceTest,
                         ::testing::Values(SilentCase{"unset", std::nullopt}, SilentCase{"empty", L""},
                                           SilentCase{"in_a_missing_folder", L"gone\\trace.txt"},
                                           SilentCase{"a_folder", L"jre"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmar::e2e
