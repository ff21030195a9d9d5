#include "platform/Processes.h"

#include "RunAsNobody.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace {

std::optional<pid_t> FirstWithName(const std::vector<platform::ProcessEntry>& snapshot, const std::string& name) {
    for (const platform::ProcessEntry& entry : snapshot) {
        if (entry.imageName == name) return entry.pid;
    }
    return std::nullopt;
}

class ProcessesTest : public testing::Test {
protected:
    void TearDown() override {
        for (const pid_t pid : running_) {
            platform::KillProcess(pid);
            platform::WaitProcess(pid);
        }
    }

    // A copy of the child program under a name no other process has; mixed
    // case, so a comparison that ignores case would be noticed.
    std::string CopyOfChild() {
        static int copies = 0;
        const std::string name = "ZdChild-" + std::to_string(getpid()) + "-" + std::to_string(++copies);
        const std::string path = folder_ / name;
        std::filesystem::copy_file(ZD_TEST_CHILD_EXE, path);
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }

    pid_t StartSleeping(const std::string& path) {
        const std::optional<pid_t> pid = platform::SpawnProcess({path, "sleep"});
        EXPECT_TRUE(pid);
        if (!pid) return 0;
        running_.push_back(*pid);
        return *pid;
    }

    // Waits for a child this test started and no longer needs to clean up.
    std::optional<int> Reap(pid_t pid) {
        running_.erase(std::remove(running_.begin(), running_.end(), pid), running_.end());
        return platform::WaitProcess(pid);
    }

    static std::string BaseName(const std::string& path) { return std::filesystem::path(path).filename(); }

    TempFolder folder_;
    std::vector<pid_t> running_;
};

TEST_F(ProcessesTest, SnapshotListsEveryProcessInAscendingPidOrder) {
    const std::vector<platform::ProcessEntry> snapshot = platform::ProcessSnapshot();
    ASSERT_FALSE(snapshot.empty());
    EXPECT_TRUE(std::is_sorted(snapshot.begin(), snapshot.end(),
                               [](const auto& a, const auto& b) { return a.pid < b.pid; }));
    const auto self = std::find_if(snapshot.begin(), snapshot.end(),
                                   [](const auto& entry) { return entry.pid == getpid(); });
    ASSERT_NE(self, snapshot.end());
    EXPECT_EQ(self->imageName, std::filesystem::read_symlink("/proc/self/exe").filename());
}

TEST_F(ProcessesTest, SpawnedCopyIsFoundByItsExactNameOnly) {
    const std::string path = CopyOfChild();
    const std::string name = BaseName(path);
    const pid_t pid = StartSleeping(path);

    const std::vector<platform::ProcessEntry> snapshot = platform::ProcessSnapshot();
    EXPECT_EQ(FirstWithName(snapshot, name), pid);
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    EXPECT_FALSE(FirstWithName(snapshot, lower));
    EXPECT_FALSE(FirstWithName(snapshot, name.substr(0, name.size() - 1)));
    EXPECT_FALSE(FirstWithName(snapshot, path));
}

TEST_F(ProcessesTest, OfTwoProcessesWithOneNameTheLowerPidIsFoundAndKilled) {
    const std::string path = CopyOfChild();
    const pid_t first = StartSleeping(path);
    const pid_t second = StartSleeping(path);
    const pid_t lower = std::min(first, second);
    const pid_t higher = std::max(first, second);

    const std::optional<pid_t> found = FirstWithName(platform::ProcessSnapshot(), BaseName(path));
    ASSERT_EQ(found, lower);
    EXPECT_TRUE(platform::KillProcess(*found));
    EXPECT_EQ(Reap(lower), 128 + SIGKILL);
    EXPECT_EQ(FirstWithName(platform::ProcessSnapshot(), BaseName(path)), higher);
}

TEST_F(ProcessesTest, ProcessKeepsItsNameWhenItsFileIsRemoved) {
    const std::string path = CopyOfChild();
    const pid_t pid = StartSleeping(path);
    std::filesystem::remove(path);
    EXPECT_EQ(FirstWithName(platform::ProcessSnapshot(), BaseName(path)), pid);
}

// An unprivileged user cannot read the exe link of root's processes; the
// name then comes from the command line.
TEST_F(ProcessesTest, NameComesFromCommandLineWhenExeLinkIsClosed) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root";
    const std::string path = CopyOfChild();
    const pid_t pid = StartSleeping(path);
    const std::string seen = QueryAsNobody([pid] {
        char target[4096];
        if (readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), target, sizeof target) >= 0) {
            return std::string("<exe link readable>");
        }
        const std::vector<platform::ProcessEntry> snapshot = platform::ProcessSnapshot();
        for (const platform::ProcessEntry& entry : snapshot) {
            if (entry.pid == pid) return entry.imageName;
        }
        return std::string("<not listed>");
    });
    if (seen == "<exe link readable>") GTEST_SKIP() << "this system lets nobody read the exe link";
    EXPECT_EQ(seen, BaseName(path));
}

