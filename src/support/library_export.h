// Typed access to the exports of a loaded library: the one place where the
// untyped address GetProcAddress gives becomes a function pointer.
#pragma once

#include <windows.h>

#include <type_traits>

namespace velmar {

// The export `name` of `module` as Function, the export's pointer type
// (decltype(&::TheExport), or an alias written with the export's calling
// convention). Null when the export is missing, the thread's last error
// then saying why, and null for a null module, whose look-up would
// otherwise search the program's own exports. What a missing export means
// (a box, a fallback) is the caller's to say.
template <typename Function>
Function exportOf(HMODULE module, const char* name) noexcept
{
    static_assert(std::is_function_v<std::remove_pointer_t<Function>>, "an export is bound as a function pointer");
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// The same into a slot of the export's type; true when it was found.
template <typename Function>
bool bindExport(HMODULE module, const char* name, Function& slot) noexcept
{
    slot = exportOf<Function>(module, name);
    return slot != nullptr;
}

}  // namespace velmar
