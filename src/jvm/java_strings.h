// Small JNI helpers: an owner for local references, and Java strings and
// String arrays built from UTF-16 text through the char[] constructor, so
// no character is lost to a narrow code page.
#pragma once

#include <jni.h>

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

// A java.lang.String of the text; null when any step failed (an exception
// may then be pending).
jstring newJavaString(JNIEnv* env, std::wstring_view text);

// A String[] of the texts; null when the array or any element could not be
// made (an exception may then be pending).
jobjectArray newJavaStringArray(JNIEnv* env, const std::vector<std::wstring>& texts);

// Prints and clears a pending exception; false when none was pending.
bool describePendingException(JNIEnv* env);

}  // namespace velmar
