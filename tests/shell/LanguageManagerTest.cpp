#include "shell/LanguageManager.h"

#include "platform/TextConversion.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

constexpr const char* kLanguageIni =
    "[Language]\r\n1033=English\r\n2052=Chinese\r\n2070=Portuguese\r\n1025=Arabic\r\n1031=German\r\n";

class LanguageManagerTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) unsetenv(name);
        WriteFileText(folder_ / "language.ini", kLanguageIni);
        WriteProduct(
            L"STR_PRODUCT_NAME = Zelmora Tarnel\r\nSTR_LISENCE_COLOR = #574DED\r\nSTR_BRAND_NAME = Zelmora\r\n"
            L"STR_DIR1_NAME = Zelmora\r\nSTR_DIR2_NAME = Zelmora Tarnel\r\nSTR_EXE_NAME = Tarnel.exe\r\n"
            L"STR_PID = 11\r\nSTR_RUN_AS_ADMIN = 1\r\n");
        WriteLanguage("English", L"STR_INSTALL = Install\r\n",
                      L"STR_INSTALL_URL = https://api.zelmora.example/producturl?key=installed&pid=11&lang=English\r\n"
                      L"STR_LICENCE_URL = https://api.zelmora.example/producturl?pid=11\r\n");
    }
    void TearDown() override { unsetenv("LC_ALL"); }

    void WriteProduct(const std::wstring& entries) {
        WriteFileText(folder_ / "productInfo.ini", Utf16LeWithBom(L"[PRODUCT]\r\n" + entries));
    }
    void WriteLanguage(const std::string& name, const std::wstring& texts, const std::wstring& urls) {
        std::filesystem::create_directories(folder_ / name);
        WriteFileText(folder_ / (name + "/text.ini"), Utf16LeWithBom(L"[LANSTR]\r\n" + texts));
        WriteFileText(folder_ / (name + "/UrlInfo.ini"), Utf16LeWithBom(L"[URL]\r\n" + urls));
    }
    LanguageManager Load(const char* locale = "en_US.UTF-8") {
        setenv("LC_ALL", locale, 1);
        LanguageManager manager;
        manager.LoadLanguage(platform::ToWide(folder_.path() + "/"));
        return manager;
    }

    TempFolder folder_;
};

TEST_F(LanguageManagerTest, ChoosesTheLanguageFromTheUserInterfaceLanguage) {
    struct Case {
        const char* locale;
        const wchar_t* language;
        bool rightToLeft;
    } cases[] = {
        {"pt_BR.UTF-8", L"English", false},     // 1046 is not in the table
        {"es_MX.UTF-8", L"English", false},     // 2058 neither
        {"pt_PT.UTF-8", L"Portuguese", false},  // 2070
        {"ar_EG.UTF-8", L"Arabic", true},       // 1025
        {"zh_CN.UTF-8", L"Chinese", false},    {"C", L"English", false},
    };
    for (const Case& c : cases) {
        const LanguageManager manager = Load(c.locale);
        EXPECT_EQ(manager.GetLanguageName(), c.language) << c.locale;
        EXPECT_EQ(manager.IsRightToLeft(), c.rightToLeft) << c.locale;
    }
}

TEST_F(LanguageManagerTest, OnlyTheExactNameArabicTurnsRightToLeftOn) {
    WriteFileText(folder_ / "language.ini", "[Language]\r\n1025=arabic\r\n");
    const LanguageManager manager = Load("ar_SA.UTF-8");
    EXPECT_EQ(manager.GetLanguageName(), L"arabic");
    EXPECT_FALSE(manager.IsRightToLeft());
}

