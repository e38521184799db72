#include "jvm/jvm_library.h"

#include "core/launcher.h"
#include "jvm/option_encoding.h"
#include "jvm/stream_redirection.h"
#include "jvm/vm_output.h"
#include "resources/resource.h"
#include "runtime/jvm_location.h"
#include "support/library_export.h"
#include "support/messages.h"
#include "support/text.h"

#include <atomic>

namespace velmar {

namespace {

// The hooks take no context, so the one Java main thread publishes here
// the launch whose main class the launcher helper is checking.
std::atomic<const Launcher*> launchInHelper{nullptr};

// The runtime calls these on its way out, then goes on with its own exit
// and abort handling; only a rejection by the launcher helper is ours.
void JNICALL abortHook() {}

// The runtime ends the process after this hook; the trace, which the hook
// cannot reach, is opened again for its last line.
void JNICALL exitHook(jint code)
{
    if (const Launcher* launcher = launchInHelper.exchange(nullptr)) {
        traceExit(launcher->trace, kFailureExitCode, L"the runtime's launcher helper rejected the main class");
        // The launcher found a class path's class itself, so the helper can
        // only have missed its main; a module it may not have found at all.
        if (launcher->settings.mainModule.empty()) {
            launcher->errors.show(IDS_NO_MAIN_METHOD);
        } else {
            ReportOneString(launcher->errors.owner(), IDS_MAIN_CLASS_NOT_FOUND, launcher->settings.mainModule);
        }
        ::ExitProcess(kFailureExitCode);
    }
    traceExit(Trace::fromEnvironment(), static_cast<DWORD>(code), L"System.exit in the application");
}

// Each option on a line of its own, decoded as the VM decodes it.
void traceOptions(const Trace& trace, const std::vector<JavaVMOption>& options)
{
    const UINT codePage = vmOptionCodePage();
    for (const JavaVMOption& option : options) {
        trace.line(L"vm", {"option ", fromCodePage(option.optionString, codePage),
                           option.extraInfo != nullptr ? " (hook)" : ""});
    }
}

void reportMissingEntryPoint(const ErrorReporter& errors)
{
    DWORD error = ::GetLastError();
    ReportWindowsError(errors.owner(), IDS_WINDOWS_EXCEPTION,
                       LoadMessage(IDS_NO_CREATE_JAVA_VM), error);
}

// Message 222, and for a library the system calls no program for this
// process, what its header says it is when that is the other build's kind.
void reportUnloadableLibrary(const Launcher& launcher, const std::wstring& path, DWORD error)
{
    std::wstring text = FormatMessageText(LoadMessage(IDS_VM_LIBRARY_NOT_LOADED), {path, static_cast<long>(error)});
    if (error == ERROR_BAD_EXE_FORMAT) {
        if (const std::optional<WORD> machine = libraryMachine(path)) {
            const std::wstring advice = otherArchitectureAdvice(*machine, kThisBuild, launcher.runtime.localRuntimeChosen);
            if (!advice.empty()) {
                text += L"\n" + advice;
            }
        }
    }
    launcher.errors.show(text);
}

}  // namespace

bool BindJvmLibrary(Launcher& launcher, const std::wstring& path)
{
    // The runtime's bin folder is already where the DLLs it needs are
    // searched (prepareNativePaths).
    HMODULE library = ::LoadLibraryW(path.c_str());
    if (library == nullptr) {
        DWORD error = ::GetLastError();
        if (launcher.trace.on()) {
            launcher.trace.line(L"vm", {"LoadLibrary failed with error ", decimalText(error)});
        }
        reportUnloadableLibrary(launcher, path, error);
        return false;
    }
    launcher.createJavaVm = exportOf<CreateJavaVmFunction>(library, "JNI_CreateJavaVM");
    if (launcher.createJavaVm == nullptr) {
        reportMissingEntryPoint(launcher.errors);
        return false;
    }
    launcher.getDefaultInitArgs =
        exportOf<GetDefaultInitArgsFunction>(library, "JNI_GetDefaultJavaVMInitArgs");
    if (launcher.getDefaultInitArgs == nullptr) {
        reportMissingEntryPoint(launcher.errors);
        return false;
    }
    launcher.findBootClass = exportOf<FindBootClassFunction>(library, "JVM_FindClassFromBootLoader");
    return true;
}

std::vector<JavaVMOption> vmOptionsFor(std::vector<std::string>& jvmOptions)
{
    std::vector<JavaVMOption> options;
    options.reserve(jvmOptions.size() + 3);
    // The VM takes each hook when it reaches it in the list, and reports an
    // option it refuses at once: the printing hook must come before them.
    options.push_back({const_cast<char*>("vfprintf"), reinterpret_cast<void*>(&vmPrintHook)});
    for (std::string& option : jvmOptions) {
        options.push_back({option.data(), nullptr});
    }
    options.push_back({const_cast<char*>("abort"), reinterpret_cast<void*>(&abortHook)});
    options.push_back({const_cast<char*>("exit"), reinterpret_cast<void*>(&exitHook)});
    return options;
}

UINT creationFailureReason(jint result)
{
    switch (result) {
    case JNI_ERR:
        return IDS_REASON_UNKNOWN;
    case JNI_EDETACHED:
        return IDS_REASON_DETACHED;
    case JNI_EVERSION:
        return IDS_REASON_VERSION;
    case JNI_ENOMEM:
        return IDS_REASON_NO_MEMORY;
    case JNI_EEXIST:
        return IDS_REASON_VM_EXISTS;
    case JNI_EINVAL:
        return IDS_REASON_INVALID_ARGUMENTS;
    default:
        return 0;
    }
}

bool CreateJvm(Launcher& launcher)
{
    std::vector<JavaVMOption> options = vmOptionsFor(launcher.jvmOptions);
    JavaVMInitArgs args{};
    args.version = JNI_VERSION_1_2;
    args.nOptions = static_cast<jint>(options.size());
    args.options = options.data();
    args.ignoreUnrecognized = JNI_FALSE;
    void* env = nullptr;
    JavaVM* vm = nullptr;
    if (launcher.trace.on()) {
        traceOptions(launcher.trace, options);
    }
    jint result = JNI_OK;
    std::wstring reason;
    {
        // Only what the creation prints; afterwards the VM's output is the
        // application's, and standard error's alone.
        VmCreationOutput printed;
        result = launcher.createJavaVm(&vm, &env, &args);
        if (result != JNI_OK) {
            reason = printedReason(printed.text());
        }
    }
    if (result != JNI_OK) {
        if (launcher.trace.on()) {
            launcher.trace.line(L"vm", {"JNI_CreateJavaVM failed with ", decimalText(result)});
        }
        // What the VM said names the cause; the result code only its kind.
        if (reason.empty()) {
            const UINT id = creationFailureReason(result);
            reason = id != 0 ? LoadMessage(id) : std::wstring();
        }
        ReportTwoStrings(launcher.errors.owner(), IDS_JNI_EXCEPTION, LoadMessage(IDS_VM_NOT_CREATED), reason);
        return false;
    }
    launcher.jniEnv = static_cast<JNIEnv*>(env);
    launcher.vmLifetime.created(vm);
    redirectStandardStreams(launcher.jniEnv, launcher.streams);
    return true;
}

LauncherHelperWatch::LauncherHelperWatch(const Launcher& launcher) noexcept
{
    launchInHelper.store(&launcher);
}

LauncherHelperWatch::~LauncherHelperWatch()
{
    launchInHelper.store(nullptr);
}

void DestroyJvm(Launcher& launcher)
{
    if (JavaVM* vm = launcher.vmLifetime.close()) {
        vm->DestroyJavaVM();
    }
    launcher.jniEnv = nullptr;
}

}  // namespace velmar
