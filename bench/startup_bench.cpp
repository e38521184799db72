// The start-up benchmark: the launcher against the minimal host beside it,
// whole processes timed in pairs (A B, B A, A B ...) after a warm-up, on the
// same stub runtime, for each case. Prints figures; asserts nothing.
//
// Usage: velmar_bench [runs]   (default 21 timed pairs per case)
// Environment: VELMAR_TEST_LAUNCHER, VELMAR_STUB_RUNTIME_DIR,
// VELMAR_BENCH_HOST (the minimal host), and for the pair case
// VELMAR_BENCH_PAIR_LAUNCHER, VELMAR_BENCH_PAIR_HOST and
// VELMAR_BENCH_PAIR_STUB_DIR (the other build's launcher, host and stub).
#include "registry_key.h"
#include "stub_app.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velmar::bench {
namespace {

using e2e::Installation;

std::wstring environmentValue(const wchar_t* name)
{
    wchar_t value[MAX_PATH * 2] = {};
    DWORD length = ::GetEnvironmentVariableW(name, value, MAX_PATH * 2);
    return length < MAX_PATH * 2 ? std::wstring(value, length) : std::wstring();
}

double nowMs()
{
    static const double frequency = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / frequency;
}

double median(std::vector<double> values)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct ProcessRun {
    double wallMs = 0;
    DWORD exitCode = 0;
    unsigned long long peakWorkingSet = 0;  // at JNI_CreateJavaVM, as the stub recorded it
    double untilCreateVmMs = 0;  // as the stub recorded it
    std::vector<std::wstring> modules;
};

// Starts the program with the stub's record beside it, waits for it, and
// reads what the stub wrote. `extraEnvironment` is NAME=value.
ProcessRun runProgram(const std::wstring& program, const std::wstring& recordPath,
                      const std::wstring& extraEnvironment = L"")
{
    ::DeleteFileW(recordPath.c_str());
    ::SetEnvironmentVariableW(L"VELMAR_STUB_RECORD", recordPath.c_str());
    std::wstring name, value;
    if (!extraEnvironment.empty()) {
        name = extraEnvironment.substr(0, extraEnvironment.find(L'='));
        value = extraEnvironment.substr(name.size() + 1);
        ::SetEnvironmentVariableW(name.c_str(), value.c_str());
    }
    std::wstring commandLine = L"\"" + program + L"\" -nosplash";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ProcessRun run;
    const double start = nowMs();
    const std::wstring folder = program.substr(0, program.rfind(L'\\'));
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                          &startup, &process)) {
        std::fprintf(stderr, "cannot start %ls (%lu)\n", program.c_str(), ::GetLastError());
        std::exit(2);
    }
    if (::WaitForSingleObject(process.hProcess, 120000) != WAIT_OBJECT_0) {
        ::TerminateProcess(process.hProcess, 1);
        std::fprintf(stderr, "%ls did not end within 120 s\n", program.c_str());
        std::exit(2);
    }
    run.wallMs = nowMs() - start;
    ::GetExitCodeProcess(process.hProcess, &run.exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    if (!name.empty()) {
        ::SetEnvironmentVariableW(name.c_str(), nullptr);
    }
    stub::StubRecord record = stub::readStubRecord(recordPath);
    if (run.exitCode != 0 || !record.sinceProcessStart || !record.called("main stub/App")) {
        std::fprintf(stderr, "%ls: exit code %lu, main %s\n", program.c_str(), run.exitCode,
                     record.called("main stub/App") ? "called" : "not called");
        std::exit(2);
    }
    run.untilCreateVmMs = static_cast<double>(*record.sinceProcessStart) / 10000.0;
    run.modules = record.modules;
    run.peakWorkingSet = record.peakWorkingSet;
    return run;
}

// An installation holding the launcher as myapp.exe and the minimal host as
// host.exe, each with the same INI apart from what `hostOnly` adds.
class BenchInstallation {
public:
    explicit BenchInstallation(const std::wstring& stubRuntimeDir = L"")
    {
        const std::wstring stubDir = stubRuntimeDir.empty() ? environmentValue(L"VELMAR_STUB_RUNTIME_DIR")
                                                            : stubRuntimeDir;
        installation_.copyFile(stubDir + L"\\full\\jvm.dll", L"jre\\bin\\server\\jvm.dll");
        installation_.copyFile(environmentValue(L"VELMAR_BENCH_HOST"), L"host.exe");
    }

