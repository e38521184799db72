// What happens when the application's main method ends with an exception
// and "Failure Check" is on.
#pragma once

#include <jni.h>

namespace velmar {

// Asks the user whether to stop the application; true for Stop. The
// exception stays pending.
bool AskUncaughtException(JNIEnv* env, jthrowable throwable);

}  // namespace velmar
