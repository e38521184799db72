#include "instance/single_instance.h"

#include "config/ini_file.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "core/launcher.h"
#include "instance/argument_block.h"

#include <algorithm>
#include <cstddef>

namespace velmar {

namespace {

constexpr wchar_t kMainStartedSuffix[] = L"_upr_evt";
// Names of this build's own: older builds never open them.
constexpr wchar_t kWriterMutexSuffix[] = L"_arg_mtx";
constexpr wchar_t kArgumentsTakenSuffix[] = L"_arg_taken";

// A later start that opens the block just after the first instance made it
// finds the listener's address within moments; a first instance that never
// gets that far lets it go on after this long.
constexpr DWORD kListenerWaitMs = 5000;
// How long a writer keeps the block for itself, waiting to hear that its
// arguments have been taken. A first instance of an older build never says
// so; its starts then behave as they always did.
constexpr DWORD kTakenWaitMs = 5000;
// A writer waits its turn behind every start queued before it, each of
// which holds the block for one hand-over.
constexpr DWORD kWriterTurnWaitMs = 30000;
// How often a later start looks at the first instance while it waits.
constexpr DWORD kOwnerPollMs = 100;

// The three address fields are read by another process while they are
// being written: whole 32-bit accesses with a barrier, never torn or cached.
volatile LONG* sharedField(InstanceArea* area, size_t offset)
{
    return reinterpret_cast<volatile LONG*>(reinterpret_cast<char*>(area) + offset);
}

uint32_t readShared(InstanceArea* area, size_t offset)
{
    return static_cast<uint32_t>(::InterlockedCompareExchange(sharedField(area, offset), 0, 0));
}

void publish(InstanceArea* area, size_t offset, uint32_t value)
{
    ::InterlockedExchange(sharedField(area, offset), static_cast<LONG>(value));
}

bool deadlinePassed(ULONGLONG deadline)
{
    return ::GetTickCount64() >= deadline;
}

DWORD millisecondsLeft(ULONGLONG deadline)
{
    const ULONGLONG now = ::GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

bool hasEnded(HANDLE process)
{
    return process != nullptr && ::WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

// The thread's message queue exists from here on, so that answers posted to
// it are not refused.
void ensureMessageQueue()
{
    MSG message;
    ::PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
}

bool openInstanceBlock(Launcher& launcher, const std::wstring& name)
{
    ::SetLastError(ERROR_SUCCESS);
    launcher.instanceMapping.reset(::CreateFileMappingW(
        INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(InstanceArea), name.c_str()));
    if (!launcher.instanceMapping) {
        return false;
    }
    launcher.isPrimaryInstance = ::GetLastError() == ERROR_SUCCESS;
    launcher.instanceBlock = static_cast<InstanceArea*>(::MapViewOfFile(
        launcher.instanceMapping.get(), FILE_MAP_WRITE, 0, 0, sizeof(InstanceArea)));
    return launcher.instanceBlock != nullptr;
}

// The address fields are written in the order later starts rely on:
// message, process, then the listener's thread id by the thread creation.
bool becomePrimary(Launcher& launcher, const std::wstring& name)
{
    launcher.mainStartedEvent.reset(
        ::CreateEventW(nullptr, TRUE, FALSE, (name + kMainStartedSuffix).c_str()));
    const UINT request = ::RegisterWindowMessageW(name.c_str());
    if (request == 0) {
        return false;
    }
    launcher.argumentsTakenMessage = ::RegisterWindowMessageW((name + kArgumentsTakenSuffix).c_str());
    InstanceArea* area = launcher.instanceBlock;
    publish(area, offsetof(InstanceArea, requestMessage), request);
    publish(area, offsetof(InstanceArea, ownerProcessId), ::GetCurrentProcessId());
    auto* listenerId = const_cast<LPDWORD>(reinterpret_cast<volatile DWORD*>(
        sharedField(area, offsetof(InstanceArea, listenerThreadId))));
    launcher.instanceListener.reset(
        ::CreateThread(nullptr, 0, listenerThreadMain, &launcher, 0, listenerId));
    return static_cast<bool>(launcher.instanceListener);
}

struct ListenerAddress {
    DWORD threadId = 0;
    DWORD processId = 0;
    UINT message = 0;
};

// The address once all three fields are set; zeros after the wait.
ListenerAddress awaitListenerAddress(InstanceArea* area, ULONGLONG deadline)
{
    for (;;) {
        const ListenerAddress address{readShared(area, offsetof(InstanceArea, listenerThreadId)),
                                      readShared(area, offsetof(InstanceArea, ownerProcessId)),
                                      readShared(area, offsetof(InstanceArea, requestMessage))};
        if ((address.threadId != 0 && address.processId != 0 && address.message != 0)
            || deadlinePassed(deadline)) {
            return address;
        }
        ::Sleep(1);
    }
}

// The listener's thread id is written before the thread has a message
// queue, and a post to a thread without one fails: try again for a while.
bool postRequest(const ListenerAddress& address, HANDLE owner, ULONGLONG deadline)
{
    for (;;) {
        if (::PostThreadMessageW(address.threadId, address.message, ::GetCurrentThreadId(), 0)) {
            return true;
        }
        if (::GetLastError() != ERROR_INVALID_THREAD_ID || deadlinePassed(deadline)
            || hasEnded(owner)) {
            return false;
        }
        ::Sleep(1);
    }
}

// Holds the writers' mutex of an installation; an abandoned mutex is held
// as well, since its owner's arguments are no longer in its way.
class WriterTurn {
public:
    explicit WriterTurn(const std::wstring& name)
        : mutex_(::CreateMutexW(nullptr, FALSE, (name + kWriterMutexSuffix).c_str()))
    {
        if (mutex_) {
            const DWORD wait = ::WaitForSingleObject(mutex_.get(), kWriterTurnWaitMs);
            held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        }
    }
    ~WriterTurn()
    {
        if (held_) {
            ::ReleaseMutex(mutex_.get());
        }
    }
    WriterTurn(const WriterTurn&) = delete;
    WriterTurn& operator=(const WriterTurn&) = delete;

    bool held() const noexcept { return held_; }

private:
    UniqueHandle mutex_;
    bool held_ = false;
};

// Until the first instance says it has copied the arguments, or answers
// (which an older build does only after reading them), or ends, or the
// wait is over. The answer stays queued for the wait for it.
void awaitArgumentsTaken(const Launcher& launcher, UINT answer)
{
    const UINT taken = launcher.argumentsTakenMessage;
    HANDLE owner = launcher.instanceOwner.get();
    const ULONGLONG deadline = ::GetTickCount64() + kTakenWaitMs;
    MSG message;
    while (taken != 0 && !::PeekMessageW(&message, nullptr, taken, taken, PM_REMOVE)) {
        if (::PeekMessageW(&message, nullptr, answer, answer, PM_NOREMOVE) || deadlinePassed(deadline)
            || hasEnded(owner)) {
            return;
        }
        const DWORD slice = std::min(millisecondsLeft(deadline), kOwnerPollMs);
        ::MsgWaitForMultipleObjects(owner != nullptr ? 1 : 0, &owner, FALSE, slice, QS_POSTMESSAGE);
    }
}

bool forwardArguments(Launcher& launcher, const std::wstring& name)
{
    if (argumentBlockSize(launcher.arguments) > kArgumentBlockLimit) {
        return false;
    }
    const ListenerAddress address =
        awaitListenerAddress(launcher.instanceBlock, ::GetTickCount64() + kListenerWaitMs);
    if (address.threadId == 0 || address.processId == 0 || address.message == 0) {
        return false;
    }
    launcher.instanceOwner.reset(
        ::OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, address.processId));
    launcher.argumentsTakenMessage = ::RegisterWindowMessageW((name + kArgumentsTakenSuffix).c_str());
    ensureMessageQueue();

    WriterTurn turn(name);
    if (!turn.held()) {
        return false;
    }
    writeArgumentBlock(*launcher.instanceBlock, launcher.arguments);
    if (!postRequest(address, launcher.instanceOwner.get(), ::GetTickCount64() + kListenerWaitMs)) {
        return false;
    }
    awaitArgumentsTaken(launcher, address.message);
    return true;
}

}  // namespace

std::wstring instanceNameFor(std::wstring_view programPath)
{
    std::wstring name(programPath);
    std::replace(name.begin(), name.end(), L'\\', L'_');
    return name;
}

bool setupSingleInstance(Launcher& launcher)
{
    const LayeredIniFile* ini = launcherSettings(launcher);
    if (ini == nullptr) {
        return false;
    }
    const LayeredIniFile& settings = *ini;
    if (settingIs(settings, kApplicationTypeKey, L"service")) {
        return true;
    }
    launcher.singleInstance = settingIs(settings, kSingleInstanceKey, L"yes");
    if (!launcher.singleInstance) {
        return true;
    }
    const std::optional<std::wstring> programPath = modulePath();
    const std::wstring name = programPath ? instanceNameFor(*programPath) : std::wstring();
    if (name.empty() || !openInstanceBlock(launcher, name)) {
        launcher.singleInstance = false;
        return true;
    }
    if (launcher.isPrimaryInstance) {
        // Without a listener the launch goes on alone; the block stays, so
        // later starts find it and fail rather than start a second copy.
        launcher.singleInstance = becomePrimary(launcher, name);
        return true;
    }
    return forwardArguments(launcher, name);
}

DWORD waitForPrimaryInstance(Launcher& launcher)
{
    HANDLE owner = launcher.instanceOwner.get();
    if (owner == nullptr) {
        return 0;
    }
    const UINT answer = launcher.instanceBlock->requestMessage;
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == answer) {
                return static_cast<DWORD>(message.wParam);
            }
        }
        DWORD exitCode = STILL_ACTIVE;
        if (!::GetExitCodeProcess(owner, &exitCode)) {
            return kFailureExitCode;
        }
        // A process may end with the code STILL_ACTIVE stands for.
        if (exitCode != STILL_ACTIVE || hasEnded(owner)) {
            return exitCode;
        }
        ::MsgWaitForMultipleObjects(1, &owner, FALSE, kOwnerPollMs, QS_POSTMESSAGE);
    }
}

}  // namespace velmar
