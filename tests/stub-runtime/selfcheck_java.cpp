#include "selfcheck_java.h"

#include "jdk11_layout.h"

#include "support/handles.h"

#include <cstdio>
#include <string>

namespace velmar::stub {
namespace {

using ::stub::Jdk11InitArgs;

// Says on System.out which thread the runtime called it on.
void JNICALL exitHook(jint)
{
    const std::string text = "exit hook on thread " + std::to_string(::GetCurrentThreadId()) + "\r\n";
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}
void JNICALL abortHook() {}

// Through void*, because FARPROC claims a signature no entry point has.
template <typename Function> Function entryPoint(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

struct Child {
    const std::vector<std::string>& options;
    ChildBody body;
    HMODULE jvm;
};

DWORD WINAPI javaThread(void* parameter)
{
    const Child& child = *static_cast<const Child*>(parameter);
    std::vector<JavaVMOption> options;
    for (const std::string& text : child.options) {
        options.push_back({const_cast<char*>(text.c_str()), nullptr});
    }
    options.push_back({const_cast<char*>("abort"), reinterpret_cast<void*>(abortHook)});
    options.push_back({const_cast<char*>("exit"), reinterpret_cast<void*>(exitHook)});
    JavaVMInitArgs args{JNI_VERSION_1_2, static_cast<jint>(options.size()), options.data(), JNI_FALSE};
    auto create = entryPoint<jint(JNICALL*)(JavaVM**, void**, void*)>(child.jvm, "JNI_CreateJavaVM");
    Session session;
    session.findBootClass = entryPoint<FindBootClassFunction>(child.jvm, "JVM_FindClassFromBootLoader");
    jint result = create(&session.vm, reinterpret_cast<void**>(&session.env), &args);
    return result != JNI_OK ? static_cast<DWORD>(1000 - result) : static_cast<DWORD>(child.body(session));
}

// The launcher's way: the Java thread gets the stack size the runtime
// names as its default, and creates the VM itself.
}  // namespace

int runChild(const std::vector<std::string>& options, ChildBody body, const std::wstring& jvmPath)
{
    velmar::UniqueModule jvm(::LoadLibraryW(jvmPath.c_str()));
    auto defaults = entryPoint<jint(JNICALL*)(void*)>(jvm.get(), "JNI_GetDefaultJavaVMInitArgs");
    if (!defaults || !::GetProcAddress(jvm.get(), "JNI_CreateJavaVM")) {
        return 99;
    }
    Jdk11InitArgs oldArgs{};
    oldArgs.version = JNI_VERSION_1_1;
    defaults(&oldArgs);
    Child child{options, body, jvm.get()};
    velmar::UniqueHandle thread(::CreateThread(nullptr, oldArgs.javaStackSize, javaThread, &child, 0, nullptr));
    DWORD code = 98;
    ::WaitForSingleObject(thread.get(), INFINITE);
    ::GetExitCodeThread(thread.get(), &code);
    return static_cast<int>(code);
}

jstring javaString(JNIEnv* env, std::wstring_view text)
{
    jclass stringClass = env->FindClass("java/lang/String");
    jmethodID init = stringClass ? env->GetMethodID(stringClass, "<init>", "([C)V") : nullptr;
    jcharArray chars = init ? env->NewCharArray(static_cast<jsize>(text.size())) : nullptr;
    if (!chars) {
        return nullptr;
    }
    env->SetCharArrayRegion(chars, 0, static_cast<jsize>(text.size()), reinterpret_cast<const jchar*>(text.data()));
    auto string = env->ExceptionCheck() ? nullptr : static_cast<jstring>(env->NewObject(stringClass, init, chars));
    env->DeleteLocalRef(chars);
    return string;
}

jobjectArray javaArguments(JNIEnv* env, const std::vector<std::wstring>& values)
{
    jclass stringClass = env->FindClass("java/lang/String");
    jobjectArray array
        = stringClass ? env->NewObjectArray(static_cast<jsize>(values.size()), stringClass, nullptr) : nullptr;
    for (size_t i = 0; array && i < values.size(); ++i) {
        jstring value = javaString(env, values[i]);
        if (!value) {
            return nullptr;
        }
        env->SetObjectArrayElement(array, static_cast<jsize>(i), value);
        env->DeleteLocalRef(value);
    }
    return array;
}

bool callMain(JNIEnv* env, const char* className, const std::vector<std::wstring>& arguments)
{
    jclass cls = env->FindClass(className);
    jmethodID main = cls ? env->GetStaticMethodID(cls, "main", "([Ljava/lang/String;)V") : nullptr;
    jobjectArray array = main ? javaArguments(env, arguments) : nullptr;
    if (!array) {
        return false;
    }
    env->CallStaticVoidMethod(cls, main, array);
    return true;
}

std::string captureTrace(JNIEnv* env, jthrowable throwable)
{
    jclass bufferClass = env->FindClass("java/io/ByteArrayOutputStream");
    jobject buffer = env->NewObject(bufferClass, env->GetMethodID(bufferClass, "<init>", "()V"));
    jclass printClass = env->FindClass("java/io/PrintStream");
    jobject stream
        = env->NewObject(printClass, env->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;)V"), buffer);
    jmethodID print = env->GetMethodID(env->GetObjectClass(throwable), "printStackTrace", "(Ljava/io/PrintStream;)V");
    env->CallVoidMethod(throwable, print, stream);
    jmethodID toText = env->GetMethodID(env->GetObjectClass(buffer), "toString", "()Ljava/lang/String;");
    auto text = static_cast<jstring>(env->CallObjectMethod(buffer, toText));
    const char* chars = text ? env->GetStringUTFChars(text, nullptr) : nullptr;
    std::string result = chars ? chars : "";
    if (chars) {
        env->ReleaseStringUTFChars(text, chars);
    }
    return result;
}

bool redirect(JNIEnv* env, const std::wstring& path, const char* target)
{
    jstring name = javaString(env, path);
    jclass fileClass = env->FindClass("java/io/FileOutputStream");
    jmethodID fileInit = env->GetMethodID(fileClass, "<init>", "(Ljava/lang/String;Z)V");
    jobject file = env->NewObject(fileClass, fileInit, name, JNI_FALSE);
    if (!file) {
        return false;
    }
    jclass printClass = env->FindClass("java/io/PrintStream");
    jobject stream
        = env->NewObject(printClass, env->GetMethodID(printClass, "<init>", "(Ljava/io/OutputStream;)V"), file);
    jclass system = env->FindClass("java/lang/System");
    env->CallStaticVoidMethod(system, env->GetStaticMethodID(system, target, "(Ljava/io/PrintStream;)V"), stream);
    return !env->ExceptionCheck();
}

int finish(const Session& session)
{
    if (session.vm->DetachCurrentThread() != JNI_OK) {
        return 90;
    }
    return session.vm->DestroyJavaVM() == JNI_OK ? 0 : 91;
}

}  // namespace velmar::stub
