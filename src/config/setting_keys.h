// Every key the launcher reads from its INI file: its section and name,
// whether the append section ("Section+") is consulted, how a switch value
// is compared, and what a missing or empty value means. The loaders read
// through these entries, and the INI reference in docs/ is checked against
// kSettingKeys, so a key cannot be added, renamed or re-ruled in one place
// only.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace velmar {

class IniFile;

inline constexpr std::wstring_view kRuntimeSection = L"Java Runtime Environment";
inline constexpr std::wstring_view kApplicationSection = L"Application";
inline constexpr std::wstring_view kProductSection = L"Product Information";
inline constexpr std::wstring_view kClassPathSection = L"Class Path";
inline constexpr std::wstring_view kDisplaySection = L"Display";

enum class Layering { plainOnly, appendSection };

// How the launcher compares a key's value with the words it knows:
// freeText keys are taken as written (paths, names, lists).
enum class LetterCase { freeText, exact, anyCase };

struct SettingKey {
    std::wstring_view section;
    std::wstring_view name;
    Layering layering;
    LetterCase letterCase;
    // What a missing or empty value gives, in the words of the reference.
    std::wstring_view whenEmpty;
};

inline constexpr SettingKey kProductNameKey{kProductSection, L"Product Name", Layering::plainOnly,
                                            LetterCase::freeText, L"empty"};
inline constexpr SettingKey kProductCodeKey{kProductSection, L"Product Code", Layering::plainOnly,
                                            LetterCase::freeText, L"empty"};

inline constexpr SettingKey kMainClassKey{kRuntimeSection, L"Main Class", Layering::appendSection,
                                          LetterCase::freeText, L"required"};
inline constexpr SettingKey kMainModuleKey{kRuntimeSection, L"Main Module", Layering::appendSection,
                                           LetterCase::freeText, L"none: the application is on the class path"};
inline constexpr SettingKey kMinimumVersionKey{kRuntimeSection, L"Minimum Version",
                                               Layering::appendSection, LetterCase::exact,
                                               L"no minimum"};
inline constexpr SettingKey kMaximumVersionKey{kRuntimeSection, L"Maximum Version",
                                               Layering::appendSection, LetterCase::exact,
                                               L"no maximum"};
inline constexpr SettingKey kPreferredVersionsKey{kRuntimeSection, L"Preferred versions",
                                                  Layering::appendSection, LetterCase::freeText,
                                                  L"none"};
inline constexpr SettingKey kJrePathKey{kRuntimeSection, L"JRE Path", Layering::appendSection,
                                        LetterCase::freeText, L"empty"};
inline constexpr SettingKey kJavaHomeVariablesKey{kRuntimeSection, L"Java Home Variables",
                                                 Layering::appendSection, LetterCase::freeText,
                                                 L"none"};
// The dialog's own link, which its template shows too.
inline constexpr wchar_t kJavaDownloadAddress[] = L"https://java.com/";
inline constexpr SettingKey kDownloadAddressKey{kRuntimeSection, L"Download Address",
                                                Layering::appendSection, LetterCase::freeText,
                                                kJavaDownloadAddress};
inline constexpr SettingKey kJvmTypeKey{kRuntimeSection, L"JVM Type", Layering::appendSection,
                                        LetterCase::exact, L"client VM before server VM"};
inline constexpr SettingKey kJvmSourceKey{kRuntimeSection, L"JVM Source", Layering::appendSection,
                                          LetterCase::exact, L"both kinds"};
inline constexpr SettingKey kVmProviderKey{kRuntimeSection, L"VM Provider", Layering::appendSection,
                                           LetterCase::anyCase, L"JavaSoft only"};
inline constexpr SettingKey kSystemPathKey{kRuntimeSection, L"System Path", Layering::appendSection,
                                           LetterCase::freeText, L"empty"};
inline constexpr SettingKey kLibraryPathKey{kRuntimeSection, L"Library Path",
                                            Layering::appendSection, LetterCase::freeText,
                                            L"no java.library.path option"};
inline constexpr SettingKey kVmParametersKey{kRuntimeSection, L"Virtual Machine Parameters",
                                             Layering::appendSection, LetterCase::freeText,
                                             L"none"};

inline constexpr SettingKey kClassPathKey{kClassPathSection, L"Class Path", Layering::appendSection,
                                          LetterCase::freeText, L"empty"};

inline constexpr SettingKey kModulePathKey{kClassPathSection, L"Module Path", Layering::appendSection,
                                           LetterCase::freeText, L"no module path"};

