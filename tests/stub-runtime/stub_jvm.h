// Internals of the stub Java runtime: objects and references, the class
// table, the per-thread JNI environments, and the record the tests read.
// One VM per process; every piece of VM state sits behind one recursive
// lock, because "Java code" (method bodies) calls back into the same paths.
#pragma once

#include "support/handles.h"

#include <windows.h>

#include <jni.h>

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace stub {

// Process exit codes of a loud failure; chosen so no test mistakes them for
// an application's own exit code.
inline constexpr UINT kUnexpectedCallExit = 0x5757AB01;
inline constexpr UINT kViolationExit = 0x5757AB02;

enum class Kind { Instance, ClassMirror, CharArray, ObjectArray };

struct ClassInfo {
    const char* name;
    const char* superName;  // nullptr for java/lang/Object
    bool bootOnly;  // reachable only through JVM_FindClassFromBootLoader
    bool initializerThrows = false;  // its static initializer fails
};

// Fields are shared by all kinds; each class uses the few it needs.
struct Object {
    Kind kind = Kind::Instance;
    const ClassInfo* cls = nullptr;  // element class of an ObjectArray, described class of a mirror
    std::u16string chars;  // String, char[], Throwable message
    std::vector<Object*> elements;  // Object[]
    std::string bytes;  // ByteArrayOutputStream, Throwable frames
    velmar::UniqueFile ownFile;  // FileOutputStream opened by Java code
    HANDLE sink = nullptr;  // where a FileOutputStream writes
    Object* out = nullptr;  // the OutputStream under a PrintStream
    Object* cause = nullptr;  // Throwable
    bool daemon = false;  // Thread
};

struct ThreadEnv {
    JNIEnv_ jni{};
    DWORD threadId = 0;
    std::string name;
    bool daemon = false;
    bool attached = true;
    Object* pending = nullptr;
    velmar::UniqueHandle thread;  // tells DestroyJavaVM whether it still runs
};

struct Invocation;
struct Outcome {
    jint number = 0;
    Object* object = nullptr;
};
using MethodBody = Outcome (*)(Invocation&);

struct MethodInfo {
    const char* className;
    const char* name;
    const char* signature;
    bool isStatic;
    MethodBody body;
};

struct Invocation {
    ThreadEnv& env;
    const MethodInfo& method;
    Object* self;
    std::vector<jvalue> values;
    std::vector<Object*> objects;  // resolved reference arguments, by position
    jint number(size_t i) const { return values[i].i; }
    Object* object(size_t i) const { return objects[i]; }
};

struct Ref {
    Object* target;
    const ThreadEnv* owner;
    bool deleted = false;
};

// Characters handed out by GetStringUTFChars.
struct Pinned {
    const Object* source;
    std::string bytes;
};

struct Vm {
    std::recursive_mutex lock;
    bool created = false;
    bool destroying = false;  // DestroyJavaVM no longer waits for threads
    bool destroyed = false;
    bool pendingCallsFail = true;
    std::map<std::string, std::string> properties;
    void(JNICALL* exitHook)(jint) = nullptr;
    Object* systemOut = nullptr;
    Object* systemErr = nullptr;
    std::deque<Object> objects;
    std::map<const void*, std::unique_ptr<ThreadEnv>> envs;  // every env ever made
    std::map<const void*, std::unique_ptr<Ref>> refs;
    std::map<const ClassInfo*, Object*> mirrors;
    std::map<const ClassInfo*, bool> initialised;  // false: its initializer failed
    std::map<const void*, std::unique_ptr<Pinned>> pinned;
    std::vector<velmar::UniqueHandle> javaThreads;
};
Vm& vm();

// record_log.cpp
void record(std::string_view key, std::string_view value);
void recordCall(std::string_view text);
[[noreturn]] void failUnexpected(std::string_view what);
[[noreturn]] void failViolation(std::string_view what);
std::string hexBytes(std::string_view bytes);
std::string hexUnits(std::u16string_view units);
std::string utf8(std::u16string_view units);
std::u16string widen(std::string_view text, UINT codePage);
std::string modifiedUtf8(std::u16string_view units);
std::u16string fromModifiedUtf8(std::string_view bytes);

// classes.cpp
const ClassInfo* findClassInfo(std::string_view name);
const MethodInfo* findMethod(const ClassInfo* cls, std::string_view name, std::string_view signature);
const MethodInfo* methodFromId(jmethodID id);
// The main method a Java 25 launcher would call; null when there is none.
const MethodInfo* launchableMain(const ClassInfo* cls);
const ClassInfo* superOf(const ClassInfo* cls);
// Runs the class's static initializer on its first use, as HotSpot's
// FindClass and method lookups do; false with the error pending when the
// initializer fails, now or before.
bool initialise(ThreadEnv& env, const ClassInfo* cls);
bool isSubclass(const ClassInfo* cls, const ClassInfo* base);

// objects.cpp
bool isInstance(const Object* object, std::string_view descriptor);
Object* mirror(const ClassInfo* cls);
Object* newObject(const ClassInfo* cls, Kind kind = Kind::Instance);
Object* newString(std::u16string_view text);
Object* newPrintStream(HANDLE sink);
void throwNew(ThreadEnv& env, const char* className, std::u16string_view message, std::string frames = {});
void writeTo(Object* stream, std::string_view bytes);
void println(Object* printStream, std::u16string_view text);
std::string stackTrace(const Object* throwable);
// Prints the pending exception, by ExceptionDescribe or as uncaught at
// DetachCurrentThread, and clears it.
void describePending(ThreadEnv& env, bool uncaught);
[[noreturn]] void exitVm(jint code);

// jni_env.cpp
ThreadEnv& newThreadEnv(std::string name, bool daemon);
jclass findBootClass(JNIEnv* jni, const char* name);

// invocation.cpp
jint createJavaVm(JavaVM** pvm, void** penv, void* args);
jint defaultInitArgs(void* args);

}  // namespace stub
