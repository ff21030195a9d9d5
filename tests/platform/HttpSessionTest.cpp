#include "platform/HttpSession.h"

#include "platform/ScopedEnvironment.h"
#include "support/FaultServer.h"
#include "support/NginxServer.h"
#include "support/TempFolder.h"
#include "support/TestCertificate.h"
#include "support/TestFiles.h"
#include "support/TinyproxyServer.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace platform;

namespace {

struct Answer {
    bool received = false;
    unsigned long error = 0;
    std::string status;
    std::string body;
    bool bodyComplete = false;
};

// One whole exchange through the layer, reading the body in small pieces.
Answer Exchange(HttpSession& session, unsigned short port, const std::string& verb, const std::string& target,
                unsigned flags = 0, unsigned securityFlags = 0, const std::string& body = "") {
    Answer answer;
    auto connection = session.Connect("127.0.0.1", port);
    auto request = connection->OpenRequest(verb, target, flags);
    request->SetSecurityFlags(securityFlags);
    EXPECT_TRUE(request->Send("", body));
    answer.received = request->ReceiveResponse();
    answer.error = HttpLastError();
    if (!answer.received) return answer;
    request->QueryStatusCode(answer.status);
    char piece[1000];
    for (;;) {
        std::size_t read = 0;
        if (!request->ReadData(piece, sizeof piece, read)) {
            answer.error = HttpLastError();
            return answer;
        }
        if (read == 0) break;
        answer.body.append(piece, read);
    }
    answer.bodyComplete = true;
    return answer;
}

std::unique_ptr<HttpSession> DirectSession() {
    return HttpSession::Open("layer-test", HttpProxyMode::kNone);
}

std::string ServerFor(const std::string& target) {
    if (target == "/redirect") return fault::Redirect(302, "/final");
    if (target == "/final") return fault::Ok("final body");
    if (target == "/cut") return fault::Response(200, "OK", {{"Content-Length", "1000"}}, std::string(400, 'c'));
    if (target == "/long") return fault::Response(200, "OK", {{"Content-Length", "10"}}, std::string(50, 'l'));
    if (target == "/huge-length") return fault::Response(200, "OK", {{"Content-Length", "4294967296"}}, "");
    return fault::Response(404, "Not Found", {{"Content-Length", "0"}});
}

class HttpSessionTest : public testing::Test {
protected:
    FaultServer server_{[](const FaultRequest& request, FaultConnection& connection) {
        if (request.target == "/stall") return connection.Stall();
        connection.Send(ServerFor(request.target));
        connection.Close();
    }};
};

TEST_F(HttpSessionTest, RedirectPolicyDecidesWhichAnswerTheCallerSees) {
    struct Case {
        HttpRedirectPolicy policy;
        std::string status;
        std::string body;
    };
    for (const Case& c :
         {Case{HttpRedirectPolicy::kNever, "302", ""}, Case{HttpRedirectPolicy::kAlways, "200", "final body"}}) {
        auto session = DirectSession();
        session->SetRedirectPolicy(c.policy);
        const Answer answer = Exchange(*session, server_.port(), "GET", "/redirect");
        EXPECT_TRUE(answer.received);
        EXPECT_EQ(answer.status, c.status);
        EXPECT_EQ(answer.body, c.body);
    }
}

TEST_F(HttpSessionTest, ABodyCutShortFailsTheReadAndExtraBytesAreNotDelivered) {
    auto session = DirectSession();
    const Answer cut = Exchange(*session, server_.port(), "GET", "/cut");
    EXPECT_FALSE(cut.bodyComplete);
    EXPECT_EQ(cut.error, kHttpErrorConnectionError);

    const Answer longer = Exchange(*session, server_.port(), "GET", "/long");
    EXPECT_TRUE(longer.bodyComplete);
    EXPECT_EQ(longer.body, std::string(10, 'l'));
}

TEST_F(HttpSessionTest, ASilentServerFailsTheReceiveAfterTheReceiveTimeout) {
    auto session = DirectSession();
    session->SetTimeouts({0, 2000, 2000, 300});
    const Answer answer = Exchange(*session, server_.port(), "GET", "/stall");
    EXPECT_FALSE(answer.received);
    EXPECT_EQ(answer.error, kHttpErrorTimeout);
}

TEST_F(HttpSessionTest, HeaderQueriesTellAbsentAndUnrepresentableFields) {
    auto session = DirectSession();
    auto request = session->Connect("127.0.0.1", server_.port())->OpenRequest("HEAD", "/huge-length", 0);
    ASSERT_TRUE(request->Send("", ""));
    ASSERT_TRUE(request->ReceiveResponse());
    std::string text;
    EXPECT_TRUE(request->QueryHeader("content-length", text));
    EXPECT_EQ(text, "4294967296");
    std::uint32_t number = 7;
    EXPECT_FALSE(request->QueryHeaderNumber("Content-Length", number));
    EXPECT_EQ(number, 7u);
    EXPECT_FALSE(request->QueryHeader("Location", text));
    EXPECT_EQ(HttpLastError(), kHttpErrorHeaderNotFound);
}

TEST_F(HttpSessionTest, SendsTheAddedFieldsOnlyWithTheBodyAsIs) {
    auto session = HttpSession::Open("Session Agent", HttpProxyMode::kNone);
    auto request = session->Connect("127.0.0.1", server_.port())->OpenRequest("POST", "final", kHttpRequestRefresh);
    request->AddOrReplaceHeaders("X-One: 1\r\nUser-Agent: Request Agent\r\n");
    request->AddOrReplaceHeaders("x-one: 2\r\n");
    ASSERT_TRUE(request->Send("X-Extra: e", "k=v"));
    ASSERT_TRUE(request->ReceiveResponse());
    const std::string raw = server_.Requests().at(0);
    EXPECT_EQ(raw, "POST /final HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server_.port()) +
                       "\r\nX-One: 2\r\nUser-Agent: Request Agent\r\nX-Extra: e\r\nPragma: no-cache\r\n"
                       "Cache-Control: no-cache\r\nContent-Length: 3\r\n\r\nk=v");
}

TEST(HttpSessionStreamTest, TheBodyIsPulledAsTheCallerReads) {
    TempFolder root;
    WriteFileText(root / "big.bin", std::string(32 * 1024 * 1024, 'b'));
    NginxServer nginx(root.path());
    auto session = DirectSession();
    auto request = session->Connect("127.0.0.1", nginx.port())->OpenRequest("GET", "/big.bin", 0);
    ASSERT_TRUE(request->Send("", ""));
    ASSERT_TRUE(request->ReceiveResponse());
    std::size_t total = 0;
    std::size_t mostWaiting = 0;
    std::vector<char> piece(4096);
    for (;;) {
        std::size_t available = 0;
        ASSERT_TRUE(request->QueryDataAvailable(available));
        mostWaiting = std::max(mostWaiting, available);
        if (available == 0) break;
        std::size_t read = 0;
        ASSERT_TRUE(request->ReadData(piece.data(), piece.size(), read));
        total += read;
    }
    EXPECT_EQ(total, 32u * 1024 * 1024);
    EXPECT_LE(mostWaiting, 256u * 1024);
}

TEST(HttpSessionProxyTest, TheDefaultModeTakesTheProxyVariablesAndNoneIgnoresThem) {
    TempFolder root;
    WriteFileText(root / "p.txt", "through");
    NginxServer nginx(root.path());
    TinyproxyServer proxy;
    ScopedEnvironment environment;
    environment.Set("http_proxy", "http://127.0.0.1:" + std::to_string(proxy.port()));
    environment.Unset("no_proxy");
    environment.Unset("NO_PROXY");

    auto direct = HttpSession::Open("", HttpProxyMode::kNone);
    EXPECT_EQ(Exchange(*direct, nginx.port(), "GET", "/p.txt").body, "through");
    EXPECT_EQ(proxy.Log().find("p.txt"), std::string::npos);

    auto proxied = HttpSession::Open("", HttpProxyMode::kDefault);
    EXPECT_EQ(Exchange(*proxied, nginx.port(), "GET", "/p.txt").body, "through");
    EXPECT_NE(proxy.Log().find("p.txt"), std::string::npos);
}

TEST(HttpSessionTlsTest, CertificatesAreCheckedUnlessTheFlagsSaySo) {
    TempFolder folder;
    WriteFileText(folder / "s.txt", "secret");
    const TestCertificate signedCertificate(folder.path());
    NginxServer nginx(folder.path(), &signedCertificate);
    struct Case {
        std::string authorities;
        unsigned securityFlags;
        bool received;
    };
    const Case cases[] = {
        {"", 0, false},
        {signedCertificate.caFile(), 0, true},
        {"", kHttpIgnoreCertDateInvalid, false},
        {"", kHttpIgnoreUnknownCa | kHttpIgnoreCertCnInvalid, true},
    };
    for (const Case& c : cases) {
        SetHttpTrustedAuthorities(c.authorities);
        auto session = DirectSession();
        const Answer answer = Exchange(*session, nginx.port(), "GET", "/s.txt", kHttpRequestSecure, c.securityFlags);
        EXPECT_EQ(answer.received, c.received) << c.authorities << " " << c.securityFlags;
        EXPECT_EQ(c.received ? answer.body : std::to_string(answer.error),
                  c.received ? "secret" : std::to_string(kHttpErrorSecureFailure));
    }
    SetHttpTrustedAuthorities("");
}

TEST(HttpSessionStateTest, TheProxyFlagFollowsTheProxyVariables) {
    unsigned flags = 0;
    if (!HttpConnectedState(flags)) GTEST_SKIP() << "no network interface is up";
    ScopedEnvironment environment;
    for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"}) {
        environment.Unset(name);
    }
    ASSERT_TRUE(HttpConnectedState(flags));
    EXPECT_EQ(flags & kHttpConnectionProxy, 0u);
    environment.Set("https_proxy", "http://127.0.0.1:3128");
    ASSERT_TRUE(HttpConnectedState(flags));
    EXPECT_NE(flags & kHttpConnectionProxy, 0u);
}

}  // namespace
