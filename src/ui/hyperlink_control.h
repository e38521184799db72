// A static text control of a dialog turned into a link: link colours and an
// underlined font, a hand cursor and a tooltip over the text, a focus
// rectangle, and the address opened with the shell on a click or on Enter
// or Space. Attached once while the dialog initialises; it lets go of the
// control when the control is destroyed.
#pragma once

#include "ui/anchor_colour.h"
#include "support/handles.h"

#include <windows.h>

#include <optional>
#include <string>

namespace velmar {

inline constexpr COLORREF kDefaultLinkColour = RGB(0, 0, 255);
inline constexpr COLORREF kDefaultVisitedColour = RGB(128, 0, 128);

// Hands an address to whatever opens it; true when it was taken.
using AddressOpener = bool (*)(const wchar_t* address);

// The shell's "open" verb, through shell32 loaded on first use.
bool openWithShell(const wchar_t* address) noexcept;

// Calls `open` inside a single-threaded COM apartment of this thread, which
// is left as it was afterwards: the shell may hand the address to an
// extension that is a COM object, and that needs an apartment.
bool openInApartment(const wchar_t* address, AddressOpener open = openWithShell) noexcept;

class HyperlinkControl {
public:
    HyperlinkControl() = default;
    HyperlinkControl(const HyperlinkControl&) = delete;
    HyperlinkControl& operator=(const HyperlinkControl&) = delete;
    ~HyperlinkControl();

    // Takes over the control's window procedure; `normalFont` is the font
    // the dialog gave the control (may be null).
    void attach(HWND control, HFONT normalFont);

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT passOn(UINT message, WPARAM wParam, LPARAM lParam);
    bool handleMouse(UINT message, LPARAM lParam, LRESULT& result);

    void adoptStaticStyle();
    void createFonts();
    void createTooltip();
    void readColours();
    void computeLabelRectangle();
    void paint(HDC dc);
    void navigate();
    bool insideLabel(LPARAM pointLParam) const;
    void release();

    HWND window_ = nullptr;
    WNDPROC previous_ = nullptr;
    std::wstring label_;
    std::wstring target_;
    HFONT normalFont_ = nullptr;
    UniqueGdiObject ownedNormalFont_;
    UniqueGdiObject linkFont_;
    COLORREF linkColour_ = kDefaultLinkColour;
    COLORREF visitedColour_ = kDefaultVisitedColour;
    RECT labelRect_{};
    HWND tooltip_ = nullptr;
    HCURSOR handCursor_ = nullptr;
    bool paintLabel_ = true;
    bool visited_ = false;
};

}  // namespace velmar
