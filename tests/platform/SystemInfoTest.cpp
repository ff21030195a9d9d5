#include "platform/SystemInfo.h"

#include "ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct LocaleCase {
    const char* locale;
    std::uint16_t id;
};

class LanguageIdOfLocaleTest : public testing::TestWithParam<LocaleCase> {};

TEST_P(LanguageIdOfLocaleTest, MapsToWindowsLanguageId) {
    EXPECT_EQ(platform::LanguageIdOfLocale(GetParam().locale), GetParam().id) << GetParam().locale;
}

INSTANTIATE_TEST_SUITE_P(
    Countries, LanguageIdOfLocaleTest,
    testing::Values(
        LocaleCase{"en_US", 1033}, LocaleCase{"en_GB", 2057}, LocaleCase{"zh_CN", 2052},
        LocaleCase{"zh_SG", 4100}, LocaleCase{"zh_TW", 1028}, LocaleCase{"zh_HK", 3076},
        LocaleCase{"nl_NL", 1043}, LocaleCase{"nl_BE", 2067}, LocaleCase{"fr_FR", 1036},
        LocaleCase{"fr_BE", 2060}, LocaleCase{"fr_CA", 3084}, LocaleCase{"fr_CH", 4108},
        LocaleCase{"de_DE", 1031}, LocaleCase{"de_AT", 3079}, LocaleCase{"de_CH", 2055},
        LocaleCase{"it_IT", 1040}, LocaleCase{"it_CH", 2064}, LocaleCase{"ja_JP", 1041},
        LocaleCase{"es_ES", 3082}, LocaleCase{"es_MX", 2058}, LocaleCase{"es_AR", 11274},
        LocaleCase{"pt_BR", 1046}, LocaleCase{"pt_PT", 2070}, LocaleCase{"ko_KR", 1042},
        LocaleCase{"ar_EG", 1025}, LocaleCase{"ar_SA", 1025}, LocaleCase{"ar_MA", 1025},
        LocaleCase{"th_TH", 1054}, LocaleCase{"sv_SE", 1053}, LocaleCase{"sv_FI", 2077},
        LocaleCase{"ru_RU", 1049}, LocaleCase{"pl_PL", 1045}, LocaleCase{"tr_TR", 1055}));

INSTANTIATE_TEST_SUITE_P(
    Spellings, LanguageIdOfLocaleTest,
    testing::Values(
        LocaleCase{"de_DE.UTF-8", 1031}, LocaleCase{"zh_CN.GB2312@x", 2052}, LocaleCase{"zh_TW.Big5", 1028},
        LocaleCase{"ar_EG.UTF-8", 1025}, LocaleCase{"fr_BE@euro", 2060}, LocaleCase{"pt-PT", 2070},
        LocaleCase{"DE_at.utf8", 3079}, LocaleCase{"sv_FI.UTF-8@euro", 2077}));

INSTANTIATE_TEST_SUITE_P(
    LanguageOnly, LanguageIdOfLocaleTest,
    testing::Values(LocaleCase{"de", 1031}, LocaleCase{"fr", 1036}, LocaleCase{"zh", 2052},
                    LocaleCase{"pt", 1046}, LocaleCase{"es", 3082}, LocaleCase{"en", 1033},
                    LocaleCase{"ar", 1025}, LocaleCase{"sv.UTF-8", 1053},
                    LocaleCase{"de_BE", 1031}, LocaleCase{"nl_SR", 1043}));

INSTANTIATE_TEST_SUITE_P(
    Unknown, LanguageIdOfLocaleTest,
    testing::Values(LocaleCase{"", 1033}, LocaleCase{"C", 1033}, LocaleCase{"POSIX", 1033},
                    LocaleCase{"C.UTF-8", 1033}, LocaleCase{"xx_YY", 1033}, LocaleCase{"_DE", 1033},
                    LocaleCase{"deu_DE", 1033}));

struct EnvironmentCase {
    const char* language;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    std::uint16_t id;
};

class UserUiLanguageIdTest : public testing::TestWithParam<EnvironmentCase> {};

