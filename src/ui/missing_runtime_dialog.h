// "JRE Not Found": shown when no runtime was found anywhere. It names the
// Java version needed, links to the download page, and lets the user pick
// an installed runtime folder, accepted only when it holds a VM library
// for the configured VM type.
#pragma once

#include "ui/dialog.h"
#include "ui/hyperlink_control.h"

#include <string>

namespace velmar {

class Trace;
struct ChosenRuntime;
struct Settings;

// The message of the dialog: 206 (server VM) or 207 with the requirement
// phrase of the version bounds.
std::wstring missingRuntimeMessage(const Settings& settings);

// A folder as the folder browser returned it, with "\" appended unless it
// is empty or already ends in one (a drive root).
std::wstring chosenFolderOf(const std::wstring& browsedPath);

class MissingRuntimeDialog : public ModalDialog {
public:
    // An empty address keeps the template's own link.
    MissingRuntimeDialog(std::wstring message, int mode, std::wstring downloadAddress)
        : message_(std::move(message)), mode_(mode), downloadAddress_(std::move(downloadAddress))
    {
    }

    // True for OK; then pickedLibrary() and chosenFolder() hold the choice.
    bool ask(HWND owner);

    const std::wstring& chosenFolder() const { return chosenFolder_; }
    const std::wstring& pickedLibrary() const { return pickedLibrary_; }

private:
    BOOL onInit() override;
    void onCommand(int id) override;
    void browse();

    std::wstring message_;
    int mode_;
    std::wstring downloadAddress_;
    std::wstring chosenFolder_;
    std::wstring pickedLibrary_;
    HyperlinkControl link_;
};

// After OK: "JRE Path" into the per-user INI files (for a service, the
// launcher's INI), and the pair's too when there is a pair product.
void saveChosenFolder(const Settings& settings, const std::wstring& chosenFolder);

// Nothing found anywhere: the user may point at an installed runtime, which
// is remembered so that the next start finds it in the first step. False
// when the user cancels; a console program says what is missing on
// standard error and ends as Cancel does.
bool askForRuntime(const Settings& settings, const Trace& trace, ChosenRuntime& chosen);

}  // namespace velmar
