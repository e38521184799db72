#include "jvm/java_main_thread.h"

#include "core/boundary_guard.h"
#include "core/launcher.h"
#include "core/messages.h"
#include "jvm/java_strings.h"
#include "jvm/jdk11_init_args.h"
#include "jvm/jvm_library.h"
#include "jvm/uncaught_exception.h"
#include "resources/resource.h"
#include "splash/splash.h"

#include <algorithm>

namespace velmar {

namespace {

constexpr const char* kMainSignature = "([Ljava/lang/String;)V";
constexpr const char* kCheckAndLoadMainSignature = "(ZILjava/lang/String;)Ljava/lang/Class;";
// checkAndLoadMain mode: the name is a class, not a jar file.
constexpr jint kLaunchModeClass = 1;

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

// Through the runtime's own launcher helper, which gives the better
// diagnostics; null when the runtime has none or it found nothing. No
// exception is left pending, since the fallback makes JNI calls.
jclass loadThroughLauncherHelper(const Launcher& launcher, JNIEnv* env)
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
    std::wstring dotted = launcher.mainClass;
    std::replace(dotted.begin(), dotted.end(), L'/', L'.');
    LocalRef<jstring> name(env, newJavaString(env, dotted));
    if (!name) {
        clearPendingException(env);
        return nullptr;
    }
    LocalRef<jclass> loaded(env, static_cast<jclass>(env->CallStaticObjectMethod(
                                     helper.get(), check, JNI_TRUE, kLaunchModeClass, name.get())));
    if (describePendingException(env)) {
        return nullptr;
    }
    return loaded.release();
}

jclass loadDirectly(const Launcher& launcher, JNIEnv* env)
{
    LocalRef<jstring> name(env, newJavaString(env, launcher.mainClass));
    if (!name) {
        describePendingException(env);
        ReportOneString(launcher.splashWindow, IDS_MAIN_CLASS_NOT_LOADED, launcher.mainClass);
        return nullptr;
    }
    const char* modifiedUtf8 = env->GetStringUTFChars(name.get(), nullptr);
    if (modifiedUtf8 == nullptr) {
        describePendingException(env);
        return nullptr;
    }
    jclass loaded = env->FindClass(modifiedUtf8);
    env->ReleaseStringUTFChars(name.get(), modifiedUtf8);
    if (loaded == nullptr) {
        describePendingException(env);
        ReportOneString(launcher.splashWindow, IDS_MAIN_CLASS_NOT_FOUND, launcher.mainClass);
    }
    return loaded;
}

// Everything up to the end of main; the local references are gone when it
// returns, before the thread detaches.
bool runMain(Launcher& launcher, JNIEnv* env)
{
    jclass loaded = loadThroughLauncherHelper(launcher, env);
    LocalRef<jclass> mainClass(env, loaded != nullptr ? loaded : loadDirectly(launcher, env));
    if (!mainClass) {
        return false;
    }
    jmethodID main = env->GetStaticMethodID(mainClass.get(), "main", kMainSignature);
    if (main == nullptr) {
        // A runtime reports the missing method as a pending NoSuchMethodError,
        // printed where no one of a GUI program looks: the user is told too.
        describePendingException(env);
        ShowErrorBox(launcher.splashWindow, IDS_NO_MAIN_METHOD);
        return false;
    }
    LocalRef<jobjectArray> arguments(env, newJavaStringArray(env, launcher.arguments));
    if (!arguments) {
        describePendingException(env);
        return false;
    }
    if (launcher.mainStartedEvent) {
        ::SetEvent(launcher.mainStartedEvent.get());
    }
    env->CallStaticVoidMethod(mainClass.get(), main, arguments.get());
    // Left pending: the runtime reports it as uncaught when the thread
    // detaches.
    LocalRef<jthrowable> thrown(env, env->ExceptionOccurred());
    if (thrown) {
        CloseNativeSplash(launcher);
        if (launcher.failureCheck) {
            AskUncaughtException(env, thrown.get());
        }
    }
    return true;
}

DWORD WINAPI javaMainThreadEntry(LPVOID parameter)
{
    auto* launcher = static_cast<Launcher*>(parameter);
    return guarded(kFailureExitCode, [launcher] { return JavaMainThread(launcher); },
                   ErrorBox{&launcher->splashWindow});
}

}  // namespace

bool LaunchMain(Launcher& launcher)
{
    if (!runMain(launcher, launcher.jniEnv)) {
        return false;
    }
    // With IBM runtimes the Java main thread stays in the VM for good; the
    // process ends when the application calls System.exit.
    if (launcher.ibmAccepted || launcher.ibmFavored) {
        ::Sleep(INFINITE);
    }
    return launcher.javaVm->DetachCurrentThread() == JNI_OK;
}

DWORD JavaMainThread(Launcher* launcher)
{
    if (launcher == nullptr || !CreateJvm(*launcher)) {
        return 1;
    }
    if (!LaunchMain(*launcher)) {
        return 1;
    }
    DestroyJvm(*launcher);
    return 0;
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
