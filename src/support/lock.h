// A lock for state that several threads of the launcher share: the
// system's slim reader/writer lock, taken exclusively, for std::lock_guard.
// std::mutex would bring the threads library and std::system_error into
// the program for the same job, at some 100 KB.
#pragma once

#include <windows.h>

namespace velmar {

class Lock {
public:
    Lock() noexcept = default;
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    void lock() noexcept { ::AcquireSRWLockExclusive(&lock_); }
    void unlock() noexcept { ::ReleaseSRWLockExclusive(&lock_); }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
};

}  // namespace velmar
