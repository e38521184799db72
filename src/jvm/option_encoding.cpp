#include "jvm/option_encoding.h"

#include "core/launcher.h"
#include "core/messages.h"
#include "resources/resource.h"
#include "support/text.h"

namespace velmar {

UINT vmOptionCodePage()
{
    return ::GetACP() == CP_UTF8 ? CP_UTF8 : CP_THREAD_ACP;
}

bool appendVmOption(Launcher& launcher, std::wstring_view option)
{
    std::optional<NarrowText> converted = toCodePage(option, vmOptionCodePage());
    if (!converted) {
        const DWORD error = ::GetLastError();
        ReportWindowsError(launcher.splashWindow, IDS_WINDOWS_EXCEPTION,
                           LoadMessage(IDS_OPTION_NOT_CONVERTED), error);
        return false;
    }
    launcher.jvmOptions.push_back(std::move(converted->bytes));
    return true;
}

}  // namespace velmar
