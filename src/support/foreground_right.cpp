#include "support/foreground_right.h"

#include "support/text.h"

namespace velmar {

void passForegroundRight(DWORD processId, const Trace& trace, std::wstring_view stage)
{
    const bool passed = ::AllowSetForegroundWindow(processId) != FALSE;
    const DWORD error = passed ? ERROR_SUCCESS : ::GetLastError();
    if (!trace.on()) {
        return;
    }
    if (passed) {
        trace.line(stage, {"the right to come to the front passed to process ", decimalText(processId)});
    } else {
        trace.line(stage, {"the right to come to the front not passed to process ", decimalText(processId),
                           ": error ", decimalText(error)});
    }
}

}  // namespace velmar