    Installation& installation() { return installation_; }
    std::wstring runtimeFolder() const { return installation_.path(L"jre"); }

    void addJars(int count)
    {
        installation_.writeFile(L"lib\\app.jar", "");
        for (int i = 1; i < count; ++i) {
            installation_.writeFile(L"lib\\library-" + std::to_wstring(i) + L".jar", "");
        }
    }

    // The launcher's INI text and the host's, which gets "JRE Path" when the
    // launcher's has none (the host does not search).
    void writeIni(const std::wstring& text, const std::wstring& hostRuntime) const
    {
        installation_.writeIni(text);
        std::wstring hostText = text;
        if (text.find(L"JRE Path=") == std::wstring::npos) {
            hostText.insert(hostText.find(L"\r\n") + 2, L"JRE Path=" + hostRuntime + L"\r\n");
        }
        installation_.writeUnicodeFile(L"host.ini", hostText);
    }

    std::wstring launcher() const { return installation_.launcherPath(); }
    std::wstring host() const { return installation_.path(L"host.exe"); }
    std::wstring record() const { return installation_.path(L"record.txt"); }

private:
    Installation installation_;
};

std::wstring typicalIni(const std::wstring& runtime)
{
    return L"[Java Runtime Environment]\r\n" + (runtime.empty() ? L"" : L"JRE Path=" + runtime + L"\r\n") +
           L"Main Class=stub.App\r\n"
           L"Virtual Machine Parameters=-Xmx256m -Dbench.first=1 -Dbench.second=2\r\n"
           L"[Class Path]\r\nClass Path=\\lib\\*.jar\r\n"
           L"[Application]\r\nOutput File=out.log\r\n";
}

struct CaseFigures {
    std::vector<ProcessRun> launcher, host;
};

constexpr int kWarmUpPairs = 3;

// Pairs in the order A B, B A, A B, ...: a run can be slowed by what the
// run before it leaves behind (Wine may still be ending that process after
// its exit was reported), and swapping the order every other pair spreads
// that over both sides.
// `hostEnvironment`: NAME=value for the host's runs only.
CaseFigures timeAlternately(const std::wstring& launcher, const std::wstring& host, const std::wstring& record,
                            int runs, const std::wstring& hostEnvironment = L"")
{
    CaseFigures figures;
    for (int i = 0; i < kWarmUpPairs + runs; ++i) {
        ProcessRun launcherRun, hostRun;
        if (i % 2 == 0) {
            launcherRun = runProgram(launcher, record);
            hostRun = runProgram(host, record, hostEnvironment);
        } else {
            hostRun = runProgram(host, record, hostEnvironment);
            launcherRun = runProgram(launcher, record);
        }
        if (i >= kWarmUpPairs) {
            figures.launcher.push_back(std::move(launcherRun));
            figures.host.push_back(std::move(hostRun));
        }
    }
    return figures;
}

std::vector<double> field(const std::vector<ProcessRun>& runs, double ProcessRun::*member)
{
    std::vector<double> values;
    for (const ProcessRun& run : runs) {
        values.push_back(run.*member);
    }
    return values;
}

void printCase(const char* name, const CaseFigures& f)
{
    std::vector<double> ratios, differences, differencesUntilVm;
    for (size_t i = 0; i < f.launcher.size(); ++i) {
        ratios.push_back(f.launcher[i].wallMs / f.host[i].wallMs);
        differences.push_back(f.launcher[i].wallMs - f.host[i].wallMs);
        differencesUntilVm.push_back(f.launcher[i].untilCreateVmMs - f.host[i].untilCreateVmMs);
    }
    std::printf("%-22s %9.1f %9.1f %7.3f %8.1f %12.1f %8.1f %8.1f\n", name,
                median(field(f.launcher, &ProcessRun::wallMs)), median(field(f.host, &ProcessRun::wallMs)),
                median(ratios), median(differences), median(field(f.launcher, &ProcessRun::untilCreateVmMs)),
                median(field(f.host, &ProcessRun::untilCreateVmMs)), median(differencesUntilVm));
    std::fflush(stdout);
}

// What the bare listing of a folder costs: the floor of a wildcard class path.
double medianListingMs(const std::wstring& pattern, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = nowMs();
        WIN32_FIND_DATAW data;
        HANDLE search = ::FindFirstFileW(pattern.c_str(), &data);
        size_t found = 0;
        for (bool more = search != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(search, &data)) {
            ++found;
        }
        if (search != INVALID_HANDLE_VALUE) {
            ::FindClose(search);
        }
        times.push_back(nowMs() - start);
    }
    return median(times);
}

