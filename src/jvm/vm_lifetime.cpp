#include "jvm/vm_lifetime.h"

#include <utility>

namespace velmar {

AttachedThread::AttachedThread(AttachedThread&& other) noexcept
    : vm_(std::exchange(other.vm_, nullptr)), env_(std::exchange(other.env_, nullptr))
{
}

AttachedThread::~AttachedThread()
{
    detach();
}

AttachedThread& AttachedThread::operator=(AttachedThread&& other) noexcept
{
    if (this != &other) {
        detach();
        vm_ = std::exchange(other.vm_, nullptr);
        env_ = std::exchange(other.env_, nullptr);
    }
    return *this;
}

bool AttachedThread::detach() noexcept
{
    JavaVM* vm = std::exchange(vm_, nullptr);
    env_ = nullptr;
    return vm == nullptr || vm->DetachCurrentThread() == JNI_OK;
}

void AttachedThread::keep() noexcept
{
    vm_ = nullptr;
    env_ = nullptr;
}

VmLifetime::VmLifetime() : closedEvent_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

void VmLifetime::created(JavaVM* vm) noexcept
{
    std::lock_guard hold(lock_);
    if (!closed_) {
        vm_.store(vm);
    }
}

AttachedThread VmLifetime::attach()
{
    std::lock_guard hold(lock_);
    JavaVM* vm = vm_.load();
    JNIEnv* env = nullptr;
    if (closed_ || vm == nullptr
        || vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != JNI_OK) {
        return {};
    }
    return AttachedThread(vm, env);
}

bool VmLifetime::closeIf(const std::function<bool()>& idle)
{
    std::lock_guard hold(lock_);
    if (!closed_ && idle()) {
        closeLocked();
    }
    return closed_;
}

JavaVM* VmLifetime::close()
{
    std::lock_guard hold(lock_);
    closeLocked();
    return vm_.exchange(nullptr);
}

bool VmLifetime::closed() const
{
    std::lock_guard hold(lock_);
    return closed_;
}

void VmLifetime::closeLocked()
{
    closed_ = true;
    if (closedEvent_) {
        ::SetEvent(closedEvent_.get());
    }
}

}  // namespace velmar
