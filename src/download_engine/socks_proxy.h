#pragma once
// The messages of SOCKS 4 and SOCKS 5 (with the user name and password
// method), built and checked without any socket so that the blocking and the
// asynchronous connection set-up share them.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include <boost/asio/ip/address_v4.hpp>
#include <boost/system/error_code.hpp>

namespace dlengine {
namespace socks {

// SOCKS 4 CONNECT: 4, 1, port (big-endian), IPv4 address, user name, 0.
std::string socks4_connect_request(const boost::asio::ip::address_v4& address, unsigned short port,
                                   const std::string& username);
constexpr std::size_t socks4_reply_size = 8;
// Granted (90) or the matching "HTTP" SOCKS error.
boost::system::error_code socks4_reply_error(const std::array<std::uint8_t, socks4_reply_size>& reply);

// The method offer: "no authentication" alone, or also "user name and
// password".
std::string socks5_greeting(bool offer_password);
constexpr std::size_t socks5_method_reply_size = 2;
enum class socks5_method { none, password };
// The chosen method, or socks_unsupported_version / socks_unsupported_authentication_version.
boost::system::error_code socks5_method_reply(const std::array<std::uint8_t, socks5_method_reply_size>& reply,
                                              socks5_method& method);

// 1, user name length and bytes, password length and bytes. Names longer
// than 255 bytes cannot be sent and give invalid_argument.
std::string socks5_password_request(const std::string& username, const std::string& password,
                                    boost::system::error_code& ec);
constexpr std::size_t socks5_password_reply_size = 2;
boost::system::error_code socks5_password_reply_error(
    const std::array<std::uint8_t, socks5_password_reply_size>& reply);

// CONNECT to a host name: 5, 1, 0, 3, length, name, port (big-endian).
std::string socks5_connect_request(const std::string& host, unsigned short port, boost::system::error_code& ec);
// The fixed start of the reply: version, reply code, reserved, address type.
constexpr std::size_t socks5_reply_head_size = 4;
// Checks the reply head; on success `rest_size` is the count of the bytes
// still to read: the bound address (IPv4, IPv6 or a length-prefixed name,
// whose length byte comes first) and the port. For a name, rest_size covers
// only the length byte; socks5_name_reply_rest() gives the remainder.
boost::system::error_code socks5_reply_error(const std::array<std::uint8_t, socks5_reply_head_size>& head,
                                             std::size_t& rest_size);
// The bytes after the length byte of a bound name: the name and the port.
inline std::size_t socks5_name_reply_rest(std::uint8_t name_length) { return name_length + 2u; }

}  // namespace socks
}  // namespace dlengine
