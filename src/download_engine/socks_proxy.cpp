#include "download_engine/socks_proxy.h"

#include <boost/asio/error.hpp>
#include <boost/system/error_code.hpp>

#include "download_engine/http_error.h"

namespace dlengine {
namespace socks {

namespace {

void append_port(std::string& message, unsigned short port) {
    message += static_cast<char>(port >> 8);
    message += static_cast<char>(port & 0xff);
}

boost::system::error_code too_long() {
    return boost::system::errc::make_error_code(boost::system::errc::invalid_argument);
}

}  // namespace

std::string socks4_connect_request(const boost::asio::ip::address_v4& address, unsigned short port,
                                   const std::string& username) {
    std::string message{4, 1};
    append_port(message, port);
    for (unsigned char byte : address.to_bytes()) message += static_cast<char>(byte);
    message += username;
    message += '\0';
    return message;
}

boost::system::error_code socks4_reply_error(const std::array<std::uint8_t, socks4_reply_size>& reply) {
    switch (reply[1]) {
    case 90: return {};
    case 91: return http_error::socks_authentication_error;
    case 92: return http_error::socks_no_identd;
    case 93: return http_error::socks_identd_error;
    default: return http_error::socks_general_failure;
    }
}

std::string socks5_greeting(bool offer_password) {
    if (offer_password) return std::string{5, 2, 0, 2};
    return std::string{5, 1, 0};
}

boost::system::error_code socks5_method_reply(const std::array<std::uint8_t, socks5_method_reply_size>& reply,
                                              socks5_method& method) {
    if (reply[0] != 5) return http_error::socks_unsupported_version;
    switch (reply[1]) {
    case 0: method = socks5_method::none; return {};
    case 2: method = socks5_method::password; return {};
    default: return http_error::socks_unsupported_authentication_version;
    }
}

std::string socks5_password_request(const std::string& username, const std::string& password,
                                    boost::system::error_code& ec) {
    ec.clear();
    if (username.empty()) {
        ec = http_error::socks_username_required;
        return {};
    }
    if (username.size() > 255 || password.size() > 255) {
        ec = too_long();
        return {};
    }
    std::string message{1};
    message += static_cast<char>(username.size());
    message += username;
    message += static_cast<char>(password.size());
    message += password;
    return message;
}

boost::system::error_code socks5_password_reply_error(
    const std::array<std::uint8_t, socks5_password_reply_size>& reply) {
    if (reply[0] != 1) return http_error::socks_unsupported_authentication_version;
    if (reply[1] != 0) return http_error::socks_authentication_error;
    return {};
}

std::string socks5_connect_request(const std::string& host, unsigned short port, boost::system::error_code& ec) {
    ec.clear();
    if (host.size() > 255) {
        ec = too_long();
        return {};
    }
    std::string message{5, 1, 0, 3};
    message += static_cast<char>(host.size());
    message += host;
    append_port(message, port);
    return message;
}

boost::system::error_code socks5_reply_error(const std::array<std::uint8_t, socks5_reply_head_size>& head,
                                             std::size_t& rest_size) {
    namespace error = boost::asio::error;
    if (head[0] != 5) return http_error::socks_unsupported_version;
    switch (head[1]) {
    case 0: break;
    case 1: return http_error::socks_general_failure;
    case 2: return error::access_denied;
    case 3: return error::network_unreachable;
    case 4: return error::host_unreachable;
    case 5: return error::connection_refused;
    case 6: return error::timed_out;
    case 7: return http_error::socks_command_not_supported;
    case 8: return error::address_family_not_supported;
    default: return http_error::socks_general_failure;
    }
    switch (head[3]) {
    case 1: rest_size = 4 + 2; return {};
    case 3: rest_size = 1; return {};
    case 4: rest_size = 16 + 2; return {};
    default: return error::address_family_not_supported;
    }
}

}  // namespace socks
}  // namespace dlengine
