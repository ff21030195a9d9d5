#include "installer/Startup.h"

#include "platform/SingleInstance.h"
#include "platform/TextConversion.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

constexpr const char* kInstanceName = "zelmora-tarnel_setup-net_tw.exe";

// Runs copies of the built installer under chosen file names, with its
// program-files and runtime folders inside a temporary folder.
class InstallerRunTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder_ / "bin");
        fs::create_directories(folder_ / "run");
        previousRuntime_ = std::getenv("XDG_RUNTIME_DIR") ? std::getenv("XDG_RUNTIME_DIR") : "";
        setenv("XDG_RUNTIME_DIR", (folder_ / "run").c_str(), 1);
    }
    void TearDown() override {
        if (previousRuntime_.empty())
            unsetenv("XDG_RUNTIME_DIR");
        else
            setenv("XDG_RUNTIME_DIR", previousRuntime_.c_str(), 1);
    }

    std::string CopyInstaller(const std::string& fileName) {
        const std::string path = folder_ / ("bin/" + fileName);
        fs::copy_file(ZD_SETUP_EXE, path, fs::copy_options::overwrite_existing);
        return path;
    }
    int Run(const std::string& program, const std::string& locale = "en_US.UTF-8") {
        // A permissive umask shows that the work folder still admits no other writer.
        return RunCommand("umask 000; env -u LANGUAGE LC_ALL=" + locale + " ZD_PROGRAM_FILES='" + folder_.path() +
                          "/pf' XDG_RUNTIME_DIR='" + folder_.path() + "/run' '" + program + "' 2>&1");
    }
    std::string WorkDir(const std::string& baseName) { return folder_ / ("pf/zelmora_down/" + baseName + "/"); }

    TempFolder folder_;
    std::string previousRuntime_;
};

TEST_F(InstallerRunTest, PreparesTheWorkFolderNamedAfterTheProgramFile) {
    const std::string program = CopyInstaller("setup.beta.exe");
    EXPECT_EQ(Run(program, "de_DE.UTF-8"), 0);

    const std::string work = WorkDir("setup.beta");
    int folders = 0, files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(work + "language")) {
        entry.is_directory() ? ++folders : ++files;
    }
    EXPECT_EQ(folders, 14);
    EXPECT_EQ(files, 2 + 14 * 3);

    const std::string log = ReadFileText(work + "Log/zelmora_down.log");
    EXPECT_NE(log.find(" LoadResZipFile\n "), std::string::npos) << log;
    EXPECT_NE(log.find(" Language Code:1031\n "), std::string::npos) << log;
    EXPECT_NE(log.find(" Domain:net_tw\r\n\n "), std::string::npos) << log;
    EXPECT_NE(log.find("window is not built yet"), std::string::npos) << log;

    for (const std::string& folder : {work, folder_ / "pf/zelmora_down"}) {
        const auto permissions = fs::status(folder).permissions();
        EXPECT_EQ(permissions & (fs::perms::group_write | fs::perms::others_write), fs::perms::none) << folder;
    }
}

TEST_F(InstallerRunTest, TheInstanceNameComesFromTheVersionResourceElseTheFileName) {
    EXPECT_EQ(InstanceNameOf(platform::ToWide(CopyInstaller("a.exe"))), platform::ToWide(kInstanceName));
    const std::string plain = folder_ / "bin/setup.beta.exe";
    fs::copy_file("/bin/true", plain);
    EXPECT_EQ(InstanceNameOf(platform::ToWide(plain)), L"setup.beta");
}

TEST_F(InstallerRunTest, ASecondCopyUnderAnyFileNameRaisesTheFirstAndExits) {
    auto lock = platform::InstanceLock::TryAcquire(kInstanceName);
    ASSERT_TRUE(lock);
    std::atomic<int> raised{0};
    lock->StartAnswering({[] { return std::string("Zelmora Tarnel Setup"); }, [&] { ++raised; }});

    EXPECT_EQ(Run(CopyInstaller("first-name.exe")), 255);
    EXPECT_EQ(Run(CopyInstaller("second-name.exe")), 255);
    EXPECT_EQ(raised.load(), 2);
    // The copy still refreshes its language files before it gives way.
    EXPECT_TRUE(fs::exists(WorkDir("second-name") + "language/English/text.ini"));
}

TEST_F(InstallerRunTest, ARunningCopyWithAnotherTitleIsNotRaised) {
    auto lock = platform::InstanceLock::TryAcquire(kInstanceName);
    ASSERT_TRUE(lock);
    std::atomic<int> raised{0};
    lock->StartAnswering({[] { return std::string("Some Other Title"); }, [&] { ++raised; }});
    EXPECT_EQ(Run(CopyInstaller("a.exe")), 255);
    EXPECT_EQ(raised.load(), 0);
}

TEST_F(InstallerRunTest, ReplacedResourcesAreReadByTheProgramAndSurviveStrip) {
    const std::string program = CopyInstaller("tagged.exe");
    WriteFileText(folder_ / "tag", "net_cn");
    ASSERT_EQ(
        RunCommand(std::string(ZD_ZRES_EXE) + " replace '" + program + "' RT_RCDATA 106 '" + folder_.path() + "/tag'"),
        0);
    ASSERT_EQ(
        RunCommand(std::string(ZD_ZRES_EXE) + " extract '" + program + "' RT_RCDATA 106 '" + folder_.path() + "/back'"),
        0);
    EXPECT_EQ(ReadFileText(folder_ / "back"), "net_cn");
    ASSERT_EQ(RunCommand("strip '" + program + "'"), 0);

    EXPECT_EQ(Run(program), 0);
    const std::string log = ReadFileText(WorkDir("tagged") + "Log/zelmora_down.log");
    EXPECT_NE(log.find(" Domain:net_cn\n "), std::string::npos) << log;
    EXPECT_TRUE(fs::exists(WorkDir("tagged") + "language/Arabic/install_tips.png"));
}

}  // namespace
