// The standard library's throw helpers (std::__throw_length_error and the
// rest), defined here instead of taken from libstdc++. Its own ones throw
// std::logic_error and its kin, whose reference-counted strings pull about
// 30 KB into the launcher. These throw an exception that carries the same
// description without a string, so the boundary guard shows the same
// "internal error: ..." detail; the exceptions without a description keep
// their standard types.
#include <cstring>
#include <exception>
#include <new>
#include <typeinfo>

namespace {

class LibraryError : public std::exception {
public:
    explicit LibraryError(const char* description) noexcept : description_(description) {}
    const char* what() const noexcept override { return description_ != nullptr ? description_ : "std"; }

private:
    const char* description_;
};

// A formatted description's fixed part, "basic_string::at" of
// "basic_string::at: __n (which is %zu) >= ...": the numbers are left out.
class FormattedLibraryError : public std::exception {
public:
    explicit FormattedLibraryError(const char* format) noexcept
    {
        size_t length = 0;
        while (format != nullptr && format[length] != '\0' && format[length] != '%' &&
               !(format[length] == ':' && format[length + 1] == ' ') && length < sizeof text_ - 1) {
            ++length;
        }
        if (length > 0) {
            std::memcpy(text_, format, length);
        }
        text_[length] = '\0';
    }
    const char* what() const noexcept override { return text_[0] != '\0' ? text_ : "std"; }

private:
    char text_[64] = {};
};

}  // namespace

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_bad_exception() { throw bad_exception(); }
void __throw_logic_error(const char* what) { throw LibraryError(what); }
void __throw_domain_error(const char* what) { throw LibraryError(what); }
void __throw_invalid_argument(const char* what) { throw LibraryError(what); }
void __throw_length_error(const char* what) { throw LibraryError(what); }
void __throw_out_of_range(const char* what) { throw LibraryError(what); }
void __throw_out_of_range_fmt(const char* format, ...) { throw FormattedLibraryError(format); }
void __throw_runtime_error(const char* what) { throw LibraryError(what); }
void __throw_range_error(const char* what) { throw LibraryError(what); }
void __throw_overflow_error(const char* what) { throw LibraryError(what); }
void __throw_underflow_error(const char* what) { throw LibraryError(what); }

}  // namespace std
