// An installation in single-instance mode whose first instance runs the
// stub application and stays in the VM, and later starts of it: what they
// end with, and what the first instance's secondaryMain was given.
#pragma once

#include "stub_app.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velmar::e2e {

// Generous: under qemu a start takes seconds, twenty at once far longer.
inline constexpr DWORD kInstanceBoundMs = 180000;

class RunningInstance {
public:
    // mainClass: a stub application class ("stub.InstanceInt", ...);
    // vmParameters: further -D options of the stub.
    // folderPrefix: the start of the installation folder's name.
    RunningInstance(std::wstring_view mainClass, std::wstring_view vmParameters,
                    std::initializer_list<IniEntry> entries = {},
                    std::wstring_view folderPrefix = L"velmar-e2e-");

    StubApp& app() { return app_; }
    LauncherProcess& first() { return *first_; }

    // Starts the first instance and waits until its main has been called;
    // false when it did not get there within the bound.
    bool start();
    // Rewrites the INI file (the running instance has read it already).
    void changeIni(std::initializer_list<IniEntry> entries);

    // A later start with its own stub record, which stays empty unless
    // that start loads a runtime itself.
    RunResult later(std::wstring_view arguments);
    std::unique_ptr<LauncherProcess> startLater(std::wstring_view arguments) const;
    std::wstring laterRecordPath() const { return app_.installation().path(L"later-record.txt"); }

    // The first instance's record once `ready` holds for it; the record as
    // it is when the bound passes first.
    stub::StubRecord recordWhen(const std::function<bool(const stub::StubRecord&)>& ready) const;

private:
    StubApp app_;
    std::unique_ptr<LauncherProcess> first_;
};

size_t countCalls(const stub::StubRecord& record, const std::string& call);

}  // namespace velmar::e2e
