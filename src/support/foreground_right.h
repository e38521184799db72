// The user just started this program, so it may bring a window to the
// front. A process that shows the application's window in its place (the
// running first instance, or the pair) is given that right, so that its
// window comes forward instead of flashing on the taskbar.
#pragma once

#include "support/trace.h"

#include <windows.h>

#include <string_view>

namespace velmar {

// Whether the right was passed is traced: when the later start's window
// does not come forward, it is the first thing support asks.
void passForegroundRight(DWORD processId, const Trace& trace, std::wstring_view stage);

}  // namespace velmar
