// The self-check's own small JNI client: the calls the launcher makes,
// written from the JNI side only, to drive the stub runtime in a child
// process.
#pragma once

#include <windows.h>

#include <jni.h>

#include <string>
#include <vector>

namespace velmar::stub {

using FindBootClassFunction = jclass(JNICALL*)(JNIEnv*, const char*);

struct Session {
    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    FindBootClassFunction findBootClass = nullptr;
};

using ChildBody = int (*)(const Session&);

// Loads jvm.dll, learns the default Java stack size, and on a thread of
// that size creates the VM with options plus the two hooks; then runs body.
// Returns body's result, or 1000 minus the creation result when it failed.
int runChild(const std::vector<std::string>& options, ChildBody body, const std::wstring& jvmPath);

// A Java string from UTF-16 through the char-array constructor.
jstring javaString(JNIEnv* env, std::wstring_view text);
jobjectArray javaArguments(JNIEnv* env, const std::vector<std::wstring>& values);
// FindClass, main, and the call; false when any step yields null.
bool callMain(JNIEnv* env, const char* className, const std::vector<std::wstring>& arguments);
// printStackTrace into a ByteArrayOutputStream, as text.
std::string captureTrace(JNIEnv* env, jthrowable throwable);
// System.setOut or System.setErr to a print stream over a new file stream.
bool redirect(JNIEnv* env, const std::wstring& path, const char* target);
// Detaches and destroys the VM; 0 when both succeed.
int finish(const Session& session);

}  // namespace velmar::stub
