#include "support/environment.h"

#include <windows.h>

namespace velmar {

std::wstring expandEnvironment(std::wstring_view text)
{
    std::wstring source(text);
    // Nothing to expand; this also keeps long class paths away from the
    // size limit of ExpandEnvironmentStringsW.
    if (source.find(L'%') == std::wstring::npos) {
        return source;
    }
    DWORD size = ::ExpandEnvironmentStringsW(source.c_str(), nullptr, 0);
    if (size == 0) {
        return source;
    }
    std::wstring expanded(size, L'\0');
    DWORD written = ::ExpandEnvironmentStringsW(source.c_str(), expanded.data(), size);
    if (written == 0 || written > size) {
        return source;
    }
    expanded.resize(written - 1);
    return expanded;
}

std::optional<std::wstring> environmentValue(const std::wstring& name)
{
    // A set variable needs at least its terminator, even when it is empty;
    // the value may change between the two calls, hence the loop.
    for (;;) {
        ::SetLastError(ERROR_SUCCESS);
        const DWORD size = ::GetEnvironmentVariableW(name.c_str(), nullptr, 0);
        if (size == 0) {
            if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
                return std::nullopt;
            }
            return std::wstring();
        }
        std::wstring value(size, L'\0');
        const DWORD length = ::GetEnvironmentVariableW(name.c_str(), value.data(), size);
        if (length < size) {
            value.resize(length);
            return value;
        }
    }
}

std::optional<std::wstring> expandWhenAllSet(std::wstring_view text)
{
    size_t open = text.find(L'%');
    while (open != std::wstring_view::npos) {
        const size_t close = text.find(L'%', open + 1);
        if (close == std::wstring_view::npos) {
            break;
        }
        const std::wstring name(text.substr(open + 1, close - open - 1));
        if (name.empty()) {
            // "%%": the second "%" may open the next reference.
            open = close;
            continue;
        }
        if (!environmentValue(name)) {
            return std::nullopt;
        }
        open = text.find(L'%', close + 1);
    }
    return expandEnvironment(text);
}

}  // namespace velmar
