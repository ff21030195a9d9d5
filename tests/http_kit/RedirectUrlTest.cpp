#include "http_kit/RedirectUrl.h"

#include "http_kit/FixedPortRelay.h"
#include "http_kit/LogCapture.h"
#include "platform/HttpSession.h"
#include "support/FaultServer.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kConfigured = L"https://127.0.0.1/get?key=abc";

class RedirectUrlTest : public testing::Test {
protected:
    FaultServer server_{[](const FaultRequest& request, FaultConnection& connection) {
        if (request.target == "/get?key=302") {
            connection.Send(fault::Redirect(302, "https://cdn.example/setup v2.exe"));
        } else if (request.target == "/get?key=301") {
            connection.Send(fault::Redirect(301, "https://cdn.example/other.exe"));
        } else if (request.target == "/get?key=silent") {
            return connection.Stall();
        } else {
            connection.Send(fault::Ok("not a redirect"));
        }
        connection.Close();
    }};
    // The query always goes to port 80, whatever the address said.
    FixedPortRelay port80_{80, server_.port()};
};

TEST_F(RedirectUrlTest, OnlyA302ReplacesTheAddress) {
    struct Case {
        std::wstring path;
        bool result;
        std::wstring url;
    };
    const Case cases[] = {
        {L"get?key=302", true, L"https://cdn.example/setup v2.exe"},
        {L"get?key=301", false, kConfigured},
        {L"get?key=200", false, kConfigured},
    };
    for (const Case& c : cases) {
        std::wstring url = kConfigured;
        EXPECT_EQ(GetRedirectUrl(L"127.0.0.1", c.path, url), c.result);
        EXPECT_EQ(url, c.url);
    }
    ASSERT_EQ(server_.Requests().size(), 3u);
    EXPECT_EQ(server_.Requests()[0].rfind("GET /get?key=302 HTTP/1.1\r\nHost: 127.0.0.1\r\n", 0), 0u);
}

TEST_F(RedirectUrlTest, ASilentServerKeepsTheAddressAndLogsTheError) {
    const platform::HttpTimeouts saved = platform::DefaultHttpTimeouts();
    platform::SetDefaultHttpTimeouts({0, 5000, 5000, 300});
    LogCapture log;
    std::wstring url = kConfigured;
    EXPECT_TRUE(GetRedirectUrl(L"127.0.0.1", L"get?key=silent", url));
    EXPECT_EQ(url, kConfigured);
    EXPECT_NE(log.Written().find("Error 12002 has occurred."), std::string::npos) << log.Written();
    platform::SetDefaultHttpTimeouts(saved);
}

}  // namespace