// The least a search of `count` registrations can do: list the versions,
// open each, read its JavaHome, close it, and look at that folder once.
double medianRegistryReadMs(int count, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double start = nowMs();
        HKEY vendor = nullptr;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\JavaSoft\\JRE", 0, KEY_READ, &vendor) == ERROR_SUCCESS) {
            for (DWORD index = 0; index < static_cast<DWORD>(count); ++index) {
                wchar_t name[256];
                DWORD length = 256;
                if (::RegEnumKeyExW(vendor, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
                    break;
                }
                HKEY runtime = nullptr;
                if (::RegOpenKeyExW(vendor, name, 0, KEY_READ, &runtime) == ERROR_SUCCESS) {
                    wchar_t home[MAX_PATH] = {};
                    DWORD size = sizeof home;
                    ::RegQueryValueExW(runtime, L"JavaHome", nullptr, nullptr, reinterpret_cast<BYTE*>(home), &size);
                    ::RegCloseKey(runtime);
                    ::GetFileAttributesW(home);
                }
            }
            ::RegCloseKey(vendor);
        }
        times.push_back(nowMs() - start);
    }
    return median(times);
}

// Registrations under the JRE key: `count` in all, the valid one the oldest.
std::vector<std::unique_ptr<e2e::ScopedRegistryKey>> registerRuntimes(const std::wstring& valid, int count)
{
    std::vector<std::unique_ptr<e2e::ScopedRegistryKey>> keys;
    keys.push_back(std::make_unique<e2e::ScopedRegistryKey>(L"Software\\JavaSoft\\JRE\\11"));
    keys.back()->setString(L"JavaHome", valid);
    for (int i = 1; i < count; ++i) {
        const std::wstring version = std::to_wstring(11 + i);
        keys.push_back(std::make_unique<e2e::ScopedRegistryKey>(L"Software\\JavaSoft\\JRE\\" + version));
        keys.back()->setString(L"JavaHome", valid + L"-missing-" + version);
    }
    return keys;
}

// What 49 more registrations add to the launcher's time to the VM, from
// pairs of starts (one registered, then fifty, the order swapped every
// other pair), so that the machine's drift between two cases timed one
// after the other does not enter it; beside it the same growth of the bare
// loop.
void printRegistryGrowth(int runs)
{
    BenchInstallation bench;
    bench.addJars(5);
    bench.writeIni(typicalIni(L""), bench.runtimeFolder());
    std::vector<double> growth;
    for (int i = 0; i < kWarmUpPairs + runs; ++i) {
        double untilVm[2] = {};
        for (int turn = 0; turn < 2; ++turn) {
            const int fifty = (turn + i) % 2;
            auto keys = registerRuntimes(bench.runtimeFolder(), fifty ? 50 : 1);
            untilVm[fifty] = runProgram(bench.launcher(), bench.record()).untilCreateVmMs;
        }
        if (i >= kWarmUpPairs) {
            growth.push_back(untilVm[1] - untilVm[0]);
        }
    }
    auto keys = registerRuntimes(bench.runtimeFolder(), 50);
    const double bareGrowth = medianRegistryReadMs(50, runs) - medianRegistryReadMs(1, runs);
    std::printf("%-22s launcher>VM, median of paired differences: %+.1f ms (bare loop: %+.2f ms)\n",
                "registry, 1 -> 50", median(growth), bareGrowth);
}

std::wstring lowered(std::wstring name)
{
    ::CharLowerBuffW(name.data(), static_cast<DWORD>(name.size()));
    return name;
}

void printModules(const ProcessRun& launcher, const ProcessRun& host)
{
    std::set<std::wstring> hostModules;
    for (const std::wstring& name : host.modules) {
        hostModules.insert(lowered(name));
    }
    std::printf("\nModules at JNI_CreateJavaVM (typical INI): launcher %zu, minimal host %zu\n",
                launcher.modules.size(), host.modules.size());
    std::printf("  launcher:");
    for (const std::wstring& name : launcher.modules) {
        std::printf(" %ls%s", name.c_str(), hostModules.count(lowered(name)) ? "" : "(*)");
    }
    std::printf("\n  (*) not loaded by the minimal host\n");
}

}  // namespace
}  // namespace velmar::bench

