#include "jvm/stream_redirection.h"

#include "jvm/java_strings.h"
#include "support/file_system.h"
#include "support/text.h"

#include <windows.h>

namespace velmar {

namespace {

// A print stream over the file, not flushing on its own; null when the file
// stream or the print stream could not be made.
jobject openPrintStream(JNIEnv* env, const std::wstring& path, bool append)
{
    createFileDirectories(path);
    LocalRef<jstring> name(env, newJavaString(env, path));
    if (!name) {
        return nullptr;
    }
    jvalue fileArguments[2];
    fileArguments[0].l = name.get();
    fileArguments[1].z = append ? JNI_TRUE : JNI_FALSE;
    LocalRef<jobject> file(env,
                           newInstance(env, "java/io/FileOutputStream", "(Ljava/lang/String;Z)V", fileArguments));
    if (!file) {
        return nullptr;
    }
    jvalue printArguments[1];
    printArguments[0].l = file.get();
    return newInstance(env, "java/io/PrintStream", "(Ljava/io/OutputStream;)V", printArguments);
}

// System.setOut or System.setErr; the stream stays reachable through System.
bool installStream(JNIEnv* env, jobject stream, const char* target)
{
    LocalRef<jclass> systemClass(env, env->FindClass("java/lang/System"));
    if (!systemClass) {
        return false;
    }
    jmethodID setter = env->GetStaticMethodID(systemClass.get(), target, "(Ljava/io/PrintStream;)V");
    if (setter == nullptr) {
        return false;
    }
    env->CallStaticVoidMethod(systemClass.get(), setter, stream);
    return !describePendingException(env);
}

void reportFailure(JNIEnv* env)
{
    describePendingException(env);
}

}  // namespace

bool redirectStream(JNIEnv* env, const std::wstring& path, bool append, const char* target)
{
    LocalRef<jobject> stream(env, openPrintStream(env, path, append));
    return stream && installStream(env, stream.get(), target);
}

void redirectStandardStreams(JNIEnv* env, StreamFiles files)
{
    std::wstring& output = files.output;
    std::wstring& error = files.error;
    if (output.find(L'%') != std::wstring::npos || error.find(L'%') != std::wstring::npos) {
        SYSTEMTIME now{};
        ::GetLocalTime(&now);
        expandTimestamp(output, now);
        expandTimestamp(error, now);
    }
    // Two streams opened on one file would overwrite each other's bytes.
    // The file system ignores letter case as the ordinal comparison does.
    if (!output.empty() && !error.empty() &&
        equalsIgnoringCaseOrdinal(fullPathOf(output).value_or(output), fullPathOf(error).value_or(error))) {
        LocalRef<jobject> shared(env, openPrintStream(env, output, files.appendOutput));
        if (!shared) {
            reportFailure(env);
            return;
        }
        for (const char* target : {"setOut", "setErr"}) {
            if (!installStream(env, shared.get(), target)) {
                reportFailure(env);
            }
        }
        return;
    }
    if (!output.empty() && !redirectStream(env, output, files.appendOutput, "setOut")) {
        reportFailure(env);
    }
    if (!error.empty() && !redirectStream(env, error, files.appendError, "setErr")) {
        reportFailure(env);
    }
}

}  // namespace velmar
