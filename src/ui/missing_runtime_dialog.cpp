#include "ui/missing_runtime_dialog.h"

#include "config/ini_file.h"
#include "config/java_version.h"
#include "config/setting_keys.h"
#include "config/settings.h"
#include "resources/resource.h"
#include "runtime/jvm_location.h"
#include "runtime/runtime_search.h"
#include "support/messages.h"
#include "support/messages.h"
#include "support/standard_streams.h"
#include "support/system_library.h"
#include "support/text.h"
#include "support/trace.h"

#include <shlobj.h>

namespace velmar {

namespace {

constexpr INT_PTR kConfirmed = IDOK;
constexpr UINT kBrowseFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_NONEWFOLDERBUTTON;

constexpr const wchar_t* kShellLibrary = L"shell32.dll";

struct ItemIdListDeleter {
    void operator()(LPITEMIDLIST list) const noexcept
    {
        // The browser returned the list, so COM is loaded.
        if (auto release = systemFunction<decltype(&::CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree")) {
            release(list);
        }
    }
};

void writeJrePath(const std::wstring& iniPath, const std::wstring& chosenFolder)
{
    // Not checked: a failed save only brings the dialog back next time.
    IniFile(iniPath).putString(kJrePathKey.section, kJrePathKey.name, chosenFolder);
}

void widenToMessage(HWND dialog, HWND link)
{
    RECT linkRect{};
    RECT messageRect{};
    ::GetWindowRect(link, &linkRect);
    ::GetWindowRect(::GetDlgItem(dialog, IDC_MISSING_MESSAGE), &messageRect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&linkRect), 2);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&messageRect), 2);
    if (messageRect.right > linkRect.right) {
        ::SetWindowPos(link, nullptr, 0, 0, messageRect.right - linkRect.left, linkRect.bottom - linkRect.top,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

}  // namespace

std::wstring missingRuntimeMessage(const Settings& settings)
{
    const UINT format =
        settings.jvmType == kVmTypeServer ? IDS_JRE_NOT_FOUND_SERVER : IDS_JRE_NOT_FOUND;
    const std::wstring phrase = requirementPhrase(settings.minimumVersion, settings.maximumVersion);
    return FormatMessageText(LoadMessage(format), {std::wstring_view(phrase)});
}

std::wstring chosenFolderOf(const std::wstring& browsedPath)
{
    if (browsedPath.empty() || endsWith(browsedPath, L"\\")) {
        return browsedPath;
    }
    return browsedPath + L'\\';
}

bool MissingRuntimeDialog::ask(HWND owner)
{
    return show(owner, IDD_MISSING_RUNTIME) == kConfirmed;
}

BOOL MissingRuntimeDialog::onInit()
{
    HWND linkControl = ::GetDlgItem(window(), IDC_DOWNLOAD_LINK);
    // The link shows the address it opens, so it takes the text first,
    // and room up to the message's right edge: the template's fits only
    // its own address.
    if (!downloadAddress_.empty()) {
        widenToMessage(window(), linkControl);
        ::SetWindowTextW(linkControl, downloadAddress_.c_str());
    }
    link_.attach(linkControl,
                 reinterpret_cast<HFONT>(::SendMessageW(linkControl, WM_GETFONT, 0, 0)));
    ::SetDlgItemTextW(window(), IDC_MISSING_MESSAGE, message_.c_str());
    ::SendDlgItemMessageW(window(), IDC_ERROR_ICON, STM_SETICON,
                          reinterpret_cast<WPARAM>(::LoadIconW(nullptr, IDI_ERROR)), 0);
    ::EnableWindow(::GetDlgItem(window(), IDOK), FALSE);
    centreDialog(window());
    return TRUE;
}

void MissingRuntimeDialog::onCommand(int id)
{
    switch (id) {
    case IDOK:
        // OK may arrive while the button is disabled (a message sent to the
        // dialog, Enter on another control), and the picked folder may have
        // gone since: only a folder that holds a VM library now is taken.
        if (!chosenFolder_.empty()) {
            pickedLibrary_ = findJvmLibrary(chosenFolder_, mode_);
        }
        if (!pickedLibrary_.empty()) {
            ::EndDialog(window(), id);
        }
        break;
    case IDCANCEL:
        ::EndDialog(window(), id);
        break;
    case IDC_BROWSE_BUTTON:
        browse();
        break;
    default:
        break;
    }
}

void MissingRuntimeDialog::browse()
{
    const std::wstring title = LoadMessage(IDS_BROWSE_TITLE);
    BROWSEINFOW info{};
    info.hwndOwner = window();
    info.lpszTitle = title.c_str();
    info.ulFlags = kBrowseFlags;
    auto browseForFolder =
        systemFunction<decltype(&::SHBrowseForFolderW)>(kShellLibrary, "SHBrowseForFolderW");
    auto pathOf =
        systemFunction<decltype(&::SHGetPathFromIDListW)>(kShellLibrary, "SHGetPathFromIDListW");
    if (browseForFolder == nullptr || pathOf == nullptr) {
        return;
    }
    // The browser's new style is built on COM objects of this thread.
    const ComApartment apartment;
    std::unique_ptr<ITEMIDLIST, ItemIdListDeleter> picked(browseForFolder(&info));
    if (!picked) {
        return;
    }
    wchar_t path[MAX_PATH] = {};
    // A pick outside the file system leaves the path empty, and OK off.
    pathOf(picked.get(), path);
    ::SetDlgItemTextW(window(), IDC_JRE_PATH_EDIT, path);
    chosenFolder_ = chosenFolderOf(path);
    // The user's own pick: no version bound applies.
    pickedLibrary_ = findJvmLibrary(chosenFolder_, mode_);
    ::EnableWindow(::GetDlgItem(window(), IDOK), !pickedLibrary_.empty());
}

void saveChosenFolder(const Settings& settings, const std::wstring& chosenFolder)
{
    const std::optional<std::wstring> executable = modulePath();
    const std::optional<std::wstring> ownIni =
        executable ? iniPathFor(*executable) : std::nullopt;
    if (!ownIni) {
        return;
    }
    const bool hasPair = !settings.pairProduct.empty();
    if (settings.isService) {
        writeJrePath(*ownIni, chosenFolder);
        if (std::optional<std::wstring> pairIni = iniPathFor(settings.pairProduct);
            hasPair && pairIni) {
            writeJrePath(*pairIni, chosenFolder);
        }
        return;
    }
    writeJrePath(
        perUserIniPath(*executable, settings.productName, settings.productCode, true),
        chosenFolder);
    if (hasPair) {
        writeJrePath(perUserIniPath(settings.pairProduct, settings.productName,
                                    settings.productCode, true),
                     chosenFolder);
    }
}

bool askForRuntime(const Settings& settings, const Trace& trace, ChosenRuntime& chosen)
{
    // Nobody may be there to answer a console program's dialog: it says
    // what is missing and ends as the dialog's Cancel does.
    if (isConsoleProgram()) {
        trace.line(L"runtime", {"no runtime found: said on standard error"});
        ShowErrorBox(nullptr, missingRuntimeMessage(settings) + L"\n" + settings.downloadAddress);
        return false;
    }
    MissingRuntimeDialog dialog(missingRuntimeMessage(settings), settings.jvmType, settings.downloadAddress);
    trace.line(L"runtime", {"no runtime found: asking the user"});
    if (!dialog.ask(::GetActiveWindow())) {
        trace.line(L"runtime", {"the user cancelled"});
        return false;
    }
    chosen.jvmLibraryPath = dialog.pickedLibrary();
    trace.line(L"runtime", {"the user chose ", dialog.chosenFolder()});
    checkArchitecture(chosen, settings, trace);
    saveChosenFolder(settings, dialog.chosenFolder());
    return true;
}

}  // namespace velmar
