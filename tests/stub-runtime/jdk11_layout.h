// The JDK 1.1 init-arguments layout, which jni.h no longer carries. The stub
// keeps its own copy rather than the launcher's, so a mistake in the
// launcher's layout shows up as a mismatch instead of agreeing with itself.
#pragma once

#include <jni.h>

#include <cstdarg>
#include <cstdio>

namespace stub {

struct Jdk11InitArgs {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
    jint minHeapSize;
    jint maxHeapSize;
    jint verifyMode;
    char* classpath;
    jint(JNICALL* vfprintf)(FILE*, const char*, va_list);
    void(JNICALL* exit)(jint);
    void(JNICALL* abort)(void);
    jint enableClassGC;
    jint enableVerboseGC;
    jint disableAsyncGC;
    jint verbose;
    jboolean debugging;
    jint debugPort;
};

}  // namespace stub