TEST_F(LanguageManagerTest, PlaceholdersAreReplacedAsPlainSubstrings) {
    WriteLanguage("German",
                  L"STR_MESSAGEBOX_TITLE = PRODUCT Setup\r\nSTR_INSTALL = PRODUCTION COLORS BRANDS\r\n"
                  L"STR_EXTRA = extra\r\n",
                  L"");
    const LanguageManager manager = Load("de_DE.UTF-8");
    EXPECT_EQ(manager.GetText(L"STR_MESSAGEBOX_TITLE"), L"Zelmora Tarnel Setup");
    EXPECT_EQ(manager.GetText(L"STR_INSTALL"), L"Zelmora TarnelION #574DEDS ZelmoraS");
    EXPECT_EQ(manager.GetText(L"STR_LISENCE"), L"I've read and agreed to {c #574DED}Zelmora License Agreement{/c}");
    EXPECT_EQ(manager.GetText(L"STR_MB"), L"MB");  // not in the file: the default stays
    EXPECT_EQ(manager.GetText(L"STR_START"), L"Start\u00A0Now");
    EXPECT_EQ(manager.GetText(L"STR_EXTRA"), L"extra");
    EXPECT_EQ(manager.GetText(L"STR_NOT_THERE"), L"");
}

TEST_F(LanguageManagerTest, MissingFilesFallBackToDefaults) {
    std::filesystem::remove(folder_ / "productInfo.ini");
    std::filesystem::remove(folder_ / "language.ini");
    const LanguageManager manager = Load("de_DE.UTF-8");
    EXPECT_EQ(manager.GetLanguageName(), L"English");
    EXPECT_EQ(manager.GetBrandName(), L"Zelmora");
    EXPECT_EQ(manager.GetText(L"STR_MESSAGEBOX_TITLE"), L" Setup");
    EXPECT_EQ(manager.GetInstallSubDir(), L"");
    EXPECT_TRUE(manager.IsRunAsAdmin());
}

TEST_F(LanguageManagerTest, ProductValuesAndFolders) {
    const LanguageManager manager = Load();
    EXPECT_EQ(manager.GetInstallSubDir(), L"Zelmora/Zelmora Tarnel/");
    EXPECT_EQ(manager.GetExeRelativePath(), L"Zelmora/Zelmora Tarnel/Tarnel.exe");
    EXPECT_EQ(manager.GetCarouselUrl(), L"https://api.zelmora.example/downloader/carousel?pid=11&lang=English");
    EXPECT_EQ(LanguageManager::GetDownloadRatio(), 90);
    EXPECT_EQ(LanguageManager::GetReadFileTimeout(), 1500);
}

TEST_F(LanguageManagerTest, RunAsAdminIsFalseOnlyForExactlyZero) {
    struct Case {
        const wchar_t* entry;
        bool expected;
    } cases[] = {{L"STR_RUN_AS_ADMIN = 0\r\n", false},
                 {L"STR_RUN_AS_ADMIN = 1\r\n", true},
                 {L"STR_RUN_AS_ADMIN =\r\n", true},
                 {L"STR_RUN_AS_ADMIN = 00\r\n", true},
                 {L"", true}};
    for (const Case& c : cases) {
        WriteProduct(c.entry);
        EXPECT_EQ(Load().IsRunAsAdmin(), c.expected) << platform::ToUtf8(c.entry);
    }
}

TEST_F(LanguageManagerTest, ChannelTagIsAppendedOnlyToAddressesWithAKey) {
    LanguageManager manager = Load();
    EXPECT_EQ(manager.GetInstallUrl(), L"https://api.zelmora.example/producturl?key=installed&pid=11&lang=English");
    manager.SetDomain(L"net_tw");
    EXPECT_EQ(manager.GetInstallUrl(),
              L"https://api.zelmora.example/producturl?key=installed&pid=11&lang=English&custom=net_tw");
    EXPECT_EQ(manager.GetLicenceUrl(), L"https://api.zelmora.example/producturl?pid=11");
    EXPECT_EQ(manager.GetDownUrlEx(), L"");
    manager.LoadLanguage(manager.GetLanguageFolder());
    EXPECT_EQ(manager.GetDomain(), L"");
}

}  // namespace
