// The size of a Win32 rectangle, whose right and bottom edges lie outside
// it.
#pragma once

#include <windows.h>

namespace velmar {

inline int width(const RECT& rect) noexcept
{
    return rect.right - rect.left;
}

inline int height(const RECT& rect) noexcept
{
    return rect.bottom - rect.top;
}

}  // namespace velmar
