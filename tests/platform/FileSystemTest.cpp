#include "platform/FileSystem.h"

#include "RunAsNobody.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

using Error = platform::FileAttributes::Error;

class FileSystemTest : public testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(folder_ / "folder");
        WriteFileText(folder_ / "folder/file.txt", "x");
    }

    TempFolder folder_;
};

struct AttributesCase {
    const char* path;  // below the test folder
    bool exists;
    bool isDirectory;
    Error error;
};

class GetFileAttributesTest : public FileSystemTest, public testing::WithParamInterface<AttributesCase> {};

TEST_P(GetFileAttributesTest, ReportsExistenceOrWhichPartIsMissing) {
    const AttributesCase& c = GetParam();
    const platform::FileAttributes attributes = platform::GetFileAttributes(folder_ / c.path);
    EXPECT_EQ(attributes.exists, c.exists);
    EXPECT_EQ(attributes.isDirectory, c.isDirectory);
    EXPECT_EQ(attributes.error, c.error);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GetFileAttributesTest,
    testing::Values(AttributesCase{"folder", true, true, Error::kNone},
                    AttributesCase{"folder/", true, true, Error::kNone},
                    AttributesCase{"folder/file.txt", true, false, Error::kNone},
                    AttributesCase{"folder/missing", false, false, Error::kFileNotFound},
                    AttributesCase{"folder/missing/", false, false, Error::kFileNotFound},
                    AttributesCase{"missing/child", false, false, Error::kPathNotFound},
                    AttributesCase{"missing/deeper/child", false, false, Error::kPathNotFound},
                    AttributesCase{"folder/file.txt/child", false, false, Error::kPathNotFound}));

// A folder the user may not search hides whether anything below it exists;
// nothing can be made there, so the path counts as not found.
TEST_F(FileSystemTest, PathBelowAClosedFolderIsNotFound) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root";
    std::filesystem::permissions(folder_.path(), std::filesystem::perms::owner_all |
                                                     std::filesystem::perms::others_read |
                                                     std::filesystem::perms::others_exec);
    std::filesystem::permissions(folder_ / "folder", std::filesystem::perms::owner_all);
    const std::string path = folder_ / "folder/missing";
    const std::string seen = QueryAsNobody([&path] {
        const platform::FileAttributes attributes = platform::GetFileAttributes(path);
        return std::to_string(attributes.exists) + " " + std::to_string(static_cast<int>(attributes.error));
    });
    EXPECT_EQ(seen, "0 " + std::to_string(static_cast<int>(Error::kPathNotFound)));
}

TEST_F(FileSystemTest, EmptyPathIsNotFound) {
    const platform::FileAttributes attributes = platform::GetFileAttributes("");
    EXPECT_FALSE(attributes.exists);
    EXPECT_EQ(attributes.error, Error::kPathNotFound);
}

TEST_F(FileSystemTest, RelativePathsAreResolvedFromTheCurrentFolder) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    const Error bareName = platform::GetFileAttributes("missing").error;
    const Error missingParent = platform::GetFileAttributes("missing/child").error;
    const bool found = platform::GetFileAttributes("folder/file.txt").exists;
    std::filesystem::current_path(previous);
    EXPECT_EQ(bareName, Error::kFileNotFound);
    EXPECT_EQ(missingParent, Error::kPathNotFound);
    EXPECT_TRUE(found);
}

// Free space moves while other processes write, so the two readings are
// compared with a margin far below the reserve a quota-limited count leaves out.
TEST_F(FileSystemTest, FreeBytesAreTheTotalFreeOfTheNearestExistingAncestor) {
    struct statvfs volume {};
    ASSERT_EQ(statvfs(folder_.path().c_str(), &volume), 0);
    const double expected = static_cast<double>(volume.f_bfree) * volume.f_frsize;

    const std::optional<std::uint64_t> free = platform::FreeBytesOfVolume(folder_ / "not/yet/there");
    ASSERT_TRUE(free);
    EXPECT_NEAR(static_cast<double>(*free), expected, 256.0 * 1024 * 1024);
}

TEST_F(FileSystemTest, FreeBytesComeFromTheVolumeOfTheAncestor) {
    // /proc has no free blocks at all, unlike the volume of "/".
    const std::optional<std::uint64_t> free = platform::FreeBytesOfVolume("/proc/zd-not-a-process/child");
    ASSERT_TRUE(free);
    EXPECT_EQ(*free, 0u);
    EXPECT_GT(platform::FreeBytesOfVolume("/zd-not-there/child").value_or(0), 0u);
}

TEST_F(FileSystemTest, FreeBytesOfEmptyPathAreUnknown) {
    EXPECT_FALSE(platform::FreeBytesOfVolume(""));
}

TEST_F(FileSystemTest, CreateFoldersMakesEveryMissingParent) {
    const std::string deep = folder_ / "a/b/c/d";
    EXPECT_TRUE(platform::CreateFolders(deep));
    EXPECT_TRUE(std::filesystem::is_directory(deep));
    EXPECT_TRUE(platform::CreateFolders(deep + "/"));
    EXPECT_TRUE(platform::CreateFolders(folder_ / "a/b"));
}

TEST_F(FileSystemTest, CreateFoldersFailsWhereAFileIsInTheWay) {
    EXPECT_FALSE(platform::CreateFolders(folder_ / "folder/file.txt"));
    EXPECT_FALSE(platform::CreateFolders(folder_ / "folder/file.txt/sub"));
    EXPECT_FALSE(platform::CreateFolders(""));
}

}  // namespace
