// Presses Ctrl+C in the console of the process whose id is the argument, as
// a user at that console would: every process attached to it gets the
// event. Ends with 0 when the event was sent, 1 otherwise.
#include <windows.h>

#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        return 1;
    }
    const DWORD processId = static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10));
    ::FreeConsole();
    if (!::AttachConsole(processId)) {
        return 1;
    }
    // This program is attached too: it must live to report.
    ::SetConsoleCtrlHandler(nullptr, TRUE);
    return ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) ? 0 : 1;
}