inline constexpr SettingKey kApplicationTypeKey{kApplicationSection, L"Application Type",
                                                Layering::appendSection, LetterCase::exact,
                                                L"not a service"};
inline constexpr SettingKey kSingleInstanceKey{kApplicationSection, L"Single Instance",
                                               Layering::appendSection, LetterCase::exact, L"off"};
inline constexpr SettingKey kFailureCheckKey{kApplicationSection, L"Failure Check",
                                             Layering::appendSection, LetterCase::anyCase, L"off"};
inline constexpr SettingKey kOverrideWorkingDirKey{kApplicationSection, L"Override WorkingDir",
                                                   Layering::appendSection, LetterCase::anyCase,
                                                   L"off"};
inline constexpr SettingKey kPairProductKey{kApplicationSection, L"Pair Product",
                                            Layering::appendSection, LetterCase::freeText,
                                            L"empty"};
inline constexpr SettingKey kPairReturnCodeKey{kApplicationSection, L"Pair Return Code",
                                               Layering::appendSection, LetterCase::anyCase,
                                               L"off"};
inline constexpr SettingKey kEmbeddedJarKey{kApplicationSection, L"Embedded Jar",
                                            Layering::appendSection, LetterCase::anyCase, L"off"};
inline constexpr SettingKey kOutputFileKey{kApplicationSection, L"Output File",
                                           Layering::appendSection, LetterCase::freeText,
                                           L"the runtime's own System.out"};
inline constexpr SettingKey kOutputAppendKey{kApplicationSection, L"Output Append",
                                             Layering::appendSection, LetterCase::exact,
                                             L"off"};
inline constexpr SettingKey kErrorFileKey{kApplicationSection, L"Error File",
                                          Layering::appendSection, LetterCase::freeText,
                                          L"the runtime's own System.err"};
inline constexpr SettingKey kErrorAppendKey{kApplicationSection, L"Error Append",
                                            Layering::appendSection, LetterCase::exact, L"off"};
inline constexpr SettingKey kCmdKey{kApplicationSection, L"Cmd", Layering::appendSection,
                                    LetterCase::freeText, L"none"};

// Read when the splash starts, from the launcher's own file alone.
inline constexpr SettingKey kSplashScreenKey{kDisplaySection, L"Splash Screen", Layering::plainOnly,
                                             LetterCase::freeText, L"no splash"};
inline constexpr SettingKey kSplashShadowKey{kDisplaySection, L"Splash Screen Shadow",
                                             Layering::plainOnly, LetterCase::exact, L"no shadow"};
inline constexpr SettingKey kPreferNativeSplashKey{kDisplaySection, L"Preffer Native Splash Screen",
                                                   Layering::plainOnly, LetterCase::anyCase,
                                                   L"velmar's window"};
inline constexpr SettingKey kSplashAutoCloseKey{kDisplaySection, L"Splash Screen Auto Close",
                                                Layering::plainOnly, LetterCase::anyCase, L"stays up"};

inline constexpr std::array<const SettingKey*, 34> kSettingKeys = {
    &kProductNameKey,     &kProductCodeKey,     &kMainClassKey,       &kMinimumVersionKey,
    &kMaximumVersionKey,  &kPreferredVersionsKey, &kJrePathKey,       &kJavaHomeVariablesKey,
    &kJvmTypeKey,
    &kJvmSourceKey,       &kVmProviderKey,      &kSystemPathKey,      &kLibraryPathKey,
    &kVmParametersKey,    &kClassPathKey,       &kApplicationTypeKey, &kSingleInstanceKey,
    &kFailureCheckKey,    &kOverrideWorkingDirKey, &kPairProductKey,  &kPairReturnCodeKey,
    &kEmbeddedJarKey,     &kOutputFileKey,      &kOutputAppendKey,    &kErrorFileKey,
    &kErrorAppendKey,     &kCmdKey,             &kSplashScreenKey,    &kSplashShadowKey,
    &kPreferNativeSplashKey, &kSplashAutoCloseKey, &kMainModuleKey,   &kModulePathKey,
    &kDownloadAddressKey,
};

// The key's value; the append section is consulted only where the key
// allows it (and then only when `ini` is a LayeredIniFile).
std::wstring readSetting(const IniFile& ini, const SettingKey& key);

// Whether a value is the word, compared as the key's rule says; a free-text
// key is compared exactly.
bool valueIs(const SettingKey& key, std::wstring_view value, std::wstring_view word);

// The key's value compared with the word.
bool settingIs(const IniFile& ini, const SettingKey& key, std::wstring_view word);

}  // namespace velmar
