// Calling Java: the NewObject and Call...Method forms the launcher uses, in
// their variadic, va_list and jvalue-array shapes, all funnelled into one
// invoke that checks the target, the method id, the return type the caller
// expects and each reference argument against the method's signature.
#include "jni_checks.h"

#include <cstdarg>
#include <type_traits>
#include <utility>

namespace stub {
namespace {

enum class Mode { Static, Instance, Constructor };

struct CallKind {
    const char* name;
    char returns;  // 'V', 'I', 'Z' or 'L' for any reference
    Mode mode;
};

constexpr CallKind kNewObject{"NewObject", 'L', Mode::Constructor};
constexpr CallKind kCallObject{"CallObjectMethod", 'L', Mode::Instance};
constexpr CallKind kCallVoid{"CallVoidMethod", 'V', Mode::Instance};
constexpr CallKind kCallBoolean{"CallBooleanMethod", 'Z', Mode::Instance};
constexpr CallKind kCallStaticObject{"CallStaticObjectMethod", 'L', Mode::Static};
constexpr CallKind kCallStaticInt{"CallStaticIntMethod", 'I', Mode::Static};
constexpr CallKind kCallStaticVoid{"CallStaticVoidMethod", 'V', Mode::Static};

const MethodInfo& checkedMethod(jmethodID id, const std::string& function)
{
    const MethodInfo* method = methodFromId(id);
    if (!method) {
        failViolation(function + " with a method id this VM never gave out");
    }
    return *method;
}

std::vector<std::string_view> parameterTypes(std::string_view signature)
{
    std::vector<std::string_view> types;
    for (size_t i = 1; signature[i] != ')';) {
        size_t start = i;
        while (signature[i] == '[') {
            ++i;
        }
        i = signature[i] == 'L' ? signature.find(';', i) + 1 : i + 1;
        types.push_back(signature.substr(start, i - start));
    }
    return types;
}

bool isReference(std::string_view type)
{
    return type[0] == 'L' || type[0] == '[';
}

char returnKind(std::string_view signature)
{
    char kind = signature[signature.find(')') + 1];
    return kind == '[' ? 'L' : kind;
}

// The known methods take references, ints and booleans only; a boolean
// arrives promoted to int through "...".
std::vector<jvalue> fromList(const MethodInfo& method, va_list list)
{
    std::vector<jvalue> values;
    for (std::string_view type : parameterTypes(method.signature)) {
        jvalue value{};
        if (isReference(type)) {
            value.l = va_arg(list, jobject);
        } else {
            value.i = va_arg(list, jint);
        }
        values.push_back(value);
    }
    return values;
}

std::vector<jvalue> fromArray(const MethodInfo& method, const jvalue* array, const std::string& function)
{
    std::vector<jvalue> values;
    for (std::string_view type : parameterTypes(method.signature)) {
        if (!array) {
            failViolation(function + " with a null argument array");
        }
        jvalue value{};
        const jvalue& given = array[values.size()];
        if (isReference(type)) {
            value.l = given.l;
        } else {
            value.i = type[0] == 'Z' ? given.z : given.i;
        }
        values.push_back(value);
    }
    return values;
}

void checkTarget(const Checked& c, const Object* target, const MethodInfo& method, Mode mode)
{
    const ClassInfo* owner = findClassInfo(method.className);
    bool isInit = std::string_view(method.name) == "<init>";
    bool isClass = target && target->kind == Kind::ClassMirror;
    bool fits = false;
    switch (mode) {
    case Mode::Static:
        fits = isClass && method.isStatic && isSubclass(target->cls, owner);
        break;
    case Mode::Constructor:
        fits = isClass && isInit && target->cls == owner;
        break;
    case Mode::Instance: {
        // A Class object answers the methods of java/lang/Class, not those of the class it stands for.
        bool ofTarget = target
            && (target->kind == Kind::Instance ? isSubclass(target->cls, owner)
                                               : isClass && owner == findClassInfo("java/lang/Class"));
        fits = ofTarget && !method.isStatic && !isInit;
        break;
    }
    }
    if (!fits) {
        failViolation(c.name + ": " + method.className + "." + method.name + method.signature
            + " cannot be called this way on this target");
    }
}

jvalue invoke(JNIEnv* jni, jobject target, const MethodInfo& method, std::vector<jvalue> values, const CallKind& kind,
    const std::string& function)
{
    Checked c(jni, function);
    Object* object = resolve(c, target);
    checkTarget(c, object, method, kind.mode);
    char declared = kind.mode == Mode::Constructor ? 'V' : kind.returns;  // <init> is void, NewObject is not
    if (returnKind(method.signature) != declared) {
        failViolation(c.name + " on " + method.name + method.signature + ": wrong return type");
    }
    Invocation call{c.env, method, object, std::move(values), {}};
    std::vector<std::string_view> types = parameterTypes(method.signature);
    call.objects.resize(types.size());
    for (size_t i = 0; i < types.size(); ++i) {
        if (isReference(types[i])) {
            call.objects[i] = typed(c, call.values[i].l, types[i], true);
        }
    }
    if (kind.mode == Mode::Constructor) {
        call.self = newObject(object->cls);
    }
    // An exception pending before the call (allowed only when warning) is
    // not the call's own; it stays pending unless the call throws another.
    Object* earlier = std::exchange(c.env.pending, nullptr);
    Outcome outcome = method.body(call);
    jvalue result{};
    if (c.env.pending) {
        return result;
    }
    c.env.pending = earlier;
    if (kind.returns == 'L') {
        result.l = newRef(c.env, kind.mode == Mode::Constructor ? call.self : outcome.object);
    } else {
        result.i = outcome.number;
    }
    return result;
}

template <typename Ret> Ret as(jvalue value)
{
    if constexpr (std::is_same_v<Ret, jint>) {
        return value.i;
    } else if constexpr (std::is_same_v<Ret, jboolean>) {
        return value.i != 0 ? JNI_TRUE : JNI_FALSE;
    } else if constexpr (!std::is_void_v<Ret>) {
        return static_cast<Ret>(value.l);
    }
}

template <const CallKind& kKind, typename Ret, typename Target>
Ret JNICALL callArray(JNIEnv* jni, Target target, jmethodID id, const jvalue* args)
{
    std::string function = std::string(kKind.name) + "A";
    const MethodInfo& method = checkedMethod(id, function);
    return as<Ret>(invoke(jni, target, method, fromArray(method, args, function), kKind, function));
}

template <const CallKind& kKind, typename Ret, typename Target>
Ret JNICALL callList(JNIEnv* jni, Target target, jmethodID id, va_list args)
{
    std::string function = std::string(kKind.name) + "V";
    const MethodInfo& method = checkedMethod(id, function);
    return as<Ret>(invoke(jni, target, method, fromList(method, args), kKind, function));
}

// jni.h declares these with "...", which makes them cdecl whatever JNICALL says.
template <const CallKind& kKind, typename Ret, typename Target>
Ret JNICALL callVariadic(JNIEnv* jni, Target target, jmethodID id, ...)
{
    std::string function = kKind.name;
    const MethodInfo& method = checkedMethod(id, function);
    va_list args;
    va_start(args, id);
    std::vector<jvalue> values = fromList(method, args);
    va_end(args);
    return as<Ret>(invoke(jni, target, method, std::move(values), kKind, function));
}

}  // namespace

void installCalls(JNINativeInterface_& table)
{
    table.NewObject = callVariadic<kNewObject, jobject, jclass>;
    table.NewObjectV = callList<kNewObject, jobject, jclass>;
    table.NewObjectA = callArray<kNewObject, jobject, jclass>;
    table.CallObjectMethod = callVariadic<kCallObject, jobject, jobject>;
    table.CallObjectMethodV = callList<kCallObject, jobject, jobject>;
    table.CallObjectMethodA = callArray<kCallObject, jobject, jobject>;
    table.CallBooleanMethod = callVariadic<kCallBoolean, jboolean, jobject>;
    table.CallBooleanMethodV = callList<kCallBoolean, jboolean, jobject>;
    table.CallBooleanMethodA = callArray<kCallBoolean, jboolean, jobject>;
    table.CallVoidMethod = callVariadic<kCallVoid, void, jobject>;
    table.CallVoidMethodV = callList<kCallVoid, void, jobject>;
    table.CallVoidMethodA = callArray<kCallVoid, void, jobject>;
    table.CallStaticObjectMethod = callVariadic<kCallStaticObject, jobject, jclass>;
    table.CallStaticObjectMethodV = callList<kCallStaticObject, jobject, jclass>;
    table.CallStaticObjectMethodA = callArray<kCallStaticObject, jobject, jclass>;
    table.CallStaticIntMethod = callVariadic<kCallStaticInt, jint, jclass>;
    table.CallStaticIntMethodV = callList<kCallStaticInt, jint, jclass>;
    table.CallStaticIntMethodA = callArray<kCallStaticInt, jint, jclass>;
    table.CallStaticVoidMethod = callVariadic<kCallStaticVoid, void, jclass>;
    table.CallStaticVoidMethodV = callList<kCallStaticVoid, void, jclass>;
    table.CallStaticVoidMethodA = callArray<kCallStaticVoid, void, jclass>;
}

}  // namespace stub
