#include "ui/dialog.h"

#include "support/boundary_guard.h"
#include "support/rectangle.h"
#include "support/system_library.h"

namespace velmar {

namespace {

// The result of a dialog that failed inside: the same as one that could
// not be created.
constexpr INT_PTR kDialogFailed = -1;

}  // namespace

INT_PTR ModalDialog::show(HWND owner, int templateId)
{
    // The system's dialog code asks for COM by its plain name (seen under
    // Wine, where the launcher's folder is searched first); with the system
    // folder's copy already mapped that request finds it instead of a copy
    // planted beside the launcher.
    mapSystemLibrary(L"ole32.dll");
    return ::DialogBoxParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), owner,
                             procedure, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK ModalDialog::procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<ModalDialog*>(lParam);
        self->window_ = dialog;
        ::SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    }
    auto* self = reinterpret_cast<ModalDialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    return guarded(
        INT_PTR{FALSE}, [&] { return self->dispatch(message, wParam, lParam); },
        [dialog](const wchar_t* text) {
            ErrorBox{}(text);
            ::EndDialog(dialog, kDialogFailed);
        });
}

INT_PTR ModalDialog::dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return onInit();
    case WM_COMMAND:
        onCommand(LOWORD(wParam));
        return TRUE;
    default: {
        INT_PTR result = FALSE;
        return onMessage(message, wParam, lParam, result) ? result : FALSE;
    }
    }
}

RECT placeCentred(SIZE size, const RECT& reference, const RECT& workArea)
{
    LONG left = reference.left + (width(reference) - size.cx) / 2;
    LONG top = reference.top + (height(reference) - size.cy) / 2;
    if (left + size.cx > workArea.right) {
        left = workArea.right - size.cx;
    }
    if (top + size.cy > workArea.bottom) {
        top = workArea.bottom - size.cy;
    }
    if (left < workArea.left) {
        left = workArea.left;
    }
    if (top < workArea.top) {
        top = workArea.top;
    }
    return {left, top, left + size.cx, top + size.cy};
}

void centreDialog(HWND dialog)
{
    HWND owner = ::GetWindow(dialog, GW_OWNER);
    const bool overOwner = owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!::GetMonitorInfoW(::MonitorFromWindow(overOwner ? owner : dialog,
                                               MONITOR_DEFAULTTONEAREST),
                           &monitor)) {
        return;
    }
    RECT reference = monitor.rcWork;
    if (overOwner) {
        ::GetWindowRect(owner, &reference);
    }
    RECT current{};
    ::GetWindowRect(dialog, &current);
    const RECT placed =
        placeCentred({width(current), height(current)}, reference, monitor.rcWork);
    ::SetWindowPos(dialog, nullptr, placed.left, placed.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace velmar
