#include "http_kit/HttpHeader.h"

#include <gtest/gtest.h>

namespace {

const std::string kDefaultUserAgent =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/80.0.4044.92 "
    "Safari/537.36";

TEST(HttpHeaderTest, DefaultFieldsComeInByteOrderOfTheirNames) {
    CHttpHeader header;
    EXPECT_EQ(header.ToHeaderText(),
              "Accept: */*\r\n"
              "Accept-Language: zh-CN,zh;q=0.9\r\n"
              "Connection: Keep-Alive\r\n"
              "User-Agent: " +
                  kDefaultUserAgent + "\r\n");
}

TEST(HttpHeaderTest, FirstValueOfANameWins) {
    CHttpHeader header;
    header.SetField("User-Agent", "Agent/1");
    header.SetField("User-Agent", "Agent/2");
    header.SetField("Empty", "");
    header.SetField("", "nameless");
    EXPECT_EQ(header.ToHeaderText(),
              "Accept: */*\r\nAccept-Language: zh-CN,zh;q=0.9\r\nConnection: Keep-Alive\r\nUser-Agent: Agent/1\r\n");
}

TEST(HttpHeaderTest, HostSortsBetweenConnectionAndUserAgent) {
    CHttpHeader header;
    header.SetField("Host", "example.test");
    EXPECT_EQ(header.ToHeaderText(),
              "Accept: */*\r\nAccept-Language: zh-CN,zh;q=0.9\r\nConnection: Keep-Alive\r\nHost: example.test\r\n"
              "User-Agent: " +
                  kDefaultUserAgent + "\r\n");
}

TEST(HttpHeaderTest, ReplaceFieldOverwrites) {
    CHttpHeader header;
    header.SetField("Host", "first.test");
    header.ReplaceField("Host", "second.test");
    EXPECT_EQ(header.GetField("Host"), "second.test");
}

TEST(HttpHeaderTest, ParseReadsStatusLineAndFieldsWithCaseSensitiveNames) {
    CHttpHeader header;
    EXPECT_TRUE(header.Parse("HTTP/1.1 302 Found\r\nLocation: /next\r\nContent-Length: 12\r\nLocation: /other"));
    EXPECT_EQ(header.GetVersion(), "HTTP/1.1");
    EXPECT_EQ(header.GetStatusCode(), 302);
    EXPECT_EQ(header.GetStatusText(), "Found");
    EXPECT_EQ(header.GetField("Location"), "/next");
    EXPECT_EQ(header.GetField("Content-Length"), "12");
    EXPECT_EQ(header.GetField("content-length"), "");
}

TEST(HttpHeaderTest, ParseKeepsAReasonWithSpacesWhole) {
    CHttpHeader header;
    header.Parse("HTTP/1.0 404 Not Found Here");
    EXPECT_EQ(header.GetVersion(), "HTTP/1.0");
    EXPECT_EQ(header.GetStatusCode(), 404);
    EXPECT_EQ(header.GetStatusText(), "Not Found Here");
}

TEST(HttpHeaderTest, RequestTextIsRequestLineDefaultsAndEmptyLine) {
    CHttpHeader header;
    header.SetPath("/files/a.bin?x=1");
    EXPECT_EQ(header.ToRequestText(),
              "GET /files/a.bin?x=1 HTTP/1.1\r\n"
              "Accept: */*\r\n"
              "Accept-Language: zh-CN,zh;q=0.9\r\n"
              "Connection: Keep-Alive\r\n"
              "User-Agent: " +
                  kDefaultUserAgent +
                  "\r\n"
                  "\r\n");
}

}  // namespace
