// The object side of the stub: allocation, class mirrors, instance checks,
// the streams behind System.out and System.err, exceptions and their
// traces, and System.exit. Callers hold the VM lock.
#include "stub_jvm.h"

#include <algorithm>

namespace stub {

Object* newObject(const ClassInfo* cls, Kind kind)
{
    Object& object = vm().objects.emplace_back();
    object.kind = kind;
    object.cls = cls;
    return &object;
}

// One java/lang/Class object per class, as a real runtime has.
Object* mirror(const ClassInfo* cls)
{
    Object*& slot = vm().mirrors[cls];
    if (!slot) {
        slot = newObject(cls, Kind::ClassMirror);
    }
    return slot;
}

Object* newString(std::u16string_view text)
{
    Object* string = newObject(findClassInfo("java/lang/String"));
    string->chars = text;
    return string;
}

// What the runtime sets System.out and System.err to at start: a print
// stream over the process's own handle, which it does not own.
Object* newPrintStream(HANDLE sink)
{
    Object* file = newObject(findClassInfo("java/io/FileOutputStream"));
    file->sink = sink;
    Object* print = newObject(findClassInfo("java/io/PrintStream"));
    print->out = file;
    return print;
}

// Only reference descriptors reach here: "[C", "[L...;" and "L...;".
bool isInstance(const Object* object, std::string_view descriptor)
{
    if (!object || descriptor == "Ljava/lang/Object;") {
        return true;
    }
    if (descriptor == "[C") {
        return object->kind == Kind::CharArray;
    }
    bool array = descriptor.starts_with("[L");
    std::string_view name = descriptor.substr(array ? 2 : 1, descriptor.size() - (array ? 3 : 2));
    if (array) {
        return object->kind == Kind::ObjectArray && isSubclass(object->cls, findClassInfo(name));
    }
    if (object->kind == Kind::ClassMirror) {
        return name == "java/lang/Class";
    }
    return object->kind == Kind::Instance && isSubclass(object->cls, findClassInfo(name));
}

// Unbuffered, so whatever was printed is in the file when the process ends,
// however it ends.
void writeTo(Object* stream, std::string_view bytes)
{
    for (; stream; stream = stream->out) {
        if (std::string_view(stream->cls->name) == "java/io/ByteArrayOutputStream") {
            stream->bytes.append(bytes);
            return;
        }
        if (stream->sink) {
            DWORD written = 0;
            ::WriteFile(stream->sink, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
            return;
        }
    }
}

void println(Object* printStream, std::u16string_view text)
{
    writeTo(printStream, utf8(text) + "\r\n");
}

void throwNew(ThreadEnv& env, const char* className, std::u16string_view message, std::string frames)
{
    Object* throwable = newObject(findClassInfo(className));
    throwable->chars = message;
    throwable->bytes = std::move(frames);
    env.pending = throwable;
}

std::string stackTrace(const Object* throwable)
{
    std::string text = throwable->cls->name;
    std::ranges::replace(text, '/', '.');
    if (!throwable->chars.empty()) {
        text += ": " + utf8(throwable->chars);
    }
    text += "\r\n" + throwable->bytes;
    return throwable->cause ? text + "Caused by: " + stackTrace(throwable->cause) : text;
}

// As HotSpot does it: ExceptionDescribe writes its "Exception in thread"
// prefix to the process's standard error and only the trace to System.err;
// the uncaught-exception handler writes both to System.err.
void describePending(ThreadEnv& env, bool uncaught)
{
    if (!env.pending) {
        return;
    }
    std::string prefix = "Exception in thread \"" + env.name + "\" ";
    if (uncaught) {
        writeTo(vm().systemErr, prefix);
    } else {
        DWORD written = 0;
        ::WriteFile(::GetStdHandle(STD_ERROR_HANDLE), prefix.data(), static_cast<DWORD>(prefix.size()), &written,
            nullptr);
    }
    writeTo(vm().systemErr, stackTrace(env.pending));
    env.pending = nullptr;
}

namespace {

struct ExitHookCall {
    void(JNICALL* hook)(jint);
    jint code;
};

DWORD WINAPI exitHookThread(void* parameter)
{
    const auto* call = static_cast<const ExitHookCall*>(parameter);
    call->hook(call->code);
    return 0;
}

}  // namespace

// Like the runtime's own exit: the "exit" hook first, then the process ends
// with the code, without DestroyJavaVM. HotSpot runs the exit sequence on
// its VM thread, so the hook runs on a thread of its own while the thread
// that called System.exit waits.
void exitVm(jint code)
{
    recordCall("System.exit " + std::to_string(code));
    if (vm().exitHook) {
        record("exitHook", std::to_string(code));
        ExitHookCall call{vm().exitHook, code};
        velmar::UniqueHandle vmThread(::CreateThread(nullptr, 0, exitHookThread, &call, 0, nullptr));
        if (vmThread) {
            ::WaitForSingleObject(vmThread.get(), INFINITE);
        }
    }
    ::ExitProcess(static_cast<UINT>(code));
}

}  // namespace stub
