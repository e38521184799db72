// The later start's side: it finds the first instance's listener, hands
// over its arguments (through the block, or a mapping of their own when
// they do not fit), and waits for the answer, for the first instance's
// end, or for word that it must run the application itself.
#include "instance/argument_block.h"
#include "instance/instance_protocol.h"

#include "core/launcher.h"
#include "resources/resource.h"
#include "support/foreground_right.h"
#include "support/messages.h"
#include "support/text.h"

#include <algorithm>
#include <cstring>

namespace velmar {

namespace {

constexpr wchar_t kWriterMutexSuffix[] = L"_arg_mtx";

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

bool deadlinePassed(ULONGLONG deadline)
{
    return ::GetTickCount64() >= deadline;
}

DWORD millisecondsLeft(ULONGLONG deadline)
{
    const ULONGLONG now = ::GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

// The thread's message queue exists from here on, so that answers posted to
// it are not refused.
void ensureMessageQueue()
{
    MSG message;
    ::PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
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
        : mutex_(::CreateMutexW(nullptr, FALSE, instanceObjectName(name, kWriterMutexSuffix).c_str()))
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

bool queued(UINT message)
{
    MSG peeked;
    return message != 0 && ::PeekMessageW(&peeked, nullptr, message, message, PM_NOREMOVE);
}

// Until the first instance says it has copied the arguments, or answers
// (which an older build does only after reading them), or refuses, or
// ends, or the wait is over. Answers stay queued for the wait for them.
void awaitArgumentsTaken(const InstanceState& instance, UINT answer)
{
    const UINT taken = instance.messages.taken;
    HANDLE owner = instance.owner.get();
    const ULONGLONG deadline = ::GetTickCount64() + kTakenWaitMs;
    MSG message;
    while (taken != 0 && !::PeekMessageW(&message, nullptr, taken, taken, PM_REMOVE)) {
        if (queued(answer) || queued(instance.messages.refused) || deadlinePassed(deadline)
            || hasEnded(owner)) {
            return;
        }
        const DWORD slice = std::min(millisecondsLeft(deadline), kOwnerPollMs);
        ::MsgWaitForMultipleObjects(owner != nullptr ? 1 : 0, &owner, FALSE, slice, QS_POSTMESSAGE);
    }
}

// Arguments beyond the block go into a mapping named after this thread,
// which lives until this start ends; the block announces it.
bool writeOverflow(InstanceState& instance, const std::wstring& name,
                   const std::vector<std::wstring>& arguments)
{
    const std::vector<uint8_t> bytes = encodeArgumentList(arguments);
    const DWORD requester = ::GetCurrentThreadId();
    instance.overflowMapping.reset(::CreateFileMappingW(
        INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, static_cast<DWORD>(bytes.size()),
        instanceObjectName(name, overflowMappingSuffix(requester)).c_str()));
    if (!instance.overflowMapping) {
        return false;
    }
    UniqueMappedView view(::MapViewOfFile(instance.overflowMapping.get(), FILE_MAP_WRITE, 0, 0, 0));
    if (!view) {
        return false;
    }
    std::memcpy(const_cast<void*>(view.get()), bytes.data(), bytes.size());
    announceOverflow(*instance.block, requester, static_cast<uint32_t>(bytes.size()));
    return true;
}

bool writeArguments(InstanceState& instance, const std::wstring& name,
                    const std::vector<std::wstring>& arguments)
{
    if (argumentBlockSize(arguments) <= kArgumentBlockLimit) {
        clearOverflow(*instance.block);
        return writeArgumentBlock(*instance.block, arguments);
    }
    // A first instance of an older build would read an empty list.
    return instance.ownerOfThisBuild && writeOverflow(instance, name, arguments);
}

Forwarding handOver(Launcher& launcher, const std::wstring& name, const ListenerAddress& address)
{
    InstanceState& instance = launcher.instance;
    WriterTurn turn(name);
    if (!turn.held() || !writeArguments(instance, name, launcher.arguments)) {
        return Forwarding::failed;
    }
    // Before the request: secondaryMain's toFront() must find the right there.
    passForegroundRight(address.processId, launcher.trace, L"instance");
    if (!postRequest(address, instance.owner.get(), ::GetTickCount64() + kListenerWaitMs)) {
        // A listener that is gone belongs to a first instance on its way
        // out: wait for it to end, then start as if it never was.
        if (instance.owner
            && ::WaitForSingleObject(instance.owner.get(), kListenerWaitMs) == WAIT_OBJECT_0) {
            return Forwarding::startAgain;
        }
        return Forwarding::failed;
    }
    awaitArgumentsTaken(instance, address.message);
    return Forwarding::handedOver;
}

}  // namespace

Forwarding forwardArguments(Launcher& launcher, const std::wstring& name)
{
    InstanceState& instance = launcher.instance;
    const ListenerAddress address =
        awaitListenerAddress(instance.block, ::GetTickCount64() + kListenerWaitMs);
    Forwarding forwarding = Forwarding::failed;
    if (address.threadId != 0 && address.processId != 0 && address.message != 0) {
        instance.owner.reset(
            ::OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, address.processId));
        if (!instance.owner || hasEnded(instance.owner.get())) {
            return Forwarding::startAgain;
        }
        instance.ownerOfThisBuild = servedByThisBuild(*instance.block);
        instance.messages = registerInstanceMessages(name);
        ensureMessageQueue();
        if (launcher.trace.on()) {
            launcher.trace.line(L"instance", {"a first instance runs as process ", decimalText(address.processId),
                                              ": handing over ",
                                              decimalText(static_cast<long long>(launcher.arguments.size())),
                                              " arguments"});
        }
        forwarding = handOver(launcher, name, address);
    }
    launcher.trace.line(L"instance", {forwarding == Forwarding::handedOver ? "handed over"
                                      : forwarding == Forwarding::startAgain
                                          ? "the first instance is ending: starting again"
                                          : "the arguments could not be handed over"});
    if (forwarding == Forwarding::failed) {
        ReportWindowsError(launcher.errors.owner(), IDS_WINDOWS_EXCEPTION,
                           LoadMessage(IDS_NOT_HANDED_OVER), ::GetLastError());
    }
    return forwarding;
}

std::optional<DWORD> waitForPrimaryInstance(Launcher& launcher)
{
    const InstanceState& instance = launcher.instance;
    HANDLE owner = instance.owner.get();
    if (owner == nullptr) {
        return 0;
    }
    const UINT answer = instance.block->requestMessage;
    const InstanceMessages& messages = instance.messages;
    bool handed = false;
    for (;;) {
        // Whether it has ended is read before the queue, so that an answer
        // posted just before its end is still seen.
        DWORD exitCode = STILL_ACTIVE;
        if (!::GetExitCodeProcess(owner, &exitCode)) {
            return kFailureExitCode;
        }
        // A process may end with the code STILL_ACTIVE stands for.
        const bool ended = exitCode != STILL_ACTIVE || hasEnded(owner);
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == answer) {
                launcher.trace.line(L"instance", {"the first instance answered"});
                return static_cast<DWORD>(message.wParam);
            }
            if (instance.ownerOfThisBuild && message.message == messages.refused) {
                launcher.trace.line(L"instance", {"refused, the application is ending: running it here"});
                return std::nullopt;
            }
            handed = handed || (message.message == messages.handed && messages.handed != 0);
        }
        if (ended) {
            // A first instance of this build that ended before its worker
            // took the arguments to secondaryMain never served them.
            if (instance.ownerOfThisBuild && !handed) {
                launcher.trace.line(L"instance", {"the first instance ended without serving: running it here"});
                return std::nullopt;
            }
            launcher.trace.line(L"instance", {"the first instance ended: its exit code is this start's"});
            return exitCode;
        }
        ::MsgWaitForMultipleObjects(1, &owner, FALSE, kOwnerPollMs, QS_POSTMESSAGE);
    }
}

}  // namespace velmar
