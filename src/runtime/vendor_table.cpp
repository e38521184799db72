#include "runtime/vendor_table.h"

#include "support/text.h"

#include <array>

namespace velmar {

namespace {

using enum RuntimeKind;
using enum Provider;
using enum HomeLayout;
using enum SuffixRule;

constexpr std::wstring_view kJavaHome = L"JavaHome";
constexpr std::wstring_view kPath = L"Path";
constexpr std::wstring_view kInstallationPath = L"InstallationPath";
constexpr std::wstring_view kHotspotMsi = L"hotspot\\MSI";
constexpr std::wstring_view kOpenJ9Msi = L"openj9\\MSI";
constexpr std::wstring_view kIbmJava2Key = L"Software\\IBM\\Java2 Runtime Environment\\";

// clang-format off
constexpr std::array kRows = {
    // key, 32-bit view key, kind, provider, name prefix, name suffix, suffix
    // rule, value path, home value, layout, favoured server looked up as default
    VendorRow{L"Software\\JavaSoft\\Java Development Kit\\", L"", jdk, sun, L"", L"", ignored, L"", kJavaHome, jreSubfolder, false},
    VendorRow{L"Software\\JavaSoft\\Java Runtime Environment\\", L"", jre, sun, L"", L"", ignored, L"", kJavaHome, asRegistered, true},
    VendorRow{L"Software\\JRockit\\Java Runtime Environment\\", L"", jre, jrockit, L"", L"", ignored, L"", kJavaHome, asRegistered, false},
    VendorRow{L"Software\\JRockit\\Java Development Kit\\", L"", jdk, jrockit, L"", L"", ignored, L"", kJavaHome, jreSubfolder, false},
    VendorRow{kIbmJava2Key, L"", jre, ibm, L"", L"", ignored, L"", kJavaHome, asRegistered, false},

    VendorRow{L"Software\\JavaSoft\\JDK", L"", jdk, sun, L"", L"", ignored, L"", kJavaHome, asRegisteredOrJre, false},
    VendorRow{L"Software\\JavaSoft\\JRE", L"", jre, sun, L"", L"", ignored, L"", kJavaHome, asRegisteredOrJre, false},
    VendorRow{L"Software\\Eclipse Adoptium\\JDK", L"", jdk, sun, L"", L"", ignored, kHotspotMsi, kPath, asRegisteredOrJre, false},
    VendorRow{L"Software\\Eclipse Adoptium\\JRE", L"", jre, sun, L"", L"", ignored, kHotspotMsi, kPath, asRegisteredOrJre, false},
    VendorRow{L"Software\\AdoptOpenJDK\\JDK", L"", jdk, sun, L"", L"", ignored, kHotspotMsi, kPath, asRegisteredOrJre, false},
    VendorRow{L"Software\\AdoptOpenJDK\\JRE", L"", jre, sun, L"", L"", ignored, kHotspotMsi, kPath, asRegisteredOrJre, false},
    VendorRow{L"Software\\Microsoft\\JDK", L"", jdk, sun, L"", L"", ignored, kHotspotMsi, kPath, asRegisteredOrJre, false},
    VendorRow{L"Software\\Azul Systems\\Zulu", L"Software\\Azul Systems\\Zulu 32-bit", jdk, sun, L"zulu-", L"-jre", forbidden, L"", kInstallationPath, asRegisteredOrJre, false},
    VendorRow{L"Software\\Azul Systems\\Zulu", L"Software\\Azul Systems\\Zulu 32-bit", jre, sun, L"zulu-", L"-jre", required, L"", kInstallationPath, asRegisteredOrJre, false},
    VendorRow{L"Software\\BellSoft\\Liberica", L"", jdk, sun, L"jdk-", L"", ignored, L"", kInstallationPath, asRegisteredOrJre, false},
    VendorRow{L"Software\\BellSoft\\Liberica", L"", jre, sun, L"jre-", L"", ignored, L"", kInstallationPath, asRegisteredOrJre, false},
    VendorRow{L"Software\\Semeru\\JDK", L"", jdk, ibm, L"", L"", ignored, kOpenJ9Msi, kPath, asRegisteredOrJre, false},
    VendorRow{L"Software\\Semeru\\JRE", L"", jre, ibm, L"", L"", ignored, kOpenJ9Msi, kPath, asRegisteredOrJre, false},
};
// clang-format on

bool startsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix)
{
    return text.size() >= prefix.size() && equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool endsWithIgnoringCase(std::wstring_view text, std::wstring_view suffix)
{
    return text.size() >= suffix.size() &&
           equalsIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

}  // namespace

std::span<const VendorRow> vendorRows()
{
    return kRows;
}

bool keepsJavaMainThread(const VendorRow& row)
{
    return row.key == kIbmJava2Key;
}

std::wstring_view rowKey(const VendorRow& row, RegistryView view)
{
    std::wstring_view key =
        view == RegistryView::bits32 && !row.key32.empty() ? row.key32 : row.key;
    if (endsWith(key, L"\\")) {
        key.remove_suffix(1);
    }
    return key;
}

bool subkeyBelongsToRow(const VendorRow& row, std::wstring_view name)
{
    if (!startsWithIgnoringCase(name, row.namePrefix)) {
        return false;
    }
    switch (row.suffixRule) {
    case SuffixRule::required:
        return endsWithIgnoringCase(name, row.nameSuffix);
    case SuffixRule::forbidden:
        return !endsWithIgnoringCase(name, row.nameSuffix);
    case SuffixRule::ignored:
        break;
    }
    return true;
}

std::vector<std::wstring> homesToTry(const VendorRow& row, std::wstring_view registeredHome)
{
    if (registeredHome.empty()) {
        return {};
    }
    std::wstring home(registeredHome);
    if (!endsWith(home, L"\\")) {
        home += L'\\';
    }
    switch (row.layout) {
    case HomeLayout::jreSubfolder:
        return {home + L"jre\\"};
    case HomeLayout::asRegisteredOrJre:
        return {home, home + L"jre\\"};
    case HomeLayout::asRegistered:
        break;
    }
    return {home};
}

}  // namespace velmar
