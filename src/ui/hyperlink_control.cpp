#include "ui/hyperlink_control.h"

#include "support/boundary_guard.h"
#include "support/system_library.h"
#include "support/text.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string_view>

namespace velmar {

namespace {

constexpr const wchar_t* kColourKey = L"Software\\Microsoft\\Internet Explorer\\Settings";
constexpr UINT_PTR kToolId = 1;

// The static types that draw no text: icon, frames and rectangles,
// owner-drawn, bitmap, enhanced metafile.
bool drawsNoText(LONG_PTR style)
{
    const LONG_PTR type = style & SS_TYPEMASK;
    return (type >= SS_ICON && type <= SS_WHITEFRAME) ||
           (type >= SS_OWNERDRAW && type <= SS_ENHMETAFILE);
}

UINT alignmentOf(LONG_PTR style)
{
    switch (style & SS_TYPEMASK) {
    case SS_CENTER:
        return DT_CENTER;
    case SS_RIGHT:
        return DT_RIGHT;
    default:
        return 0;
    }
}

std::optional<COLORREF> readColour(HKEY key, const wchar_t* name)
{
    BYTE data[kMaxColourChars * kColourUnitBytes] = {};
    DWORD size = sizeof data;
    DWORD type = REG_NONE;
    if (::RegQueryValueExW(key, name, nullptr, &type, data, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return parseAnchorColour(type, std::span<const BYTE>(data, size));
}

}  // namespace

bool openWithShell(const wchar_t* address) noexcept
{
    auto open = systemFunction<decltype(&::ShellExecuteW)>(L"shell32.dll", "ShellExecuteW");
    if (open == nullptr) {
        return false;
    }
    // Above 32 is success; below, an error code.
    return reinterpret_cast<INT_PTR>(
               open(nullptr, L"open", address, nullptr, nullptr, SW_SHOWNORMAL)) > 32;
}

bool openInApartment(const wchar_t* address, AddressOpener open) noexcept
{
    const ComApartment apartment;
    return open(address);
}

HyperlinkControl::~HyperlinkControl()
{
    release();
}

void HyperlinkControl::attach(HWND control, HFONT normalFont)
{
    window_ = control;
    normalFont_ = normalFont;
    ::SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    previous_ = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
    adoptStaticStyle();
    handCursor_ = ::LoadCursorW(nullptr, IDC_HAND);
    if (paintLabel_) {
        createFonts();
    }
    label_.assign(static_cast<size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    label_.resize(static_cast<size_t>(
        ::GetWindowTextW(control, label_.data(), static_cast<int>(label_.size()))));
    computeLabelRectangle();
    target_ = label_;
    createTooltip();
    if (paintLabel_) {
        readColours();
    }
}

void HyperlinkControl::adoptStaticStyle()
{
    wchar_t className[16] = {};
    ::GetClassNameW(window_, className, 16);
    if (!equalsIgnoringCase(className, L"static")) {
        return;
    }
    const LONG_PTR style = ::GetWindowLongPtrW(window_, GWL_STYLE);
    if ((style & SS_NOTIFY) == 0) {
        ::SetWindowLongPtrW(window_, GWL_STYLE, style | SS_NOTIFY);
    }
    if (drawsNoText(style)) {
        paintLabel_ = false;
    }
}

void HyperlinkControl::createFonts()
{
    if (normalFont_ == nullptr) {
        LOGFONTW iconTitle{};
        if (::SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof iconTitle, &iconTitle, 0)) {
            ownedNormalFont_.reset(::CreateFontIndirectW(&iconTitle));
            normalFont_ = static_cast<HFONT>(ownedNormalFont_.get());
        }
    }
    LOGFONTW description{};
    HGDIOBJ source = normalFont_ != nullptr ? normalFont_ : ::GetStockObject(SYSTEM_FONT);
    if (::GetObjectW(source, sizeof description, &description) == 0) {
        return;
    }
    description.lfUnderline = TRUE;
    linkFont_.reset(::CreateFontIndirectW(&description));
}

void HyperlinkControl::createTooltip()
{
    // Without the common controls the tooltip window is not created; the
    // link works without it.
    auto initialise = systemFunction<decltype(&::InitCommonControlsEx)>(L"comctl32.dll",
                                                                        "InitCommonControlsEx");
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    if (initialise != nullptr) {
        initialise(&classes);
    }
    tooltip_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    if (tooltip_ == nullptr) {
        return;
    }
    ::SendMessageW(tooltip_, TTM_ACTIVATE, TRUE, 0);
    TOOLINFOW tool{};
    // Systems before Vista know only the shorter record.
    tool.cbSize = LOBYTE(LOWORD(::GetVersion())) > 5 ? sizeof tool : TTTOOLINFOW_V2_SIZE;
    tool.hwnd = window_;
    tool.uId = kToolId;
    tool.rect = labelRect_;
    tool.lpszText = target_.data();
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void HyperlinkControl::readColours()
{
    UniqueRegKey key;
    // Only read: the settings belong to the user's browser.
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kColourKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return;
    }
    linkColour_ = readColour(key.get(), L"Anchor Color").value_or(linkColour_);
    visitedColour_ = readColour(key.get(), L"Anchor Color Visited").value_or(visitedColour_);
}

void HyperlinkControl::computeLabelRectangle()
{
    RECT client{};
    ::GetClientRect(window_, &client);
    labelRect_ = client;
    {
        const UniqueWindowDc dc = windowDc(window_);
        if (!dc) {
            return;
        }
        HGDIOBJ previous = linkFont_ ? ::SelectObject(dc.get(), linkFont_.get()) : nullptr;
        ::DrawTextW(dc.get(), label_.c_str(), static_cast<int>(label_.size()), &labelRect_,
                    DT_CALCRECT | DT_WORDBREAK);
        if (previous != nullptr) {
            ::SelectObject(dc.get(), previous);
        }
    }
    const LONG spare = (client.right - client.left) - (labelRect_.right - labelRect_.left);
    const UINT alignment = alignmentOf(::GetWindowLongPtrW(window_, GWL_STYLE));
    const LONG shift = alignment == DT_CENTER ? spare / 2 : alignment == DT_RIGHT ? spare : 0;
    ::OffsetRect(&labelRect_, shift, 0);
}

void HyperlinkControl::paint(HDC dc)
{
    RECT client{};
    ::GetClientRect(window_, &client);
    auto brush = reinterpret_cast<HBRUSH>(::SendMessageW(
        ::GetParent(window_), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
        reinterpret_cast<LPARAM>(window_)));
    if (brush != nullptr) {
        ::FillRect(dc, &client, brush);
    }
    ::SetBkMode(dc, TRANSPARENT);
    const COLORREF colour = !::IsWindowEnabled(window_) ? ::GetSysColor(COLOR_GRAYTEXT)
                            : visited_                  ? visitedColour_
                                                        : linkColour_;
    const COLORREF previousColour = ::SetTextColor(dc, colour);
    HGDIOBJ previousFont = linkFont_ ? ::SelectObject(dc, linkFont_.get()) : nullptr;
    RECT text = labelRect_;
    ::DrawTextW(dc, label_.c_str(), static_cast<int>(label_.size()), &text,
                DT_WORDBREAK | alignmentOf(::GetWindowLongPtrW(window_, GWL_STYLE)));
    if (::GetFocus() == window_) {
        ::DrawFocusRect(dc, &labelRect_);
    }
    ::SetTextColor(dc, previousColour);
    if (previousFont != nullptr) {
        ::SelectObject(dc, previousFont);
    }
}

void HyperlinkControl::navigate()
{
    if (openInApartment(target_.c_str())) {
        visited_ = true;
        ::InvalidateRect(window_, nullptr, TRUE);
    }
}

bool HyperlinkControl::insideLabel(LPARAM pointLParam) const
{
    const POINT point{static_cast<short>(LOWORD(pointLParam)),
                      static_cast<short>(HIWORD(pointLParam))};
    return ::PtInRect(&labelRect_, point) != FALSE;
}

void HyperlinkControl::release()
{
    if (tooltip_ != nullptr) {
        ::DestroyWindow(tooltip_);
        tooltip_ = nullptr;
    }
    linkFont_.reset();
    ownedNormalFont_.reset();
    if (window_ != nullptr && previous_ != nullptr && ::IsWindow(window_)) {
        ::SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    }
}

LRESULT CALLBACK HyperlinkControl::procedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam)
{
    auto* self = reinterpret_cast<HyperlinkControl*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return guarded(LRESULT{0}, [&] { return self->handle(message, wParam, lParam); });
}

LRESULT HyperlinkControl::passOn(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::CallWindowProcW(previous_, window_, message, wParam, lParam);
}

bool HyperlinkControl::handleMouse(UINT message, LPARAM lParam, LRESULT& result)
{
    result = 0;
    switch (message) {
    case WM_MOUSEMOVE:
        if (insideLabel(lParam)) {
            ::SetCursor(handCursor_);
            return true;
        }
        return false;
    case WM_LBUTTONDOWN:
        if (insideLabel(lParam)) {
            ::SetFocus(window_);
            ::SetCapture(window_);
        }
        return true;
    case WM_LBUTTONUP:
        if (::GetCapture() == window_) {
            ::ReleaseCapture();
            if (insideLabel(lParam)) {
                navigate();
            }
        }
        return true;
    default:
        return false;
    }
}

LRESULT HyperlinkControl::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) {
        if (tooltip_ != nullptr) {
            MSG relayed{window_, message, wParam, lParam, static_cast<DWORD>(::GetMessageTime()),
                        {}};
            ::GetCursorPos(&relayed.pt);
            ::SendMessageW(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
        }
        LRESULT result = 0;
        return handleMouse(message, lParam, result) ? result : passOn(message, wParam, lParam);
    }
    switch (message) {
    case WM_SETCURSOR: {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        ::ScreenToClient(window_, &cursor);
        return ::PtInRect(&labelRect_, cursor) ? TRUE : passOn(message, wParam, lParam);
    }
    case WM_CHAR:
        if (wParam == VK_RETURN || wParam == VK_SPACE) {
            navigate();
        }
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (paintLabel_) {
            ::InvalidateRect(window_, nullptr, TRUE);
        }
        return 0;
    case WM_ERASEBKGND:
        return paintLabel_ ? 1 : passOn(message, wParam, lParam);
    case WM_PAINT:
    case WM_PRINTCLIENT:
        if (!paintLabel_) {
            return passOn(message, wParam, lParam);
        }
        if (message == WM_PRINTCLIENT) {
            paint(reinterpret_cast<HDC>(wParam));
        } else {
            const PaintScope painting(window_);
            paint(painting.dc());
        }
        return 0;
    case WM_SIZE:
        computeLabelRectangle();
        ::InvalidateRect(window_, nullptr, TRUE);
        return 0;
    case WM_SETFONT:
        ownedNormalFont_.reset();
        normalFont_ = reinterpret_cast<HFONT>(wParam);
        if (paintLabel_) {
            createFonts();
        }
        computeLabelRectangle();
        if (LOWORD(lParam) != 0) {
            ::InvalidateRect(window_, nullptr, TRUE);
        }
        return 0;
    case WM_ENABLE:
        ::InvalidateRect(window_, nullptr, TRUE);
        ::UpdateWindow(window_);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(normalFont_);
    case WM_UPDATEUISTATE:
        return 0;
    case WM_DESTROY: {
        WNDPROC previous = previous_;
        HWND window = window_;
        release();
        window_ = nullptr;
        return ::CallWindowProcW(previous, window, message, wParam, lParam);
    }
    default:
        return passOn(message, wParam, lParam);
    }
}

}  // namespace velmar
