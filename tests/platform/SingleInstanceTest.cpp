#include "platform/SingleInstance.h"

#include "ScopedEnvironment.h"
#include "platform/Processes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// A copy of the instance holder in another process, talked to through its
// standard input and output.
class Holder {
public:
    Holder(const std::string& name, const std::string& title) {
        int input[2];
        int output[2];
        if (pipe2(input, O_CLOEXEC) != 0 || pipe2(output, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], 0);
        posix_spawn_file_actions_adddup2(&actions, output[1], 1);
        std::string program = ZD_INSTANCE_HOLDER_EXE;
        char* argv[] = {program.data(), const_cast<char*>(name.c_str()), const_cast<char*>(title.c_str()), nullptr};
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
        close(input[0]);
        close(output[1]);
        input_ = input[1];
        output_ = output[0];
    }

    ~Holder() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        CloseInput();
        if (output_ >= 0) close(output_);
    }

    // The next line the holder printed; empty when it printed none within a
    // generous time or ended.
    std::string ReadLine() {
        std::string line;
        for (char c = 0; c != '\n';) {
            pollfd readable = {output_, POLLIN, 0};
            if (poll(&readable, 1, 20000) != 1 || read(output_, &c, 1) != 1) return "";
            if (c != '\n') line.push_back(c);
        }
        return line;
    }

    // Closing standard input asks the holder to end; gives its exit status.
    std::optional<int> Finish() {
        CloseInput();
        const std::optional<int> status = platform::WaitProcess(pid_);
        pid_ = 0;
        return status;
    }

    void Kill() {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = 0;
    }

private:
    void CloseInput() {
        if (input_ >= 0) close(input_);
        input_ = -1;
    }

    pid_t pid_ = 0;
    int input_ = -1;
    int output_ = -1;
};

class SingleInstanceTest : public testing::Test {
protected:
    // The runtime folder lies inside the test's own folder, so a file that
    // escaped it would still be found and removed.
    void SetUp() override {
        std::filesystem::create_directory(runtime_);
        environment_.Set("XDG_RUNTIME_DIR", runtime_);
    }

    static bool AnswersIn(const std::unique_ptr<platform::InstanceLock>& lock, const std::string& title,
                          std::atomic<int>& raised) {
        platform::InstanceLock::Answers answers;
        answers.title = [title] { return title; };
        answers.raise = [&raised] { ++raised; };
        return lock->StartAnswering(std::move(answers));
    }

    TempFolder folder_;
    const std::string runtime_ = folder_ / "run";
    ScopedEnvironment environment_;
    const std::string name_ = "zelmora-tarnel_setup-net_tw.exe";
    const std::string title_ = "Tarnel Setup";
};

TEST_F(SingleInstanceTest, SecondCopyCannotTakeTheLockWhileTheFirstHoldsIt) {
    Holder holder(name_, title_);
    ASSERT_EQ(holder.ReadLine(), "ready");
    EXPECT_FALSE(platform::InstanceLock::TryAcquire(name_));
    EXPECT_TRUE(std::filesystem::exists(runtime_ + "/" + name_ + ".lock"));
    EXPECT_TRUE(platform::InstanceLock::TryAcquire(name_ + "2"));

    Holder second(name_, title_);
    EXPECT_EQ(second.ReadLine(), "busy");
}

TEST_F(SingleInstanceTest, OnlyTheRightTitleRaisesTheHolder) {
    Holder holder(name_, title_);
    ASSERT_EQ(holder.ReadLine(), "ready");

    EXPECT_FALSE(platform::RaiseRunningInstance(name_, "Other Setup"));
    EXPECT_FALSE(platform::RaiseRunningInstance(name_, title_ + " "));
    EXPECT_FALSE(platform::RaiseRunningInstance(name_ + "2", title_));
    EXPECT_TRUE(platform::RaiseRunningInstance(name_, title_));
    // The holder answers only after its raise handler ran, so this line is
    // already written; the rest of its output must be empty.
    EXPECT_EQ(holder.ReadLine(), "raised");
    EXPECT_EQ(holder.Finish(), 0);
    EXPECT_EQ(holder.ReadLine(), "");
}

TEST_F(SingleInstanceTest, LockIsFreeOnceTheHolderEnds) {
    Holder holder(name_, title_);
    ASSERT_EQ(holder.ReadLine(), "ready");
    ASSERT_EQ(holder.Finish(), 0);

    EXPECT_FALSE(std::filesystem::exists(runtime_ + "/" + name_ + ".sock"));
    EXPECT_FALSE(platform::RaiseRunningInstance(name_, title_));
    EXPECT_TRUE(platform::InstanceLock::TryAcquire(name_));
}

