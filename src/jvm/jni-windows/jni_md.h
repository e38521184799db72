/* Windows flavour of the machine-dependent JNI header.
   The JDK found on the build machine is a Linux one; its jni_md.h would give
   a 64-bit jint on x86-64 and no calling convention. On Windows jint is a
   32-bit long, jlong is 64 bits, and every JNI entry point is __stdcall,
   which matters on x86 where it changes the stack cleanup. */
#ifndef VELMAR_JNI_MD_H
#define VELMAR_JNI_MD_H

#define JNIEXPORT __declspec(dllexport)
#define JNIIMPORT __declspec(dllimport)
#define JNICALL __stdcall

typedef long jint;
typedef long long jlong;
typedef signed char jbyte;

#endif
