// Single-instance mode as a user meets it: a later start of an installation
// hands its arguments to the running one, whose secondaryMain gets them,
// and ends with the answer, without a runtime or a window of its own.
#include "running_instance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwctype>
#include <string>
#include <vector>

namespace velmar::e2e {
namespace {

constexpr DWORD kFailure = 0xFFFFFFFF;

using Strings = std::vector<std::wstring>;

struct AnswerCase {
    const char* name;
    const wchar_t* mainClass;
    const wchar_t* vmParameters;
    std::wstring arguments;  // as typed
    DWORD exitCode;
    bool intForm;
    Strings received;  // by secondaryMain
};

class AnswerTest : public ::testing::TestWithParam<AnswerCase> {};

// The first instance serves each start on a thread that attaches to its VM
// and detaches again, whatever secondaryMain does.
TEST_P(AnswerTest, LaterStartEndsWithWhatSecondaryMainAnswers)
{
    const AnswerCase& c = GetParam();
    RunningInstance instance(c.mainClass, c.vmParameters);
    ASSERT_TRUE(instance.start());

    const RunResult later = instance.later(c.arguments);
    ASSERT_FALSE(later.timedOut);
    EXPECT_EQ(later.exitCode, c.exitCode);
    EXPECT_TRUE(later.windows.empty());
    EXPECT_FALSE(stub::readStubRecord(instance.laterRecordPath()).exists);

    const size_t served = 1;
    const stub::StubRecord record = instance.recordWhen([&](const stub::StubRecord& r) {
        return r.secondaryMainCalls.size() >= served && countCalls(r, "DetachCurrentThread") >= served;
    });
    EXPECT_EQ(record.violations, std::vector<std::string>{});
    ASSERT_EQ(record.secondaryMainCalls.size(), served);
    const stub::SecondaryMainCall& call = record.secondaryMainCalls.front();
    EXPECT_EQ(call.arguments.values, c.received);
    EXPECT_EQ(call.intForm, c.intForm);
    // The worker's attach and detach; the Java main thread stays attached
    // while the application lingers, serving later starts.
    EXPECT_EQ(countCalls(record, "AttachCurrentThread"), served);
    EXPECT_EQ(countCalls(record, "DetachCurrentThread"), served);
}

// One argument of n units takes 2n + 4 bytes of the 1040 the block holds.
const std::wstring k1040Bytes(518, L'q');
const std::wstring k1042Bytes(519, L'q');
// Two long paths, as an Explorer multi-select hands them over, and one
// argument near the command line's limit of 32,767 characters.
const std::wstring kLongPath1 = L"C:\\Users\\me\\" + std::wstring(600, L'a') + L".txt";
const std::wstring kLongPath2 = L"C:\\Users\\me\\" + std::wstring(600, L'\u00e9') + L".txt";
const std::wstring kNearTheLimit(32000, L'z');

INSTANTIATE_TEST_SUITE_P(
    Cases, AnswerTest,
    ::testing::Values(
        AnswerCase{"int_form", L"stub.InstanceInt", L"-Dstub.secondaryResult=7", L"a bc", 7,
                   true, {L"a", L"bc"}},
        AnswerCase{"int_form_minus_5", L"stub.InstanceInt", L"-Dstub.secondaryResult=-5", L"doc.txt",
                   0xFFFFFFFB, true, {L"doc.txt"}},
        AnswerCase{"void_form", L"stub.Instance", L"-Dstub.secondaryResult=7", L"a bc", 0,
                   false, {L"a", L"bc"}},
        AnswerCase{"void_form_preferred", L"stub.InstanceBoth", L"-Dstub.secondaryResult=7", L"a",
                   0, false, {L"a"}},
        AnswerCase{"exception_in_int_form", L"stub.InstanceInt",
                   L"-Dstub.secondaryResult=7 -Dstub.secondaryThrow=bad", L"a", 0, true,
                   {L"a"}},
        AnswerCase{"no_arguments", L"stub.InstanceInt", L"-Dstub.secondaryResult=4", L"", 4,
                   true, {L""}},
        AnswerCase{"empty_argument_ends_the_list", L"stub.InstanceInt",
                   L"-Dstub.secondaryResult=4", L"x \"\" y", 4, true, {L"x"}},
        AnswerCase{"beyond_the_code_page", L"stub.InstanceInt", L"-Dstub.secondaryResult=4",
                   L"\u00e9t\u00e9 \u4e2d\u6587", 4, true, {L"\u00e9t\u00e9", L"\u4e2d\u6587"}},
        AnswerCase{"exactly_1040_bytes", L"stub.InstanceInt", L"-Dstub.secondaryResult=3",
                   k1040Bytes, 3, true, {k1040Bytes}},
        AnswerCase{"1042_bytes", L"stub.InstanceInt", L"-Dstub.secondaryResult=3", k1042Bytes, 3,
                   true, {k1042Bytes}},
        AnswerCase{"two_long_paths", L"stub.InstanceInt", L"-Dstub.secondaryResult=3",
                   L"\"" + kLongPath1 + L"\" \"" + kLongPath2 + L"\"", 3, true,
                   {kLongPath1, kLongPath2}},
        AnswerCase{"near_the_command_line_limit", L"stub.Instance", L"", kNearTheLimit, 0,
                   false, {kNearTheLimit}}),
    [](const auto& info) { return std::string(info.param.name); });

// With no answer coming (the class has no secondaryMain), the later start
// waits for the first instance and takes its exit code when it ends.
TEST(FirstInstanceEndsTest, LaterStartEndsWithTheFirstInstancesCode)
{
    RunningInstance instance(L"stub.App", L"");
    ASSERT_TRUE(instance.start());
    const std::unique_ptr<LauncherProcess> later = instance.startLater(L"doc.txt");
    // The worker looked for secondaryMain and gave up.
    const stub::StubRecord record = instance.recordWhen([](const stub::StubRecord& r) {
        return countCalls(r, "AttachCurrentThread") == 1 && countCalls(r, "DetachCurrentThread") == 1;
    });
    ASSERT_EQ(countCalls(record, "DetachCurrentThread"), 1u);
    EXPECT_FALSE(later->waitForExit(0).has_value());

    instance.first().terminate(3);
    const std::optional<DWORD> exitCode = later->waitForExit(kInstanceBoundMs);
    ASSERT_TRUE(exitCode.has_value());
    EXPECT_EQ(*exitCode, 3u);
    FILETIME created{}, firstEnded{}, laterEnded{}, kernel{}, user{};
    ::GetProcessTimes(instance.first().handle(), &created, &firstEnded, &kernel, &user);
    ::GetProcessTimes(later->handle(), &created, &laterEnded, &kernel, &user);
    const auto ticks = [](FILETIME t) { return (ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
    std::printf("later start ended %.1f ms after the first instance\n",
                static_cast<double>(ticks(laterEnded) - ticks(firstEnded)) / 10000.0);
}

struct ModeCase {
    const char* name;
    const wchar_t* singleInstance;
    const wchar_t* applicationType;  // nullptr: not set
    bool oneInstance;
};

class ModeTest : public ::testing::TestWithParam<ModeCase> {};

// A second start either hands over or runs the application itself.
TEST_P(ModeTest, SecondStartRunsTheApplicationUnlessTheModeIsOn)
{
    const ModeCase& c = GetParam();
    RunningInstance instance(L"stub.InstanceInt", L"-Dstub.secondaryResult=7",
                             {{L"Application", L"Single Instance", c.singleInstance},
                              {L"Application", L"Application Type",
                               c.applicationType ? std::optional<std::wstring>(c.applicationType)
                                                 : std::nullopt}});
    ASSERT_TRUE(instance.start());
    // The second start, run alone, ends at once.
    instance.changeIni({{L"Java Runtime Environment", L"Virtual Machine Parameters",
                         L"-Dstub.secondaryResult=7"}});

    const RunResult second = instance.later(L"doc.txt");
    ASSERT_FALSE(second.timedOut);
    const stub::StubRecord own = stub::readStubRecord(instance.laterRecordPath());
    EXPECT_EQ(second.exitCode, c.oneInstance ? 7u : 0u);
    EXPECT_EQ(own.mainArguments.present, !c.oneInstance);
    if (!c.oneInstance) {
        EXPECT_EQ(own.mainArguments.values, Strings{L"doc.txt"});
    }
    const stub::StubRecord first = instance.recordWhen(
        [&](const stub::StubRecord& r) { return !c.oneInstance || !r.secondaryMainCalls.empty(); });
    EXPECT_EQ(first.secondaryMainCalls.size(), c.oneInstance ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ModeTest,
    ::testing::Values(ModeCase{"yes", L"yes", nullptr, true},
                      ModeCase{"capital_yes", L"Yes", nullptr, false},
                      ModeCase{"service", L"yes", L"service", false},
                      ModeCase{"other_type", L"yes", L"Service", true}),
    [](const auto& info) { return std::string(info.param.name); });

// A later start that went looking for a runtime would find none here and
// show the missing-runtime dialog; one that loaded the runtime it found
// would leave a record of its own.
TEST(LaterStartTest, NeitherSearchesForNorLoadsARuntimeAndShowsNoWindow)
{
    for (const bool runtimeThere : {false, true}) {
        SCOPED_TRACE(runtimeThere ? "runtime in JRE Path" : "nothing in JRE Path");
        RunningInstance instance(L"stub.InstanceInt", L"-Dstub.secondaryResult=5",
                                 {{L"Display", L"Splash Screen", L"splash.bmp"}});
        ASSERT_TRUE(instance.start());
        if (!runtimeThere) {
            instance.changeIni({{L"Java Runtime Environment", L"JRE Path",
                                 instance.app().installation().path(L"no-runtime")}});
        }
        const RunResult later = instance.later(L"doc.txt");
        ASSERT_FALSE(later.timedOut);
        EXPECT_EQ(later.exitCode, 5u);
        EXPECT_TRUE(later.windows.empty());
        EXPECT_FALSE(stub::readStubRecord(instance.laterRecordPath()).exists);
    }
}

// The path the system reports for the program names the installation:
// the same file started under another spelling is another installation.
TEST(InstallationTest, AnotherPathTextOfTheSameProgramIsAnotherInstallation)
{
    RunningInstance instance(L"stub.InstanceInt", L"-Dstub.secondaryResult=7");
    ASSERT_TRUE(instance.start());
    instance.changeIni({{L"Java Runtime Environment", L"Virtual Machine Parameters",
                         L"-Dstub.secondaryResult=7"}});
    std::wstring otherCase = instance.app().installation().launcherPath();
    std::transform(otherCase.begin(), otherCase.end(), otherCase.begin(), ::towupper);

    const RunResult second = runLauncher(
        instance.app().installation(),
        {.arguments = L"doc.txt",
         .environment = {{L"VELMAR_STUB_RECORD", instance.laterRecordPath()}},
         .timeoutMs = kInstanceBoundMs,
         .programPath = otherCase});
    ASSERT_FALSE(second.timedOut);
    EXPECT_EQ(second.exitCode, 0u);
    EXPECT_EQ(stub::readStubRecord(instance.laterRecordPath()).mainArguments.values,
              Strings{L"doc.txt"});
}

// Twenty starts at once, several times: each ends with the answer, and
// each argument list reaches secondaryMain exactly once.
TEST(LoadTest, EveryStartOfABurstIsServedExactlyOnce)
{
    constexpr int kRounds = 3;
    constexpr int kStarts = 20;
    RunningInstance instance(L"stub.InstanceInt", L"-Dstub.secondaryResult=7");
    ASSERT_TRUE(instance.start());
    Strings sent;
    int answers = 0;
    double slowestMs = 0;
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::unique_ptr<LauncherProcess>> starts;
        for (int i = 0; i < kStarts; ++i) {
            const std::wstring argument = L"round" + std::to_wstring(round) + L"-start" + std::to_wstring(i);
            sent.push_back(argument);
            starts.push_back(instance.startLater(argument + L" second-argument"));
        }
        for (const auto& start : starts) {
            const std::optional<DWORD> exitCode = start->waitForExit(kInstanceBoundMs);
            ASSERT_TRUE(exitCode.has_value());
            answers += *exitCode == 7 ? 1 : 0;
            slowestMs = std::max(slowestMs, start->lifetimeMs());
        }
    }
    const stub::StubRecord record = instance.recordWhen([&](const stub::StubRecord& r) {
        return r.secondaryMainCalls.size() >= sent.size();
    });
    Strings received;
    for (const stub::SecondaryMainCall& call : record.secondaryMainCalls) {
        EXPECT_EQ(call.arguments.values.size(), 2u);
        received.push_back(call.arguments.values.front());
    }
    std::sort(sent.begin(), sent.end());
    std::sort(received.begin(), received.end());
    std::vector<std::wstring> lost;
    std::set_difference(sent.begin(), sent.end(), received.begin(), received.end(),
                        std::back_inserter(lost));
    std::printf("load: %zu starts, %d answers, %zu lost, slowest round trip %.0f ms\n", sent.size(),
                answers, lost.size(), slowestMs);
    EXPECT_EQ(answers, kRounds * kStarts);
    EXPECT_EQ(received, sent);
    EXPECT_EQ(record.violations, std::vector<std::string>{});
}

}  // namespace
}  // namespace velmar::e2e

namespace velmar::e2e {
namespace {

// The test itself plays a first instance that is slow to get ready, as an
// older build would be: it makes the block, and only later publishes its
// address, or gives its listener a message queue. It answers every request
// with 9 after checking the block byte for byte.
class SlowFirstInstance {
public:
    static constexpr DWORD kAnswer = 9;

