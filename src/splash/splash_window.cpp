#include "splash/splash_window.h"

#include "splash/gdiplus_flat.h"
#include "splash/splash_rules.h"
#include "support/boundary_guard.h"
#include "support/dpi_awareness.h"

#include <utility>

namespace velmar {

namespace {

constexpr wchar_t kClassName[] = L"SplashScreenWindow";
constexpr UINT kClassStyle = CS_DROPSHADOW | CS_SAVEBITS | CS_DBLCLKS;
constexpr UINT_PTR kAutoCloseTimer = 1;
// How often the auto-closing splash looks for the application's window.
constexpr UINT kAutoClosePeriodMs = 100;

// One description per process: the first registration stays, a later one
// finds the class there. A system that refuses the drop shadow still gets
// the class without it.
bool registerSplashClass(WNDPROC procedure, bool shadowOn)
{
    WNDCLASSEXW description{};
    description.cbSize = sizeof description;
    description.style = shadowOn ? kClassStyle : kClassStyle & ~CS_DROPSHADOW;
    description.lpfnWndProc = procedure;
    description.hInstance = ::GetModuleHandleW(nullptr);
    description.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    description.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    description.lpszClassName = kClassName;
    auto registered = [&description] {
        return ::RegisterClassExW(&description) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    };
    if (registered()) {
        return true;
    }
    if (!shadowOn) {
        return false;
    }
    description.style &= ~CS_DROPSHADOW;
    return registered();
}

struct WindowSearch {
    DWORD processId = 0;
    HWND splash = nullptr;
    bool applicationShown = false;
    bool ownedBoxOpen = false;
};

bool isDialogClass(HWND window)
{
    wchar_t name[16] = {};
    return ::GetClassNameW(window, name, 16) > 0 && std::wstring_view(name) == L"#32770";
}

// The launcher's message boxes and dialogs are all of the dialog class;
// any other visible top-level window of the process is the application's.
BOOL CALLBACK inspectWindow(HWND window, LPARAM parameter)
{
    auto& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    if (processId != search.processId || window == search.splash || !::IsWindowVisible(window)) {
        return TRUE;
    }
    if (::GetWindow(window, GW_OWNER) == search.splash) {
        search.ownedBoxOpen = true;
    } else if (!isDialogClass(window)) {
        search.applicationShown = true;
    }
    return TRUE;
}

}  // namespace

NativeSplashWindow::NativeSplashWindow(std::atomic<HWND>& owner, SplashRequest request)
    : owner_(owner),
      request_(std::move(request)),
      published_(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

NativeSplashWindow::~NativeSplashWindow() = default;

HWND NativeSplashWindow::createSplashWindow(const std::wstring& picturePath, bool shadowOn)
{
    const bool registered = registerSplashClass(windowProcedure, shadowOn);
    SplashImage image;
    image.load(picturePath);
    if (!pictureSizeAccepted(image.width(), image.height())) {
        image.discard();
    }
    const SIZE size{static_cast<LONG>(image.width()), static_cast<LONG>(image.height())};
    image.renderInto(picture_, RECT{0, 0, size.cx, size.cy});
    const POINT origin = centredOrigin(
        {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}, size);
    if (!registered) {
        return nullptr;
    }
    // The object rides along as the creation parameter and is bound to
    // the window at WM_NCCREATE.
    return ::CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, nullptr, WS_POPUP, origin.x, origin.y, size.cx,
                             size.cy, nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
}

bool NativeSplashWindow::abandonWhileCreating()
{
    Stage expected = creating;
    return stage_.compare_exchange_strong(expected, abandoned);
}

DWORD WINAPI NativeSplashWindow::threadMain(LPVOID parameter)
{
    auto* splash = static_cast<NativeSplashWindow*>(parameter);
    return guarded(DWORD{0}, [splash] {
        // The picture is drawn as it always was, whatever the runtime's
        // awareness, which this thread would otherwise take on.
        keepThreadSystemAware();
        splash->run();
        return DWORD{0};
    });
}

void NativeSplashWindow::run()
{
    HWND window = createSplashWindow(request_.picturePath, request_.shadowOn);
    Stage expected = creating;
    if (!stage_.compare_exchange_strong(expected, running)) {
        // Closing gave up waiting: nobody will read this object again.
        if (window != nullptr) {
            ::DestroyWindow(window);
        }
        delete this;
        return;
    }
    owner_ = window;
    if (window != nullptr) {
        ::ShowWindow(window, SW_SHOWNORMAL);
        ::UpdateWindow(window);
        if (request_.autoClose) {
            ::SetTimer(window, kAutoCloseTimer, kAutoClosePeriodMs, nullptr);
        }
    }
    ::SetEvent(published_.get());
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    // A box shown from now on has no owner rather than a destroyed one.
    owner_ = nullptr;
    if (window_ != nullptr) {
        ::DestroyWindow(window_);
    }
}

void NativeSplashWindow::closeWhenApplicationShows()
{
    WindowSearch search{::GetCurrentProcessId(), window_};
    ::EnumWindows(inspectWindow, reinterpret_cast<LPARAM>(&search));
    // A box the splash owns would go with it; the splash waits for it.
    if (!search.applicationShown || search.ownedBoxOpen) {
        return;
    }
    ::KillTimer(window_, kAutoCloseTimer);
    owner_ = nullptr;
    ::PostQuitMessage(0);
}

LRESULT CALLBACK NativeSplashWindow::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* created = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        auto* splash = static_cast<NativeSplashWindow*>(created->lpCreateParams);
        splash->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(splash));
    }
    auto* splash = reinterpret_cast<NativeSplashWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (splash == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        splash->window_ = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return guarded(LRESULT{0}, [&] { return splash->handleMessage(message, wParam, lParam); });
}

LRESULT NativeSplashWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT:
        paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_TIMER:
        if (wParam == kAutoCloseTimer) {
            closeWhenApplicationShows();
            return 0;
        }
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

void NativeSplashWindow::paint()
{
    const PaintScope scope(window_);
    BITMAP bitmap{};
    if (!picture_ || ::GetObjectW(picture_.get(), sizeof bitmap, &bitmap) == 0) {
        return;
    }
    const UniqueMemoryDc memory(::CreateCompatibleDC(scope.dc()));
    if (!memory) {
        return;
    }
    const HGDIOBJ previous = ::SelectObject(memory.get(), picture_.get());
    ::BitBlt(scope.dc(), 0, 0, bitmap.bmWidth, bitmap.bmHeight, memory.get(), 0, 0, SRCCOPY);
    ::SelectObject(memory.get(), previous);
}

}  // namespace velmar
