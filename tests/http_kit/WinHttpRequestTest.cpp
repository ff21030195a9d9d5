#include "http_kit/WinHttpRequest.h"

#include "http_kit/FixedPortRelay.h"
#include "http_kit/LogCapture.h"
#include "platform/HttpSession.h"
#include "platform/TextConversion.h"
#include "support/FaultServer.h"
#include "support/NginxServer.h"
#include "support/TempFolder.h"
#include "support/TestCertificate.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

namespace {

std::string Pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + i % 26);
    return bytes;
}

// Plain nginx behind both 443 and 80: the TLS attempt meets a server that
// does not speak TLS.
class WinHttpRequestTest : public testing::Test {
protected:
    WinHttpRequestTest() {
        WriteFileText(root_ / "5000.txt", Pattern(5000));
        WriteFileText(root_ / "10000.bin", Pattern(10000));
    }

    TempFolder root_;
    NginxServer nginx_{root_.path()};
    FixedPortRelay port443_{443, nginx_.port()};
    FixedPortRelay port80_{80, nginx_.port()};
};

TEST_F(WinHttpRequestTest, WithoutTlsOn443TheSecondAttemptOn80Succeeds) {
    LogCapture log;
    CWinHttpRequest request;
    ASSERT_TRUE(request.OpenHttpUrl(L"https://127.0.0.1/5000.txt"));
    const std::string written = log.Written();
    EXPECT_TRUE(written.find("[CWinHttpRequest::SendRequest]call WinHttpSendRequest fail") != std::string::npos ||
                written.find("[CWinHttpRequest::SendRequest]call WinHttpReceiveResponse fail") != std::string::npos)
        << written;
    EXPECT_EQ(request.ReadAll(), Pattern(5000));
}

TEST_F(WinHttpRequestTest, SaveToFileWritesTheWholeBody) {
    CWinHttpRequest request;
    ASSERT_TRUE(request.OpenHttpUrl(L"http://127.0.0.1/10000.bin"));
    ASSERT_TRUE(request.SaveToFile(platform::ToWide(root_ / "saved.bin")));
    EXPECT_EQ(ReadFileText(root_ / "saved.bin"), Pattern(10000));
}

TEST_F(WinHttpRequestTest, AnHttpErrorIsAnAnswerLikeAnyOther) {
    CWinHttpRequest request;
    ASSERT_TRUE(request.OpenHttpUrl(L"http://127.0.0.1/absent.txt"));
    EXPECT_NE(request.ReadAll().find("404"), std::string::npos);
}

TEST(WinHttpRequestRoutingTest, AnAddressWithoutAPathIsNotRequested) {
    FaultServer server{fault::Always(fault::Ok("x"))};
    FixedPortRelay port80{80, server.port()};
    CWinHttpRequest request;
    EXPECT_FALSE(request.OpenHttpUrl(L"http://127.0.0.1"));
    EXPECT_FALSE(request.OpenHttpUrl(L"https://127.0.0.1?x=1"));
    EXPECT_EQ(server.ConnectionCount(), 0u);
    EXPECT_EQ(request.GetName(), std::string("WinHttp"));
}

TEST(WinHttpRequestRoutingTest, AHeadWithoutContentLengthHasNoSize) {
    FaultServer server{fault::Always(fault::Response(200, "OK", {{"Connection", "close"}}))};
    FixedPortRelay port80{80, server.port()};
    LogCapture log;
    CWinHttpRequest request;
    request.SetVerb(L"HEAD");
    ASSERT_TRUE(request.OpenHttpUrl(L"http://127.0.0.1/size"));
    std::uint32_t size = 99;
    EXPECT_FALSE(request.GetUrlFileSize(size));
    EXPECT_NE(log.Written().find("[CWinHttpRequest::GetUrlFileSize]call WinHttpQueryHeaders fail 12150"),
              std::string::npos)
        << log.Written();
    EXPECT_EQ(server.Requests().back().rfind("HEAD /size HTTP/1.1\r\n", 0), 0u);
}

TEST(WinHttpRequestTlsTest, ATrustedServerOn443AnswersTheFirstAttempt) {
    TempFolder root;
    WriteFileText(root / "api.json", "{\"ok\":true}");
    const TestCertificate certificate(root.path());
    NginxServer nginx(root.path(), &certificate);
    FixedPortRelay port443{443, nginx.port()};
    platform::SetHttpTrustedAuthorities(certificate.caFile());
    LogCapture log;
    CWinHttpRequest request;
    ASSERT_TRUE(request.OpenHttpUrl(L"http://127.0.0.1/api.json"));
    EXPECT_EQ(request.ReadAll(), "{\"ok\":true}");
    EXPECT_EQ(log.Written().find("fail"), std::string::npos) << log.Written();
    platform::SetHttpTrustedAuthorities("");
}

}  // namespace
