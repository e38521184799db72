// An installation of the launcher with the stub Java runtime as its "JRE
// Path", an INI file built from a few entries over working defaults, and a
// run that returns what the user saw together with the stub's record.
#pragma once

#include "launcher_run.h"
#include "stub_record.h"

#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace velmar::e2e {

struct IniEntry {
    std::wstring section;
    std::wstring key;
    std::optional<std::wstring> value;  // nullopt: leave the key out
};

struct StubRun {
    RunResult run;
    stub::StubRecord record;
};

class StubApp {
public:
    // variant: a folder of the built stub runtime ("full", "plain", ...);
    // the installation folder's name starts with folderPrefix.
    explicit StubApp(std::wstring_view variant = L"full",
                     std::wstring_view folderPrefix = L"velmar-e2e-");

    Installation& installation() { return installation_; }
    const Installation& installation() const { return installation_; }
    // The runtime folder given as "JRE Path" and its VM library.
    std::wstring runtimeFolder() const { return installation_.path(L"jre"); }
    std::wstring jvmPath() const { return installation_.path(L"jre\\bin\\server\\jvm.dll"); }

    // Defaults: JRE Path, Main Class stub.App, Class Path \app.jar (present).
    void writeIni(std::initializer_list<IniEntry> entries);
    StubRun run(RunOptions options = {});
    // As run(), over the INI file as the test left it.
    StubRun runWithIniAsIs(RunOptions options = {});
    // Writes the INI as run() does, for a launcher the test starts itself.
    void saveIni() const;
    // The record of the runs of this installation.
    std::wstring recordPath() const { return installation_.path(L"stub-record.txt"); }

private:
    Installation installation_;
    std::map<std::pair<std::wstring, std::wstring>, std::wstring> ini_;
};

// The stub runtime folder of one variant, from the environment the test
// runner sets.
std::wstring stubRuntimeFile(std::wstring_view variant);

// Narrow option text as the record holds it.
std::string ansi(std::wstring_view text);

}  // namespace velmar::e2e
