#include "installer/MainFrameWnd.h"

#include "platform/TextConversion.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::wstring TagOf(const std::string& bytes) {
    return ChannelTagFromResource(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(ChannelTagTest, LineBreaksAreRemovedAndTheTagEndsAtTheBuffer) {
    EXPECT_EQ(TagOf("net_tw\r\n"), L"net_tw");
    EXPECT_EQ(TagOf("net_tw"), L"net_tw");
    EXPECT_EQ(TagOf("net\r\n_tw\r\n"), L"net_tw");
    EXPECT_EQ(TagOf("net_tw\n"), L"net_tw\n");  // only CR LF pairs go
    EXPECT_EQ(TagOf(std::string("net\0tw", 6)), L"net");
    EXPECT_EQ(TagOf(std::string(300, 'x')), std::wstring(254, L'x'));
    EXPECT_EQ(TagOf(""), L"");
}

class DomainFileTest : public testing::Test {
protected:
    void SetUp() override {
        // The product folder comes from productInfo.ini; give it one level.
        std::filesystem::create_directories(languages_ / "English");
        WriteFileText(languages_ / "productInfo.ini", Utf16LeWithBom(L"[PRODUCT]\r\nSTR_DIR1_NAME = Zelmora\r\n"));
        frame_.GetLanguageManager().LoadLanguage(platform::ToWide(languages_.path() + "/"));
    }
    TempFolder languages_;
    TempFolder install_;
    CMainFrameWnd frame_;
};

TEST_F(DomainFileTest, HoldsExactlyTheTagWithoutALineBreak) {
    std::filesystem::create_directories(install_ / "Zelmora");
    frame_.SetInstallDir(platform::ToWide(install_.path() + "/"));
    frame_.GetLanguageManager().SetDomain(TagOf("net_tw\r\n"));
    frame_.WriteDomainFile();
    EXPECT_EQ(ReadFileText(install_ / "Zelmora/domain"), "net_tw");
    EXPECT_EQ(std::filesystem::file_size(install_ / "Zelmora/domain"), 6u);
}

TEST_F(DomainFileTest, NothingIsWrittenForAnEmptyTagOrAnUnwritableFolder) {
    std::filesystem::create_directories(install_ / "Zelmora");
    frame_.SetInstallDir(platform::ToWide(install_.path() + "/"));
    frame_.WriteDomainFile();
    EXPECT_FALSE(std::filesystem::exists(install_ / "Zelmora/domain"));

    // A product "folder" that is a plain file cannot hold the domain file.
    WriteFileText(install_ / "blocked", "");
    frame_.SetInstallDir(platform::ToWide(install_ / "blocked/"));
    frame_.GetLanguageManager().SetDomain(L"net_tw");
    frame_.WriteDomainFile();
    EXPECT_EQ(ReadFileText(install_ / "blocked"), "");
}

}  // namespace
