#include "running_instance.h"

#include <algorithm>
#include <stdexcept>

namespace velmar::e2e {

namespace {

// The first instance's VM stays up this long after main: the Java main
// thread waits for it in DestroyJavaVM, as for an application's window.
constexpr wchar_t kLinger[] = L" -Dstub.linger=600000";

// The record being written may end in half a line, which does not parse.
std::optional<stub::StubRecord> readRecordNow(const std::wstring& path)
{
    try {
        return stub::readStubRecord(path);
    } catch (const std::runtime_error&) {
        return std::nullopt;
    }
}

}  // namespace

size_t countCalls(const stub::StubRecord& record, const std::string& call)
{
    return static_cast<size_t>(std::count(record.calls.begin(), record.calls.end(), call));
}

RunningInstance::RunningInstance(std::wstring_view mainClass, std::wstring_view vmParameters,
                                 std::initializer_list<IniEntry> entries,
                                 std::wstring_view folderPrefix)
    : app_(L"full", folderPrefix)
{
    app_.writeIni({{L"Java Runtime Environment", L"Main Class", std::wstring(mainClass)},
                   {L"Java Runtime Environment", L"Virtual Machine Parameters",
                    std::wstring(vmParameters) + kLinger},
                   {L"Application", L"Single Instance", L"yes"}});
    app_.writeIni(entries);
}

bool RunningInstance::start()
{
    app_.saveIni();
    ::DeleteFileW(app_.recordPath().c_str());
    ::DeleteFileW(laterRecordPath().c_str());
    first_ = std::make_unique<LauncherProcess>(
        app_.installation(),
        RunOptions{.arguments = L"-nosplash",
                   .environment = {{L"VELMAR_STUB_RECORD", app_.recordPath()}}});
    return recordWhen([](const stub::StubRecord& r) { return r.mainArguments.present; })
        .mainArguments.present;
}

void RunningInstance::changeIni(std::initializer_list<IniEntry> entries)
{
    app_.writeIni(entries);
    app_.saveIni();
}

RunResult RunningInstance::later(std::wstring_view arguments)
{
    return runLauncher(app_.installation(),
                       {.arguments = std::wstring(arguments),
                        .environment = {{L"VELMAR_STUB_RECORD", laterRecordPath()}},
                        .timeoutMs = kInstanceBoundMs});
}

std::unique_ptr<LauncherProcess> RunningInstance::startLater(std::wstring_view arguments) const
{
    return std::make_unique<LauncherProcess>(
        app_.installation(), RunOptions{.arguments = std::wstring(arguments),
                                        .environment = {{L"VELMAR_STUB_RECORD", laterRecordPath()}}});
}

stub::StubRecord RunningInstance::recordWhen(
    const std::function<bool(const stub::StubRecord&)>& ready) const
{
    const ULONGLONG deadline = ::GetTickCount64() + kInstanceBoundMs;
    for (;;) {
        std::optional<stub::StubRecord> record = readRecordNow(app_.recordPath());
        const bool ended = !first_ || first_->waitForExit(0).has_value();
        if ((record && ready(*record)) || ended || ::GetTickCount64() > deadline) {
            return record ? *record : stub::readStubRecord(app_.recordPath());
        }
        ::Sleep(20);
    }
}

}  // namespace velmar::e2e
