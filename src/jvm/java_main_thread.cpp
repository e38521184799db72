#include "jvm/java_main_thread.h"

#include "core/launcher.h"
#include "jvm/application_end.h"
#include "jvm/java_strings.h"
#include "jvm/jdk11_init_args.h"
#include "jvm/jvm_library.h"
#include "jvm/uncaught_exception.h"
#include "resources/resource.h"
#include "support/boundary_guard.h"
#include "support/messages.h"

#include <algorithm>

namespace velmar {

namespace {

constexpr const char* kMainSignature = "([Ljava/lang/String;)V";
constexpr const char* kMainWithoutArgumentsSignature = "()V";
constexpr const char* kCheckAndLoadMainSignature = "(ZILjava/lang/String;)Ljava/lang/Class;";
// checkAndLoadMain modes: the name is a class, or a module with its class
// ("module" or "module/class"). The helper takes 2 for a jar file.
constexpr jint kLaunchModeClass = 1;
constexpr jint kLaunchModeModule = 3;

size_t defaultJavaStackSize(const Launcher& launcher)
{
    JDK1_1InitArgs args{};
    args.version = JNI_VERSION_1_1;
    launcher.getDefaultInitArgs(&args);
    return args.javaStackSize > 0 ? static_cast<size_t>(args.javaStackSize) : 0;
}

void clearPendingException(JNIEnv* env)
{
    if (env->ExceptionCheck()) {
        env->ExceptionClear();
    }
}

// The class as the INI file names it, with dots: how the packager wrote
// it, and how the launcher helper takes it.
std::wstring dottedName(const std::wstring& slashName)
{
    std::wstring dotted = slashName;
    std::replace(dotted.begin(), dotted.end(), L'/', L'.');
    return dotted;
}

// Message 211: the class and the headlines of the exception that kept it
// from being initialised (printed and cleared by then; may be null).
void reportMainClassNotLoaded(const Launcher& launcher, JNIEnv* env, jthrowable thrown)
{
    std::wstring detail = dottedName(launcher.mainClass);
    if (thrown != nullptr) {
        const std::wstring headlines = exceptionHeadlines(CaptureStackTrace(env, thrown));
        detail += headlines.empty() ? L"" : L"\n" + headlines;
    }
    ReportOneString(launcher.errors.owner(), IDS_MAIN_CLASS_NOT_LOADED, detail);
}

// Told after the runtime has printed why. FindClass initialises the class:
// one that is not there leaves NoClassDefFoundError (message 215), one
// whose static initializer failed leaves ExceptionInInitializerError.
void reportUnloadedMainClass(const Launcher& launcher, JNIEnv* env)
{
    LocalRef<jthrowable> thrown(env, env->ExceptionOccurred());
    describePendingException(env);
    if (thrown && isInstanceOfClass(env, thrown.get(), "java/lang/NoClassDefFoundError")) {
        const std::wstring text =
            FormatMessageText(LoadMessage(IDS_MAIN_CLASS_NOT_FOUND), {dottedName(launcher.mainClass)});
        launcher.errors.show(text + launcher.classPathNote);
        return;
    }
    reportMainClassNotLoaded(launcher, env, thrown.get());
}

// The class itself, found and initialised by the class path's loader.
// Loading it here first keeps the launcher helper, which ends the VM over
// a class it cannot load, from ever being asked for one.
jclass findMainClass(const Launcher& launcher, JNIEnv* env)
{
    jclass loaded = findClassNamed(env, launcher.mainClass);
    if (loaded == nullptr) {
        reportUnloadedMainClass(launcher, env);
    }
    return loaded;
}

// The class as the runtime's own launcher helper loads and checks it; null
// when the runtime has no helper. A helper that rejects the class ends the
// VM through System.exit, which the watch turns into a message.
jclass loadThroughLauncherHelper(const Launcher& launcher, JNIEnv* env, jint mode, const std::wstring& what)
{
    if (launcher.findBootClass == nullptr) {
        return nullptr;
    }
    LocalRef<jclass> helper(env, launcher.findBootClass(env, "sun/launcher/LauncherHelper"));
    jmethodID check = helper ? env->GetStaticMethodID(helper.get(), "checkAndLoadMain",
                                                      kCheckAndLoadMainSignature)
                             : nullptr;
    if (check == nullptr) {
        clearPendingException(env);
        return nullptr;
    }
    LocalRef<jstring> name(env, newJavaString(env, what));
    if (!name) {
        clearPendingException(env);
        return nullptr;
    }
    LauncherHelperWatch watch(launcher);
    LocalRef<jclass> loaded(env, static_cast<jclass>(env->CallStaticObjectMethod(
                                     helper.get(), check, JNI_TRUE, mode, name.get())));
    if (describePendingException(env)) {
        return nullptr;
    }
    return loaded.release();
}

// The class's name in slash form, as Class.getName gives it; empty when
// the runtime cannot say.
std::wstring slashNameOf(JNIEnv* env, jclass cls)
{
    LocalRef<jclass> classClass(env, env->GetObjectClass(cls));
    jmethodID getName = classClass ? env->GetMethodID(classClass.get(), "getName", "()Ljava/lang/String;")
                                   : nullptr;
    LocalRef<jstring> name(env, getName ? static_cast<jstring>(env->CallObjectMethod(cls, getName)) : nullptr);
    std::optional<std::wstring> text = name ? textOf(env, name.get()) : std::nullopt;
    clearPendingException(env);
    std::wstring slashName = text.value_or(L"");
    std::replace(slashName.begin(), slashName.end(), L'.', L'/');
    return slashName;
}

// A module is launched through the helper alone: only it knows the module
// layer and a module's own main class. Later starts look the class up by
// its name, so the name the runtime loaded is kept.
jclass loadMainModule(Launcher& launcher, JNIEnv* env)
{
    jclass loaded = loadThroughLauncherHelper(launcher, env, kLaunchModeModule, launcher.settings.mainModule);
    if (loaded == nullptr) {
        ReportOneString(launcher.errors.owner(), IDS_MAIN_CLASS_NOT_FOUND, launcher.settings.mainModule);
        return nullptr;
    }
    if (launcher.mainClass.empty()) {
        launcher.mainClass = slashNameOf(env, loaded);
    }
    return loaded;
}

// The class main is called on: in module mode the helper's; otherwise the
// class path's class, or the one the helper answered with, which may be a
// class of its own that runs the one named.
jclass loadApplicationClass(Launcher& launcher, JNIEnv* env)
{
    if (!launcher.settings.mainModule.empty()) {
        return loadMainModule(launcher, env);
    }
    LocalRef<jclass> found(env, findMainClass(launcher, env));
    if (!found) {
        return nullptr;
    }
    jclass checked = loadThroughLauncherHelper(launcher, env, kLaunchModeClass, dottedName(launcher.mainClass));
    return checked != nullptr ? checked : found.release();
}

// How main is called. An instance main needs an object of the class, made
// with its no-argument constructor.
struct EntryPoint {
    jmethodID method = nullptr;
    jmethodID constructor = nullptr;  // null for a static main
    bool takesArguments = true;
};

enum class Lookup { found, missing, failed };

// After a method lookup that found nothing: true when the pending exception
// only says so (NoSuchMethodError), and it is cleared. Anything else, such
// as a static initializer that threw, is left pending.
bool clearNoSuchMethod(JNIEnv* env)
{
    LocalRef<jthrowable> thrown(env, env->ExceptionOccurred());
    if (!thrown) {
        return true;
    }
    env->ExceptionClear();
    if (isInstanceOfClass(env, thrown.get(), "java/lang/NoSuchMethodError")) {
        return true;
    }
    env->Throw(thrown.get());
    return false;
}

// One lookup of a method; `found` false with nothing pending when there is
// no such method.
Lookup lookUp(JNIEnv* env, jclass cls, const char* name, const char* signature, bool isStatic,
              jmethodID& found)
{
    found = isStatic ? env->GetStaticMethodID(cls, name, signature)
                     : env->GetMethodID(cls, name, signature);
    if (found != nullptr) {
        return Lookup::found;
    }
    return clearNoSuchMethod(env) ? Lookup::missing : Lookup::failed;
}

// The entry point the Java 25 launcher chooses: main(String[]) before
// main(), each static or not; main(String[]) static is what every older
// runtime knows.
Lookup findEntryPoint(JNIEnv* env, jclass cls, EntryPoint& entry)
{
    for (const char* signature : {kMainSignature, kMainWithoutArgumentsSignature}) {
        entry = EntryPoint{.takesArguments = signature == kMainSignature};
        for (bool isStatic : {true, false}) {
            Lookup lookup = lookUp(env, cls, "main", signature, isStatic, entry.method);
            if (lookup == Lookup::found && !isStatic) {
                lookup = lookUp(env, cls, "<init>", "()V", false, entry.constructor);
            }
            if (lookup != Lookup::missing) {
                return lookup;
            }
        }
    }
    return Lookup::missing;
}

// Calls main; an exception from the constructor or from main is left
// pending, as one from a static main is.
void callEntryPoint(JNIEnv* env, jclass cls, const EntryPoint& entry, jobjectArray arguments)
{
    if (entry.constructor == nullptr) {
        entry.takesArguments ? env->CallStaticVoidMethod(cls, entry.method, arguments)
                             : env->CallStaticVoidMethod(cls, entry.method);
        return;
    }
    LocalRef<jobject> instance(env, env->NewObject(cls, entry.constructor));
    if (!instance) {
        return;
    }
    entry.takesArguments ? env->CallVoidMethod(instance.get(), entry.method, arguments)
                         : env->CallVoidMethod(instance.get(), entry.method);
}

// Everything up to the end of main; the local references are gone when it
// returns, before the thread detaches.
LaunchResult runMain(Launcher& launcher, JNIEnv* env)
{
    LocalRef<jclass> loaded(env, loadApplicationClass(launcher, env));
    if (!loaded) {
        return LaunchResult::failed;
    }
    jclass mainClass = loaded.get();
    EntryPoint entry;
    switch (findEntryPoint(env, mainClass, entry)) {
    case Lookup::found:
        break;
    case Lookup::missing:
        launcher.errors.show(IDS_NO_MAIN_METHOD);
        return LaunchResult::failed;
    case Lookup::failed: {
        // The class the helper answered with could not be initialised.
        LocalRef<jthrowable> thrown(env, env->ExceptionOccurred());
        describePendingException(env);
        reportMainClassNotLoaded(launcher, env, thrown.get());
        return LaunchResult::failed;
    }
    }
    LocalRef<jobjectArray> arguments(env, newJavaStringArray(env, launcher.arguments));
    if (!arguments) {
        describePendingException(env);
        return LaunchResult::failed;
    }
    if (launcher.instance.mainStartedEvent) {
        ::SetEvent(launcher.instance.mainStartedEvent.get());
    }
    callEntryPoint(env, mainClass, entry, arguments.get());
    // Left pending: the runtime reports it as uncaught when the thread
    // detaches.
    LocalRef<jthrowable> thrown(env, env->ExceptionOccurred());
    if (!thrown) {
        return LaunchResult::mainReturned;
    }
    launcher.splash.closeNative();
    if (launcher.settings.failureCheck) {
        handleUncaughtException(env, thrown.get());
    }
    return LaunchResult::mainThrew;
}

DWORD WINAPI javaMainThreadEntry(LPVOID parameter)
{
    auto* launcher = static_cast<Launcher*>(parameter);
    return guarded(kFailureExitCode, [launcher] { return JavaMainThread(launcher); },
                   launcher->errors.box());
}

}  // namespace

LaunchResult LaunchMain(Launcher& launcher)
{
    // The thread that created the VM is attached to it; the guard detaches
    // also after a failure or an exception, since the VM waits for ever, in
    // DestroyJavaVM, for a thread that ended without detaching.
    AttachedThread attached(launcher.vmLifetime.vm(), launcher.jniEnv);
    const LaunchResult result = runMain(launcher, attached.env());
    const bool mainRan = result != LaunchResult::failed;
    // The old IBM runtimes' Java main thread stays in the VM for good; the
    // process ends when the application calls System.exit.
    if (mainRan && launcher.runtime.ibmRuntimeChosen) {
        attached.keep();
        ::Sleep(INFINITE);
    }
    // A first instance serves later starts for as long as the application
    // runs, in whatever threads it left behind main.
    if (mainRan && launcher.instance.isPrimaryInstance && launcher.instance.singleInstance) {
        closeGateWhenApplicationEnds(launcher.vmLifetime, attached.env());
    }
    const bool detached = attached.detach();
    return detached ? result : LaunchResult::failed;
}

DWORD JavaMainThread(Launcher* launcher)
{
    if (launcher == nullptr || !CreateJvm(*launcher)) {
        return kLaunchFailed;
    }
    const LaunchResult result = LaunchMain(*launcher);
    if (result == LaunchResult::failed) {
        return kLaunchFailed;
    }
    // After an uncaught exception too: the application's other threads
    // finish first, as they do under java.exe.
    DestroyJvm(*launcher);
    return result == LaunchResult::mainThrew ? kMainThrew : kMainReturned;
}

DWORD StartJavaMainThread(Launcher& launcher)
{
    if (launcher.javaThreadStackSize == 0) {
        launcher.javaThreadStackSize = defaultJavaStackSize(launcher);
    }
    // As a reservation, the size is the whole stack, as -Xss means it; as a
    // commit size it would not shrink the image's default stack at all.
    UniqueHandle thread(::CreateThread(nullptr, launcher.javaThreadStackSize, javaMainThreadEntry,
                                       &launcher, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread) {
        return javaMainThreadEntry(&launcher);
    }
    ::WaitForSingleObject(thread.get(), INFINITE);
    DWORD exitCode = 1;
    ::GetExitCodeThread(thread.get(), &exitCode);
    return exitCode;
}

}  // namespace velmar
