// The JDK 1.1 initialisation arguments of the JNI invocation interface.
// Current jni.h files no longer declare them, but runtimes still answer
// JNI_GetDefaultJavaVMInitArgs for version 1.1 with this layout, and it is
// the one way to learn their default Java thread stack size.
#pragma once

#include <jni.h>

#include <cstdarg>
#include <cstdio>

namespace velmar {

struct JDK1_1InitArgs {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
    jint minHeapSize;
    jint maxHeapSize;
    jint verifyMode;
    char* classpath;
    jint(JNICALL* vfprintf)(FILE* stream, const char* format, va_list arguments);
    void(JNICALL* exit)(jint code);
    void(JNICALL* abort)();
    jint enableClassGC;
    jint enableVerboseGC;
    jint disableAsyncGC;
    jint verbose;
    jboolean debugging;
    jint debugPort;
};

}  // namespace velmar
