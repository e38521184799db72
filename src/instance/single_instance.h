// One running instance per installation: a later start hands its arguments
// to the first one and waits for its answer.
//
// The block's name and layout, the registered message and its answers are
// read and written by every build of the launcher that an installation may
// run side by side, so they never change. What this build adds (a mutex
// around the argument block and a message saying the arguments have been
// taken) is invisible to older builds: they neither take the mutex nor
// read that message.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

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

// The name of the block and the message of an installation: the program's
// path as the system reports it, every backslash an underscore. Another
// spelling of the same path is another installation.
std::wstring instanceNameFor(std::wstring_view programPath);

// Settles whether single-instance mode is in force and whether this process
// is the first instance; false when a later start cannot hand over.
bool setupSingleInstance(Launcher& launcher);

// In a later start: waits for the first instance's answer; the exit code.
DWORD waitForPrimaryInstance(Launcher& launcher);

// The first instance's listener thread: one worker per forwarded start.
DWORD WINAPI listenerThreadMain(LPVOID launcher);

}  // namespace velmar
