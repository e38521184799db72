// The moment a single instance stops serving later starts: when the
// application has no thread left but the Java main thread, which is when
// DestroyJavaVM would begin to take the VM down. Until then main may have
// returned while the application lives on in its own threads (a window's
// event thread), and later starts are still served.
#pragma once

#include <jni.h>

namespace velmar {

class VmLifetime;

// On the Java main thread, after main: waits until every other non-daemon
// Java thread has ended and closes the gate in the same step, so that no
// worker attaches in between. Workers that attached before are Java
// threads too, so their starts are served first.
void closeGateWhenApplicationEnds(VmLifetime& lifetime, JNIEnv* env);

}  // namespace velmar
