#include "download_engine/cookie_jar.h"

#include <gtest/gtest.h>

#include <ctime>

namespace dlengine {
namespace {

using clock = std::chrono::system_clock;

url parse(const std::string& text) {
    boost::system::error_code ec;
    url parsed = url::from_string(text, ec);
    EXPECT_FALSE(ec) << text;
    return parsed;
}

clock::time_point utc(int year, int month, int day, int hour, int minute, int second) {
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    return clock::from_time_t(timegm(&parts));
}

struct DateCase {
    const char* text;
    bool valid;
};

class CookieDateTest : public ::testing::TestWithParam<DateCase> {};

TEST_P(CookieDateTest, ReadsTheFormsServersSend) {
    const auto parsed = parse_cookie_date(GetParam().text);
    if (!GetParam().valid) {
        EXPECT_FALSE(parsed.has_value());
        return;
    }
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(*parsed, utc(1994, 11, 6, 8, 49, 37));
}

INSTANTIATE_TEST_SUITE_P(Forms, CookieDateTest,
                         ::testing::Values(DateCase{"Sun, 06 Nov 1994 08:49:37 GMT", true},
                                           DateCase{"Sunday, 06-Nov-94 08:49:37 GMT", true},
                                           DateCase{"Sun Nov  6 08:49:37 1994", true},
                                           DateCase{"06 NOV 1994 08:49:37", true},
                                           DateCase{"Sun, 06 Nov 1994", false},
                                           DateCase{"Sun, 32 Nov 1994 08:49:37 GMT", false},
                                           DateCase{"Sun, 06 Nov 1994 25:49:37 GMT", false},
                                           DateCase{"", false}));

TEST(CookieJarTest, DatesBeyondTheClockAreClamped) {
    EXPECT_EQ(parse_cookie_date("Fri, 31 Dec 9999 23:59:59 GMT"), clock::time_point::max());
    EXPECT_EQ(parse_cookie_date("Mon, 01 Jan 1601 00:00:00 GMT"), clock::time_point::min());
}

TEST(CookieJarTest, SendsBackEveryCookieOfTheValue) {
    cookie_jar jar;
    jar.add("session=abc; lang=de; Path=/", parse("http://dl.example/pkg/setup.exe"));
    EXPECT_EQ(jar.cookie_line(parse("http://dl.example/other")), "session=abc; lang=de");
}

TEST(CookieJarTest, SecureCookiesGoOnlyOverHttps) {
    cookie_jar jar;
    jar.add("token=1; Secure; HttpOnly", parse("https://dl.example/"));
    jar.add("plain=2", parse("https://dl.example/"));
    EXPECT_EQ(jar.cookie_line(parse("https://dl.example/")), "token=1; plain=2");
    EXPECT_EQ(jar.cookie_line(parse("http://dl.example/")), "plain=2");
}

TEST(CookieJarTest, DomainAndPathDecideWhereACookieGoes) {
    cookie_jar jar;
    jar.add("wide=1; Domain=.example.org; Path=/", parse("http://www.example.org/a/b"));
    jar.add("narrow=2; Path=/files", parse("http://www.example.org/"));
    jar.add("default=3", parse("http://www.example.org/dir/page"));
    EXPECT_EQ(jar.cookie_line(parse("http://cdn.example.org/")), "wide=1");
    EXPECT_EQ(jar.cookie_line(parse("http://www.example.org/files/x")), "wide=1; narrow=2");
    EXPECT_EQ(jar.cookie_line(parse("http://www.example.org/filesystem")), "wide=1");
    EXPECT_EQ(jar.cookie_line(parse("http://www.example.org/dir/other")), "wide=1; default=3");
    EXPECT_EQ(jar.cookie_line(parse("http://example.com/")), "");
    EXPECT_EQ(jar.cookie_line(parse("http://badexample.org/")), "");
}

TEST(CookieJarTest, RefusesADomainTheServerDoesNotBelongTo) {
    cookie_jar jar;
    jar.add("evil=1; Domain=other.example", parse("http://dl.example/"));
    EXPECT_EQ(jar.size(), 0u);
}

TEST(CookieJarTest, ExpiryRemovesAndReplaces) {
    cookie_jar jar;
    const url origin = parse("http://dl.example/");
    const auto now = utc(2020, 1, 1, 0, 0, 0);
    jar.add("a=1; expires=Wed, 01 Jan 2020 00:00:10 GMT", origin, now);
    jar.add("b=2", origin, now);
    EXPECT_EQ(jar.cookie_line(origin, now), "a=1; b=2");
    EXPECT_EQ(jar.cookie_line(origin, now + std::chrono::seconds(11)), "b=2");
    jar.add("b=3", origin, now);
    EXPECT_EQ(jar.cookie_line(origin, now), "a=1; b=3");
    jar.add("a=gone; expires=Tue, 31 Dec 2019 23:59:59 GMT", origin, now);
    EXPECT_EQ(jar.cookie_line(origin, now), "b=3");
    EXPECT_EQ(jar.size(), 1u);
}

}  // namespace
}  // namespace dlengine