    explicit SlowFirstInstance(const std::wstring& programPath)
    {
        std::wstring name = programPath;
        std::replace(name.begin(), name.end(), L'\\', L'_');
        name_ = name;
        mapping_ = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 2092,
                                        name.c_str());
        block_ = static_cast<uint8_t*>(::MapViewOfFile(mapping_, FILE_MAP_WRITE, 0, 0, 2092));
    }
    ~SlowFirstInstance()
    {
        if (listener_ != nullptr) {
            ::PostThreadMessageW(listenerId(), WM_QUIT, 0, 0);
            ::WaitForSingleObject(listener_, 10000);
            ::CloseHandle(listener_);
        }
        ::UnmapViewOfFile(block_);
        ::CloseHandle(mapping_);
    }

    bool made() const { return block_ != nullptr; }
    // Message, process, then the listener, in the order of the protocol.
    void publish(DWORD queueDelayMs)
    {
        queueDelayMs_ = queueDelayMs;
        message_ = ::RegisterWindowMessageW(name_.c_str());
        write(8, message_);
        write(4, ::GetCurrentProcessId());
        listener_ = ::CreateThread(nullptr, 0, listen, this, 0, reinterpret_cast<DWORD*>(block_));
    }
    std::vector<uint8_t> blockSeen() const { return seen_; }

private:
    void write(size_t offset, DWORD value)
    {
        ::InterlockedExchange(reinterpret_cast<volatile LONG*>(block_ + offset), static_cast<LONG>(value));
    }
    DWORD listenerId() const { return *reinterpret_cast<volatile DWORD*>(block_); }

