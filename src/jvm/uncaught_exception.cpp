#include "jvm/uncaught_exception.h"

#include "jvm/java_strings.h"
#include "support/messages.h"
#include "support/standard_streams.h"
#include "ui/exception_dialog.h"

#include <algorithm>

namespace velmar {

namespace {

constexpr jint kStopExitCode = -1;

// What a failed lookup or construction left pending is of no use to the
// user: the report goes on without it.
void clearPending(JNIEnv* env)
{
    if (env->ExceptionCheck()) {
        env->ExceptionClear();
    }
}

// The instance method of the object's own class; null when there is none.
jmethodID methodOf(JNIEnv* env, jobject object, const char* name, const char* signature)
{
    LocalRef<jclass> cls(env, env->GetObjectClass(object));
    return cls ? env->GetMethodID(cls.get(), name, signature) : nullptr;
}

// The bytes the buffer collected, as text; empty when that fails.
std::wstring bufferText(JNIEnv* env, jobject buffer)
{
    jmethodID toString = methodOf(env, buffer, "toString", "()Ljava/lang/String;");
    LocalRef<jstring> text(env, toString != nullptr ? static_cast<jstring>(
                                                         env->CallObjectMethod(buffer, toString))
                                                   : nullptr);
    describePendingException(env);
    if (!text) {
        return {};
    }
    std::optional<std::wstring> characters = textOf(env, text.get());
    clearPending(env);
    return characters.value_or(std::wstring());
}

}  // namespace

std::wstring CaptureStackTrace(JNIEnv* env, jthrowable throwable)
{
    LocalRef<jobject> buffer(env, newInstance(env, "java/io/ByteArrayOutputStream", "()V", nullptr));
    const jvalue target{.l = buffer.get()};
    LocalRef<jobject> stream(env, buffer ? newInstance(env, "java/io/PrintStream",
                                                       "(Ljava/io/OutputStream;)V", &target)
                                         : nullptr);
    jmethodID print = stream ? methodOf(env, throwable, "printStackTrace",
                                        "(Ljava/io/PrintStream;)V")
                             : nullptr;
    if (print == nullptr) {
        clearPending(env);
        return {};
    }
    env->CallVoidMethod(throwable, print, stream.get());
    describePendingException(env);
    return bufferText(env, buffer.get());
}

std::wstring exceptionHeadlines(std::wstring_view trace)
{
    std::wstring headlines;
    while (!trace.empty()) {
        const size_t end = std::min(trace.find(L'\n'), trace.size());
        std::wstring_view line = trace.substr(0, end);
        trace.remove_prefix(std::min(end + 1, trace.size()));
        if (!line.empty() && line.back() == L'\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == L'\t' || line.front() == L' ') {
            continue;
        }
        headlines += headlines.empty() ? L"" : L"\n";
        headlines += line;
    }
    return headlines;
}

bool AskUncaughtException(JNIEnv* env, jthrowable throwable)
{
    const std::wstring trace = CaptureStackTrace(env, throwable);
    if (trace.empty()) {
        return false;
    }
    // A console program shows the trace where a console's user looks and
    // stops, as the dialog's Stop does: nobody may be there to choose.
    if (isConsoleProgram()) {
        ShowErrorBox(nullptr, trace);
        return true;
    }
    ExceptionDialog dialog(trace);
    return dialog.askStop(::GetActiveWindow());
}

void ExitJava(JNIEnv* env)
{
    LocalRef<jclass> system(env, env->FindClass("java/lang/System"));
    jmethodID exit = system ? env->GetStaticMethodID(system.get(), "exit", "(I)V") : nullptr;
    if (exit == nullptr) {
        clearPending(env);
        return;
    }
    env->CallStaticVoidMethod(system.get(), exit, kStopExitCode);
    describePendingException(env);
}

void handleUncaughtException(JNIEnv* env, jthrowable throwable)
{
    env->ExceptionClear();
    if (AskUncaughtException(env, throwable)) {
        ExitJava(env);
    }
    env->Throw(throwable);
}

}  // namespace velmar
