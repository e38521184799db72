// The classes the stub knows: the platform classes the launcher touches,
// under the real JDK's names and signatures, and the test applications,
// whose main acts on -Dstub.* properties so one runtime serves every test.
#include "stub_jvm.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <initializer_list>
#include <optional>

namespace stub {
namespace {

constexpr const char* kMainSignature = "([Ljava/lang/String;)V";

// The hierarchy is cut down to what lookups and instance checks need.
constexpr ClassInfo kClasses[] = {
    {"java/lang/Object", nullptr, false},
    {"java/lang/Class", "java/lang/Object", false},
    {"java/lang/String", "java/lang/Object", false},
    {"java/lang/System", "java/lang/Object", false},
    {"java/lang/Thread", "java/lang/Object", false},
    {"java/io/OutputStream", "java/lang/Object", false},
    {"java/io/FileOutputStream", "java/io/OutputStream", false},
    {"java/io/ByteArrayOutputStream", "java/io/OutputStream", false},
    {"java/io/PrintStream", "java/io/OutputStream", false},
    {"java/lang/Throwable", "java/lang/Object", false},
    {"java/lang/Exception", "java/lang/Throwable", false},
    {"java/lang/RuntimeException", "java/lang/Exception", false},
    {"java/lang/NullPointerException", "java/lang/RuntimeException", false},
    {"java/lang/ArrayIndexOutOfBoundsException", "java/lang/RuntimeException", false},
    {"java/lang/ArrayStoreException", "java/lang/RuntimeException", false},
    {"java/lang/NegativeArraySizeException", "java/lang/RuntimeException", false},
    {"java/lang/IllegalStateException", "java/lang/RuntimeException", false},
    {"java/io/IOException", "java/lang/Exception", false},
    {"java/io/FileNotFoundException", "java/io/IOException", false},
    {"java/lang/Error", "java/lang/Throwable", false},
    {"java/lang/LinkageError", "java/lang/Error", false},
    {"java/lang/NoClassDefFoundError", "java/lang/LinkageError", false},
    {"java/lang/NoSuchMethodError", "java/lang/LinkageError", false},
    {"java/lang/ExceptionInInitializerError", "java/lang/LinkageError", false},
    {"sun/launcher/LauncherHelper", "java/lang/Object", true},
    {"stub/App", "java/lang/Object", false},
    {"stub/NoMain", "java/lang/Object", false},
    {"stub/Instance", "stub/App", false},
    {"stub/InstanceInt", "stub/App", false},
    {"stub/InstanceBoth", "stub/App", false},
    {"stub/StaticNoArgs", "java/lang/Object", false},
    {"stub/InstanceMain", "java/lang/Object", false},
    {"stub/InstanceNoArgs", "java/lang/Object", false},
    {"stub/Mixed", "java/lang/Object", false},
    {"stub/BadInit", "java/lang/Object", false, true},
    // The main class of the example in examples/notes, for its end-to-end run.
    {"example/notes/NotesApp", "java/lang/Object", false},
};

std::optional<std::string> property(const char* name)
{
    auto found = vm().properties.find(name);
    return found == vm().properties.end() ? std::nullopt : std::optional(found->second);
}

std::string dotted(std::string name)
{
    std::ranges::replace(name, '/', '.');
    return name;
}

// "<count>:<hex>,<hex>..." with "null" for a null array or element, so an
// empty list and a list of one empty string stay apart.
std::string argumentList(const Object* array)
{
    if (!array) {
        return "null";
    }
    std::string text = std::to_string(array->elements.size()) + ":";
    for (size_t i = 0; i < array->elements.size(); ++i) {
        const Object* item = array->elements[i];
        text += (i ? "," : "") + (item ? hexUnits(item->chars) : std::string("null"));
    }
    return text;
}

std::u16string systemMessage(DWORD error)
{
    wchar_t buffer[256] = {};
    DWORD length = ::FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
        buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
    while (length > 0 && (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' || buffer[length - 1] == L'.')) {
        --length;
    }
    return length ? std::u16string(buffer, buffer + length) : u"error " + widen(std::to_string(error), CP_ACP);
}

Outcome nullPointer(Invocation& call)
{
    throwNew(call.env, "java/lang/NullPointerException", u"");
    return {};
}

Outcome nothing(Invocation&)
{
    return {};
}

Outcome stringInit(Invocation& call)
{
    if (!call.object(0)) {
        return nullPointer(call);
    }
    call.self->chars = call.object(0)->chars;
    return {};
}

Outcome systemExit(Invocation& call)
{
    exitVm(call.number(0));
}

// The live threads as java.lang.Thread lists them: every attached thread,
// one that ended attached included (the VM never learns that it ended),
// and every thread the application started, which are not daemons.
std::vector<Object*> liveThreads()
{
    const ClassInfo* cls = findClassInfo("java/lang/Thread");
    std::vector<Object*> threads;
    for (const auto& [key, env] : vm().envs) {
        if (env->attached) {
            threads.push_back(newObject(cls));
            threads.back()->daemon = env->daemon;
        }
    }
    for (const velmar::UniqueHandle& thread : vm().javaThreads) {
        if (thread && ::WaitForSingleObject(thread.get(), 0) == WAIT_TIMEOUT) {
            threads.push_back(newObject(cls));
        }
    }
    return threads;
}

Outcome threadActiveCount(Invocation&)
{
    return {.number = static_cast<jint>(liveThreads().size())};
}

Outcome threadEnumerate(Invocation& call)
{
    Object* array = call.object(0);
    if (!array) {
        return nullPointer(call);
    }
    std::vector<Object*> threads = liveThreads();
    const size_t listed = std::min(threads.size(), array->elements.size());
    std::copy_n(threads.begin(), listed, array->elements.begin());
    return {.number = static_cast<jint>(listed)};
}

Outcome threadIsDaemon(Invocation& call)
{
    return {.number = call.self->daemon ? 1 : 0};
}

Outcome systemSetStream(Invocation& call)
{
    bool isOut = std::string_view(call.method.name) == "setOut";
    recordCall(isOut ? "System.setOut" : "System.setErr");
    (isOut ? vm().systemOut : vm().systemErr) = call.object(0);
    return {};
}

// A real file, opened now as FileOutputStream does: created when missing,
// truncated unless appending; failure is a FileNotFoundException.
Outcome fileStreamInit(Invocation& call)
{
    const Object* path = call.object(0);
    if (!path) {
        return nullPointer(call);
    }
    bool append = call.number(1) != 0;
    recordCall("FileOutputStream " + utf8(path->chars) + (append ? " append" : " truncate"));
    std::wstring name(path->chars.begin(), path->chars.end());
    call.self->ownFile.reset(::CreateFileW(name.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, append ? OPEN_ALWAYS : CREATE_ALWAYS,
        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!call.self->ownFile) {
        std::u16string reason = systemMessage(::GetLastError());
        throwNew(call.env, "java/io/FileNotFoundException", path->chars + u" (" + reason + u")");
        return {};
    }
    call.self->sink = call.self->ownFile.get();
    return {};
}

Outcome printStreamInit(Invocation& call)
{
    if (!call.object(0)) {
        return nullPointer(call);
    }
    call.self->out = call.object(0);
    return {};
}

Outcome byteStreamToString(Invocation& call)
{
    return {.object = newString(widen(call.self->bytes, CP_UTF8))};
}

Outcome printStackTrace(Invocation& call)
{
    if (!call.object(0)) {
        return nullPointer(call);
    }
    recordCall("printStackTrace");
    writeTo(call.object(0), stackTrace(call.self));
    return {};
}

void printLines(std::initializer_list<std::string> lines)
{
    for (const std::string& line : lines) {
        println(vm().systemErr, widen(line, CP_UTF8));
    }
}

[[noreturn]] void abortLaunch(std::initializer_list<std::string> lines)
{
    printLines(lines);
    exitVm(1);
}

// Mode 3: "module" or "module/class". The module must be the one the VM
// resolved as its root (jdk.module.main); without a class, the module's
// own main class stands in stub.moduleMainClass.
const ClassInfo* moduleMainClass(const std::string& what)
{
    const std::string module = what.substr(0, what.find('/'));
    if (property("jdk.module.main") != std::optional<std::string>(module)) {
        abortLaunch({"Error: Module " + module + " not found"});
    }
    std::optional<std::string> name
        = what.find('/') != std::string::npos ? what.substr(what.find('/') + 1) : property("stub.moduleMainClass");
    if (!name) {
        abortLaunch({"Error: Module " + module + " does not have a ModuleMainClass attribute, use -m <module>/<main-class>"});
    }
    std::ranges::replace(*name, '.', '/');
    const ClassInfo* cls = findClassInfo(*name);
    return cls && !cls->bootOnly ? cls : nullptr;
}

// As the JDK's helper: a class it cannot load or launch is reported on
// System.err and ends the VM with System.exit(1); it never returns null.
// Mode 1 names a class, mode 2 a jar file, mode 3 a module.
Outcome checkAndLoadMain(Invocation& call)
{
    std::string name = call.object(2) ? utf8(call.object(2)->chars) : "null";
    const long mode = call.number(1);
    recordCall("checkAndLoadMain " + std::to_string(mode) + " " + name);
    std::string internal = name;
    std::ranges::replace(internal, '.', '/');
    const ClassInfo* cls = nullptr;
    if (mode == 1 && name.find('/') == std::string::npos) {
        cls = findClassInfo(internal);
        cls = cls && !cls->bootOnly ? cls : nullptr;
    } else if (mode == 2) {
        abortLaunch({"Error: Unable to access jarfile " + name});
    } else if (mode == 3) {
        cls = moduleMainClass(name);
    }
    if (!cls) {
        abortLaunch({"Error: Could not find or load main class " + name,
            "Caused by: java.lang.ClassNotFoundException: " + name});
    }
    if (!launchableMain(cls)) {
        abortLaunch({"Error: Main method not found in class " + name + ", please define the main method as:",
            "   public static void main(String[] args)",
            "or a JavaFX application class must extend javafx.application.Application"});
    }
    return {.object = mirror(cls)};
}

Outcome className(Invocation& call)
{
    std::string name = call.self->cls->name;
    std::ranges::replace(name, '/', '.');
    return {.object = newString(widen(name, CP_UTF8))};
}

DWORD WINAPI lingerThread(void* milliseconds)
{
    ::Sleep(static_cast<DWORD>(reinterpret_cast<uintptr_t>(milliseconds)));
    recordCall("linger end");
    return 0;
}

void startLinger(DWORD milliseconds)
{
    recordCall("linger start " + std::to_string(milliseconds));
    velmar::UniqueHandle thread(::CreateThread(
        nullptr, 0, lingerThread, reinterpret_cast<void*>(static_cast<uintptr_t>(milliseconds)), 0, nullptr));
    if (thread) {
        vm().javaThreads.push_back(std::move(thread));
    }
}

// The application's own window: after the delay a visible top-level
// window, kept for kApplicationWindowLifeMs while its messages are served.
constexpr DWORD kApplicationWindowLifeMs = 3000;

DWORD WINAPI applicationWindowThread(void* delay)
{
    ::Sleep(static_cast<DWORD>(reinterpret_cast<uintptr_t>(delay)));
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    description.lpfnWndProc = ::DefWindowProcW;
    description.hInstance = ::GetModuleHandleW(nullptr);
    description.lpszClassName = L"StubApplicationWindow";
    ::RegisterClassExW(&description);
    HWND window = ::CreateWindowExW(0, description.lpszClassName, L"Stub application", WS_OVERLAPPEDWINDOW,
        100, 100, 300, 200, nullptr, nullptr, description.hInstance, nullptr);
    if (window == nullptr) {
        recordCall("window failed");
        return 1;
    }
    ::ShowWindow(window, SW_SHOWNORMAL);
    recordCall("window shown");
    const ULONGLONG end = ::GetTickCount64() + kApplicationWindowLifeMs;
    for (ULONGLONG now = ::GetTickCount64(); now < end; now = ::GetTickCount64()) {
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        MSG message{};
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::DispatchMessageW(&message);
        }
    }
    ::DestroyWindow(window);
    recordCall("window closed");
    return 0;
}

void startApplicationWindow(DWORD delay)
{
    velmar::UniqueHandle thread(::CreateThread(
        nullptr, 0, applicationWindowThread, reinterpret_cast<void*>(static_cast<uintptr_t>(delay)), 0, nullptr));
    if (thread) {
        vm().javaThreads.push_back(std::move(thread));
    }
}

long numberProperty(const char* name, long fallback)
{
    auto text = property(name);
    return text ? std::strtol(text->c_str(), nullptr, 10) : fallback;
}

// Every form of main ends here.
Outcome runApplication(Invocation& call)
{
    std::string className = call.self->cls->name;
    bool takesArguments = std::string_view(call.method.signature) == kMainSignature;
    recordCall("main " + className);
    record("mainClass", className);
    record("mainForm", std::string(call.method.isStatic ? "static" : "instance") + (takesArguments ? "(String[])" : "()"));
    if (takesArguments) {
        const Object* arguments = call.object(0);
        record("main", argumentList(arguments));
        if (!arguments) {
            return nullPointer(call);
        }
        for (const Object* argument : arguments->elements) {
            println(vm().systemOut, argument ? argument->chars : u"null");
        }
    }
    if (auto text = property("stub.out")) {
        println(vm().systemOut, widen(*text, CP_ACP));
    }
    if (auto text = property("stub.err")) {
        println(vm().systemErr, widen(*text, CP_ACP));
    }
    if (property("stub.linger")) {
        startLinger(static_cast<DWORD>(numberProperty("stub.linger", 0)));
    }
    if (property("stub.window")) {
        startApplicationWindow(static_cast<DWORD>(numberProperty("stub.window", 0)));
    }
    if (property("stub.exit")) {
        exitVm(numberProperty("stub.exit", 0));
    }
    if (auto message = property("stub.throw")) {
        std::string source = "(" + className.substr(5) + ".java:";
        std::string frames;
        for (long depth = numberProperty("stub.depth", 0); depth > 0; --depth) {
            frames += "\tat " + dotted(className) + ".descend" + source + "12)\r\n";
        }
        frames += "\tat " + dotted(className) + ".main" + source + "7)\r\n";
        throwNew(call.env, "java/lang/RuntimeException", widen(*message, CP_ACP), frames);
    }
    return {};
}

Outcome secondaryMain(Invocation& call)
{
    std::string form = std::string_view(call.method.signature).ends_with("I") ? "I" : "V";
    recordCall("secondaryMain " + std::string(call.self->cls->name) + " " + form);
    record("secondaryMain", form + ":" + argumentList(call.object(0)));
    if (auto message = property("stub.secondaryThrow")) {
        throwNew(call.env, "java/lang/IllegalStateException", widen(*message, CP_ACP));
        return {};
    }
    return {.number = numberProperty("stub.secondaryResult", 0)};
}

constexpr MethodInfo kMethods[] = {
    {"java/lang/String", "<init>", "([C)V", false, stringInit},
    {"java/lang/Class", "getName", "()Ljava/lang/String;", false, className},
    {"java/lang/System", "exit", "(I)V", true, systemExit},
    {"java/lang/System", "setOut", "(Ljava/io/PrintStream;)V", true, systemSetStream},
    {"java/lang/System", "setErr", "(Ljava/io/PrintStream;)V", true, systemSetStream},
    {"java/lang/Thread", "activeCount", "()I", true, threadActiveCount},
    {"java/lang/Thread", "enumerate", "([Ljava/lang/Thread;)I", true, threadEnumerate},
    {"java/lang/Thread", "isDaemon", "()Z", false, threadIsDaemon},
    {"java/io/FileOutputStream", "<init>", "(Ljava/lang/String;Z)V", false, fileStreamInit},
    {"java/io/ByteArrayOutputStream", "<init>", "()V", false, nothing},
    {"java/io/ByteArrayOutputStream", "toString", "()Ljava/lang/String;", false, byteStreamToString},
    {"java/io/PrintStream", "<init>", "(Ljava/io/OutputStream;)V", false, printStreamInit},
    {"java/lang/Throwable", "printStackTrace", "(Ljava/io/PrintStream;)V", false, printStackTrace},
    {"sun/launcher/LauncherHelper", "checkAndLoadMain", "(ZILjava/lang/String;)Ljava/lang/Class;", true,
        checkAndLoadMain},
    {"stub/App", "main", kMainSignature, true, runApplication},
    {"stub/StaticNoArgs", "main", "()V", true, runApplication},
    {"stub/InstanceMain", "<init>", "()V", false, nothing},
    {"stub/InstanceMain", "main", kMainSignature, false, runApplication},
    {"stub/InstanceNoArgs", "<init>", "()V", false, nothing},
    {"stub/InstanceNoArgs", "main", "()V", false, runApplication},
    {"stub/Mixed", "<init>", "()V", false, nothing},
    {"stub/Mixed", "main", "()V", true, runApplication},
    {"stub/Mixed", "main", kMainSignature, false, runApplication},
    {"stub/BadInit", "main", kMainSignature, true, runApplication},
    {"stub/Instance", "secondaryMain", "([Ljava/lang/String;)V", true, secondaryMain},
    {"stub/InstanceInt", "secondaryMain", "([Ljava/lang/String;)I", true, secondaryMain},
    {"stub/InstanceBoth", "secondaryMain", "([Ljava/lang/String;)V", true, secondaryMain},
    {"stub/InstanceBoth", "secondaryMain", "([Ljava/lang/String;)I", true, secondaryMain},
    {"example/notes/NotesApp", "main", kMainSignature, true, runApplication},
    {"example/notes/NotesApp", "secondaryMain", "([Ljava/lang/String;)V", true, secondaryMain},
};

}  // namespace

const ClassInfo* findClassInfo(std::string_view name)
{
    auto found = std::ranges::find(kClasses, name, &ClassInfo::name);
    return found == std::end(kClasses) ? nullptr : found;
}

const ClassInfo* superOf(const ClassInfo* cls)
{
    return cls->superName ? findClassInfo(cls->superName) : nullptr;
}

// The superclass first. A failed initializer leaves
// ExceptionInInitializerError with its exception as the cause; every later
// use gets NoClassDefFoundError, as the class is then in error for good.
bool initialise(ThreadEnv& env, const ClassInfo* cls)
{
    auto [state, first] = vm().initialised.try_emplace(cls, true);
    if (!first) {
        if (!state->second) {
            throwNew(env, "java/lang/NoClassDefFoundError",
                u"Could not initialize class " + widen(dotted(cls->name), CP_UTF8));
        }
        return state->second;
    }
    const ClassInfo* base = superOf(cls);
    state->second = (!base || initialise(env, base)) && !cls->initializerThrows;
    if (state->second || env.pending) {
        return state->second;
    }
    // Test classes only: "stub/" is cut for the source file's name.
    recordCall("<clinit> " + std::string(cls->name) + " threw");
    std::string frame = "\tat " + dotted(cls->name) + ".<clinit>(" + std::string(cls->name).substr(5) + ".java:3)\r\n";
    throwNew(env, "java/lang/IllegalStateException", u"settings missing", frame);
    Object* cause = env.pending;
    throwNew(env, "java/lang/ExceptionInInitializerError", u"");
    env.pending->cause = cause;
    return false;
}

bool isSubclass(const ClassInfo* cls, const ClassInfo* base)
{
    for (; cls; cls = superOf(cls)) {
        if (cls == base) {
            return true;
        }
    }
    return false;
}

// Constructors belong to their class alone; other methods are inherited.
const MethodInfo* findMethod(const ClassInfo* cls, std::string_view name, std::string_view signature)
{
    for (const ClassInfo* c = cls; c; c = name == "<init>" ? nullptr : superOf(c)) {
        for (const MethodInfo& m : kMethods) {
            if (m.className == std::string_view(c->name) && m.name == name && m.signature == signature) {
                return &m;
            }
        }
    }
    return nullptr;
}

// The entry point as the Java 25 launcher chooses it: main(String[])
// before main(), static or not; an instance main needs the class's own
// no-argument constructor.
const MethodInfo* launchableMain(const ClassInfo* cls)
{
    for (const char* signature : {kMainSignature, "()V"}) {
        if (const MethodInfo* method = findMethod(cls, "main", signature)) {
            return method->isStatic || findMethod(cls, "<init>", "()V") ? method : nullptr;
        }
    }
    return nullptr;
}

const MethodInfo* methodFromId(jmethodID id)
{
    auto address = reinterpret_cast<uintptr_t>(id);
    auto first = reinterpret_cast<uintptr_t>(std::begin(kMethods));
    auto last = reinterpret_cast<uintptr_t>(std::end(kMethods));
    bool valid = address >= first && address < last && (address - first) % sizeof(MethodInfo) == 0;
    return valid ? reinterpret_cast<const MethodInfo*>(id) : nullptr;
}

}  // namespace stub