    static DWORD WINAPI listen(void* parameter)
    {
        auto& self = *static_cast<SlowFirstInstance*>(parameter);
        // A thread has no message queue until it asks for messages.
        ::Sleep(self.queueDelayMs_);
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            if (message.message == self.message_) {
                self.seen_.assign(self.block_ + 12, self.block_ + 12 + 1040);
                ::PostThreadMessageW(static_cast<DWORD>(message.wParam), self.message_, kAnswer, 0);
            }
        }
        return 0;
    }

    std::wstring name_;
    HANDLE mapping_ = nullptr;
    uint8_t* block_ = nullptr;
    HANDLE listener_ = nullptr;
    UINT message_ = 0;
    DWORD queueDelayMs_ = 0;
    std::vector<uint8_t> seen_;
};

struct SlowCase {
    const char* name;
    DWORD addressDelayMs;  // after the later start was created
    DWORD queueDelayMs;    // after the address was published
};

class SlowFirstInstanceTest : public ::testing::TestWithParam<SlowCase> {};

void saveSingleInstanceIni(StubApp& app)
{
    app.writeIni({{L"Java Runtime Environment", L"Main Class", L"stub.InstanceInt"},
                  {L"Application", L"Single Instance", L"yes"}});
    app.saveIni();
}

// A later start waits a little for a first instance that is still getting
// ready, instead of failing with -1 and losing its arguments.
TEST_P(SlowFirstInstanceTest, LaterStartWaitsForTheListenerAndHandsOver)
{
    StubApp app;
    saveSingleInstanceIni(app);
    SlowFirstInstance first(app.installation().launcherPath());
    ASSERT_TRUE(first.made());
    LauncherProcess later(app.installation(), {.arguments = L"a bc"});
    // The slow part of the first instance's start, not a wait for the test.
    ::Sleep(GetParam().addressDelayMs);
    first.publish(GetParam().queueDelayMs);

    const std::optional<DWORD> exitCode = later.waitForExit(kInstanceBoundMs);
    ASSERT_TRUE(exitCode.has_value());
    EXPECT_EQ(*exitCode, SlowFirstInstance::kAnswer);
    std::vector<uint8_t> expected(1040, 0);
    const uint8_t written[] = {0x61, 0, 0, 0, 0x62, 0, 0x63, 0, 0, 0, 0, 0};
    std::copy(std::begin(written), std::end(written), expected.begin());
    EXPECT_EQ(first.blockSeen(), expected);
}

// A first instance of an older build reads the block alone: arguments that
// do not fit there cannot reach it, and the later start says so instead of
// ending silently or handing over an empty list.
TEST(OlderFirstInstanceTest, ArgumentsBeyondTheBlockAreReportedNotLost)
{
    StubApp app;
    saveSingleInstanceIni(app);
    SlowFirstInstance first(app.installation().launcherPath());
    ASSERT_TRUE(first.made());
    first.publish(0);

    const RunResult later = runLauncher(
        app.installation(), {.arguments = std::wstring(600, L'a') + L" " + std::wstring(600, L'b'),
                             .timeoutMs = kInstanceBoundMs});
    ASSERT_FALSE(later.timedOut);
    EXPECT_EQ(later.exitCode, kFailure);
    ASSERT_EQ(later.messageBoxes().size(), 1u);
    EXPECT_TRUE(later.messageBoxes().front().text.starts_with(
        L"Windows exception: failed to hand the arguments to the running instance (errno = "));
    EXPECT_TRUE(first.blockSeen().empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, SlowFirstInstanceTest,
                         ::testing::Values(SlowCase{"address_published_late", 2500, 0},
                                           SlowCase{"listener_queue_made_late", 0, 2500}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmar::e2e
