// The first instance's side of a forwarded start: the listener takes each
// request and its arguments at once, and a worker per request hands them to
// the application's secondaryMain once main has started.
#include "instance/single_instance.h"

#include "core/launcher.h"
#include "instance/argument_block.h"
#include "instance/instance_protocol.h"
#include "jvm/java_strings.h"
#include "support/boundary_guard.h"
#include "support/text.h"

#include <memory>
#include <string>
#include <vector>

namespace velmar {

namespace {

constexpr const char* kVoidSignature = "([Ljava/lang/String;)V";
constexpr const char* kIntSignature = "([Ljava/lang/String;)I";

struct ForwardRequest {
    DWORD requesterThreadId = 0;
    Launcher* launcher = nullptr;
    // Copied when the request arrived, before the next start may write.
    std::vector<std::wstring> arguments;
};

void answer(const ForwardRequest& request, jint result)
{
    ::PostThreadMessageW(request.requesterThreadId, request.launcher->instance.block->requestMessage,
                         static_cast<WPARAM>(static_cast<LONG_PTR>(result)), 0);
}

// One of this build's messages (0 when it could not be registered).
void tell(DWORD requesterThreadId, UINT message)
{
    if (message != 0) {
        ::PostThreadMessageW(requesterThreadId, message, 0, 0);
    }
}

// secondaryMain(String[]), the void form before the int form; null with
// nothing pending when the class has neither.
jmethodID findSecondaryMain(JNIEnv* env, jclass cls, bool& intForm)
{
    intForm = false;
    jmethodID method = env->GetStaticMethodID(cls, "secondaryMain", kVoidSignature);
    if (method != nullptr) {
        return method;
    }
    if (env->ExceptionCheck()) {
        env->ExceptionClear();
    }
    intForm = true;
    method = env->GetStaticMethodID(cls, "secondaryMain", kIntSignature);
    if (method == nullptr) {
        describePendingException(env);
    }
    return method;
}

// Everything between attaching and detaching; the local references are
// gone when it returns. The void form is answered before the call, so that
// a long secondaryMain keeps no start waiting.
bool callSecondaryMain(const ForwardRequest& request, JNIEnv* env)
{
    LocalRef<jclass> cls(env, findClassNamed(env, request.launcher->mainClass));
    if (!cls) {
        describePendingException(env);
        return false;
    }
    bool intForm = false;
    jmethodID method = findSecondaryMain(env, cls.get(), intForm);
    const Trace& trace = request.launcher->trace;
    if (method == nullptr) {
        trace.line(L"instance", {"a later start not served: the main class has no secondaryMain"});
        return false;
    }
    if (trace.on()) {
        trace.line(L"instance", {intForm ? "secondaryMain (int form) gets " : "secondaryMain (void form) gets ",
                                 decimalText(static_cast<long long>(request.arguments.size())),
                                 " arguments of a later start"});
    }
    LocalRef<jobjectArray> arguments(env, newJavaStringArray(env, request.arguments));
    if (!arguments) {
        describePendingException(env);
        return false;
    }
    if (intForm) {
        answer(request, env->CallStaticIntMethod(cls.get(), method, arguments.get()));
    } else {
        answer(request, 0);
        env->CallStaticVoidMethod(cls.get(), method, arguments.get());
    }
    return !describePendingException(env);
}

// Waits for main to start or for the VM's gate to close, whichever comes
// first; true when main has started and the gate was open then.
bool awaitMain(const Launcher& launcher)
{
    const HANDLE events[] = {launcher.instance.mainStartedEvent.get(),
                             launcher.vmLifetime.closedEvent()};
    if (events[0] == nullptr) {
        return !launcher.vmLifetime.closed();
    }
    return ::WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0;
}

// A start that arrives once the application has begun to end is refused,
// and the later start runs the application itself once this one is gone.
bool serveForwardedStart(const ForwardRequest& request)
{
    Launcher& launcher = *request.launcher;
    const InstanceMessages& messages = launcher.instance.messages;
    AttachedThread attached = awaitMain(launcher) ? launcher.vmLifetime.attach() : AttachedThread();
    if (!attached) {
        launcher.trace.line(L"instance", {"a later start refused: the application is ending"});
        tell(request.requesterThreadId, messages.refused);
        return false;
    }
    // From here the VM cannot end before this thread detaches: the later
    // start waits as an older build's would, for the answer or the end.
    tell(request.requesterThreadId, messages.handed);
    // An IBM runtime keeps its threads attached, as the Java main thread
    // stays; every other runtime waits in DestroyJavaVM for a thread that
    // ended attached.
    if (launcher.runtime.ibmRuntimeChosen) {
        const bool served = callSecondaryMain(request, attached.env());
        attached.keep();
        return served;
    }
    return callSecondaryMain(request, attached.env());
}

DWORD WINAPI forwardWorkerMain(LPVOID parameter)
{
    std::unique_ptr<ForwardRequest> request(static_cast<ForwardRequest*>(parameter));
    return guarded(DWORD{1}, [&] { return serveForwardedStart(*request) ? DWORD{0} : DWORD{1}; },
                   request->launcher->errors.box());
}

// The arguments of a later start: in a mapping of their own when the block
// announces one for this requester, else in the block.
std::vector<std::wstring> takeArguments(const Launcher& launcher, DWORD requesterThreadId)
{
    InstanceArea& area = *launcher.instance.block;
    const uint32_t bytes = overflowAnnounced(area, requesterThreadId);
    clearOverflow(area);
    if (bytes == 0) {
        return readArgumentBlock(area);
    }
    const std::wstring name =
        instanceObjectName(launcher.instance.name, overflowMappingSuffix(requesterThreadId));
    UniqueHandle mapping(::OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str()));
    UniqueMappedView view(mapping ? ::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, bytes) : nullptr);
    if (!view) {
        return readArgumentBlock(area);
    }
    return readArgumentList(static_cast<const uint8_t*>(view.get()), bytes);
}

// Copies the arguments, tells the later start its block is free again, and
// leaves the rest to a worker of its own, which teardown waits for.
bool acceptRequest(Launcher& launcher, DWORD requesterThreadId)
{
    const InstanceMessages& messages = launcher.instance.messages;
    auto request = std::make_unique<ForwardRequest>(
        ForwardRequest{requesterThreadId, &launcher, takeArguments(launcher, requesterThreadId)});
    tell(requesterThreadId, messages.taken);
    if (launcher.vmLifetime.closed()) {
        tell(requesterThreadId, messages.refused);
        return false;
    }
    UniqueHandle worker(::CreateThread(nullptr, 0, forwardWorkerMain, request.get(), 0, nullptr));
    if (!worker) {
        tell(requesterThreadId, messages.refused);
        return false;
    }
    request.release();
    launcher.instance.addWorker(std::move(worker));
    return true;
}

void listen(Launcher& launcher)
{
    MSG message;
    // The queue exists from the start; later starts post to it.
    ::PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    const UINT request = launcher.instance.block->requestMessage;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == request) {
            const auto requester = static_cast<DWORD>(message.wParam);
            guarded(false, [&] { return acceptRequest(launcher, requester); },
                    launcher.errors.box());
        }
    }
}

}  // namespace

DWORD WINAPI listenerThreadMain(LPVOID parameter)
{
    auto& launcher = *static_cast<Launcher*>(parameter);
    return guarded(DWORD{1}, [&] {
        listen(launcher);
        return DWORD{0};
    }, launcher.errors.box());
}

}  // namespace velmar
