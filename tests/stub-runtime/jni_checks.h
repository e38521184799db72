// What the JNIEnv functions share: the checked entry into the VM and the
// checked reading of references, as a checking VM does them.
#pragma once

#include "stub_jvm.h"

namespace stub {

// Takes the VM lock for the whole call, then checks that the env is live
// and used on its own thread and, unless the function is one allowed then,
// that no exception is pending.
struct Checked {
    Checked(JNIEnv* jni, std::string_view function, bool pendingAllowed = false);
    std::unique_lock<std::recursive_mutex> hold;
    ThreadEnv& env;
    std::string name;
};

jobject newRef(ThreadEnv& env, Object* object);
Ref& checkRef(const Checked& c, jobject handle);
Object* resolve(const Checked& c, jobject handle);
// A reference argument of a declared type; null only where Java allows it.
Object* typed(const Checked& c, jobject handle, std::string_view descriptor, bool nullAllowed = false);
const ClassInfo* classOf(const Checked& c, jclass handle);

// jni_calls.cpp, jni_data.cpp
void installCalls(JNINativeInterface_& table);
void installStringsAndArrays(JNINativeInterface_& table);

}  // namespace stub
