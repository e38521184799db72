#include "instance/instance_state.h"

#include "instance/single_instance.h"

namespace velmar {

void InstanceState::addWorker(UniqueHandle worker)
{
    std::lock_guard hold(workersLock_);
    workers_.push_back(std::move(worker));
}

void InstanceState::endListener()
{
    // The listener ends only on WM_QUIT; post it until the thread is gone,
    // so a quit posted before its queue existed is not lost.
    do {
        ::PostThreadMessageW(block->listenerThreadId, WM_QUIT, 0, 0);
    } while (::WaitForSingleObject(listener.get(), 10) == WAIT_TIMEOUT);
    listener.reset();
}

// The listener has ended, so no worker is added meanwhile.
void InstanceState::joinWorkers()
{
    std::vector<UniqueHandle> workers;
    {
        std::lock_guard hold(workersLock_);
        workers.swap(workers_);
    }
    for (const UniqueHandle& worker : workers) {
        ::WaitForSingleObject(worker.get(), INFINITE);
    }
}

void InstanceState::release()
{
    if (listener && block != nullptr) {
        endListener();
    }
    joinWorkers();
    if (block != nullptr) {
        ::UnmapViewOfFile(block);
        block = nullptr;
    }
    mapping.reset();
    mainStartedEvent.reset();
    overflowMapping.reset();
    owner.reset();
    singleInstance = false;
    isPrimaryInstance = false;
}

}  // namespace velmar
