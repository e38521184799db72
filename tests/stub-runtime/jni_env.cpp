// The JNIEnv function table. Every function checks what a checking VM
// checks before doing anything: the env is live and used on its own
// thread, no exception is pending unless the function is allowed then, and
// every reference, class and method id is one this VM gave out. Slots the
// launcher has no business calling end the process loudly.
#include "jni_checks.h"

#include <cstdarg>
#include <cstring>
#include <utility>

namespace stub {
namespace {

ThreadEnv& checkEnv(JNIEnv* jni, std::string_view function, bool pendingAllowed)
{
    Vm& v = vm();
    std::string name(function);
    auto found = v.envs.find(jni);
    if (found == v.envs.end()) {
        failViolation(name + " with a JNIEnv this VM never gave out");
    }
    ThreadEnv& env = *found->second;
    if (v.destroyed || !env.attached) {
        failViolation(name + " with the JNIEnv of a detached thread or a destroyed VM");
    }
    if (env.threadId != ::GetCurrentThreadId()) {
        failViolation(name + " with the JNIEnv of thread " + std::to_string(env.threadId) + " on thread "
            + std::to_string(::GetCurrentThreadId()));
    }
    if (env.pending && !pendingAllowed) {
        std::string what = name + " with an exception pending (" + env.pending->cls->name + ")";
        if (v.pendingCallsFail) {
            failViolation(what);
        }
        record("warning", what);
    }
    return env;
}

jclass classRef(ThreadEnv& env, const ClassInfo* cls)
{
    return static_cast<jclass>(newRef(env, mirror(cls)));
}

jclass JNICALL findClass(JNIEnv* jni, const char* name)
{
    Checked c(jni, "FindClass");
    std::string text = name ? name : "null";
    recordCall("FindClass " + text);
    const ClassInfo* cls = findClassInfo(text);
    if (!cls || cls->bootOnly) {
        throwNew(c.env, "java/lang/NoClassDefFoundError", fromModifiedUtf8(text));
        return nullptr;
    }
    return initialise(c.env, cls) ? classRef(c.env, cls) : nullptr;
}

jclass JNICALL getObjectClass(JNIEnv* jni, jobject handle)
{
    Checked c(jni, "GetObjectClass");
    Object* object = typed(c, handle, "Ljava/lang/Object;");
    if (object->kind == Kind::CharArray || object->kind == Kind::ObjectArray) {
        failUnexpected("GetObjectClass of an array");
    }
    bool isMirror = object->kind == Kind::ClassMirror;
    return classRef(c.env, isMirror ? findClassInfo("java/lang/Class") : object->cls);
}

jmethodID lookupMethod(JNIEnv* jni, jclass cls, const char* name, const char* signature, bool isStatic)
{
    Checked c(jni, isStatic ? "GetStaticMethodID" : "GetMethodID");
    const ClassInfo* info = classOf(c, cls);
    if (!initialise(c.env, info)) {
        return nullptr;
    }
    const MethodInfo* method = name && signature ? findMethod(info, name, signature) : nullptr;
    if (!method || method->isStatic != isStatic) {
        throwNew(c.env, "java/lang/NoSuchMethodError", fromModifiedUtf8(name ? name : "null"));
        return nullptr;
    }
    return reinterpret_cast<jmethodID>(const_cast<MethodInfo*>(method));
}

jmethodID JNICALL getMethodId(JNIEnv* jni, jclass cls, const char* name, const char* signature)
{
    return lookupMethod(jni, cls, name, signature, false);
}

jmethodID JNICALL getStaticMethodId(JNIEnv* jni, jclass cls, const char* name, const char* signature)
{
    return lookupMethod(jni, cls, name, signature, true);
}

jint JNICALL throwObject(JNIEnv* jni, jthrowable handle)
{
    Checked c(jni, "Throw");
    c.env.pending = typed(c, handle, "Ljava/lang/Throwable;");
    return JNI_OK;
}

jboolean JNICALL isInstanceOf(JNIEnv* jni, jobject handle, jclass cls)
{
    Checked c(jni, "IsInstanceOf");
    const ClassInfo* wanted = classOf(c, cls);
    const Object* object = resolve(c, handle);
    return !object || (object->kind == Kind::Instance && isSubclass(object->cls, wanted)) ? JNI_TRUE : JNI_FALSE;
}

jthrowable JNICALL exceptionOccurred(JNIEnv* jni)
{
    Checked c(jni, "ExceptionOccurred", true);
    return static_cast<jthrowable>(newRef(c.env, c.env.pending));
}

void JNICALL exceptionDescribe(JNIEnv* jni)
{
    Checked c(jni, "ExceptionDescribe", true);
    recordCall("ExceptionDescribe");
    describePending(c.env, false);
}

void JNICALL exceptionClear(JNIEnv* jni)
{
    Checked c(jni, "ExceptionClear", true);
    c.env.pending = nullptr;
}

jboolean JNICALL exceptionCheck(JNIEnv* jni)
{
    Checked c(jni, "ExceptionCheck", true);
    return c.env.pending ? JNI_TRUE : JNI_FALSE;
}

void JNICALL deleteLocalRef(JNIEnv* jni, jobject handle)
{
    Checked c(jni, "DeleteLocalRef", true);
    if (handle) {
        checkRef(c, handle).deleted = true;
    }
}

template <size_t kSlot> void JNICALL unexpectedSlot()
{
    failUnexpected("JNIEnv slot " + std::to_string(kSlot));
}

// Arguments and results do not matter to a slot that never returns, so one
// parameterless trap per slot index fits every signature.
template <size_t... kSlots> void fillWithTraps(JNINativeInterface_& table, std::index_sequence<kSlots...>)
{
    void* traps[] = {reinterpret_cast<void*>(&unexpectedSlot<kSlots>)...};
    static_assert(sizeof traps == sizeof table);
    std::memcpy(&table, traps, sizeof table);
}

JNINativeInterface_ makeTable()
{
    JNINativeInterface_ table;
    fillWithTraps(table, std::make_index_sequence<sizeof(JNINativeInterface_) / sizeof(void*)>());
    table.FindClass = findClass;
    table.GetObjectClass = getObjectClass;
    table.GetMethodID = getMethodId;
    table.GetStaticMethodID = getStaticMethodId;
    table.Throw = throwObject;
    table.IsInstanceOf = isInstanceOf;
    table.ExceptionOccurred = exceptionOccurred;
    table.ExceptionDescribe = exceptionDescribe;
    table.ExceptionClear = exceptionClear;
    table.ExceptionCheck = exceptionCheck;
    table.DeleteLocalRef = deleteLocalRef;
    installCalls(table);
    installStringsAndArrays(table);
    return table;
}

}  // namespace

Checked::Checked(JNIEnv* jni, std::string_view function, bool pendingAllowed)
    : hold(vm().lock)
    , env(checkEnv(jni, function, pendingAllowed))
    , name(function)
{
}

jobject newRef(ThreadEnv& env, Object* object)
{
    if (!object) {
        return nullptr;
    }
    auto ref = std::make_unique<Ref>(Ref{object, &env});
    auto handle = reinterpret_cast<jobject>(ref.get());
    vm().refs.emplace(handle, std::move(ref));
    return handle;
}

Ref& checkRef(const Checked& c, jobject handle)
{
    auto found = vm().refs.find(handle);
    if (found == vm().refs.end()) {
        failViolation(c.name + " with a reference this VM never gave out");
    }
    Ref& ref = *found->second;
    if (ref.deleted) {
        failViolation(c.name + " with a deleted local reference");
    }
    if (ref.owner != &c.env) {
        failViolation(c.name + " with a local reference of another thread");
    }
    return ref;
}

Object* resolve(const Checked& c, jobject handle)
{
    return handle ? checkRef(c, handle).target : nullptr;
}

Object* typed(const Checked& c, jobject handle, std::string_view descriptor, bool nullAllowed)
{
    Object* object = resolve(c, handle);
    if ((!object && !nullAllowed) || !isInstance(object, descriptor)) {
        failViolation(c.name + ": argument is " + (object ? "not a " : "null, expected ") + std::string(descriptor));
    }
    return object;
}

const ClassInfo* classOf(const Checked& c, jclass handle)
{
    return typed(c, handle, "Ljava/lang/Class;")->cls;
}

jclass findBootClass(JNIEnv* jni, const char* name)
{
    Checked c(jni, "JVM_FindClassFromBootLoader");
    std::string text = name ? name : "null";
    recordCall("JVM_FindClassFromBootLoader " + text);
    const ClassInfo* cls = findClassInfo(text);
    bool bootClass = cls && !text.starts_with("stub/");
    return bootClass ? classRef(c.env, cls) : nullptr;  // no exception: the caller falls back
}

ThreadEnv& newThreadEnv(std::string name, bool daemon)
{
    static const JNINativeInterface_ table = makeTable();
    auto env = std::make_unique<ThreadEnv>();
    env->jni.functions = &table;
    env->threadId = ::GetCurrentThreadId();
    env->name = std::move(name);
    env->daemon = daemon;
    env->thread.reset(::OpenThread(SYNCHRONIZE, FALSE, env->threadId));
    ThreadEnv& result = *env;
    vm().envs.emplace(&result.jni, std::move(env));
    return result;
}

}  // namespace stub