TEST_P(UserUiLanguageIdTest, FirstNonEmptyVariableDecides) {
    const EnvironmentCase& c = GetParam();
    ScopedEnvironment environment;
    const std::pair<const char*, const char*> variables[] = {
        {"LANGUAGE", c.language}, {"LC_ALL", c.lcAll}, {"LC_MESSAGES", c.lcMessages}, {"LANG", c.lang}};
    for (const auto& [name, value] : variables) {
        if (value) {
            environment.Set(name, value);
        } else {
            environment.Unset(name);
        }
    }
    EXPECT_EQ(platform::UserUiLanguageId(), c.id);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UserUiLanguageIdTest,
    testing::Values(
        EnvironmentCase{nullptr, nullptr, nullptr, nullptr, 1033},
        EnvironmentCase{nullptr, nullptr, nullptr, "de_DE.UTF-8", 1031},
        EnvironmentCase{nullptr, nullptr, "fr_FR.UTF-8", "de_DE.UTF-8", 1036},
        EnvironmentCase{nullptr, "ja_JP.UTF-8", "fr_FR.UTF-8", "de_DE.UTF-8", 1041},
        EnvironmentCase{"pt_BR", "ja_JP.UTF-8", "fr_FR.UTF-8", "de_DE.UTF-8", 1046},
        EnvironmentCase{"zh_TW:en_US:de", "ja_JP.UTF-8", nullptr, nullptr, 1028},
        EnvironmentCase{"", "", "ko_KR.UTF-8", "de_DE.UTF-8", 1042},
        EnvironmentCase{"", nullptr, "", "es_MX.UTF-8", 2058},
        EnvironmentCase{nullptr, "C", nullptr, "de_DE.UTF-8", 1033},
        EnvironmentCase{nullptr, nullptr, nullptr, "POSIX", 1033}));

struct MachineCase {
    const char* machine;
    bool is64Bit;
};

class Is64BitMachineNameTest : public testing::TestWithParam<MachineCase> {};

TEST_P(Is64BitMachineNameTest, OnlyX86_64Counts) {
    EXPECT_EQ(platform::Is64BitMachineName(GetParam().machine), GetParam().is64Bit) << GetParam().machine;
}

INSTANTIATE_TEST_SUITE_P(Cases, Is64BitMachineNameTest,
                         testing::Values(MachineCase{"x86_64", true}, MachineCase{"aarch64", false},
                                         MachineCase{"arm64", false}, MachineCase{"i686", false},
                                         MachineCase{"ppc64le", false}, MachineCase{"riscv64", false},
                                         MachineCase{"", false}));

struct OsReleaseCase {
    const char* what;
    const char* content;
    const char* productName;
};

class OsProductNameTest : public testing::TestWithParam<OsReleaseCase> {
protected:
    TempFolder folder_;
};

TEST_P(OsProductNameTest, ReadsPrettyName) {
    const std::string path = folder_ / "os-release";
    WriteFileText(path, GetParam().content);
    EXPECT_EQ(platform::OsProductNameOf(path), GetParam().productName);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OsProductNameTest,
    testing::Values(
        OsReleaseCase{"double_quotes",
                      "NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n",
                      "Debian GNU/Linux 12 (bookworm)"},
        OsReleaseCase{"single_quotes", "PRETTY_NAME='Fedora Linux 40 (Workstation Edition)'\n",
                      "Fedora Linux 40 (Workstation Edition)"},
        OsReleaseCase{"unquoted", "ID=arch\nPRETTY_NAME=Arch\n", "Arch"},
        OsReleaseCase{"escapes", "PRETTY_NAME=\"Say \\\"hi\\\" \\\\ \\$HOME\"\n", "Say \"hi\" \\ $HOME"},
        OsReleaseCase{"last_line_without_newline", "ID=x\nPRETTY_NAME=\"Last\"", "Last"},
        OsReleaseCase{"similar_key_first", "PRETTY_NAME_EXTRA=\"no\"\n#PRETTY_NAME=\"no\"\nPRETTY_NAME=\"yes\"\n",
                      "yes"},
        OsReleaseCase{"empty_value", "PRETTY_NAME=\"\"\n", ""},
        OsReleaseCase{"absent", "NAME=\"Debian GNU/Linux\"\n", ""}),
    [](const testing::TestParamInfo<OsReleaseCase>& info) { return std::string(info.param.what); });

TEST(OsProductNameOfTest, MissingFileGivesEmptyName) {
    TempFolder folder;
    EXPECT_EQ(platform::OsProductNameOf(folder / "missing"), "");
}

}  // namespace
