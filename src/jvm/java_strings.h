// Small JNI helpers: an owner for local references, objects made through a
// constructor, and Java strings and String arrays built from UTF-16 text
// through the char[] constructor, so no character is lost to a narrow code
// page.
#pragma once

#include <jni.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velmar {

// Deletes its local reference at scope exit. DeleteLocalRef may be called
// with an exception pending, so the owner is safe on every path.
template <typename Ref = jobject>
class LocalRef {
public:
    LocalRef(JNIEnv* env, Ref ref) noexcept : env_(env), ref_(ref) {}
    LocalRef(LocalRef&& other) noexcept : env_(other.env_), ref_(std::exchange(other.ref_, nullptr)) {}
    LocalRef(const LocalRef&) = delete;
    LocalRef& operator=(const LocalRef&) = delete;
    LocalRef& operator=(LocalRef&&) = delete;
    ~LocalRef()
    {
        if (ref_ != nullptr) {
            env_->DeleteLocalRef(ref_);
        }
    }

    Ref get() const noexcept { return ref_; }
    explicit operator bool() const noexcept { return ref_ != nullptr; }
    // Hands the reference to the caller, who deletes it from then on.
    Ref release() noexcept { return std::exchange(ref_, nullptr); }

private:
    JNIEnv* env_;
    Ref ref_;
};

// new className(arguments...) through the constructor of `signature`; null
// when any step fails (an exception may then be pending).
jobject newInstance(JNIEnv* env, const char* className, const char* signature, const jvalue* arguments);

// A java.lang.String of the text; null when any step failed (an exception
// may then be pending).
jstring newJavaString(JNIEnv* env, std::wstring_view text);

// A String[] of the texts; null when the array or any element could not be
// made (an exception may then be pending).
jobjectArray newJavaStringArray(JNIEnv* env, const std::vector<std::wstring>& texts);

// The class of the name in slash form, as FindClass finds it (which also
// initialises it); null when it could not be found or initialised, with
// the runtime's exception then pending (NoClassDefFoundError for a class
// that is not there).
jclass findClassNamed(JNIEnv* env, std::wstring_view slashName);

// Whether the object is an instance of the named class; false also when
// that class cannot be found. Needs and leaves no exception pending.
bool isInstanceOfClass(JNIEnv* env, jobject object, const char* className);

// Prints and clears a pending exception; false when none was pending.
bool describePendingException(JNIEnv* env);

// UTF-16 text of modified UTF-8, the form GetStringUTFChars hands out: every
// sequence of one to three bytes is one UTF-16 unit (a supplementary
// character comes as its two surrogates, U+0000 as C0 80). A byte that
// starts no complete sequence gives U+FFFD.
std::wstring fromModifiedUtf8(std::string_view bytes);

// The characters of a Java string; nullopt when the runtime could not hand
// them out (an exception is then pending).
std::optional<std::wstring> textOf(JNIEnv* env, jstring string);

}  // namespace velmar