int main(int argc, char** argv)
{
    using namespace velmar::bench;
    if (argc > 1 && std::string(argv[1]) == "--ini-trace") {
        // One typical start with Wine's profile trace on: the caller counts
        // the lookups in what reaches standard error.
        BenchInstallation bench;
        bench.addJars(5);
        bench.writeIni(typicalIni(bench.runtimeFolder()), bench.runtimeFolder());
        runProgram(bench.launcher(), bench.record(), L"WINEDEBUG=trace+profile");
        std::fprintf(stderr, "\n---- minimal host ----\n");
        runProgram(bench.host(), bench.record(), L"WINEDEBUG=trace+profile");
        return 0;
    }
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    std::printf("Timed pairs per case: %d (after %d warm-up pairs); times in ms, medians\n\n", runs,
                kWarmUpPairs);
    std::printf("%-22s %9s %9s %7s %8s %12s %8s %8s\n", "case", "launcher", "host", "ratio", "diff",
                "launcher>VM", "host>VM", "diff>VM");
    try {
        ProcessRun typicalLauncher, typicalHost;
        for (int jars : {5, 1000, 10000}) {
            BenchInstallation bench;
            bench.addJars(jars);
            bench.writeIni(typicalIni(bench.runtimeFolder()), bench.runtimeFolder());
            const int caseRuns = jars == 10000 ? std::max(1, runs / 2) : runs;
            CaseFigures figures = timeAlternately(bench.launcher(), bench.host(), bench.record(), caseRuns);
            const std::string name = jars == 5 ? "typical (5 jars)" : std::to_string(jars) + " jars";
            printCase(name.c_str(), figures);
            if (jars == 5) {
                typicalLauncher = figures.launcher.back();
                typicalHost = figures.host.back();
                std::printf("%-22s peak working set at JNI_CreateJavaVM: launcher %.1f MB, minimal host %.1f MB\n", "",
                            static_cast<double>(typicalLauncher.peakWorkingSet) / 1048576.0,
                            static_cast<double>(typicalHost.peakWorkingSet) / 1048576.0);
                // The launcher makes its main thread a GUI thread before
                // anything else, which maps user32 and what it needs; a
                // real jvm.dll maps user32 itself, the stub does not.
                printCase("typical, GUI host", timeAlternately(bench.launcher(), bench.host(), bench.record(),
                                                               runs, L"VELMAR_BENCH_HOST_GUI=1"));
            } else {
                std::printf("%-22s bare FindFirstFileW/FindNextFileW listing: %.2f ms\n", "",
                            medianListingMs(bench.installation().path(L"lib\\*.jar"), caseRuns));
            }
        }
        for (int registered : {1, 50}) {
            BenchInstallation bench;
            bench.addJars(5);
            bench.writeIni(typicalIni(L""), bench.runtimeFolder());
            auto keys = registerRuntimes(bench.runtimeFolder(), registered);
            const std::string name = "registry, " + std::to_string(registered) + " registered";
            printCase(name.c_str(), timeAlternately(bench.launcher(), bench.host(), bench.record(), runs));
            std::printf("%-22s bare registry reads and folder look-ups: %.2f ms\n", "",
                        medianRegistryReadMs(registered, runs));
        }
        printRegistryGrowth(runs);
        const std::wstring pairLauncher = environmentValue(L"VELMAR_BENCH_PAIR_LAUNCHER");
        if (!pairLauncher.empty()) {
            BenchInstallation bench(environmentValue(L"VELMAR_BENCH_PAIR_STUB_DIR"));
            bench.installation().copyFile(pairLauncher, L"myapp32.exe");
            bench.installation().copyFile(environmentValue(L"VELMAR_BENCH_PAIR_HOST"), L"host.exe");
            bench.addJars(5);
            // The launcher waits for its pair only when it passes the code on.
            const std::wstring text = typicalIni(bench.runtimeFolder()) + L"Pair Return Code=Yes\r\n";
            bench.writeIni(text + L"Pair Product=" + bench.installation().path(L"myapp32.exe") + L"\r\n",
                           bench.runtimeFolder());
            bench.installation().writeUnicodeFile(L"myapp32.ini",
                                                  text + L"Pair Product=" + bench.launcher() + L"\r\n");
            printCase("pair (other build)",
                      timeAlternately(bench.launcher(), bench.host(), bench.record(), std::max(1, runs / 2)));
        }
        printModules(typicalLauncher, typicalHost);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "benchmark failed: %s\n", error.what());
        return 2;
    }
    return 0;
}
