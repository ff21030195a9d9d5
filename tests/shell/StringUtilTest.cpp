#include "shell/StringUtil.h"

#include <gtest/gtest.h>

namespace {

TEST(StringUtilTest, ReplaceAllNeverRescansTheReplacement) {
    EXPECT_EQ(ReplaceAll(L"aaa", L"a", L"aa"), L"aaaaaa");
    EXPECT_EQ(ReplaceAll(L"PRODUCT PRODUCTION", L"PRODUCT", L"X"), L"X XION");
    EXPECT_EQ(ReplaceAll(L"a\r\nb\r\n", L"\r\n", L""), L"ab");
    EXPECT_EQ(ReplaceAll(L"abc", L"", L"x"), L"abc");
}

TEST(StringUtilTest, AppendCustomParam) {
    struct Case {
        const wchar_t* address;
        const wchar_t* tag;
        const wchar_t* expected;
    } cases[] = {
        {L"", L"net_tw", L""},
        {L"https://h/p?key=a", L"", L"https://h/p?key=a"},
        {L"https://h/p?key=a", L"net_tw", L"https://h/p?key=a&custom=net_tw"},
        {L"https://h/p?pid=1", L"net_tw", L"https://h/p?pid=1"},
        {L"https://h/p?monkey=1", L"t", L"https://h/p?monkey=1&custom=t"},  // plain substring test
    };
    for (const Case& c : cases) EXPECT_EQ(AppendCustomParam(c.address, c.tag), c.expected) << c.address;
}

TEST(StringUtilTest, SplitUrl) {
    struct Case {
        const wchar_t* address;
        bool result;
        const wchar_t* host;
        const wchar_t* path;
    } cases[] = {
        {L"https://download.example/tarnel/setup.exe", true, L"download.example", L"tarnel/setup.exe"},
        {L"http://h.example:8080/a/b?c=d", true, L"h.example:8080", L"a/b?c=d"},
        {L"https://h.example", false, L"h.example", L"unchanged"},
        {L"ftp://h.example/x", true, L"unchanged", L"unchanged"},
    };
    for (const Case& c : cases) {
        std::wstring host = L"unchanged", path = L"unchanged";
        EXPECT_EQ(SplitUrl(c.address, &host, &path), c.result) << c.address;
        EXPECT_EQ(host, c.host) << c.address;
        EXPECT_EQ(path, c.path) << c.address;
    }
}

TEST(StringUtilTest, SplitOnceAndFileNames) {
    std::wstring left, right;
    EXPECT_TRUE(SplitOnce(L"a=b=c", L"=", &left, &right));
    EXPECT_EQ(left, L"a");
    EXPECT_EQ(right, L"b=c");
    EXPECT_FALSE(SplitOnce(L"abc", L"=", &left, &right));
    EXPECT_EQ(left, L"abc");
    EXPECT_EQ(right, L"");

    EXPECT_EQ(FileNameOfPath(L"/opt/a\\setup.beta.exe"), L"setup.beta.exe");
    EXPECT_EQ(FileNameOfPath(L""), L"");
    EXPECT_EQ(FileBaseName(L"setup.beta.exe"), L"setup.beta");
    EXPECT_EQ(FileBaseName(L"zelmora-setup"), L"zelmora-setup");
}

TEST(StringUtilTest, AnsiConversionsAreUtf8WithReplacement) {
    EXPECT_EQ(AnsiToWide("net_tw\xEF\xBC\x9A"), L"net_tw\uFF1A");
    EXPECT_EQ(AnsiToWide("a\xFF"), L"a?");
    EXPECT_EQ(WideToAnsi(L"\uFF1A"), "\xEF\xBC\x9A");
}

}  // namespace
