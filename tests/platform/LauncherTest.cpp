#include "platform/Launcher.h"

#include "ScopedEnvironment.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <future>
#include <grp.h>
#include <pwd.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// Started programs are not waited for, so their results are awaited here,
// with room for a slow machine.
bool WaitForFile(const std::string& path) {
    for (auto deadline = std::chrono::steady_clock::now() + 30s; std::chrono::steady_clock::now() < deadline;) {
        if (std::filesystem::exists(path)) return true;
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

// True when this process has no child at all, neither running nor a zombie.
bool HasNoChildren() {
    int status = 0;
    return waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

class LauncherTest : public testing::Test {
protected:
    // A shell script; `body` writes its findings, and the last line renames the
    // report into place so a reader never sees half of it. PATH may not lead
    // to mv, as some tests replace it.
    std::string WriteScript(const std::string& path, const std::string& body, const std::string& report) {
        WriteFileText(path, "#!/bin/sh\n{\n" + body + "\n} > '" + report + ".part'\n/bin/mv '" + report + ".part' '" +
                                report + "'\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all | std::filesystem::perms::group_read |
                                               std::filesystem::perms::group_exec | std::filesystem::perms::others_read |
                                               std::filesystem::perms::others_exec);
        return path;
    }

    TempFolder folder_;
    ScopedEnvironment environment_;
};

// The stand-in waits for a go-ahead before it records anything, so a call
// that waited for it would never return on its own.
TEST_F(LauncherTest, OpenHandsTargetToXdgOpenOnPathWithoutWaiting) {
    const std::string tools = folder_ / "tools";
    std::filesystem::create_directory(tools);
    const std::string go = folder_ / "go";
    const std::string report = folder_ / "opened";
    WriteScript(tools + "/xdg-open",
                "while [ ! -e '" + go + "' ]; do sleep 0.05; done\necho \"$#\"\nprintf '%s\\n' \"$1\"\necho \"$PPID\"",
                report);
    environment_.Set("PATH", tools + ":/usr/bin:/bin");
    const std::string target = "https://example.invalid/path?a=1&b=two words#frag";

    auto opened = std::async(std::launch::async, [&] { return platform::OpenWithDefaultApplication(target); });
    const bool returnedAtOnce = opened.wait_for(30s) == std::future_status::ready;
    WriteFileText(go, "");
    EXPECT_TRUE(returnedAtOnce);
    EXPECT_TRUE(opened.get());

    ASSERT_TRUE(WaitForFile(report));
    EXPECT_TRUE(HasNoChildren());
    const std::string recorded = ReadFileText(report);
    const std::string prefix = "1\n" + target + "\n";
    ASSERT_EQ(recorded.substr(0, prefix.size()), prefix);
    EXPECT_NE(std::stoi(recorded.substr(prefix.size())), getpid());
}

struct PathCase {
    const char* what;
    // Folders below the test folder, ':'-joined into PATH; "./x" stays relative.
    std::vector<std::string> path;
    bool opened;
};

class OpenSearchTest : public LauncherTest, public testing::WithParamInterface<PathCase> {};

// "plain" holds a non-executable xdg-open, "tools" a working one, and
// "relative" one that PATH may only name relative to the current folder.
TEST_P(OpenSearchTest, UsesOnlyAnExecutableXdgOpenInAnAbsoluteFolder) {
    const std::string report = folder_ / "opened";
    for (const char* name : {"plain", "tools", "relative"}) std::filesystem::create_directory(folder_ / name);
    WriteScript(folder_ / "tools/xdg-open", "echo tools", report);
    WriteScript(folder_ / "relative/xdg-open", "echo relative", report);
    WriteFileText(folder_ / "plain/xdg-open", "#!/bin/sh\necho plain > '" + report + "'\n");
    std::filesystem::permissions(folder_ / "plain/xdg-open", std::filesystem::perms::owner_read |
                                                                 std::filesystem::perms::owner_write);
    std::string path;
    for (const std::string& entry : GetParam().path) {
        path += (path.empty() ? "" : ":") + (entry.rfind("./", 0) == 0 ? entry : folder_ / entry);
    }
    environment_.Set("PATH", path);
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    const bool opened = platform::OpenWithDefaultApplication("file:///tmp");
    std::filesystem::current_path(previous);

    EXPECT_EQ(opened, GetParam().opened);
    if (GetParam().opened) {
        ASSERT_TRUE(WaitForFile(report));
        EXPECT_EQ(ReadFileText(report), "tools\n");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OpenSearchTest,
    testing::Values(PathCase{"found", {"tools"}, true},
                    PathCase{"after_non_executable", {"plain", "tools"}, true},
                    PathCase{"after_missing_folder", {"missing", "tools"}, true},
                    PathCase{"only_non_executable", {"plain"}, false},
                    PathCase{"only_relative", {"./relative"}, false},
                    PathCase{"relative_before_absolute", {"./relative", "tools"}, true},
                    PathCase{"absent", {"missing"}, false}),
    [](const testing::TestParamInfo<PathCase>& info) { return std::string(info.param.what); });

TEST_F(LauncherTest, RunProgramStartsWithOurRightsAndNoChildLeft) {
    const std::string report = folder_ / "ran";
    const std::string program = WriteScript(folder_ / "program", "id -u", report);
    environment_.Set("SUDO_UID", "65534");
    environment_.Set("PKEXEC_UID", "65534");

    EXPECT_TRUE(platform::RunProgram(program));
    ASSERT_TRUE(WaitForFile(report));
    EXPECT_TRUE(HasNoChildren());
    EXPECT_EQ(ReadFileText(report), std::to_string(geteuid()) + "\n");
}

TEST_F(LauncherTest, StartedProgramGetsNoDescriptorOfOurs) {
    // A descriptor without close-on-exec, such as a library might leave open.
    const int original = open("/dev/null", O_RDONLY | O_CLOEXEC);
    const int inherited = fcntl(original, F_DUPFD, 50);
    close(original);
    ASSERT_GE(inherited, 50);
    const std::string report = folder_ / "descriptors";
    const std::string program = WriteScript(
        folder_ / "program",
        "if [ -e /proc/$$/fd/" + std::to_string(inherited) + " ]; then echo leaked; else echo closed; fi", report);

    const bool started = platform::RunProgram(program);
    close(inherited);
    EXPECT_TRUE(started);
    ASSERT_TRUE(WaitForFile(report));
    EXPECT_EQ(ReadFileText(report), "closed\n");
}

TEST_F(LauncherTest, ProgramsThatCannotStartAreReported) {
    const std::string plain = folder_ / "plain";
    WriteFileText(plain, "#!/bin/sh\n");
    std::filesystem::permissions(plain, std::filesystem::perms::owner_read);
    for (const std::string& path : {folder_ / "missing", plain, folder_.path(), std::string()}) {
        EXPECT_FALSE(platform::RunProgram(path)) << path;
        EXPECT_FALSE(platform::RunAsInteractiveUser(path)) << path;
    }
    EXPECT_TRUE(HasNoChildren());
}

struct UserCase {
    const char* what;
    const char* pkexecUid;
    const char* sudoUid;
    const char* sudoGid;
    bool dropsToNobody;
};

class RunAsInteractiveUserTest : public LauncherTest, public testing::WithParamInterface<UserCase> {};

// The program reports who it runs as into a folder everyone may write to.
TEST_P(RunAsInteractiveUserTest, DropsToTheUserBehindRoot) {
    const UserCase& c = GetParam();
    const bool root = geteuid() == 0;
    if (c.dropsToNobody && !root) GTEST_SKIP() << "needs root";
    const passwd* nobody = getpwnam("nobody");
    ASSERT_NE(nobody, nullptr);
    ASSERT_EQ(nobody->pw_uid, 65534u);
    std::filesystem::permissions(folder_.path(), std::filesystem::perms::all);
    const std::pair<const char*, const char*> variables[] = {
        {"PKEXEC_UID", c.pkexecUid}, {"SUDO_UID", c.sudoUid}, {"SUDO_GID", c.sudoGid}};
    for (const auto& [name, value] : variables) {
        if (value) {
            environment_.Set(name, value);
        } else {
            environment_.Unset(name);
        }
    }
    environment_.Set("HOME", "/root");
    const std::string report = folder_ / "user";
    const std::string program = WriteScript(folder_ / "program", "id -u\nid -g\nid -G\necho \"$HOME\"", report);

    // An extra group of ours that a dropped program must not keep.
    std::vector<gid_t> groups(static_cast<std::size_t>(getgroups(0, nullptr)));
    ASSERT_EQ(getgroups(static_cast<int>(groups.size()), groups.data()), static_cast<int>(groups.size()));
    const gid_t extraGroup = 4242;
    if (root) {
        ASSERT_EQ(setgroups(1, &extraGroup), 0);
    }
    // The installer starts programs while other threads of it run; the child
    // must still be able to change its user then.
    std::promise<void> release;
    std::thread worker([done = release.get_future()] { done.wait(); });
    const bool started = platform::RunAsInteractiveUser(program);
    release.set_value();
    worker.join();
    if (root) {
        ASSERT_EQ(setgroups(groups.size(), groups.data()), 0);
    }

    EXPECT_TRUE(started);
    ASSERT_TRUE(WaitForFile(report));
    std::vector<std::string> lines;
    std::istringstream recorded(ReadFileText(report));
    for (std::string line; std::getline(recorded, line);) lines.push_back(line);
    const std::string gid = std::to_string(nobody->pw_gid);
    if (c.dropsToNobody) {
        EXPECT_EQ(lines, (std::vector<std::string>{"65534", gid, gid, nobody->pw_dir}));
    } else {
        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[0], std::to_string(geteuid()));
        EXPECT_EQ(lines[3], "/root");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RunAsInteractiveUserTest,
    testing::Values(UserCase{"sudo", nullptr, "65534", "65534", true},
                    UserCase{"sudo_without_gid", nullptr, "65534", nullptr, true},
                    UserCase{"sudo_with_root_group", nullptr, "65534", "0", true},
                    UserCase{"pkexec", "65534", nullptr, nullptr, true},
                    UserCase{"pkexec_before_sudo", "65534", "0", "0", true},
                    UserCase{"invalid_pkexec_then_sudo", "x", "65534", "65534", true},
                    UserCase{"no_variables", nullptr, nullptr, nullptr, false},
                    UserCase{"root_behind_root", "0", "0", "0", false},
                    UserCase{"not_a_number", nullptr, "65534x", "65534", false},
                    UserCase{"unknown_user", nullptr, "3999999", "3999999", false}),
    [](const testing::TestParamInfo<UserCase>& info) { return std::string(info.param.what); });

}  // namespace
