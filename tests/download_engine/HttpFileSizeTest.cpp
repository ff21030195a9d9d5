#include "download_engine/HttpDownload.h"

#include "http_kit/FixedPortRelay.h"
#include "support/FaultServer.h"
#include "support/NginxServer.h"
#include "support/TempFolder.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

TEST(HttpFileSizeTest, TheServersStatedSizeWhateverTheScheme) {
    TempFolder root;
    WriteFileText(root / "setup.exe", std::string(123457, 's'));
    NginxServer nginx(root.path());
    FixedPortRelay port80{80, nginx.port()};
    EXPECT_EQ(GetHttpFileSize(L"https://127.0.0.1/setup.exe"), 123457);
    EXPECT_EQ(GetHttpFileSize(L"http://127.0.0.1/setup.exe"), 123457);
}

TEST(HttpFileSizeTest, ZeroForEveryFailure) {
    FaultServer server{[](const FaultRequest& request, FaultConnection& connection) {
        std::vector<std::pair<std::string, std::string>> headers{{"Connection", "close"}};
        // Past the signed 32-bit result: it would reach the caller negative.
        if (request.target == "/huge") headers.emplace_back("Content-Length", "3000000000");
        connection.Send(fault::Response(200, "OK", headers));
        connection.Close();
    }};
    EXPECT_EQ(GetHttpFileSize(L"http://127.0.0.1/unstated"), 0);  // nobody on 443 or 80 yet
    FixedPortRelay port80{80, server.port()};
    EXPECT_EQ(GetHttpFileSize(L"http://127.0.0.1/unstated"), 0);
    EXPECT_EQ(GetHttpFileSize(L"http://127.0.0.1/huge"), 0);
    EXPECT_EQ(GetHttpFileSize(L"http://127.0.0.1"), 0);
    EXPECT_EQ(server.Requests().size(), 2u);
}

}  // namespace
