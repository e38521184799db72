// What happens when the application's main method ends with an exception
// and "Failure Check" is on: the user sees the stack trace and chooses
// between Ignore and Stop.
#pragma once

#include <jni.h>

#include <string>
#include <string_view>

namespace velmar {

// The Java main thread's handling of the exception main ended with, which
// is pending on entry. It is taken off while the trace is captured and the
// user asked, because JNI allows no other call with an exception pending.
// Stop ends the process through System.exit(-1); after Ignore (or a Stop
// that could not end it) the exception is pending again, so the runtime
// reports it as uncaught when the thread detaches.
void handleUncaughtException(JNIEnv* env, jthrowable throwable);

// The complete output of throwable.printStackTrace, empty when any step
// failed. Needs and leaves no exception pending.
std::wstring CaptureStackTrace(JNIEnv* env, jthrowable throwable);

// What a printed stack trace says without its frames: the first line and
// each "Caused by:" line, joined with line feeds. Indented lines (frames,
// "... n more", suppressed exceptions) are left out.
std::wstring exceptionHeadlines(std::wstring_view trace);

// Shows the trace and asks; true for Stop. No dialog and false (Ignore)
// when there is no trace to show. Needs and leaves no exception pending.
bool AskUncaughtException(JNIEnv* env, jthrowable throwable);

// System.exit(-1), which does not return when it ends the process. When it
// returns, nothing is pending.
void ExitJava(JNIEnv* env);

}  // namespace velmar
