#include "jvm/option_encoding.h"

#include "resources/resource.h"
#include "support/file_system.h"
#include "support/messages.h"
#include "support/text.h"

#include <algorithm>

namespace velmar {

namespace {

std::optional<std::string> bytesOf(std::optional<NarrowText> converted)
{
    return converted ? std::optional<std::string>(std::move(converted->bytes)) : std::nullopt;
}

bool appendConverted(std::vector<std::string>& jvmOptions, const ErrorReporter& errors,
                     std::optional<std::string> converted)
{
    if (!converted) {
        const DWORD error = ::GetLastError();
        ReportWindowsError(errors.owner(), IDS_WINDOWS_EXCEPTION, LoadMessage(IDS_OPTION_NOT_CONVERTED), error);
        return false;
    }
    jvmOptions.push_back(std::move(*converted));
    return true;
}

}  // namespace

UINT vmOptionCodePage()
{
    return ::GetACP() == CP_UTF8 ? CP_UTF8 : CP_THREAD_ACP;
}

std::optional<std::string> encodePathEntry(std::wstring_view entry, UINT codePage)
{
    std::optional<NarrowText> asWritten = toCodePage(entry, codePage);
    if (!asWritten || !asWritten->lossy) {
        return bytesOf(std::move(asWritten));
    }
    // The VM would look for a "?" in the name. A short name is made of
    // characters of the OEM code page, which the ANSI one may still lack.
    std::wstring shortForm = shortPathOf(entry);
    if (!shortForm.empty()) {
        std::optional<NarrowText> converted = toCodePage(shortForm, codePage);
        if (converted && !converted->lossy) {
            return std::move(converted->bytes);
        }
    }
    return std::move(asWritten->bytes);
}

std::optional<std::string> encodePathList(std::wstring_view list, UINT codePage)
{
    // Mostly every entry can be written as it is: then one conversion of
    // the whole list gives what the entries' conversions would. A class
    // path of ten thousand jars is otherwise as many conversions.
    std::optional<NarrowText> whole = toCodePage(list, codePage);
    if (!whole || !whole->lossy) {
        return bytesOf(std::move(whole));
    }
    std::string encoded;
    for (size_t start = 0;;) {
        const size_t end = std::min(list.find(L';', start), list.size());
        std::optional<std::string> entry = encodePathEntry(list.substr(start, end - start), codePage);
        if (!entry) {
            return std::nullopt;
        }
        encoded += *entry;
        if (end == list.size()) {
            return encoded;
        }
        encoded += ';';
        start = end + 1;
    }
}

bool appendVmOption(std::vector<std::string>& jvmOptions, const ErrorReporter& errors,
                    std::wstring_view option)
{
    return appendConverted(jvmOptions, errors, bytesOf(toCodePage(option, vmOptionCodePage())));
}

bool appendPathListOption(std::vector<std::string>& jvmOptions, const ErrorReporter& errors,
                          std::wstring_view name, std::wstring_view list)
{
    const UINT codePage = vmOptionCodePage();
    std::optional<std::string> option = bytesOf(toCodePage(name, codePage));
    std::optional<std::string> entries = option ? encodePathList(list, codePage) : std::nullopt;
    return appendConverted(jvmOptions, errors, entries ? std::optional(*option + *entries) : std::nullopt);
}

}  // namespace velmar
