// Strings and arrays through JNI. Characters handed out by
// GetStringUTFChars stay pinned until released, so a release of anything
// else, or of the wrong string's characters, is caught.
#include "jni_checks.h"

#include <algorithm>

namespace stub {
namespace {

constexpr std::string_view kString = "Ljava/lang/String;";

template <typename Handle> Handle refTo(const Checked& c, Object* object)
{
    return static_cast<Handle>(newRef(c.env, object));
}

jstring JNICALL newStringUtf(JNIEnv* jni, const char* bytes)
{
    Checked c(jni, "NewStringUTF");
    return bytes ? refTo<jstring>(c, newString(fromModifiedUtf8(bytes))) : nullptr;
}

const char* pin(const Object* source, std::string bytes, jboolean* isCopy)
{
    auto pinned = std::make_unique<Pinned>(Pinned{source, std::move(bytes)});
    const char* data = pinned->bytes.c_str();
    vm().pinned.emplace(data, std::move(pinned));
    if (isCopy) {
        *isCopy = JNI_TRUE;
    }
    return data;
}

void unpin(const Checked& c, jstring string, const void* data)
{
    const Object* source = typed(c, string, kString);
    auto found = vm().pinned.find(data);
    if (found == vm().pinned.end() || found->second->source != source) {
        failViolation(c.name + " with characters not taken from that string");
    }
    vm().pinned.erase(found);
}

const char* JNICALL getStringUtfChars(JNIEnv* jni, jstring string, jboolean* isCopy)
{
    Checked c(jni, "GetStringUTFChars");
    const Object* source = typed(c, string, kString);
    return pin(source, modifiedUtf8(source->chars), isCopy);
}

void JNICALL releaseStringUtfChars(JNIEnv* jni, jstring string, const char* chars)
{
    Checked c(jni, "ReleaseStringUTFChars", true);
    unpin(c, string, chars);
}

std::u16string decimal(long long value)
{
    return widen(std::to_string(value), CP_ACP);
}

jcharArray JNICALL newCharArray(JNIEnv* jni, jsize length)
{
    Checked c(jni, "NewCharArray");
    if (length < 0) {
        throwNew(c.env, "java/lang/NegativeArraySizeException", decimal(length));
        return nullptr;
    }
    Object* array = newObject(nullptr, Kind::CharArray);
    array->chars.assign(length, u'\0');
    return refTo<jcharArray>(c, array);
}

void JNICALL setCharArrayRegion(JNIEnv* jni, jcharArray handle, jsize start, jsize length, const jchar* buffer)
{
    Checked c(jni, "SetCharArrayRegion");
    Object* array = typed(c, handle, "[C");
    long long size = static_cast<long long>(array->chars.size());
    if (start < 0 || length < 0 || static_cast<long long>(start) + length > size) {
        throwNew(c.env, "java/lang/ArrayIndexOutOfBoundsException",
            u"Array region " + decimal(start) + u".." + decimal(static_cast<long long>(start) + length)
                + u" out of bounds for length " + decimal(size));
        return;
    }
    std::copy_n(buffer, length, array->chars.begin() + start);
}

jobjectArray JNICALL newObjectArray(JNIEnv* jni, jsize length, jclass elementClass, jobject initial)
{
    Checked c(jni, "NewObjectArray");
    const ClassInfo* cls = classOf(c, elementClass);
    Object* first = resolve(c, initial);
    if (length < 0) {
        throwNew(c.env, "java/lang/NegativeArraySizeException", decimal(length));
        return nullptr;
    }
    Object* array = newObject(cls, Kind::ObjectArray);
    array->elements.assign(length, first);
    return refTo<jobjectArray>(c, array);
}

void JNICALL setObjectArrayElement(JNIEnv* jni, jobjectArray handle, jsize index, jobject value)
{
    Checked c(jni, "SetObjectArrayElement");
    Object* array = typed(c, handle, "[Ljava/lang/Object;");
    Object* element = resolve(c, value);
    auto size = static_cast<long long>(array->elements.size());
    if (index < 0 || index >= size) {
        throwNew(c.env, "java/lang/ArrayIndexOutOfBoundsException",
            u"Index " + decimal(index) + u" out of bounds for length " + decimal(size));
        return;
    }
    if (!isInstance(element, "L" + std::string(array->cls->name) + ";")) {
        throwNew(c.env, "java/lang/ArrayStoreException", u"wrong element type");
        return;
    }
    array->elements[index] = element;
}

jobject JNICALL getObjectArrayElement(JNIEnv* jni, jobjectArray handle, jsize index)
{
    Checked c(jni, "GetObjectArrayElement");
    Object* array = typed(c, handle, "[Ljava/lang/Object;");
    auto size = static_cast<long long>(array->elements.size());
    if (index < 0 || index >= size) {
        throwNew(c.env, "java/lang/ArrayIndexOutOfBoundsException",
            u"Index " + decimal(index) + u" out of bounds for length " + decimal(size));
        return nullptr;
    }
    Object* element = array->elements[index];
    return element ? refTo<jobject>(c, element) : nullptr;
}

}  // namespace

void installStringsAndArrays(JNINativeInterface_& table)
{
    table.NewStringUTF = newStringUtf;
    table.GetStringUTFChars = getStringUtfChars;
    table.ReleaseStringUTFChars = releaseStringUtfChars;
    table.NewCharArray = newCharArray;
    table.SetCharArrayRegion = setCharArrayRegion;
    table.NewObjectArray = newObjectArray;
    table.SetObjectArrayElement = setObjectArrayElement;
    table.GetObjectArrayElement = getObjectArrayElement;
}

}  // namespace stub
