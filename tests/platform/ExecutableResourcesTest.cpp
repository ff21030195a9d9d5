#include "platform/ExecutableResources.h"

#include "platform/VersionInfo.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using platform::Resource;
using platform::ResourceTable;

std::vector<std::uint8_t> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

TEST(ResourceTableTest, EncodesAndDecodesAndRejectsEveryTruncation) {
    const ResourceTable table = {
        {"RT_RCDATA", 106, Bytes("net_tw\r\n")}, {"ZIPRES", 104, {}}, {"RT_VERSION", 1, Bytes("x")}};
    const auto encoded = platform::EncodeResourceTable(table);
    const auto decoded = platform::DecodeResourceTable(encoded.data(), encoded.size());
    ASSERT_TRUE(decoded);
    ASSERT_EQ(decoded->size(), 3u);
    EXPECT_EQ((*decoded)[0].bytes, Bytes("net_tw\r\n"));
    EXPECT_EQ((*decoded)[1].type, "ZIPRES");
    EXPECT_EQ((*decoded)[2].id, 1);
    ASSERT_NE(platform::FindResource(*decoded, "RT_RCDATA", 106), nullptr);
    EXPECT_EQ(platform::FindResource(*decoded, "RT_RCDATA", 105), nullptr);

    for (std::size_t length = 0; length < encoded.size(); ++length) {
        EXPECT_FALSE(platform::DecodeResourceTable(encoded.data(), length)) << length;
    }
    auto damaged = encoded;
    damaged[0] = 'X';
    EXPECT_FALSE(platform::DecodeResourceTable(damaged.data(), damaged.size()));
}

class BuiltProgramTest : public testing::Test {
protected:
    std::string Copy() {
        const std::string path = folder_ / "setup";
        fs::copy_file(ZD_SETUP_EXE, path);
        return path;
    }
    TempFolder folder_;
};

TEST_F(BuiltProgramTest, HoldsTheShippedResources) {
    const auto table = platform::ReadResourceTable(ZD_SETUP_EXE);
    ASSERT_TRUE(table);
    const Resource* tag = platform::FindResource(*table, platform::kResourceTypeRcData, 106);
    ASSERT_NE(tag, nullptr);
    EXPECT_EQ(tag->bytes, Bytes("net_tw\r\n"));
    const Resource* languages = platform::FindResource(*table, platform::kResourceTypeRcData, 105);
    ASSERT_NE(languages, nullptr);
    EXPECT_EQ(std::string(languages->bytes.begin(), languages->bytes.begin() + 2), "PK");
    EXPECT_NE(platform::FindResource(*table, platform::kResourceTypeGroupIcon, 101), nullptr);

    const auto version = platform::ReadVersionInfo(ZD_SETUP_EXE);
    ASSERT_TRUE(version);
    EXPECT_EQ(platform::QueryVersionValue(*version, "\\StringFileInfo\\040904b0\\FileDescription"),
              "zelmora-tarnel_setup-net_tw.exe");
    EXPECT_EQ(version->fixedFileVersion, (std::array<std::uint16_t, 4>{4, 3, 0, 9}));
}

TEST_F(BuiltProgramTest, RewritingKeepsTheRestAndDoesNotGrowOnRepeat) {
    const std::string path = Copy();
    auto table = *platform::ReadResourceTable(path);
    const auto originalSize = fs::file_size(path);
    for (const std::string tag : {std::string(5000, 'a'), std::string("b"), std::string(5000, 'c')}) {
        for (Resource& resource : table) {
            if (resource.id == 106) resource.bytes = Bytes(tag);
        }
        ASSERT_TRUE(platform::WriteResourceTable(path, table));
        const auto again = platform::ReadResourceTable(path);
        ASSERT_TRUE(again);
        EXPECT_EQ(platform::FindResource(*again, platform::kResourceTypeRcData, 106)->bytes, Bytes(tag));
        EXPECT_EQ(platform::FindResource(*again, platform::kResourceTypeRcData, 105)->bytes,
                  platform::FindResource(table, platform::kResourceTypeRcData, 105)->bytes);
    }
    // Moved once to the end of the file, the table is rewritten in place after that.
    EXPECT_LT(fs::file_size(path), originalSize + 2 * 5000 + fs::file_size(ZD_SETUP_EXE) / 2);
    EXPECT_EQ(fs::status(path).permissions(), fs::status(ZD_SETUP_EXE).permissions());
}

TEST_F(BuiltProgramTest, FilesWithoutATableAreLeftAlone) {
    WriteFileText(folder_ / "text", "not a program");
    fs::copy_file("/bin/true", folder_ / "true");
    const std::string before = ReadFileText(folder_ / "true");
    for (const std::string& path : {folder_ / "text", folder_ / "true", folder_ / "missing"}) {
        EXPECT_FALSE(platform::ReadResourceTable(path)) << path;
        EXPECT_FALSE(platform::WriteResourceTable(path, {})) << path;
        EXPECT_FALSE(platform::ReadVersionInfo(path)) << path;
    }
    EXPECT_EQ(ReadFileText(folder_ / "true"), before);
}

TEST(VersionInfoTest, ParsesValuesAndRejectsBrokenText) {
    const auto info = platform::ParseVersionInfo("FileVersion=65535.0.12.9\r\n\\VarFileInfo\\Translation=040904b0\n\n");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->fixedFileVersion, (std::array<std::uint16_t, 4>{65535, 0, 12, 9}));
    EXPECT_EQ(platform::QueryVersionValue(*info, "\\VarFileInfo\\Translation"), "040904b0");
    EXPECT_FALSE(platform::QueryVersionValue(*info, "\\StringFileInfo\\040904b0\\FileDescription"));
    EXPECT_FALSE(platform::ParseVersionInfo("")->fixedFileVersion);

    for (const char* text : {"FileVersion=4.3.0", "FileVersion=4.3.0.9.1", "FileVersion=65536.0.0.0",
                             "FileVersion=4..0.9", "FileVersion=a.b.c.d", "no equals sign", "=value"}) {
        EXPECT_FALSE(platform::ParseVersionInfo(text)) << text;
    }
}

}  // namespace
