#include "download_engine/cookie_jar.h"

#include "download_engine/ascii.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <strings.h>

namespace dlengine {

namespace {

bool is_date_delimiter(unsigned char c) {
    return c == 0x09 || (c >= 0x20 && c <= 0x2f) || (c >= 0x3b && c <= 0x40) || (c >= 0x5b && c <= 0x60) ||
           (c >= 0x7b && c <= 0x7e);
}

// Leading digits of `token`, between `min` and `max` of them; -1 otherwise.
int leading_number(const std::string& token, std::size_t min, std::size_t max, std::size_t* length = nullptr) {
    std::size_t count = 0;
    int value = 0;
    while (count < token.size() && std::isdigit(static_cast<unsigned char>(token[count]))) {
        if (count == max) return -1;
        value = value * 10 + (token[count] - '0');
        ++count;
    }
    if (count < min) return -1;
    if (length) *length = count;
    return value;
}

bool parse_time(const std::string& token, int& hour, int& minute, int& second) {
    std::size_t at = 0;
    int parts[3];
    for (int i = 0; i < 3; ++i) {
        std::size_t length = 0;
        parts[i] = leading_number(token.substr(at), 1, 2, &length);
        if (parts[i] < 0) return false;
        at += length;
        if (i < 2) {
            if (at >= token.size() || token[at] != ':') return false;
            ++at;
        }
    }
    hour = parts[0];
    minute = parts[1];
    second = parts[2];
    return true;
}

int parse_month(const std::string& token) {
    static const char* const months[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                         "jul", "aug", "sep", "oct", "nov", "dec"};
    if (token.size() < 3) return -1;
    for (int i = 0; i < 12; ++i) {
        if (strncasecmp(token.c_str(), months[i], 3) == 0) return i;
    }
    return -1;
}

std::string trim(const std::string& text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
    while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
    return text.substr(first, last - first);
}

bool domain_matches(const std::string& host, const std::string& domain, bool host_only) {
    if (host == domain) return true;
    if (host_only || host.size() <= domain.size()) return false;
    return host.compare(host.size() - domain.size(), domain.size(), domain) == 0 &&
           host[host.size() - domain.size() - 1] == '.';
}

bool path_matches(const std::string& request_path, const std::string& cookie_path) {
    if (request_path == cookie_path) return true;
    if (request_path.compare(0, cookie_path.size(), cookie_path) != 0) return false;
    return cookie_path.back() == '/' || request_path[cookie_path.size()] == '/';
}

// The directory of the request path, the path a cookie gets when it names none.
std::string default_path(const std::string& request_path) {
    if (request_path.empty() || request_path[0] != '/') return "/";
    const std::size_t last = request_path.rfind('/');
    return last == 0 ? "/" : request_path.substr(0, last);
}

}  // namespace

std::optional<std::chrono::system_clock::time_point> parse_cookie_date(const std::string& text) {
    int hour = -1, minute = -1, second = -1, day = -1, month = -1, year = -1;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && is_date_delimiter(static_cast<unsigned char>(text[at]))) ++at;
        std::size_t end = at;
        while (end < text.size() && !is_date_delimiter(static_cast<unsigned char>(text[end]))) ++end;
        const std::string token = text.substr(at, end - at);
        at = end;
        if (token.empty()) continue;
        if (hour < 0 && parse_time(token, hour, minute, second)) continue;
        if (day < 0 && (day = leading_number(token, 1, 2)) >= 0) continue;
        if (month < 0 && (month = parse_month(token)) >= 0) continue;
        if (year < 0 && (year = leading_number(token, 2, 4)) >= 0) continue;
    }
    if (year >= 70 && year <= 99) year += 1900;
    if (year >= 0 && year <= 69) year += 2000;
    if (hour < 0 || day < 1 || day > 31 || month < 0 || year < 1601 || hour > 23 || minute > 59 || second > 59) {
        return std::nullopt;
    }
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    // The clock spans a few centuries only: dates beyond it are clamped.
    using clock = std::chrono::system_clock;
    const std::int64_t seconds = timegm(&parts);
    const auto latest = std::chrono::duration_cast<std::chrono::seconds>(clock::time_point::max().time_since_epoch());
    const auto earliest = std::chrono::duration_cast<std::chrono::seconds>(clock::time_point::min().time_since_epoch());
    if (seconds >= latest.count()) return clock::time_point::max();
    if (seconds <= earliest.count()) return clock::time_point::min();
    return clock::time_point(std::chrono::duration_cast<clock::duration>(std::chrono::seconds(seconds)));
}

void cookie_jar::add(const std::string& set_cookie, const url& origin, clock::time_point now) {
    std::vector<std::pair<std::string, std::string>> pairs;
    cookie attributes;
    attributes.domain = ascii_lower(origin.host());
    attributes.path = default_path(origin.path());

    std::size_t at = 0;
    while (at <= set_cookie.size()) {
        std::size_t end = set_cookie.find(';', at);
        if (end == std::string::npos) end = set_cookie.size();
        const std::string part = trim(set_cookie.substr(at, end - at));
        at = end + 1;
        if (part.empty()) continue;
        const std::size_t equals = part.find('=');
        const std::string name = trim(part.substr(0, equals));
        const std::string value = equals == std::string::npos ? "" : trim(part.substr(equals + 1));
        const std::string key = ascii_lower(name);
        if (key == "expires") {
            attributes.expires = parse_cookie_date(value);
        } else if (key == "domain") {
            std::string domain = ascii_lower(value);
            if (!domain.empty() && domain[0] == '.') domain.erase(0, 1);
            // A server may only set cookies for its own domain or a parent of it.
            if (domain.empty() || !domain_matches(attributes.domain, domain, false)) return;
            attributes.domain = domain;
            attributes.host_only = false;
        } else if (key == "path") {
            if (!value.empty() && value[0] == '/') attributes.path = value;
        } else if (key == "secure") {
            attributes.secure = true;
        } else if (key == "httponly") {
            // Only scripts would care; this client runs none.
        } else if (equals != std::string::npos && !name.empty()) {
            pairs.emplace_back(name, value);
        }
    }

    for (const auto& [name, value] : pairs) {
        cookie entry = attributes;
        entry.name = name;
        entry.value = value;
        cookies_.erase(std::remove_if(cookies_.begin(), cookies_.end(),
                                      [&entry](const cookie& held) {
                                          return held.name == entry.name && held.domain == entry.domain &&
                                                 held.path == entry.path;
                                      }),
                       cookies_.end());
        if (!entry.expires || *entry.expires > now) cookies_.push_back(std::move(entry));
    }
}

std::string cookie_jar::cookie_line(const url& target, clock::time_point now) const {
    const std::string host = ascii_lower(target.host());
    const bool secure_channel = target.protocol() == "https";
    std::string line;
    for (const cookie& entry : cookies_) {
        if (entry.expires && *entry.expires <= now) continue;
        if (entry.secure && !secure_channel) continue;
        if (!domain_matches(host, entry.domain, entry.host_only)) continue;
        if (!path_matches(target.path(), entry.path)) continue;
        if (!line.empty()) line += "; ";
        line += entry.name + "=" + entry.value;
    }
    return line;
}

}  // namespace dlengine
