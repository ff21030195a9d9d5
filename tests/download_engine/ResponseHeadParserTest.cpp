#include "download_engine/response_head_parser.h"

#include <gtest/gtest.h>

#include <boost/asio/error.hpp>

#include "download_engine/http_error.h"

namespace dlengine {
namespace {

using boost::system::error_code;
using headers = std::vector<std::pair<std::string, std::string>>;

struct HeadCase {
    const char* name;
    std::string input;
    bool post;
    error_code error;      // result of the head
    int status;            // when the head ended
    headers fields;        // when it ended without a parse error
    std::size_t left;      // bytes after the head, not consumed
};

// Feeds the input in two parts split at `split` and reports what a caller
// would see; parsing stops at the first error or at the end of the head.
struct Outcome {
    error_code error;
    bool done = false;
    std::size_t consumed = 0;
};

Outcome FeedSplit(response_head_parser& parser, const std::string& input, std::size_t split) {
    Outcome outcome;
    const std::string parts[] = {input.substr(0, split), input.substr(split)};
    for (const std::string& part : parts) {
        const std::size_t used = parser.feed(part.data(), part.size(), outcome.error);
        outcome.consumed += used;
        if (outcome.error || parser.done()) break;
        EXPECT_EQ(used, part.size());
    }
    outcome.done = parser.done();
    return outcome;
}

class ResponseHeadTest : public ::testing::TestWithParam<HeadCase> {};

TEST_P(ResponseHeadTest, SameResultAtEverySplit) {
    const HeadCase& c = GetParam();
    for (std::size_t split = 0; split <= c.input.size(); ++split) {
        SCOPED_TRACE("split at " + std::to_string(split));
        response_head_parser parser(c.post);
        const Outcome outcome = FeedSplit(parser, c.input, split);
        EXPECT_EQ(outcome.error, c.error) << outcome.error.message();
        if (c.error == http_error::malformed_status_line || c.error == http_error::malformed_response_headers) {
            EXPECT_FALSE(outcome.done);
            continue;
        }
        ASSERT_TRUE(outcome.done);
        EXPECT_EQ(parser.status(), c.status);
        EXPECT_EQ(parser.headers().items(), c.fields);
        EXPECT_EQ(outcome.consumed, c.input.size() - c.left);
    }
}

const std::string kBody = "hello";

INSTANTIATE_TEST_SUITE_P(
    Heads, ResponseHeadTest,
    ::testing::Values(
        HeadCase{"Ok", "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello", false, {}, 200,
                 {{"Content-Length", "5"}}, 5},
        HeadCase{"EmptyReason", "HTTP/1.0 404 \r\n\r\n", false, {}, 404, {}, 0},
        HeadCase{"TrimmedNameAndValue", "HTTP/1.1 206 Partial Content\r\nX-A :  one two \t\r\nX-B:\r\n\r\n", false,
                 {}, 206, {{"X-A", "one two"}, {"X-B", ""}}, 0},
        HeadCase{"FoldedValue", "HTTP/1.1 200 OK\r\nX-Long: first\r\n \t second\r\n\tthird\r\nY: 2\r\n\r\n", false,
                 {}, 200, {{"X-Long", "first second third"}, {"Y", "2"}}, 0},
        HeadCase{"ContinueSkipped", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nA: b\r\n\r\nbody", false, {},
                 200, {{"A", "b"}}, 4},
        HeadCase{"ContinueEndsAPost", "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\n\r\n", true,
                 http_error::continue_status, 100, {}, 19},
        HeadCase{"ContinueWithHeaders", "HTTP/1.1 100 Continue\r\nX: y\r\n\r\nHTTP/1.1 200 OK\r\n\r\n", false,
                 http_error::malformed_status_line, 0, {}, 0},
        HeadCase{"NoReasonPhrase", "HTTP/1.1 200\r\n\r\n", false, http_error::malformed_status_line, 0, {}, 0},
        HeadCase{"TwoDigitStatus", "HTTP/1.1 20 OK\r\n\r\n", false, http_error::malformed_status_line, 0, {}, 0},
        HeadCase{"FourDigitStatus", "HTTP/1.1 2000 OK\r\n\r\n", false, http_error::malformed_status_line, 0, {},
                 0},
        HeadCase{"StatusBelow100", "HTTP/1.1 099 Odd\r\n\r\n", false, http_error::malformed_status_line, 0, {},
                 0},
        HeadCase{"DoubleSpace", "HTTP/1.1  200 OK\r\n\r\n", false, http_error::malformed_status_line, 0, {}, 0},
        HeadCase{"NoMinorVersion", "HTTP/1. 200 OK\r\n\r\n", false, http_error::malformed_status_line, 0, {}, 0},
        HeadCase{"OtherProtocol", "ICY 200 OK\r\n\r\n", false, http_error::malformed_status_line, 0, {}, 0},
        HeadCase{"ControlInReason", std::string("HTTP/1.1 200 O\x01K\r\n\r\n"), false,
                 http_error::malformed_status_line, 0, {}, 0},
        HeadCase{"LineWithoutColon", "HTTP/1.1 200 OK\r\nno colon here\r\n\r\n", false,
                 http_error::malformed_response_headers, 0, {}, 0},
        HeadCase{"EmptyName", "HTTP/1.1 200 OK\r\n: v\r\n\r\n", false, http_error::malformed_response_headers, 0,
                 {}, 0},
        HeadCase{"SpaceInName", "HTTP/1.1 200 OK\r\nBad Name: v\r\n\r\n", false,
                 http_error::malformed_response_headers, 0, {}, 0},
        HeadCase{"ContinuationFirst", "HTTP/1.1 200 OK\r\n folded: v\r\n\r\n", false,
                 http_error::malformed_response_headers, 0, {}, 0}),
    [](const ::testing::TestParamInfo<HeadCase>& info) { return info.param.name; });

TEST(ResponseHeadParserTest, BareLineFeedsNeverEndTheHead) {
    response_head_parser parser;
    error_code ec;
    const std::string input = "HTTP/1.1 200 OK\n\n";
    EXPECT_EQ(parser.feed(input.data(), input.size(), ec), input.size());
    EXPECT_FALSE(ec);
    EXPECT_FALSE(parser.done());
    EXPECT_EQ(parser.eof_error(), boost::asio::error::eof);
}

TEST(ResponseHeadParserTest, EndOfFileAmongHeaderLinesIsMalformedHeaders) {
    response_head_parser parser;
    error_code ec;
    const std::string input = "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n";
    parser.feed(input.data(), input.size(), ec);
    ASSERT_FALSE(ec);
    EXPECT_EQ(parser.eof_error(), http_error::malformed_response_headers);
}

TEST(ResponseHeadParserTest, EndOfFileInTheStatusLineIsEndOfFile) {
    response_head_parser parser;
    error_code ec;
    parser.feed("HTTP/1.1 2", 10, ec);
    EXPECT_EQ(parser.eof_error(), boost::asio::error::eof);
}

TEST(ResponseHeadParserTest, RefusesAStatusLineWithoutEnd) {
    response_head_parser parser;
    error_code ec;
    const std::string input = "HTTP/1.1 200 " + std::string(response_head_parser::max_status_line_length, 'x');
    parser.feed(input.data(), input.size(), ec);
    EXPECT_EQ(ec, http_error::malformed_status_line);
}

TEST(ResponseHeadParserTest, RefusesAHeadWithoutEnd) {
    response_head_parser parser;
    error_code ec;
    const std::string line = "X-Filler: " + std::string(1000, 'y') + "\r\n";
    std::string input = "HTTP/1.1 200 OK\r\n";
    while (input.size() <= response_head_parser::max_head_length) input += line;
    parser.feed(input.data(), input.size(), ec);
    EXPECT_EQ(ec, http_error::malformed_response_headers);
}

TEST(ResponseHeadParserTest, ResetStartsOver) {
    response_head_parser parser;
    error_code ec;
    parser.feed("junk\r\n", 6, ec);
    ASSERT_EQ(ec, http_error::malformed_status_line);
    parser.reset(false);
    const std::string input = "HTTP/1.1 204 No Content\r\n\r\n";
    EXPECT_EQ(parser.feed(input.data(), input.size(), ec), input.size());
    EXPECT_FALSE(ec);
    EXPECT_TRUE(parser.done());
    EXPECT_EQ(parser.status(), 204);
}

}  // namespace
}  // namespace dlengine
