#include "splash/gdiplus_flat.h"

#include "support/library_export.h"

#include <utility>

namespace velmar {

namespace {

// The flat API's own types, as its headers declare them; every handle is
// opaque here.
using GpStatus = int;
using GpHandle = void*;
constexpr GpStatus kOk = 0;
constexpr int kInterpolationHighQualityBicubic = 7;
constexpr int kWrapModeTileFlipXY = 3;
constexpr int kUnitPixel = 2;
constexpr DWORD kOpaqueBlack = 0xFF000000;

struct StartupInput {
    UINT32 version = 1;
    void* debugEventCallback = nullptr;
    BOOL suppressBackgroundThread = FALSE;
    BOOL suppressExternalCodecs = FALSE;
};

struct FlatApi {
    GpStatus(WINAPI* startup)(ULONG_PTR*, const StartupInput*, void*) = nullptr;
    GpStatus(WINAPI* createBitmapFromFile)(const WCHAR*, GpHandle*) = nullptr;
    GpStatus(WINAPI* getImageWidth)(GpHandle, UINT*) = nullptr;
    GpStatus(WINAPI* getImageHeight)(GpHandle, UINT*) = nullptr;
    GpStatus(WINAPI* createFromHdc)(HDC, GpHandle*) = nullptr;
    GpStatus(WINAPI* setInterpolationMode)(GpHandle, int) = nullptr;
    GpStatus(WINAPI* createImageAttributes)(GpHandle*) = nullptr;
    GpStatus(WINAPI* setImageAttributesWrapMode)(GpHandle, int, DWORD, BOOL) = nullptr;
    GpStatus(WINAPI* drawImageRectRectI)(GpHandle, GpHandle, INT, INT, INT, INT, INT, INT, INT, INT,
                                         int, GpHandle, void*, void*) = nullptr;
    GpStatus(WINAPI* deleteGraphics)(GpHandle) = nullptr;
    GpStatus(WINAPI* disposeImageAttributes)(GpHandle) = nullptr;
    GpStatus(WINAPI* disposeImage)(GpHandle) = nullptr;
};

// Only the system folder is searched: a gdiplus.dll beside the launcher or
// on Path would otherwise run its code in the launcher's process.
FlatApi loadFlatApi()
{
    UniqueModule library(::LoadLibraryExW(L"gdiplus.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!library) {
        return {};
    }
    HMODULE module = library.get();
    FlatApi api;
    const bool complete =
        bindExport(module, "GdiplusStartup", api.startup) &&
        bindExport(module, "GdipCreateBitmapFromFile", api.createBitmapFromFile) &&
        bindExport(module, "GdipGetImageWidth", api.getImageWidth) &&
        bindExport(module, "GdipGetImageHeight", api.getImageHeight) &&
        bindExport(module, "GdipCreateFromHDC", api.createFromHdc) &&
        bindExport(module, "GdipSetInterpolationMode", api.setInterpolationMode) &&
        bindExport(module, "GdipCreateImageAttributes", api.createImageAttributes) &&
        bindExport(module, "GdipSetImageAttributesWrapMode", api.setImageAttributesWrapMode) &&
        bindExport(module, "GdipDrawImageRectRectI", api.drawImageRectRectI) &&
        bindExport(module, "GdipDeleteGraphics", api.deleteGraphics) &&
        bindExport(module, "GdipDisposeImageAttributes", api.disposeImageAttributes) &&
        bindExport(module, "GdipDisposeImage", api.disposeImage);
    ULONG_PTR token = 0;
    const StartupInput input;
    if (!complete || api.startup(&token, &input, nullptr) != kOk) {
        return {};
    }
    // The module and the token stay for the life of the process.
    library.release();
    return api;
}

// GDI+ is started once per process. InitOnce rather than a function-local
// static: the compiler's guard for one brings the POSIX threads library
// into the launcher.
INIT_ONCE flatApiLoad = INIT_ONCE_STATIC_INIT;
FlatApi flatApi;

BOOL CALLBACK loadFlatApiOnce(INIT_ONCE*, void*, void**) noexcept
{
    flatApi = loadFlatApi();
    return TRUE;
}

// The flat API once GDI+ runs; null when it cannot be had.
const FlatApi* gdiplus()
{
    ::InitOnceExecuteOnce(&flatApiLoad, loadFlatApiOnce, nullptr, nullptr);
    return flatApi.startup != nullptr ? &flatApi : nullptr;
}

}  // namespace

SplashImage::~SplashImage()
{
    discard();
}

bool SplashImage::load(const std::wstring& path)
{
    discard();
    const FlatApi* api = gdiplus();
    if (api == nullptr) {
        return false;
    }
    lastStatus_ = api->createBitmapFromFile(path.c_str(), &image_);
    if (lastStatus_ != kOk) {
        image_ = nullptr;
    }
    return lastStatus_ == kOk;
}

void SplashImage::discard()
{
    if (void* image = std::exchange(image_, nullptr)) {
        gdiplus()->disposeImage(image);
    }
}

unsigned SplashImage::width() const
{
    UINT width = 0;
    if (image_ == nullptr || gdiplus()->getImageWidth(image_, &width) != kOk) {
        return 0;
    }
    return width;
}

unsigned SplashImage::height() const
{
    UINT height = 0;
    if (image_ == nullptr || gdiplus()->getImageHeight(image_, &height) != kOk) {
        return 0;
    }
    return height;
}

bool SplashImage::renderInto(UniqueGdiObject& slot, const RECT& rect)
{
    slot.reset();
    const UniqueWindowDc screen = windowDc(nullptr);
    slot.reset(::CreateCompatibleBitmap(screen.get(), rect.right - rect.left, rect.bottom - rect.top));
    const UniqueMemoryDc memory(::CreateCompatibleDC(screen.get()));
    if (!slot || !memory || image_ == nullptr) {
        return false;
    }
    const HGDIOBJ previous = ::SelectObject(memory.get(), slot.get());
    const FlatApi& api = *gdiplus();
    GpHandle graphics = nullptr;
    GpHandle attributes = nullptr;
    GpStatus status = api.createFromHdc(memory.get(), &graphics);
    if (status == kOk) {
        api.setInterpolationMode(graphics, kInterpolationHighQualityBicubic);
        status = api.createImageAttributes(&attributes);
    }
    if (status == kOk) {
        api.setImageAttributesWrapMode(attributes, kWrapModeTileFlipXY, kOpaqueBlack, FALSE);
        status = api.drawImageRectRectI(graphics, image_, rect.left, rect.top, rect.right, rect.bottom, 0, 0,
                                        static_cast<INT>(width()), static_cast<INT>(height()), kUnitPixel,
                                        attributes, nullptr, nullptr);
    }
    if (attributes != nullptr) {
        api.disposeImageAttributes(attributes);
    }
    if (graphics != nullptr) {
        api.deleteGraphics(graphics);
    }
    ::SelectObject(memory.get(), previous);
    if (status != kOk) {
        lastStatus_ = status;
    }
    return status == kOk;
}

}  // namespace velmar
