#include "download_engine/url.h"

#include <cctype>
#include <cstring>

#include <boost/system/error_code.hpp>

namespace dlengine {

namespace {

bool all_digits(const std::string& text) {
    if (text.empty()) return false;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    }
    return true;
}

std::size_t find_first_of(const std::string& text, const char* characters, std::size_t from) {
    const std::size_t at = text.find_first_of(characters, from);
    return at == std::string::npos ? text.size() : at;
}

}  // namespace

url url::from_string(const std::string& text, boost::system::error_code& ec) {
    const auto fail = [&ec]() {
        ec = boost::system::errc::make_error_code(boost::system::errc::invalid_argument);
        return url();
    };

    url result;
    const std::size_t colon = text.find(':');
    // Without a protocol the text would not read back as the same URL.
    if (colon == 0 || colon == std::string::npos || text.compare(colon, 3, "://") != 0) return fail();
    for (std::size_t i = 0; i < colon; ++i) {
        result.protocol_ += static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
    }

    std::size_t at = colon + 3;
    const std::size_t first = find_first_of(text, "@:[/?#", at);
    if (first < text.size() && text[first] == '@') {
        result.user_info_ = text.substr(at, first - at);
        at = first + 1;
    } else if (first < text.size() && text[first] == ':') {
        // "user:password@host" or "host:port": only an "@" before the path
        // decides.
        const std::size_t next = find_first_of(text, "@/?#", first + 1);
        if (next < text.size() && text[next] == '@') {
            result.user_info_ = text.substr(at, next - at);
            at = next + 1;
        }
    }

    std::size_t host_end;
    if (at < text.size() && text[at] == '[') {
        const std::size_t close = text.find(']', at + 1);
        if (close == std::string::npos) return fail();
        result.host_ = text.substr(at + 1, close - at - 1);
        result.ipv6_host_ = true;
        host_end = close + 1;
        if (host_end < text.size() && std::strchr(":/?#", text[host_end]) == nullptr) return fail();
    } else {
        host_end = find_first_of(text, ":/?#", at);
        result.host_ = text.substr(at, host_end - at);
        // A second "@" would make the user information ambiguous.
        if (result.host_.find('@') != std::string::npos) return fail();
    }
    at = host_end;

    if (at < text.size() && text[at] == ':') {
        const std::size_t port_end = find_first_of(text, "/?#", at + 1);
        result.port_ = text.substr(at + 1, port_end - at - 1);
        if (!all_digits(result.port_)) return fail();
        at = port_end;
    }

    const std::size_t path_end = find_first_of(text, "?#", at);
    result.path_ = path_end > at ? text.substr(at, path_end - at) : "/";
    at = path_end;
    if (at < text.size() && text[at] == '?') {
        const std::size_t query_end = find_first_of(text, "#", at + 1);
        result.query_ = text.substr(at + 1, query_end - at - 1);
        at = query_end;
    }
    if (at < text.size() && text[at] == '#') result.fragment_ = text.substr(at + 1);

    ec.clear();
    return result;
}

std::string url::to_string(int components) const {
    std::string text;
    if ((components & protocol_component) && !protocol_.empty()) text += protocol_ + "://";
    if ((components & user_info_component) && !user_info_.empty()) text += user_info_ + "@";
    if (components & host_component) text += ipv6_host_ ? "[" + host_ + "]" : host_;
    if ((components & port_component) && !port_.empty()) text += ":" + port_;
    if (components & path_component) text += path_;
    if ((components & query_component) && !query_.empty()) text += "?" + query_;
    if ((components & fragment_component) && !fragment_.empty()) text += "#" + fragment_;
    return text;
}

unsigned short url::port() const {
    if (!port_.empty()) {
        unsigned long value = 0;
        for (char c : port_) {
            value = value * 10 + static_cast<unsigned long>(c - '0');
            if (value > 65535) return 0;
        }
        return static_cast<unsigned short>(value);
    }
    if (protocol_ == "http") return 80;
    if (protocol_ == "https") return 443;
    if (protocol_ == "ftp") return 21;
    return 0;
}

}  // namespace dlengine
