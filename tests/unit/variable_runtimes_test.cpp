#include "config/settings.h"
#include "runtime/release_file.h"
#include "runtime/variable_runtimes.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace velmar {
namespace {

std::optional<std::wstring> versionText(std::string_view release)
{
    const ReleaseVersion read = versionFromRelease(release);
    EXPECT_EQ(read.version.has_value(), read.problem.empty()) << release;
    if (!read.version) {
        return std::nullopt;
    }
    // All four components, so that a dropped one shows.
    const auto& c = read.version->c;
    return std::to_wstring(c[0]) + L'.' + std::to_wstring(c[1]) + L'.' + std::to_wstring(c[2]) +
           L'.' + std::to_wstring(c[3]);
}

TEST(ReleaseFileTest, ReadsTheFirstJavaVersionLine)
{
    using std::string_view_literals::operator""sv;
    const std::pair<std::string_view, std::optional<std::wstring>> cases[] = {
        {"JAVA_VERSION=\"17.0.2\"\n", L"17.0.2.0"},
        {"JAVA_VERSION=17.0.2", L"17.0.2.0"},
        {"IMPLEMENTOR=\"Acme\"\r\nJAVA_VERSION=\"1.8.0_392\"\r\nOS_NAME=\"Windows\"\r\n", L"1.8.0.392"},
        {"JAVA_VERSION=\"21\"", L"21.0.0.0"},
        {"JAVA_VERSION=\"22-ea\"\n", L"22.0.0.0"},
        // Other keys, and keys that merely start alike, are not the version.
        {"JAVA_VERSION_DATE=\"2024-01-16\"\nJAVA_VERSION=\"11.0.22\"\n", L"11.0.22.0"},
        {"JAVA_RUNTIME_VERSION=\"17.0.2+8\"\n", std::nullopt},
        {" JAVA_VERSION=\"17\"\n", std::nullopt},
        {"java_version=\"17\"\n", std::nullopt},
        {"JAVA_VERSION=\"17\"\nJAVA_VERSION=\"8\"\n", L"17.0.0.0"},
        {"JAVA_VERSION=  \"17.0.1\" \t\r\n", L"17.0.1.0"},
        {"JAVA_VERSION=\"17.0.3\n", L"17.0.3.0"},
        {"JAVA_VERSION=\"\"\n", std::nullopt},
        {"JAVA_VERSION=\"beta\"\n", std::nullopt},
        {"JAVA_VERSION=\"99999999999\"\n", std::nullopt},
        // A NUL ends nothing: the line goes on to its line end.
        {"JAVA_VERSION=\"17\0.5\"\n"sv, L"17.5.0.0"},
        {"A=1\0JAVA_VERSION=\"9\"\n"sv, std::nullopt},
        {"", std::nullopt},
        {"\n\n\r\n", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(versionText(text), expected) << ::testing::PrintToString(std::string(text));
    }
}

SearchPolicy policyOf(std::wstring_view minimum, std::wstring_view maximum,
                      std::wstring_view jvmSource = L"")
{
    SearchPolicy policy;
    policy.minimum = boundFromText(minimum, BoundKind::minimum);
    policy.maximum = boundFromText(maximum, BoundKind::maximum);
    policy.kinds = decodeJvmSource(jvmSource);
    return policy;
}

std::optional<JavaVersion> version(std::wstring_view text)
{
    return parseVersion(text, 0).value;
}

TEST(VariableRuntimeRuleTest, BoundsKindAndArchitectureDecide)
{
    struct Case {
        const char* name;
        VariableRuntime runtime;
        SearchPolicy policy;
        bool pairExists;
        std::wstring_view reason;  // empty: taken
    };
    const VariableRuntime jre17{version(L"17.0.2"), RuntimeKind::jre, false};
    const VariableRuntime jdk17{version(L"17.0.2"), RuntimeKind::jdk, false};
    const VariableRuntime unknown{std::nullopt, RuntimeKind::jre, false};
    const VariableRuntime foreign{version(L"17.0.2"), RuntimeKind::jre, true};
    const Case cases[] = {
        {"no_bounds", jre17, policyOf(L"", L""), false, L""},
        {"within_bounds", jre17, policyOf(L"11", L"17"), false, L""},
        {"below_minimum", jre17, policyOf(L"21", L""), false, L"below \"Minimum Version\""},
        {"above_maximum", jre17, policyOf(L"", L"11"), false, L"above \"Maximum Version\""},
        {"old_numbering_within", {version(L"1.8.0_392"), RuntimeKind::jre, false},
         policyOf(L"1.8", L"1.8"), false, L""},
        {"unknown_without_bounds", unknown, policyOf(L"", L""), false, L""},
        {"unknown_with_any_bounds", unknown, policyOf(L"any", L"any"), false, L""},
        {"unknown_with_minimum", unknown, policyOf(L"1.6", L""), false,
         L"its version is unknown and a version bound is set"},
        {"unknown_with_maximum", unknown, policyOf(L"", L"1.8"), false,
         L"its version is unknown and a version bound is set"},
        {"jdk_when_only_jre", jdk17, policyOf(L"", L"", L"only_JRE"), false,
         L"JDKs not selected by \"JVM Source\""},
        {"jre_when_only_jdk", jre17, policyOf(L"", L"", L"only_JDK"), false,
         L"JREs not selected by \"JVM Source\""},
        {"jre_when_favor_jdk", jre17, policyOf(L"", L"", L"favor_JDK"), false, L""},
        {"jdk_when_unknown_source", jdk17, policyOf(L"", L"", L"only_jdk"), false,
         L"JDKs not selected by \"JVM Source\""},
        {"other_architecture_without_pair", foreign, policyOf(L"", L""), false,
         L"a VM of the other architecture, and no \"Pair Product\" to host it"},
        {"other_architecture_with_pair", foreign, policyOf(L"", L""), true, L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(variableRuntimeRejection(c.runtime, c.policy, c.pairExists), c.reason) << c.name;
    }
}

}  // namespace
}  // namespace velmar
