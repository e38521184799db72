#include "jvm/application_end.h"

#include "jvm/java_strings.h"
#include "jvm/vm_lifetime.h"

namespace velmar {

namespace {

// How often the threads are counted while some still run.
constexpr DWORD kCountPollMs = 50;
// Threads started between counting and listing them.
constexpr jint kListSlack = 8;

// java.lang.Thread's view of the live threads: the ones a VM's destruction
// waits for are those that are not daemons.
class ThreadCensus {
public:
    explicit ThreadCensus(JNIEnv* env) : env_(env), threadClass_(env, env->FindClass("java/lang/Thread"))
    {
        if (threadClass_) {
            activeCount_ = env->GetStaticMethodID(threadClass_.get(), "activeCount", "()I");
            enumerate_ = activeCount_ ? env->GetStaticMethodID(threadClass_.get(), "enumerate",
                                                               "([Ljava/lang/Thread;)I")
                                      : nullptr;
            isDaemon_ = enumerate_ ? env->GetMethodID(threadClass_.get(), "isDaemon", "()Z") : nullptr;
        }
        clearPending();
    }

    explicit operator bool() const noexcept { return isDaemon_ != nullptr; }

    // The live non-daemon threads, the caller's included; -1 when they
    // could not be counted.
    jint nonDaemonThreads()
    {
        const jint active = env_->CallStaticIntMethod(threadClass_.get(), activeCount_);
        LocalRef<jobjectArray> threads(
            env_, clearPending() ? nullptr
                                 : env_->NewObjectArray(active + kListSlack, threadClass_.get(), nullptr));
        if (!threads) {
            clearPending();
            return -1;
        }
        const jint listed = env_->CallStaticIntMethod(threadClass_.get(), enumerate_, threads.get());
        jint counted = 0;
        for (jint i = 0; i < listed && !env_->ExceptionCheck(); ++i) {
            LocalRef<jobject> thread(env_, env_->GetObjectArrayElement(threads.get(), i));
            if (thread && !env_->CallBooleanMethod(thread.get(), isDaemon_)) {
                ++counted;
            }
        }
        return clearPending() ? -1 : counted;
    }

private:
    bool clearPending()
    {
        if (!env_->ExceptionCheck()) {
            return false;
        }
        env_->ExceptionClear();
        return true;
    }

    JNIEnv* env_;
    LocalRef<jclass> threadClass_;
    jmethodID activeCount_ = nullptr;
    jmethodID enumerate_ = nullptr;
    jmethodID isDaemon_ = nullptr;
};

void waitAndClose(VmLifetime& lifetime, JNIEnv* env)
{
    ThreadCensus census(env);
    // A runtime whose threads cannot be counted ends the serving now, as
    // the VM's destruction begins.
    if (!census) {
        lifetime.close();
        return;
    }
    while (!lifetime.closeIf([&] { return census.nonDaemonThreads() <= 1; })) {
        ::Sleep(kCountPollMs);
    }
}

}  // namespace

void closeGateWhenApplicationEnds(VmLifetime& lifetime, JNIEnv* env)
{
    // An exception main left is reported when the thread detaches; no
    // other call may be made while it is pending, so it waits aside.
    LocalRef<jthrowable> thrown(env, env->ExceptionOccurred());
    if (thrown) {
        env->ExceptionClear();
    }
    waitAndClose(lifetime, env);
    if (thrown) {
        env->Throw(thrown.get());
    }
}

}  // namespace velmar
