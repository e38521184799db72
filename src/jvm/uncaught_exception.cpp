#include "jvm/uncaught_exception.h"

namespace velmar {

// The exception dialog does not exist yet: every uncaught exception is
// ignored, as when the user presses Ignore.
bool AskUncaughtException(JNIEnv*, jthrowable)
{
    return false;
}

}  // namespace velmar
