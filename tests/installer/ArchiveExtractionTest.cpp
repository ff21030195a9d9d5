#include "installer/ArchiveExtraction.h"

#include "platform/TextConversion.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"
#include "mkzip/ZipWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace {

namespace fs = std::filesystem;

std::set<std::string> TreeOf(const std::string& root) {
    std::set<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        entries.insert(fs::relative(entry.path(), root).string() + (entry.is_directory() ? "/" : ""));
    }
    return entries;
}

int Extract(const std::vector<std::uint8_t>& archive, const std::string& folder) {
    return ExtractArchiveToFolder(archive.data(), archive.size(), platform::ToWide(folder + "/"));
}

TEST(ArchiveExtractionTest, TheShippedLanguageArchiveGivesTwoFilesAndFourteenFoldersOfThree) {
    const std::string bytes = ReadFileText(ZD_LANGUAGE_ZIP);
    ASSERT_FALSE(bytes.empty());
    TempFolder folder;
    const std::vector<std::uint8_t> archive(bytes.begin(), bytes.end());
    EXPECT_EQ(Extract(archive, folder / "language"), 58);

    const std::set<std::string> tree = TreeOf(folder / "language");
    std::set<std::string> expected = {"language.ini", "productInfo.ini"};
    for (const char* language : {"English", "Chinese", "ChineseTW", "Dutch", "French", "German", "Italian", "Japanese",
                                 "Spanish", "Portuguese", "Korean", "Arabic", "Thai", "Swedish"}) {
        const std::string name = language;
        expected.insert({name + "/", name + "/install_tips.png", name + "/text.ini", name + "/UrlInfo.ini"});
    }
    EXPECT_EQ(tree, expected);
}

TEST(ArchiveExtractionTest, EntriesThatWouldLeaveTheFolderAreSkipped) {
    ZipWriter writer;
    for (const char* name : {"../evil.txt", "/tmp/zd-absolute-evil.txt", "a/../../evil2.txt", "sub\\..\\..\\evil3.txt",
                             "..", "ok.txt", "dir/..name/fine.txt"}) {
        writer.AddFile(name, std::string("payload"));
    }
    TempFolder outer;
    const std::string target = outer / "language";
    EXPECT_EQ(Extract(writer.Finish(), target), 2);
    EXPECT_EQ(TreeOf(outer.path()), (std::set<std::string>{"language/", "language/ok.txt", "language/dir/",
                                                           "language/dir/..name/", "language/dir/..name/fine.txt"}));
    EXPECT_FALSE(fs::exists("/tmp/zd-absolute-evil.txt"));
}

TEST(ArchiveExtractionTest, ReplacesFilesOfTheSameNameAndKeepsOthers) {
    TempFolder folder;
    fs::create_directories(folder / "English");
    WriteFileText(folder / "English/text.ini", "old and longer than the new content");
    WriteFileText(folder / "English/pr_1.png", "banner");
    ZipWriter writer;
    writer.AddFolder("English");
    writer.AddFile("English/text.ini", std::string("new"), ZipWriter::Method::kStored);
    EXPECT_EQ(Extract(writer.Finish(), folder.path()), 2);
    EXPECT_EQ(ReadFileText(folder / "English/text.ini"), "new");
    EXPECT_EQ(ReadFileText(folder / "English/pr_1.png"), "banner");
}

TEST(ArchiveExtractionTest, BytesThatAreNoArchiveExtractNothing) {
    TempFolder folder;
    const std::vector<std::uint8_t> garbage = {'P', 'K', 3, 4, 0, 0, 1, 2, 3};
    EXPECT_EQ(Extract(garbage, folder / "language"), -1);
    EXPECT_TRUE(TreeOf(folder / "language").empty());
}

}  // namespace
