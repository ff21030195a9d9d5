#include "http_kit/WinHttp.h"

#include "http_kit/HttpInterfaceError.h"
#include "http_kit/RecordingCallback.h"
#include "platform/ScopedEnvironment.h"
#include "platform/TextConversion.h"
#include "support/FaultServer.h"
#include "support/NginxServer.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"
#include "support/TinyproxyServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

constexpr long long kNineMiB = 9LL * 1024 * 1024;

class WinHttpTest : public testing::Test {
protected:
    std::wstring Url(const std::string& path) const { return platform::ToWide(server_.Url(path)); }

    FaultServer server_{[](const FaultRequest& request, FaultConnection& connection) {
        const std::string& target = request.target;
        if (target == "/missing") {
            connection.Send(fault::Response(404, "Not Found", {{"Content-Length", "7"}}, "nothing"));
        } else if (target == "/broken") {
            connection.Send(fault::Response(500, "Internal Server Error", {{"Content-Length", "10"}}, "error page"));
        } else if (target == "/nine-mib") {
            connection.Send(fault::Response(200, "OK", {{"Content-Length", std::to_string(kNineMiB)}}, "start"));
        } else if (target == "/longer") {
            connection.Send(fault::Response(200, "OK", {{"Content-Length", "5"}}, "12345EXCESS"));
        } else if (target == "/silent") {
            return connection.Stall();
        } else if (target == "/interrupted") {
            connection.Send(fault::Response(200, "OK", {{"Content-Length", "100000"}}, std::string(60000, 'i')));
            // Time for the client to write part of the file before the reset.
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            return connection.Reset();
        } else {
            connection.Send(fault::Ok("hello"));
        }
        connection.Close();
    }};
    CWinHttp client_;
};

TEST_F(WinHttpTest, NotFoundGivesEmptyTextStatusAndError5) {
    EXPECT_EQ(client_.Request(Url("/missing").c_str(), 0, nullptr, nullptr), "");
    EXPECT_EQ(client_.GetStatusCode(), 404);
    EXPECT_EQ(client_.GetErrorCode(), kHttpError_NotFound);
}

TEST_F(WinHttpTest, AServerErrorStillGivesItsPage) {
    EXPECT_EQ(client_.Request(server_.Url("/broken").c_str(), 0, nullptr, nullptr), "error page");
    EXPECT_EQ(client_.GetStatusCode(), 500);
    EXPECT_EQ(client_.GetErrorCode(), 0);
}

TEST_F(WinHttpTest, UnreachableServersGiveEmptyTextWithConnectOrResponseError) {
    for (const wchar_t* url : {L"http://host.invalid/x", L"http://127.0.0.1:1/x"}) {
        CWinHttp client;
        EXPECT_EQ(client.Request(url, 0, nullptr, static_cast<const wchar_t*>(nullptr)), "");
        EXPECT_TRUE(client.GetErrorCode() == kHttpError_Connect || client.GetErrorCode() == kHttpError_Open)
            << client.GetErrorCode();
        EXPECT_EQ(client.GetStatusCode(), 0);
    }
}

TEST_F(WinHttpTest, TheReceiveTimeOutEndsAWaitForASilentServer) {
    client_.SetTimeOut(2000, 2000, 300);
    EXPECT_EQ(client_.Request(Url("/silent").c_str(), 0, nullptr, nullptr), "");
    EXPECT_EQ(client_.GetErrorCode(), kHttpError_Open);
}

TEST_F(WinHttpTest, MemoryDownloadsRefuseMoreThan8MiBAndNeverTakeMoreThanAnnounced) {
    void* data = &client_;
    std::size_t size = 3;
    EXPECT_FALSE(client_.DownloadToMem(Url("/nine-mib").c_str(), &data, &size));
    EXPECT_EQ(client_.GetErrorCode(), kHttpError_MemoryLength);
    EXPECT_EQ(data, &client_);
    EXPECT_EQ(size, 3u);

    ASSERT_TRUE(client_.DownloadToMem(Url("/longer").c_str(), &data, &size));
    EXPECT_EQ(std::string(static_cast<char*>(data), size), "12345");
    std::free(data);
}

TEST_F(WinHttpTest, AnInterruptedDownloadLeavesNoFile) {
    TempFolder folder;
    RecordingCallback callback;
    client_.SetDownloadCallback(&callback, 7);
    EXPECT_FALSE(client_.DownloadFile(Url("/interrupted").c_str(), platform::ToWide(folder / "f.bin").c_str()));
    EXPECT_FALSE(std::filesystem::exists(folder / "f.bin"));
    EXPECT_EQ(callback.Count(kHttpDownload_Progress), static_cast<int>(callback.reports.size()));
}

TEST_F(WinHttpTest, ADownloadReportsProgressOnlyAndKeepsTheFile) {
    TempFolder root;
    WriteFileText(root / "file.bin", std::string(20000, 'f'));
    NginxServer nginx(root.path());
    RecordingCallback callback;
    client_.SetDownloadCallback(&callback, 1);
    ASSERT_TRUE(client_.DownloadFile(platform::ToWide(nginx.Url("/file.bin")).c_str(),
                                     platform::ToWide(root / "copy.bin").c_str()));
    EXPECT_EQ(ReadFileText(root / "copy.bin"), std::string(20000, 'f'));
    ASSERT_FALSE(callback.reports.empty());
    EXPECT_EQ(callback.Count(kHttpDownload_Progress), static_cast<int>(callback.reports.size()));
    EXPECT_EQ(callback.reports.back().downloaded, 20000);
    EXPECT_EQ(callback.reports.back().total, 20000);
}

TEST(WinHttpProxyTest, RequestsGoThroughTheProxyTheEnvironmentNames) {
    TempFolder root;
    WriteFileText(root / "api.json", "{}");
    NginxServer nginx(root.path());
    TinyproxyServer proxy;
    ScopedEnvironment environment;
    environment.Set("http_proxy", "http://127.0.0.1:" + std::to_string(proxy.port()));
    environment.Unset("no_proxy");
    environment.Unset("NO_PROXY");
    CWinHttp client;
    EXPECT_EQ(client.Request(nginx.Url("/api.json").c_str(), 0, nullptr, nullptr), "{}");
    EXPECT_NE(proxy.Log().find("api.json"), std::string::npos);
}

}  // namespace
