// The few GDI+ flat-API functions the splash window needs, taken from the
// system folder's gdiplus.dll on first use, and the picture they decode.
// GDI+ is started once per process and left running until it ends.
#pragma once

#include "support/handles.h"

#include <windows.h>

#include <string>

namespace velmar {

// A picture file decoded by GDI+. Width and height read 0 without a
// picture.
class SplashImage {
public:
    SplashImage() = default;
    ~SplashImage();
    SplashImage(const SplashImage&) = delete;
    SplashImage& operator=(const SplashImage&) = delete;

    // True when GDI+ could be started and decoded the file.
    bool load(const std::wstring& path);
    // Gives the picture up (its bitmap is then never made).
    void discard();
    unsigned width() const;
    unsigned height() const;
    // A new screen-compatible bitmap of the rectangle's size in `slot`,
    // with the picture drawn into it; true when the drawing succeeded.
    bool renderInto(UniqueGdiObject& slot, const RECT& rect);

private:
    void* image_ = nullptr;  // a GDI+ bitmap
    int lastStatus_ = 0;
};

}  // namespace velmar
