// The VM as every thread of the launcher sees it: created by the Java main
// thread, attached to by the single-instance workers, and ended once. The
// gate makes "is it still open?" and "attach" one step, so that no thread
// attaches after the VM's end has begun.
#pragma once

#include "support/handles.h"
#include "support/lock.h"

#include <windows.h>

#include <jni.h>

#include <atomic>
#include <functional>
#include <mutex>

namespace velmar {

// A thread's attachment to the VM, ended by scope: the guard detaches on
// every way out, an exception's included, because DestroyJavaVM waits for
// ever for a thread that ended attached.
class AttachedThread {
public:
    AttachedThread() noexcept = default;
    // Takes over the calling thread's attachment to `vm` through `env`.
    AttachedThread(JavaVM* vm, JNIEnv* env) noexcept : vm_(vm), env_(env) {}
    ~AttachedThread();
    AttachedThread(AttachedThread&& other) noexcept;
    AttachedThread& operator=(AttachedThread&& other) noexcept;
    AttachedThread(const AttachedThread&) = delete;
    AttachedThread& operator=(const AttachedThread&) = delete;

    JNIEnv* env() const noexcept { return env_; }
    explicit operator bool() const noexcept { return env_ != nullptr; }
    // Detaches now; true when the runtime agreed (or nothing was attached).
    bool detach() noexcept;
    // The thread stays attached for good, as an IBM runtime's threads do.
    void keep() noexcept;

private:
    JavaVM* vm_ = nullptr;
    JNIEnv* env_ = nullptr;
};

class VmLifetime {
public:
    VmLifetime();
    VmLifetime(const VmLifetime&) = delete;
    VmLifetime& operator=(const VmLifetime&) = delete;

    // The VM the Java main thread has created.
    void created(JavaVM* vm) noexcept;
    // The VM until its end began; null before and after.
    JavaVM* vm() const noexcept { return vm_.load(); }

    // Attaches the calling thread while the gate is open; an empty guard
    // when there is no VM, its end has begun, or the runtime refused.
    AttachedThread attach();

    // Closes the gate when `idle()` holds, checked under the gate's lock so
    // that no thread attaches between the check and the close; true when
    // the gate is closed.
    bool closeIf(const std::function<bool()>& idle);
    // Closes the gate (if it is open) and hands out the VM to destroy,
    // once; null when there is none or it was handed out before.
    JavaVM* close();
    bool closed() const;
    // Signalled when the gate has closed: wakes threads still waiting for
    // a VM that will not serve them.
    HANDLE closedEvent() const noexcept { return closedEvent_.get(); }

private:
    void closeLocked();

    mutable Lock lock_;
    std::atomic<JavaVM*> vm_{nullptr};
    bool closed_ = false;
    UniqueHandle closedEvent_;
};

}  // namespace velmar
