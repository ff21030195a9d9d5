#include "http_kit/HttpSocket.h"

#include "http_kit/HttpInterfaceError.h"
#include "http_kit/RecordingCallback.h"
#include "platform/TextConversion.h"
#include "support/FaultServer.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

// Long enough that each part reaches the client in a receive of its own.
constexpr auto kBetweenBlocks = std::chrono::milliseconds(100);

std::string TenThousandBytes() {
    std::string bytes(10000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
    return bytes;
}

void Answer(const FaultRequest& request, FaultConnection& connection) {
    const std::string& target = request.target;
    if (target == "/moved") {
        connection.Send(fault::Response(302, "Found", {{"Location", "/file"}, {"Content-Length", "6"}}, "moved!"));
    } else if (target == "/injecting") {
        connection.Send("HTTP/1.1 302 Found\r\nLocation: /file\nX-Injected: 1\r\nContent-Length: 0\r\n\r\n");
    } else if (target == "/loop") {
        connection.Send(fault::Redirect(302, "/loop"));
    } else if (target == "/file") {
        connection.Send(fault::Ok("the file"));
    } else if (target == "/zero") {
        connection.Send(fault::Response(200, "OK", {{"Content-Length", "0"}}));
    } else if (target == "/blocks") {
        const std::string body = TenThousandBytes();
        connection.Send(fault::Response(200, "OK", {{"Content-Length", "10000"}}, body.substr(0, 3000)));
        std::this_thread::sleep_for(kBetweenBlocks);
        connection.Send(body.substr(3000, 3500));
        std::this_thread::sleep_for(kBetweenBlocks);
        connection.Send(body.substr(6500));
    } else if (target == "/split-head") {
        connection.SendSplit(fault::Ok("after a split head"), 20);
    } else if (target == "/until-close") {
        connection.Send(fault::Response(200, "OK", {{"Connection", "close"}}, "body without length"));
        return connection.Close();
    } else if (target == "/chunked") {
        connection.Send(fault::Response(200, "OK", {{"Transfer-Encoding", "chunked"}}, fault::Chunked({"ab", "cd"})));
    } else if (target == "/bad") {
        connection.Send(fault::Response(400, "Bad Request", {{"Content-Length", "3"}}, "bad"));
    } else if (target == "/silent") {
        return connection.Stall();
    } else {
        connection.Send(fault::Response(404, "Not Found", {{"Content-Length", "0"}}));
    }
}

class HttpSocketTest : public testing::Test {
protected:
    std::wstring Url(const std::string& path) const { return platform::ToWide(server_.Url(path)); }
    std::wstring File() const { return platform::ToWide(folder_ / "download.bin"); }
    bool FileLeft() const { return std::filesystem::exists(folder_ / "download.bin"); }

    // Keeps connections open, as a keep-alive server does.
    FaultServer server_{Answer};
    CHttpSocket client_;
    RecordingCallback callback_;
    TempFolder folder_;
};

TEST_F(HttpSocketTest, AnHttpsAddressIsRefusedAtOnce) {
    void* data = nullptr;
    std::size_t size = 0;
    EXPECT_FALSE(client_.DownloadToMem(L"https://127.0.0.1/file", &data, &size));
    EXPECT_FALSE(client_.DownloadFile(L"https://127.0.0.1/file", File().c_str()));
    EXPECT_EQ(client_.GetErrorCode(), 0);
    EXPECT_FALSE(FileLeft());
}

TEST_F(HttpSocketTest, ARedirectToAPathIsAskedOnTheSameConnection) {
    void* data = nullptr;
    std::size_t size = 0;
    ASSERT_TRUE(client_.DownloadToMem(Url("/moved").c_str(), &data, &size));
    EXPECT_EQ(std::string(static_cast<char*>(data), size), "the file");
    std::free(data);
    EXPECT_EQ(server_.ConnectionCount(), 1u);
    ASSERT_EQ(server_.Requests().size(), 2u);
    EXPECT_EQ(server_.Requests()[1].rfind("GET /file HTTP/1.1\r\n", 0), 0u);
    EXPECT_EQ(client_.GetIpAddr(), L"127.0.0.1");

    ASSERT_TRUE(client_.DownloadFile(Url("/moved").c_str(), File().c_str()));
    EXPECT_EQ(ReadFileText(folder_ / "download.bin"), "the file");
}

TEST_F(HttpSocketTest, ARedirectToAnotherServerOpensANewConnectionNamingThatServer) {
    FaultServer other{Answer};
    const std::string elsewhere = "http://localhost:" + std::to_string(other.port()) + "/file";
    FaultServer first{fault::Always(fault::Redirect(302, elsewhere))};
    ASSERT_TRUE(client_.DownloadFile(platform::ToWide(first.Url("/start")).c_str(), File().c_str()));
    EXPECT_EQ(ReadFileText(folder_ / "download.bin"), "the file");
    EXPECT_EQ(first.ConnectionCount(), 1u);
    EXPECT_EQ(other.ConnectionCount(), 1u);
    ASSERT_EQ(other.Requests().size(), 1u);
    EXPECT_NE(other.Requests()[0].find("\r\nHost: localhost\r\n"), std::string::npos);
}

TEST_F(HttpSocketTest, RedirectsEndAtTheBound) {
    EXPECT_FALSE(client_.DownloadFile(Url("/loop").c_str(), File().c_str()));
    EXPECT_EQ(client_.GetErrorCode(), kHttpError_Read);
    EXPECT_EQ(server_.Requests().size(), static_cast<std::size_t>(CHttpSocket::kMaxRedirects + 1));
    EXPECT_FALSE(FileLeft());
}

TEST_F(HttpSocketTest, ALocationWithALineBreakIsNotSent) {
    EXPECT_FALSE(client_.DownloadFile(Url("/injecting").c_str(), File().c_str()));
    EXPECT_EQ(client_.GetErrorCode(), kHttpError_Send);
    EXPECT_EQ(server_.Requests().size(), 1u);
}

TEST_F(HttpSocketTest, MemoryDownloadsNeedALengthUpTo8MiB) {
    void* data = &client_;
    std::size_t size = 5;
    EXPECT_FALSE(client_.DownloadToMem(Url("/zero").c_str(), &data, &size));
    EXPECT_EQ(client_.GetErrorCode(), kHttpError_MemoryLength);
    EXPECT_EQ(data, nullptr);
    EXPECT_EQ(size, 0u);
}

TEST_F(HttpSocketTest, ABodyInThreeBlocksIsReportedAfterEachAndCompletedOnce) {
    client_.SetDownloadCallback(&callback_, 9);
    ASSERT_TRUE(client_.DownloadFile(Url("/blocks").c_str(), File().c_str()));
    EXPECT_EQ(ReadFileText(folder_ / "download.bin"), TenThousandBytes());
    ASSERT_EQ(callback_.reports.size(), 4u);
    const double expected[] = {3000, 6500, 10000};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(callback_.reports[i].state, kHttpDownload_Progress);
        EXPECT_EQ(callback_.reports[i].downloaded, expected[i]);
        EXPECT_EQ(callback_.reports[i].total, 10000);
    }
    EXPECT_EQ(callback_.reports[3].state, kHttpDownload_Complete);
    EXPECT_EQ(callback_.reports[3].userValue, 9);
}

