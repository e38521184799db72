// A stand-in for a runtime's splashscreen.dll: records each call and its
// arguments in the stub runtime's record, and fails loudly where a real
// library would crash or misbehave (a null string, a file loaded before
// SplashInit). Which exports a build has is chosen by STUB_SPLASH_* macros.
// Like a real one it imports a library of the runtime's bin folder, and
// fails to load where the search for it does not reach that folder.
#include "dependency.h"
#include "stub_jvm.h"

#include <string>

namespace {

using stub::hexBytes;
using stub::record;

bool initialised = false;

std::string checkedText(const char* text, const char* call)
{
    if (text == nullptr) {
        stub::failViolation(std::string(call) + " given a null string");
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
    stub::recordDependency();
}
#endif

#ifdef STUB_SPLASH_LOAD_FILE
__declspec(dllexport) int SplashLoadFile(const char* fileName)
{
    if (!initialised) {
        stub::failViolation("SplashLoadFile before SplashInit");
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
