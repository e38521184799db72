// The plumbing every modal dialog of the launcher shares: the object is
// bound to its window at WM_INITDIALOG, every message reaches it through
// the boundary guard (an exception ends the dialog with -1, as a dialog
// that could not be created), and the placement rule that keeps a dialog
// centred and inside the work area.
#pragma once

#include <windows.h>

namespace velmar {

class ModalDialog {
public:
    ModalDialog() = default;
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    // DialogBoxParamW with the template of the launcher's resources; -1
    // when the dialog could not be created or failed inside.
    INT_PTR show(HWND owner, int templateId);

protected:
    ~ModalDialog() = default;

    HWND window() const noexcept { return window_; }

    // WM_INITDIALOG; the result is the message's (TRUE: default focus).
    virtual BOOL onInit() = 0;
    // WM_COMMAND from a control or an accelerator.
    virtual void onCommand(int id) = 0;
    // Any other message; true when handled, with `result` for the dialog
    // manager (DWLP_MSGRESULT is not used).
    virtual bool onMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

private:
    static INT_PTR CALLBACK procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    HWND window_ = nullptr;
};

// Where a window of `size` goes: centred on `reference`, then moved into
// `workArea`, right and bottom edges first, then left and top, so that the
// top-left corner stays visible when the window is larger than the area.
RECT placeCentred(SIZE size, const RECT& reference, const RECT& workArea);

// Centres a dialog over its owner when the owner is visible and not
// minimised, over the work area of the nearest monitor otherwise, and keeps
// it inside that work area.
void centreDialog(HWND dialog);

}  // namespace velmar
