// Self-check of the stub Java runtime: each case runs in a child process of
// this program (several end the process on purpose), drives one jvm.dll
// variant through JNI, and is judged by its exit code, its output and the
// record the runtime wrote. Usage: velmar_stub_selfcheck [stub-runtime folder]
// (default: VELMAR_STUB_RUNTIME_DIR).
#include "selfcheck_java.h"
#include "stub_record.h"
#include "support/handles.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace velmar::stub {
namespace {

constexpr DWORD kViolation = 0x5757AB02;
constexpr DWORD kUnexpected = 0x5757AB01;
constexpr DWORD kJavaStack = 3 * 1024 * 1024;
constexpr wchar_t kJvmPath[] = L"C:\\J\u00e4va\\bin\\server\\jvm.dll";

struct RunOutcome {
    DWORD exitCode = 0;
    StubRecord record;
    std::string out;
    std::string err;
    std::string redirected;  // the file the redirect case writes
};

struct Expect {
    std::vector<std::string> failures;
    void that(bool ok, const std::string& what)
    {
        if (!ok) {
            failures.push_back(what);
        }
    }
};

// expected appear in calls in this order, others possibly between them.
bool inOrder(const std::vector<std::string>& calls, std::vector<std::string> expected)
{
    auto next = expected.begin();
    for (const std::string& call : calls) {
        next += next != expected.end() && call == *next;
    }
    return next == expected.end();
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

std::wstring scratchFile(const wchar_t* name)
{
    wchar_t folder[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"SELFCHECK_DIR", folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + name;
}

DWORD WINAPI useEnvElsewhere(void* env)
{
    static_cast<JNIEnv*>(env)->FindClass("stub/App");
    return 0;
}

// What a forwarded start does: attach, prefer the void form, take the int form.
DWORD WINAPI forwardedStart(void* vm)
{
    JNIEnv* env = nullptr;
    static_cast<JavaVM*>(vm)->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr);
    jclass cls = env->FindClass("stub/InstanceInt");
    env->GetStaticMethodID(cls, "secondaryMain", "([Ljava/lang/String;)V");
    env->ExceptionClear();
    jmethodID method = env->GetStaticMethodID(cls, "secondaryMain", "([Ljava/lang/String;)I");
    jint result = env->CallStaticIntMethod(cls, method, javaArguments(env, {L"p"}));
    static_cast<JavaVM*>(vm)->DetachCurrentThread();
    return static_cast<DWORD>(result);
}

struct Case {
    const char* name;
    const char* variant;
    std::vector<std::string> options;
    int (*body)(const Session&);
    DWORD exitCode;
    void (*check)(Expect&, const RunOutcome&);
};

const Case kCases[] = {
    {"launch through LauncherHelper", "full", {"-Dstub.out=hello", "-Xmx64m", "-Dbytes=\xE9\x01"},
        [](const Session& s) {
            jclass helper = s.findBootClass(s.env, "sun/launcher/LauncherHelper");
            jmethodID load
                = s.env->GetStaticMethodID(helper, "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;");
            auto cls = static_cast<jclass>(
                s.env->CallStaticObjectMethod(helper, load, JNI_TRUE, 1, javaString(s.env, L"stub.App")));
            jmethodID main = s.env->GetStaticMethodID(cls, "main", "([Ljava/lang/String;)V");
            s.env->CallStaticVoidMethod(cls, main, javaArguments(s.env, {L"a", L"\u00fc\u20ac", L""}));
            return s.env->ExceptionCheck() ? 2 : finish(s);
        },
        0,
        [](Expect& e, const RunOutcome& r) {
            e.that(r.record.options
                    == std::vector<std::string>{"-Dstub.out=hello", "-Xmx64m", "-Dbytes=\xE9\x01", "abort", "exit"},
                "options byte for byte");
            e.that(r.record.jniVersion == JNI_VERSION_1_2 && r.record.createResult == 0, "version and result");
            e.that(r.record.mainClass == "stub/App", "main class");
            e.that(r.record.mainArguments.values == std::vector<std::wstring>{L"a", L"\u00fc\u20ac", L""},
                "main arguments");
            e.that(r.out == "a\r\n\xC3\xBC\xE2\x82\xAC\r\n\r\nhello\r\n", "System.out");
            // The system keeps a few pages of the reservation (Wine 8K).
            auto reserve = r.record.creatingThreadStackReserve;
            e.that(reserve <= kJavaStack && reserve > kJavaStack - 65536,
                "stack reservation " + std::to_string(r.record.creatingThreadStackReserve));
            auto path = r.record.environment.find(L"KESTO_JVM_PATH");
            bool pathSet = path != r.record.environment.end() && path->second == kJvmPath;
            e.that(pathSet && !r.record.environment.count(L"KESTO_JVM_HOME") && r.record.environment.count(L"Path"),
                "environment");
            e.that(inOrder(r.record.calls,
                       {"JNI_GetDefaultJavaVMInitArgs 0x00010001", "JNI_CreateJavaVM",
                           "JVM_FindClassFromBootLoader sun/launcher/LauncherHelper", "checkAndLoadMain 1 stub.App",
                           "main stub/App", "DetachCurrentThread", "DestroyJavaVM end"}),
                "calls in order");
        }},
    {"FindClass path, missing main", "plain", {},
        [](const Session& s) {
            if (s.findBootClass) {
                return 3;
            }
            jclass noMain = s.env->FindClass("stub/NoMain");
            bool missing
                = !s.env->GetStaticMethodID(noMain, "main", "([Ljava/lang/String;)V") && s.env->ExceptionCheck();
            s.env->ExceptionDescribe();
            return missing && callMain(s.env, "stub/Instance", {}) ? finish(s) : 4;
        },
        0,
        [](Expect& e, const RunOutcome& r) {
            e.that(contains(r.err, "Exception in thread \"main\" java.lang.NoSuchMethodError: main\r\n"),
                "described error: " + r.err);
            e.that(r.record.mainArguments.present && r.record.mainArguments.values.empty(), "empty arguments");
            e.that(r.record.mainClass == "stub/Instance", "inherited main");
        }},
    {"unrecognized option", "plain", {"-verbose:gc", "-ea:stub...", "--bogus"}, nullptr, 1001,
        [](Expect& e, const RunOutcome& r) {
            e.that(
                r.record.createResult == JNI_ERR && r.record.options.size() == 5, "refused with all options recorded");
            e.that(r.record.warnings == std::vector<std::string>{"unrecognized option 2d2d626f677573"},
                "only --bogus refused");
        }},
    {"creation told to fail", "plain", {"-Dstub.create=-6"}, nullptr, 1006,
        [](Expect& e, const RunOutcome& r) { e.that(r.record.createResult == JNI_EINVAL, "result -6"); }},
    {"creation fails with another value", "plain", {"-Dstub.create=17"}, nullptr, 983,
        [](Expect& e, const RunOutcome& r) { e.that(r.record.createResult == 17, "result 17"); }},
    {"System.exit from main", "plain", {"-Dstub.exit=3"},
        [](const Session& s) { return callMain(s.env, "stub/App", {}) ? 5 : 6; }, 3,
        [](Expect& e, const RunOutcome& r) {
            e.that(r.record.exitHookCodes == std::vector<long>{3}, "exit hook called with 3");
            e.that(!r.record.called("DestroyJavaVM"), "no DestroyJavaVM");
            const std::string callersThread = "exit hook on thread " + std::to_string(r.record.creatingThreadId);
            e.that(contains(r.out, "exit hook on thread ") && !contains(r.out, callersThread + "\r\n"),
                "hook on a thread other than System.exit's: " + r.out);
        }},
    {"FindClass runs the static initializer", "plain", {},
        [](const Session& s) {
            jclass first = s.env->FindClass("stub/BadInit");
            s.env->ExceptionDescribe();
            jclass second = s.env->FindClass("stub/BadInit");
            s.env->ExceptionDescribe();
            return !first && !second && callMain(s.env, "stub/App", {}) ? finish(s) : 13;
        },
        0,
        [](Expect& e, const RunOutcome& r) {
            e.that(contains(r.err,
                       "java.lang.ExceptionInInitializerError\r\n"
                       "Caused by: java.lang.IllegalStateException: settings missing\r\n"
                       "\tat stub.BadInit.<clinit>(BadInit.java:3)\r\n"),
                "the initializer's error with its cause: " + r.err);
            e.that(contains(r.err, "java.lang.NoClassDefFoundError: Could not initialize class stub.BadInit\r\n"),
                "then the class in error: " + r.err);
        }},
    {"main throws; trace captured with the exception pending", "plain",
        {"-Dstub.throw=boom", "-Dstub.pendingCalls=warn"},
        [](const Session& s) {
            callMain(s.env, "stub/App", {});
            std::string trace = captureTrace(s.env, s.env->ExceptionOccurred());
            DWORD written = 0;
            ::WriteFile(
                ::GetStdHandle(STD_OUTPUT_HANDLE), trace.data(), static_cast<DWORD>(trace.size()), &written, nullptr);
            return finish(s);
        },
        0,
        [](Expect& e, const RunOutcome& r) {
            std::string trace = "java.lang.RuntimeException: boom\r\n\tat stub.App.main(App.java:7)\r\n";
            e.that(r.out == trace, "captured trace: " + r.out);
            e.that(r.err == "Exception in thread \"main\" " + trace, "uncaught at detach: " + r.err);
            e.that(!r.record.warnings.empty() && r.record.violations.empty(), "warnings instead of violations");
        }},
    {"call with an exception pending", "plain", {},
        [](const Session& s) {
            s.env->FindClass("stub/Missing");
            s.env->FindClass("stub/App");
            return 7;
        },
        kViolation,
        [](Expect& e, const RunOutcome& r) {
            e.that(r.record.violations
                    == std::vector<
                        std::string>{"violation: FindClass with an exception pending (java/lang/NoClassDefFoundError)"},
                "violation recorded");
        }},
    {"JNIEnv used on another thread", "plain", {},
        [](const Session& s) {
            velmar::UniqueHandle thread(::CreateThread(nullptr, 0, useEnvElsewhere, s.env, 0, nullptr));
            ::WaitForSingleObject(thread.get(), INFINITE);
            return 8;
        },
        kViolation,
        [](Expect& e, const RunOutcome& r) {
            e.that(
                r.record.violations.size() == 1 && contains(r.record.violations[0], "on thread"), "violation recorded");
        }},
    {"deleted reference used", "plain", {},
        [](const Session& s) {
            jclass cls = s.env->FindClass("stub/App");
            s.env->DeleteLocalRef(cls);
            s.env->GetStaticMethodID(cls, "main", "([Ljava/lang/String;)V");
            return 9;
        },
        kViolation,
        [](Expect& e, const RunOutcome& r) {
            e.that(r.record.violations.size() == 1 && contains(r.record.violations[0], "deleted local reference"),
                "violation recorded");
        }},
    {"JNI function outside the supported set", "plain", {},
        [](const Session& s) { return static_cast<int>(s.env->GetVersion()); }, kUnexpected,
        [](Expect& e, const RunOutcome& r) {
            e.that(r.record.violations == std::vector<std::string>{"unexpected: JNIEnv slot 4"}, "slot of GetVersion");
        }},
    {"System.out to a file, System.err to an impossible one", "plain", {},
        [](const Session& s) {
            bool outMoved = redirect(s.env, scratchFile(L"out.txt"), "setOut");
            bool errMoved = redirect(s.env, scratchFile(L"missing\\err.txt"), "setErr");
            s.env->ExceptionDescribe();
            return outMoved && !errMoved && callMain(s.env, "stub/App", {L"x", L"y"}) ? finish(s) : 10;
        },
        0,
        [](Expect& e, const RunOutcome& r) {
            e.that(r.redirected == "x\r\ny\r\n" && r.out.empty(), "System.out in the file");
            e.that(contains(r.err, "java.io.FileNotFoundException: ") && contains(r.err, "err.txt ("),
                "FileNotFoundException: " + r.err);
        }},
    {"DestroyJavaVM waits for a non-daemon thread", "plain", {"-Dstub.linger=300"},
        [](const Session& s) { return callMain(s.env, "stub/App", {}) ? finish(s) : 11; }, 0,
        [](Expect& e, const RunOutcome& r) {
            e.that(inOrder(r.record.calls, {"linger start 300", "DestroyJavaVM", "linger end", "DestroyJavaVM end"}),
                "waited");
        }},
    {"secondaryMain int form on an attached thread", "plain", {"-Dstub.secondaryResult=42"},
        [](const Session& s) {
            velmar::UniqueHandle worker(::CreateThread(nullptr, 0, forwardedStart, s.vm, 0, nullptr));
            DWORD result = 0;
            ::WaitForSingleObject(worker.get(), INFINITE);
            ::GetExitCodeThread(worker.get(), &result);
            return finish(s) == 0 ? static_cast<int>(result) : 12;
        },
        42,
        [](Expect& e, const RunOutcome& r) {
            const auto& calls = r.record.secondaryMainCalls;
            e.that(calls.size() == 1 && calls[0].intForm, "int form called once");
            e.that(calls.size() == 1 && calls[0].arguments.values == std::vector<std::wstring>{L"p"}, "its arguments");
        }},
};

std::string readFile(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void removeScratch(const std::wstring& scratch)
{
    for (const wchar_t* name : {L"record.txt", L"stdout.txt", L"stderr.txt", L"out.txt"}) {
        ::DeleteFileW((scratch + L"\\" + name).c_str());
    }
    ::RemoveDirectoryW(scratch.c_str());
}

velmar::UniqueFile inheritableFile(const std::wstring& path)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return velmar::UniqueFile(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr));
}

RunOutcome runCase(size_t index, const std::wstring& root, const std::wstring& scratch)
{
    const Case& c = kCases[index];
    removeScratch(scratch);
    ::CreateDirectoryW(scratch.c_str(), nullptr);
    ::SetEnvironmentVariableW(L"SELFCHECK_DIR", scratch.c_str());
    ::SetEnvironmentVariableW(L"VELMAR_STUB_RECORD", (scratch + L"\\record.txt").c_str());
    velmar::UniqueFile out = inheritableFile(scratch + L"\\stdout.txt");
    velmar::UniqueFile err = inheritableFile(scratch + L"\\stderr.txt");
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring variant(c.variant, c.variant + std::strlen(c.variant));
    std::wstring command = L"\"" + std::wstring(self) + L"\" --child " + std::to_wstring(index) + L" \"" + root + L"\\"
        + variant + L"\\jvm.dll\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = out.get();
    startup.hStdError = err.get();
    PROCESS_INFORMATION process{};
    RunOutcome outcome;
    outcome.exitCode = 97;
    if (::CreateProcessW(self, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        velmar::UniqueHandle processHandle(process.hProcess);
        velmar::UniqueHandle threadHandle(process.hThread);
        if (::WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
            ::TerminateProcess(process.hProcess, 96);
        }
        ::GetExitCodeProcess(process.hProcess, &outcome.exitCode);
    }
    out.reset();
    err.reset();
    outcome.record = readStubRecord(scratch + L"\\record.txt");
    outcome.out = readFile(scratch + L"\\stdout.txt");
    outcome.err = readFile(scratch + L"\\stderr.txt");
    outcome.redirected = readFile(scratch + L"\\out.txt");
    removeScratch(scratch);
    return outcome;
}

}  // namespace
}  // namespace velmar::stub

