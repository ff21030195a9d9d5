#include "ProxyArgument.h"

#include "download_engine/url.h"

std::optional<dlengine::proxy_settings> ParseProxyArgument(const std::string& text) {
    boost::system::error_code ec;
    const dlengine::url proxy = dlengine::url::from_string(text, ec);
    if (ec || proxy.host().empty() || proxy.port_text().empty()) return std::nullopt;

    dlengine::proxy_settings settings;
    settings.hostname = proxy.host();
    settings.port = proxy.port();
    const std::string& userInfo = proxy.user_info();
    const std::size_t colon = userInfo.find(':');
    settings.username = userInfo.substr(0, colon);
    if (colon != std::string::npos) settings.password = userInfo.substr(colon + 1);
    const bool credentials = !settings.username.empty();
    if (proxy.protocol() == "http") {
        settings.type = credentials ? dlengine::proxy_type::http_password : dlengine::proxy_type::http;
    } else if (proxy.protocol() == "socks5") {
        settings.type = credentials ? dlengine::proxy_type::socks5_password : dlengine::proxy_type::socks5;
    } else if (proxy.protocol() == "socks4") {
        settings.type = dlengine::proxy_type::socks4;
    } else {
        return std::nullopt;
    }
    return settings;
}
