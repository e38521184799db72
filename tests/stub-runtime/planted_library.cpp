// A library planted where only a careless search would find it, under the
// name of a system library: loading it records the fact, from DllMain,
// before the loader hands it to anyone, in the record the stub runtime
// writes (a start that never creates a VM still has the variable set).
// The line names the file it was loaded as and the program that loaded it.
#include <windows.h>

#include <string>

namespace {

std::string baseNameOf(HMODULE module)
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring_view name(path, length);
    name.remove_prefix(name.find_last_of(L"\\/") + 1);
    std::string narrow;
    for (wchar_t c : name) {
        // System library and program names are ASCII; anything else shows as "?".
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return narrow;
}

void appendLine(const wchar_t* path, const std::string& line)
{
    HANDLE file = ::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        ::CloseHandle(file);
    }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason != DLL_PROCESS_ATTACH) {
        return TRUE;
    }
    wchar_t path[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"VELMAR_STUB_RECORD", path, MAX_PATH) == 0) {
        return TRUE;
    }
    appendLine(path, "call=planted " + baseNameOf(self) + " loaded by " + baseNameOf(nullptr) + "\n");
    return TRUE;
}
