#include "http_kit/WinHttp.h"

#include "http_kit/FixedPortRelay.h"
#include "support/FaultServer.h"
#include "support/TempFolder.h"
#include "support/TestCertificate.h"

#include <gtest/gtest.h>

namespace {

TEST(WinHttpSecureTest, APostToPort443GoesOverTlsIgnoringAnUntrustedCertificate) {
    FaultServer server{fault::Always(fault::Ok("accepted"))};
    TempFolder folder;
    const TestCertificate selfSigned(folder.path(), TestCertificate::Kind::kSelfSigned);
    FixedPortRelay tls(443, server.port(), &selfSigned);

    CWinHttp client;
    client.AddHeader("X-Client", "analytics");
    EXPECT_EQ(client.Request(L"https://127.0.0.1/collect?v=2", 1, "{\"a\":1}", L"Content-Type: application/json"),
              "accepted");
    EXPECT_EQ(client.GetStatusCode(), 200);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0],
              "POST /collect?v=2 HTTP/1.1\r\n"
              "Host: 127.0.0.1\r\n"
              "Accept: */*\r\n"
              "Accept-Language: zh-CN,zh;q=0.9\r\n"
              "Connection: Keep-Alive\r\n"
              "User-Agent: Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
              "Chrome/80.0.4044.92 Safari/537.36\r\n"
              "X-Client: analytics\r\n"
              "Content-Type: application/json\r\n"
              "Content-Length: 7\r\n"
              "\r\n"
              "{\"a\":1}");

    // A secure request does not make the next plain one on the object secure.
    EXPECT_EQ(client.Request(server.Url("/plain").c_str(), 0, nullptr, nullptr), "accepted");
    EXPECT_EQ(server.Requests().size(), 2u);
}

}  // namespace
