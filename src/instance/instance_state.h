// The single-instance state of one process. The main thread sets it up and
// releases it; the listener and the workers of a first instance share the
// block (read-only after set-up) and the list of workers, which owns its
// lock, so that teardown can wait for every worker before it unmaps the
// block they answer through.
#pragma once

#include "support/handles.h"
#include "support/lock.h"

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

namespace velmar {

struct InstanceArea;

// Messages of this build's own, registered under names older builds never
// use: a later start of an older build never sees them, and a first
// instance of an older build never sends them.
struct InstanceMessages {
    UINT taken = 0;    // the first instance has copied the arguments
    UINT refused = 0;  // it is ending and will not serve this start
    UINT handed = 0;   // the arguments are going to secondaryMain
};

class InstanceState {
public:
    InstanceState() = default;
    ~InstanceState() { release(); }
    InstanceState(const InstanceState&) = delete;
    InstanceState& operator=(const InstanceState&) = delete;

    // A later start: the arguments are handed to another process.
    bool forwarding() const noexcept { return singleInstance && !isPrimaryInstance; }

    // Keeps a worker so that release() can wait for it.
    void addWorker(UniqueHandle worker);
    // Ends the listener, waits for every worker, then unmaps the block and
    // closes the mapping, the main-started event and whatever a later
    // start kept. Workers must be able to end: the VM's gate is closed.
    void release();

    bool singleInstance = false;
    bool isPrimaryInstance = false;
    // The installation's name (instanceNameFor).
    std::wstring name;
    UniqueHandle mapping;
    InstanceArea* block = nullptr;
    UniqueHandle listener;
    UniqueHandle mainStartedEvent;
    InstanceMessages messages;
    // A later start: the first instance's process, opened before the
    // arguments are handed over, so that its end is seen even when it
    // comes first; whether it is of this build (it answers with the
    // messages above); and the arguments that did not fit into the block.
    UniqueHandle owner;
    bool ownerOfThisBuild = false;
    UniqueHandle overflowMapping;

private:
    void endListener();
    void joinWorkers();

    Lock workersLock_;
    std::vector<UniqueHandle> workers_;
};

}  // namespace velmar
