#include "http_kit/SplitHttpUrl.h"

#include "platform/TextConversion.h"

#include <gtest/gtest.h>

namespace {

struct SplitCase {
    std::string url;
    std::string host;
    std::string path;
    int port;
};

const SplitCase kCases[] = {
    {"https://h", "h", "/", 443},
    {"https://h:8080", "h", "/", 8080},
    {"http://h", "h", "/", 80},
    {"http://h:443/x", "h", "/x", 443},
    {"https://h:8443/a/b?q=1", "h", "/a/b?q=1", 8443},
    {"h.example/path", "h.example", "/path", 80},
    {"http://h:abc/", "h", "/", 0},
    {"http://h:8080x/", "h", "/", 8080},
    {"http://h:99999/", "h", "/", 65536},
    // The first "http://" wins even after an "https://".
    {"https://h/?next=http://other/x", "other", "/x", 80},
    {"", "", "/", 80},
};

class SplitHttpUrlTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitHttpUrlTest, NarrowAndWideAgree) {
    const SplitCase& c = GetParam();
    std::string host;
    std::string path;
    int port = -1;
    SplitHttpUrl(c.url, host, path, port);
    EXPECT_EQ(host, c.host);
    EXPECT_EQ(path, c.path);
    EXPECT_EQ(port, c.port);

    std::wstring wideHost;
    std::wstring widePath;
    int widePort = -1;
    SplitHttpUrl(platform::ToWide(c.url), wideHost, widePath, widePort);
    EXPECT_EQ(platform::ToUtf8(wideHost), c.host);
    EXPECT_EQ(platform::ToUtf8(widePath), c.path);
    EXPECT_EQ(widePort, c.port);
}

INSTANTIATE_TEST_SUITE_P(Urls, SplitHttpUrlTest, testing::ValuesIn(kCases));

}  // namespace
