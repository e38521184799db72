// The least a host of the Java VM does, as the yardstick of the start-up
// benchmark: four keys of the INI beside it, the runtime's jvm.dll, the VM
// with the "exit" hook, main. A "*" class path entry is listed with
// FindFirstFileW as the launcher lists it. No checks beyond what keeps it
// from crashing: a failure ends it with 1.
#include <windows.h>

#include <jni.h>

#include <string>
#include <vector>

namespace {

std::wstring iniValue(const std::wstring& ini, const wchar_t* section, const wchar_t* key)
{
    std::wstring buffer(32768, L'\0');
    DWORD length = ::GetPrivateProfileStringW(section, key, L"", buffer.data(), 32768, ini.c_str());
    buffer.resize(length);
    return buffer;
}

std::string ansi(const std::wstring& text)
{
    std::string bytes(text.size() * 2 + 1, '\0');
    int length = ::WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, bytes.data(), static_cast<int>(bytes.size()),
                                       nullptr, nullptr);
    bytes.resize(length > 0 ? length - 1 : 0);
    return bytes;
}

// "\lib\*.jar" below the host's folder, as the launcher reads it.
std::wstring classPath(const std::wstring& folder, const std::wstring& entry)
{
    if (entry.find(L'*') == std::wstring::npos) {
        return folder + entry;
    }
    const std::wstring pattern = folder + entry;
    const std::wstring prefix = pattern.substr(0, pattern.rfind(L'\\') + 1);
    std::wstring list;
    WIN32_FIND_DATAW data;
    HANDLE search = ::FindFirstFileW(pattern.c_str(), &data);
    for (bool found = search != INVALID_HANDLE_VALUE; found; found = ::FindNextFileW(search, &data)) {
        list += prefix + data.cFileName + L";";
    }
    if (search != INVALID_HANDLE_VALUE) {
        ::FindClose(search);
    }
    return list;
}

void JNICALL onExit(jint code)
{
    ::ExitProcess(static_cast<UINT>(code));
}

// With VELMAR_BENCH_HOST_GUI set, the host first makes its thread a GUI
// thread as the launcher does, so that the two differ by everything else.
void becomeGuiThreadWhenAsked()
{
    if (::GetEnvironmentVariableW(L"VELMAR_BENCH_HOST_GUI", nullptr, 0) == 0) {
        return;
    }
    if (HMODULE user = ::LoadLibraryW(L"user32.dll")) {
        using DefaultProcedure = LRESULT(WINAPI*)(HWND, UINT, WPARAM, LPARAM);
        if (auto procedure = reinterpret_cast<DefaultProcedure>(
                reinterpret_cast<void*>(::GetProcAddress(user, "DefWindowProcW")))) {
            procedure(nullptr, WM_NULL, 0, 0);
        }
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    becomeGuiThreadWhenAsked();
    wchar_t self[MAX_PATH] = {};
    const DWORD selfLength = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring exe(self, selfLength);
    const std::wstring folder = exe.substr(0, exe.rfind(L'\\'));
    const std::wstring ini = exe.substr(0, exe.rfind(L'.')) + L".ini";

    const std::wstring runtime = iniValue(ini, L"Java Runtime Environment", L"JRE Path");
    std::wstring mainClass = iniValue(ini, L"Java Runtime Environment", L"Main Class");
    std::vector<std::string> texts = {
        "-Djava.class.path=" + ansi(classPath(folder, iniValue(ini, L"Class Path", L"Class Path")))};
    const std::wstring parameters = iniValue(ini, L"Java Runtime Environment", L"Virtual Machine Parameters");
    for (size_t start = 0; start < parameters.size();) {
        size_t end = parameters.find(L' ', start);
        end = end == std::wstring::npos ? parameters.size() : end;
        if (end > start) {
            texts.push_back(ansi(parameters.substr(start, end - start)));
        }
        start = end + 1;
    }

    HMODULE jvm = ::LoadLibraryW((runtime + L"\\bin\\server\\jvm.dll").c_str());
    auto create = jvm ? reinterpret_cast<jint(JNICALL*)(JavaVM**, void**, void*)>(
                            reinterpret_cast<void*>(::GetProcAddress(jvm, "JNI_CreateJavaVM")))
                      : nullptr;
    if (!create) {
        return 1;
    }
    std::vector<JavaVMOption> options;
    for (std::string& text : texts) {
        options.push_back({text.data(), nullptr});
    }
    char exitName[] = "exit";
    options.push_back({exitName, reinterpret_cast<void*>(&onExit)});
    JavaVMInitArgs args{JNI_VERSION_1_2, static_cast<jint>(options.size()), options.data(), JNI_TRUE};
    JavaVM* vm = nullptr;
    JNIEnv* env = nullptr;
    if (create(&vm, reinterpret_cast<void**>(&env), &args) != JNI_OK) {
        return 1;
    }
    for (wchar_t& c : mainClass) {
        c = c == L'.' ? L'/' : c;
    }
    jclass main = env->FindClass(ansi(mainClass).c_str());
    jmethodID method = main ? env->GetStaticMethodID(main, "main", "([Ljava/lang/String;)V") : nullptr;
    jclass stringClass = env->FindClass("java/lang/String");
    if (!method || !stringClass) {
        return 1;
    }
    env->CallStaticVoidMethod(main, method, env->NewObjectArray(0, stringClass, nullptr));
    const int result = env->ExceptionCheck() ? 1 : 0;
    env->ExceptionClear();
    vm->DetachCurrentThread();
    vm->DestroyJavaVM();
    return result;
}