int wmain(int argc, wchar_t** argv)
{
    using namespace velmar::stub;
    if (argc == 4 && std::wstring(argv[1]) == L"--child") {
        const Case& testCase = kCases[std::stoul(argv[2])];
        return runChild(testCase.options, testCase.body, argv[3]);
    }
    wchar_t root[MAX_PATH] = {};
    ::GetEnvironmentVariableW(L"VELMAR_STUB_RUNTIME_DIR", root, MAX_PATH);
    std::wstring rootFolder = argc > 1 ? argv[1] : root;
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    ::SetEnvironmentVariableW(L"VELMAR_STUB_JAVA_STACK", std::to_wstring(kJavaStack).c_str());
    ::SetEnvironmentVariableW(L"KESTO_JVM_PATH", kJvmPath);
    ::SetEnvironmentVariableW(L"KESTO_JVM_HOME", nullptr);
    int failed = 0;
    for (size_t i = 0; i < std::size(kCases); ++i) {
        std::wstring scratch = std::wstring(temp) + L"velmar-stub-check-" + std::to_wstring(::GetCurrentProcessId())
            + L"-" + std::to_wstring(i);
        RunOutcome outcome = runCase(i, rootFolder, scratch);
        Expect expect;
        expect.that(outcome.exitCode == kCases[i].exitCode, "exit code " + std::to_string(outcome.exitCode));
        expect.that(
            kCases[i].exitCode == kViolation || kCases[i].exitCode == kUnexpected || outcome.record.violations.empty(),
            "no violations");
        kCases[i].check(expect, outcome);
        std::printf("%s %s\n", expect.failures.empty() ? "ok  " : "FAIL", kCases[i].name);
        for (const std::string& failure : expect.failures) {
            std::printf("     %s\n", failure.c_str());
        }
        failed += !expect.failures.empty();
    }
    std::printf("%d of %zu cases failed\n", failed, std::size(kCases));
    return failed ? 1 : 0;
}
