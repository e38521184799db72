#include "ui/exception_dialog.h"

#include "resources/resource.h"
#include "support/rectangle.h"

namespace velmar {

namespace {

constexpr INT_PTR kIgnore = 1;
constexpr INT_PTR kStop = 2;

// A child's rectangle in its parent's client coordinates.
RECT rectInParent(HWND child)
{
    RECT rect{};
    ::GetWindowRect(child, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

}  // namespace

// The frame first, then what it holds, the buttons last.
const std::array<ExceptionDialog::ResizeRule, 7> ExceptionDialog::kResizeRules = {{
    {IDC_EXCEPTION_GROUP, true, true, false, false},
    {IDC_EXCEPTION_INTRO, true, false, false, false},
    {IDC_EXCEPTION_WARNING, true, false, false, true},
    {IDC_EXCEPTION_CHOICE, true, false, false, true},
    {IDC_TRACE_EDIT, true, true, false, false},
    {IDOK, false, false, true, true},
    {IDCANCEL, false, false, true, true},
}};

std::wstring withWindowsLineEnds(std::wstring_view text)
{
    std::wstring result;
    result.reserve(text.size() + text.size() / 16);
    for (size_t at = 0; at < text.size(); ++at) {
        const wchar_t character = text[at];
        if (character == L'\r') {
            result += L"\r\n";
            if (at + 1 < text.size() && text[at + 1] == L'\n') {
                ++at;
            }
        } else if (character == L'\n') {
            result += L"\r\n";
        } else {
            result.push_back(character);
        }
    }
    return result;
}

bool ExceptionDialog::askStop(HWND owner)
{
    return show(owner, IDD_UNCAUGHT_EXCEPTION) != kIgnore;
}

BOOL ExceptionDialog::onInit()
{
    HWND edit = ::GetDlgItem(window(), IDC_TRACE_EDIT);
    ::SetWindowTextW(edit, trace_.c_str());
    // Read-only, not disabled: the trace can still be selected, scrolled
    // and copied.
    ::SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
    ::SendDlgItemMessageW(window(), IDC_ERROR_ICON, STM_SETICON,
                          reinterpret_cast<WPARAM>(::LoadIconW(nullptr, IDI_HAND)), 0);
    rememberLayout();
    // Before centring, so the frame the dialog gains is centred too.
    makeResizable();
    centreDialog(window());
    // The edit would take the default focus with all of its text selected.
    ::SetFocus(::GetDlgItem(window(), IDOK));
    return FALSE;
}

void ExceptionDialog::onCommand(int id)
{
    switch (id) {
    case IDOK:
        ::EndDialog(window(), kIgnore);
        break;
    case IDCANCEL:
        ::EndDialog(window(), kStop);
        break;
    default:
        break;
    }
}

bool ExceptionDialog::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result)
{
    switch (message) {
    case WM_GETMINMAXINFO:
        if (minimumSize_.cx == 0) {
            return false;
        }
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {minimumSize_.cx, minimumSize_.cy};
        result = TRUE;
        return true;
    case WM_SIZE:
        onSize(wParam, LOWORD(lParam), HIWORD(lParam));
        result = TRUE;
        return true;
    default:
        return false;
    }
}

void ExceptionDialog::rememberLayout()
{
    for (size_t i = 0; i < kResizeRules.size(); ++i) {
        HWND control = ::GetDlgItem(window(), kResizeRules[i].id);
        controls_[i] = {control, rectInParent(control), &kResizeRules[i]};
    }
    RECT client{};
    ::GetClientRect(window(), &client);
    initialClient_ = {width(client), height(client)};
}

// A thick frame, so the borders can be dragged, and the grip in the
// corner; the window grows by the frame, so the client area keeps the size
// the template gave it.
void ExceptionDialog::makeResizable()
{
    const LONG style = ::GetWindowLongW(window(), GWL_STYLE) | WS_CLIPCHILDREN | WS_THICKFRAME;
    const LONG exStyle = ::GetWindowLongW(window(), GWL_EXSTYLE) | WS_EX_DLGMODALFRAME;
    ::SetWindowLongW(window(), GWL_STYLE, style);
    ::SetWindowLongW(window(), GWL_EXSTYLE, exStyle);
    // A group box paints only its frame; clipped out of the dialog's own
    // painting, its inside would never be painted at all.
    HWND group = ::GetDlgItem(window(), IDC_EXCEPTION_GROUP);
    ::SetWindowLongW(group, GWL_EXSTYLE, ::GetWindowLongW(group, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    RECT frame{0, 0, initialClient_.cx, initialClient_.cy};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(style), FALSE, static_cast<DWORD>(exStyle));
    minimumSize_ = {width(frame), height(frame)};
    const int gripWidth = ::GetSystemMetrics(SM_CXVSCROLL);
    const int gripHeight = ::GetSystemMetrics(SM_CYHSCROLL);
    // A child of the dialog: destroyed with it.
    sizeGrip_ = ::CreateWindowExW(0, L"SCROLLBAR", nullptr,
                                  WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN,
                                  initialClient_.cx - gripWidth, initialClient_.cy - gripHeight,
                                  gripWidth, gripHeight, window(), nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    ::SetWindowPos(window(), nullptr, 0, 0, minimumSize_.cx, minimumSize_.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void ExceptionDialog::onSize(WPARAM kind, int clientWidth, int clientHeight)
{
    if (controls_.front().window == nullptr) {
        return;  // before WM_INITDIALOG has measured the template
    }
    layOut(clientWidth, clientHeight);
    if (sizeGrip_ != nullptr) {
        ::ShowWindow(sizeGrip_, kind == SIZE_MAXIMIZED ? SW_HIDE : SW_SHOW);
    }
}

// Every rectangle from the one the template gave, so no rounding piles up
// over many steps of a drag.
void ExceptionDialog::layOut(int clientWidth, int clientHeight)
{
    const int dx = clientWidth - initialClient_.cx;
    const int dy = clientHeight - initialClient_.cy;
    HDWP positions = ::BeginDeferWindowPos(static_cast<int>(controls_.size()) + 1);
    for (const PlacedControl& control : controls_) {
        if (positions == nullptr || control.window == nullptr) {
            continue;
        }
        const ResizeRule& rule = *control.rule;
        const int left = control.initial.left + (rule.movesRight ? dx : 0);
        const int top = control.initial.top + (rule.movesDown ? dy : 0);
        const int cx = width(control.initial) + (rule.growsWidth ? dx : 0);
        const int cy = height(control.initial) + (rule.growsHeight ? dy : 0);
        positions = ::DeferWindowPos(positions, control.window, nullptr, left, top, cx, cy,
                                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (positions != nullptr && sizeGrip_ != nullptr) {
        RECT grip{};
        ::GetWindowRect(sizeGrip_, &grip);
        positions = ::DeferWindowPos(positions, sizeGrip_, nullptr, clientWidth - width(grip),
                                     clientHeight - height(grip), 0, 0,
                                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (positions != nullptr) {
        ::EndDeferWindowPos(positions);
    }
    // The group box and the static texts leave their old edges behind.
    ::RedrawWindow(window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace velmar