// A holder that was killed leaves its socket behind; the next one replaces it.
TEST_F(SingleInstanceTest, NextHolderTakesOverAfterAHolderWasKilled) {
    Holder holder(name_, title_);
    ASSERT_EQ(holder.ReadLine(), "ready");
    holder.Kill();
    ASSERT_TRUE(std::filesystem::is_socket(runtime_ + "/" + name_ + ".sock"));
    EXPECT_FALSE(platform::RaiseRunningInstance(name_, title_));

    const auto lock = platform::InstanceLock::TryAcquire(name_);
    ASSERT_TRUE(lock);
    std::atomic<int> raised{0};
    ASSERT_TRUE(AnswersIn(lock, title_, raised));
    EXPECT_TRUE(platform::RaiseRunningInstance(name_, title_));
    EXPECT_EQ(raised, 1);
}

TEST_F(SingleInstanceTest, ReleasingTheLockRemovesTheSocketAndStopsAnswering) {
    std::atomic<int> raised{0};
    {
        const auto lock = platform::InstanceLock::TryAcquire(name_);
        ASSERT_TRUE(lock);
        ASSERT_TRUE(AnswersIn(lock, title_, raised));
        EXPECT_FALSE(AnswersIn(lock, title_, raised));
        EXPECT_FALSE(platform::InstanceLock::TryAcquire(name_));
    }
    EXPECT_FALSE(std::filesystem::exists(runtime_ + "/" + name_ + ".sock"));
    EXPECT_FALSE(platform::RaiseRunningInstance(name_, title_));
    EXPECT_TRUE(platform::InstanceLock::TryAcquire(name_));
    EXPECT_EQ(raised, 0);
}

TEST_F(SingleInstanceTest, ASilentPeerIsDroppedAndOthersAreStillServed) {
    const auto lock = platform::InstanceLock::TryAcquire(name_);
    ASSERT_TRUE(lock);
    std::atomic<int> raised{0};
    ASSERT_TRUE(AnswersIn(lock, title_, raised));

    const int silent = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = runtime_ + "/" + name_ + ".sock";
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(connect(silent, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);

    EXPECT_TRUE(platform::RaiseRunningInstance(name_, title_));
    EXPECT_EQ(raised, 1);
    // The listener has hung up on the silent peer by now.
    char byte = 0;
    EXPECT_EQ(recv(silent, &byte, 1, MSG_DONTWAIT), 0);
    close(silent);
}

TEST_F(SingleInstanceTest, TitleWithLineBreakStillMatches) {
    const auto lock = platform::InstanceLock::TryAcquire(name_);
    ASSERT_TRUE(lock);
    std::atomic<int> raised{0};
    ASSERT_TRUE(AnswersIn(lock, "Two\nLines", raised));
    EXPECT_TRUE(platform::RaiseRunningInstance(name_, "Two\nLines"));
    EXPECT_EQ(raised, 1);
}

// Names become file names inside the runtime folder, whatever they contain;
// names that differ keep different locks.
TEST_F(SingleInstanceTest, NamesStayInsideTheRuntimeFolder) {
    const std::vector<std::string> names = {"../escape", "a/b", "a%2Fb", "a_2Fb", "a_b", "..", "", "名前 with space",
                                            std::string(300, 'n'), std::string(300, 'n') + "2"};
    std::vector<std::unique_ptr<std::atomic<int>>> raised;
    std::vector<std::unique_ptr<platform::InstanceLock>> locks;
    for (const std::string& name : names) {
        locks.push_back(platform::InstanceLock::TryAcquire(name));
        ASSERT_TRUE(locks.back()) << name;
        raised.push_back(std::make_unique<std::atomic<int>>(0));
        ASSERT_TRUE(AnswersIn(locks.back(), "Title", *raised.back())) << name;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_TRUE(platform::RaiseRunningInstance(names[i], "Title")) << names[i];
        EXPECT_EQ(*raised[i], 1) << names[i];
    }
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(runtime_)) {
        EXPECT_TRUE(entry.is_regular_file() || entry.is_socket()) << entry.path();
        ++files;
    }
    EXPECT_EQ(files, 2 * names.size());
    EXPECT_FALSE(std::filesystem::exists(folder_ / "escape.lock"));
}

class RuntimeFolderFallbackTest : public testing::TestWithParam<const char*> {};

TEST_P(RuntimeFolderFallbackTest, LockGoesToTmpWithoutAUsableRuntimeFolder) {
    ScopedEnvironment environment;
    if (GetParam()) {
        environment.Set("XDG_RUNTIME_DIR", GetParam());
    } else {
        environment.Unset("XDG_RUNTIME_DIR");
    }
    const std::string name = "zd-platform-test-" + std::to_string(getpid());
    const std::string lockFile = "/tmp/" + name + ".lock";
    {
        const auto lock = platform::InstanceLock::TryAcquire(name);
        ASSERT_TRUE(lock);
        EXPECT_TRUE(std::filesystem::exists(lockFile));
        EXPECT_FALSE(platform::InstanceLock::TryAcquire(name));
    }
    std::filesystem::remove(lockFile);
}

INSTANTIATE_TEST_SUITE_P(Cases, RuntimeFolderFallbackTest,
                         testing::Values(nullptr, "", "relative/run", "/zd-no-such-folder/run"));

}  // namespace
