#include "download_engine/HttpDownload.h"

#include "DownloaderTestSupport.h"
#include "download_engine/resume_file.h"
#include "support/FaultServer.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using dltest::RandomContent;

struct Event {
    int event, value, elapsed;
};

void Record(int event, int value, int elapsed, void* owner) {
    static_cast<std::vector<Event>*>(owner)->push_back({event, value, elapsed});
}

class HttpDownloadTest : public testing::Test {
protected:
    int Download(const std::string& url, std::chrono::milliseconds stopAfter = std::chrono::milliseconds(-1)) {
        request_.url = dlengine::utf8_to_wide(url);
        request_.path = dlengine::utf8_to_wide(Target());
        request_.owner = &events_;
        CHttpDownload driver(&request_, &Record, nullptr);
        driver.SetTiming(std::chrono::milliseconds(300), std::chrono::milliseconds(300));
        std::thread stopper;
        if (stopAfter.count() >= 0) {
            stopper = std::thread([&] {
                std::this_thread::sleep_for(stopAfter);
                driver.Stop();
            });
        }
        const int result = driver.Download();
        if (stopper.joinable()) stopper.join();
        return result;
    }
    std::string Target() const { return out_ / "setup.exe"; }

    TempFolder out_;
    DownloadRequest request_;
    std::vector<Event> events_;
};

TEST_F(HttpDownloadTest, ResultCodesAndEvents) {
    const std::string content = RandomContent(3 << 20);
    FaultServer good(fault::ServeFile(content));
    EXPECT_EQ(Download(good.Url("/good.exe")), 0);
    EXPECT_TRUE(ReadFileText(Target()) == content);
    ASSERT_GE(events_.size(), 2u);
    EXPECT_EQ(events_.front().event, 0);
    EXPECT_EQ(events_.back().event, 4);
    EXPECT_EQ(events_.back().value, 0);
    for (std::size_t i = 1; i + 1 < events_.size(); ++i) {
        EXPECT_EQ(events_[i].event, 3);
        EXPECT_GE(events_[i].value, 0);
        EXPECT_LE(events_[i].value, 100);
    }

    FaultServer missing(fault::Always(fault::Response(404, "Not Found", {{"Content-Length", "0"}})));
    EXPECT_EQ(Download(missing.Url("/missing.exe")), -4);

    FaultServer rangesRefused([&](const FaultRequest& request, FaultConnection& connection) {
        std::int64_t first = 0, last = 0;
        if (request.Range(first, last) && last != -1) {
            connection.Send(fault::Response(403, "Forbidden", {{"Content-Length", "0"}}));
        } else {
            connection.Send(fault::RangeAnswer(content, request));
        }
    });
    events_.clear();
    EXPECT_EQ(Download(rangesRefused.Url("/refused.exe")), -2);
    EXPECT_EQ(events_.back().value, -2);
}

TEST_F(HttpDownloadTest, AStopDuringTheTransferGivesStoppedAndKeepsTheResumePair) {
    const std::string content = RandomContent(4 << 20);
    FaultServer stalling([&](const FaultRequest& request, FaultConnection& connection) {
        std::int64_t first = 0, last = 0;
        if (request.Range(first, last) && first > 0) {
            connection.Stall();
            return;
        }
        connection.Send(fault::RangeAnswer(content, request));
    });
    EXPECT_EQ(Download(stalling.Url("/stalled.exe"), std::chrono::milliseconds(1500)), -5);
    EXPECT_TRUE(fs::exists(Target() + ".tmp"));
    EXPECT_TRUE(fs::exists(Target() + ".cfg"));
    EXPECT_FALSE(fs::exists(Target()));
}

TEST_F(HttpDownloadTest, AStopThatComesTooLateStillReportsSuccess) {
    // A single-connection download of a small file ends within the first poll.
    FaultServer quick(fault::Always(fault::Ok("tiny installer")));
    EXPECT_EQ(Download(quick.Url("/quick.exe"), std::chrono::milliseconds(150)), 0);
    EXPECT_EQ(ReadFileText(Target()), "tiny installer");
}

TEST_F(HttpDownloadTest, TheSameUrlGetsItsTaskBack) {
    DownloadManager& manager = DownloadManager::Instance();
    const TaskHandle first = manager.AddTask("http://127.0.0.1:9/same.exe", L"/tmp/a", 16, 20);
    EXPECT_EQ(manager.AddTask("http://127.0.0.1:9/same.exe", L"/tmp/b", 4, 5), first);
    EXPECT_NE(manager.AddTask("http://127.0.0.1:9/other.exe", L"/tmp/a", 16, 20), first);
    EXPECT_EQ(TaskKeyOf("123456789"), "3421780262");  // the standard CRC-32 check value
    DownloadStatus untouched;
    untouched.state = 77;
    EXPECT_FALSE(manager.QueryTask(nullptr, &untouched));
    EXPECT_EQ(untouched.state, 77);
}

class HistoryFileTest : public testing::Test {
protected:
    void Leave(const std::string& url, std::int64_t size) {
        WriteFileText(path_ + ".tmp", "partial");
        dlengine::resume_file meta;
        meta.open(dlengine::utf8_to_wide(path_ + ".cfg"));
        meta.update(dlengine::make_resume_state(url, size, 16384, {}));
        meta.close();
    }
    bool Judge(const std::string& url, int size) {
        return JudgeDeleteHistoryFile(dlengine::utf8_to_wide(url), size, dlengine::utf8_to_wide(path_));
    }
    bool Kept() const { return fs::exists(path_ + ".tmp") && fs::exists(path_ + ".cfg"); }
    bool Gone() const { return !fs::exists(path_ + ".tmp") && !fs::exists(path_ + ".cfg"); }

    TempFolder folder_;
    std::string path_ = folder_ / "setup.exe";
};

TEST_F(HistoryFileTest, LeftoversOfTheSameDownloadAreKept) {
    Leave("https://download.zelmora.example/tarnel/setup.exe", 1000000);
    EXPECT_FALSE(Judge("https://download.zelmora.example/tarnel/setup.exe", 1000000));
    EXPECT_TRUE(Kept());
}

TEST_F(HistoryFileTest, LeftoversOfAnotherUrlOrSizeAreDeleted) {
    Leave("https://download.zelmora.example/tarnel/old.exe", 1000000);
    EXPECT_TRUE(Judge("https://download.zelmora.example/tarnel/setup.exe", 1000000));
    EXPECT_TRUE(Gone());
    Leave("https://download.zelmora.example/tarnel/setup.exe", 1000000);
    EXPECT_TRUE(Judge("https://download.zelmora.example/tarnel/setup.exe", 999999));
    EXPECT_TRUE(Gone());
}

TEST_F(HistoryFileTest, WithoutAReadableResumeFileNothingIsDeleted) {
    WriteFileText(path_ + ".tmp", "partial");
    EXPECT_FALSE(Judge("https://download.zelmora.example/a.exe", 5));
    WriteFileText(path_ + ".cfg", "not bencoded");
    EXPECT_FALSE(Judge("https://download.zelmora.example/a.exe", 5));
    EXPECT_TRUE(Kept());
    EXPECT_TRUE(RemoveTemporaryFileWrap(dlengine::utf8_to_wide(path_)));
    EXPECT_TRUE(Gone());
    EXPECT_TRUE(RemoveTemporaryFileWrap(dlengine::utf8_to_wide(path_)));
}

}  // namespace
