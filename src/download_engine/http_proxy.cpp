#include "download_engine/http_proxy.h"

namespace dlengine {

const char* const default_accept = "text/html, application/xhtml+xml, */*";
const char* const default_user_agent = "Mozilla/5.0 (Windows NT 6.1; Trident/7.0; rv:11.0) like Gecko";

std::string base64_encode(const std::string& bytes) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t at = 0;
    for (; at + 3 <= bytes.size(); at += 3) {
        const unsigned value = (static_cast<unsigned char>(bytes[at]) << 16) |
                               (static_cast<unsigned char>(bytes[at + 1]) << 8) |
                               static_cast<unsigned char>(bytes[at + 2]);
        text += alphabet[(value >> 18) & 63];
        text += alphabet[(value >> 12) & 63];
        text += alphabet[(value >> 6) & 63];
        text += alphabet[value & 63];
    }
    const std::size_t left = bytes.size() - at;
    if (left > 0) {
        unsigned value = static_cast<unsigned char>(bytes[at]) << 16;
        if (left == 2) value |= static_cast<unsigned char>(bytes[at + 1]) << 8;
        text += alphabet[(value >> 18) & 63];
        text += alphabet[(value >> 12) & 63];
        text += left == 2 ? alphabet[(value >> 6) & 63] : '=';
        text += '=';
    }
    return text;
}

bool is_http_proxy(const proxy_settings& proxy) {
    return proxy.type == proxy_type::http || proxy.type == proxy_type::http_password;
}

std::string proxy_authorization(const proxy_settings& proxy, const url& target) {
    if (proxy.type == proxy_type::http_password) {
        return "Basic " + base64_encode(proxy.username + ":" + proxy.password);
    }
    if (proxy.type == proxy_type::http && !target.user_info().empty()) {
        return "Basic " + base64_encode(target.user_info());
    }
    return {};
}

std::string connect_request(const url& target, const proxy_settings& proxy, const request_opts& options) {
    std::string request = "CONNECT " + target.to_string(url::host_component) + ":" +
                          std::to_string(target.port()) + " HTTP/1.1\r\n";
    request += "Host: " + target.to_string(url::host_and_port) + "\r\n";
    const std::string authorization = proxy_authorization(proxy, target);
    if (!authorization.empty()) request += "Proxy-Authorization:" + authorization + "\r\n";
    request += "Accept: " + options.find("Accept").value_or(default_accept) + "\r\n";
    request += "User-Agent: " + options.find("User-Agent").value_or(default_user_agent) + "\r\n";
    request += "\r\n";
    return request;
}

}  // namespace dlengine
