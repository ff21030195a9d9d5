#include "platform/Folders.h"

#include "RunAsNobody.h"
#include "ScopedEnvironment.h"
#include "platform/Processes.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace {

struct ProgramFilesCase {
    const char* what;
    bool asRoot;
    const char* programFiles;
    const char* dataHome;
    const char* home;
    const char* folder;
};

class ProgramFilesFolderTest : public testing::TestWithParam<ProgramFilesCase> {};

TEST_P(ProgramFilesFolderTest, ChoosesFolderForUser) {
    const ProgramFilesCase& c = GetParam();
    const bool root = geteuid() == 0;
    if (c.asRoot && !root) GTEST_SKIP() << "needs root";
    ScopedEnvironment environment;
    const std::pair<const char*, const char*> variables[] = {
        {"ZD_PROGRAM_FILES", c.programFiles}, {"XDG_DATA_HOME", c.dataHome}, {"HOME", c.home}};
    for (const auto& [name, value] : variables) {
        if (value) {
            environment.Set(name, value);
        } else {
            environment.Unset(name);
        }
    }
    const std::string folder = c.asRoot || !root ? platform::ProgramFilesFolder()
                                                 : QueryAsNobody(platform::ProgramFilesFolder);
    EXPECT_EQ(folder, c.folder);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramFilesFolderTest,
    testing::Values(
        ProgramFilesCase{"root_override", true, "/srv/products/", "/data", "/root", "/srv/products"},
        ProgramFilesCase{"root_default", true, nullptr, "/data", "/root", "/opt"},
        ProgramFilesCase{"root_empty_override", true, "", "/data", "/root", "/opt"},
        ProgramFilesCase{"user_override", false, "/srv/products", "/data", "/home/someone", "/srv/products"},
        ProgramFilesCase{"user_data_home", false, nullptr, "/data/share//", "/home/someone", "/data/share"},
        ProgramFilesCase{"user_default", false, nullptr, nullptr, "/home/someone", "/home/someone/.local/share"},
        ProgramFilesCase{"user_empty_data_home", false, nullptr, "", "/home/someone/",
                         "/home/someone/.local/share"},
        ProgramFilesCase{"user_relative_data_home", false, nullptr, "relative/share", "/home/someone",
                         "/home/someone/.local/share"}),
    [](const testing::TestParamInfo<ProgramFilesCase>& info) { return std::string(info.param.what); });

class ModulePathTest : public testing::TestWithParam<std::size_t> {
protected:
    TempFolder folder_;
};

// The helper reports its own path from wherever it was copied to, also from
// a folder whose path is longer than a first guess at the buffer size.
TEST_P(ModulePathTest, NamesTheRunningExecutable) {
    std::string place = folder_.path();
    while (place.size() < GetParam()) place += "/" + std::string(40, 'd');
    ASSERT_TRUE(std::filesystem::create_directories(place) || std::filesystem::is_directory(place));
    const std::string copy = place + "/Copied Child.bin";
    std::filesystem::copy_file(ZD_TEST_CHILD_EXE, copy);
    std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
    const std::string report = folder_ / "report";

    const std::optional<pid_t> child = platform::SpawnProcess({copy, "write-module-path", report});
    ASSERT_TRUE(child);
    ASSERT_EQ(platform::WaitProcess(*child), 0);
    EXPECT_EQ(ReadFileText(report), copy + "\n" + place + "/\n");
}

INSTANTIATE_TEST_SUITE_P(PathLengths, ModulePathTest, testing::Values(0, 600));

TEST(ModuleFolderTest, IsModulePathWithoutFileName) {
    const std::string path = platform::ModulePath();
    ASSERT_FALSE(path.empty());
    EXPECT_TRUE(std::filesystem::equivalent(path, "/proc/self/exe"));
    EXPECT_EQ(platform::ModuleFolder() + std::filesystem::path(path).filename().string(), path);
}

}  // namespace
