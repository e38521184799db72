// Start-up benchmark: the launcher's own time from the creation of its
// process to its call of JNI_CreateJavaVM, as the stub runtime measures it,
// for a class path of one jar and of a thousand jars behind one wildcard.
// Prints figures; asserts nothing about them.
#include "stub_app.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

using velmar::e2e::StubApp;
using velmar::e2e::StubRun;

struct Figures {
    int jars = 0;
    std::vector<double> milliseconds;
    bool allStarted = true;
    size_t classPathEntries = 0;
};

size_t classPathEntries(const StubRun& result)
{
    for (const std::string& option : result.record.options) {
        if (option.rfind("-Djava.class.path=", 0) == 0) {
            return static_cast<size_t>(std::count(option.begin(), option.end(), ';'));
        }
    }
    return 0;
}

Figures measure(int jars, int runs)
{
    Figures figures;
    figures.jars = jars;
    StubApp app;
    for (int i = 0; i < jars; ++i) {
        wchar_t name[64];
        swprintf(name, 64, L"lib\\library-%04d.jar", i);
        app.installation().writeFile(name, "");
    }
    // What main prints goes to a file, not between the figures.
    app.writeIni({{L"Class Path", L"Class Path", L"\\lib\\*.jar"},
                  {L"Application", L"Output File", app.installation().path(L"out.log")}});
    app.run({.arguments = L"-nosplash"});  // warms the file cache and Wine
    for (int run = 0; run < runs; ++run) {
        StubRun result = app.run({.arguments = L"-nosplash"});
        figures.allStarted = figures.allStarted && result.run.exitCode == 0 &&
                             result.record.sinceProcessStart.has_value();
        figures.classPathEntries = classPathEntries(result);
        if (result.record.sinceProcessStart) {
            figures.milliseconds.push_back(*result.record.sinceProcessStart / 10000.0);
        }
    }
    std::sort(figures.milliseconds.begin(), figures.milliseconds.end());
    return figures;
}

void print(const Figures& f)
{
    if (f.milliseconds.empty()) {
        std::printf("%5d jars: no start measured\n", f.jars);
        return;
    }
    std::printf("%5d jars: median %7.1f ms  min %7.1f ms  max %7.1f ms  (%zu runs, %zu class-path entries)%s\n",
                f.jars, f.milliseconds[f.milliseconds.size() / 2], f.milliseconds.front(),
                f.milliseconds.back(), f.milliseconds.size(), f.classPathEntries,
                f.allStarted ? "" : "  SOME STARTS FAILED");
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int runs = argc > 1 ? _wtoi(argv[1]) : 9;
    std::printf("launcher time from process creation to JNI_CreateJavaVM\n");
    bool ok = true;
    for (int jars : {1, 1000}) {
        Figures figures = measure(jars, runs);
        print(figures);
        ok = ok && figures.allStarted && figures.classPathEntries == static_cast<size_t>(jars);
    }
    return ok ? 0 : 1;
}
