// What the C++ runtime's exception handling needs of threads, without the
// POSIX threads library, which brought about 25 KB into a launcher that
// starts no POSIX thread:
// - the per-thread exception state (__cxa_get_globals), kept in a
//   fiber-local slot instead of libstdc++'s thread-local variable, which
//   this toolchain emulates through that library; the state is freed when
//   its thread ends, as the emulation did;
// - the one-time set-up of the x86 table unwinder (pthread_once);
// - the mutexes of the unwinder and of the exception allocator's
//   emergency pool, each a critical section.
// A program that also links the POSIX threads library (std::thread) gets
// pthread_once twice and does not link: it must not take this file.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cxxabi.h>

namespace __cxxabiv1 {

// The runtime's layout: the stack of caught exceptions and the count of
// uncaught ones. Room is left for what other targets add to it.
struct __cxa_eh_globals {
    void* caughtExceptions;
    unsigned int uncaughtExceptions;
    void* reserved[2];
};

}  // namespace __cxxabiv1

namespace {

using Globals = __cxxabiv1::__cxa_eh_globals;

INIT_ONCE slotCreation = INIT_ONCE_STATIC_INIT;
DWORD globalsSlot = FLS_OUT_OF_INDEXES;

void WINAPI freeGlobals(void* globals) noexcept
{
    if (globals != nullptr) {
        ::HeapFree(::GetProcessHeap(), 0, globals);
    }
}

BOOL CALLBACK createSlot(INIT_ONCE*, void*, void**) noexcept
{
    globalsSlot = ::FlsAlloc(freeGlobals);
    return globalsSlot != FLS_OUT_OF_INDEXES;
}

// Without its state a thread cannot throw or catch; the emulation ends
// the process in that case too.
Globals* globalsOfThisThread() noexcept
{
    if (!::InitOnceExecuteOnce(&slotCreation, createSlot, nullptr, nullptr)) {
        std::abort();
    }
    auto* globals = static_cast<Globals*>(::FlsGetValue(globalsSlot));
    if (globals == nullptr) {
        globals = static_cast<Globals*>(::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Globals)));
        if (globals == nullptr || !::FlsSetValue(globalsSlot, globals)) {
            std::abort();
        }
    }
    return globals;
}

// The library's mutex is one pointer-sized word: its static initialiser
// is -1; here it then holds the critical section, made on first use.
constexpr intptr_t kMutexInitialiser = -1;
constexpr int kNoMemory = 12;  // ENOMEM

CRITICAL_SECTION* sectionOf(intptr_t* mutex) noexcept
{
    void** word = reinterpret_cast<void**>(mutex);
    void* current = ::InterlockedCompareExchangePointer(word, nullptr, nullptr);
    if (current != nullptr && current != reinterpret_cast<void*>(kMutexInitialiser)) {
        return static_cast<CRITICAL_SECTION*>(current);
    }
    auto* fresh = static_cast<CRITICAL_SECTION*>(::HeapAlloc(::GetProcessHeap(), 0, sizeof(CRITICAL_SECTION)));
    if (fresh == nullptr) {
        return nullptr;
    }
    ::InitializeCriticalSection(fresh);
    void* previous = ::InterlockedCompareExchangePointer(word, fresh, current);
    if (previous == current) {
        return fresh;
    }
    // Another thread made one first.
    ::DeleteCriticalSection(fresh);
    ::HeapFree(::GetProcessHeap(), 0, fresh);
    return static_cast<CRITICAL_SECTION*>(previous);
}

}  // namespace

extern "C" {

int pthread_mutex_init(intptr_t* mutex, const unsigned*)
{
    *mutex = kMutexInitialiser;
    return 0;
}

int pthread_mutex_destroy(intptr_t* mutex)
{
    if (*mutex != kMutexInitialiser && *mutex != 0) {
        auto* section = reinterpret_cast<CRITICAL_SECTION*>(*mutex);
        ::DeleteCriticalSection(section);
        ::HeapFree(::GetProcessHeap(), 0, section);
    }
    *mutex = kMutexInitialiser;
    return 0;
}

int pthread_mutex_lock(intptr_t* mutex)
{
    CRITICAL_SECTION* section = sectionOf(mutex);
    if (section == nullptr) {
        return kNoMemory;
    }
    ::EnterCriticalSection(section);
    return 0;
}

int pthread_mutex_unlock(intptr_t* mutex)
{
    CRITICAL_SECTION* section = sectionOf(mutex);
    if (section == nullptr) {
        return kNoMemory;
    }
    ::LeaveCriticalSection(section);
    return 0;
}

__cxxabiv1::__cxa_eh_globals* __cxxabiv1::__cxa_get_globals() noexcept
{
    return globalsOfThisThread();
}

__cxxabiv1::__cxa_eh_globals* __cxxabiv1::__cxa_get_globals_fast() noexcept
{
    return globalsOfThisThread();
}

// The library's control word: 0 before the routine ran (its static
// initialiser), then running, then done.
int pthread_once(long* control, void (*routine)(void))
{
    constexpr long kNotRun = 0;
    constexpr long kRunning = 1;
    constexpr long kDone = 2;
    if (::InterlockedCompareExchange(control, kRunning, kNotRun) == kNotRun) {
        routine();
        ::InterlockedExchange(control, kDone);
        return 0;
    }
    // Another thread runs it: its set-up takes microseconds.
    while (::InterlockedCompareExchange(control, kDone, kDone) != kDone) {
        ::SwitchToThread();
    }
    return 0;
}

}  // extern "C"
