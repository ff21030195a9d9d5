// zdl run for real: interrupted with Ctrl-C or killed outright, then run
// again to resume from the .cfg/.tmp pair.
#include "download_engine/resume_file.h"

#include "DownloaderTestSupport.h"
#include "platform/Processes.h"
#include "support/FaultServer.h"
#include "support/NginxServer.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <memory>
#include <mutex>

namespace {

namespace fs = std::filesystem;
using dltest::RandomContent;

constexpr std::size_t kSize = 16u << 20;

class ZdlTest : public testing::Test {
protected:
    void SetUp() override {
        content_ = RandomContent(kSize, 11);
        WriteFileText(root_ / "big.bin", content_);
        nginx_ = std::make_unique<NginxServer>(root_.path());
    }

    pid_t Start(const std::string& url, const std::vector<std::string>& extra = {}) {
        std::vector<std::string> argv = {ZD_ZDL_EXE, "-x", "16", "-o", Target()};
        argv.insert(argv.end(), extra.begin(), extra.end());
        argv.push_back(url);
        const auto pid = platform::SpawnProcess(argv);
        EXPECT_TRUE(pid);
        return pid.value_or(-1);
    }
    int Run(const std::string& url) { return platform::WaitProcess(Start(url)).value_or(-1); }

    // Bytes the resume file records as written.
    std::int64_t Recorded() const {
        const auto loaded = dlengine::decode_resume_state(ReadFileText(Target() + ".cfg"));
        if (loaded.outcome != dlengine::resume_outcome::loaded) return 0;
        std::int64_t bytes = 0;
        for (const auto& [first, last] : dlengine::bitfield_to_ranges(loaded.state.bitfield, loaded.state.file_size,
                                                                      loaded.state.piece_size)) {
            bytes += last - first;
        }
        return bytes;
    }
    // Starts a slowed download and interrupts it with `signal` once about a
    // quarter of the file is recorded.
    int Interrupt(int signal) {
        const pid_t pid = Start(nginx_->Url("/big.bin"), {"--limit-rate", "4000000"});
        for (int i = 0; i < 200 && Recorded() < static_cast<std::int64_t>(kSize / 4); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        kill(pid, signal);
        return platform::WaitProcess(pid).value_or(-1);
    }
    std::string Target() const { return out_ / "big.bin"; }

    TempFolder root_;
    TempFolder out_;
    std::string content_;
    std::unique_ptr<NginxServer> nginx_;
};

TEST_F(ZdlTest, CtrlCStopsCleanlyAndTheNextRunResumes) {
    EXPECT_EQ(Interrupt(SIGINT), 5);
    EXPECT_TRUE(fs::exists(Target() + ".tmp"));
    EXPECT_GT(Recorded(), 0);
    EXPECT_EQ(Run(nginx_->Url("/big.bin")), 0);
    EXPECT_TRUE(ReadFileText(Target()) == content_);
    EXPECT_FALSE(fs::exists(Target() + ".cfg"));
}

TEST_F(ZdlTest, AKilledRunResumesFromAnotherServerFetchingOnlyWhatWasMissing) {
    EXPECT_EQ(Interrupt(SIGKILL), 128 + SIGKILL);
    const std::int64_t recorded = Recorded();
    ASSERT_GT(recorded, 0);
    nginx_.reset();

    // The restarted server is our own, so it can count the bytes asked for.
    std::mutex lock;
    std::int64_t requested = 0;
    FaultServer restarted([&](const FaultRequest& request, FaultConnection& connection) {
        std::int64_t first = 0, last = 0;
        if (request.Range(first, last) && last >= first) {
            std::lock_guard<std::mutex> guard(lock);
            requested += last - first + 1;
        }
        connection.Send(fault::RangeAnswer(content_, request));
    });
    EXPECT_EQ(Run(restarted.Url("/big.bin")), 0);
    EXPECT_TRUE(ReadFileText(Target()) == content_);
    EXPECT_LE(requested, static_cast<std::int64_t>(kSize) - recorded);
    std::cout << "resumed: " << recorded << " of " << kSize << " bytes kept, " << requested
              << " bytes fetched again\n";
}

}  // namespace
