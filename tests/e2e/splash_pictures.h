// Pictures for the splash tests, written as files at run time: a 24-bit
// BMP of one colour, a header that claims more than it holds, and bytes
// that are no picture at all.
#pragma once

#include <windows.h>

#include <string>

namespace velmar::e2e {

// A complete bottom-up 24-bit BMP of width x height pixels of `colour`.
std::string bmpPicture(int width, int height, COLORREF colour);

// A BMP header for width x height with no pixel data after it.
std::string truncatedBmpPicture(int width, int height);

}  // namespace velmar::e2e
