// The library that a runtime's own DLLs (the dependent jvm.dll, every
// splash library) import from the runtime's bin folder, as the real ones
// import the C runtime their vendor ships there. The record's `dependency`
// line tells which copy the system loaded.
#pragma once

#include "stub_jvm.h"

#include <algorithm>

extern "C" __declspec(dllimport) DWORD stubDependencyPath(wchar_t* buffer, DWORD size);

namespace stub {

inline void recordDependency()
{
    wchar_t path[MAX_PATH] = {};
    DWORD length = stubDependencyPath(path, MAX_PATH);
    record("dependency", hexUnits(std::u16string(path, path + std::min<DWORD>(length, MAX_PATH))));
}

}  // namespace stub
