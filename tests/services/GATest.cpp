#include "services/GA.h"

#include "http_kit/FixedPortRelay.h"
#include "http_kit/LogCapture.h"
#include "platform/TextConversion.h"
#include "services/GACollectUrl.h"
#include "support/FaultServer.h"
#include "support/TempFolder.h"
#include "support/TestCertificate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

constexpr char kIdentity[] = "3F2504E0-4F89-41d3-9A0C-0305E82C3301";
constexpr wchar_t kTitle[] = L"Zelmora Tarnel (Windows version)";

class TestSender : public CGA {
public:
    explicit TestSender(std::string guid) : CGA(std::move(guid)) {}
};

// Path and query of the built-in address.
std::string Target() {
    const std::string url = platform::ToUtf8(GetGACollectUrl());
    return url.substr(url.find("/mp/collect"));
}

// The built-in address with the host of the test's server.
std::wstring LocalCollectUrl() {
    return platform::ToWide("https://127.0.0.1" + Target());
}

std::string Body(const std::string& event) {
    return std::string("{\n    \"client_id\": \"") + kIdentity +
           "\",\n"
           "    \"user_properties\": {\n"
           "        \"uid\": {\n"
           "            \"value\": \"" +
           kIdentity +
           "\"\n"
           "        }\n"
           "    },\n"
           "    \"events\": [\n"
           "        {\n"
           "            \"name\": \"" +
           event +
           "\",\n"
           "            \"params\": {\n"
           "                \"event_category\": \"Zelmora Tarnel (Windows version)\",\n"
           "                \"event_label\": \"" +
           kIdentity +
           "\"\n"
           "            }\n"
           "        }\n"
           "    ]\n"
           "}";
}

// A TLS server on 443 with a certificate nobody trusts, in front of the
// test's scripted server.
class GATest : public testing::Test {
protected:
    explicit GATest(FaultHandler handler = fault::Always(fault::Ok("{}"))) : server_(std::move(handler)) {
        sender_.SetUrl(LocalCollectUrl());
        sender_.SetTitle(kTitle);
    }

    FaultServer server_;
    TempFolder folder_;
    TestCertificate selfSigned_{folder_.path(), TestCertificate::Kind::kSelfSigned};
    FixedPortRelay tls_{443, server_.port(), &selfSigned_};
    TestSender sender_{kIdentity};
};

TEST_F(GATest, AnEventIsOnePostOfThePrettyDocument) {
    LogCapture log;
    EXPECT_TRUE(sender_.SendDownloaderInstalled());
    const std::string body = Body("Downloader_Installed");
    const std::string target = Target();
    ASSERT_EQ(server_.Requests().size(), 1u);
    EXPECT_EQ(server_.Requests()[0],
              "POST " + target +
                  " HTTP/1.1\r\n"
                  "Host: 127.0.0.1\r\n"
                  "Accept: */*\r\n"
                  "Accept-Language: zh-CN,zh;q=0.9\r\n"
                  "Connection: Keep-Alive\r\n"
                  "User-Agent: Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
                  "Chrome/80.0.4044.92 Safari/537.36\r\n"
                  "Content-Type: application/json; charset=utf-8\r\n"
                  "Content-Length: " +
                  std::to_string(body.size()) + "\r\n\r\n" + body);

    const std::string written = log.Written();
    const std::string lines[] = {
        std::string("tran code guid:") + kIdentity,
        "request url: https://127.0.0.1" + target,
        "request info: " + body,
        "request ret Code: 200",
    };
    std::size_t from = 0;
    for (const std::string& line : lines) {
        const std::size_t at = written.find(line, from);
        ASSERT_NE(at, std::string::npos) << line << "\n" << written;
        from = at + line.size();
    }
}

TEST_F(GATest, GAThreadProcSendsTheEventOfItsKind) {
    const std::pair<int, const char*> cases[] = {{0, "Downloader_Start_Install"},
                                                 {1, "Downloader_Installed"},
                                                 {2, "Installed_Succeed"},
                                                 {7, "Downloader_Start_Install"},
                                                 {-1, "Downloader_Start_Install"}};
    for (const auto& [kind, event] : cases) {
        EXPECT_EQ(GAThreadProc(new GAThreadParam{false, &sender_, kind}), 0u);
        const std::string request = server_.Requests().back();
        EXPECT_EQ(request.substr(request.find("\r\n\r\n") + 4), Body(event)) << kind;
    }
}

class GAErrorStatusTest : public GATest {
protected:
    GAErrorStatusTest()
        : GATest(fault::Always(fault::Response(500, "Internal Server Error", {{"Content-Length", "4"}}, "oops"))) {}
};

TEST_F(GAErrorStatusTest, AnErrorStatusIsOnlyLogged) {
    LogCapture log;
    EXPECT_TRUE(sender_.SendInstalledSucceed());
    EXPECT_NE(log.Written().find("request ret Code: 500"), std::string::npos) << log.Written();
}

// The server answers only once both requests have arrived, so the two are
// in flight at the same time; it waits longer than the client's 5 s receive
// time-out, so requests sent one after the other would fail.
class GAConcurrentTest : public GATest {
protected:
    GAConcurrentTest()
        : GATest([this](const FaultRequest&, FaultConnection& connection) {
              std::unique_lock<std::mutex> lock(mutex_);
              ++arrived_;
              both_.notify_all();
              both_.wait_for(lock, std::chrono::seconds(8), [this] { return arrived_ >= 2; });
              connection.Send(fault::Ok("{}"));
              connection.Close();
          }) {}

    std::mutex mutex_;
    std::condition_variable both_;
    int arrived_ = 0;
};

TEST_F(GAConcurrentTest, TwoEventsFromTwoThreadsAreTwoCompleteRequests) {
    LogCapture log;
    std::thread first(GAThreadProc, new GAThreadParam{false, &sender_, 0});
    std::thread second(GAThreadProc, new GAThreadParam{false, &sender_, 1});
    first.join();
    second.join();
    std::vector<std::string> bodies;
    for (const std::string& request : server_.Requests())
        bodies.push_back(request.substr(request.find("\r\n\r\n") + 4));
    std::sort(bodies.begin(), bodies.end());
    EXPECT_EQ(bodies, (std::vector<std::string>{Body("Downloader_Installed"), Body("Downloader_Start_Install")}));
    const std::string written = log.Written();
    const std::size_t first200 = written.find("request ret Code: 200");
    ASSERT_NE(first200, std::string::npos) << written;
    EXPECT_NE(written.find("request ret Code: 200", first200 + 1), std::string::npos) << written;
}

}  // namespace
