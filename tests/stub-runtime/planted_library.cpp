// A library planted where only a careless search would find it: loading
// it records the fact in the stub runtime's record, from DllMain, before
// the loader hands it to anyone.
#include <windows.h>

#include <string_view>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH) {
        return TRUE;
    }
    wchar_t path[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"VELMAR_STUB_RECORD", path, MAX_PATH) == 0) {
        return TRUE;
    }
    constexpr std::string_view kLine = "call=planted library loaded\n";
    HANDLE file = ::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ::WriteFile(file, kLine.data(), static_cast<DWORD>(kLine.size()), &written, nullptr);
        ::CloseHandle(file);
    }
    return TRUE;
}
