#pragma once
// How a stream reaches its server: directly or through one proxy.

#include <string>

namespace dlengine {

// The numbers are those stored in task settings.
enum class proxy_type : int {
    none = 0,
    socks4 = 1,
    socks5 = 2,
    socks5_password = 3,  // SOCKS 5 with user name and password
    http = 4,
    http_password = 5,    // HTTP proxy with user name and password
};

struct proxy_settings {
    std::string hostname;
    int port = 0;
    std::string username;
    std::string password;
    proxy_type type = proxy_type::none;
};

}  // namespace dlengine
