// What the two sides of single-instance mode share inside this build: the
// block's fields read across processes, this build's messages, and the
// later start's hand-over.
#pragma once

#include "instance/instance_state.h"
#include "instance/single_instance.h"

#include <cstddef>
#include <string>

namespace velmar {

// The address fields are read by another process while they are being
// written: whole 32-bit accesses with a barrier, never torn or cached.
uint32_t readShared(InstanceArea* area, size_t offset);
void publish(InstanceArea* area, size_t offset, uint32_t value);

bool hasEnded(HANDLE process);

InstanceMessages registerInstanceMessages(const std::wstring& instanceName);

enum class Forwarding {
    handedOver,  // the first instance has the request
    startAgain,  // the first instance is gone or going: run as a start of its own
    failed,      // the user has been told
};

// A later start: hands the arguments to the first instance.
Forwarding forwardArguments(Launcher& launcher, const std::wstring& instanceName);

}  // namespace velmar