TEST_F(HttpSocketTest, AStopRequestFailsWithError11AndLeavesNoFile) {
    callback_.stop = true;
    client_.SetDownloadCallback(&callback_, 9);
    EXPECT_FALSE(client_.DownloadFile(Url("/blocks").c_str(), File().c_str()));
    EXPECT_EQ(client_.GetErrorCode(), kHttpError_Stopped);
    EXPECT_FALSE(FileLeft());
    ASSERT_EQ(callback_.reports.size(), 1u);
    EXPECT_EQ(callback_.reports[0].state, kHttpDownload_Failure);
}

TEST_F(HttpSocketTest, ASilentServerFailsWithError10AfterTheReceiveTimeout) {
    CHttpSocket client(300);
    EXPECT_FALSE(client.DownloadFile(Url("/silent").c_str(), File().c_str()));
    EXPECT_EQ(client.GetErrorCode(), kHttpError_Socket);
    EXPECT_FALSE(FileLeft());
}

TEST_F(HttpSocketTest, FileBodiesAreFramedByTheAnswer) {
    struct Case {
        std::string path;
        bool ok;
        std::string content;
        int error;
    };
    const Case cases[] = {
        {"/split-head", true, "after a split head", 0},
        {"/until-close", true, "body without length", 0},
        {"/chunked", false, "", kHttpError_Read},
        {"/bad", false, "", kHttpError_NotFound},
    };
    for (const Case& c : cases) {
        CHttpSocket client;
        EXPECT_EQ(client.DownloadFile(Url(c.path).c_str(), File().c_str()), c.ok) << c.path;
        EXPECT_EQ(client.GetErrorCode(), c.error) << c.path;
        EXPECT_EQ(FileLeft(), c.ok) << c.path;
        EXPECT_EQ(c.ok ? ReadFileText(folder_ / "download.bin") : "", c.content) << c.path;
    }
}

}  // namespace
