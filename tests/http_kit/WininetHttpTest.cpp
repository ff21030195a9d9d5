#include "http_kit/WininetHttp.h"

#include "http_kit/HttpInterfaceError.h"
#include "http_kit/RecordingCallback.h"
#include "platform/TextConversion.h"
#include "support/FaultServer.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace {

constexpr std::size_t kMiB = 1024 * 1024;

class WininetHttpTest : public testing::Test {
protected:
    std::wstring Url(const std::string& path) const { return platform::ToWide(server_.Url(path)); }

    FaultServer server_{[](const FaultRequest& request, FaultConnection& connection) {
        const std::string& target = request.target;
        if (target == "/unannounced") {
            // The body ends with the connection.
            connection.Send(fault::Response(200, "OK", {{"Connection", "close"}}, std::string(100, 'u')));
        } else if (target == "/unannounced-9mib") {
            connection.Send(fault::Response(200, "OK", {{"Connection", "close"}}, std::string(9 * kMiB, 'n')));
        } else if (target == "/empty") {
            connection.Send(fault::Response(200, "OK", {{"Content-Length", "0"}}));
        } else if (target == "/twelve-mib") {
            connection.Send(fault::Response(200, "OK", {{"Content-Length", std::to_string(12 * kMiB)}}, "x"));
        } else if (target == "/cut") {
            connection.Send(fault::Response(200, "OK", {{"Content-Length", "9000"}}, std::string(3000, 'c')));
        } else {
            connection.Send(fault::Ok("file body"));
        }
        connection.Close();
    }};
    CWininetHttp client_;
    RecordingCallback callback_;
    TempFolder folder_;
};

TEST_F(WininetHttpTest, AnEmptyAddressIsRefusedWithoutTraffic) {
    EXPECT_EQ(client_.Request(L"", 0, nullptr, nullptr), "");
    EXPECT_EQ(client_.GetErrorCode(), kHttpError_EmptyRequestUrl);
    void* data = nullptr;
    std::size_t size = 0;
    EXPECT_FALSE(client_.DownloadToMem(L"", &data, &size));
    EXPECT_EQ(client_.GetErrorCode(), kHttpError_EmptyFileUrl);
    EXPECT_EQ(server_.ConnectionCount(), 0u);
}

TEST_F(WininetHttpTest, MissingFoldersOfTheTargetAreCreated) {
    const std::string target = folder_ / "a/b/c/file.txt";
    client_.SetDownloadCallback(&callback_, 3);
    ASSERT_TRUE(client_.DownloadFile(Url("/file").c_str(), platform::ToWide(target).c_str()));
    EXPECT_EQ(ReadFileText(target), "file body");
    ASSERT_EQ(callback_.Count(kHttpDownload_Complete), 1);
    EXPECT_EQ(callback_.reports.back().state, kHttpDownload_Complete);
    EXPECT_EQ(callback_.reports.back().downloaded, 9);
}

TEST_F(WininetHttpTest, AFileDownloadNeedsAContentLength) {
    client_.SetDownloadCallback(&callback_, 3);
    EXPECT_FALSE(client_.DownloadFile(Url("/unannounced").c_str(), platform::ToWide(folder_ / "f").c_str()));
    EXPECT_EQ(client_.GetErrorCode(), kHttpError_ContentLength);
    ASSERT_EQ(callback_.reports.size(), 1u);
    EXPECT_EQ(callback_.reports[0].state, kHttpDownload_Failure);
    EXPECT_EQ(callback_.reports[0].total, 0);
}

TEST_F(WininetHttpTest, ZeroAnnouncedBytesGiveAnEmptyFileAndACompletion) {
    client_.SetDownloadCallback(&callback_, 3);
    ASSERT_TRUE(client_.DownloadFile(Url("/empty").c_str(), platform::ToWide(folder_ / "empty").c_str()));
    EXPECT_TRUE(std::filesystem::exists(folder_ / "empty"));
    EXPECT_EQ(std::filesystem::file_size(folder_ / "empty"), 0u);
    ASSERT_EQ(callback_.reports.size(), 1u);
    EXPECT_EQ(callback_.reports[0].state, kHttpDownload_Complete);
}

TEST_F(WininetHttpTest, AShortBodyFailsTheFileDownload) {
    client_.SetDownloadCallback(&callback_, 3);
    EXPECT_FALSE(client_.DownloadFile(Url("/cut").c_str(), platform::ToWide(folder_ / "cut").c_str()));
    EXPECT_EQ(client_.GetErrorCode(), kHttpError_Read);
    EXPECT_EQ(callback_.reports.back().state, kHttpDownload_Failure);
}

TEST_F(WininetHttpTest, MemoryDownloadsWithAndWithoutLength) {
    struct Case {
        std::string path;
        bool ok;
        int error;
        std::size_t size;
    };
    const Case cases[] = {
        {"/unannounced", true, 0, 100},
        {"/twelve-mib", false, kHttpError_MemoryLength, 0},
        // More than a memory download may hold is an error, not its first 8 MiB.
        {"/unannounced-9mib", false, kHttpError_MemoryLength, 0},
        {"/cut", false, kHttpError_Read, 0},
    };
    for (const Case& c : cases) {
        CWininetHttp client;
        void* data = nullptr;
        std::size_t size = 0;
        EXPECT_EQ(client.DownloadToMem(Url(c.path).c_str(), &data, &size), c.ok) << c.path;
        EXPECT_EQ(client.GetErrorCode(), c.error) << c.path;
        EXPECT_EQ(size, c.size) << c.path;
        std::free(data);
    }
}

TEST_F(WininetHttpTest, ATextRequestCutShortIsAnError) {
    EXPECT_EQ(client_.Request(server_.Url("/cut").c_str(), 0, nullptr, nullptr), "");
    EXPECT_EQ(client_.GetErrorCode(), kHttpError_Read);
    EXPECT_EQ(client_.Request(server_.Url("/file").c_str(), 1, "body", "X-Extra: 1"), "file body");
    EXPECT_EQ(client_.GetStatusCode(), 200);
}

}  // namespace
