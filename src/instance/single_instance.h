// One running instance per installation: a later start hands its arguments
// to the first one and waits for its answer.
#pragma once

#include <windows.h>

#include <cstdint>

namespace velmar {

class Launcher;

// The block shared by the instances of one installation (2092 bytes).
#pragma pack(push, 1)
struct InstanceArea {
    uint32_t listenerThreadId;
    uint32_t ownerProcessId;
    uint32_t requestMessage;
    uint8_t argumentBlock[2080];
};
#pragma pack(pop)
static_assert(sizeof(InstanceArea) == 2092);

// Settles whether single-instance mode is in force and whether this process
// is the first instance; false when a later start cannot hand over.
bool setupSingleInstance(Launcher& launcher);

// In a later start: waits for the first instance's answer; the exit code.
DWORD waitForPrimaryInstance(Launcher& launcher);

}  // namespace velmar
