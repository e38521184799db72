// A stand-in for a runtime's splashscreen.dll: records each call and its
// arguments in the stub runtime's record, and fails loudly where a real
// library would crash or misbehave (a null string, a file loaded before
// SplashInit). Which exports a build has is chosen by STUB_SPLASH_* macros.
#include <windows.h>

#include <string>
#include <string_view>

namespace {

constexpr UINT kViolationExit = 0x5757AB02;

bool initialised = false;

void record(std::string_view key, std::string_view value)
{
    wchar_t path[MAX_PATH] = {};
    if (::GetEnvironmentVariableW(L"VELMAR_STUB_RECORD", path, MAX_PATH) == 0) {
        return;
    }
    const std::string line = std::string(key) + "=" + std::string(value) + "\n";
    HANDLE file = ::CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        ::WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
        ::CloseHandle(file);
    }
}

[[noreturn]] void violation(std::string_view what)
{
    record("violation", what);
    ::ExitProcess(kViolationExit);
}

std::string hexBytes(std::string_view bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char b : bytes) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 0xF];
    }
    return hex;
}

std::string checkedText(const char* text, const char* call)
{
    if (text == nullptr) {
        violation(std::string(call) + " given a null string");
    }
    return hexBytes(text);
}

}  // namespace

extern "C" {

#ifdef STUB_SPLASH_INIT
__declspec(dllexport) void SplashInit()
{
    initialised = true;
    record("call", "SplashInit");
}
#endif

#ifdef STUB_SPLASH_LOAD_FILE
__declspec(dllexport) int SplashLoadFile(const char* fileName)
{
    if (!initialised) {
        violation("SplashLoadFile before SplashInit");
    }
    record("call", "SplashLoadFile " + checkedText(fileName, "SplashLoadFile"));
    return 1;
}
#endif

#ifdef STUB_SPLASH_SET_FILE_JAR_NAME
__declspec(dllexport) void SplashSetFileJarName(const char* fileName, const char* jarName)
{
    const std::string file = checkedText(fileName, "SplashSetFileJarName");
    record("call", "SplashSetFileJarName " + file + " jar=" + checkedText(jarName, "SplashSetFileJarName"));
}
#endif

#ifdef STUB_SPLASH_CLOSE
__declspec(dllexport) void SplashClose()
{
    record("call", "SplashClose");
}
#endif

}  // extern "C"