TEST_F(ProcessesTest, KillOfAReapedChildFails) {
    const std::optional<pid_t> pid = platform::SpawnProcess({CopyOfChild(), "exit", "0"});
    ASSERT_TRUE(pid);
    ASSERT_EQ(platform::WaitProcess(*pid), 0);
    EXPECT_FALSE(platform::KillProcess(*pid));
}

// Pid 0 would mean "my process group"; the child leads a group of its own,
// so a wrong kill ends only itself.
TEST(ProcessesDeathTest, KillOfPidZeroSignalsNothing) {
    EXPECT_EXIT(
        {
            setpgid(0, 0);
            std::exit(platform::KillProcess(0) ? 1 : 0);
        },
        testing::ExitedWithCode(0), "");
}

TEST_F(ProcessesTest, ArgumentsArePassedAsTheyAre) {
    const std::string report = folder_ / "arguments";
    const std::vector<std::string> arguments = {"", "two words", "\"quoted\"", "*", "$HOME", "back\\slash", "/path=x y"};
    std::vector<std::string> argv = {CopyOfChild(), "write-args", report};
    argv.insert(argv.end(), arguments.begin(), arguments.end());

    const std::optional<pid_t> pid = platform::SpawnProcess(argv);
    ASSERT_TRUE(pid);
    ASSERT_EQ(platform::WaitProcess(*pid), 0);
    std::string expected;
    for (const std::string& argument : arguments) expected += argument + '\0';
    EXPECT_EQ(ReadFileText(report), expected);
}

TEST_F(ProcessesTest, ProgramIsNotSearchedOnPath) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder_.path());
    const std::optional<pid_t> bareName = platform::SpawnProcess({"sh", "-c", "exit 0"});
    std::filesystem::current_path(previous);
    EXPECT_FALSE(bareName);
    EXPECT_FALSE(platform::SpawnProcess({folder_ / "missing", "exit", "0"}));
    EXPECT_FALSE(platform::SpawnProcess({}));
}

TEST_F(ProcessesTest, ChildStartsWithDefaultSignalHandling) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previousPipe {};
    sigaction(SIGPIPE, &ignore, &previousPipe);
    sigset_t usr1;
    sigset_t previousMask;
    sigemptyset(&usr1);
    sigaddset(&usr1, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &usr1, &previousMask);

    const std::string report = folder_ / "signals";
    const std::optional<pid_t> pid = platform::SpawnProcess({CopyOfChild(), "write-signals", report});
    pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    sigaction(SIGPIPE, &previousPipe, nullptr);
    ASSERT_TRUE(pid);
    ASSERT_EQ(platform::WaitProcess(*pid), 0);
    EXPECT_EQ(ReadFileText(report), "SIGPIPE default\nSIGUSR1 open\n");
}

struct ExitCase {
    const char* status;
    int expected;
};

class WaitProcessTest : public ProcessesTest, public testing::WithParamInterface<ExitCase> {};

TEST_P(WaitProcessTest, GivesTheExitStatus) {
    const std::optional<pid_t> pid = platform::SpawnProcess({CopyOfChild(), "exit", GetParam().status});
    ASSERT_TRUE(pid);
    EXPECT_EQ(platform::WaitProcess(*pid), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Statuses, WaitProcessTest,
                         testing::Values(ExitCase{"0", 0}, ExitCase{"7", 7}, ExitCase{"137", 137},
                                         ExitCase{"255", 255}));

TEST_F(ProcessesTest, WaitForAProcessThatIsNoChildFails) {
    EXPECT_FALSE(platform::WaitProcess(1));
    EXPECT_FALSE(platform::WaitProcess(getpid()));
}

// A handler installed without SA_RESTART makes waitpid fail with EINTR; the
// wait must go on until the child really ends.
TEST_F(ProcessesTest, WaitContinuesWhenASignalInterruptsIt) {
    struct sigaction interrupt {};
    interrupt.sa_handler = [](int) {};
    sigemptyset(&interrupt.sa_mask);
    struct sigaction previous {};
    sigaction(SIGUSR1, &interrupt, &previous);

    const pid_t pid = StartSleeping(CopyOfChild());
    const pthread_t waiter = pthread_self();
    std::thread interrupter([waiter, pid] {
        for (int i = 0; i < 5; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            pthread_kill(waiter, SIGUSR1);
        }
        platform::KillProcess(pid);
    });
    const std::optional<int> status = Reap(pid);
    interrupter.join();
    sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_EQ(status, 128 + SIGKILL);
}

}  // namespace
