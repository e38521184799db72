// Stands in for the paired launcher: records the command line it was given
// in the file named by VELMAR_PROBE_RECORD (UTF-16) and ends with the exit
// code named by VELMAR_PROBE_EXIT; with VELMAR_PROBE_HOLD it first waits
// (at most two minutes) until the named event is set, as an application
// that keeps running.
#include <windows.h>

#include <cwchar>
#include <string>

namespace {

std::wstring environmentValue(const wchar_t* name)
{
    wchar_t value[1024] = {};
    const DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
    return length < 1024 ? std::wstring(value, length) : std::wstring();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const std::wstring record = environmentValue(L"VELMAR_PROBE_RECORD");
    if (!record.empty()) {
        const std::wstring commandLine = ::GetCommandLineW();
        HANDLE file = ::CreateFileW(record.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            ::WriteFile(file, commandLine.data(),
                        static_cast<DWORD>(commandLine.size() * sizeof(wchar_t)), &written, nullptr);
            ::CloseHandle(file);
        }
    }
    const std::wstring hold = environmentValue(L"VELMAR_PROBE_HOLD");
    if (!hold.empty()) {
        HANDLE event = ::CreateEventW(nullptr, TRUE, FALSE, hold.c_str());
        ::WaitForSingleObject(event, 120000);
        ::CloseHandle(event);
    }
    return static_cast<int>(std::wcstol(environmentValue(L"VELMAR_PROBE_EXIT").c_str(), nullptr, 10));
}
