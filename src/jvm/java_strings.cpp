#include "jvm/java_strings.h"

namespace velmar {

namespace {

constexpr wchar_t kReplacementCharacter = 0xFFFD;

bool isContinuation(std::string_view bytes, size_t at)
{
    return at < bytes.size() && (static_cast<unsigned char>(bytes[at]) & 0xC0) == 0x80;
}

unsigned payload(std::string_view bytes, size_t at)
{
    return static_cast<unsigned char>(bytes[at]) & 0x3F;
}

}  // namespace

jobject newInstance(JNIEnv* env, const char* className, const char* signature, const jvalue* arguments)
{
    LocalRef<jclass> cls(env, env->FindClass(className));
    jmethodID constructor = cls ? env->GetMethodID(cls.get(), "<init>", signature) : nullptr;
    return constructor != nullptr ? env->NewObjectA(cls.get(), constructor, arguments) : nullptr;
}

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

jclass findClassNamed(JNIEnv* env, std::wstring_view slashName)
{
    // Through a Java string, so the name reaches FindClass in modified
    // UTF-8 whatever characters it holds.
    LocalRef<jstring> name(env, newJavaString(env, slashName));
    if (!name) {
        return nullptr;
    }
    const char* modifiedUtf8 = env->GetStringUTFChars(name.get(), nullptr);
    if (modifiedUtf8 == nullptr) {
        return nullptr;
    }
    jclass found = env->FindClass(modifiedUtf8);
    env->ReleaseStringUTFChars(name.get(), modifiedUtf8);
    return found;
}

bool isInstanceOfClass(JNIEnv* env, jobject object, const char* className)
{
    LocalRef<jclass> cls(env, env->FindClass(className));
    if (!cls) {
        env->ExceptionClear();
        return false;
    }
    return env->IsInstanceOf(object, cls.get()) == JNI_TRUE;
}

bool describePendingException(JNIEnv* env)
{
    if (!env->ExceptionCheck()) {
        return false;
    }
    env->ExceptionDescribe();
    return true;
}

std::wstring fromModifiedUtf8(std::string_view bytes)
{
    std::wstring text;
    text.reserve(bytes.size());
    size_t at = 0;
    while (at < bytes.size()) {
        const unsigned lead = static_cast<unsigned char>(bytes[at]);
        if (lead < 0x80) {
            text.push_back(static_cast<wchar_t>(lead));
            at += 1;
        } else if ((lead & 0xE0) == 0xC0 && isContinuation(bytes, at + 1)) {
            text.push_back(static_cast<wchar_t>((lead & 0x1F) << 6 | payload(bytes, at + 1)));
            at += 2;
        } else if ((lead & 0xF0) == 0xE0 && isContinuation(bytes, at + 1) &&
                   isContinuation(bytes, at + 2)) {
            text.push_back(static_cast<wchar_t>((lead & 0x0F) << 12 | payload(bytes, at + 1) << 6 |
                                                payload(bytes, at + 2)));
            at += 3;
        } else {
            text.push_back(kReplacementCharacter);
            at += 1;
        }
    }
    return text;
}

std::optional<std::wstring> textOf(JNIEnv* env, jstring string)
{
    const char* characters = env->GetStringUTFChars(string, nullptr);
    if (characters == nullptr) {
        return std::nullopt;
    }
    // Released also when decoding runs out of memory.
    struct Release {
        JNIEnv* env;
        jstring string;
        const char* characters;
        ~Release() { env->ReleaseStringUTFChars(string, characters); }
    } release{env, string, characters};
    return fromModifiedUtf8(characters);
}

}  // namespace velmar
