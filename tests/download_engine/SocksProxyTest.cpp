#include "download_engine/socks_proxy.h"

#include <gtest/gtest.h>

#include <boost/asio/error.hpp>

#include "download_engine/http_error.h"

namespace dlengine {
namespace {

using boost::system::error_code;

TEST(SocksProxyTest, Socks4RequestCarriesPortAddressAndUser) {
    const std::string request =
        socks::socks4_connect_request(boost::asio::ip::make_address_v4("10.1.2.3"), 0x1f90, "alice");
    EXPECT_EQ(request, std::string("\x04\x01\x1f\x90\x0a\x01\x02\x03"
                                   "alice\0",
                                   14));
}

struct Socks4Case {
    std::uint8_t code;
    error_code error;
};

class Socks4ReplyTest : public ::testing::TestWithParam<Socks4Case> {};

TEST_P(Socks4ReplyTest, MapsTheReplyCode) {
    std::array<std::uint8_t, socks::socks4_reply_size> reply{0, GetParam().code, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(socks::socks4_reply_error(reply), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(Codes, Socks4ReplyTest,
                         ::testing::Values(Socks4Case{90, {}}, Socks4Case{91, http_error::socks_authentication_error},
                                           Socks4Case{92, http_error::socks_no_identd},
                                           Socks4Case{93, http_error::socks_identd_error},
                                           Socks4Case{0, http_error::socks_general_failure},
                                           Socks4Case{94, http_error::socks_general_failure}));

TEST(SocksProxyTest, Socks5GreetingOffersPasswordOnlyWhenAsked) {
    EXPECT_EQ(socks::socks5_greeting(false), std::string("\x05\x01\x00", 3));
    EXPECT_EQ(socks::socks5_greeting(true), std::string("\x05\x02\x00\x02", 4));
}

TEST(SocksProxyTest, Socks5MethodReply) {
    socks::socks5_method method = socks::socks5_method::none;
    EXPECT_FALSE(socks::socks5_method_reply({5, 2}, method));
    EXPECT_EQ(method, socks::socks5_method::password);
    EXPECT_FALSE(socks::socks5_method_reply({5, 0}, method));
    EXPECT_EQ(method, socks::socks5_method::none);
    EXPECT_EQ(socks::socks5_method_reply({4, 0}, method), http_error::socks_unsupported_version);
    EXPECT_EQ(socks::socks5_method_reply({5, 0xff}, method), http_error::socks_unsupported_authentication_version);
}

TEST(SocksProxyTest, Socks5PasswordRequest) {
    error_code ec;
    EXPECT_EQ(socks::socks5_password_request("bob", "pw", ec), std::string("\x01\x03"
                                                                            "bob\x02"
                                                                            "pw"));
    EXPECT_FALSE(ec);
    socks::socks5_password_request("", "pw", ec);
    EXPECT_EQ(ec, http_error::socks_username_required);
    EXPECT_EQ(ec.message(), "SOCKS username required");
    socks::socks5_password_request(std::string(256, 'u'), "pw", ec);
    EXPECT_EQ(ec, boost::system::errc::make_error_code(boost::system::errc::invalid_argument));
    EXPECT_EQ(socks::socks5_password_reply_error({1, 0}), error_code());
    EXPECT_EQ(socks::socks5_password_reply_error({1, 1}), http_error::socks_authentication_error);
    EXPECT_EQ(socks::socks5_password_reply_error({5, 0}), http_error::socks_unsupported_authentication_version);
}

TEST(SocksProxyTest, Socks5ConnectNamesTheHost) {
    error_code ec;
    EXPECT_EQ(socks::socks5_connect_request("dl.example", 443, ec), std::string("\x05\x01\x00\x03\x0a"
                                                                                 "dl.example\x01\xbb",
                                                                                 17));
    EXPECT_FALSE(ec);
}

struct Socks5Case {
    std::uint8_t code;
    std::uint8_t address_type;
    error_code error;
    std::size_t rest;
};

class Socks5ReplyTest : public ::testing::TestWithParam<Socks5Case> {};

TEST_P(Socks5ReplyTest, MapsTheReplyCode) {
    std::size_t rest = 0;
    EXPECT_EQ(socks::socks5_reply_error({5, GetParam().code, 0, GetParam().address_type}, rest), GetParam().error);
    if (!GetParam().error) {
        EXPECT_EQ(rest, GetParam().rest);
    }
}

namespace error = boost::asio::error;

INSTANTIATE_TEST_SUITE_P(
    Codes, Socks5ReplyTest,
    ::testing::Values(Socks5Case{0, 1, {}, 6}, Socks5Case{0, 3, {}, 1}, Socks5Case{0, 4, {}, 18},
                      Socks5Case{0, 2, error::address_family_not_supported, 0},
                      Socks5Case{1, 1, http_error::socks_general_failure, 0},
                      Socks5Case{2, 1, error::access_denied, 0}, Socks5Case{3, 1, error::network_unreachable, 0},
                      Socks5Case{4, 1, error::host_unreachable, 0}, Socks5Case{5, 1, error::connection_refused, 0},
                      Socks5Case{6, 1, error::timed_out, 0},
                      Socks5Case{7, 1, http_error::socks_command_not_supported, 0},
                      Socks5Case{8, 1, error::address_family_not_supported, 0}));

TEST(SocksProxyTest, Socks5ReplyOfAnotherVersion) {
    std::size_t rest = 0;
    EXPECT_EQ(socks::socks5_reply_error({4, 0, 0, 1}, rest), http_error::socks_unsupported_version);
}

}  // namespace
}  // namespace dlengine
