// Stands in for the browser as the handler of https addresses: appends the
// address it was given, one line each, to the file named first on its
// command line ("recorder.exe" "record" "%1"), UTF-16.
#include <windows.h>
#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int count = 0;
    LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (arguments == nullptr || count != 3) {
        return 2;
    }
    const std::wstring line = std::wstring(arguments[2]) + L"\n";
    HANDLE file = ::CreateFileW(arguments[1], FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ::LocalFree(arguments);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD written = 0;
    const BOOL wrote = ::WriteFile(file, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)),
                                   &written, nullptr);
    ::CloseHandle(file);
    return wrote ? 0 : 1;
}
