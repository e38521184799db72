// "Java Exception": shows the stack trace of the exception the application's
// main method ended with, and lets the user ignore it (the application's
// other threads run on) or stop the application. The dialog can be made
// larger, never smaller than it opened; the trace box grows with it and the
// buttons keep to the bottom-right corner.
#pragma once

#include "ui/dialog.h"

#include <array>
#include <string>
#include <string_view>

namespace velmar {

// The text with every line ending as CR LF, the only one a multi-line edit
// control breaks lines at; a message may hold a lone LF or CR of its own.
std::wstring withWindowsLineEnds(std::wstring_view text);

class ExceptionDialog : public ModalDialog {
public:
    explicit ExceptionDialog(std::wstring trace) : trace_(withWindowsLineEnds(trace)) {}

    // True for Stop: the Stop button, Escape, the close box, and a dialog
    // that could not be shown at all.
    bool askStop(HWND owner);

private:
    // How a control follows the dialog's client area when it changes size.
    struct ResizeRule {
        int id;
        bool growsWidth;
        bool growsHeight;
        bool movesRight;
        bool movesDown;
    };
    struct PlacedControl {
        HWND window = nullptr;
        RECT initial{};  // client coordinates of the dialog, as opened
        const ResizeRule* rule = nullptr;
    };
    static const std::array<ResizeRule, 7> kResizeRules;

    BOOL onInit() override;
    void onCommand(int id) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    void rememberLayout();
    void makeResizable();
    void layOut(int clientWidth, int clientHeight);
    void onSize(WPARAM kind, int clientWidth, int clientHeight);

    std::wstring trace_;
    std::array<PlacedControl, 7> controls_{};
    SIZE initialClient_{};
    SIZE minimumSize_{};
    HWND sizeGrip_ = nullptr;
};

}  // namespace velmar
