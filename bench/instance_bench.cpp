// Single-instance benchmark: the round trip of a later start, from the
// creation of its process to its end with the first instance's answer
// (the first instance already in main), one start at a time and twenty at
// once. Prints figures; asserts nothing about them.
#include "running_instance.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using velmar::e2e::kInstanceBoundMs;
using velmar::e2e::LauncherProcess;
using velmar::e2e::RunningInstance;

constexpr DWORD kAnswer = 7;

struct Figures {
    std::vector<double> milliseconds;
    int answers = 0;
};

// Ends each start and counts those that got the answer.
void collect(const std::vector<std::unique_ptr<LauncherProcess>>& starts, Figures& figures)
{
    for (const auto& start : starts) {
        const std::optional<DWORD> exitCode = start->waitForExit(kInstanceBoundMs);
        if (exitCode) {
            figures.milliseconds.push_back(start->lifetimeMs());
            figures.answers += *exitCode == kAnswer ? 1 : 0;
        }
    }
    std::sort(figures.milliseconds.begin(), figures.milliseconds.end());
}

void print(const char* what, size_t starts, const Figures& f, size_t served)
{
    if (f.milliseconds.empty()) {
        std::printf("%s: no start ended\n", what);
        return;
    }
    std::printf("%s: %zu starts, %d answers, %zu served by secondaryMain, %zu lost; round trip "
                "median %.0f ms, min %.0f ms, slowest %.0f ms\n",
                what, starts, f.answers, served, starts - std::min(starts, served),
                f.milliseconds[f.milliseconds.size() / 2], f.milliseconds.front(),
                f.milliseconds.back());
}

size_t servedSoFar(const RunningInstance& instance, size_t expected)
{
    return instance
        .recordWhen([&](const velmar::stub::StubRecord& r) { return r.secondaryMainCalls.size() >= expected; })
        .secondaryMainCalls.size();
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int runs = argc > 1 ? _wtoi(argv[1]) : 15;
    const int burst = argc > 2 ? _wtoi(argv[2]) : 20;
    RunningInstance instance(L"stub.InstanceInt", L"-Dstub.secondaryResult=7");
    if (!instance.start()) {
        std::printf("the first instance did not reach main\n");
        return 1;
    }
    instance.startLater(L"warm-up")->waitForExit(kInstanceBoundMs);

    Figures single;
    for (int run = 0; run < runs; ++run) {
        std::vector<std::unique_ptr<LauncherProcess>> one;
        one.push_back(instance.startLater(L"one-" + std::to_wstring(run)));
        collect(one, single);
    }
    const size_t afterSingles = 1 + static_cast<size_t>(runs);
    print("one at a time", static_cast<size_t>(runs), single,
          servedSoFar(instance, afterSingles) - 1);

    Figures together;
    std::vector<std::unique_ptr<LauncherProcess>> starts;
    for (int i = 0; i < burst; ++i) {
        starts.push_back(instance.startLater(L"burst-" + std::to_wstring(i)));
    }
    collect(starts, together);
    print("together", static_cast<size_t>(burst), together,
          servedSoFar(instance, afterSingles + burst) - afterSingles);
    return 0;
}
