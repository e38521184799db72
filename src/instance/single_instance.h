// One running instance per installation: a later start hands its arguments
// to the first one and waits for its answer.
//
// The block's name and layout, the registered message and its answers are
// read and written by every build of the launcher that an installation may
// run side by side, so they never change. What this build adds (a mutex
// around the argument block, its own messages, a mark in the unused half
// of the block and a mapping for arguments that do not fit) is invisible
// to older builds: they neither take the mutex nor read the rest.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
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
// spelling of the same path is another installation. A name too long for
// a registered message (255 characters) is replaced by a fixed-length one
// made from a hash of it.
std::wstring instanceNameFor(std::wstring_view programPath);

// The name of one of this build's own objects of the installation: the
// instance name and the suffix, or the hashed name and the suffix where
// the two together would be too long for a registered message.
std::wstring instanceObjectName(const std::wstring& instanceName, std::wstring_view suffix);

// Settles whether single-instance mode is in force and whether this process
// is the first instance; false when a later start cannot hand over (the
// user has been told).
bool setupSingleInstance(Launcher& launcher);

// In a later start: waits for the first instance's answer; the exit code,
// or nothing when the first instance ended (or is ending) without having
// handed the arguments to secondaryMain, so that this start must run the
// application itself.
std::optional<DWORD> waitForPrimaryInstance(Launcher& launcher);

// A later start that was not served: lets go of the old block, waits for
// the old first instance to end, and sets up single-instance mode afresh.
bool startAgainAfterRefusal(Launcher& launcher);

// Ends the first instance's part: the VM's gate is closed, the listener
// ended, every worker waited for, the block released. Before a hand-over
// to the pair, whose own instance later starts must meet.
void releaseInstance(Launcher& launcher);

// The first instance's listener thread: one worker per forwarded start.
DWORD WINAPI listenerThreadMain(LPVOID launcher);

}  // namespace velmar
