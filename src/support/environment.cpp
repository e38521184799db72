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

}  // namespace velmar
