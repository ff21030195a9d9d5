#include "download_engine/DownloadManager.h"

#include "DownloaderTestSupport.h"
#include "support/FaultServer.h"
#include "support/NginxServer.h"
#include "support/TempFolder.h"
#include "support/TestCertificate.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <sys/mount.h>

namespace {

namespace fs = std::filesystem;
using dltest::RandomContent;
using dltest::RunTask;

class MultiDownloadTest : public testing::Test {
protected:
    std::string Target(const std::string& name = "setup.exe") const { return out_ / name; }
    TempFolder out_;
};

TEST_F(MultiDownloadTest, SixtyFourMebibytesOverSixteenConnectionsFromNginx) {
    TempFolder root;
    const std::string content = RandomContent(64u << 20);
    WriteFileText(root / "big.bin", content);
    TestCertificate certificate(root.path());
    NginxServer plain(root.path());
    NginxServer secure(root.path(), &certificate);
    DownloadManager::Instance().SetCaFile(certificate.caFile());

    for (const NginxServer* server : {&plain, &secure}) {
        const std::string target = Target(server == &plain ? "plain.bin" : "secure.bin");
        const DownloadStatus status = RunTask(server->Url("/big.bin"), target);
        EXPECT_EQ(status.state, kTask_Complete) << server->Url("/big.bin");
        EXPECT_EQ(status.total, static_cast<std::int64_t>(content.size()));
        EXPECT_TRUE(ReadFileText(target) == content) << target;
        EXPECT_FALSE(fs::exists(target + ".tmp"));
        EXPECT_FALSE(fs::exists(target + ".cfg"));
    }
    DownloadManager::Instance().SetCaFile("");
}

TEST_F(MultiDownloadTest, AnUntrustedCertificateFailsTheDownload) {
    TempFolder root;
    WriteFileText(root / "file.bin", RandomContent(1 << 16));
    TestCertificate selfSigned(root.path(), TestCertificate::Kind::kSelfSigned);
    NginxServer server(root.path(), &selfSigned);
    const DownloadStatus status = RunTask(server.Url("/file.bin"), Target());
    EXPECT_EQ(status.state, kTask_Error);
    EXPECT_FALSE(fs::exists(Target()));
}

// Answers from the fault server: what the probe sees decides the mode.
TEST_F(MultiDownloadTest, ServersWithoutUsableRangesGiveASingleConnectionDownload) {
    const std::string content = RandomContent(300000);
    struct Case {
        const char* name;
        FaultHandler handler;
    } cases[] = {
        {"200 without ranges", fault::Always(fault::Ok(content))},
        {"206 with an unknown total", fault::ServeFile(content, fault::RangeSize::kTotalUnknown)},
        {"206 without a length", fault::ServeFile(content, fault::RangeSize::kNoLength)},
    };
    for (Case& c : cases) {
        FaultServer server(c.handler);
        const std::string target = Target(std::string(c.name).substr(0, 3) + ".bin");
        const DownloadStatus status = RunTask(server.Url("/single.bin"), target);
        if (status.state == kTask_Complete) {
            EXPECT_TRUE(ReadFileText(target) == content) << c.name;
        } else {
            // Without a size the end of the connection cannot prove the file
            // complete: it must not be reported so.
            EXPECT_EQ(status.state, kTask_Incomplete) << c.name;
            EXPECT_FALSE(fs::exists(target)) << c.name;
        }
    }
}

TEST_F(MultiDownloadTest, ARangeResetMidwayIsFetchedAgainAfterTheTimeOut) {
    const std::string content = RandomContent(2 << 20);
    std::atomic<int> resets{0};
    FaultServer server([&](const FaultRequest& request, FaultConnection& connection) {
        std::int64_t first = 0, last = 0;
        if (request.Range(first, last) && first > 0 && resets.fetch_add(1) < 3) {
            const std::string answer = fault::RangeAnswer(content, request);
            connection.Send(answer.substr(0, answer.size() / 2));
            connection.Reset();
            return;
        }
        connection.Send(fault::RangeAnswer(content, request));
    });
    const DownloadStatus status = RunTask(server.Url("/reset.bin"), Target(), 4, 1);
    EXPECT_EQ(status.state, kTask_Complete);
    EXPECT_GE(resets.load(), 3);
    EXPECT_TRUE(ReadFileText(Target()) == content);
}

TEST_F(MultiDownloadTest, ServerErrorsOnSomeRangesAreRetried) {
    const std::string content = RandomContent(1 << 20);
    std::atomic<int> failures{0};
    FaultServer server([&](const FaultRequest& request, FaultConnection& connection) {
        std::int64_t first = 0, last = 0;
        if (request.Range(first, last) && first > 0 && failures.fetch_add(1) < 2) {
            connection.Send(fault::Response(500, "Internal Server Error", {{"Content-Length", "0"}}));
            return;
        }
        connection.Send(fault::RangeAnswer(content, request));
    });
    const DownloadStatus status = RunTask(server.Url("/500.bin"), Target(), 4, 1);
    EXPECT_EQ(status.state, kTask_Complete);
    EXPECT_TRUE(ReadFileText(Target()) == content);
}

TEST_F(MultiDownloadTest, NotFoundOnEveryRangeEndsIncompleteWithoutAFile) {
    const std::string content = RandomContent(1 << 20);
    FaultServer server([&](const FaultRequest& request, FaultConnection& connection) {
        std::int64_t first = 0, last = 0;
        if (request.Range(first, last) && last != -1) {
            connection.Send(fault::Response(404, "Not Found", {{"Content-Length", "0"}}));
            return;
        }
        connection.Send(fault::RangeAnswer(content, request));
    });
    const DownloadStatus status = RunTask(server.Url("/404.bin"), Target(), 4, 1);
    EXPECT_EQ(status.state, kTask_Incomplete);
    EXPECT_LT(status.downloaded, status.total);
    EXPECT_FALSE(fs::exists(Target()));
}

TEST_F(MultiDownloadTest, AServerThatIgnoresTheRangeNeverCompletesAWrongFile) {
    const std::string content = RandomContent(1 << 20);
    FaultServer server([&](const FaultRequest& request, FaultConnection& connection) {
        std::int64_t first = 0, last = 0;
        if (request.Range(first, last) && last != -1) {
            connection.Send(fault::Ok(content));  // the whole file, from byte 0
            return;
        }
        connection.Send(fault::RangeAnswer(content, request));
    });
    const DownloadStatus status = RunTask(server.Url("/ignored.bin"), Target(), 4, 1);
    EXPECT_NE(status.state, kTask_Complete);
    EXPECT_FALSE(fs::exists(Target()));
}

TEST_F(MultiDownloadTest, AProbeAnsweredWithAnErrorFailsTheStart) {
    FaultServer server(fault::Always(fault::Response(404, "Not Found", {{"Content-Length", "0"}})));
    EXPECT_EQ(RunTask(server.Url("/missing.bin"), Target()).state, kTask_Error);
}

TEST_F(MultiDownloadTest, AResumeFileWithEveryPieceCompletesWithoutATransfer) {
    const std::string content = RandomContent(1000000);
    std::atomic<int> rangeRequests{0};
    FaultServer server([&](const FaultRequest& request, FaultConnection& connection) {
        std::int64_t first = 0, last = 0;
        if (request.Range(first, last) && last != -1) ++rangeRequests;
        connection.Send(fault::RangeAnswer(content, request));
    });
    WriteFileText(Target() + ".tmp", content);
    const std::string url = server.Url("/full.bin");
    dlengine::resume_file meta;
    meta.open(dlengine::utf8_to_wide(Target() + ".cfg"));
    meta.update(dlengine::make_resume_state(url, 1000000, 16384, {{0, 1000000}}));
    meta.close();

    const DownloadStatus status = RunTask(url, Target());
    EXPECT_EQ(status.state, kTask_Complete);
    EXPECT_EQ(rangeRequests.load(), 0);
    EXPECT_TRUE(ReadFileText(Target()) == content);
}

TEST_F(MultiDownloadTest, AStaleLongerDataFileLeavesNoTrailingBytes) {
    const std::string content = RandomContent(200000);
    FaultServer server(fault::ServeFile(content));
    WriteFileText(Target() + ".tmp", std::string(500000, 'x'));
    const DownloadStatus status = RunTask(server.Url("/stale.bin"), Target());
    EXPECT_EQ(status.state, kTask_Complete);
    EXPECT_TRUE(ReadFileText(Target()) == content);
}

TEST_F(MultiDownloadTest, AnUndecodableResumeFileIsDiscardedAndTheDownloadStartsOver) {
    const std::string content = RandomContent(300000);
    FaultServer server(fault::ServeFile(content));
    WriteFileText(Target() + ".cfg", "d8:bitfield3:abc9:file_sizei-5ee garbage");
    const DownloadStatus status = RunTask(server.Url("/garbage-cfg.bin"), Target());
    EXPECT_EQ(status.state, kTask_Complete);
    EXPECT_TRUE(ReadFileText(Target()) == content);
}

TEST_F(MultiDownloadTest, AFullDiskFailsTheDownload) {
    TempFolder small;
    if (mount("tmpfs", small.path().c_str(), "tmpfs", 0, "size=1m") != 0) {
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    }
    const std::string content = RandomContent(4 << 20);
    FaultServer server(fault::ServeFile(content));
    const std::string target = small / "setup.exe";
    const DownloadStatus status = RunTask(server.Url("/full-disk.bin"), target, 4, 1);
    EXPECT_EQ(status.state, kTask_Error);
    EXPECT_FALSE(fs::exists(target));
    umount2(small.path().c_str(), MNT_DETACH);
}

}  // namespace
