#include "jvm/java_strings.h"

namespace velmar {

jstring newJavaString(JNIEnv* env, std::wstring_view text)
{
    static_assert(sizeof(jchar) == sizeof(wchar_t), "UTF-16 units on both sides");
    LocalRef<jclass> stringClass(env, env->FindClass("java/lang/String"));
    if (!stringClass) {
        return nullptr;
    }
    jmethodID constructor = env->GetMethodID(stringClass.get(), "<init>", "([C)V");
    if (constructor == nullptr) {
        return nullptr;
    }
    const auto length = static_cast<jsize>(text.size());
    LocalRef<jcharArray> characters(env, env->NewCharArray(length));
    if (!characters) {
        return nullptr;
    }
    env->SetCharArrayRegion(characters.get(), 0, length,
                            reinterpret_cast<const jchar*>(text.data()));
    if (env->ExceptionCheck()) {
        return nullptr;
    }
    return static_cast<jstring>(env->NewObject(stringClass.get(), constructor, characters.get()));
}

jobjectArray newJavaStringArray(JNIEnv* env, const std::vector<std::wstring>& texts)
{
    LocalRef<jclass> stringClass(env, env->FindClass("java/lang/String"));
    if (!stringClass) {
        return nullptr;
    }
    LocalRef<jobjectArray> array(
        env, env->NewObjectArray(static_cast<jsize>(texts.size()), stringClass.get(), nullptr));
    if (!array) {
        return nullptr;
    }
    for (size_t i = 0; i < texts.size(); ++i) {
        LocalRef<jstring> element(env, newJavaString(env, texts[i]));
        if (!element) {
            return nullptr;
        }
        env->SetObjectArrayElement(array.get(), static_cast<jsize>(i), element.get());
        if (env->ExceptionCheck()) {
            return nullptr;
        }
    }
    return array.release();
}

bool describePendingException(JNIEnv* env)
{
    if (!env->ExceptionCheck()) {
        return false;
    }
    env->ExceptionDescribe();
    return true;
}

}  // namespace velmar
