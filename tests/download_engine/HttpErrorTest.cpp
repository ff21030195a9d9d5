#include "download_engine/http_error.h"

#include <gtest/gtest.h>

namespace dlengine {
namespace {

TEST(HttpErrorTest, CategoryIsNamedHttp) { EXPECT_STREQ(http_category().name(), "HTTP"); }

struct MessageCase {
    int code;
    const char* message;
};

class HttpErrorMessageTest : public ::testing::TestWithParam<MessageCase> {};

TEST_P(HttpErrorMessageTest, ReadsAsTheTableSays) {
    EXPECT_EQ(http_category().message(GetParam().code), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, HttpErrorMessageTest,
    ::testing::Values(MessageCase{1, "Malformed status line"}, MessageCase{2, "Malformed response headers"},
                      MessageCase{10, "invalid type requested from entry"}, MessageCase{11, "Invalid chunked encoding"},
                      MessageCase{12, "Invalid redirect address"}, MessageCase{100, "Continue"},
                      MessageCase{203, "Non-authoritative information"}, MessageCase{206, "Partial content"},
                      MessageCase{302, "Found"}, MessageCase{306, "Unknown HTTP error"},
                      MessageCase{307, "Temporary redirect"}, MessageCase{404, "Not found"},
                      MessageCase{408, "Request time-out"}, MessageCase{416, "Requested range not satisfiable"},
                      MessageCase{504, "Gateway time-out"}, MessageCase{505, "HTTP version not supported"},
                      MessageCase{1000, "SOCKS unsupported version"}, MessageCase{1001, "SOCKS username required"},
                      MessageCase{1002, "SOCKS unsupported authentication version"},
                      MessageCase{1006, "SOCKS no identd running"}, MessageCase{1007, "SOCKS no identd running"},
                      MessageCase{1008, "Fake continue"}, MessageCase{0, "Unknown HTTP error"},
                      MessageCase{9999, "Unknown HTTP error"}, MessageCase{-1, "Unknown HTTP error"}));

TEST(HttpErrorTest, StatusAndEnumeratorMeetInOneCategory) {
    const boost::system::error_code status = make_status_error(404);
    EXPECT_EQ(status, http_error::not_found);
    EXPECT_EQ(&status.category(), &http_category());
    EXPECT_EQ(status.message(), "Not found");
    const boost::system::error_code socks = http_error::socks_username_required;
    EXPECT_EQ(socks.value(), 1001);
    EXPECT_NE(make_status_error(22), boost::system::errc::make_error_code(boost::system::errc::invalid_argument));
}

}  // namespace
}  // namespace dlengine
